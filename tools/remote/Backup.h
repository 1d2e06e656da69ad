#pragma once
// A backup as `export` writes it (index.json and one JSON file per recipe and
// beaker), read back for `import`. A backup comes from a USB stick or a
// service computer: sizes are bounded, every value is checked, and the files
// read are only those whose names the index's own validated types and codes
// give. Any problem refuses the whole backup, before anything is changed.

#include "link/ByteUtils.h"

#include <QJsonObject>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

using Ingredients = QList<QPair<QString, QString>>; // name, quantity

struct BackupRecipe
{
    uint8_t type = 0;
    uint32_t code = 0; // the code on the machine it was exported from
    QString name;
    uint8_t minStock = 0;
    uint8_t referenceGlass = 0;
    ByteVector settings; // portion, modes, steps, extra cycles: see programSettings()
    Ingredients ingredients;
};

struct BackupBeaker
{
    QString code;
    QString size;
    uint32_t deadline = 0;
    uint32_t recipeCode = 0;
    uint8_t recipeType = 0;
    uint32_t portionsLeft = 0;
};

struct Backup
{
    std::vector<BackupRecipe> recipes; // by type, then code
    std::vector<BackupBeaker> beakers; // by code
};

enum class BackupResult {
    Ok,
    Unreadable, // a file cannot be read at all
    Invalid,    // a file does not parse, or does not agree with the index
};

// Reads and checks the whole backup; `problems` lists what is wrong (the
// first few).
BackupResult readBackup(const QString &dir, Backup *backup, QStringList *problems);

// The part of a recipe record that only a template or source recipe can set
// on a machine: the portion and mode bytes, the milling and emulsion steps
// and the extra cycles, in their byte form. False with `problem` set when
// the record is no program.
bool programSettings(const QJsonObject &recipe, ByteVector *settings, QString *problem);

// A recipe record's ingredients ("ingredients": [{name, quantity}]); false
// with `problem` set when they are malformed or too many.
bool recipeIngredients(const QJsonObject &recipe, Ingredients *out, QString *problem);
