#pragma once
// The service counters: the two countdowns to the next service, the filter
// time and the life counters that a service may set back, three to a page.
// In service mode each row has a key that, once confirmed, clears that
// counter (WorkingTimer::resetCounter); outside it the page only shows them.

#include <QPointer>
#include <QVector>
#include <QWidget>

class DialogMessage;
class QLabel;
class QPushButton;

namespace Ui {
class ServiceCounters;
}

class ServiceCounters : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kRowsPerPage = 3;

    explicit ServiceCounters(QWidget *parent = nullptr);
    ~ServiceCounters() override;

    int page() const { return current; }
    int pageCount() const;
    // The resetCounter() index of each row, in the order shown.
    static QVector<int> counterIndexes();

protected:
    void changeEvent(QEvent *event) override;

private slots:
    void on_back_clicked();
    void on_up_clicked();
    void on_down_clicked();
    void showPage();

private:
    void askReset(int row);
    void applyFonts();

    Ui::ServiceCounters *ui;
    QVector<QLabel *> names, values;
    QVector<QPushButton *> resetKeys;
    QPointer<DialogMessage> question;
    int current = 0;
};
