#pragma once
// The machine's answers turned into readable records (JSON objects). Answers
// come over the network: every read is bounds-checked, and a short or damaged
// answer gives ok == false instead of made-up values.

#include "link/ByteUtils.h"

#include <QJsonObject>
#include <QString>

#include <cstdint>
#include <string>

// Reads an answer payload field by field from a position.
class AnswerReader
{
public:
    AnswerReader(ByteVector bytes, std::size_t start) : bytes(std::move(bytes)), pos(start) {}
    uint32_t u32();
    uint8_t byte();
    std::string text();
    bool ok() const { return good; }
    bool atEnd() const { return pos >= bytes.size(); }

private:
    ByteVector bytes;
    std::size_t pos;
    bool good = true;
};

const char *typeFolder(uint8_t type);
// "1".."3" or a folder name ("milling"/"frostizing", "cutting", "whipping"); 0 when neither.
uint8_t parseType(const QString &text);

QString timeText(uint32_t epochSeconds);

// A recipe's byte form (answer to 0x87 after the status byte). The ingredient
// count is in "ingredientCount"; the ingredients are fetched separately.
QJsonObject recipeRecord(AnswerReader &r);
// A beaker's byte form (answer to 0x82 after the status byte).
QJsonObject beakerRecord(AnswerReader &r);

// A file name for a code that came from the machine: only letters, digits,
// ".", "-" and "_" are kept, and it cannot be "." or "..".
QString safeFileName(const QString &code);
