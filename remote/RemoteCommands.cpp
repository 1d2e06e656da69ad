// The remote command interpreter: one request payload in, one answer out.

#include "remote/ProtocolTCP.h"
#include "remote/RemoteState.h"

#include "data/DataState.h"
#include "data/GlassElement.h"
#include "data/GlassElementsList.h"
#include "data/RecipeElementList.h"
#include "data/StoredFile.h"
#include "data/WorkSettings.h"

#include "platform/log.h"

#include <memory>

namespace {

// The fields of a request, read by position from index 1. The trailing
// checksum byte is not a field: a request that is too short for its byte
// fields is refused instead of reading the checksum (or beyond) as one.
class Fields
{
public:
    explicit Fields(const ByteVector &payload)
    {
        if (payload.size() > 1)
            bytes.assign(payload.begin(), payload.end() - 1);
    }

    // Fewer than 4 bytes left read as 0 and do not advance.
    uint32_t u32() { return uint32FromByteArray(bytes, &pos); }
    // A length running past the end reads as empty (the length byte is used up).
    std::string text() { return stringFromByteArray(bytes, &pos); }
    QString qtext() { return QString::fromStdString(text()); }
    uint8_t byte()
    {
        if (pos < bytes.size())
            return bytes[pos++];
        missing = true;
        return 0;
    }
    bool complete() const { return !missing; }

