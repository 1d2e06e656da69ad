#pragma once
// The run monitor: opened by a start screen once the board has accepted a
// work sequence, it follows the run from the machine state the link thread
// keeps, until the board ends the work; then it commits the life counters and
// opens the run summary.

#include <QWidget>

class running : public QWidget
{
    Q_OBJECT

public:
    // Builds the screen for the program in `actual` and shows it.
    explicit running(QWidget *parent = nullptr);
    ~running() override;

    // The beaker capacity used for the level animation (80 unless set).
    void setGlassDimension(int dimension);
    int getGlassDimension() const { return glassDimension; }

private:
    int glassDimension = 80;
};
