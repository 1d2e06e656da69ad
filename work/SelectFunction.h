#pragma once
// The choice between the two liquid functions, cutting and whipping, opened
// by the home screen's cutting/whipping tile. The chosen function's soft
// preset becomes the current program and the liquid start screen follows;
// leaving that screen leaves this one too.

#include "work/QuickStartLiquid.h"

#include <QPointer>
#include <QWidget>

namespace Ui {
class SelectFunction;
}

class SelectFunction : public QWidget
{
    Q_OBJECT

public:
    explicit SelectFunction(QWidget *parent = nullptr);
    ~SelectFunction() override;

    QuickStartLiquid *startScreen() const { return liquid; }

public slots:
    void cutting_clicked();
    void whipping_clicked();
    void close_cut_whip();
    void on_return_home_clicked();

protected:
    void changeEvent(QEvent *event) override;

private:
    void choose(int function);
    void applyFonts();

    Ui::SelectFunction *ui;
    QPointer<QuickStartLiquid> liquid;
};
