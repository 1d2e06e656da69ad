#pragma once
// One work program: a preset, a user or default recipe, a cleaning cycle or
// the program being run. It holds the milling phase (up to 7 descent steps),
// the emulsion phase (up to 8 steps), the portion settings, the recipe
// identity and the statistics the link thread records during a run; it is
// stored in two files (settings bytes, ingredients) and travels to and from
// the remote application in a byte form.

#include "link/ByteUtils.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <string>

// Folder of the main program files; ends in "/", so preset names carry "//".
constexpr const char save_base_path[] = "/home/root/recipes/";
// Folder of the ingredient (details) files, on the SD card.
constexpr const char details_base_path[] = "/mnt/mmc-memory/recipes/";

typedef struct _millingStep
{
    uint8_t CutSpeed;       // index into rpmSpeedTable
    uint8_t ImmersionSpeed; // index into immersionSpeedTable
} MillingStep;

typedef struct _emulsionStep
{
    uint8_t Pause; // tenths of a second before the step; EMULSION_STEP_DISABLED turns it off
    uint8_t CutSpeed;
    uint8_t ImmersionSpeed;
    uint8_t PressionType;
    uint8_t PressionIntensity;
} EmulsionStep;

// The board takes 7-bit bytes: every value sent to it must stay below this.
constexpr uint8_t BOARD_BYTE_LIMIT = 0x80;
constexpr int MILLING_STEPS = 7;
constexpr int EMULSION_STEPS = 8;
constexpr uint8_t EMULSION_STEP_DISABLED = 127;
// Most ingredients a recipe may hold.
constexpr int MAX_INGREDIENTS = 25;

class WorkSettings
{
public:
    WorkSettings();

    void resetSettings();
    void resetWorkingData();

    // ---- plain accessors ----
    void setPortion(uint8_t n) { _portionNumber = n; }
    uint8_t getPortion() const { return _portionNumber; }
    void setPortionDimension(uint8_t d) { _portionDimension = d; }
    uint8_t getPortionDimension() const { return _portionDimension; }
    void setEmulsionWorkingMode(uint8_t m) { _emulsionWorkingMode = m; }
    uint8_t getEmulsionWorkingMode() const { return _emulsionWorkingMode; }
    void setMillingPressionType(uint8_t t) { _millingPressionType = t; }
    uint8_t getMillingPressionType() const { return _millingPressionType; }
    void setMillingPressionIntensity(uint8_t i) { _millingPressionIntensity = i; }
    uint8_t getMillingPressionIntensity() const { return _millingPressionIntensity; }
    uint8_t getExtraEmulsionStep() const { return extraEmulsionStep; }
    uint8_t getReworkAddStep() const { return reworkAddStep; }

    // ---- milling steps (indexes outside 0..6 are ignored) ----
    void setMillingSteps(uint8_t cut, uint8_t imm, int index);
    void setMillingSteps(uint8_t cut, uint8_t imm);
    MillingStep getMillingSteps(int index) const;
    void enableMillingSteps(int index);
    bool checkAdvanceMillingSteps() const;
    // Milling steps a run uses: _portionDimension / 2, at most the 7 there are.
    int millingStepsInUse() const;

    // ---- emulsion steps (indexes outside 0..7 are ignored) ----
    void setEmulsionSteps(uint8_t pause, uint8_t cut, uint8_t imm, uint8_t pressionType, uint8_t pressionIntensity,
                          int index);
    void setEmulsionSteps(uint8_t pause, uint8_t cut, uint8_t imm, uint8_t pressionType, uint8_t pressionIntensity);
    void setEmulsionSteps(uint8_t cut, uint8_t imm, int index);
    void setEmulsionSteps(uint8_t cut, uint8_t imm);
    void setEmulsionStepsUp(uint8_t cut, uint8_t imm);
    void setEmulsionStepsPression(uint8_t pressionType, uint8_t pressionIntensity, int index);
    void copyEmulsionStep(int source, int target);
    EmulsionStep getEmulsionSteps(int index) const;
    void enableEmulsionSteps(int index);
    void enableEmulsionStepsSimple(int index, bool flag);
    void disableEmulsionSteps(int index);
    int getEnabledEmulsionSteps() const;
    bool checkAdvanceEmulsionSteps() const;
    bool checkAdvanceEmulsionStepsDown() const;

    // ---- limits ----
    // What in the settings part lies beyond its limits (speed indexes past
    // their tables, more milling steps than there are, bytes the board cannot
    // take, an unknown mode, too many extra cycles); empty when all is in
    // range. A guest must also name its recipe type. Checked wherever a
    // program enters: stored files, the remote application, the CSV presets.
    std::string rangeProblem(bool guest = false) const;

    // ---- extra cycles ----
    bool setExtraEmulsionStep(uint8_t n);
    bool setReworkAddStep(uint8_t n);
    uint8_t getTotalEmulsionCicle() const;

    // ---- identity and recipe data ----
    uint32_t getRecipeCode() const;
    void setRecipeType(uint8_t type);
    uint8_t getRecipeType() const;
    QString getRecipeName() const;
    uint32_t getUpdate() const;
    uint8_t getIngredientNumber() const;
    std::string getIngredient(int i) const;
    std::string getQty(int i) const;

    // ---- board payloads of the work sequence ----
    ByteVector getMillingCmdByte() const;
    ByteVector getEmulsionCmdByte() const;
    ByteVector getEmulsionRepetionCmdByte() const;

