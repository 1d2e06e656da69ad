// Storage of a work program: the main settings file, the ingredient (details)
// file, and their registration in the recipe index lists.

#include "data/WorkSettings.h"

#include "data/DataHooks.h"
#include "data/DataState.h"
#include "data/RecipeElementList.h"
#include "data/StreamIO.h"

#include "platform/atomicfile.h"
#include "platform/log.h"
#include "platform/paths.h"
#include "platform/report.h"

#include <QDataStream>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <unistd.h>

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

// Makes a removal survive a power cut.
void syncFolderOf(const QString &file)
{
    if (!platform::durableWrites())
        return;
    const int fd = ::open(QFileInfo(file).absolutePath().toLocal8Bit().constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
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

bool WorkSettings::Save(const QString &user)
{
    defaultRecipe = false;
    RecipeElementList *list = nullptr;
    if (isFunctionFolder()) {
        list = recipeListForFolder(path);
        if (!list) {
            platform::debugLine("WorkSettings -> lista ricette non disponibile per " + path.toStdString());
            platform::reportToOperator(SAVE_ERROR);
            return false;
        }
        filename = list->generateId(filename, false, user);
    }
    if (!safeComponent(filename) || !writeMainFile()) {
        // With crash-safe writes a failed save leaves an existing recipe's
        // file intact; only an entry without a file is taken back out.
        if (list && !QFile::exists(mainFilePath()))
            list->removeElement(getRecipeCode(), user);
        platform::reportToOperator(SAVE_ERROR);
        return false;
    }
    if (list)
        list->Save();
    return true;
}

bool WorkSettings::Update(const QString &name, const QString &user)
{
    defaultRecipe = false;
    if (!safeComponent(filename) || !writeMainFile()) {
        platform::reportToOperator(SAVE_ERROR);
        return false;
    }
    if (RecipeElementList *list = isFunctionFolder() ? recipeListForFolder(path) : nullptr) {
        list->updateElement(name, user, getRecipeCode());
        list->Save();
    }
    return true;
}

bool WorkSettings::Load(const QString &)
{
    QFile f(mainFilePath());
    if (!safeComponent(filename) || !f.open(QIODevice::ReadOnly)) {
        // A missing preset file falls back to the presets of its CSV file.
        if (filename == QLatin1String("whipping")) {
            if (DataHooks::initWhippingDefaultSettings)
                DataHooks::initWhippingDefaultSettings();
        } else if (filename.startsWith(QLatin1String("cutting"))) {
            if (DataHooks::initCuttingDefaultSettings)
                DataHooks::initCuttingDefaultSettings();
        } else if (filename == QLatin1String("milling")) {
            if (DataHooks::initMillingDefaultSettings)
                DataHooks::initMillingDefaultSettings();
        }
        return false;
    }
    const QByteArray bytes = f.read(MAIN_FILE_SIZE);
    f.close();
    if (bytes.size() < MAIN_FILE_MANDATORY) {
        // A torn or foreign file: keep the program as it was rather than
        // running with settings made up of zeros.
        platform::debugLine("WorkSettings -> file troppo corto: " + mainFilePath().toStdString());
        return false;
    }

    int at = 0;
    auto next = [&bytes, &at]() { return static_cast<uint8_t>(bytes[at++]); };
    readStepBlock(next);
    extraEmulsionStep = next();
    if (at < bytes.size())
        minStockQty = next();
    if (at < bytes.size())
        referenceGlass = next();

    QFile details(detailsFilePath());
    QStringList ingredients;
    QStringList quantities;
    if (details.open(QIODevice::ReadOnly)) {
        QDataStream in(&details);
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
    if (!QFile::remove(main))
        return false;
    QFile::remove(detailsFilePath());
    syncFolderOf(main);
    if (RecipeElementList *list = isFunctionFolder() ? recipeListForFolder(path) : nullptr) {
        if (defaultRecipe) {
            list->removeElementDefault(getRecipeCode(), user);
            list->SaveDefault();
        } else {
            list->removeElement(getRecipeCode(), user);
            list->Save();
        }
    }
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
    if (!safeComponent(filename) || !writeAtomic(detailsFilePath(), bytes)) {
        platform::reportToOperator(DETAILS_SAVE_ERROR);
        return false;
    }
    if (RecipeElementList *list = isFunctionFolder() ? recipeListForFolder(path) : nullptr) {
        list->updateElement(getRecipeName(), user, getRecipeCode());
        list->Save();
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
