// Storage of a work program: the main settings file, the ingredient (details)
// file, and their registration in the recipe index lists.

#include "data/WorkSettings.h"

#include "data/DataState.h"
#include "data/Presets.h"
#include "data/RecipeElementList.h"
#include "data/StoredFile.h"
#include "data/StreamIO.h"

#include "platform/atomicfile.h"
#include "platform/filestore.h"
#include "platform/log.h"
#include "platform/paths.h"
#include "platform/report.h"

#include <QDataStream>

namespace {

// Main file: single bytes, no header. The two trailing fields came later, so
// files without them still load.
constexpr int MAIN_FILE_SIZE = 61;
constexpr int MAIN_FILE_MANDATORY = 59;

const char *const SAVE_ERROR = "Recipe Saving Error.";
const char *const DETAILS_SAVE_ERROR = "Recipe Dettails Saving Error.";

QString rooted(const char *absolute)
{
    return QString::fromStdString(platform::path(absolute));
}

// The name parts become path components; one that could climb out of the
// recipe folders (a name sent by the remote application) is refused.
bool safeComponent(const QString &part)
{
    return !part.contains(QLatin1Char('/')) && part != QLatin1String("..") && part != QLatin1String(".");
}

bool writeAtomic(const QString &file, const QByteArray &bytes)
{
    std::string error;
    if (platform::writeFileAtomic(file.toStdString(), bytes.constData(), static_cast<std::size_t>(bytes.size()),
                                  &error))
        return true;
    platform::debugLine("WorkSettings -> " + error);
    return false;
}

} // namespace

QString WorkSettings::mainFilePath() const
{
    const QString base = rooted(save_base_path);
    if (path.isEmpty())
        return base + "/" + filename + "_default.seq";
    return base + path + "/" + filename + (defaultRecipe ? ".default.seq" : ".seq");
}

QString WorkSettings::detailsFilePath() const
{
    const QString base = rooted(details_base_path);
    if (path.isEmpty())
        return base + "/" + filename + "_default.seq";
    return base + path + "/" + filename + (defaultRecipe ? ".default.seq" : ".seq");
}

// ---- main file ----------------------------------------------------------------------

namespace {

QByteArray mainFileBytes(const WorkSettings &w)
{
    // A version-17 data stream of single bytes is the bytes themselves.
    ByteVector bytes;
    w.appendStepBlock(bytes);
    bytes.push_back(w.extraEmulsionStep);
    bytes.push_back(w.minStockQty);
    bytes.push_back(w.referenceGlass);
    return QByteArray(reinterpret_cast<const char *>(bytes.data()), static_cast<int>(bytes.size()));
}

} // namespace

void WorkSettings::foldReworkSteps()
{
    if (reworkAddStep != 0 && extraEmulsionStep == 0 && getEnabledEmulsionSteps() < EMULSION_STEPS) {
        // Each added cycle becomes one more (down, up) pair of steps; stop when
        // all added cycles are placed rather than counting below zero.
        for (int k = getEnabledEmulsionSteps() / 2; k <= 2 && reworkAddStep != 0; ++k) {
            enableEmulsionStepsSimple(2 * k + 1, false);
            enableEmulsionStepsSimple(2 * k + 2, false);
            --reworkAddStep;
        }
    }
    if (reworkAddStep != 0 && extraEmulsionStep != 0)
        setExtraEmulsionStep(static_cast<uint8_t>(std::min(extraEmulsionStep + reworkAddStep, 255)));
    // Folded once: a later save of the same program must not add them again.
    reworkAddStep = 0;
}

// Writes the main file with the rework cycles folded in. The folding is only
// kept when the file was written, so a failed save leaves the program as it was.
bool WorkSettings::writeMainFile()
{
    WorkSettings folded = *this;
    folded.foldReworkSteps();
    if (!writeAtomic(mainFilePath(), mainFileBytes(folded)))
        return false;
    std::copy(std::begin(folded._emulsionSteps), std::end(folded._emulsionSteps), std::begin(_emulsionSteps));
    extraEmulsionStep = folded.extraEmulsionStep;
    reworkAddStep = folded.reworkAddStep;
    return true;
}

