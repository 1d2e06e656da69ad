// frostpanel-remote: service client of a machine's remote protocol.

#include "Backup.h"
#include "Records.h"

#include "remote/ProtocolTCP.h"
#include "remote/RemoteClient.h"
#include "remote/RemoteState.h"

#include "platform/paths.h"

#include <QDateTime>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QFile>
#include <QSaveFile>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>

namespace {

// Exit codes.
enum Exit {
    ExitOk = 0,
    ExitUsage = 1,
    ExitUnreachable = 2, // no connection, connection lost, or no answer in time
    ExitRefused = 3,     // the machine refused the request
    ExitBadAnswer = 4,   // the answer does not check out or cannot be read
    ExitLocal = 5,       // a local file could not be written
};

const char kUsage[] = R"(usage: frostpanel-remote [options] COMMAND [arguments]

Service client of a machine's remote protocol (TCP, port 4444; discovery over
UDP, port 8888).

Options:
  -H, --host HOST        the machine (or the discovery target); also FROSTPANEL_REMOTE_HOST
  -p, --port PORT        TCP port (UDP port for discover)
  -s, --serial NUMBER    the machine's serial number, the key of the protocol;
                         also FROSTPANEL_REMOTE_SERIAL; default: the placeholder
                         a machine without a stored serial number uses
  -u, --user NAME        who makes the change, recorded by the machine (default: $USER)
  -t, --timeout SECONDS  wait for each answer at most this long (default 5)
      --seen TIME        update time last seen, for changes (default: read it first)
      --template CODE    recipe create: stored recipe to start from (default: the medium preset)
      --source CODE      recipe update: stored recipe whose settings are copied
      --min-stock N      recipe create/update: minimum stock (0-255)
      --reference-glass N  recipe create/update: reference beaker type
      --update           import: replace recipes and beakers the machine has
      --dry-run          import: print what would be done, change nothing

Commands:
  discover                             list machines answering a UDP probe
                                       (broadcast, or to --host)
  ping                                 test the connection
  time                                 the machine's database time
  recipes changed|deleted [SINCE]      recipes changed or deleted since a time
  beakers changed|deleted [SINCE]      beakers changed or deleted since a time
  recipe get TYPE CODE                 one recipe with its ingredients, as JSON
  recipe create TYPE NAME
  recipe update TYPE CODE NAME
  recipe delete TYPE CODE
  ingredient add TYPE CODE NAME QUANTITY
  ingredient update TYPE CODE INDEX NAME QUANTITY
  ingredient delete TYPE CODE INDEX
  ingredient clear TYPE CODE
  beaker get CODE                      one beaker, as JSON
  beaker create CODE SIZE DEADLINE RECIPE-TYPE RECIPE-CODE
  beaker update CODE DEADLINE RECIPE-TYPE RECIPE-CODE
  beaker delete CODE
  export DIR                           every recipe and beaker into JSON files under DIR
  import DIR [--update] [--dry-run]    put an export back: creates the recipes (by
                                       type and name) and beakers the machine lacks;
                                       those it has are kept, or replaced with --update
  start beaker CODE SIZE               hand the recipe of a registered beaker to the
                                       machine (SIZE: the beaker's type)
  start program FILE                   hand a program to the machine without storing
                                       it; FILE is JSON as "recipe get" prints it

A start opens the program's start screen on the machine; the operator starts
the run there. The machine takes a start only while its home screen is idle.

TYPE is 1/milling (frostizing), 2/cutting or 3/whipping. SIZE is 1 (small) or
2 (big). A beaker CODE is the nine characters printed on it: a prefix, a dot
and a number from 1 to 999999 (AB.000123). Times (SINCE, DEADLINE, --seen) are seconds since the epoch, an ISO
date such as 2025-03-01T12:00:00Z, or +N with a unit s, m, h or d from now.

An import checks the whole export before it changes anything. The machine
sets a new recipe's steps only from a stored recipe: the import takes one with
the same steps (on the machine, or made earlier by the import), else the
medium preset, and reports the recipe as "steps not reproduced".

Exit codes: 0 done; 1 usage, or a program file or export that is not one; 2
machine unreachable or no answer; 3 refused by the machine (import: an object
refused or not reproduced whole); 4 answer not understood (wrong serial
number?); 5 local file error (cannot be read or written).
)";

struct Options
{
    QString host;
    int port = -1;
    std::string serial;
    std::string user;
    int timeoutMs = 5000;
    QString seen;
    QString templateCode;
    QString source;
    int minStock = -1;
    int referenceGlass = -1;
    bool update = false;
    bool dryRun = false;
    QStringList args;
};

class Failure
{
public:
    Failure(int code, QString message) : code(code), message(std::move(message)) {}
    int code;
    QString message;
};

[[noreturn]] void fail(int code, const QString &message)
{
    throw Failure(code, message);
}

[[noreturn]] void usage(const QString &message)
{
    fail(ExitUsage, message + "\n(frostpanel-remote --help lists the commands)");
}

