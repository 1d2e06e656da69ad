#pragma once
// The cleaning menu, opened from the home screen's cleaning tile: blade
// release, the purge of the air duct, and the custom cleaning cycle.
//
// Nothing here blocks: the purge message and the glass hint are shown
// without a nested event loop, and what follows them runs in a slot.
// While a firmware update runs (fwUpdateStarted) the menu takes no touch:
// a command queued meanwhile would reach the board's loader.

#include "app/DialogMessage.h"
#include "app/ErrorMessage.h"
#include "cleaning/CustomCleaning.h"
#include "cleaning/ReleaseBlade.h"

#include <QPointer>
#include <QWidget>

namespace Ui {
class Cleaning;
}

class Cleaning : public QWidget
{
    Q_OBJECT

public:
    explicit Cleaning(QWidget *parent = nullptr);
    ~Cleaning() override;

    // What the menu has opened, for the tests and the screenshot tool.
    DialogMessage *purgeMessage() const { return purgeDialog; }
    ErrorMessage *glassHint() const { return glassMessage; }
    CustomCleaning *customCleaning() const { return customPage; }

public slots:
    void release_clicked();
    void cleanfast_clicked();
    void customclean_clicked();
    void closeWin();

protected:
    void changeEvent(QEvent *event) override;

private slots:
    void purgeClosed();
    void openCustomCleaning();
    void customCleaningClosed();

private:
    // False while something the menu opened is still up, or during a
    // firmware update.
    bool takesTouch() const;
    void applyFonts();

    Ui::Cleaning *ui;
    QPointer<DialogMessage> purgeDialog;
    QPointer<ErrorMessage> glassMessage;
    QPointer<CustomCleaning> customPage;
    QPointer<ReleaseBlade> releasePage;
    bool purging = false; // command 21 on has been queued and not yet taken back
};