namespace {

// Holds a recipe list locked for a whole store operation and remembers it as
// it was, so that a failure takes back exactly this operation's change.
struct ListChange
{
    explicit ListChange(RecipeElementList *l) : list(l)
    {
        if (list) {
            held = list->hold();
            before = list->snapshot();
        }
    }
    void undo() const
    {
        if (list)
            list->restore(before);
    }
    RecipeElementList *list;
    std::unique_lock<std::recursive_mutex> held;
    RecipeElementList::State before;
};

} // namespace

bool WorkSettings::Save(const QString &user)
{
    // Every part of a failed save is taken back: the program, its file and
    // its list entry (a new code must not be handed out again over a file
    // left behind, nor an entry point at a file that is not there).
    const WorkSettings before = *this;
    defaultRecipe = false;
    RecipeElementList *list = nullptr;
    if (isFunctionFolder()) {
        list = recipeListForFolder(path);
        if (!list) {
            platform::debugLine("WorkSettings -> lista ricette non disponibile per " + path.toStdString());
            platform::reportToOperator(SAVE_ERROR);
            return false;
        }
    }
    const ListChange change(list);
    if (list)
        filename = list->generateId(filename, false, user);
    if (!safeComponent(filename)) {
        change.undo();
        *this = before;
        platform::reportToOperator(SAVE_ERROR);
        return false;
    }
    const storedfile::Backup previous(mainFilePath().toStdString());
    if (!writeMainFile()) {
        change.undo();
        *this = before;
        platform::reportToOperator(SAVE_ERROR);
        return false;
    }
    if (list && !list->Save()) { // the list has told the operator
        previous.restore();
        change.undo();
        *this = before;
        return false;
    }
    return true;
}

bool WorkSettings::Update(const QString &name, const QString &user)
{
    const WorkSettings before = *this;
    defaultRecipe = false;
    if (!safeComponent(filename)) {
        platform::reportToOperator(SAVE_ERROR);
        return false;
    }
    RecipeElementList *list = isFunctionFolder() ? recipeListForFolder(path) : nullptr;
    const ListChange change(list);
    const storedfile::Backup previous(mainFilePath().toStdString());
    if (!writeMainFile()) {
        *this = before;
        platform::reportToOperator(SAVE_ERROR);
        return false;
    }
    if (list) {
        list->updateElement(name, user, getRecipeCode());
        if (!list->Save()) {
            previous.restore();
            change.undo();
            *this = before;
            return false;
        }
    }
    return true;
}

bool WorkSettings::Load(const QString &)
{
    QByteArray bytes;
    if (!safeComponent(filename) || !storedfile::readStart(mainFilePath().toStdString(), bytes, MAIN_FILE_SIZE)) {
        // A missing preset file: the preset takes its CSV record.
        rebuildPresetFromCsv(*this);
        return false;
    }

    // Read into a copy: a torn, foreign or damaged file must not leave the
    // program with settings made up of zeros or values the board cannot run.
    WorkSettings read = *this;
    std::string problem;
    if (bytes.size() < MAIN_FILE_MANDATORY) {
        problem = "file troppo corto";
    } else {
        int at = 0;
        auto next = [&bytes, &at]() { return static_cast<uint8_t>(bytes[at++]); };
        read.readStepBlock(next);
        read.extraEmulsionStep = next();
        if (at < bytes.size())
            read.minStockQty = next();
        if (at < bytes.size())
            read.referenceGlass = next();
        problem = read.rangeProblem();
        if (!problem.empty())
            problem = "valore fuori limite (" + problem + ")";
    }
    if (!problem.empty()) {
        platform::debugLine("WorkSettings -> " + problem + ": " + mainFilePath().toStdString());
        rebuildPresetFromCsv(*this);
        return false;
    }
    *this = read;

    QByteArray details;
    QStringList ingredients;
    QStringList quantities;
    if (storedfile::readStart(detailsFilePath().toStdString(), details, storedfile::kMaxStoredFileSize)) {
        QDataStream in(details);
        in.setVersion(QDataStream::Qt_5_6);
        if (!StreamIO::readStringList(in, ingredients) || !StreamIO::readStringList(in, quantities)) {
            platform::debugLine("WorkSettings -> file ingredienti danneggiato: " + detailsFilePath().toStdString());
            ingredients.clear();
            quantities.clear();
        }
    }
    ingredientList = ingredients;
    qtyList = quantities;
    return true;
}

