// The control channel: one line in, one answer line out.

#include "Sim.h"

#include "link/FirmwareHex.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace boardsim {

namespace {

std::vector<std::string> tokens(const std::string &line)
{
    std::vector<std::string> t;
    std::istringstream in(line);
    std::string w;
    while (in >> w) {
        std::transform(w.begin(), w.end(), w.begin(), [](unsigned char c) { return char(std::tolower(c)); });
        t.push_back(w);
    }
    return t;
}

bool parseInt(const std::string &s, long min, long max, long &out)
{
    if (s.empty() || s.size() > 20)
        return false;
    int base = 10;
    std::size_t start = 0;
    if (s.size() > 2 && s[0] == '0' && s[1] == 'x') {
        base = 16;
        start = 2;
    }
    const char *begin = s.c_str() + start;
    if (!std::isxdigit(static_cast<unsigned char>(*begin)))
        return false;
    char *end = nullptr;
    errno = 0;
    const long v = std::strtol(begin, &end, base);
    if (errno != 0 || *end != '\0' || v < min || v > max)
        return false;
    out = v;
    return true;
}

// "M.mm.pp", each part 0 to 15.
bool parseVersion(const std::string &s, uint8_t &major, uint8_t &minor, uint8_t &patch)
{
    int m = 0, n = 0, p = 0;
    char tail = 0;
    if (std::sscanf(s.c_str(), "%d.%d.%d%c", &m, &n, &p, &tail) != 3 || m < 0 || m > 15 || n < 0 || n > 15 || p < 0
        || p > 15)
        return false;
    major = uint8_t(m);
    minor = uint8_t(n);
    patch = uint8_t(p);
    return true;
}

// The line's words as typed (paths keep their letter case).
std::vector<std::string> rawTokens(const std::string &line)
{
    std::vector<std::string> t;
    std::istringstream in(line);
    for (std::string w; in >> w;)
        t.push_back(w);
    return t;
}

bool parseBool(const std::string &s, bool &out)
{
    if (s == "1" || s == "on" || s == "true" || s == "yes") {
        out = true;
        return true;
    }
    if (s == "0" || s == "off" || s == "false" || s == "no") {
        out = false;
        return true;
    }
    return false;
}

// Code 0..255, or a pseudo-code; `allowAny` admits "any".
bool parseKey(const std::string &s, bool allowAny, int &out)
{
    if (s == "loader") {
        out = Sim::LoaderKey;
        return true;
    }
    if (s == "bad") {
        out = Sim::BadKey;
        return true;
    }
    if (s == "junk") {
        out = Sim::JunkKey;
        return true;
    }
    if (allowAny && (s == "any" || s == "all")) {
        out = Sim::AnyKey;
        return true;
    }
    long v = 0;
    if (!parseInt(s, 0, 255, v))
        return false;
    out = int(v);
    return true;
}

std::string onOff(bool v)
{
    return v ? "1" : "0";
}

const char *const HelpText =
    "ok commands: set KEY VALUE; get KEY; state; refuse CODE [N|off] | refuse off; ignore CODE [N|off] | "
    "ignore off; corrupt N [CODE|loader] | corrupt off; tear N [CODE|loader] | tear off; "
    "late MS [CODE|loader] | late off; silent on|off; hangup; wiretime on|off; speed F; pace S|off; endearly N|off; "
    "count CODE|loader|bad|junk; "
    "counts; last CODE|loader|bad; reset [counts|state|faults|all]; loader [on|off|entry ok|bad|silent|nack N|off|drop N|off|version M.mm.pp|off|save PATH]; "
    "records; record N; log on|off; help; quit. set keys: lid open|closed|ajar, closeok, machineopen, open45, "
    "gasket, ready, working, milling, fullglass, hard, nofirmware, purge, hold (0|1), glass none|small|big, "
    "release none|a|b|both, step N, error N, temperature N, absorption N, blademount N (0-127), "
    "sensors N (bits 0-6, 8-14)|auto, position MM (0-32767), residual N (0-16383), version M.mm.pp, mains 110|230 50|60";

} // namespace

