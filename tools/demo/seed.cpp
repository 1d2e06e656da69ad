// frostpanel-demo-seed: fills the sandbox root (FROSTPANEL_ROOT) with what a
// machine in use holds: serial number, version and voltage files, the preset
// CSV files and speed table, user and mains settings with a stored Wi-Fi
// network, and a few recipes with ingredients. Files already there are kept,
// so the operator's changes survive the next demo start.

#include "data/DataState.h"
#include "data/Presets.h"
#include "data/RecipeElementList.h"
#include "data/UserSettings.h"
#include "data/WorkSettings.h"
#include "platform/atomicfile.h"
#include "platform/log.h"
#include "platform/paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cstdio>

namespace {

bool present(const char *absolute)
{
    return QFile::exists(QString::fromStdString(platform::path(absolute)));
}

void writeIfMissing(const char *absolute, const std::string &content)
{
    if (present(absolute))
        return;
    if (!platform::writeFileAtomic(platform::path(absolute), content))
        std::fprintf(stderr, "cannot write %s\n", absolute);
}

// One preset as a line of the CSV: portion size, first milling step, milling
// pressure, eight emulsion steps of five values, and the unused field.
std::string presetLine(const WorkSettings &w)
{
    std::string line = std::to_string(w.getPortionDimension());
    auto add = [&line](int v) { line += "," + std::to_string(v); };
    add(w.getMillingSteps(0).CutSpeed);
    add(w.getMillingSteps(0).ImmersionSpeed);
    add(w.getMillingPressionType());
    add(w.getMillingPressionIntensity());
    for (int i = 0; i < EMULSION_STEPS; ++i) {
        const EmulsionStep s = w.getEmulsionSteps(i);
        for (int v : {s.Pause, s.CutSpeed, s.ImmersionSpeed, s.PressionType, s.PressionIntensity})
            add(v);
    }
    add(0);
    return line + "\n";
}

void writePresetCsv(const char *absolute, std::initializer_list<WorkSettings *> presets, const char *pairs)
{
    std::string content;
    for (WorkSettings *w : presets)
        content += presetLine(*w);
    writeIfMissing(absolute, content + pairs);
}

struct Recipe
{
    uint8_t type;
    const char *name;
    WorkSettings *from;
    std::initializer_list<std::pair<const char *, const char *>> ingredients;
};

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    // Building the presets reports every CSV file it does not find yet;
    // that is expected here, so only this tool's own failures are shown.
    platform::setLogSink([](const std::string &) {});
    if (!platform::sandboxed()) {
        std::fprintf(stderr, "FROSTPANEL_ROOT must name the sandbox root\n");
        return 2;
    }
    for (const char *dir : {"/home/root/recipes/milling", "/home/root/recipes/cutting", "/home/root/recipes/whipping",
                            "/home/root/recipes/cleaning", "/home/root/glasses", "/home/root/languages",
                            "/mnt/mmc-memory/recipes/milling", "/mnt/mmc-memory/recipes/cutting",
                            "/mnt/mmc-memory/recipes/whipping", "/mnt/usb-memory", "/dev"})
        QDir().mkpath(QString::fromStdString(platform::path(dir)));

    writeIfMissing("/home/root/info", "FP2-0417-DEMO\n");
    writeIfMissing("/home/root/fileVersione.txt", "1.01.01\n");
    writeIfMissing("/home/root/Voltage110.txt", "230V\n");
    writeIfMissing("/home/root/rpmspeed.csv", "0,200,500,1000,1500,2000,2500,3000,3500\n");
    writeIfMissing("/home/root/extra_settings", "g\n");
    // The SD card counts as present when its device is there.
    writeIfMissing("/dev/mmcblk0p1", "");

    // The presets as the CSV files on a machine carry them: the compiled-in
    // defaults, plus a few combinations the blade must not run.
    initMillingDefaultSettings();
    initCuttingDefaultSettings();
    initWhippingDefaultSettings();
    writePresetCsv("/home/root/milling.csv", {frostizing_soft, frostizing_medium, frostizing_hard}, "8,1,8,2\n");
    writePresetCsv("/home/root/cutting.csv", {cutting_soft, cutting_medium, cutting_hard}, "8,1\n");
    writePresetCsv("/home/root/whipping.csv", {whipping_soft, whipping_medium, whipping_hard}, "8,1\n");

    if (!present("/home/root/user_settings")) {
        settings.setLanguage(QStringLiteral("inglese_en"));
        settings.setWifiEssid(QStringLiteral("DemoNet"));
        settings.setWifiAutentication(2);
        settings.setWifiKey(QStringLiteral("demo-passphrase"));
        settings.save();
    }
    // The stored network's wireless configuration: the stand-in iwconfig
    // reports the machine joined to the network it names (none once the
    // operator has forgotten it).
    if (!present("/home/root/wifi.conf") && settings.load() && settings.isWifiSet())
        settings.createWifiConfig(settings.getWifiEssid(), settings.getWifiKey(), settings.getWifiAutentication());
    if (!present("/home/root/rete_setting"))
        settings.set_rete_setting(QStringLiteral("50"), QStringLiteral("230"));

    createRecipeLists();
    const Recipe recipes[] = {
        {1, "Lemon sorbet", frostizing_medium, {{"Lemon juice", "250 g"}, {"Sugar", "90 g"}, {"Water", "160 g"}}},
        {1, "Pea soup", frostizing_soft, {{"Peas", "300 g"}, {"Stock", "200 g"}}},
        {1, "Hazelnut ice", frostizing_hard, {{"Milk", "300 g"}, {"Hazelnut paste", "60 g"}}},
        {2, "Herb pesto", cutting_medium, {{"Basil", "80 g"}, {"Olive oil", "120 g"}, {"Pine nuts", "30 g"}}},
        {3, "Whipped cream", whipping_soft, {{"Cream", "400 g"}}},
    };
    for (const Recipe &r : recipes) {
        RecipeElementList *list = recipeListForFolder(r.type == 1 ? "milling" : r.type == 2 ? "cutting" : "whipping");
        if (!list || list->contains(r.name))
            continue;
        WorkSettings w = *r.from;
        w.setRecipeType(r.type);
        w.defaultRecipe = false;
        w.filename = QString::fromUtf8(r.name);
        w.displayName.clear();
        if (!w.Save(QStringLiteral("demo"))) {
            std::fprintf(stderr, "cannot store the recipe %s\n", r.name);
            continue;
        }
        for (const auto &ingredient : r.ingredients)
            w.addIngredient(QString::fromUtf8(ingredient.first), QString::fromUtf8(ingredient.second),
                            QStringLiteral("demo"));
    }
    return 0;
}
