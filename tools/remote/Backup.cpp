#include "Backup.h"

#include "Records.h"

#include "data/GlassElement.h"
#include "data/WorkSettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSet>

#include <algorithm>
#include <map>

namespace {

// Far above what a machine holds (an export of a full machine is a few
// megabytes), far below what could exhaust the service computer.
constexpr qint64 MaxIndexFile = 16 << 20;
constexpr qint64 MaxObjectFile = 256 << 10;
constexpr int MaxEntries = 20000;
constexpr qint64 MaxTotal = 128 << 20; // all files together
constexpr int MaxProblems = 10;

// The settings part of the byte form of a program: 4 portion and mode
// bytes, 7 milling steps of 2, 8 emulsion steps of 5, the extra cycles.
constexpr std::size_t SettingsBytes = 4 + 7 * 2 + 8 * 5 + 1;

class Problems
{
public:
    explicit Problems(QStringList *list) : list(list) {}
    void add(const QString &where, const QString &what)
    {
        ++count;
        if (list->size() < MaxProblems)
            *list << where + ": " + what;
        else if (list->size() == MaxProblems)
            *list << "(further problems not listed)";
    }
    int count = 0;
    bool unreadable = false;
    qint64 bytesRead = 0;

private:
    QStringList *list;
};

// A whole number from 0 to max, or -1.
qint64 whole(const QJsonValue &v, qint64 max)
{
    if (!v.isDouble())
        return -1;
    const double d = v.toDouble();
    if (d < 0 || d > double(max) || d != double(qint64(d)))
        return -1;
    return qint64(d);
}

// A text the machine can take as a name: not empty, at most 255 bytes, no
// control characters (a name is printed in reports and shown on screens).
bool plainText(const QJsonValue &v, bool mayBeEmpty, QString *out)
{
    if (!v.isString())
        return false;
    const QString s = v.toString();
    if ((!mayBeEmpty && s.trimmed().isEmpty()) || s.toUtf8().size() > 255)
        return false;
    for (const QChar c : s) {
        if (c.category() == QChar::Other_Control)
            return false;
    }
    *out = s;
    return true;
}

// A JSON object from a regular file of bounded size.
bool readObject(const QString &path, qint64 maxSize, const QString &name, Problems &p, QJsonObject *out)
{
    const QFileInfo info(path);
    if (!info.exists()) {
        p.unreadable = true;
        p.add(name, "missing");
        return false;
    }
    // Not a device, a pipe or a folder: those could block or never end.
    if (!info.isFile()) {
        p.add(name, "not a regular file");
        return false;
    }
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        p.unreadable = true;
        p.add(name, "cannot be read: " + f.errorString());
        return false;
    }
    const QByteArray text = f.read(maxSize + 1);
    if (f.error() != QFileDevice::NoError) {
        p.unreadable = true;
        p.add(name, "cannot be read: " + f.errorString());
        return false;
    }
    if (text.size() > maxSize) {
        p.add(name, QString("larger than %1 bytes").arg(maxSize));
        return false;
    }
    p.bytesRead += text.size();
    if (p.bytesRead > MaxTotal) {
        p.add(name, QString("the files together are larger than %1 bytes").arg(MaxTotal));
        return false;
    }
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(text, &error);
    if (error.error != QJsonParseError::NoError) {
        p.add(name, QString("not JSON: %1 at byte %2").arg(error.errorString()).arg(error.offset));
        return false;
    }
    if (!doc.isObject()) {
        p.add(name, "not a JSON object");
        return false;
    }
    *out = doc.object();
    return true;
}

void readRecipe(const QDir &dir, const QJsonValue &entryValue, int n, Problems &p, Backup *backup,
                QSet<QString> *names, QSet<QString> *codes)
{
    const QString where = QString("index.json: recipe entry %1").arg(n);
    const QJsonObject entry = entryValue.toObject();
    const qint64 type = whole(entry.value("type"), 3);
    const qint64 code = whole(entry.value("code"), 0xFFFFFFFFLL);
    if (!entryValue.isObject() || type < 1 || code < 1) {
        p.add(where, "no valid \"type\" (1 to 3) and \"code\"");
        return;
    }
    // The file name is made here from the checked type and code; the index
    // must name that very file, so nothing else is ever opened.
    const QString file = QString("recipes/%1/%2.json").arg(typeFolder(uint8_t(type))).arg(code);
    if (entry.value("file").toString() != file) {
        p.add(where, "\"file\" is not " + file);
        return;
    }
    if (codes->contains(file)) {
        p.add(where, file + " listed twice");
        return;
    }
    codes->insert(file);

    QJsonObject o;
    if (!readObject(dir.filePath(file), MaxObjectFile, file, p, &o))
        return;
    BackupRecipe r;
    r.type = uint8_t(type);
    r.code = uint32_t(code);
    QString problem;
    if (whole(o.value("type"), 3) != type || whole(o.value("code"), 0xFFFFFFFFLL) != code)
        problem = "its type or code differs from the index";
    else if (!plainText(o.value("name"), false, &r.name))
        problem = "\"name\" must be a text of 1 to 255 bytes without control characters";
    else if (entry.value("name") != o.value("name"))
        problem = "its name differs from the index";
    else if (entry.value("updated") != o.value("updated"))
        problem = "its update time differs from the index";
    else if (whole(o.value("minStock"), 255) < 0)
        problem = "\"minStock\" must be a whole number from 0 to 255";
    else if (whole(o.value("referenceGlass"), 255) < 0)
        problem = "\"referenceGlass\" must be a whole number from 0 to 255";
    else if (programSettings(o, &r.settings, &problem))
        recipeIngredients(o, &r.ingredients, &problem);
    if (!problem.isEmpty()) {
        p.add(file, problem);
        return;
    }
    r.minStock = uint8_t(whole(o.value("minStock"), 255));
    r.referenceGlass = uint8_t(whole(o.value("referenceGlass"), 255));
    const QString key = QString::number(type) + "/" + r.name;
    if (names->contains(key)) {
        p.add(file, QString("a second %1 recipe named \"%2\"").arg(typeFolder(r.type), r.name));
        return;
    }
    names->insert(key);
    backup->recipes.push_back(r);
}