std::string Sim::keyName(int key)
{
    switch (key) {
    case LoaderKey: return "loader";
    case BadKey: return "bad";
    case JunkKey: return "junk";
    case AnyKey: return "any";
    default: return std::to_string(key);
    }
}

std::vector<std::pair<std::string, std::string>> Sim::stateItems() const
{
    const MachineState &s = b.s;
    std::string lid = "mixed";
    if (s.closeOk && s.lidSensor && !s.open45)
        lid = "closed";
    else if (!s.closeOk && !s.lidSensor && s.open45)
        lid = "open";
    else if (!s.closeOk && s.lidSensor && !s.open45)
        lid = "ajar";
    const std::string glass = !s.glass ? "none" : (s.glassBig ? "big" : "small");
    const std::string release = s.releaseA ? (s.releaseB ? "both" : "a") : (s.releaseB ? "b" : "none");
    static const char *const stages[] = {"off", "unlocking", "free", "locking", "locked", "returning"};
    const std::string releaseStage = stages[static_cast<int>(b.release())];
    char version[16];
    std::snprintf(version, sizeof version, "%d.%02d.%02d", s.fwMajor, s.fwMinor, s.fwPatch);
    const char *run = b.runKind() == Board::RunKind::Work ? "work"
                      : b.runKind() == Board::RunKind::Cleaning ? "cleaning" : "none";
    char speedText[32];
    std::snprintf(speedText, sizeof speedText, "%g", b.speed);
    char paceText[32] = "off";
    if (b.pace > 0)
        std::snprintf(paceText, sizeof paceText, "%g", b.pace);
    char secondsText[32];
    std::snprintf(secondsText, sizeof secondsText, "%.1f", b.runSeconds());
    const char *phase = "idle";
    switch (b.phase()) {
    case Board::Phase::Idle: phase = "idle"; break;
    case Board::Phase::Start: phase = "start"; break;
    case Board::Phase::Held: phase = "held"; break;
    case Board::Phase::Milling: phase = "milling"; break;
    case Board::Phase::Emulsion: phase = "emulsion"; break;
    case Board::Phase::Suspended: phase = "suspended"; break;
    case Board::Phase::Cleaning: phase = "cleaning"; break;
    }
    const StepPlan step = b.current();
    const char *dir = step.dir == Direction::Down ? "down" : step.dir == Direction::Up ? "up" : "none";
    return {
        {"lid", lid},
        {"closeok", onOff(s.closeOk)},
        {"machineopen", onOff(s.lidSensor)},
        {"open45", onOff(s.open45)},
        {"gasket", onOff(s.gasket)},
        {"glass", glass},
        {"ready", onOff(s.ready)},
        {"working", onOff(s.working)},
        {"step", std::to_string(s.step)},
        {"milling", onOff(s.milling)},
        {"fullglass", onOff(s.fullGlass)},
        {"hard", onOff(s.hard)},
        {"error", std::to_string(s.error)},
        {"temperature", std::to_string(s.temperature)},
        {"absorption", std::to_string(s.absorption)},
        {"sensors", std::to_string(b.sensorWord())},
        {"position", std::to_string(s.position)},
        {"blademount", std::to_string(s.bladeMount)},
        {"residual", std::to_string(s.residual)},
        {"version", version},
        {"mains", std::to_string(s.volts) + "/" + std::to_string(s.hz)},
        {"nofirmware", onOff(s.noFirmware)},
        {"release", release},
        {"releasestage", releaseStage},
        {"hold", onOff(s.hold)},
        {"purge", onOff(s.purge)},
        {"run", run},
        {"phase", phase},
        {"cleancode", std::to_string(b.customCleaningCode())},
        {"steps", std::to_string(b.runTotal())},
        {"seconds", secondsText},
        {"cutspeed", std::to_string(step.cut)},
        {"immersionspeed", std::to_string(step.immersion)},
        {"direction", dir},
        {"portion", std::to_string(step.portion)},
        {"portionsworked", std::to_string(step.worked)},
        {"pressuretype", std::to_string(step.pressureType)},
        {"pressure", std::to_string(step.pressure)},
        {"endearly", b.endEarly < 0 ? std::string("off") : std::to_string(b.endEarly)},
        {"program", onOff(b.programLoaded())},
        {"loader", onOff(b.loaderActive())},
        {"speed", speedText},
        {"pace", paceText},
        {"silent", onOff(silent)},
        {"wiretime", onOff(wiretime)},
        {"status", hex(b.statusReply())},
    };
}