void out(const QString &line)
{
    std::fputs(line.toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
}

void warn(const QString &line)
{
    std::fputs(("frostpanel-remote: " + line).toUtf8().constData(), stderr);
    std::fputc('\n', stderr);
}

uint32_t parseNumber(const QString &text, const char *what, uint32_t max = 0xFFFFFFFFu)
{
    bool ok = false;
    const qulonglong v = text.trimmed().toULongLong(&ok);
    if (!ok || v > max)
        usage(QString("%1: not a number from 0 to %2: \"%3\"").arg(what).arg(max).arg(text));
    return static_cast<uint32_t>(v);
}

uint32_t parseTime(const QString &text, const char *what)
{
    const QString t = text.trimmed();
    if (t.startsWith('+') && t.size() > 2) {
        const QChar unit = t.back();
        const std::map<QChar, qint64> units{{'s', 1}, {'m', 60}, {'h', 3600}, {'d', 86400}};
        auto u = units.find(unit);
        if (u != units.end()) {
            const qint64 v = qint64(parseNumber(t.mid(1, t.size() - 2), what)) * u->second
                             + QDateTime::currentSecsSinceEpoch();
            if (v > 0xFFFFFFFFLL)
                usage(QString("%1: too far ahead: \"%2\"").arg(what, text));
            return static_cast<uint32_t>(v);
        }
    }
    bool isNumber = false;
    t.toULongLong(&isNumber);
    if (isNumber)
        return parseNumber(t, what);
    const QDateTime d = QDateTime::fromString(t, Qt::ISODate);
    if (!d.isValid() || d.toSecsSinceEpoch() < 0 || d.toSecsSinceEpoch() > 0xFFFFFFFFLL)
        usage(QString("%1: not a time: \"%2\"").arg(what, text));
    return static_cast<uint32_t>(d.toSecsSinceEpoch());
}

uint8_t typeArg(const QString &text)
{
    const uint8_t t = parseType(text);
    if (t == 0)
        usage(QString("not a recipe type (1/milling, 2/cutting, 3/whipping): \"%1\"").arg(text));
    return t;
}

std::string utf8(const QString &s)
{
    const QByteArray b = s.toUtf8();
    if (b.size() > 255)
        usage(QString("too long (at most 255 bytes): \"%1\"").arg(s));
    return b.toStdString();
}

// ---- requests ------------------------------------------------------------------------

class Req
{
public:
    explicit Req(uint8_t code) : bytes{code} {}
    Req &u32(uint32_t v)
    {
        const ByteVector b = toByteArray(v);
        bytes.insert(bytes.end(), b.begin(), b.end());
        return *this;
    }
    Req &text(const std::string &s)
    {
        const ByteVector b = toByteArray(s);
        bytes.insert(bytes.end(), b.begin(), b.end());
        return *this;
    }
    Req &byte(uint8_t b)
    {
        bytes.push_back(b);
        return *this;
    }
    ByteVector bytes;
};

QString refusalText(uint8_t command, const ByteVector &answer)
{
    if (answer.size() >= 3 && answer[2] == RemoteDetail::StoreFailed) {
        if (command == RemoteCmd::StartBeakerRecipe)
            return "the beaker is not registered, or it or its recipe could not be loaded (detail 0xFE)";
        if (command == RemoteCmd::StartGuestProgram)
            return "the machine refused the program's values (detail 0xFE)";
    }
    if (answer.size() >= 3) {
        switch (answer[2]) {
        case RemoteDetail::StoreFailed:
            return "not found, or it could not be stored (detail 0xFE)";
        case RemoteDetail::TimeMismatch:
            return "it changed since it was read: the update time does not match (detail 0xFF)";
        case RemoteDetail::NameExists:
            return "a recipe with that name already exists (detail 0x21)";
        case RemoteDetail::NotInList:
            return "no such recipe of that type, or no such type (detail 0x01)";
        default:
            return QString("detail 0x%1").arg(answer[2], 2, 16, QChar('0'));
        }
    }
    if (command == RemoteCmd::StartBeakerRecipe || command == RemoteCmd::StartGuestProgram)
        return "the machine is busy: a remote start is taken only while its home screen is idle, "
               "not while a work, cleaning or maintenance screen is open";
    return "the request was not accepted (malformed or incomplete)";
}

class Session
{
public:
    explicit Session(const Options &o)
    {
        if (o.host.isEmpty())
            usage("no machine given: use --host HOST (or FROSTPANEL_REMOTE_HOST)");
        const uint16_t port = o.port > 0 ? uint16_t(o.port) : platform::tcpPort();
        endpoint = o.host + ":" + QString::number(port);
        client = std::make_unique<RemoteClient>(o.host.toStdString(), port, o.serial, o.timeoutMs);
    }

    // The answer payload of an accepted request; refusals and transport
    // failures end the command with their exit code.
    ByteVector ask(const ByteVector &payload)
    {
        ByteVector answer;
        const int rc = tryAsk(payload, &answer);
        if (rc != ExitOk)
            fail(rc, lastMessage);
        return answer;
    }

    // Like ask(), but a refusal is returned as ExitRefused with lastMessage set.
    int tryAsk(const ByteVector &payload, ByteVector *answer)
    {
        const RemoteClient::Outcome o = client->request(payload, answer);
        if (o == RemoteClient::BadAnswer) {
            lastMessage = QString("%1: %2").arg(endpoint, outcomeText(o));
            return ExitBadAnswer;
        }
        if (o != RemoteClient::Ok) {
            lastMessage = QString("%1: %2 (%3)").arg(endpoint, outcomeText(o), QString::fromStdString(client->lastError()));
            return ExitUnreachable;
        }
        const uint8_t command = payload[0];
        if (command == RemoteCmd::NoOperation)
            return ExitOk;
        if (answer->size() < 2) {
            lastMessage = endpoint + ": the answer is too short";
            return ExitBadAnswer;
        }
        if ((*answer)[0] == RemoteCmd::Unknown && (*answer)[1] == RemoteStatus::Refused) {
            lastMessage = QString("%1: the machine does not know command 0x%2")
                              .arg(endpoint)
                              .arg(command, 2, 16, QChar('0'));
            return ExitRefused;
        }
        if ((*answer)[0] != command) {
            lastMessage = endpoint + ": the answer belongs to another command";
            return ExitBadAnswer;
        }
        if ((*answer)[1] == RemoteStatus::Refused) {
            lastMessage = "refused: " + refusalText(command, *answer);
            return ExitRefused;
        }
        if ((*answer)[1] != RemoteStatus::Accepted) {
            lastMessage = endpoint + ": unexpected status in the answer";
            return ExitBadAnswer;
        }
        return ExitOk;
    }

    QString endpoint;
    QString lastMessage;
    std::unique_ptr<RemoteClient> client;
};

void checkReader(const AnswerReader &r)
{
    if (!r.ok())
        fail(ExitBadAnswer, "the answer is shorter than its fields");
}

// One recipe with its ingredients. A refusal (the recipe is gone, or it
// cannot be read) is returned as ExitRefused with s.lastMessage set; other
// failures end the command.
int fetchRecipe(Session &s, uint8_t type, uint32_t code, QJsonObject *recipe)
{
    ByteVector a;
    int rc = s.tryAsk(Req(RemoteCmd::ReadRecipe).u32(code).byte(type).bytes, &a);
    if (rc == ExitRefused)
        return rc;
    if (rc != ExitOk)
        fail(rc, s.lastMessage);
    AnswerReader r(a, 2);
    *recipe = recipeRecord(r);
    checkReader(r);
    QJsonArray ingredients;
    const int count = (*recipe)["ingredientCount"].toInt();
    for (int i = 0; i < count; ++i) {
        ByteVector ia;
        rc = s.tryAsk(Req(RemoteCmd::ReadIngredient).u32(code).byte(type).byte(uint8_t(i)).bytes, &ia);
        if (rc == ExitRefused)
            return rc;
        if (rc != ExitOk)
            fail(rc, s.lastMessage);
        AnswerReader ir(ia, 2);
        QJsonObject ingredient;
        ingredient["name"] = QString::fromStdString(ir.text());
        ingredient["quantity"] = QString::fromStdString(ir.text());
        checkReader(ir);
        ingredients.append(ingredient);
    }
    recipe->remove("ingredientCount");
    (*recipe)["ingredients"] = ingredients;
    return ExitOk;
}

QJsonObject readBeaker(Session &s, const std::string &code)
{
    const ByteVector a = s.ask(Req(RemoteCmd::ReadBeaker).text(code).bytes);
    AnswerReader r(a, 2);
    QJsonObject beaker = beakerRecord(r);
    checkReader(r);
    return beaker;
}

uint32_t seenRecipe(Session &s, const Options &o, uint8_t type, uint32_t code)
{
    if (!o.seen.isEmpty())
        return parseTime(o.seen, "--seen");
    const ByteVector a = s.ask(Req(RemoteCmd::ReadRecipe).u32(code).byte(type).bytes);
    AnswerReader r(a, 2);
    const QJsonObject recipe = recipeRecord(r);
    checkReader(r);
    return uint32_t(recipe["updated"].toDouble());
}

uint32_t seenBeaker(Session &s, const Options &o, const std::string &code)
{
    if (!o.seen.isEmpty())
        return parseTime(o.seen, "--seen");
    return uint32_t(readBeaker(s, code)["updated"].toDouble());
}

void printJson(const QJsonObject &o)
{
    std::fputs(QJsonDocument(o).toJson(QJsonDocument::Indented).constData(), stdout);
}

// Changes are answered with the object's new update time and the database
// time before the change.
void printChange(const char *what, const ByteVector &a, bool withCode)
{
    AnswerReader r(a, 2);
    const uint32_t code = withCode ? r.u32() : 0;
    const uint32_t updated = r.u32();
    const uint32_t database = r.u32();
    checkReader(r);
    if (withCode)
        out(QString("%1 %2").arg(what).arg(code));
    else
        out(what);
    out(QString("updated %1 (%2)").arg(updated).arg(timeText(updated)));
    out(QString("database time before the change %1").arg(database));
}

void need(const Options &o, int count, const char *form)
{
    if (o.args.size() != count)
        usage(QString("usage: frostpanel-remote %1").arg(form));
}

uint8_t minStock(const Options &o)
{
    return uint8_t(o.minStock < 0 ? 0 : o.minStock);
}

uint8_t referenceGlass(const Options &o)
{
    return uint8_t(o.referenceGlass < 0 ? 0 : o.referenceGlass);
}

// ---- commands ------------------------------------------------------------------------------

int cmdDiscover(const Options &o)
{
    const uint16_t port = o.port > 0 ? uint16_t(o.port) : platform::udpPort();
    std::vector<DiscoveredMachine> found;
    std::string error;
    if (!discoverMachines(o.host.toStdString(), port, o.timeoutMs < 3000 ? o.timeoutMs : 2000, &found, &error))
        fail(ExitUnreachable, QString::fromStdString(error));
    for (const DiscoveredMachine &m : found)
        out(QString::fromStdString(m.address));
    if (found.empty())
        fail(ExitUnreachable, "no machine answered on UDP port " + QString::number(port));
    return ExitOk;
}

int cmdList(Session &s, const Options &o, bool recipes)
{
    const char *form = recipes ? "recipes changed|deleted [SINCE]" : "beakers changed|deleted [SINCE]";
    if (o.args.size() < 2 || o.args.size() > 3 || (o.args[1] != "changed" && o.args[1] != "deleted"))
        usage(QString("usage: frostpanel-remote %1").arg(form));
    const bool deleted = o.args[1] == "deleted";
    const uint32_t since = o.args.size() == 3 ? parseTime(o.args[2], "SINCE") : 0;
    uint8_t code;
    if (recipes)
        code = deleted ? RemoteCmd::RecipesDeleted : RemoteCmd::RecipesChanged;
    else
        code = deleted ? RemoteCmd::BeakersDeleted : RemoteCmd::BeakersChanged;
    const ByteVector a = s.ask(Req(code).u32(since).bytes);
    AnswerReader r(a, 2);
    while (!r.atEnd()) {
        if (recipes) {
            const uint32_t c = r.u32();
            const uint32_t t = r.u32();
            const uint8_t type = r.byte();
            checkReader(r);
            out(QString("%1\t%2\t%3\t%4").arg(typeFolder(type)).arg(c).arg(t).arg(timeText(t)));
        } else {
            const QString c = QString::fromStdString(r.text());
            const uint32_t t = r.u32();
            checkReader(r);
            out(QString("%1\t%2\t%3").arg(c).arg(t).arg(timeText(t)));
        }
    }
    return ExitOk;
}

int cmdRecipe(Session &s, const Options &o)
{
    if (o.args.size() < 2)
        usage("usage: frostpanel-remote recipe get|create|update|delete ...");
    const QString verb = o.args[1];
    const std::string user = o.user;
    if (verb == "get") {
        need(o, 4, "recipe get TYPE CODE");
        QJsonObject recipe;
        if (fetchRecipe(s, typeArg(o.args[2]), parseNumber(o.args[3], "CODE"), &recipe) != ExitOk)
            fail(ExitRefused, s.lastMessage);
        printJson(recipe);
    } else if (verb == "create") {
        need(o, 4, "recipe create TYPE NAME [--template CODE] [--min-stock N] [--reference-glass N]");
        const uint8_t type = typeArg(o.args[2]);
        const uint32_t templateCode = o.templateCode.isEmpty() ? 0 : parseNumber(o.templateCode, "--template");
        const ByteVector a = s.ask(Req(RemoteCmd::CreateRecipe)
                                       .text(utf8(o.args[3]))
                                       .byte(type)
                                       .u32(templateCode)
                                       .u32(minStock(o))
                                       .byte(referenceGlass(o))
                                       .text(user)
                                       .bytes);
        printChange("created recipe", a, true);
    } else if (verb == "update") {
        need(o, 5, "recipe update TYPE CODE NAME [--source CODE] [--min-stock N] [--reference-glass N] [--seen T]");
        const uint8_t type = typeArg(o.args[2]);
        const uint32_t code = parseNumber(o.args[3], "CODE");
        // Unset values are kept as stored.
        uint32_t stock = minStock(o);
        uint8_t glass = referenceGlass(o);
        uint32_t seen;
        if (o.minStock < 0 || o.referenceGlass < 0 || o.seen.isEmpty()) {
            const ByteVector cur = s.ask(Req(RemoteCmd::ReadRecipe).u32(code).byte(type).bytes);
            AnswerReader r(cur, 2);
            const QJsonObject recipe = recipeRecord(r);
            checkReader(r);
            if (o.minStock < 0)
                stock = uint32_t(recipe["minStock"].toInt());
            if (o.referenceGlass < 0)
                glass = uint8_t(recipe["referenceGlass"].toInt());
            seen = o.seen.isEmpty() ? uint32_t(recipe["updated"].toDouble()) : parseTime(o.seen, "--seen");
        } else {
            seen = parseTime(o.seen, "--seen");
        }
        const uint32_t source = o.source.isEmpty() ? 0 : parseNumber(o.source, "--source");
        const ByteVector a = s.ask(Req(RemoteCmd::UpdateRecipe)
                                       .u32(code)
                                       .text(utf8(o.args[4]))
                                       .byte(type)
                                       .u32(source)
                                       .u32(stock)
                                       .byte(glass)
                                       .u32(seen)
                                       .text(user)
                                       .bytes);
        printChange("updated recipe", a, false);
    } else if (verb == "delete") {
        need(o, 4, "recipe delete TYPE CODE [--seen T]");
        const uint8_t type = typeArg(o.args[2]);
        const uint32_t code = parseNumber(o.args[3], "CODE");
        const uint32_t seen = seenRecipe(s, o, type, code);
        const ByteVector a = s.ask(Req(RemoteCmd::DeleteRecipe).u32(code).byte(type).u32(seen).text(user).bytes);
        printChange("deleted recipe", a, false);
    } else {
        usage("unknown recipe command: " + verb);
    }
    return ExitOk;
}

int cmdIngredient(Session &s, const Options &o)
{
    if (o.args.size() < 2)
        usage("usage: frostpanel-remote ingredient add|update|delete|clear ...");
    const QString verb = o.args[1];
    const std::string user = o.user;
    if (verb == "add") {
        need(o, 6, "ingredient add TYPE CODE NAME QUANTITY");
        const ByteVector a = s.ask(Req(RemoteCmd::AddIngredient)
                                       .u32(parseNumber(o.args[3], "CODE"))
                                       .byte(typeArg(o.args[2]))
                                       .text(utf8(o.args[4]))
                                       .text(utf8(o.args[5]))
                                       .text(user)
                                       .bytes);
        printChange("added ingredient", a, false);
    } else if (verb == "update") {
        need(o, 7, "ingredient update TYPE CODE INDEX NAME QUANTITY [--seen T]");
        const uint8_t type = typeArg(o.args[2]);
        const uint32_t code = parseNumber(o.args[3], "CODE");
        const uint8_t index = uint8_t(parseNumber(o.args[4], "INDEX", 255));
        const uint32_t seen = seenRecipe(s, o, type, code);
        const ByteVector a = s.ask(Req(RemoteCmd::UpdateIngredient)
                                       .u32(code)
                                       .byte(type)
                                       .text(utf8(o.args[5]))
                                       .text(utf8(o.args[6]))
                                       .byte(index)
                                       .u32(seen)
                                       .text(user)
                                       .bytes);
        printChange("updated ingredient", a, false);
    } else if (verb == "delete") {
        need(o, 5, "ingredient delete TYPE CODE INDEX [--seen T]");
        const uint8_t type = typeArg(o.args[2]);
        const uint32_t code = parseNumber(o.args[3], "CODE");
        const uint8_t index = uint8_t(parseNumber(o.args[4], "INDEX", 255));
        const uint32_t seen = seenRecipe(s, o, type, code);
        const ByteVector a =
            s.ask(Req(RemoteCmd::DeleteIngredient).u32(code).byte(type).byte(index).u32(seen).text(user).bytes);
        printChange("deleted ingredient", a, false);
    } else if (verb == "clear") {
        need(o, 4, "ingredient clear TYPE CODE [--seen T]");
        const uint8_t type = typeArg(o.args[2]);
        const uint32_t code = parseNumber(o.args[3], "CODE");
        const uint32_t seen = seenRecipe(s, o, type, code);
        const ByteVector a =
            s.ask(Req(RemoteCmd::DeleteAllIngredients).u32(code).byte(type).u32(seen).text(user).bytes);
        printChange("deleted all ingredients", a, false);
    } else {
        usage("unknown ingredient command: " + verb);
    }
    return ExitOk;
}

int cmdBeaker(Session &s, const Options &o)
{
    if (o.args.size() < 2)
        usage("usage: frostpanel-remote beaker get|create|update|delete ...");
    const QString verb = o.args[1];
    const std::string user = o.user;
    if (verb == "get") {
        need(o, 3, "beaker get CODE");
        printJson(readBeaker(s, utf8(o.args[2])));
    } else if (verb == "create") {
        need(o, 7, "beaker create CODE SIZE DEADLINE RECIPE-TYPE RECIPE-CODE");
        const ByteVector a = s.ask(Req(RemoteCmd::CreateBeaker)
                                       .text(utf8(o.args[2]))
                                       .text(utf8(o.args[3]))
                                       .u32(parseTime(o.args[4], "DEADLINE"))
                                       .u32(parseNumber(o.args[6], "RECIPE-CODE"))
                                       .byte(typeArg(o.args[5]))
                                       .text(user)
                                       .bytes);
        printChange("created beaker", a, false);
    } else if (verb == "update") {
        need(o, 6, "beaker update CODE DEADLINE RECIPE-TYPE RECIPE-CODE [--seen T]");
        const std::string code = utf8(o.args[2]);
        const QJsonObject current = readBeaker(s, code);
        const uint32_t seen = o.seen.isEmpty() ? uint32_t(current["updated"].toDouble()) : parseTime(o.seen, "--seen");
        const ByteVector a = s.ask(Req(RemoteCmd::UpdateBeaker)
                                       .text(code)
                                       .text(utf8(current["size"].toString()))
                                       .u32(parseTime(o.args[3], "DEADLINE"))
                                       .u32(parseNumber(o.args[5], "RECIPE-CODE"))
                                       .byte(typeArg(o.args[4]))
                                       .u32(seen)
                                       .text(user)
                                       .bytes);
        printChange("updated beaker", a, false);
    } else if (verb == "delete") {
        need(o, 3, "beaker delete CODE [--seen T]");
        const std::string code = utf8(o.args[2]);
        const uint32_t seen = seenBeaker(s, o, code);
        const ByteVector a = s.ask(Req(RemoteCmd::DeleteBeaker).text(code).text("").u32(seen).text(user).bytes);
        printChange("deleted beaker", a, false);
    } else {
        usage("unknown beaker command: " + verb);
    }
    return ExitOk;
}

// The object files are plain writes (forcing hundreds of them to disk one by
// one dominated the export); index.json is written last and replaced whole,
// so an index on disk means the export it lists is complete.
void writeJson(const QString &file, const QJsonObject &o)
{
    QFile f(file);
    const QByteArray text = QJsonDocument(o).toJson(QJsonDocument::Indented);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(text) != text.size())
        fail(ExitLocal, "cannot write " + file + ": " + f.errorString());
}

