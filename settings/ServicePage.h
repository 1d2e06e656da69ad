#pragma once
// The service technician's page: how the serial link to the board has fared
// since start (LinkStatistics), refreshed every second, the key to the live
// sensor page and the system-state export.

#include <QVector>
#include <QWidget>

class QLabel;
class QTimer;

namespace Ui {
class ServicePage;
}

class ServicePage : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kRefreshMs = 1000;

    explicit ServicePage(QWidget *parent = nullptr);
    ~ServicePage() override;

protected:
    void changeEvent(QEvent *event) override;

private slots:
    void on_back_clicked();
    void on_sensors_clicked();
    void on_export_data_clicked();
    void refresh();

private:
    void applyFonts();
    void retranslateNames();

    Ui::ServicePage *ui;
    QVector<QLabel *> names, values;
    QTimer *refreshTimer;
};
