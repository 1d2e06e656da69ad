#pragma once
// The machine information page: the life counters (WorkingTimer::getListInfo)
// as name and value rows, four to a page with up and down keys, and the key
// that exports them, with the link statistics, to the USB stick.

#include <QStringList>
#include <QVector>
#include <QWidget>

class QLabel;

namespace Ui {
class MachineInfo;
}

class MachineInfo : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kRowsPerPage = 4;

    explicit MachineInfo(QWidget *parent = nullptr);
    ~MachineInfo() override;

    int page() const { return current; }
    int pageCount() const;

protected:
    void changeEvent(QEvent *event) override;

private slots:
    void on_back_clicked();
    void on_up_clicked();
    void on_down_clicked();
    void on_export_data_clicked();

private:
    // Reads the counters again and shows the current page.
    void refresh();
    void showPage();
    void applyFonts();

    Ui::MachineInfo *ui;
    QVector<QLabel *> names, values;
    QStringList lines;
    int current = 0;
};