void writeIndex(const QString &file, const QJsonObject &o)
{
    QSaveFile f(file);
    if (!f.open(QIODevice::WriteOnly) || f.write(QJsonDocument(o).toJson(QJsonDocument::Indented)) < 0 || !f.commit())
        fail(ExitLocal, "cannot write " + file + ": " + f.errorString());
}

int cmdExport(Session &s, const Options &o)
{
    need(o, 2, "export DIR");
    const QDir dir(o.args[1]);
    for (const char *sub : {"recipes/milling", "recipes/cutting", "recipes/whipping", "beakers"}) {
        if (!QDir().mkpath(dir.filePath(sub)))
            fail(ExitLocal, "cannot create " + dir.filePath(sub));
    }

    AnswerReader timeReader(s.ask(Req(RemoteCmd::DatabaseTime).bytes), 2);
    const uint32_t databaseTime = timeReader.u32();
    checkReader(timeReader);

    QJsonObject index;
    index["machine"] = s.endpoint;
    index["exportedUtc"] = QDateTime::currentDateTimeUtc().toString(Qt::ISODate);
    index["databaseTime"] = qint64(databaseTime);
    int skipped = 0;

    // Recipes: every one listed as changed since the beginning.
    QJsonArray recipes;
    {
        const ByteVector a = s.ask(Req(RemoteCmd::RecipesChanged).u32(0).bytes);
        AnswerReader r(a, 2);
        while (!r.atEnd()) {
            const uint32_t code = r.u32();
            r.u32();
            const uint8_t type = r.byte();
            checkReader(r);
            // A recipe deleted or unreadable meanwhile is reported and skipped.
            QJsonObject recipe;
            if (fetchRecipe(s, type, code, &recipe) != ExitOk) {
                warn(QString("recipe %1/%2 skipped: %3").arg(typeFolder(type)).arg(code).arg(s.lastMessage));
                ++skipped;
                continue;
            }
            const QString file = QString("recipes/%1/%2.json").arg(typeFolder(type)).arg(code);
            writeJson(dir.filePath(file), recipe);
            QJsonObject entry;
            entry["type"] = type;
            entry["code"] = qint64(code);
            entry["name"] = recipe["name"];
            entry["updated"] = recipe["updated"];
            entry["file"] = file;
            recipes.append(entry);
        }
    }
    index["recipes"] = recipes;

    QJsonArray beakers;
    {
        const ByteVector a = s.ask(Req(RemoteCmd::BeakersChanged).u32(0).bytes);
        AnswerReader r(a, 2);
        while (!r.atEnd()) {
            const std::string code = r.text();
            r.u32();
            checkReader(r);
            ByteVector answer;
            const int rc = s.tryAsk(Req(RemoteCmd::ReadBeaker).text(code).bytes, &answer);
            if (rc == ExitRefused) {
                warn(QString("beaker %1 skipped: %2").arg(QString::fromStdString(code), s.lastMessage));
                ++skipped;
                continue;
            }
            if (rc != ExitOk)
                fail(rc, s.lastMessage);
            AnswerReader br(answer, 2);
            const QJsonObject beaker = beakerRecord(br);
            checkReader(br);
            const QString file = "beakers/" + safeFileName(QString::fromStdString(code)) + ".json";
            writeJson(dir.filePath(file), beaker);
            QJsonObject entry;
            entry["code"] = beaker["code"];
            entry["updated"] = beaker["updated"];
            entry["file"] = file;
            beakers.append(entry);
        }
    }
    index["beakers"] = beakers;

    // Deletions, so the export also tells what is gone.
    QJsonArray deletedRecipes;
    {
        const ByteVector a = s.ask(Req(RemoteCmd::RecipesDeleted).u32(0).bytes);
        AnswerReader r(a, 2);
        while (!r.atEnd()) {
            QJsonObject entry;
            entry["code"] = qint64(r.u32());
            entry["deleted"] = qint64(r.u32());
            entry["type"] = r.byte();
            checkReader(r);
            deletedRecipes.append(entry);
        }
    }
    index["deletedRecipes"] = deletedRecipes;
    QJsonArray deletedBeakers;
    {
        const ByteVector a = s.ask(Req(RemoteCmd::BeakersDeleted).u32(0).bytes);
        AnswerReader r(a, 2);
        while (!r.atEnd()) {
            QJsonObject entry;
            entry["code"] = QString::fromStdString(r.text());
            entry["deleted"] = qint64(r.u32());
            checkReader(r);
            deletedBeakers.append(entry);
        }
    }
    index["deletedBeakers"] = deletedBeakers;
    writeIndex(dir.filePath("index.json"), index);

    out(QString("exported %1 recipes and %2 beakers to %3").arg(recipes.size()).arg(beakers.size()).arg(dir.path()));
    if (skipped > 0) {
        warn(QString("%1 objects could not be read and were skipped").arg(skipped));
        return ExitRefused;
    }
    return ExitOk;
}

