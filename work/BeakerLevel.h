#pragma once
// The beaker drawn with its contents in portions: the portions chosen are
// filled levels, the rest of what the beaker can give is left empty.

#include <QWidget>

class BeakerLevel : public QWidget
{
    Q_OBJECT

public:
    explicit BeakerLevel(QWidget *parent = nullptr);

    // `levels` filled of `capacity` (both clamped to sensible values).
    void setLevels(int levels, int capacity);
    int levels() const { return filled; }
    int capacity() const { return total; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int filled = 0;
    int total = 0;
};
