#include "ControlSocket.h"

#include "HIDUsbVirtual.h"
#include "Host.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <sstream>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace zf {

namespace {

constexpr size_t kMaxClients = 128;
constexpr std::chrono::seconds kClientIdle{10}; // a client that neither sends nor reads this long is dropped

const char kHelp[] = "list\n"
                     "plug NAME | unplug NAME\n"
                     "cable MOUSE | receiver MOUSE | off MOUSE\n"
                     "dpi MOUSE [hold] | rate MOUSE\n"
                     "key MOUSE left|right down|up\n"
                     "battery MOUSE LEVEL [CHARGING]\n"
                     "fail-pairing\n"
                     "hang-pairing\n"
                     "fail-upgrade PERCENT\n"
                     "hang MILLISECONDS\n"
                     "counters\n"
                     "help\n";

struct Server {
    int stopPipe[2] = {-1, -1};
    std::thread thread;
};

std::mutex gServerMutex;
Server* gServer = nullptr; // plain pointer: the server outlives any order of static destruction
bool gServerStarted = false;

bool parseInt(const std::string& s, int lo, int hi, int& out) {
    if (s.empty() || s.size() > 9)
        return false;
    char* end = nullptr;
    long v = std::strtol(s.c_str(), &end, 10);
    if (*end != '\0' || v < lo || v > hi)
        return false;
    out = static_cast<int>(v);
    return true;
}

enum class Kind { None, Mouse, Receiver };

Kind kindOf(const std::string& name) {
    auto lock = lockDevices();
    if (registry().mouseByName(name))
        return Kind::Mouse;
    if (registry().receiverByName(name))
        return Kind::Receiver;
    return Kind::None;
}

std::string error(const std::string& reason) {
    return "error: " + reason + "\n";
}

std::string needMouse(const std::vector<std::string>& args, size_t count) {
    if (args.size() != count)
        return error("usage: " + args[0] + (count == 2 ? " MOUSE" : " MOUSE ..."));
    Kind k = kindOf(args[1]);
    if (k == Kind::None)
        return error("no device named " + args[1]);
    if (k != Kind::Mouse)
        return error(args[1] + " is not a mouse");
    return {};
}

// One connected client. Answers wait in `out` while the client does not read them; past kControlMaxAnswer its
// further commands wait unread too, so a client that never reads costs bounded memory and no time.
struct Client {
    int fd = -1;
    std::string in, out;
    bool eof = false;     // the client sends no more
    bool closing = false; // refused: close once the answer is out
    Clock::time_point lastProgress = Clock::now();

    bool finished() const { return out.empty() && (closing || (eof && in.find('\n') == std::string::npos)); }
    bool wantsInput() const { return !eof && !closing && out.size() < kControlMaxAnswer; }
};

// Moves what the socket has to give or take without waiting; false when the client is gone.
bool exchange(Client& c, short revents) {
    if (!c.out.empty() && (revents & (POLLOUT | POLLERR | POLLHUP))) {
        ssize_t n = ::send(c.fd, c.out.data(), c.out.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            c.out.erase(0, static_cast<size_t>(n));
            c.lastProgress = Clock::now();
        } else if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
            return false;
        }
    }
    if (c.wantsInput() && (revents & (POLLIN | POLLERR | POLLHUP))) {
        char buffer[512];
        ssize_t got = ::recv(c.fd, buffer, sizeof buffer, MSG_DONTWAIT);
        if (got > 0) {
            c.in.append(buffer, static_cast<size_t>(got));
            c.lastProgress = Clock::now();
        } else if (got == 0) {
            c.eof = true;
        } else if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
            return false;
        }
    }
    if (!c.closing && !runControlLines(c.in, c.out))
        c.closing = true;
    return true;
}