// A program file: JSON as `recipe get` prints it. Unreadable files are local
// errors; content that is no program is bad input, like a bad argument.
ByteVector readProgramFile(const QString &path)
{
    constexpr qint64 MaxProgramFile = 1 << 20;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        fail(ExitLocal, "cannot read " + path + ": " + f.errorString());
    const QByteArray text = f.read(MaxProgramFile + 1);
    if (f.error() != QFileDevice::NoError)
        fail(ExitLocal, "cannot read " + path + ": " + f.errorString());
    if (text.size() > MaxProgramFile)
        usage(path + ": too large for a program file");
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(text, &error);
    if (error.error != QJsonParseError::NoError)
        usage(QString("%1: not a program as \"recipe get\" prints it: %2 at byte %3")
                  .arg(path, error.errorString())
                  .arg(error.offset));
    if (!doc.isObject())
        usage(path + ": not a program as \"recipe get\" prints it: not a JSON object");
    ByteVector bytes;
    QString problem;
    if (!guestProgramBytes(doc.object(), &bytes, &problem))
        usage(path + ": " + problem);
    return bytes;
}

int cmdStart(Session &s, const Options &o)
{
    if (o.args.size() < 2)
        usage("usage: frostpanel-remote start beaker CODE SIZE | start program FILE");
    const QString what = o.args[1];
    if (what == "beaker") {
        need(o, 4, "start beaker CODE SIZE");
        s.ask(Req(RemoteCmd::StartBeakerRecipe).text(utf8(o.args[2])).text(utf8(o.args[3])).bytes);
        out("beaker " + o.args[2] + " handed over: its recipe's start screen opens on the machine");
    } else if (what == "program") {
        need(o, 3, "start program FILE");
        Req request(RemoteCmd::StartGuestProgram);
        const ByteVector program = readProgramFile(o.args[2]);
        request.bytes.insert(request.bytes.end(), program.begin(), program.end());
        s.ask(request.bytes);
        out("program handed over: its start screen opens on the machine");
    } else {
        usage("unknown start command: " + what + " (beaker or program)");
    }
    return ExitOk;
}

