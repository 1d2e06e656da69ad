#pragma once
// The system-state export of the machine information and service pages: the
// life counters and the link statistics as a CSV file on the USB stick
// (WorkingTimer::listInfoToCSV), and the operator told how it went.

class QWidget;

namespace SystemStateExport {

// Writes the file when the stick is mounted and shows the outcome over
// `parent` without blocking. True when the file was written.
bool run(QWidget *parent);

} // namespace SystemStateExport
