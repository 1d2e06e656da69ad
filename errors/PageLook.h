#pragma once
// Look of the error and sensor pages' tables.

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>

#include <initializer_list>

namespace pagelook {

// One font size for a column of labels: the largest from maxPt down to minPt
// at which every label's text fits its box on one line, so that a table does
// not mix sizes. The family follows the language's font.
template <typename Labels> void fitLabelsAlike(const Labels &labels, int maxPt, int minPt, bool bold)
{
    QFont f(QApplication::font());
    f.setBold(bold);
    int pt = maxPt;
    for (; pt > minPt; --pt) {
        f.setPointSize(pt);
        const QFontMetrics metrics(f);
        bool fits = true;
        for (const QLabel *l : labels)
            fits = fits && metrics.horizontalAdvance(l->text()) <= l->contentsRect().width() &&
                   metrics.height() <= l->contentsRect().height();
        if (fits)
            break;
    }
    f.setPointSize(pt);
    for (QLabel *l : labels)
        l->setFont(f);
}

} // namespace pagelook