std::string Sim::control(const std::string &line, bool &quit)
{
    const std::vector<std::string> t = tokens(line);
    if (t.empty() || t[0][0] == '#')
        return std::string();
    const std::string &cmd = t[0];
    const std::size_t n = t.size();

    if (cmd == "help")
        return HelpText;
    if (cmd == "quit" || cmd == "exit") {
        quit = true;
        return "ok";
    }
    if (cmd == "set")
        return cmdSet(t);
    if (cmd == "state") {
        std::string out = "ok";
        for (const auto &kv : stateItems())
            out += " " + kv.first + "=" + kv.second;
        return out;
    }
    if (cmd == "get" && n == 2) {
        for (const auto &kv : stateItems())
            if (kv.first == t[1])
                return "ok " + kv.second;
        return "error unknown key " + t[1];
    }
    if (cmd == "hangup" && n == 1) {
        if (!hangupHandler)
            return "error no device to hang up";
        const std::string device = hangupHandler();
        if (device.empty())
            return "error cannot open a new pseudo-terminal";
        // Replies due on the old line are lost with it.
        outQueue.clear();
        wireBuffer.clear();
        return "ok " + device;
    }
    if (cmd == "refuse")
        return cmdRule(t, refuseRules);
    if (cmd == "ignore")
        return cmdRule(t, ignoreRules);
    if (cmd == "corrupt")
        return cmdShot(t, corruptRules);
    if (cmd == "tear")
        return cmdShot(t, tearRules);
    if (cmd == "late")
        return cmdLate(t);
    if (cmd == "loader")
        return cmdLoader(t, line);
    if ((cmd == "silent" || cmd == "wiretime" || cmd == "log") && n == 2) {
        bool v = false;
        if (!parseBool(t[1], v))
            return "error expected on|off";
        if (cmd == "silent")
            silent = v;
        else if (cmd == "wiretime")
            wiretime = v;
        else
            logTraffic = v;
        return "ok";
    }
    if (cmd == "speed" && n == 2) {
        char *end = nullptr;
        const double f = std::strtod(t[1].c_str(), &end);
        if (end == t[1].c_str() || *end != '\0' || !(f >= 0.01 && f <= 10000))
            return "error speed must be 0.01..10000";
        b.speed = f;
        return "ok";
    }
    if (cmd == "pace" && n == 2) {
        char *end = nullptr;
        const double f = t[1] == "off" ? 0.0 : std::strtod(t[1].c_str(), &end);
        if (t[1] != "off" && (end == t[1].c_str() || *end != '\0' || !(f >= 0.001 && f <= 3600)))
            return "error pace must be off or 0.001..3600 seconds";
        b.pace = f;
        return "ok";
    }
    if (cmd == "endearly" && n == 2) {
        long v = 0;
        if (t[1] == "off")
            v = -1;
        else if (!parseInt(t[1], 0, 1000000, v))
            return "error usage: endearly N|off";
        b.endEarly = int(v);
        return "ok";
    }
    if (cmd == "count" && n == 2) {
        int key = 0;
        if (!parseKey(t[1], false, key))
            return "error bad code " + t[1];
        auto it = counts.find(key);
        return "ok " + std::to_string(it == counts.end() ? 0 : it->second);
    }
    if (cmd == "counts" && n == 1) {
        std::string out = "ok";
        for (const auto &kv : counts)
            if (kv.first < LoaderKey)
                out += " " + std::to_string(kv.first) + "=" + std::to_string(kv.second);
        for (int key : {int(LoaderKey), int(BadKey), int(JunkKey)}) {
            auto it = counts.find(key);
            out += " " + keyName(key) + "=" + std::to_string(it == counts.end() ? 0 : it->second);
        }
        return out;
    }
    if (cmd == "last" && n == 2) {
        int key = 0;
        if (!parseKey(t[1], false, key))
            return "error bad code " + t[1];
        auto it = lastFrames.find(key);
        if (it == lastFrames.end())
            return "error none";
        return "ok " + hex(it->second);
    }
    if (cmd == "reset" && n <= 2) {
        const std::string what = n == 2 ? t[1] : "all";
        if (what != "counts" && what != "state" && what != "faults" && what != "all")
            return "error usage: reset counts|state|faults|all";
        if (what == "counts" || what == "all") {
            counts.clear();
            lastFrames.clear();
        }
        if (what == "state" || what == "all") {
            // Machine, run, loaded program and loader back to power-on;
            // the fault settings and the run speed stay.
            Board fresh;
            fresh.speed = b.speed;
            fresh.pace = b.pace;
            fresh.endEarly = b.endEarly;
            fresh.loaderEntry = b.loaderEntry;
            fresh.loaderNackLine = b.loaderNackLine;
            fresh.loaderDropLine = b.loaderDropLine;
            fresh.flashVersionSet = b.flashVersionSet;
            fresh.flashMajor = b.flashMajor;
            fresh.flashMinor = b.flashMinor;
            fresh.flashPatch = b.flashPatch;
            b = fresh;
            syncParserMode();
        }
        if (what == "faults" || what == "all") {
            refuseRules.clear();
            ignoreRules.clear();
            corruptRules.clear();
            tearRules.clear();
            lateUs = 0;
            lateByKey.clear();
            silent = false;
            wiretime = false;
            b.loaderEntry = Board::LoaderEntry::Ok;
            b.loaderNackLine = 0;
            b.loaderDropLine = 0;
            b.flashVersionSet = false;
            b.endEarly = -1;
        }
        if (what == "all") {
            b.speed = 1.0;
            b.pace = 0.0;
        }
        return "ok";
    }
    if (cmd == "records" && n == 1)
        return "ok " + std::to_string(b.records().size());
    if (cmd == "record" && n == 2) {
        long i = 0;
        if (!parseInt(t[1], 1, 1000000, i) || std::size_t(i) > b.records().size())
            return "error no record " + t[1];
        return "ok " + hex(b.records()[std::size_t(i) - 1]);
    }
    return "error unknown command: " + line.substr(0, 80);
}

