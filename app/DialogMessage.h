#pragma once
// The message and question dialog behind DisplayDialogMsg(): a text, up to
// two keys and a picture. The answer goes to SubWindowReturnStatus: 1 for the
// second (confirming) key, 0 for the first key or when it closes by itself.

#include <QDialog>
#include <QString>

class QMovie;
class QTimer;

namespace Ui {
class DialogMessage;
}

class DialogMessage : public QDialog
{
    Q_OBJECT

public:
    // `animation`: the picture is an animation to be played.
    DialogMessage(QWidget *parent, bool animation);
    ~DialogMessage() override;

    void setDisplayMessage(const QString &text);
    QString displayMessage() const { return displayMessageText; }

    // One key labelled `first` (answers 0).
    void setSingleKey(const QString &first);
    // Two keys: `first` answers 0, `second` answers 1.
    void setKeys(const QString &first, const QString &second);
    // A picture or animation resource shown beside the text.
    void setPicture(const QString &resource);
    // Closes by itself (answer 0) after `ms`; 0 = never.
    void setAutoClose(unsigned int ms);

protected:
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private slots:
    void on_okKey_clicked();
    void on_cancelKey_clicked();
    void timeElapsed();

private:
    Ui::DialogMessage *ui;
    QString displayMessageText;
    QTimer *workingTimer;
    QMovie *animation = nullptr;
    bool animationSet;
    bool ownKeys = true; // the form's own "NO" / "YES"
};
