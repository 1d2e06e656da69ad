#pragma once
// The error statistics page: the machine's error codes six to a page, each
// with its description, lifetime total and consecutive count (red once the
// code's consecutive limit is reached), the arrows paging through them, the
// export of the counters and the occurrence log to the USB stick, and, for
// the advanced user only, the reset of the consecutive counts.
//
// The counts are a copy taken when the page opens (and after a reset): the
// page shows where the machine stood, not a moving target. The opener makes
// it delete itself on close.

#include <QStringList>
#include <QWidget>

#include <cstdint>
#include <vector>

class QFrame;
class QLabel;

namespace Ui {
class ErrorState;
}

class ErrorState : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kRowsPerPage = 6;
    // Characters of a description shown before it rolls.
    static constexpr int kDescriptionChars = 20;

    explicit ErrorState(QWidget *parent = nullptr);
    ~ErrorState() override;

    int page() const { return pageIndex; }
    int pageCount() const;
    // The codes listed: every code of the table but 0, the general fault
    // that is never counted.
    int listedCodes() const;

protected:
    void changeEvent(QEvent *event) override;

private slots:
    void on_undo_clicked();
    void on_up_clicked();
    void on_down_clicked();
    void on_saveToCSV_clicked();
    void on_saveToCSV_2_clicked();

private:
    void loadLists();
    void populateList();
    void applyFonts();

    Ui::ErrorState *ui;
    QFrame *rows[kRowsPerPage] = {};
    QLabel *codes[kRowsPerPage] = {};
    QLabel *descriptions[kRowsPerPage] = {};
    QLabel *totals[kRowsPerPage] = {};
    QLabel *consecutives[kRowsPerPage] = {};

    QStringList errorTexts;
    std::vector<uint32_t> errorTotals;
    std::vector<uint16_t> errorConsecutive;
    std::vector<uint16_t> errorLimits;
    int pageIndex = 0;
};
