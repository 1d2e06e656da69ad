#pragma once
// Shared helpers of the data tests: hand-written byte strings, fresh recipe
// lists and beaker registry, programs and beakers to store, messages for the
// operator.

#include "data/DataState.h"
#include "data/GlassElement.h"
#include "data/GlassElementsList.h"
#include "data/RecipeElementList.h"
#include "data/WorkSettings.h"
#include "link/ByteUtils.h"
#include "platform/report.h"

#include <QStringList>

#include <memory>

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

// Fresh process-wide recipe lists and beaker registry while it lives; the
// registry the program had comes back after.
struct FreshStores
{
    FreshStores()
    {
        replaceRecipeLists();
        freshRegistry();
    }
    ~FreshStores()
    {
        glassList = saved;
        replaceRecipeLists(false);
    }
    void freshRegistry()
    {
        registry = std::make_unique<GlassElementsList>();
        glassList = registry.get();
    }
    GlassElementsList *const saved = glassList;
    std::unique_ptr<GlassElementsList> registry;
};

// A program to store in `path` ("milling", ..., or "" for the presets).
inline WorkSettings program(const char *path, const QString &filename)
{
    WorkSettings w;
    w.path = path;
    w.filename = filename;
    return w;
}

// A big beaker (65 portions) of milling recipe 10000, created now.
inline GlassElement bigBeaker(const QString &code = "AB.123456", uint32_t deadline = 0x65100000)
{
    GlassElement g;
    g.setGlassCode(code);
    g.setGlassType("2");
    g.setCreationDate();
    g.setDeadLineDate(deadline);
    g.setRecipeCode(10000);
    g.setRecipeType(1);
    g.initResidualContent();
    return g;
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
