#include "cleaning/CleaningLook.h"


namespace cleaninglook {

// The selection colours of the program keys are the ones the selection
// names: green chosen, white not.
const char *const kChoiceKey =
    "QPushButton { background-color: rgb(255, 255, 255); color: #202020; border: 2px solid "
    "rgba(126, 191, 255, 255); border-radius: 8px; } QPushButton:disabled { color: rgb(170, 178, 186); "
    "border-color: rgb(214, 221, 229); }";
const char *const kChosenKey =
    "QPushButton { background-color: rgb(88, 186, 72); color: #ffffff; border: 2px solid "
    "rgb(88, 186, 72); border-radius: 8px; }";

} // namespace cleaninglook
