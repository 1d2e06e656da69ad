#pragma once
// Shared helpers of the work program tests: hand-written byte strings, the
// speed table the estimates are checked against, fresh recipe lists.

#include "data/DataState.h"
#include "data/RecipeElementList.h"
#include "data/Tables.h"
#include "link/ByteUtils.h"
#include "platform/report.h"

#include <QByteArray>
#include <QStringList>

// "f3 01 0a" -> bytes; blanks are skipped.
inline QByteArray hexBytes(const QByteArray &text)
{
    return QByteArray::fromHex(text);
}

inline ByteVector hexVector(const char *text)
{
    const QByteArray b = hexBytes(text);
    return ByteVector(b.begin(), b.end());
}

inline QByteArray toQByteArray(const ByteVector &v)
{
    return QByteArray(reinterpret_cast<const char *>(v.data()), static_cast<int>(v.size()));
}

// The machine's descent speeds per immersion index.
inline void loadImmersionSpeeds()
{
    const double speeds[IMMERSION_SPEED_TABLE_SIZE] = {0.0, 0.51, 0.56, 0.8, 1.0, 1.6, 2.0, 4.35, 5.65};
    std::copy(speeds, speeds + IMMERSION_SPEED_TABLE_SIZE, immersionSpeedTable);
}

// Fresh, empty process-wide recipe lists for one test (none with `fresh` false).
inline void replaceRecipeLists(bool fresh = true)
{
    for (RecipeElementList **list : {&recipesMillingList, &recipesWhippingList, &recipesCuttingList})
        delete *list;
    recipesMillingList = fresh ? new RecipeElementList("milling") : nullptr;
    recipesWhippingList = fresh ? new RecipeElementList("whipping") : nullptr;
    recipesCuttingList = fresh ? new RecipeElementList("cutting") : nullptr;
}

// Collects what would have been shown to the operator.
struct OperatorMessages
{
    QStringList messages;
    OperatorMessages()
    {
        platform::setOperatorReporter([this](const std::string &m) { messages << QString::fromStdString(m); });
    }
    ~OperatorMessages() { platform::setOperatorReporter(nullptr); }
};
