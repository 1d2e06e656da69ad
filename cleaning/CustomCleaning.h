#pragma once
// The custom cleaning selection: one of four cleaning cycles (blades or
// blades and shaft, quick or deep), its time for the glass in place, the
// start checks, and command 17 with the cycle's code. Once the board has
// taken the command the running screen follows the cycle.

#include "app/WaitResponseCmd.h"
#include "cleaning/CustomCleaningRunning.h"
#include "data/CleaningCycles.h"

#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <cstdint>

class QTimer;

namespace Ui {
class CustomCleaning;
}

class CustomCleaning : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kCheckMs = 300;
    static constexpr int kMaxRepetitions = 10;

    explicit CustomCleaning(QWidget *parent = nullptr);
    ~CustomCleaning() override;

    // The cycle chosen: program 0..2 (blades, shaft, both), intensity 0..5.
    int program() const { return cut_speed; }
    int intensity() const { return aff_speed; }
    // How many times the cycle runs in a row, 1 to kMaxRepetitions. The
    // screen has no keys for it; 1 unless set.
    void setRepetitions(int count);
    int repetitions() const { return activeEmulsionStep; }
    const cleancycles::CycleTable &cycleTable() const { return executionTimeCicle; }
    // The table entry of the chosen cycle for the glass now in place.
    int currentEntry() const;
    bool filterWarned() const { return filterNotifciation; }

    // What a start has opened, for the tests and the screenshot tool.
    WaitResponseCmd *waitDialog() const { return wait; }
    CustomCleaningRunning *runningScreen() const { return monitor; }

public slots:
    void on_program_type_1_clicked();
    void on_program_type_2_clicked();
    void on_program_type_3_clicked();
    void on_program_type_4_clicked();
    void updateWorkingTime();
    void on_start_work_clicked();
    void waitResponseCmdEnd();
    void workingStateCheck();
    void on_return_home_clicked();

protected:
    void changeEvent(QEvent *event) override;

private:
    void selectProgram(int program, int intensity);
    // When the chosen cycle is not offered for the glass in place, the first
    // one that is: intensities 0..5 of each program in turn.
    void selectFirstOffered();
    bool offered(int program, int intensity) const;
    // The checks in their order; false when one failed (its message shown).
    bool checksPass();
    void retranslate();

    Ui::CustomCleaning *ui;
    int activeEmulsionStep = 1;
    int cut_speed = 0;
    int aff_speed = 0;
    QTimer *workingTimer;
    uint8_t PressionType = 0;
    QStringList listNameSpeed;
    QStringList listNameImmersion;
    cleancycles::CycleTable executionTimeCicle;
    bool filterNotifciation = false;

    // The cycle a start sent, as the board got it.
    struct Sent
    {
        int program = 0;
        int intensity = 0;
        int entry = 0;
        uint8_t code = 0;
    } sent;
    QPointer<WaitResponseCmd> wait;
    QPointer<CustomCleaningRunning> monitor;
};
