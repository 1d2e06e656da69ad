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
// A program in the form recipeRecord() gives (the JSON that `recipe get`
// prints, edited or not) turned into the byte form of a guest program: name,
// type, minimum stock, reference glass, the four portion and mode bytes, the
// 7 milling and 8 emulsion steps, the extra cycles. Only what the byte form
// cannot carry is refused here (a missing field, a value that is not a whole
// number of its field's size); whether the values make a program the machine
// can run is the machine's to decide. False with `problem` set on refusal.
bool guestProgramBytes(const QJsonObject &program, ByteVector *out, QString *problem);

// A beaker's byte form (answer to 0x82 after the status byte).
QJsonObject beakerRecord(AnswerReader &r);

// A file name for a code that came from the machine: only letters, digits,
// ".", "-" and "_" are kept, and it cannot be "." or "..".
QString safeFileName(const QString &code);