// ---- import ---------------------------------------------------------------------------

// A recipe as the machine holds it.
struct MachineRecipe
{
    uint32_t code = 0;
    QString name;
    uint32_t updated = 0;
    uint32_t minStock = 0;
    uint8_t referenceGlass = 0;
    ByteVector settings;
    Ingredients ingredients;
};

// A stored recipe whose steps a recipe being created or updated can take over.
struct StepSource
{
    uint32_t code = 0; // 0: the type's medium preset
    QString label;
    ByteVector settings;
};

int differences(const ByteVector &a, const ByteVector &b)
{
    int n = 0;
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i)
        n += a[i] != b[i];
    return n;
}

class Import
{
public:
    Import(Session &s, const Options &o, const Backup &backup) : s(s), o(o), backup(backup) {}

    int run()
    {
        readMachine();
        for (const BackupRecipe &r : backup.recipes)
            recipe(r);
        for (const BackupBeaker &b : backup.beakers)
            beaker(b);
        out(QString("%1: %2 created, %3 updated, %4 skipped, %5 refused, %6 not reproduced whole")
                .arg(o.dryRun ? "dry run, nothing changed" : "import")
                .arg(created)
                .arg(updated)
                .arg(skipped)
                .arg(refused)
                .arg(partial));
        if (o.dryRun)
            return ExitOk;
        return refused + partial > 0 ? ExitRefused : ExitOk;
    }

private:
    Session &s;
    const Options &o;
    const Backup &backup;
    int created = 0, updated = 0, skipped = 0, refused = 0, partial = 0;