    const ByteVector &all() const { return bytes; }
    uint32_t *position() { return &pos; }

private:
    ByteVector bytes;
    uint32_t pos = 1;
    bool missing = false;
};

class Answer
{
public:
    explicit Answer(uint8_t code) : bytes{code} {}
    Answer &accepted()
    {
        bytes.push_back(RemoteStatus::Accepted);
        return *this;
    }
    Answer &refused()
    {
        bytes.push_back(RemoteStatus::Refused);
        return *this;
    }
    Answer &refused(uint8_t detail)
    {
        bytes.push_back(RemoteStatus::Refused);
        bytes.push_back(detail);
        return *this;
    }
    Answer &u32(uint32_t v) { return append(toByteArray(v)); }
    Answer &text(const std::string &s) { return append(toByteArray(s)); }
    Answer &text(const QString &s) { return text(s.toStdString()); }
    Answer &byte(uint8_t b)
    {
        bytes.push_back(b);
        return *this;
    }
    Answer &append(const ByteVector &more)
    {
        bytes.insert(bytes.end(), more.begin(), more.end());
        return *this;
    }
    ByteVector bytes;
};

bool validType(uint8_t type)
{
    return type >= 1 && type <= 3;
}

RecipeElementList *listForType(uint8_t type)
{
    switch (type) {
    case 1:
        return recipesMillingList;
    case 2:
        return recipesCuttingList;
    case 3:
        return recipesWhippingList;
    default:
        return nullptr;
    }
}

const char *folderForType(uint8_t type)
{
    switch (type) {
    case 1:
        return "milling";
    case 2:
        return "cutting";
    case 3:
        return "whipping";
    default:
        return "";
    }
}

WorkSettings *mediumPreset(uint8_t type)
{
    switch (type) {
    case 1:
        return frostizing_medium;
    case 2:
        return cutting_medium;
    case 3:
        return whipping_medium;
    default:
        return nullptr;
    }
}

// Factory (default) recipes can be read but not changed remotely: the stores
// write every change as a user recipe, so a change would land in a file that
// nothing reads while the answer reported success.
bool factoryRecipe(uint32_t code)
{
    return code != 0 && code < 10000;
}

// A stored recipe named by its type and code. Codes below 10000 are factory
// recipes, whose files carry their own suffix.
std::unique_ptr<WorkSettings> recipeObject(uint32_t code, uint8_t type)
{
    auto w = std::make_unique<WorkSettings>();
    w->setRecipeType(type);
    w->filename = QString::number(code);
    w->defaultRecipe = code != 0 && code < 10000;
    return w;
}

// ---- connection and remote start ---------------------------------------------------

// The start's program and beaker are built here, on the TCP thread, and
// handed over whole: `actual` and the selected beaker belong to the
// graphical thread (remote/RemoteState.h).
void startBeakerRecipe(Fields &f, Answer &a)
{
    const std::string code = f.text();
    const std::string type = f.text();
    if (!canStartRemoteRecipe) {
        withdrawRemoteStart();
        a.refused();
        return;
    }
    auto beaker = std::make_unique<GlassElement>();
    if (!beaker->setGlassCode(code) || !beaker->setGlassType(type) || !beaker->Load() || !beaker->isLoad()) {
        a.refused(RemoteDetail::StoreFailed);
        return;
    }
    // A beaker whose recipe is gone has nothing to start.
    auto program = recipeObject(beaker->getRecipeCode(), beaker->getRecipeType());
    if (!program->Load()) {
        a.refused(RemoteDetail::StoreFailed);
        return;
    }
    PendingRemoteStart start;
    start.recipeName = std::to_string(beaker->getRecipeCode());
    start.recipeType = beaker->getRecipeType();
    start.program = std::move(program);
    start.beaker = std::move(beaker);
    offerRemoteStart(std::move(start));
    a.accepted();
}

void startGuestProgram(Fields &f, Answer &a)
{
    if (!canStartRemoteRecipe) {
        withdrawRemoteStart();
        a.refused();
        return;
    }
    // A fresh program: `actual` may be one of the presets, which a guest must
    // not overwrite.
    auto guest = std::make_unique<WorkSettings>();
    if (!guest->fromByteAsGuest(f.all(), f.position())) {
        a.refused(RemoteDetail::StoreFailed);
        return;
    }
    PendingRemoteStart start;
    start.recipeType = guest->getRecipeType();
    start.recipeName = guest->getRecipeName().toStdString();
    start.program = std::move(guest);
    offerRemoteStart(std::move(start));
    a.accepted();
}

// ---- beakers --------------------------------------------------------------------------

void createBeaker(Fields &f, Answer &a)
{
    const std::string code = f.text();
    const std::string type = f.text();
    const uint32_t deadline = f.u32();
    const uint32_t recipeCode = f.u32();
    const uint8_t recipeType = f.byte();
    const QString user = f.qtext();
    if (!f.complete()) {
        a.refused();
        return;
    }
    GlassElement g;
    // Values the registry's rules refuse are not stored half-set.
    const bool valid = g.setGlassCode(code) && g.setGlassType(type) && g.setCreationDate()
                       && g.setDeadLineDate(deadline) && g.setRecipeCode(recipeCode) && g.setRecipeType(recipeType)
                       && g.initResidualContent();
    const uint32_t dbTime = getLastUpdateDB();
    if (!valid || !g.Save(user)) {
        a.refused(RemoteDetail::StoreFailed);
        return;
    }
    a.accepted().u32(g.getUpdate()).u32(dbTime);
}

void deleteBeaker(Fields &f, Answer &a)
{
    const std::string code = f.text();
    const std::string type = f.text();
    const uint32_t seen = f.u32();
    const QString user = f.qtext();
    GlassElement g;
    g.setGlassCode(code);
    g.setGlassType(type);
    if (!g.Load()) {
        // Still named, so a registry entry whose file is gone can be deleted.
        g.setGlassCode(code);
        g.setGlassType(type);
    }
    const uint32_t dbTime = getLastUpdateDB();
    if (seen != g.getUpdate()) {
        a.refused(RemoteDetail::TimeMismatch);
        return;
    }
    if (!g.Delete(user)) {
        a.refused(RemoteDetail::StoreFailed);
        return;
    }
    a.accepted().u32(seen).u32(dbTime);
}

void updateBeaker(Fields &f, Answer &a)
{
    const std::string code = f.text();
    const std::string type = f.text();
    const uint32_t deadline = f.u32();
    const uint32_t recipeCode = f.u32();
    const uint8_t recipeType = f.byte();
    const uint32_t seen = f.u32();
    const QString user = f.qtext();
    if (!f.complete()) {
        a.refused();
        return;
    }
    GlassElement g;
    const bool named = g.setGlassCode(code);
    g.setGlassType(type);
    if (!named || !g.Load()) {
        a.refused(RemoteDetail::StoreFailed);
        return;
    }
    const bool valid = g.setDeadLineDate(deadline) && g.setRecipeCode(recipeCode) && g.setRecipeType(recipeType);
    const uint32_t dbTime = getLastUpdateDB();
    if (seen != g.getUpdate()) {
        a.refused(RemoteDetail::TimeMismatch);
        return;
    }
    if (!valid || !g.Save(user)) {
        a.refused(RemoteDetail::StoreFailed);
        return;
    }
    a.accepted().u32(g.getUpdate()).u32(dbTime);
}

void readBeaker(Fields &f, Answer &a)
{
    GlassElement g;
    if (!g.setGlassCode(f.text()) || !g.Load()) {
        a.refused(RemoteDetail::StoreFailed);
        return;
    }
    a.accepted().append(g.toByte());
}

void beakersSince(Fields &f, Answer &a, bool deleted)
{
    const uint32_t since = f.u32();
    a.accepted();
    if (!glassList)
        return;
    const QStringList codes = deleted ? glassList->getAllDeleteGlass(since) : glassList->getAllUpdateGlass(since);
    for (const QString &code : codes)
        a.text(code).u32(glassList->getGlassUpdate(code));
}

// ---- recipes ----------------------------------------------------------------------------

void createRecipe(Fields &f, Answer &a)
{
    const QString name = f.qtext();
    const uint8_t type = f.byte();
    const uint32_t templateCode = f.u32();
    const uint32_t minStock = f.u32();
    const uint8_t referenceGlass = f.byte();
    const QString user = f.qtext();
    if (!f.complete()) {
        a.refused();
        return;
    }
    // Without a type there is no folder and no list to register the recipe in.
    RecipeElementList *list = listForType(type);
    if (!list) {
        a.refused(RemoteDetail::NotInList);
        return;
    }
    if (list->contains(name)) {
        a.refused(RemoteDetail::NameExists);
        return;
    }
    std::unique_ptr<WorkSettings> w;
    if (templateCode == 0) {
        // The function's medium preset: its stored file, or, when the
        // operator never stored it, the preset as the program holds it (a
        // failed load would leave construction values, and rebuild the
        // process-wide presets from this thread).
        w = std::make_unique<WorkSettings>();
        w->filename = QString::fromLatin1(folderForType(type)) + QStringLiteral("_medium");
        if (storedfile::exists(w->mainFilePath().toStdString()))
            w->Load();
        else if (const WorkSettings *preset = mediumPreset(type))
            *w = *preset;
    } else {
        w = recipeObject(templateCode, type);
        w->Load();
    }
    w->setRecipeType(type);
    w->defaultRecipe = false;
    w->filename = name;
    w->displayName.clear();
    w->minStockQty = static_cast<uint8_t>(minStock & 0xFF);
    w->referenceGlass = referenceGlass;

    const uint32_t dbTime = getLastUpdateDB();
    if (!w->Save(user)) {
        a.refused(RemoteDetail::StoreFailed);
        return;
    }
    const uint32_t code = w->getRecipeCode();
    a.accepted().u32(code).u32(list->getRecipeUpdate(code)).u32(dbTime);
}

void deleteRecipe(Fields &f, Answer &a)
{
    const uint32_t code = f.u32();
    const uint8_t type = f.byte();
    const uint32_t seen = f.u32();
    const QString user = f.qtext();
    if (!f.complete()) {
        a.refused();
        return;
    }
    if (!validType(type))
        platform::debugLine("Delete recipe: tipo ricetta sconosciuto, codice " + std::to_string(code));
    if (factoryRecipe(code)) {
        a.refused(RemoteDetail::StoreFailed);
        return;
    }
    auto w = recipeObject(code, type);
    w->Load();
    const uint32_t dbTime = getLastUpdateDB();
    if (seen != w->getUpdate()) {
        a.refused(RemoteDetail::TimeMismatch);
        return;
    }
    if (!w->Delete(user)) {
        a.refused(RemoteDetail::StoreFailed);
        return;
    }
    a.accepted().u32(w->getUpdate()).u32(dbTime);
}

void updateRecipe(Fields &f, Answer &a)
{
    const uint32_t code = f.u32();
    const QString name = f.qtext();
    const uint8_t type = f.byte();
    const uint32_t source = f.u32();
    const uint32_t minStock = f.u32();
    const uint8_t referenceGlass = f.byte();
    const uint32_t seen = f.u32();
    const QString user = f.qtext();
    if (!f.complete()) {
        a.refused();
        return;
    }
    // Only a listed recipe can be updated: rewriting an unknown code would
    // leave a file that no list names, and a recipe that could not be read
    // would be overwritten with made-up settings.
    RecipeElementList *list = listForType(type);
    auto w = recipeObject(source == 0 ? code : source, type);
    if (!list || factoryRecipe(code) || !list->contains(code) || !w->Load()) {
        a.refused(RemoteDetail::StoreFailed);
        return;
    }
    w->filename = QString::number(code);
    w->defaultRecipe = false;
    const uint32_t dbTime = getLastUpdateDB();
    if (seen != w->getUpdate()) {
        a.refused(RemoteDetail::TimeMismatch);
        return;
    }
    // A name that another recipe of the list carries would leave two codes
    // under one name and the name index pointing at only one of them.
    if (list->contains(name) && list->getId(name).toUInt() != code) {
        a.refused(RemoteDetail::NameExists);
        return;
    }
    w->minStockQty = static_cast<uint8_t>(minStock & 0xFF);
    w->referenceGlass = referenceGlass;
    if (!w->Update(name, user)) {
        a.refused(RemoteDetail::StoreFailed);
        return;
    }
    a.accepted().u32(w->getUpdate()).u32(dbTime);
}

// Shared steps of the ingredient commands: the recipe must be in its type's
// list and readable; `seen`, when given, must match its update time.
template <typename Change>
void changeIngredients(Answer &a, uint32_t code, uint8_t type, const uint32_t *seen, Change change)
{
    RecipeElementList *list = listForType(type);
    if (!list || !list->contains(code)) {
        a.refused(RemoteDetail::NotInList);
        return;
    }
    auto w = recipeObject(code, type);
    if (factoryRecipe(code) || !w->Load()) {
        a.refused(RemoteDetail::StoreFailed);
        return;
    }
    const uint32_t dbTime = getLastUpdateDB();
    if (seen && *seen != w->getUpdate()) {
        a.refused(RemoteDetail::TimeMismatch);
        return;
    }
    if (!change(*w)) {
        a.refused(RemoteDetail::StoreFailed);
        return;
    }
    a.accepted().u32(w->getUpdate()).u32(dbTime);
}

void addIngredient(Fields &f, Answer &a)
{
    const uint32_t code = f.u32();
    const uint8_t type = f.byte();
    const std::string ingredient = f.text();
    const std::string quantity = f.text();
    const std::string user = f.text();
    if (!f.complete()) {
        a.refused();
        return;
    }
    changeIngredients(a, code, type, nullptr,
                      [&](WorkSettings &w) { return w.addIngredient(ingredient, quantity, user); });
}

void deleteIngredient(Fields &f, Answer &a)
{
    const uint32_t code = f.u32();
    const uint8_t type = f.byte();
    const uint8_t index = f.byte();
    const uint32_t seen = f.u32();
    const std::string user = f.text();
    if (!f.complete()) {
        a.refused();
        return;
    }
    changeIngredients(a, code, type, &seen, [&](WorkSettings &w) { return w.deleteIngredient(index, user); });
}

void updateIngredient(Fields &f, Answer &a)
{
    const uint32_t code = f.u32();
    const uint8_t type = f.byte();
    const std::string ingredient = f.text();
    const std::string quantity = f.text();
    const uint8_t index = f.byte();
    const uint32_t seen = f.u32();
    const std::string user = f.text();
    if (!f.complete()) {
        a.refused();
        return;
    }
    changeIngredients(a, code, type, &seen,
                      [&](WorkSettings &w) { return w.updateIngredient(ingredient, quantity, index, user); });
}

void deleteAllIngredients(Fields &f, Answer &a)
{
    const uint32_t code = f.u32();
    const uint8_t type = f.byte();
    const uint32_t seen = f.u32();
    const std::string user = f.text();
    if (!f.complete()) {
        a.refused();
        return;
    }
    changeIngredients(a, code, type, &seen, [&](WorkSettings &w) { return w.deleteAllIngredient(user); });
}

void readRecipe(Fields &f, Answer &a)
{
    const uint32_t code = f.u32();
    const uint8_t type = f.byte();
    if (!f.complete()) {
        a.refused();
        return;
    }
    auto w = recipeObject(code, type);
    if (!w->Load()) {
        a.refused(RemoteDetail::StoreFailed);
        return;
    }
    a.accepted().append(w->toByte());
}

void readIngredient(Fields &f, Answer &a)
{
    const uint32_t code = f.u32();
    const uint8_t type = f.byte();
    const uint8_t index = f.byte();
    if (!f.complete()) {
        a.refused();
        return;
    }
    auto w = recipeObject(code, type);
    if (!w->Load()) {
        a.refused(RemoteDetail::StoreFailed);
        return;
    }
    a.accepted().text(w->getIngredient(index)).text(w->getQty(index));
}

void recipesSince(Fields &f, Answer &a, bool deleted)
{
    const uint32_t since = f.u32();
    a.accepted();
    for (uint8_t type : {uint8_t(1), uint8_t(2), uint8_t(3)}) {
        const RecipeElementList *list = listForType(type);
        if (!list)
            continue;
        const QList<uint> codes = deleted ? list->getAllDeleteRecipe(since) : list->getAllUpdateRecipe(since);
        for (uint code : codes)
            a.u32(code).u32(list->getRecipeUpdate(code)).byte(type);
    }
}

} // namespace

