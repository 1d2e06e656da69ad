#include "settings/translator.h"

#include "data/StoredFile.h"
#include "platform/log.h"
#include "platform/paths.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QLocale>

translator transLanguage;

namespace {

// A table of a few dozen languages is a few kilobytes; anything far larger is
// not a language table.
constexpr qint64 kMaxInfoLangSize = 256 * 1024;

void log(const QString &line)
{
    platform::debugLine(line.toStdString());
}

} // namespace

translator::translator(QObject *parent) : QObject(parent), fontToApp(FindFont(QStringLiteral("it"))) {}

QString translator::languagesDir()
{
    return QString::fromStdString(platform::path("/home/root/languages"));
}

QStringList translator::resourceFonts()
{
    return {QStringLiteral("://font/VeraIt.ttf"),     QStringLiteral("://font/DejaVuSans.ttf"),
            QStringLiteral("://font/cinese.ttf"),     QStringLiteral("://font/osaka.unicode.ttf"),
            QStringLiteral("://font/georgia.ttf"),    QStringLiteral("://font/nepali.ttf"),
            QStringLiteral("://font/greco.ttf"),
            // Not one of the script fonts: bold text (titles, numbers) would
            // otherwise be synthesised on a board without system fonts.
            QStringLiteral("://font/DejaVuSans-Bold.ttf")};
}

void translator::LoadAllFontDataBase()
{
    log(QStringLiteral(" <<< FontDataBase >>> "));
    QFontDatabase::removeAllApplicationFonts();
    log(QStringLiteral(" CARICAMENTO DATABASE DEI FONT   "));
    for (const QString &file : resourceFonts()) {
        const int id = QFontDatabase::addApplicationFont(file);
        if (id < 0) {
            // Script fonts without a free equivalent are not shipped; their
            // languages fall back to what the system provides.
            log(QStringLiteral("font non presente: ") + file);
            continue;
        }
        log(file + QStringLiteral(" -> ") + QFontDatabase::applicationFontFamilies(id).join(QStringLiteral(", ")));
    }
    // The board has no system fonts: until a language is loaded, the program
    // must still be written in the embedded font rather than a fallback.
    QFont f = QApplication::font();
    if (f.family() != fontToApp) {
        f.setFamily(fontToApp);
        QApplication::setFont(f);
    }
}

void translator::UnLoadAllFontDataBase()
{
    QFontDatabase::removeAllApplicationFonts();
}

bool translator::LoadInfoLang()
{
    Lingue.clear();
    QByteArray raw;
    if (!storedfile::readAll((languagesDir() + QStringLiteral("/info_lang.txt")).toStdString(), raw,
                             kMaxInfoLangSize)) {
        log(QStringLiteral("File non esiste!!!"));
        return false;
    }
    // ">name" opens an entry, the ">>name" line after it gives its display
    // name. A ">>" line without a preceding ">" line is ignored, and a ">"
    // line without its ">>" line gets no display name.
    bool pending = false;
    for (QByteArray line : raw.split('\n')) {
        line.replace('\r', QByteArray());
        if (line.contains('#'))
            continue;
        const QString text = QString::fromUtf8(line);
        if (text.startsWith(QLatin1String(">>"))) {
            if (pending)
                Lingue.last().displayName = text.mid(2);
            pending = false;
        } else if (text.startsWith(QLatin1Char('>'))) {
            Lingue.append(InfoLang{text.mid(1), QString()});
            pending = true;
        }
    }
    return true;
}

QString translator::FindFont(const QString &name)
{
    static const struct
    {
        const char *code;
        const char *family;
    } table[] = {{"ja", "osaka_unicode"}, {"zh", "TsangerYuYangT"}, {"ka", "AcadNusx"},
                 {"ne", "Gotu"},          {"el", "SBL Greek"}};
    for (const auto &row : table) {
        if (name.contains(QLatin1String(row.code)))
            return QString::fromLatin1(row.family);
    }
    return QStringLiteral("DejaVu Sans");
}

bool translator::LoadLanguage(const QString &name)
{
    loaded = name;
    const QStringList parts = name.split(QLatin1Char('_'));
    if (parts.size() < 2) {
        QLocale::setDefault(QLocale::c());
        log(QStringLiteral(" ERRORE iso 639 non trovato "));
    } else {
        QLocale::setDefault(QLocale(parts.at(1)));
        log(QStringLiteral(" iso 639 trovato"));
    }

    if (!t.isEmpty())
        QCoreApplication::removeTranslator(&t);

    // The name comes from a stored file: it must name a file inside the
    // languages folder, never a path elsewhere.
    const bool plainName = !name.isEmpty() && !name.contains(QLatin1Char('/')) && !name.startsWith(QLatin1Char('.'));
    res = plainName && t.load(name, languagesDir());

    if (res) {
        fontToApp = FindFont(name);
        QFont f = QApplication::font();
        f.setFamily(fontToApp);
        QApplication::setFont(f);
        QCoreApplication::installTranslator(&t);
        log(QStringLiteral("Traduttore INSTALLATO!!!!"));
    } else {
        log(QStringLiteral(" NON CARICATO"));
    }
    return res;
}

bool translator::applyLanguage(const QString &name)
{
    if (name == loaded)
        return res;
    return LoadLanguage(name);
}

QString translator::displayName(const QString &fileName) const
{
    for (const InfoLang &l : Lingue) {
        if (l.fileName == fileName)
            return l.displayName;
    }
    return QString();
}
