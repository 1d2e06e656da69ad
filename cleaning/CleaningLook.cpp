#include "cleaning/CleaningLook.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFontMetrics>
#include <QStringList>

namespace cleaninglook {

// The selection colours of the program keys are the ones the selection
// names: green chosen, white not.
const char *const kChoiceKey =
    "QPushButton { background-color: rgb(255, 255, 255); color: #202020; border: 2px solid "
    "rgba(126, 191, 255, 255); border-radius: 8px; } QPushButton:disabled { color: rgb(170, 178, 186); "
    "border-color: rgb(214, 221, 229); }";
const char *const kChosenKey =
    "QPushButton { background-color: rgb(88, 186, 72); color: #ffffff; border: 2px solid "
    "rgb(88, 186, 72); border-radius: 8px; }";

void setFontSize(QWidget *w, int points, bool bold)
{
    QFont f = QApplication::font();
    f.setPointSize(points);
    f.setBold(bold);
    w->setFont(f);
}

void fitKeyText(QAbstractButton *key, int maxPt, int minPt)
{
    QFont f = QApplication::font();
    f.setBold(key->font().bold());
    const int room = key->width() - 12;
    const QStringList lines = key->text().split('\n');
    for (int pt = maxPt; pt >= minPt; --pt) {
        f.setPointSize(pt);
        const QFontMetrics fm(f);
        int widest = 0;
        for (const QString &line : lines)
            widest = std::max(widest, fm.horizontalAdvance(line));
        if (widest <= room && fm.lineSpacing() * lines.size() <= key->height() - 6)
            break;
    }
    key->setFont(f);
}

} // namespace cleaninglook
