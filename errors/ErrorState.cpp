#include "errors/ErrorState.h"
#include "ui_ErrorState.h"

#include "app/AppState.h"
#include "app/Overlay.h"
#include "app/Utils.h"
#include "errors/ErrorManager.h"
#include "errors/PageLook.h"
#include "platform/log.h"

#include <QEvent>
#include <QStyle>

#include <algorithm>

namespace {

void log(const QString &line)
{
    platform::debugLine(line.toStdString());
}

// A table text is "ERROR n\n<description>": the code has its own column, so
// the row shows the description, on one line.
QString shownDescription(const QString &text)
{
    const int lineEnd = text.indexOf(QLatin1Char('\n'));
    QString shown = lineEnd >= 0 ? text.mid(lineEnd + 1) : text;
    shown.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return shown.trimmed();
}

void setFlag(QWidget *w, const char *name, bool on)
{
    if (w->property(name).toBool() == on)
        return;
    w->setProperty(name, on);
    w->style()->unpolish(w);
    w->style()->polish(w);
}

} // namespace

ErrorState::ErrorState(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), ui(new Ui::ErrorState)
{
    log(QStringLiteral("ERROR STATE -> Crezione istanza ErrorState"));
    ui->setupUi(this);
    setFixedSize(480, 272);
    setAttribute(Qt::WA_StyledBackground);
    for (int i = 0; i < kRowsPerPage; ++i) {
        rows[i] = findChild<QFrame *>(QStringLiteral("row_%1").arg(i));
        codes[i] = findChild<QLabel *>(QStringLiteral("code_%1").arg(i));
        descriptions[i] = findChild<QLabel *>(QStringLiteral("description_%1").arg(i));
        totals[i] = findChild<QLabel *>(QStringLiteral("total_%1").arg(i));
        consecutives[i] = findChild<QLabel *>(QStringLiteral("consecutive_%1").arg(i));
        setFlag(rows[i], "odd", i % 2 == 1);
    }
    ui->saveToCSV_2->setVisible(advancedUserEnabled);
    applyFonts();

    loadLists();
    ErrorDescriptionTranslate();
    populateList();
    applyThemeColor(this);
}

ErrorState::~ErrorState()
{
    for (QLabel *d : descriptions)
        removeRollingObject(d);
    delete ui;
}

void ErrorState::applyFonts()
{
    pagelook::fitLabelsAlike(
        std::initializer_list<QLabel *>{ui->head_code, ui->head_description, ui->head_total, ui->head_consecutive},
        11, 7, true);
}

void ErrorState::loadLists()
{
    log(QStringLiteral("ERROR STATE -> caricamento listInfo"));
    errorTexts = errorSystem.getListError();
    errorTotals = errorSystem.getErrorOccunrnce();
    errorConsecutive = errorSystem.getActualError();
    errorLimits.clear();
    for (int code = 0; code < errorTexts.size(); ++code)
        errorLimits.push_back(errorSystem.consecutiveLimit(uint8_t(code)));
    log(QStringLiteral("ERROR STATE -> caricamento listInfo Eseguita"));
}

int ErrorState::listedCodes() const
{
    // The three copies come from one table but in three calls; a table
    // refilled in between must not send a row past the end of one of them.
    const std::size_t n = std::min({std::size_t(errorTexts.size()), errorTotals.size(), errorConsecutive.size()});
    return n > 1 ? int(n) - 1 : 0;
}

int ErrorState::pageCount() const
{
    return std::max(1, (listedCodes() + kRowsPerPage - 1) / kRowsPerPage);
}

void ErrorState::populateList()
{
    log(QStringLiteral("ERROR STATE -> Popolamento Lista"));
    pageIndex = std::clamp(pageIndex, 0, pageCount() - 1);
    for (int i = 0; i < kRowsPerPage; ++i) {
        const int code = pageIndex * kRowsPerPage + i + 1;
        removeRollingObject(descriptions[i]);
        const bool used = code <= listedCodes();
        for (QWidget *w : std::initializer_list<QWidget *>{rows[i], codes[i], descriptions[i], totals[i],
                                                            consecutives[i]})
            w->setVisible(used);
        if (!used)
            continue;
        // The translated description; the manager's own text when the
        // description list is shorter than its table.
        const QString text = code < ErrorDescription.size() ? ErrorDescription[code] : errorTexts[code];
        const QString shown = shownDescription(text);
        log(QStringLiteral("ERROR STATE -> Descrizione Errore : ") + text);
        log(QStringLiteral("ERROR STATE -> Descrizione Errore che verrà visualizzato : ") + shown);
        codes[i]->setText(QString::number(code));
        descriptions[i]->setText(shown);
        addRollingObject(descriptions[i], kDescriptionChars);
        totals[i]->setText(QString::number(errorTotals[std::size_t(code)]));
        const uint16_t consecutive = errorConsecutive[std::size_t(code)];
        const uint16_t limit = std::size_t(code) < errorLimits.size() ? errorLimits[std::size_t(code)] : 0;
        consecutives[i]->setText(QString::number(consecutive));
        setFlag(consecutives[i], "atLimit", limit > 0 && consecutive >= limit);
    }
    ui->page_label->setText(QStringLiteral("%1/%2").arg(pageIndex + 1).arg(pageCount()));
    ui->up->setEnabled(pageIndex > 0);
    ui->down->setEnabled(pageIndex + 1 < pageCount());
}

void ErrorState::on_up_clicked()
{
    if (pageIndex == 0)
        return;
    --pageIndex;
    populateList();
}

void ErrorState::on_down_clicked()
{
    if (pageIndex + 1 >= pageCount())
        return;
    ++pageIndex;
    populateList();
}

void ErrorState::on_undo_clicked()
{
    close();
}

void ErrorState::on_saveToCSV_clicked()
{
    if (!usbMount) {
        DisplayError(tr("Restart Machine With Usb Device Mounted."), QString(), false);
        return;
    }
    // No occurrence log yet (a machine that never had an error) still
    // exports its counters.
    errorSystem.loadListError();
    if (!errorSystem.listErrorToCSV()) {
        log(QStringLiteral("ERROR STATE -> esportazione errori non riuscita"));
        DisplayError(tr("File not saved on Usb Device."), QString(), false);
        return;
    }
    DisplayError(tr("File Saved on Usb Device."), QString(), false);
}

void ErrorState::on_saveToCSV_2_clicked()
{
    // The key is hidden outside advanced-user mode; the manager checks again.
    if (!advancedUserEnabled)
        return;
    errorSystem.resetConsecutiveError();
    loadLists();
    populateList();
}

void ErrorState::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange && codes[0]) {
        ui->retranslateUi(this);
        applyFonts();
        ErrorDescriptionTranslate();
        populateList();
    }
    QWidget::changeEvent(event);
}
