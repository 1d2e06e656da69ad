#pragma once
// Shared helpers of the work program tests: hand-written byte strings, the
// speed table the estimates are checked against, fresh recipe lists.

#include "data/DataState.h"
#include "data/RecipeElementList.h"
#include "data/Tables.h"
#include "link/ByteUtils.h"
#include "platform/report.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// "f3 01 0a" -> bytes; spaces are ignored.
inline QByteArray hexBytes(const char *text)
{
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
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
    for (int i = 0; i < IMMERSION_SPEED_TABLE_SIZE; ++i)
        immersionSpeedTable[i] = speeds[i];
}

// Fresh, empty process-wide recipe lists for one test.
inline void replaceRecipeLists()
{
    delete recipesMillingList;
    delete recipesWhippingList;
    delete recipesCuttingList;
    recipesMillingList = new RecipeElementList("milling");
    recipesWhippingList = new RecipeElementList("whipping");
    recipesCuttingList = new RecipeElementList("cutting");
}

inline void dropRecipeLists()
{
    delete recipesMillingList;
    delete recipesWhippingList;
    delete recipesCuttingList;
    recipesMillingList = recipesWhippingList = recipesCuttingList = nullptr;
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