// Binds the socket; a stale file of a program that is gone is replaced, a live one is left to its owner.
int bindSocket(const std::string& path) {
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (path.size() >= sizeof addr.sun_path) {
        std::fprintf(stderr, "HIDUsb: control socket path too long: %s\n", path.c_str());
        return -1;
    }
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    auto slash = path.rfind('/');
    if (slash != std::string::npos && slash > 0)
        makeDirs(path.substr(0, slash));
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    auto* sa = reinterpret_cast<sockaddr*>(&addr);
    if (::bind(fd, sa, sizeof addr) != 0) {
        bool inUse = errno == EADDRINUSE;
        int probe = inUse ? ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0) : -1;
        bool live = probe >= 0 && ::connect(probe, sa, sizeof addr) == 0;
        if (probe >= 0)
            ::close(probe);
        if (live)
            std::fprintf(stderr, "HIDUsb: control socket %s belongs to another program\n", path.c_str());
        if (!inUse || live || ::unlink(path.c_str()) != 0 || ::bind(fd, sa, sizeof addr) != 0) {
            ::close(fd);
            return -1;
        }
    }
    ::chmod(path.c_str(), 0600);
    if (::fcntl(fd, F_SETFL, O_NONBLOCK) != 0 || ::listen(fd, SOMAXCONN) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// One thread serves every client through one poll loop on non-blocking sockets, so no client can hold
// another or the shutdown.
void serve(int stopFd) {
    const std::string path = controlSocketPath();
    int fd = path.empty() ? -1 : bindSocket(path);
    if (fd < 0)
        return;
    std::vector<Client> clients;
    std::vector<pollfd> fds;
    for (;;) {
        fds.assign({{fd, POLLIN, 0}, {stopFd, POLLIN, 0}});
        int timeoutMs = -1; // until the next client falls idle
        const auto now = Clock::now();
        for (const Client& c : clients) {
            fds.push_back(
                {c.fd, static_cast<short>((c.wantsInput() ? POLLIN : 0) | (c.out.empty() ? 0 : POLLOUT)), 0});
            const auto left =
                std::chrono::ceil<std::chrono::milliseconds>(c.lastProgress + kClientIdle - now);
            const int ms = static_cast<int>(std::max<long long>(left.count(), 0));
            timeoutMs = timeoutMs < 0 ? ms : std::min(timeoutMs, ms);
        }
        int n = ::poll(fds.data(), fds.size(), timeoutMs);
        if (n < 0 && errno != EINTR)
            break;
        if (n > 0 && (fds[1].revents & POLLIN))
            break;
        for (size_t i = clients.size(); i-- > 0;) {
            Client& c = clients[i];
            const short revents = n > 0 ? fds[i + 2].revents : 0;
            const bool idle = Clock::now() - c.lastProgress >= kClientIdle;
            if (!exchange(c, revents) || c.finished() || idle) {
                ::close(c.fd);
                clients.erase(clients.begin() + static_cast<long>(i));
            }
        }
        if (n > 0 && (fds[0].revents & POLLIN)) {
            for (int client; (client = ::accept4(fd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK)) >= 0;) {
                if (clients.size() >= kMaxClients) {
                    const std::string busy = error("too many clients");
                    (void)!::send(client, busy.data(), busy.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
                    ::close(client);
                    continue;
                }
                clients.push_back(Client{});
                clients.back().fd = client;
            }
        }
    }
    for (const Client& c : clients)
        ::close(c.fd);
    ::close(fd);
    ::unlink(path.c_str());
}

} // namespace

std::string controlSocketPath() {
    if (const char* p = std::getenv("ZF_HIDUSB_SOCKET"); p && *p)
        return p;
    return defaultControlSocketPath();
}

void startControlServer() {
    std::lock_guard<std::mutex> lock(gServerMutex);
    if (gServerStarted)
        return;
    gServerStarted = true;
    if (const char* p = std::getenv("ZF_HIDUSB_SOCKET"); p && std::strcmp(p, "none") == 0)
        return;
    auto* s = new Server;
    if (::pipe2(s->stopPipe, O_CLOEXEC) != 0) {
        delete s;
        return;
    }
    int stopFd = s->stopPipe[0];
    s->thread = std::thread([stopFd] { serve(stopFd); });
    gServer = s;
}

void stopControlServer() {
    Server* s;
    {
        std::lock_guard<std::mutex> lock(gServerMutex);
        s = gServer;
        gServer = nullptr;
    }
    if (!s)
        return;
    char byte = 1;
    while (::write(s->stopPipe[1], &byte, 1) < 0 && errno == EINTR) {
    }
    s->thread.join();
    ::close(s->stopPipe[0]);
    ::close(s->stopPipe[1]);
    delete s;
}

bool runControlLines(std::string& in, std::string& out) {
    size_t eol;
    while (out.size() < kControlMaxAnswer && (eol = in.find('\n')) != std::string::npos) {
        std::string line = in.substr(0, eol);
        in.erase(0, eol + 1);
        out += runControlCommand(line);
    }
    if (in.find('\n') == std::string::npos && in.size() > kControlMaxLine) {
        out += error("line too long");
        return false;
    }
    return true;
}

std::string runControlCommand(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> args;
    for (std::string word; in >> word;)
        args.push_back(word);
    if (args.empty())
        return error("empty command");
    const std::string& cmd = args[0];
    if (cmd == "help")
        return std::string(kHelp) + "ok\n";
    if (cmd == "list") {
        if (args.size() != 1)
            return error("usage: list");
        int need = HidVirt_List(nullptr, 0);
        std::string text(static_cast<size_t>(need) + 1, '\0');
        HidVirt_List(&text[0], need + 1);
        text.resize(static_cast<size_t>(need));
        return text + "ok\n";
    }
    if (cmd == "counters") {
        unsigned long long c[5] = {};
        HidVirt_GetCounters(c);
        std::ostringstream out;
        out << "reports-in=" << c[0] << " bytes-in=" << c[1] << " reports-out=" << c[2]
            << " bytes-out=" << c[3] << " packets=" << c[4] << "\n";
        return out.str() + "ok\n";
    }
    if (cmd == "plug" || cmd == "unplug") {
        if (args.size() != 2)
            return error("usage: " + cmd + " NAME");
        if (kindOf(args[1]) == Kind::None)
            return error("no device named " + args[1]);
        HidVirt_Plug(args[1].c_str(), cmd == "plug");
        return "ok\n";
    }
    if (cmd == "cable" || cmd == "receiver" || cmd == "off") {
        if (auto e = needMouse(args, 2); !e.empty())
            return e;
        int link = cmd == "cable"      ? HIDVIRT_LINK_CABLE
                   : cmd == "receiver" ? HIDVIRT_LINK_RECEIVER
                                       : HIDVIRT_LINK_OFF;
        HidVirt_SetLink(args[1].c_str(), link);
        return "ok\n";
    }
    if (cmd == "dpi" && args.size() == 3) {
        if (args[2] != "hold")
            return error("usage: dpi MOUSE [hold]");
        if (auto e = needMouse(args, 3); !e.empty())
            return e;
        return HidVirt_HoldDpiButton(args[1].c_str()) ? "ok\n" : error(args[1] + " is switched off");
    }
    if (cmd == "dpi" || cmd == "rate") {
        if (auto e = needMouse(args, 2); !e.empty())
            return e;
        int ok =
            cmd == "dpi" ? HidVirt_PressDpiButton(args[1].c_str()) : HidVirt_PressRateButton(args[1].c_str());
        return ok ? "ok\n" : error(args[1] + " is switched off");
    }
    if (cmd == "key") {
        if (args.size() != 4 || (args[2] != "left" && args[2] != "right") ||
            (args[3] != "down" && args[3] != "up"))
            return error("usage: key MOUSE left|right down|up");
        if (auto e = needMouse(args, 4); !e.empty())
            return e;
        return HidVirt_PressKey(args[1].c_str(), args[2] == "right", args[3] == "down")
                   ? "ok\n"
                   : error(args[1] + " is not in key calibration");
    }
    if (cmd == "battery") {
        int level = 0, charging = 0;
        if ((args.size() != 3 && args.size() != 4) || !parseInt(args[2], 0, 100, level) ||
            (args.size() == 4 && !parseInt(args[3], 0, 1, charging)))
            return error("usage: battery MOUSE LEVEL(0-100) [CHARGING(0/1)]");
        if (auto e = needMouse(args, args.size()); !e.empty())
            return e;
        HidVirt_SetBattery(args[1].c_str(), level, charging);
        return "ok\n";
    }
    if (cmd == "fail-pairing") {
        if (args.size() != 1)
            return error("usage: fail-pairing");
        HidVirt_FailNextPairing();
        return "ok\n";
    }
    if (cmd == "hang-pairing") {
        if (args.size() != 1)
            return error("usage: hang-pairing");
        HidVirt_HangNextPairing();
        return "ok\n";
    }
    if (cmd == "fail-upgrade") {
        int percent = 0;
        if (args.size() != 2 || !parseInt(args[1], 0, 100, percent))
            return error("usage: fail-upgrade PERCENT(0-100)");
        HidVirt_FailNextUpgrade(percent);
        return "ok\n";
    }
    if (cmd == "hang") {
        int ms = 0;
        if (args.size() != 2 || !parseInt(args[1], 1, 600000, ms))
            return error("usage: hang MILLISECONDS(1-600000)");
        HidVirt_Hang(ms);
        return "ok\n";
    }
    return error("unknown command " + cmd + " (try help)");
}

} // namespace zf
