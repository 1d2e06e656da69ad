#pragma once
// The settings menu of the home screen: pages of four tiles with arrows
// between them. Which tiles there are depends on the access mode read at
// start-up: every operator sets the machine up and reads its state; the
// advanced user and the service technician also update the firmware, see the
// service counters and restore the factory settings; the technician alone
// gets the service page.

#include "app/DialogMessage.h"

#include <QAbstractButton>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <vector>

class LanguageList;
class mainline;
class SettingsForm_P2;


namespace Ui {
class SettingsForm;
}

class SettingsForm : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kTilesPerPage = 4;

    explicit SettingsForm(QWidget *parent = nullptr);
    ~SettingsForm() override;

    // The page a tile opened, while it is open (tiles by object name:
    // "language", "supply", "date", "energy", "wifi", "machineInfo",
    // "errorState", "systemInfo", "firmware", "serviceCounters", "service").
    QWidget *openPage(const QString &tile) const;
    LanguageList *languagePage() const;
    mainline *supplyPage() const;
    SettingsForm_P2 *firmwarePage() const;
    // The factory-reset question while it is up.
    DialogMessage *resetQuestion() const { return resetDialog; }

    int pageCount() const;
    int currentPage() const { return page; }
    // The object names of the tiles this access mode offers, in menu order.
    QStringList tileNames() const;

protected:
    void changeEvent(QEvent *event) override;

private slots:
    void on_back_clicked();
    void on_previous_clicked();
    void on_next_clicked();

private:
    enum class Access { Everyone, Advanced, Service };
    struct Tile
    {
        QString name;
        const char *text; // translated in this class's context
        QString icon;
        Access access;
        std::function<QWidget *()> open; // builds and shows the page
        QAbstractButton *button = nullptr;
    };

    void addTiles();
    void showPage(int index);
    void openTile(Tile &tile);
    void askFactoryReset();
    void factoryResetAnswered(int result);
    void applyFonts();
    void retranslateTiles();

    Ui::SettingsForm *ui;
    std::vector<Tile> tiles;
    QHash<QString, QPointer<QWidget>> pages;
    QPointer<DialogMessage> resetDialog;
    int page = 0;
};

// One tile of the settings menu: the picture at the left, the name beside it
// on up to two lines, in a font small enough for the longest name.
class SettingsTile : public QAbstractButton
{
    Q_OBJECT

public:
    explicit SettingsTile(QWidget *parent = nullptr);
    // The largest point size (at most maxPt) at which the text fits.
    int fittingPointSize(int maxPt, int minPt) const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QRect textRect() const;
};
