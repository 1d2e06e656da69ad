#pragma once
// One registered beaker: the code printed on it, its size, when it was filled
// and expires, the recipe it holds and the portions left. Each beaker has its
// own file "/home/root/glasses/<code>.cont"; every save or delete is recorded
// in the registry (glassList).

#include "link/ByteUtils.h"

#include <QString>

#include <cstdint>
#include <string>

class GlassElement
{
public:
    static constexpr uint32_t ONE_YEAR = 31536000;
    static constexpr uint8_t FULL_BIG = 65;
    static constexpr uint8_t FULL_SMALL = 40;

    GlassElement();
    void reset();

    // Exactly 9 characters; the part after the first "." a decimal number from
    // 1 to 999999; the part before it printable and unable to leave the
    // beakers' folder (no "/", "\", control characters, "." or "..").
    static bool isValidGlassCode(const QString &code);
    // "1" (small) or "2" (big), possibly with a leading zero.
    static bool isValidGlassType(const QString &type);

    QString getGlassCode() const { return glassCode; }
    QString getFullGlassCode() const { return glassCode; }
    QString getGlassType() const { return glassType; }
    uint32_t getCreationDate() const { return creationDate; }
    uint32_t getDeadLineDate() const { return deadLineDate; }
    uint8_t getResidualContent() const { return residualContent; }
    uint32_t getRecipeCode() const { return recipeCode; }
    uint8_t getRecipeType() const { return recipeType; }
    // Last change (or deletion) time from the registry.
    uint32_t getUpdate() const;
    // Portions of a full beaker of this type.
    uint8_t getFullContent() const;

    bool setGlassCode(const QString &code);
    bool setGlassCode(const char *code);
    bool setGlassCode(const std::string &code);
    bool setGlassType(const QString &type);
    bool setGlassType(const char *type);
    bool setGlassType(const std::string &type);
    bool setCreationDate();
    bool setCreationDate(uint32_t t);
    bool setDeadLineDate(uint32_t t);
    bool setRecipeCode(uint32_t code);
    bool setRecipeType(uint8_t type);

    bool initResidualContent();
    // Keeps the beaker while more than 2 portions are left, else deletes it.
    bool setResidualContent(int n);
    bool decreaseGlassContent(int n);

    // A beaker has been read or set.
    bool isLoad() const;

    // Writes the beaker file and records the change in the registry; when
    // either cannot be stored, both stay as they were and the answer is false.
    bool Save(const QString &user);
    bool Load();
    // Records the deletion and removes the file; true when the registry
    // records it (also for a registered beaker whose file was already gone).
    // The code and type are emptied on success.
    bool Delete(const QString &user);

    // The remote protocol's form: code, type, creation, deadline, recipe code,
    // recipe type, content (4 bytes) and last change time; big-endian.
    ByteVector toByte() const;

    std::string filePath() const;

private:
    QString glassCode;
    QString glassType;
    uint32_t creationDate = 0;
    uint32_t deadLineDate = 0;
    uint8_t residualContent = 0;
    uint32_t recipeCode = 0;
    uint8_t recipeType = 0;
};
