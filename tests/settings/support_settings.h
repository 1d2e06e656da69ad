#pragma once
// Shared helpers of the settings tests.

#include <QApplication>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <memory>

class TempRoot;

// The translations this build compiled (<build>/languages).
QString builtLanguagesDir();
// Copies them (and info_lang.txt) into the root's languages folder.
bool installBuiltLanguages(const TempRoot &root);

// Runs `action` on the modal dialog of type T once it is up (a blocking
// exec() that the test cannot reach otherwise); gives up after timeoutMs.
template <class T>
void whenModal(std::function<void(T *)> action, int timeoutMs = 5000)
{
    auto *poll = new QTimer;
    auto waited = std::make_shared<int>(0);
    QObject::connect(poll, &QTimer::timeout, [poll, action, waited, timeoutMs] {
        if (auto *d = qobject_cast<T *>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            action(d);
            return;
        }
        *waited += 20;
        if (*waited > timeoutMs) {
            poll->stop();
            poll->deleteLater();
        }
    });
    poll->start(20);
}
