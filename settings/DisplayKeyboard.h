#pragma once
// The modal text-entry dialog of the touch screen: letters with a shift to
// capitals, two symbol layouts, cursor keys, delete, space and a one-word
// suggestion from a list the caller supplies.
//
// Callers use openDisplayKey() and read keyboardStatus / keyboardReturn.

#include <QByteArray>
#include <QDialog>
#include <QList>
#include <QStringList>

#include <cstdint>

class QPushButton;

namespace Ui {
class DisplayKeyboard;
}

class DisplayKeyboard : public QDialog
{
    Q_OBJECT

public:
    explicit DisplayKeyboard(QWidget *parent = nullptr);
    ~DisplayKeyboard() override;

    void setPromptList(const QList<QByteArray> &list);
    void done(int result) override;
    // Preset text, cursor at its end.
    void setText(const QString &text);
    QString text() const;
    // The suggestion shown, empty when the label is hidden.
    QString suggestion() const;

    // The character keys in layout order, and what the current layout puts on
    // key i (empty when the layout has no character for it).
    const QList<QPushButton *> &keys() const { return keyVector; }
    QString keyCharacter(int i) const;
    int layoutIndex() const { return secondFunctionIdx; }
    bool upperCase() const { return isUpper; }

protected:
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private slots:
    void characterClicked();
    void on_key_space_clicked();
    void on_key_left_clicked();
    void on_key_right_clicked();
    void on_key_delete_clicked();
    void on_key_delete_2_clicked(); // shift
    void on_key_second_function_clicked();
    void on_key_cancel_clicked();
    void on_key_confirm_clicked();

private:
    void changeKeyboardLayout();
    void searchPromptList(const QString &text);
    void changeFont();

    Ui::DisplayKeyboard *ui;
    QList<QPushButton *> keyVector;
    QList<QStringList> key;
    QList<QStringList> keyUpperCase;
    uint8_t secondFunctionIdx = 0;
    bool isUpper = false;
    QList<QByteArray> promptList;
};

// Opens the keyboard with a preset text and the suggestions of
// promptListKeyboard, and returns when the operator has confirmed or
// cancelled (keyboardStatus 1 or -1; keyboardReturn on confirm only).
void openDisplayKey(const QString &text);
