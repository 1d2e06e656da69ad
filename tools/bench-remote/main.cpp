// Remote protocol benchmark: a server thread on loopback with 200 recipes and
// 200 beakers stored in a scratch root; sequential round trips of 0x01 and
// 0x87 from one connection, and frostpanel-remote export timed end to end.

#include "remote/ProtocolTCP.h"
#include "remote/RemoteClient.h"
#include "remote/RemoteState.h"
#include "remote/TCPThreadCommunication.h"

#include "data/DataState.h"
#include "data/GlassElement.h"
#include "data/GlassElementsList.h"
#include "data/RecipeElementList.h"
#include "data/WorkSettings.h"

#include "platform/clock.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

uint16_t freePort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr *>(&a), sizeof(a));
    socklen_t len = sizeof(a);
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&a), &len);
    ::close(fd);
    return ntohs(a.sin_port);
}

void fill(int recipes, int beakers)
{
    // One change per second: the lists key changes by the second.
    uint32_t now = 1700000000;
    platform::setFixedNowForTests(now);
    for (int i = 0; i < recipes; ++i) {
        WorkSettings w;
        w.setRecipeType(uint8_t(1 + i % 3));
        w.filename = QString("Ricetta %1").arg(i);
        w.minStockQty = uint8_t(i);
        platform::setFixedNowForTests(++now);
        if (!w.Save("bench"))
            std::fprintf(stderr, "recipe %d not saved\n", i);
        w.addIngredient(std::string("Frutta"), std::string("300 g"), std::string("bench"));
        w.addIngredient(std::string("Zucchero"), std::string("40 g"), std::string("bench"));
    }
    for (int i = 0; i < beakers; ++i) {
        GlassElement g;
        platform::setFixedNowForTests(++now);
        g.setGlassCode(QString("BN.%1").arg(i + 1, 6, 10, QChar('0')));
        g.setGlassType(i % 2 ? "2" : "1");
        g.setCreationDate();
        g.setDeadLineDate(now + 86400);
        g.setRecipeCode(10000);
        g.setRecipeType(1);
        g.initResidualContent();
        if (!g.Save(QStringLiteral("bench")))
            std::fprintf(stderr, "beaker %d not saved\n", i);
    }
    platform::clearFixedNowForTests();
}

double roundTrips(RemoteClient &c, const ByteVector &request, int count)
{
    QElapsedTimer t;
    t.start();
    ByteVector answer;
    for (int i = 0; i < count; ++i) {
        if (c.request(request, &answer) != RemoteClient::Ok || answer.size() < 2 || answer[1] != 0x7F) {
            std::fprintf(stderr, "request %d failed: %s\n", i, c.lastError().c_str());
            return 0;
        }
    }
    return count / (t.nsecsElapsed() / 1e9);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir root;
    qputenv("FROSTPANEL_ROOT", root.path().toLocal8Bit());
    for (const char *f : {"/home/root/recipes/milling", "/home/root/recipes/cutting", "/home/root/recipes/whipping",
                          "/mnt/mmc-memory/recipes/milling", "/mnt/mmc-memory/recipes/cutting",
                          "/mnt/mmc-memory/recipes/whipping", "/home/root/glasses"})
        QDir().mkpath(root.path() + f);
    createRecipeLists();
    glassList->Load();

    QElapsedTimer fillTime;
    fillTime.start();
    fill(200, 200);
    std::printf("stored 200 recipes (2 ingredients each) and 200 beakers in %.1f s\n", fillTime.elapsed() / 1000.0);

    const uint16_t port = freePort();
    wifiConnect = true;
    TCPThreadCommunication server(10000, port);
    server.start();
    while (!server.listening)
        usleep(10000);

    RemoteClient client("127.0.0.1", port, std::string());
    ByteVector ping{RemoteCmd::Ping};
    ByteVector read{RemoteCmd::ReadRecipe, 0, 0, 0x27, 0x10, 1}; // recipe 10000, milling
    roundTrips(client, ping, 50); // warm up
    const int n = 2000;
    const double pingRate = roundTrips(client, ping, n);
    const double readRate = roundTrips(client, read, n);
    std::printf("0x01 round trips: %.0f per second (%d sequential, one connection)\n", pingRate, n);
    std::printf("0x87 round trips: %.0f per second (%d sequential, one connection)\n", readRate, n);
    client.close();

    const QString tool = QCoreApplication::applicationDirPath() + "/frostpanel-remote";
    std::vector<double> times;
    for (int run = 0; run < 5; ++run) {
        QTemporaryDir out;
        QProcess p;
        QElapsedTimer t;
        t.start();
        p.start(tool, {"--host", "127.0.0.1", "--port", QString::number(port), "export", out.path()});
        if (!p.waitForFinished(120000) || p.exitCode() != 0) {
            std::fprintf(stderr, "export failed: %s\n", p.readAllStandardError().constData());
            return 1;
        }
        times.push_back(t.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    std::printf("frostpanel-remote export of 200 recipes + 200 beakers: median %.0f ms (min %.0f, max %.0f, 5 runs)\n",
                times[2], times[0], times[4]);
    return 0;
}