    std::map<std::pair<uint8_t, QString>, MachineRecipe> machineRecipes; // by type and name
    std::map<QString, uint32_t> machineBeakers;                           // code, update time
    std::vector<StepSource> sources[4];                                   // by type
    ByteVector preset[4]; // the medium preset's steps, once a recipe made from it was read
    // A backup recipe's code on the machine (0: planned by a dry run); a
    // recipe that is not here was refused.
    std::map<std::pair<uint8_t, uint32_t>, uint32_t> machineCode;

    // The machine's answer to a request: false when it refused (reason()
    // tells why); any other failure ends the import.
    bool accepted(const ByteVector &request, ByteVector *a)
    {
        const int rc = s.tryAsk(request, a);
        if (rc != ExitOk && rc != ExitRefused)
            fail(rc, s.lastMessage);
        return rc == ExitOk;
    }

    // Why the last request was refused, for a line of the report.
    QString reason() const
    {
        const QString prefix = "refused: ";
        return s.lastMessage.startsWith(prefix) ? s.lastMessage.mid(prefix.size()) : s.lastMessage;
    }

    bool readRecipe(uint8_t type, uint32_t code, MachineRecipe *m)
    {
        QJsonObject rec;
        if (fetchRecipe(s, type, code, &rec) != ExitOk)
            return false;
        QString problem;
        if (!programSettings(rec, &m->settings, &problem)) {
            s.lastMessage = "its settings cannot be read: " + problem;
            return false;
        }
        m->code = code;
        m->name = rec["name"].toString();
        m->updated = uint32_t(rec["updated"].toDouble());
        m->minStock = uint32_t(rec["minStock"].toDouble());
        m->referenceGlass = uint8_t(rec["referenceGlass"].toInt());
        m->ingredients.clear();
        for (const QJsonValue &i : rec["ingredients"].toArray())
            m->ingredients.append({i["name"].toString(), i["quantity"].toString()});
        return true;
    }

    // What the machine holds, read once before any change: the update times
    // read here are the ones a replacement is sent with, so a change made on
    // the machine meanwhile is refused instead of overwritten.
    void readMachine()
    {
        AnswerReader r(s.ask(Req(RemoteCmd::RecipesChanged).u32(0).bytes), 2);
        while (!r.atEnd()) {
            const uint32_t code = r.u32();
            r.u32();
            const uint8_t type = r.byte();
            checkReader(r);
            MachineRecipe m;
            if (type < 1 || type > 3)
                continue;
            if (!readRecipe(type, code, &m)) {
                warn(QString("recipe %1/%2 on the machine cannot be read: %3")
                         .arg(typeFolder(type))
                         .arg(code)
                         .arg(s.lastMessage));
                continue;
            }
            sources[type].push_back({code, QString("recipe %1").arg(code), m.settings});
            machineRecipes[{type, m.name}] = m;
        }
        AnswerReader b(s.ask(Req(RemoteCmd::BeakersChanged).u32(0).bytes), 2);
        while (!b.atEnd()) {
            const QString code = QString::fromStdString(b.text());
            const uint32_t time = b.u32();
            checkReader(b);
            machineBeakers[code] = time;
        }
    }

    // The stored recipe to make a new one from: one with the same steps; else
    // the closest known one (the preset counting once its steps are known);
    // else the preset, whose steps are known only after.
    StepSource sourceForNew(uint8_t type, const ByteVector &settings, bool *exact) const
    {
        std::vector<StepSource> all = sources[type];
        if (!preset[type].empty())
            all.push_back({0, "the medium preset", preset[type]});
        const StepSource *best = nullptr;
        for (const StepSource &c : all) {
            if (!best || differences(c.settings, settings) < differences(best->settings, settings))
                best = &c;
        }
        if (best && (best->settings == settings || !preset[type].empty())) {
            *exact = best->settings == settings;
            return *best;
        }
        *exact = false;
        return {0, "the medium preset", preset[type]};
    }

