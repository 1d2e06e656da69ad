#pragma once
// The end of a custom cleaning that ran to its end: how long it took. Its
// home key closes it.

#include <QWidget>

#include <cstdint>

namespace Ui {
class CleaningSummary;
}

class CleaningSummary : public QWidget
{
    Q_OBJECT

public:
    CleaningSummary(QWidget *parent, int64_t seconds);
    ~CleaningSummary() override;

    int64_t totalSeconds() const { return seconds; }

protected:
    void changeEvent(QEvent *event) override;

private slots:
    void on_home_clicked();

private:
    void retranslate();

    Ui::CleaningSummary *ui;
    int64_t seconds;
};