ByteVector ProtocolTCP::InterpretCommand(const ByteVector &received, bool)
{
    const ByteVector payload = ByteUnstuffing(received);
    if (payload.empty())
        return ByteVector();

    const uint8_t code = payload[0];
    Fields f(payload);
    Answer a(code);
    switch (code) {
    case RemoteCmd::Ping:
        a.accepted();
        break;
    case RemoteCmd::DatabaseTime:
        a.accepted().u32(getLastUpdateDB());
        break;
    case RemoteCmd::NoOperation:
        return BuildCommand(ByteVector());
    case RemoteCmd::StartBeakerRecipe:
        startBeakerRecipe(f, a);
        break;
    case RemoteCmd::StartGuestProgram:
        startGuestProgram(f, a);
        break;
    case RemoteCmd::CreateBeaker:
        createBeaker(f, a);
        break;
    case RemoteCmd::DeleteBeaker:
        deleteBeaker(f, a);
        break;
    case RemoteCmd::UpdateBeaker:
        updateBeaker(f, a);
        break;
    case RemoteCmd::ReadBeaker:
        readBeaker(f, a);
        break;
    case RemoteCmd::BeakersChanged:
        beakersSince(f, a, false);
        break;
    case RemoteCmd::BeakersDeleted:
        beakersSince(f, a, true);
        break;
    case RemoteCmd::CreateRecipe:
        createRecipe(f, a);
        break;
    case RemoteCmd::DeleteRecipe:
        deleteRecipe(f, a);
        break;
    case RemoteCmd::UpdateRecipe:
        updateRecipe(f, a);
        break;
    case RemoteCmd::AddIngredient:
        addIngredient(f, a);
        break;
    case RemoteCmd::DeleteIngredient:
        deleteIngredient(f, a);
        break;
    case RemoteCmd::UpdateIngredient:
        updateIngredient(f, a);
        break;
    case RemoteCmd::DeleteAllIngredients:
        deleteAllIngredients(f, a);
        break;
    case RemoteCmd::ReadRecipe:
        readRecipe(f, a);
        break;
    case RemoteCmd::ReadIngredient:
        readIngredient(f, a);
        break;
    case RemoteCmd::RecipesChanged:
        recipesSince(f, a, false);
        break;
    case RemoteCmd::RecipesDeleted:
        recipesSince(f, a, true);
        break;
    default:
        a = Answer(RemoteCmd::Unknown);
        a.refused();
        break;
    }
    return BuildCommand(a.bytes);
}
