#pragma once
// The control socket: a local (unix) socket through which zentrafox-mouse drives the virtual devices of a
// running program. Line-based text: one command per line, answered by zero or more data lines and a last
// line "ok" or "error: <reason>".
#include <string>

namespace zf {

// $ZF_HIDUSB_SOCKET, else "control.sock" in the state folder.
std::string controlSocketPath();
// Starts the server thread once per loaded library; returns at once (binding happens on that thread).
void startControlServer();
// Stops and joins the server thread and removes the socket file it made.
void stopControlServer();
// Runs one command line and returns the full answer, ending in "ok\n" or "error: ...\n".
std::string runControlCommand(const std::string& line);
// The command list the server sends for "help" and the tool prints for --help.
const char* controlCommandHelp();

} // namespace zf
