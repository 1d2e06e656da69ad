#include "settings/LanguageList.h"

#include "app/AppState.h"
#include "app/Utils.h"
#include "data/DataState.h"
#include "data/UserSettings.h"
#include "platform/log.h"
#include "platform/report.h"
#include "settings/DisplayKeyboard.h"
#include "settings/translator.h"

#include "ui_LanguageList.h"

#include <QDir>
#include <QEvent>
#include <QFontMetrics>
#include <QStyle>

namespace {

constexpr int kLargestPt = 15;
constexpr int kSmallestPt = 11;

// Shows a language name on its key: the largest size that fits, and below
// the smallest readable size the name rolls instead of being cut.
void showName(QPushButton *button, const QString &text, const QString &family)
{
    removeRollingObject(button);
    const int room = button->width() - 16;
    QFont f(family);
    int size = kLargestPt;
    for (; size > kSmallestPt; --size) {
        f.setPointSize(size);
        if (QFontMetrics(f).horizontalAdvance(text) <= room)
            break;
    }
    f.setPointSize(size);
    button->setFont(f);
    const QFontMetrics fm(f);
    const bool rolls = fm.horizontalAdvance(text) > room;
    // The style sheet's size would override the chosen one; a rolling name
    // starts at the left edge so that its start is what is read first.
    button->setStyleSheet(QStringLiteral("font-size: %1pt;%2")
                              .arg(size)
                              .arg(rolls ? QStringLiteral(" text-align: left; padding-left: 8px;") : QString()));
    button->setText(text);
    if (rolls) {
        int fits = 0;
        while (fits < text.size() && fm.horizontalAdvance(text.left(fits + 1)) <= room)
            ++fits;
        addRollingObject(button, fits);
    }
}

} // namespace

LanguageList::LanguageList(QWidget *parent, bool firstStart) : QDialog(parent), ui(new Ui::LanguageList)
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    slots_ = {ui->lang_1, ui->lang_2, ui->lang_3, ui->lang_4};
    for (QPushButton *b : slots_)
        connect(b, &QPushButton::clicked, this, &LanguageList::languageClicked);
    ui->back->setVisible(!firstStart);
    changeColor(this);

    selected = settings.getLanguage();
    reloadList();
}

LanguageList::~LanguageList()
{
    // The suggestions were this screen's language names.
    promptListKeyboard.clear();
    for (QPushButton *b : slots_)
        removeRollingObject(b);
    delete ui;
}

int LanguageList::pageCount() const
{
    return files.isEmpty() ? 1 : (files.size() + kPerPage - 1) / kPerPage;
}

QPushButton *LanguageList::languageButton(int position) const
{
    return position >= 1 && position <= kPerPage ? slots_.at(position - 1) : nullptr;
}

void LanguageList::setSearchText(const QString &text)
{
    filter = text.trimmed();
    reloadList();
}

void LanguageList::reloadList()
{
    files.clear();
    const QStringList found =
        QDir(translator::languagesDir()).entryList({QStringLiteral("*.qm")}, QDir::Files | QDir::Readable, QDir::Name);
    for (QString name : found) {
        name.chop(3);
        if (!filter.isEmpty() && !name.contains(filter, Qt::CaseInsensitive) &&
            !transLanguage.displayName(name).contains(filter, Qt::CaseInsensitive))
            continue;
        files << name;
    }
    const int at = files.indexOf(selected);
    pageIdx = at < 0 ? 0 : at / kPerPage;
    populateList();
}

bool LanguageList::FindIdioma(const QString &fileName, QString &displayName, QString &fontFamily) const
{
    fontFamily = translator::FindFont(fileName);
    displayName = transLanguage.displayName(fileName);
    if (displayName.isEmpty()) {
        displayName = fileName;
        return false;
    }
    return true;
}

void LanguageList::populateList()
{
    for (int i = 0; i < kPerPage; ++i) {
        QPushButton *b = slots_.at(i);
        const int idx = pageIdx * kPerPage + i;
        if (idx >= files.size()) {
            removeRollingObject(b);
            b->hide();
            continue;
        }
        QString name, family;
        FindIdioma(files.at(idx), name, family);
        showName(b, name, family);
        b->show();
    }
    ui->previous->setEnabled(pageIdx > 0);
    ui->next->setEnabled(pageIdx + 1 < pageCount());
    ui->page->setText(QStringLiteral("%1/%2").arg(pageIdx + 1).arg(pageCount()));
    ui->filter->setText(filter.isEmpty() ? QString() : QStringLiteral("\u2315 ") + filter);
    showSelection();
}

void LanguageList::showSelection()
{
    for (int i = 0; i < kPerPage; ++i) {
        const int idx = pageIdx * kPerPage + i;
        const bool on = idx < files.size() && files.at(idx) == selected;
        QPushButton *b = slots_.at(i);
        if (b->property("selected").toBool() != on) {
            b->setProperty("selected", on);
            b->style()->unpolish(b);
            b->style()->polish(b);
        }
    }
}

void LanguageList::languageClicked()
{
    const int i = slots_.indexOf(qobject_cast<QPushButton *>(sender()));
    const int idx = pageIdx * kPerPage + i;
    if (i < 0 || idx >= files.size())
        return;
    selected = files.at(idx);
    showSelection();
}

void LanguageList::on_previous_clicked()
{
    if (pageIdx > 0) {
        --pageIdx;
        populateList();
    }
}

void LanguageList::on_next_clicked()
{
    if (pageIdx + 1 < pageCount()) {
        ++pageIdx;
        populateList();
    }
}

void LanguageList::on_search_clicked()
{
    // Suggest every language present, by file and by display name.
    promptListKeyboard.clear();
    const QStringList all =
        QDir(translator::languagesDir()).entryList({QStringLiteral("*.qm")}, QDir::Files | QDir::Readable, QDir::Name);
    for (QString name : all) {
        name.chop(3);
        const QString shown = transLanguage.displayName(name);
        if (!shown.isEmpty())
            promptListKeyboard << shown.toUtf8();
        promptListKeyboard << name.toUtf8();
    }
    keyboardStatus = 0;
    openDisplayKey(filter);
    if (keyboardStatus == 1)
        setSearchText(QString::fromUtf8(keyboardReturn));
}

void LanguageList::on_back_clicked()
{
    reject();
}

void LanguageList::on_confirm_clicked()
{
    if (selected.isEmpty())
        selected = settings.getLanguage();
    settings.setLanguage(selected);
    if (!settings.save())
        platform::reportToOperator("Settings Saving Error.");
    // Installing the translation retranslates every open screen, this one
    // included, through their changeEvent.
    transLanguage.LoadLanguage(selected);
    platform::debugLine("chiudo la window lista lingue con lingua scelta : " + selected.toStdString());
    accept();
}

void LanguageList::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        ui->retranslateUi(this);
        populateList();
    }
    QDialog::changeEvent(event);
}
