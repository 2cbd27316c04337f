// zentrafox-mouse: a terminal client for the control socket of the device library, so a person or a
// script can play the mouse's part while the program runs: unplug it, press its buttons, drain its battery.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "hidusb/src/ControlSocket.h"

namespace {

constexpr int kAnswerTimeoutMs = 5000;

const char kHelp[] = R"(Usage: zentrafox-mouse [--socket PATH] COMMAND [ARGUMENTS...]
       zentrafox-mouse [--socket PATH] -      (commands from standard input, one a line)
       zentrafox-mouse --help

Drives the virtual mice and receivers of a running Zentrafox (its device library libHIDUsb.so) through a
local socket. Device names are those of the description file; by default "mouse0" behind "receiver0".

Commands:
  list                            one line per device: for a mouse its link, receiver, battery, profile,
                                  version; for a receiver whether it is plugged in, its paired mouse and
                                  its polling class (1, 2, 4 or 8: up to 1000 x class Hz)
  plug NAME | unplug NAME         a receiver into / out of its USB port; a mouse's cable in (the mouse is
                                  then wired) or out (the mouse is off)
  cable MOUSE                     the mouse goes onto its cable (found under its cable product id)
  receiver MOUSE                  the mouse goes wireless, answering through its receiver
  off MOUSE                       the mouse is switched off
  dpi MOUSE                       press the DPI-cycle button (next DPI level)
  dpi MOUSE hold                  hold the DPI button: the DPI light's next effect (off, steady, breathing)
  rate MOUSE                      press the report-rate button: 125, 250, 500, 1000 Hz, then up to what
                                  the link carries (2000/4000/8000 Hz behind a class 2/4/8 receiver)
  key MOUSE left|right down|up    a main key, seen while the program calibrates the keys
  battery MOUSE LEVEL [CHARGING]  battery level 0-100; CHARGING 1 or 0 (default 0)
  fail-pairing                    the next receiver pairing fails
  hang-pairing                    the next receiver pairing never ends (the receiver keeps pairing)
  fail-upgrade PERCENT            the next firmware upgrade fails when it reaches PERCENT (0-100)
  hang MILLISECONDS               the library hangs: every call blocks until MILLISECONDS (1-600000)
                                  have passed, as a driver stuck in a call would
  counters                        link counters: reports and bytes each way, packets
  help                            the command list, as the program knows it

Socket: --socket PATH, else $ZF_HIDUSB_SOCKET, else "zentrafox-control.sock" in the session's runtime
folder ($XDG_RUNTIME_DIR, else $TMPDIR/zentrafox-UID). The program opens it the first time it
uses its device library; ZF_HIDUSB_SOCKET=none in the program's environment keeps it closed. Clients are
served side by side (up to 128); one that neither sends nor reads for 10 s is dropped.

Protocol (for scripts that talk to the socket themselves): UTF-8 text, one command a line ending in "\n";
each is answered by zero or more data lines and then one line "ok" or "error: REASON".

Exit status: 0 done; 1 the program refused a command (the reason is printed); 2 bad usage, or no program
answering on the socket.
)";

std::string defaultSocket() {
    if (const char* p = std::getenv("ZF_HIDUSB_SOCKET"); p && *p)
        return p;
    return zf::defaultControlSocketPath();
}

int connectTo(const std::string& path) {
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (path.size() >= sizeof addr.sun_path) {
        std::fprintf(stderr, "zentrafox-mouse: socket path too long: %s\n", path.c_str());
        return -1;
    }
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0 || ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        std::fprintf(stderr, "zentrafox-mouse: no program answers on %s (%s)\n", path.c_str(),
                     std::strerror(errno));
        if (fd >= 0)
            ::close(fd);
        return -1;
    }
    return fd;
}

// Sends one command and prints its answer; returns the exit status for it.
int run(int fd, std::string& pending, const std::string& command) {
    std::string line = command + "\n";
    for (size_t done = 0; done < line.size();) {
        ssize_t n = ::send(fd, line.data() + done, line.size() - done, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            std::fprintf(stderr, "zentrafox-mouse: the program closed the connection\n");
            return 2;
        }
        done += static_cast<size_t>(n);
    }
    for (;;) {
        size_t eol;
        while ((eol = pending.find('\n')) != std::string::npos) {
            std::string answer = pending.substr(0, eol);
            pending.erase(0, eol + 1);
            if (answer == "ok")
                return 0;
            if (answer.rfind("error: ", 0) == 0) {
                std::fprintf(stderr, "zentrafox-mouse: %s\n", answer.c_str() + 7);
                return 1;
            }
            std::printf("%s\n", answer.c_str());
        }
        pollfd p{fd, POLLIN, 0};
        int ready = ::poll(&p, 1, kAnswerTimeoutMs);
        if (ready < 0 && errno == EINTR)
            continue;
        char buffer[4096];
        ssize_t got = ready > 0 ? ::recv(fd, buffer, sizeof buffer, 0) : -1;
        if (got <= 0) {
            std::fprintf(stderr, "zentrafox-mouse: no answer from the program\n");
            return 2;
        }
        pending.append(buffer, static_cast<size_t>(got));
    }
}

} // namespace

int main(int argc, char** argv) {
    std::string socketPath = defaultSocket();
    int i = 1;
    for (; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            std::fputs(kHelp, stdout);
            return 0;
        }
        if (a == "--socket" && i + 1 < argc) {
            socketPath = argv[++i];
            continue;
        }
        if (a.rfind("--", 0) == 0) {
            std::fprintf(stderr, "zentrafox-mouse: unknown option %s (see --help)\n", a.c_str());
            return 2;
        }
        break;
    }
    if (i >= argc) {
        std::fputs(kHelp, stderr);
        return 2;
    }
    int fd = connectTo(socketPath);
    if (fd < 0)
        return 2;
    std::string pending;
    int status = 0;
    if (std::string(argv[i]) == "-" && i + 1 == argc) {
        for (std::string line; std::getline(std::cin, line);) {
            if (line.find_first_not_of(" \t\r") == std::string::npos || line[0] == '#')
                continue;
            int s = run(fd, pending, line);
            status = std::max(status, s);
            if (s == 2)
                break;
        }
    } else {
        std::string command;
        for (; i < argc; ++i) {
            if (std::strchr(argv[i], '\n')) {
                std::fprintf(stderr, "zentrafox-mouse: arguments cannot hold line breaks\n");
                ::close(fd);
                return 2;
            }
            command += (command.empty() ? "" : " ") + std::string(argv[i]);
        }
        status = run(fd, pending, command);
    }
    ::close(fd);
    return status;
}