    // Empty when the machine's ingredients are now the backup's; else why not.
    QString restoreIngredients(uint8_t type, const MachineRecipe &m, const Ingredients &wanted)
    {
        if (m.ingredients == wanted)
            return QString();
        ByteVector a;
        auto asked = [&](const ByteVector &request) { return accepted(request, &a); };
        if (!m.ingredients.isEmpty()
            && !asked(Req(RemoteCmd::DeleteAllIngredients).u32(m.code).byte(type).u32(m.updated).text(o.user).bytes))
            return reason();
        for (const auto &i : wanted) {
            if (!asked(Req(RemoteCmd::AddIngredient)
                           .u32(m.code)
                           .byte(type)
                           .text(utf8(i.first))
                           .text(utf8(i.second))
                           .text(o.user)
                           .bytes))
                return reason();
        }
        return QString();
    }

    // The line of a recipe made or changed: what is not as in the backup.
    void finish(const QString &line, uint8_t type, uint32_t code, const BackupRecipe &r)
    {
        MachineRecipe now;
        if (!readRecipe(type, code, &now)) {
            out(line + ", but it cannot be read back: " + reason());
            ++partial;
            return;
        }
        QString text = line;
        bool whole = true;
        const QString ingredients = restoreIngredients(type, now, r.ingredients);
        if (!ingredients.isEmpty()) {
            text += "; ingredients not restored: " + ingredients;
            whole = false;
        }
        if (now.settings != r.settings) {
            text += "; steps not reproduced (the machine takes steps only from a stored recipe)";
            whole = false;
        }
        out(text);
        partial += whole ? 0 : 1;
        bool known = false;
        for (StepSource &c : sources[type]) {
            if (c.code == code) {
                c.settings = now.settings;
                known = true;
            }
        }
        if (!known)
            sources[type].push_back({code, QString("recipe %1").arg(code), now.settings});
    }

    void recipe(const BackupRecipe &r)
    {
        const QString what = QString("recipe %1 \"%2\": ").arg(typeFolder(r.type), r.name);
        const auto found = machineRecipes.find({r.type, r.name});
        if (found == machineRecipes.end()) {
            createRecipe(r, what);
            return;
        }
        const MachineRecipe &m = found->second;
        machineCode[{r.type, r.code}] = m.code;
        const bool same = m.settings == r.settings && m.minStock == r.minStock && m.referenceGlass == r.referenceGlass
                          && m.ingredients == r.ingredients;
        if (same || !o.update || m.code < 10000) {
            ++skipped;
            out(what
                + QString(same        ? "skipped: recipe %1 on the machine is as in the backup"
                          : !o.update ? "skipped: the machine has it as recipe %1 (--update replaces it)"
                                      : "skipped: recipe %1 is a factory recipe, not changed remotely")
                      .arg(m.code));
            return;
        }
        // Steps come from a stored recipe with the backup's steps, or stay.
        uint32_t source = 0;
        QString from;
        bool exact = m.settings == r.settings;
        for (const StepSource &c : sources[r.type]) {
            if (!exact && c.code != m.code && c.settings == r.settings) {
                source = c.code;
                from = " with the steps of " + c.label;
                exact = true;
            }
        }
        if (o.dryRun) {
            ++updated;
            out(what + QString("would be updated (recipe %1)%2%3")
                           .arg(m.code)
                           .arg(from, exact ? "" : "; steps not reproduced (no stored recipe has them)"));
            return;
        }
        ByteVector a;
        if (!accepted(Req(RemoteCmd::UpdateRecipe)
                      .u32(m.code)
                      .text(utf8(r.name))
                      .byte(r.type)
                      .u32(source)
                      .u32(r.minStock)
                      .byte(r.referenceGlass)
                      .u32(m.updated)
                      .text(o.user)
                      .bytes,
                      &a)) {
            ++refused;
            out(what + QString("refused (recipe %1): %2").arg(m.code).arg(reason()));
            return;
        }
        ++updated;
        finish(what + QString("updated (recipe %1)%2").arg(m.code).arg(from), r.type, m.code, r);
    }

    void createRecipe(const BackupRecipe &r, const QString &what)
    {
        bool exact = false;
        const StepSource from = sourceForNew(r.type, r.settings, &exact);
        if (o.dryRun) {
            ++created;
            machineCode[{r.type, r.code}] = 0;
            QString note;
            if (!exact)
                note = from.settings.empty() ? "; steps reproduced only if they are the preset's"
                                             : "; steps not reproduced (no stored recipe has them)";
            out(what + "would be created from " + from.label + note);
            if (exact || from.settings.empty())
                return;
            // What the steps will be, for the recipes after it.
            sources[r.type].push_back({0, QString("the new recipe \"%1\"").arg(r.name), from.settings});
            return;
        }
        ByteVector a;
        if (!accepted(Req(RemoteCmd::CreateRecipe)
                      .text(utf8(r.name))
                      .byte(r.type)
                      .u32(from.code)
                      .u32(r.minStock)
                      .byte(r.referenceGlass)
                      .text(o.user)
                      .bytes,
                      &a)) {
            ++refused;
            out(what + "refused: " + reason());
            return;
        }
        AnswerReader ar(a, 2);
        const uint32_t code = ar.u32();
        checkReader(ar);
        ++created;
        machineCode[{r.type, r.code}] = code;
        if (from.code == 0 && preset[r.type].empty()) {
            MachineRecipe made;
            if (readRecipe(r.type, code, &made))
                preset[r.type] = made.settings;
        }
        finish(what + QString("created as recipe %1 from %2").arg(code).arg(from.label), r.type, code, r);
    }

    bool inBackup(uint8_t type, uint32_t code) const
    {
        return std::any_of(backup.recipes.begin(), backup.recipes.end(),
                           [&](const BackupRecipe &r) { return r.type == type && r.code == code; });
    }