void readBeaker(const QDir &dir, const QJsonValue &entryValue, int n, Problems &p, Backup *backup,
                QSet<QString> *files)
{
    const QString where = QString("index.json: beaker entry %1").arg(n);
    const QJsonObject entry = entryValue.toObject();
    const QString code = entry.value("code").toString();
    if (!entryValue.isObject() || !GlassElement::isValidGlassCode(code)) {
        p.add(where, "no valid beaker \"code\"");
        return;
    }
    const QString file = "beakers/" + safeFileName(code) + ".json";
    if (entry.value("file").toString() != file) {
        p.add(where, "\"file\" is not " + file);
        return;
    }
    // Two codes can share a file name (characters replaced by "_").
    if (files->contains(file)) {
        p.add(where, file + " listed twice");
        return;
    }
    files->insert(file);

    QJsonObject o;
    if (!readObject(dir.filePath(file), MaxObjectFile, file, p, &o))
        return;
    BackupBeaker b;
    b.code = code;
    b.size = o.value("size").toString();
    const qint64 deadline = whole(o.value("deadline"), 0xFFFFFFFFLL);
    const qint64 recipeCode = whole(o.value("recipeCode"), 0xFFFFFFFFLL);
    const qint64 recipeType = whole(o.value("recipeType"), 3);
    const qint64 portions = whole(o.value("portionsLeft"), 0xFFFFFFFFLL);
    QString problem;
    if (o.value("code").toString() != code)
        problem = "its code differs from the index";
    else if (entry.value("updated") != o.value("updated"))
        problem = "its update time differs from the index";
    else if (!GlassElement::isValidGlassType(b.size))
        problem = "\"size\" must be \"1\" or \"2\"";
    else if (deadline < 0 || recipeCode < 1 || recipeType < 1 || portions < 0)
        problem = "\"deadline\", \"recipeCode\", \"recipeType\" (1 to 3) or \"portionsLeft\" missing or out of range";
    if (!problem.isEmpty()) {
        p.add(file, problem);
        return;
    }
    b.deadline = uint32_t(deadline);
    b.recipeCode = uint32_t(recipeCode);
    b.recipeType = uint8_t(recipeType);
    b.portionsLeft = uint32_t(portions);
    backup->beakers.push_back(b);
}

} // namespace

bool programSettings(const QJsonObject &recipe, ByteVector *settings, QString *problem)
{
    ByteVector bytes;
    if (!guestProgramBytes(recipe, &bytes, problem))
        return false;
    settings->assign(bytes.end() - std::ptrdiff_t(SettingsBytes), bytes.end());
    return true;
}

bool recipeIngredients(const QJsonObject &recipe, Ingredients *out, QString *problem)
{
    const QJsonValue v = recipe.value("ingredients");
    if (!v.isArray() || v.toArray().size() > MAX_INGREDIENTS) {
        *problem = QString("\"ingredients\" must be a list of at most %1").arg(MAX_INGREDIENTS);
        return false;
    }
    Ingredients list;
    for (const QJsonValue &i : v.toArray()) {
        QString name, quantity;
        if (!plainText(i.toObject().value("name"), true, &name)
            || !plainText(i.toObject().value("quantity"), true, &quantity)) {
            *problem = "every ingredient needs a \"name\" and a \"quantity\", texts of at most 255 bytes";
            return false;
        }
        list.append({name, quantity});
    }
    *out = list;
    return true;
}

BackupResult readBackup(const QString &path, Backup *backup, QStringList *problems)
{
    Problems p(problems);
    const QDir dir(path);
    QJsonObject index;
    if (!readObject(dir.filePath("index.json"), MaxIndexFile, "index.json", p, &index))
        return p.unreadable ? BackupResult::Unreadable : BackupResult::Invalid;
    const QJsonValue recipes = index.value("recipes");
    const QJsonValue beakers = index.value("beakers");
    if (!recipes.isArray() || !beakers.isArray()) {
        p.add("index.json", "\"recipes\" and \"beakers\" must be lists");
        return BackupResult::Invalid;
    }
    if (recipes.toArray().size() > MaxEntries || beakers.toArray().size() > MaxEntries) {
        p.add("index.json", QString("more than %1 entries").arg(MaxEntries));
        return BackupResult::Invalid;
    }
    Backup b;
    QSet<QString> names, files;
    int n = 0;
    for (const QJsonValue &entry : recipes.toArray())
        readRecipe(dir, entry, n++, p, &b, &names, &files);
    n = 0;
    for (const QJsonValue &entry : beakers.toArray())
        readBeaker(dir, entry, n++, p, &b, &files);
    if (p.count > 0)
        return p.unreadable ? BackupResult::Unreadable : BackupResult::Invalid;

    // The order of creation: a fresh machine hands out codes in turn, so
    // recipes created in their old order keep their old codes where it can.
    std::sort(b.recipes.begin(), b.recipes.end(), [](const BackupRecipe &x, const BackupRecipe &y) {
        return x.type != y.type ? x.type < y.type : x.code < y.code;
    });
    std::sort(b.beakers.begin(), b.beakers.end(),
              [](const BackupBeaker &x, const BackupBeaker &y) { return x.code < y.code; });
    *backup = std::move(b);
    return BackupResult::Ok;
}