std::string Sim::cmdRule(const std::vector<std::string> &t, std::map<int, int> &rules)
{
    if (t.size() == 2 && t[1] == "off") {
        rules.clear();
        return "ok";
    }
    int key = 0;
    if (t.size() < 2 || t.size() > 3 || !parseKey(t[1], false, key) || key > 255)
        return "error usage: " + t[0] + " CODE [N|off] | " + t[0] + " off";
    if (t.size() == 2) {
        rules[key] = -1;
        return "ok";
    }
    if (t[2] == "off") {
        rules.erase(key);
        return "ok";
    }
    long count = 0;
    if (!parseInt(t[2], 1, 1000000, count))
        return "error bad count " + t[2];
    rules[key] = int(count);
    return "ok";
}

std::string Sim::cmdShot(const std::vector<std::string> &t, std::vector<ShotRule> &rules)
{
    if (t.size() == 2 && t[1] == "off") {
        rules.clear();
        return "ok";
    }
    long count = 0;
    int key = AnyKey;
    if (t.size() < 2 || t.size() > 3 || !parseInt(t[1], 0, 1000000, count)
        || (t.size() == 3 && !parseKey(t[2], true, key)))
        return "error usage: " + t[0] + " N [CODE|loader] | " + t[0] + " off";
    if (count == 0) {
        rules.erase(std::remove_if(rules.begin(), rules.end(), [key](const ShotRule &r) { return r.key == key; }),
                    rules.end());
        return "ok";
    }
    rules.push_back({int(count), key});
    return "ok";
}