bool WorkSettings::Delete(const QString &user)
{
    if (!safeComponent(filename))
        return false;
    const QString main = mainFilePath();
    if (!storedfile::exists(main.toStdString()))
        return false;
    // The deletion is recorded first: a list that cannot be written leaves
    // the recipe whole, and a power cut in between leaves at worst a file no
    // list names, never an entry without its file.
    RecipeElementList *list = isFunctionFolder() ? recipeListForFolder(path) : nullptr;
    const ListChange change(list);
    const auto saveList = [this, list] { return defaultRecipe ? list->SaveDefault() : list->Save(); };
    if (list) {
        if (defaultRecipe)
            list->removeElementDefault(getRecipeCode(), user);
        else
            list->removeElement(getRecipeCode(), user);
        if (!saveList()) {
            change.undo();
            return false;
        }
    }
    if (!storedfile::removeFile(main.toStdString())) {
        if (list) {
            change.undo();
            if (!saveList())
                platform::debugLine("WorkSettings -> lista non ripristinata: " + main.toStdString());
        }
        return false;
    }
    storedfile::removeFile(detailsFilePath().toStdString());
    platform::syncFolderOf(main.toStdString());
    return true;
}

// ---- details file -----------------------------------------------------------------

bool WorkSettings::SaveExtention(const QString &user)
{
    defaultRecipe = false;
    QByteArray bytes;
    {
        QDataStream out(&bytes, QIODevice::WriteOnly);
        out.setVersion(QDataStream::Qt_5_6);
        out << ingredientList << qtyList;
    }
    if (!safeComponent(filename)) {
        platform::reportToOperator(DETAILS_SAVE_ERROR);
        return false;
    }
    RecipeElementList *list = isFunctionFolder() ? recipeListForFolder(path) : nullptr;
    const ListChange change(list);
    const storedfile::Backup previous(detailsFilePath().toStdString());
    if (!writeAtomic(detailsFilePath(), bytes)) {
        platform::reportToOperator(DETAILS_SAVE_ERROR);
        return false;
    }
    if (list) {
        // The change time lives in the list: a details file whose change
        // could not be recorded is put back, or the remote application would
        // be told of a change time that does not exist.
        list->updateElement(getRecipeName(), user, getRecipeCode());
        if (!list->Save()) {
            previous.restore();
            change.undo();
            return false;
        }
    }
    return true;
}

namespace {

// Applies an edit to the ingredient lists and stores them; when the details
// file cannot be written the edit is undone, so the caller's false means
// nothing changed.
template <typename Edit>
bool editIngredients(WorkSettings &w, const QString &user, Edit edit)
{
    const QStringList ingredients = w.ingredientList;
    const QStringList quantities = w.qtyList;
    edit();
    if (w.SaveExtention(user))
        return true;
    w.ingredientList = ingredients;
    w.qtyList = quantities;
    return false;
}

} // namespace

bool WorkSettings::addIngredient(const QString &name, const QString &qty, const QString &user)
{
    if (ingredientList.size() >= MAX_INGREDIENTS)
        return false;
    return editIngredients(*this, user, [&] {
        ingredientList.append(name);
        qtyList.append(qty);
    });
}

bool WorkSettings::updateIngredient(const QString &name, const QString &qty, int index, const QString &user)
{
    if (index < 0 || index >= ingredientList.size())
        return false;
    return editIngredients(*this, user, [&] {
        ingredientList[index] = name;
        // The quantity list is parallel but read from an untrusted file.
        while (qtyList.size() <= index)
            qtyList.append(QString());
        qtyList[index] = qty;
    });
}

bool WorkSettings::deleteIngredient(int index, const QString &user)
{
    if (index < 0 || index >= ingredientList.size())
        return false;
    return editIngredients(*this, user, [&] {
        ingredientList.removeAt(index);
        if (index < qtyList.size())
            qtyList.removeAt(index);
    });
}

bool WorkSettings::deleteAllIngredient(const QString &user)
{
    return editIngredients(*this, user, [&] {
        ingredientList.clear();
        qtyList.clear();
    });
}