    // ---- run statistics (link thread, raw 7-bit samples) ----
    void registerNewTemperature(uint8_t raw);
    void registerNewAbsobtion(uint8_t raw);

    // ---- time estimates in seconds ----
    int calculateMillingTime(int portions) const;
    int calculateTotalWorkingTime(int portions) const;
    bool enoughtPortion() const;

    // ---- files ----
    bool Save(const QString &user);
    bool Save(const char *user) { return Save(QString::fromUtf8(user)); }
    bool Save(const std::string &user) { return Save(QString::fromStdString(user)); }
    bool Update(const QString &name, const QString &user);
    bool Update(const char *name, const char *user) { return Update(QString::fromUtf8(name), QString::fromUtf8(user)); }
    bool Update(const std::string &name, const std::string &user)
    {
        return Update(QString::fromStdString(name), QString::fromStdString(user));
    }
    bool SaveExtention(const QString &user);
    bool SaveExtention(const char *user) { return SaveExtention(QString::fromUtf8(user)); }
    bool SaveExtention(const std::string &user) { return SaveExtention(QString::fromStdString(user)); }
    bool addIngredient(const QString &name, const QString &qty, const QString &user);
    bool addIngredient(const char *name, const char *qty, const char *user)
    {
        return addIngredient(QString::fromUtf8(name), QString::fromUtf8(qty), QString::fromUtf8(user));
    }
    bool addIngredient(const std::string &name, const std::string &qty, const std::string &user)
    {
        return addIngredient(QString::fromStdString(name), QString::fromStdString(qty), QString::fromStdString(user));
    }
    bool updateIngredient(const QString &name, const QString &qty, int index, const QString &user);
    bool updateIngredient(const char *name, const char *qty, int index, const char *user)
    {
        return updateIngredient(QString::fromUtf8(name), QString::fromUtf8(qty), index, QString::fromUtf8(user));
    }
    bool updateIngredient(const std::string &name, const std::string &qty, int index, const std::string &user)
    {
        return updateIngredient(QString::fromStdString(name), QString::fromStdString(qty), index,
                                QString::fromStdString(user));
    }
    bool deleteIngredient(int index, const QString &user);
    bool deleteIngredient(int index, const char *user) { return deleteIngredient(index, QString::fromUtf8(user)); }
    bool deleteIngredient(int index, const std::string &user)
    {
        return deleteIngredient(index, QString::fromStdString(user));
    }
    bool deleteAllIngredient(const QString &user);
    bool deleteAllIngredient(const char *user) { return deleteAllIngredient(QString::fromUtf8(user)); }
    bool deleteAllIngredient(const std::string &user) { return deleteAllIngredient(QString::fromStdString(user)); }
    // The argument is not used: the program loads what its own filename,
    // path and defaultRecipe name. A missing, short or out-of-range file
    // gives false and leaves the program as it was, except that a preset
    // then goes back to its CSV record (rebuildPresetFromCsv).
    bool Load(const QString &ignored = QString());
    bool Load(const char *) { return Load(QString()); }
    bool Load(const std::string &) { return Load(QString()); }
    bool Delete(const QString &user);
    bool Delete(const char *user) { return Delete(QString::fromUtf8(user)); }
    bool Delete(const std::string &user) { return Delete(QString::fromStdString(user)); }

    QString mainFilePath() const;
    QString detailsFilePath() const;

    // ---- remote byte form and work report ----
    ByteVector toByte() const;
    // Reads a guest program at *position and advances it. A buffer shorter
    // than the form, or a program beyond its limits (rangeProblem), returns
    // false and leaves program and position untouched.
    bool fromByteAsGuest(const ByteVector &bytes, uint32_t *position);
    QString toString() const;

    // ---- fields, in declaration order ----
    QString filename;
    QString displayName;
    QString path;
    bool defaultRecipe = false;
    uint32_t startWork = 0;
    uint32_t endWork = 0;
    uint32_t startMilling = 0;
    bool userStop = false;
    double absorptionActual = 0;
    double temperatureActual = 0;
    uint16_t numOfStepMilling = 0;
    uint8_t numOfStepEmulsion = 0;
    bool toMuchMaterial = false;
    int glassDimension = 80;
    uint8_t minStockQty = 0;
    uint8_t referenceGlass = 0;
    uint8_t _portionDimension = 8;
    uint8_t _portionNumber = 0;
    uint8_t _emulsionWorkingMode = 0;
    uint8_t _millingPressionType = 0;
    uint8_t _millingPressionIntensity = 0;
    MillingStep _millingSteps[MILLING_STEPS] = {};
    EmulsionStep _emulsionSteps[EMULSION_STEPS] = {};
    double absorptionMin = 0;
    double absorptionMax = 0;
    double absorptionMid = 0;
    uint32_t absorptionCount = 0;
    uint32_t temperatureCount = 0;
    double temperatureMin = 0;
    double temperatureMax = 0;
    double temperatureMid = 0;
    uint8_t extraEmulsionStep = 0;
    uint8_t reworkAddStep = 0; // cycles added while reworking a run; not stored
    QStringList ingredientList;
    QStringList qtyList;

    // Portion, pressure, mode and the milling and emulsion steps: the block
    // the stored file and the remote byte form share, in their byte order
    // (emulsion intensity before type, pause last).
    void appendStepBlock(ByteVector &out) const;
    // Reads that block; `next` yields the following byte.
    void readStepBlock(const std::function<uint8_t()> &next);

private:
    bool isFunctionFolder() const;
    void foldReworkSteps();
    bool writeMainFile();
};
