#pragma once
// The air filter page: pump time run on the current filter and the time left
// before it is due, as hours and minutes. "FILTER CHANGED" sets changefilter
// and closes the page (the home screen then resets the filter time); closing
// it otherwise leaves changefilter clear. The opener makes it delete itself on
// close and follows its destroyed() signal.

#include <QWidget>

namespace Ui {
class FilterChange;
}

class FilterChange : public QWidget
{
    Q_OBJECT

public:
    explicit FilterChange(QWidget *parent = nullptr);
    ~FilterChange() override;

    QString workingText() const;
    QString remainingText() const;

protected:
    void changeEvent(QEvent *event) override;

private slots:
    void on_confirm_clicked();
    void on_undo_clicked();

private:
    void showTimes();

    Ui::FilterChange *ui;
};
