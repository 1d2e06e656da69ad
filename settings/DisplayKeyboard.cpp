#include "settings/DisplayKeyboard.h"

#include "app/AppState.h"
#include "app/Utils.h"
#include "settings/translator.h"

#include "ui_DisplayKeyboard.h"

#include <QApplication>
#include <QEvent>
#include <QMouseEvent>
#include <QTextCursor>

namespace {

QStringList splitLayout(const QString &layout)
{
    QStringList chars;
    for (const QChar c : layout)
        chars << QString(c);
    return chars;
}

// A button shows "&" only when it is doubled (a single one marks a shortcut).
QString keyLabel(const QString &character)
{
    return character == QLatin1String("&") ? QStringLiteral("&&") : character;
}

// What the second-function key offers next: the symbols, the other symbols,
// back to the letters.
const char *const kSecondFunctionLabels[] = {"?123", "#+=", "abc"};

} // namespace

DisplayKeyboard::DisplayKeyboard(QWidget *parent) : QDialog(parent), ui(new Ui::DisplayKeyboard)
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setModal(true);

    key << splitLayout(QStringLiteral("1234567890qwertyuiopasdfghjklzxcvbnm"))
        << splitLayout(QStringLiteral("**********1234567890<>@_():;.!#=/-+?"))
        << splitLayout(QStringLiteral("**********1234567890!\"#$%&/()*[]{}|?\\"));
    keyUpperCase << splitLayout(QStringLiteral("**********QWERTYUIOPASDFGHJKLZXCVBNM"));

    for (int i = 0;; ++i) {
        auto *k = findChild<QPushButton *>(QStringLiteral("key_%1").arg(i, 2, 10, QLatin1Char('0')));
        if (!k)
            break;
        keyVector << k;
        connect(k, &QPushButton::clicked, this, &DisplayKeyboard::characterClicked);
    }

    ui->suggestion->installEventFilter(this);
    ui->suggestion->hide();
    changeKeyboardLayout();
    changeColor(this);
    changeFont();
}

DisplayKeyboard::~DisplayKeyboard()
{
    delete ui;
}

void DisplayKeyboard::setPromptList(const QList<QByteArray> &list)
{
    promptList = list;
}

void DisplayKeyboard::setText(const QString &text)
{
    ui->textField->setPlainText(text);
    ui->textField->moveCursor(QTextCursor::End);
}

QString DisplayKeyboard::text() const
{
    return ui->textField->toPlainText();
}

QString DisplayKeyboard::suggestion() const
{
    return ui->suggestion->isVisibleTo(this) ? ui->suggestion->text() : QString();
}

QString DisplayKeyboard::keyCharacter(int i) const
{
    const QStringList &layout = isUpper ? keyUpperCase.at(secondFunctionIdx) : key.at(secondFunctionIdx);
    return i >= 0 && i < layout.size() ? layout.at(i) : QString();
}

void DisplayKeyboard::changeKeyboardLayout()
{
    for (int i = 0; i < keyVector.size(); ++i) {
        const QString c = keyCharacter(i);
        keyVector[i]->setText(keyLabel(c));
        // A key the layout has no character for is not shown.
        keyVector[i]->setVisible(!c.isEmpty());
    }
    ui->key_second_function->setText(QString::fromLatin1(kSecondFunctionLabels[secondFunctionIdx % 3]));
    // Shift only means something where there are capitals.
    ui->key_delete_2->setEnabled(secondFunctionIdx < keyUpperCase.size());
}

void DisplayKeyboard::searchPromptList(const QString &text)
{
    if (promptList.isEmpty() || text.isEmpty()) {
        ui->suggestion->hide();
        return;
    }
    for (const QByteArray &word : promptList) {
        const QString w = QString::fromUtf8(word);
        if (w.startsWith(text, Qt::CaseInsensitive)) {
            ui->suggestion->setText(w);
            ui->suggestion->show();
            return;
        }
    }
    ui->suggestion->hide();
}

void DisplayKeyboard::characterClicked()
{
    const int i = keyVector.indexOf(qobject_cast<QPushButton *>(sender()));
    const QString c = keyCharacter(i);
    if (c.isEmpty())
        return;
    ui->textField->insertPlainText(c);
    searchPromptList(text());
}

void DisplayKeyboard::on_key_space_clicked()
{
    ui->textField->insertPlainText(QStringLiteral(" "));
}

void DisplayKeyboard::on_key_left_clicked()
{
    ui->textField->moveCursor(QTextCursor::Left);
}

void DisplayKeyboard::on_key_right_clicked()
{
    ui->textField->moveCursor(QTextCursor::Right);
}

void DisplayKeyboard::on_key_delete_clicked()
{
    QTextCursor c = ui->textField->textCursor();
    c.deletePreviousChar();
    ui->textField->setTextCursor(c);
    searchPromptList(text());
}

void DisplayKeyboard::on_key_delete_2_clicked()
{
    if (secondFunctionIdx >= keyUpperCase.size())
        return;
    isUpper = !isUpper;
    changeKeyboardLayout();
}

void DisplayKeyboard::on_key_second_function_clicked()
{
    secondFunctionIdx = static_cast<uint8_t>((secondFunctionIdx + 1) % key.size());
    isUpper = false;
    changeKeyboardLayout();
}

void DisplayKeyboard::on_key_cancel_clicked()
{
    reject();
}

void DisplayKeyboard::done(int result)
{
    // However the dialog goes away without a confirmation, the caller must
    // not read a stale "confirmed".
    if (result != QDialog::Accepted)
        keyboardStatus = -1;
    QDialog::done(result);
}

void DisplayKeyboard::on_key_confirm_clicked()
{
    keyboardStatus = 1;
    keyboardReturn = text().toUtf8();
    accept();
}

bool DisplayKeyboard::eventFilter(QObject *watched, QEvent *event)
{
    // Touching the suggestion takes it as the text.
    if (watched == ui->suggestion && event->type() == QEvent::MouseButtonPress) {
        setText(ui->suggestion->text());
        searchPromptList(text());
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void DisplayKeyboard::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        ui->retranslateUi(this);
        changeKeyboardLayout();
    }
    else if (event->type() == QEvent::FontChange || event->type() == QEvent::ApplicationFontChange)
        changeFont();
    QDialog::changeEvent(event);
}

void DisplayKeyboard::changeFont()
{
    QFont f = font();
    if (f.family() != transLanguage.currentFont()) {
        f.setFamily(transLanguage.currentFont());
        setFont(f);
    }
}

void openDisplayKey(const QString &text)
{
    DisplayKeyboard keyboard(QApplication::activeWindow());
    keyboard.setPromptList(promptListKeyboard);
    keyboard.setText(text);
    keyboard.exec();
}