std::string Sim::cmdLate(const std::vector<std::string> &t)
{
    if (t.size() == 2 && t[1] == "off") {
        lateUs = 0;
        lateByKey.clear();
        return "ok";
    }
    long ms = 0;
    int key = AnyKey;
    if (t.size() < 2 || t.size() > 3 || !parseInt(t[1], 0, 600000, ms)
        || (t.size() == 3 && !parseKey(t[2], true, key)))
        return "error usage: late MS [CODE|loader] | late off";
    if (key == AnyKey)
        lateUs = ms * 1000;
    else
        lateByKey[key] = ms * 1000;
    return "ok";
}

std::string Sim::cmdLoader(const std::vector<std::string> &t, const std::string &line)
{
    const std::size_t n = t.size();
    if (n == 1)
        return std::string("ok ") + (b.loaderActive() ? "on" : "off") + " lines=" + std::to_string(b.loaderLines())
               + " records=" + std::to_string(b.records().size());
    if (n == 2 && (t[1] == "on" || t[1] == "off")) {
        // Drop into (or out of) the loader as after a failed transfer or a reset.
        if (t[1] == "on") {
            const Board::LoaderEntry keep = b.loaderEntry;
            b.loaderEntry = Board::LoaderEntry::Ok;
            b.enterLoader();
            b.loaderEntry = keep;
        } else {
            b.leaveLoader();
        }
        syncParserMode();
        return "ok";
    }
    if (n == 3 && t[1] == "entry") {
        if (t[2] == "ok")
            b.loaderEntry = Board::LoaderEntry::Ok;
        else if (t[2] == "bad")
            b.loaderEntry = Board::LoaderEntry::Bad;
        else if (t[2] == "silent")
            b.loaderEntry = Board::LoaderEntry::Silent;
        else
            return "error usage: loader entry ok|bad|silent";
        return "ok";
    }
    if (n == 3 && (t[1] == "nack" || t[1] == "drop")) {
        long line = 0;
        if (t[2] != "off" && !parseInt(t[2], 1, 1000000, line))
            return "error usage: loader " + t[1] + " N|off";
        (t[1] == "nack" ? b.loaderNackLine : b.loaderDropLine) = int(line);
        return "ok";
    }
    if (n == 3 && t[1] == "version") {
        if (t[2] == "off") {
            b.flashVersionSet = false;
            return "ok";
        }
        if (!parseVersion(t[2], b.flashMajor, b.flashMinor, b.flashPatch))
            return "error version must be M.mm.pp, each 0-15";
        b.flashVersionSet = true;
        return "ok";
    }
    if (n == 3 && t[1] == "save") {
        // The records of the last transfer as HEX lines, for comparing with
        // the file that was sent.
        const std::string path = rawTokens(line)[2];
        std::FILE *f = std::fopen(path.c_str(), "wb");
        if (!f)
            return "error cannot write " + path;
        bool written = true;
        for (const ByteVector &r : b.records()) {
            const std::string text = FirmwareHex::recordLine(r);
            written = written && std::fwrite(text.data(), 1, text.size(), f) == text.size();
        }
        written = std::fclose(f) == 0 && written;
        return written ? "ok " + std::to_string(b.records().size()) : "error cannot write " + path;
    }
    return "error usage: loader [on|off|entry ok|bad|silent|nack N|off|drop N|off|version M.mm.pp|off|save PATH]";
}

