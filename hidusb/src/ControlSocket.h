#pragma once
// The control socket: a local (unix) socket through which zentrafox-mouse drives the virtual devices of a
// running program. Line-based text: one command per line, answered by zero or more data lines and a last
// line "ok" or "error: <reason>".
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace zf {

constexpr size_t kControlMaxLine = 1024;
constexpr size_t kControlMaxAnswer = 64 * 1024; // answers held for a client that does not read them

// The socket belongs to one program of one login session: "zentrafox-control.sock" in $XDG_RUNTIME_DIR
// when that is a private folder of ours, else in a private per-user folder of the temporary folder (the
// one the program's single-instance lock uses). Inline: zentrafox-mouse finds the socket the same way.
inline std::string defaultControlSocketPath() {
    const auto isPrivateFolder = [](const std::string& path) {
        struct stat st;
        return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() &&
               (st.st_mode & 077) == 0;
    };
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::string dir;
    if (runtime && runtime[0] == '/' && isPrivateFolder(runtime)) {
        dir = runtime;
    } else {
        const char* tmp = std::getenv("TMPDIR");
        dir = std::string(tmp && *tmp ? tmp : "/tmp") + "/zentrafox-" + std::to_string(::getuid());
        ::mkdir(dir.c_str(), 0700);
        if (!isPrivateFolder(dir))
            return {}; // someone else's folder: no socket rather than one others could reach
    }
    return dir + "/zentrafox-control.sock";
}

// $ZF_HIDUSB_SOCKET, else defaultControlSocketPath().
std::string controlSocketPath();
// Starts the server thread once per loaded library; returns at once (binding happens on that thread).
void startControlServer();
// Stops and joins the server thread and removes the socket file it made.
void stopControlServer();
// One client's framing: runs the complete lines at the head of `in`, taking them out and adding their
// answers to `out`, while `out` holds less than its cap (the rest waits until the client reads). False
// when an unfinished line has grown past the line limit: the client is answered and is to be closed.
bool runControlLines(std::string& in, std::string& out);
// Runs one command line and returns the full answer, ending in "ok\n" or "error: ...\n".
std::string runControlCommand(const std::string& line);
// The command list the server sends for "help" and the tool prints for --help.
const char* controlCommandHelp();

} // namespace zf
