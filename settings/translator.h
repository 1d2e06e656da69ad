#pragma once
// Run-time language and font switching.
//
// Translations are compiled Qt files in "/home/root/languages", one per
// language, named "<word>_<iso639>" ("inglese_en", "italiano_it"). Each
// language is shown in a font that carries its script; the fonts ship inside
// the program's resources. One process-wide object, `transLanguage`, does the
// switching; installing or removing its translation makes Qt send a
// LanguageChange event to every open screen, whose changeEvent retranslates.

#include <QFont>
#include <QList>
#include <QObject>
#include <QString>
#include <QTranslator>

// One line pair of the language table: file name and display name.
struct InfoLang
{
    QString fileName;
    QString displayName;
};

class translator : public QObject
{
    Q_OBJECT

public:
    explicit translator(QObject *parent = nullptr);

    // Replaces the application fonts by those in the resources (fonts that are
    // not shipped are skipped) and writes the program in the current font.
    void LoadAllFontDataBase();
    void UnLoadAllFontDataBase();

    // Reads "<languages>/info_lang.txt" into Lingue; false when it is missing.
    bool LoadInfoLang();

    // The font family for a language file name.
    static QString FindFont(const QString &name);

    // Switches the application to a language; false when its file could not
    // be loaded (the texts are then in the source language).
    bool LoadLanguage(const QString &name);
    // LoadLanguage only when `name` is not the language already in force:
    // the home screen applies the stored language on every poll, and a
    // reload would retranslate every open screen each time.
    bool applyLanguage(const QString &name);
    void changeLanguage() {}

    // The display name of a language file from the table; empty when unknown.
    QString displayName(const QString &fileName) const;

    QString currentFont() const { return fontToApp; }
    // The current language's font at a size and weight, as the pages set it.
    QFont fontAt(int points, bool bold) const
    {
        QFont f(fontToApp);
        f.setPointSize(points);
        f.setBold(bold);
        return f;
    }
    QString loadedLanguage() const { return loaded; }
    bool lastLoadSucceeded() const { return res; }
    const QList<InfoLang> &languages() const { return Lingue; }

    // Languages folder, under the sandbox root when there is one.
    static QString languagesDir();
    // Names of the resource fonts, in loading order.
    static QStringList resourceFonts();

private:
    QTranslator t;
    bool res = false;
    QString fontToApp;
    QList<InfoLang> Lingue;
    QString loaded; // the name of the last load attempt
};

extern translator transLanguage;