std::string Sim::cmdSet(const std::vector<std::string> &t)
{
    if (t.size() < 3)
        return "error usage: set KEY VALUE";
    MachineState &s = b.s;
    const std::string &key = t[1];
    const std::string &val = t[2];
    const bool single = t.size() == 3;

    bool flag = false;
    bool *boolTarget = nullptr;
    if (key == "closeok")
        boolTarget = &s.closeOk;
    else if (key == "machineopen")
        boolTarget = &s.lidSensor;
    else if (key == "open45")
        boolTarget = &s.open45;
    else if (key == "gasket")
        boolTarget = &s.gasket;
    else if (key == "ready")
        boolTarget = &s.ready;
    else if (key == "milling")
        boolTarget = &s.milling;
    else if (key == "fullglass")
        boolTarget = &s.fullGlass;
    else if (key == "hard")
        boolTarget = &s.hard;
    else if (key == "nofirmware")
        boolTarget = &s.noFirmware;
    else if (key == "purge")
        boolTarget = &s.purge;
    else if (key == "hold")
        boolTarget = &s.hold;
    if (boolTarget) {
        if (!single || !parseBool(val, flag))
            return "error expected 0|1";
        *boolTarget = flag;
        return "ok";
    }

    if (key == "working") {
        if (!single || !parseBool(val, flag))
            return "error expected 0|1";
        if (!flag && b.runActive())
            b.endRun(false);
        s.working = flag;
        return "ok";
    }
    if (key == "lid" && single) {
        if (val == "closed") {
            s.closeOk = true;
            s.lidSensor = true;
            s.open45 = false;
        } else if (val == "open") {
            s.closeOk = false;
            s.lidSensor = false;
            s.open45 = true;
        } else if (val == "ajar") {
            // Down but the closing not confirmed.
            s.closeOk = false;
            s.lidSensor = true;
            s.open45 = false;
        } else {
            return "error expected open|closed|ajar";
        }
        return "ok";
    }
    if (key == "glass" && single) {
        if (val == "none" || val == "small" || val == "big") {
            s.glass = val != "none";
            s.glassBig = val == "big";
            return "ok";
        }
        return "error expected none|small|big";
    }
    if (key == "release" && single) {
        if (val != "none" && val != "a" && val != "b" && val != "both")
            return "error expected none|a|b|both";
        b.setReleaseFlags(val == "a" || val == "both", val == "b" || val == "both");
        return "ok";
    }
    if (key == "sensors" && single && val == "auto") {
        s.sensorsForced = false;
        return "ok";
    }
    if (key == "version" && single) {
        if (!parseVersion(val, s.fwMajor, s.fwMinor, s.fwPatch))
            return "error version must be M.mm.pp, each 0-15";
        return "ok";
    }
    if (key == "mains") {
        long volts = 0, hz = 0;
        if (t.size() != 4 || !parseInt(t[2], 0, 1000, volts) || !parseInt(t[3], 0, 1000, hz)
            || (volts != 110 && volts != 230) || (hz != 50 && hz != 60))
            return "error usage: set mains 110|230 50|60";
        s.volts = int(volts);
        s.hz = int(hz);
        return "ok";
    }

    struct Range
    {
        const char *name;
        long max;
    };
    static const Range ranges[] = {{"step", 127},        {"error", 127},     {"temperature", 127},
                                   {"absorption", 127},  {"blademount", 127}, {"sensors", 0x7F7F},
                                   {"position", 32767},  {"residual", 16383}};
    for (const Range &r : ranges) {
        if (key != r.name)
            continue;
        long v = 0;
        if (!single || !parseInt(val, 0, r.max, v))
            return "error " + key + " must be 0-" + std::to_string(r.max);
        if (key == "step")
            b.setStep(uint8_t(v));
        else if (key == "error")
            b.setError(uint8_t(v));
        else if (key == "temperature")
            s.temperature = uint8_t(v);
        else if (key == "absorption")
            s.absorption = uint8_t(v);
        else if (key == "blademount")
            s.bladeMount = uint8_t(v);
        else if (key == "sensors") {
            // Seven bits per reply byte: bits 7 and 15 cannot reach the program.
            if (v & 0x8080)
                return "error sensors bits 7 and 15 cannot be reported";
            s.sensors = uint16_t(v);
            s.sensorsForced = true;
        } else if (key == "position")
            s.position = uint16_t(v);
        else
            s.residual = uint16_t(v);
        return "ok";
    }
    return "error unknown key " + key;
}

} // namespace boardsim
