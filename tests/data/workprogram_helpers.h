#pragma once
// Shared helpers of the data tests: hand-written byte strings, fresh recipe
// lists, messages for the operator.

#include "data/DataState.h"
#include "data/RecipeElementList.h"
#include "link/ByteUtils.h"
#include "platform/report.h"

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
