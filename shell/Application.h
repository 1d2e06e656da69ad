#pragma once
// The program's application object. Every event passes through notify()
// first: a touch pushes the screen saver back, and in screenshot mode the
// "S" key copies the display to the USB stick.

#include <QApplication>

class Application : public QApplication
{
    Q_OBJECT

public:
    Application(int &argc, char **argv);

    bool notify(QObject *receiver, QEvent *event) override;

    // Copies the frame buffer to "/mnt/usb-memory/new_screenshot/<seconds>.raw".
    static bool takeScreenshot();
};