    void beaker(const BackupBeaker &b)
    {
        const QString what = "beaker " + b.code + ": ";
        const std::string code = b.code.toStdString();
        // The recipe it names gets a new code when the import made it.
        uint32_t recipeCode = b.recipeCode;
        const auto mapped = machineCode.find({b.recipeType, b.recipeCode});
        if (mapped != machineCode.end()) {
            recipeCode = mapped->second;
        } else if (inBackup(b.recipeType, b.recipeCode)) {
            ++refused;
            out(what + "refused: its recipe was not restored");
            return;
        }
        const auto found = machineBeakers.find(b.code);
        if (found == machineBeakers.end()) {
            if (o.dryRun) {
                ++created;
                out(what + "would be created");
                return;
            }
            ByteVector a;
            if (!accepted(Req(RemoteCmd::CreateBeaker)
                               .text(code)
                               .text(b.size.toStdString())
                               .u32(b.deadline)
                               .u32(recipeCode)
                               .byte(b.recipeType)
                               .text(o.user)
                               .bytes,
                           &a)) {
                ++refused;
                out(what + "refused: " + reason());
                return;
            }
            ++created;
            // A new beaker is full: what was used of it cannot be sent.
            QString note;
            if (accepted(Req(RemoteCmd::ReadBeaker).text(code).bytes, &a)) {
                AnswerReader r(a, 2);
                const QJsonObject now = beakerRecord(r);
                checkReader(r);
                if (uint32_t(now["portionsLeft"].toDouble()) != b.portionsLeft) {
                    note = QString("; portions left not reproduced (%1 in the backup, %2 on the machine)")
                               .arg(b.portionsLeft)
                               .arg(now["portionsLeft"].toInt());
                    ++partial;
                }
            }
            out(what + "created" + note);
            return;
        }
        ByteVector a;
        if (!accepted(Req(RemoteCmd::ReadBeaker).text(code).bytes, &a)) {
            ++refused;
            out(what + "refused: it cannot be read: " + reason());
            return;
        }
        AnswerReader r(a, 2);
        const QJsonObject now = beakerRecord(r);
        checkReader(r);
        const bool same = uint32_t(now["deadline"].toDouble()) == b.deadline
                          && uint32_t(now["recipeCode"].toDouble()) == recipeCode
                          && now["recipeType"].toInt() == b.recipeType;
        if (same || !o.update) {
            ++skipped;
            out(what + (same ? "skipped: as in the backup" : "skipped: the machine has it (--update replaces it)"));
            return;
        }
        if (o.dryRun) {
            ++updated;
            out(what + "would be updated");
            return;
        }
        if (!accepted(Req(RemoteCmd::UpdateBeaker)
                           .text(code)
                           .text(utf8(now["size"].toString()))
                           .u32(b.deadline)
                           .u32(recipeCode)
                           .byte(b.recipeType)
                           .u32(found->second)
                           .text(o.user)
                           .bytes,
                       &a)) {
            ++refused;
            out(what + "refused: " + reason());
            return;
        }
        ++updated;
        out(what + "updated");
    }
};

int cmdImport(Session &s, const Options &o)
{
    need(o, 2, "import DIR [--update] [--dry-run]");
    // The whole backup is checked before the machine is asked anything.
    Backup backup;
    QStringList problems;
    const BackupResult result = readBackup(o.args[1], &backup, &problems);
    if (result != BackupResult::Ok) {
        for (const QString &p : problems)
            warn(p);
        fail(result == BackupResult::Unreadable ? ExitLocal : ExitUsage,
             o.args[1] + ": not an export that can be imported; nothing was changed");
    }
    return Import(s, o, backup).run();
}

Options parseOptions(int argc, char **argv)
{
    Options o;
    o.host = qEnvironmentVariable("FROSTPANEL_REMOTE_HOST");
    o.serial = qEnvironmentVariable("FROSTPANEL_REMOTE_SERIAL").toStdString();
    o.user = qEnvironmentVariable("USER", "frostpanel-remote").toStdString();
    for (int i = 1; i < argc; ++i) {
        const QString a = QString::fromLocal8Bit(argv[i]);
        auto value = [&]() -> QString {
            if (i + 1 >= argc)
                usage("missing value after " + a);
            return QString::fromLocal8Bit(argv[++i]);
        };
        if (a == "-h" || a == "--help") {
            std::fputs(kUsage, stdout);
            std::exit(ExitOk);
        } else if (a == "-H" || a == "--host") {
            o.host = value();
        } else if (a == "-p" || a == "--port") {
            o.port = int(parseNumber(value(), "--port", 65535));
        } else if (a == "-s" || a == "--serial") {
            o.serial = value().toStdString();
        } else if (a == "-u" || a == "--user") {
            o.user = utf8(value());
        } else if (a == "-t" || a == "--timeout") {
            o.timeoutMs = int(parseNumber(value(), "--timeout", 3600)) * 1000;
        } else if (a == "--seen") {
            o.seen = value();
        } else if (a == "--template") {
            o.templateCode = value();
        } else if (a == "--source") {
            o.source = value();
        } else if (a == "--min-stock") {
            o.minStock = int(parseNumber(value(), "--min-stock", 255));
        } else if (a == "--reference-glass") {
            o.referenceGlass = int(parseNumber(value(), "--reference-glass", 255));
        } else if (a == "--update") {
            o.update = true;
        } else if (a == "--dry-run") {
            o.dryRun = true;
        } else if (a.startsWith("-") && a.size() > 1 && !a.at(1).isDigit() && a != "--") {
            usage("unknown option " + a);
        } else {
            o.args << a;
        }
    }
    if (o.timeoutMs <= 0)
        o.timeoutMs = 1000;
    return o;
}

int run(int argc, char **argv)
{
    const Options o = parseOptions(argc, argv);
    if (o.args.isEmpty())
        usage("no command given");
    const QString command = o.args[0];
    if (command == "discover") {
        need(o, 1, "discover");
        return cmdDiscover(o);
    }
    const std::map<QString, std::function<int(Session &, const Options &)>> commands{
        {"ping",
         [](Session &s, const Options &opt) {
             need(opt, 1, "ping");
             s.ask(Req(RemoteCmd::Ping).bytes);
             out(s.endpoint + ": the machine answers");
             return int(ExitOk);
         }},
        {"time",
         [](Session &s, const Options &opt) {
             need(opt, 1, "time");
             AnswerReader r(s.ask(Req(RemoteCmd::DatabaseTime).bytes), 2);
             const uint32_t t = r.u32();
             checkReader(r);
             out(QString("%1 %2").arg(t).arg(timeText(t)));
             return int(ExitOk);
         }},
        {"recipes", [](Session &s, const Options &opt) { return cmdList(s, opt, true); }},
        {"beakers", [](Session &s, const Options &opt) { return cmdList(s, opt, false); }},
        {"recipe", cmdRecipe},
        {"ingredient", cmdIngredient},
        {"beaker", cmdBeaker},
        {"export", cmdExport},
        {"import", cmdImport},
        {"start", cmdStart},
    };
    auto c = commands.find(command);
    if (c == commands.end())
        usage("unknown command: " + command);
    Session session(o);
    return c->second(session, o);
}

} // namespace

int main(int argc, char **argv)
{
    try {
        return run(argc, argv);
    } catch (const Failure &f) {
        warn(f.message);
        return f.code;
    }
}
