// frostpanel-boardsim: plays the controller board on a pseudo-terminal.
// See README.md in this folder for the options and the control commands.

#include "Sim.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <termios.h>
#include <unistd.h>

namespace {

volatile sig_atomic_t gotSignal = 0;

void onSignal(int)
{
    gotSignal = 1;
}

int64_t nowUs()
{
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

void printLine(const std::string &line)
{
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void fail(const std::string &msg)
{
    std::fprintf(stderr, "frostpanel-boardsim: %s\n", msg.c_str());
}

constexpr std::size_t MaxLine = 4096;
constexpr std::size_t MaxClients = 16;

const char *const Usage =
    "usage: frostpanel-boardsim [options]\n"
    "  --link PATH       symlink PATH to the pseudo-terminal (replaces a stale link)\n"
    "  --control PATH    also accept control lines on a unix socket at PATH\n"
    "  --script FILE     run the control lines of FILE before starting\n"
    "  --set KEY=VALUE   initial state, as 'set KEY VALUE' (repeatable)\n"
    "  --cmd LINE        run one control line before starting (repeatable)\n"
    "  --log             print rx/tx traffic lines (as 'log on')\n"
    "  --wiretime        pace replies at 9600 baud (as 'wiretime on')\n"
    "  --speed F         runs go F times the machine's pace (as 'speed F')\n"
    "  --exit-on-eof     end when standard input closes\n"
    "The first line on standard output is 'device: /dev/pts/N'. Control lines on\n"
    "standard input each get one answer line: 'ok', 'ok VALUE' or 'error REASON';\n"
    "'help' lists the commands.\n";

struct Options
{
    std::string link;
    std::string control;
    bool exitOnEof = false;
    std::vector<std::string> startLines;
    std::string script;
};

bool parseOptions(int argc, char **argv, Options &o)
{
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&](std::string &out) {
            if (i + 1 >= argc) {
                fail("missing value for " + a);
                return false;
            }
            out = argv[++i];
            return true;
        };
        std::string v;
        if (a == "--link") {
            if (!value(o.link))
                return false;
        } else if (a == "--control") {
            if (!value(o.control))
                return false;
        } else if (a == "--script") {
            if (!value(o.script))
                return false;
        } else if (a == "--set") {
            if (!value(v))
                return false;
            const std::size_t eq = v.find('=');
            if (eq == std::string::npos) {
                fail("--set needs KEY=VALUE");
                return false;
            }
            v[eq] = ' ';
            o.startLines.push_back("set " + v);
        } else if (a == "--cmd") {
            if (!value(v))
                return false;
            o.startLines.push_back(v);
        } else if (a == "--speed") {
            if (!value(v))
                return false;
            o.startLines.push_back("speed " + v);
        } else if (a == "--log") {
            o.startLines.push_back("log on");
        } else if (a == "--wiretime") {
            o.startLines.push_back("wiretime on");
        } else if (a == "--exit-on-eof") {
            o.exitOnEof = true;
        } else if (a == "--help" || a == "-h") {
            std::fputs(Usage, stdout);
            std::exit(0);
        } else {
            fail("unknown option " + a);
            std::fputs(Usage, stderr);
            return false;
        }
    }
    return true;
}

// Runs start-up control lines; any error stops the program before it
// announces its device, so a launcher sees the failure at once.
bool runStartLine(boardsim::Sim &sim, const std::string &line, const std::string &where)
{
    bool quit = false;
    const std::string answer = sim.control(line, quit);
    if (quit) {
        fail(where + ": quit is not allowed here");
        return false;
    }
    if (answer.rfind("error", 0) == 0) {
        fail(where + ": " + line + ": " + answer);
        return false;
    }
    return true;
}

struct Pty
{
    int master = -1;
    int slave = -1;
    std::string name;
};

bool openPty(Pty &p)
{
    p.master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (p.master < 0 || grantpt(p.master) != 0 || unlockpt(p.master) != 0) {
        fail(std::string("cannot open a pseudo-terminal: ") + std::strerror(errno));
        return false;
    }
    const char *name = ptsname(p.master);
    if (!name) {
        fail("ptsname failed");
        return false;
    }
    p.name = name;
    // Our own descriptor on the slave keeps the master from seeing a hang-up
    // while the program under test closes and re-opens the device.
    p.slave = open(p.name.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (p.slave < 0) {
        fail("cannot open " + p.name + ": " + std::strerror(errno));
        return false;
    }
    termios tio{};
    if (tcgetattr(p.slave, &tio) == 0) {
        cfmakeraw(&tio);
        cfsetispeed(&tio, B9600);
        cfsetospeed(&tio, B9600);
        tio.c_cflag |= CLOCAL | CREAD | CSTOPB;
        tcsetattr(p.slave, TCSANOW, &tio);
    }
    fcntl(p.master, F_SETFL, fcntl(p.master, F_GETFL) | O_NONBLOCK);
    return true;
}

bool makeLink(const std::string &path, const std::string &target)
{
    struct stat st {};
    if (lstat(path.c_str(), &st) == 0) {
        if (!S_ISLNK(st.st_mode)) {
            fail(path + " exists and is not a symbolic link");
            return false;
        }
        unlink(path.c_str());
    }
    if (symlink(target.c_str(), path.c_str()) != 0) {
        fail("cannot create link " + path + ": " + std::strerror(errno));
        return false;
    }
    return true;
}

void removeLink(const std::string &path, const std::string &target)
{
    char buf[512];
    const ssize_t n = readlink(path.c_str(), buf, sizeof buf - 1);
    if (n > 0 && std::string(buf, std::size_t(n)) == target)
        unlink(path.c_str());
}

int listenControl(const std::string &path)
{
    sockaddr_un addr{};
    if (path.size() >= sizeof addr.sun_path) {
        fail("control socket path too long");
        return -1;
    }
    struct stat st {};
    if (lstat(path.c_str(), &st) == 0) {
        if (!S_ISSOCK(st.st_mode)) {
            fail(path + " exists and is not a socket");
            return -1;
        }
        unlink(path.c_str());
    }
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        fail(std::string("socket: ") + std::strerror(errno));
        return -1;
    }
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    if (bind(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0 || listen(fd, 8) != 0) {
        fail("cannot listen on " + path + ": " + std::strerror(errno));
        close(fd);
        return -1;
    }
    return fd;
}

// Control lines of one source. An over-long line is answered with one error
// and skipped up to its end.
struct LineBuffer
{
    std::string buf;
    bool skipping = false;
};

template <typename Answer>
bool takeLines(LineBuffer &in, boardsim::Sim &sim, Answer answer)
{
    bool quit = false;
    std::size_t nl;
    while (!quit && (nl = in.buf.find('\n')) != std::string::npos) {
        const std::string line = in.buf.substr(0, nl);
        in.buf.erase(0, nl + 1);
        if (in.skipping) {
            in.skipping = false;
            continue;
        }
        const std::string reply = sim.control(line, quit);
        if (!reply.empty())
            answer(reply);
    }
    if (in.buf.size() > MaxLine) {
        in.buf.clear();
        if (!in.skipping)
            answer("error line too long");
        in.skipping = true;
    }
    return quit;
}

struct Client
{
    int fd;
    LineBuffer lines;
};

} // namespace

int main(int argc, char **argv)
{
    Options opt;
    if (!parseOptions(argc, argv, opt))
        return 2;

    std::signal(SIGPIPE, SIG_IGN);
    sigset_t blocked, waitMask;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGINT);
    sigaddset(&blocked, SIGTERM);
    sigaddset(&blocked, SIGHUP);
    // The signals are only let through while the loop waits in ppoll.
    sigprocmask(SIG_BLOCK, &blocked, &waitMask);
    sigdelset(&waitMask, SIGINT);
    sigdelset(&waitMask, SIGTERM);
    sigdelset(&waitMask, SIGHUP);
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);

    boardsim::Sim sim;
    sim.trafficSink = printLine;

    for (const std::string &line : opt.startLines)
        if (!runStartLine(sim, line, "option"))
            return 2;
    if (!opt.script.empty()) {
        std::ifstream in(opt.script);
        if (!in) {
            fail("cannot read script " + opt.script);
            return 2;
        }
        std::string line;
        int lineNo = 0;
        while (std::getline(in, line)) {
            ++lineNo;
            if (!runStartLine(sim, line, opt.script + ":" + std::to_string(lineNo)))
                return 2;
        }
    }

    Pty pty;
    if (!openPty(pty))
        return 1;
    if (!opt.link.empty() && !makeLink(opt.link, pty.name))
        return 1;
    int listenFd = -1;
    if (!opt.control.empty()) {
        listenFd = listenControl(opt.control);
        if (listenFd < 0) {
            if (!opt.link.empty())
                removeLink(opt.link, pty.name);
            return 1;
        }
    }

    sim.hangupHandler = [&]() -> std::string {
        // The new one first, so that it never gets the old one's number while
        // the program still holds that open.
        Pty fresh;
        if (!openPty(fresh)) {
            for (int fd : {fresh.slave, fresh.master})
                if (fd >= 0)
                    close(fd);
            return std::string();
        }
        if (!opt.link.empty()) {
            // The link follows the device, as a re-plugged adapter's name would.
            removeLink(opt.link, pty.name);
            if (!makeLink(opt.link, fresh.name)) {
                close(fresh.slave);
                close(fresh.master);
                return std::string();
            }
        }
        close(pty.slave);
        close(pty.master);
        pty = fresh;
        return pty.name;
    };

    printLine("device: " + pty.name);

    bool quit = false;
    bool stdinOpen = true;
    LineBuffer stdinLines;
    std::vector<Client> clients;
    std::vector<pollfd> fds;
    char buf[4096];

    while (!quit && !gotSignal) {
        sim.advance(nowUs());

        ByteVector &wire = sim.wire();
        while (!wire.empty()) {
            const ssize_t n = write(pty.master, wire.data(), wire.size());
            if (n > 0) {
                wire.erase(wire.begin(), wire.begin() + n);
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
                wire.clear(); // nobody can ever read it
            break;
        }

        fds.clear();
        fds.push_back({pty.master, short(POLLIN | (wire.empty() ? 0 : POLLOUT)), 0});
        const std::size_t stdinIdx = fds.size();
        if (stdinOpen)
            fds.push_back({STDIN_FILENO, POLLIN, 0});
        const std::size_t listenIdx = fds.size();
        if (listenFd >= 0)
            fds.push_back({listenFd, POLLIN, 0});
        const std::size_t clientIdx = fds.size();
        for (const Client &c : clients)
            fds.push_back({c.fd, POLLIN, 0});

        timespec ts{};
        timespec *timeout = nullptr;
        const int64_t deadline = sim.deadline();
        if (deadline >= 0) {
            const int64_t wait = std::max<int64_t>(0, deadline - nowUs());
            ts.tv_sec = time_t(wait / 1000000);
            ts.tv_nsec = long(wait % 1000000) * 1000;
            timeout = &ts;
        }
        const int r = ppoll(fds.data(), fds.size(), timeout, &waitMask);
        if (r < 0) {
            if (errno == EINTR)
                continue;
            fail(std::string("poll: ") + std::strerror(errno));
            break;
        }
        if (r == 0)
            continue;

        if (fds[0].revents & POLLIN) {
            const ssize_t n = read(pty.master, buf, sizeof buf);
            if (n > 0)
                sim.input(reinterpret_cast<const uint8_t *>(buf), std::size_t(n), nowUs());
        }

        if (stdinOpen && (fds[stdinIdx].revents & (POLLIN | POLLHUP | POLLERR))) {
            const ssize_t n = read(STDIN_FILENO, buf, sizeof buf);
            if (n > 0) {
                stdinLines.buf.append(buf, std::size_t(n));
                quit = takeLines(stdinLines, sim, printLine);
            } else if (n == 0 || (errno != EINTR && errno != EAGAIN)) {
                stdinOpen = false;
                if (opt.exitOnEof)
                    quit = true;
            }
        }

        // Clients first (their indexes match the poll array), then new ones.
        for (std::size_t i = 0, k = clientIdx; i < clients.size() && !quit; ++k) {
            Client &c = clients[i];
            bool drop = false;
            if (fds[k].revents & (POLLIN | POLLHUP | POLLERR)) {
                const ssize_t n = read(c.fd, buf, sizeof buf);
                if (n > 0) {
                    c.lines.buf.append(buf, std::size_t(n));
                    quit = takeLines(c.lines, sim, [&](const std::string &reply) {
                        const std::string out = reply + "\n";
                        if (send(c.fd, out.data(), out.size(), MSG_NOSIGNAL) != ssize_t(out.size()))
                            drop = true;
                    });
                } else if (n == 0 || (errno != EINTR && errno != EAGAIN)) {
                    drop = true;
                }
            }
            if (drop) {
                close(c.fd);
                clients.erase(clients.begin() + std::ptrdiff_t(i));
            } else {
                ++i;
            }
        }

        if (listenFd >= 0 && (fds[listenIdx].revents & POLLIN)) {
            const int fd = accept4(listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
            if (fd >= 0) {
                if (clients.size() < MaxClients)
                    clients.push_back({fd, LineBuffer()});
                else
                    close(fd);
            }
        }
    }

    for (const Client &c : clients)
        close(c.fd);
    if (listenFd >= 0) {
        close(listenFd);
        unlink(opt.control.c_str());
    }
    if (!opt.link.empty())
        removeLink(opt.link, pty.name);
    close(pty.slave);
    close(pty.master);
    return 0;
}
