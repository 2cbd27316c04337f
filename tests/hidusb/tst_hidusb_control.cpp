// The control socket of the library against the zentrafox-mouse tool: the server starts with the library,
// the tool's commands reach the virtual devices and come back to the program as reports.
#include "Support.h"

#include <future>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>

using namespace zftest;

namespace {

using namespace std::chrono_literals;

std::string socketPath() {
    return runDir() + "/control.sock";
}

struct ToolRun {
    int status = -1;
    std::string out, err;
};

ToolRun tool(const std::string& args, const std::string& input = "",
             const std::string& socket = socketPath()) {
    const std::string in = runDir() + "/in", out = runDir() + "/out", err = runDir() + "/err";
    writeFile(in, input);
    const std::string cmd = "ZF_HIDUSB_SOCKET='" + socket + "' '" + ZF_MOUSE_TOOL + "' " + args + " < '" +
                            in + "' > '" + out + "' 2> '" + err + "'";
    const int raw = std::system(cmd.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, readFile(out), readFile(err)};
}

// A connected socket, or -1; non-blocking ones are refused at once when the server's backlog is full.
int connectRaw(const std::string& path = socketPath(), int flags = 0) {
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
    int fd = ::socket(AF_UNIX, SOCK_STREAM | flags, 0);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}
bool serverUp(const std::string& path = socketPath()) {
    return waitFor([&] {
        int fd = connectRaw(path);
        return fd >= 0 && ::close(fd) == 0;
    });
}

// Sends `text` on a fresh connection and returns everything the server answers until it closes.
std::string exchange(const std::string& text, bool hangUp) {
    int fd = connectRaw();
    EXPECT_EQ(static_cast<ssize_t>(text.size()), ::send(fd, text.data(), text.size(), MSG_NOSIGNAL));
    if (hangUp)
        ::shutdown(fd, SHUT_WR);
    std::string answer;
    char buffer[256];
    for (ssize_t n; (n = ::recv(fd, buffer, sizeof buffer, 0)) > 0;)
        answer.append(buffer, static_cast<size_t>(n));
    ::close(fd);
    return answer;
}

class Control : public HidTest {
protected:
    void SetUp() override {
        HidTest::SetUp();
        ASSERT_TRUE(serverUp()) << "control socket never came up"; // it binds on its own thread
    }
};

TEST_F(Control, CommandsReachTheDevicesAndTheProgram) {
    ToolRun r = tool("key mouse0 left down");
    EXPECT_EQ(1, r.status);
    EXPECT_NE(std::string::npos, r.err.find("not in key calibration")) << r.err;
    start();
    r = tool("list");
    ASSERT_EQ(0, r.status) << r.err;
    EXPECT_NE(std::string::npos, r.out.find("mouse mouse0 link=receiver receiver=receiver0 battery=80"))
        << r.out;
    EXPECT_NE(std::string::npos, r.out.find("receiver receiver0 plugged=1 paired=mouse0")) << r.out;

    ASSERT_EQ(0, tool("dpi mouse0").status);
    EXPECT_EQ(1, nextStatus().at(0));
    ASSERT_EQ(0, tool("dpi mouse0 hold").status); // the DPI light's next effect
    EXPECT_EQ(Bytes({0, 0, 0, 1, 0, 0, 0}), nextStatus());
    ASSERT_EQ(0, tool("battery mouse0 7 1").status);
    ASSERT_EQ(1, L.UsbServer_ReadBatteryLevel());
    EXPECT_EQ(Bytes({7, 1}), dataOf(4));
    // In key calibration the main keys show in status data bytes 8 (left) and 9 (right).
    collector().clear();
    const unsigned char request[HIDUSB_ADJUST_SIZE] = {1};
    ASSERT_EQ(1, L.UsbFinderC_StartAdjustMode(kReceiverPath, request, 1));
    for (auto [command, left, right] : {std::tuple{"key mouse0 right down", 0, 100},
                                        {"key mouse0 left down", 100, 100},
                                        {"key mouse0 right up", 100, 0}}) {
        ASSERT_EQ(0, tool(command).status) << command;
        auto s = collector().take(10);
        ASSERT_TRUE(s && s->data.size() >= 10);
        EXPECT_EQ(Bytes({uint8_t(left), uint8_t(right)}), Bytes(s->data.begin() + 8, s->data.begin() + 10))
            << command;
    }

    // Links: path that answers afterwards (none for an unplugged mouse).
    for (auto [command, online] : {std::pair{"cable mouse0", kCablePath},
                                   {"unplug mouse0", nullptr},
                                   {"receiver mouse0", kReceiverPath}}) {
        ASSERT_EQ(0, tool(command).status) << command;
        EXPECT_EQ(online != nullptr, L.UsbFinderC_GetDeviceOnLine(online ? online : kCablePath)) << command;
    }
    ASSERT_EQ(0, tool("unplug receiver0").status);
    int count = 5;
    EXPECT_EQ(nullptr, L.UsbFinderC_FindHidDevicesByDefaultDeviceId("373B", "1002", &count));
    ASSERT_EQ(0, tool("plug receiver0").status);

    // Several commands from standard input over one connection; the armed failures reach the library.
    r = tool("-", "off mouse0\n# a comment\n\nfail-pairing\ncounters\n");
    ASSERT_EQ(0, r.status) << r.err;
    EXPECT_EQ(0u, r.out.find("reports-in=")) << r.out;
    ASSERT_EQ(1, L.UsbServer_EnterDonglePairOnlyCid(kCid));
    EXPECT_EQ(Bytes({1}), dataOf(6)) << "listening";
    EXPECT_EQ(Bytes({2}), dataOf(6)) << "pairing failed as armed";
}

TEST_F(Control, BadCommandsGetAReasonAndChangeNothing) {
    const std::string before = tool("list").out;
    for (const char* bad :
         {"frobnicate", "dpi", "dpi nobody", "dpi receiver0", "dpi mouse0 press", "battery mouse0 101",
          "battery mouse0 50 2", "battery mouse0 x", "key mouse0 middle down", "fail-upgrade -1", "plug",
          "cable mouse0 extra", "hang 0", "hang 600001"}) {
        ToolRun r = tool(bad);
        EXPECT_EQ(1, r.status) << bad;
        EXPECT_FALSE(r.err.empty()) << bad;
    }
    EXPECT_EQ(before, tool("list").out);

    // The tool itself: usage errors and no program behind the socket.
    EXPECT_EQ(2, tool("").status);
    EXPECT_EQ(2, tool("--bogus list").status);
    ToolRun none = tool("list", "", runDir() + "/nobody.sock");
    EXPECT_EQ(2, none.status);
    EXPECT_NE(std::string::npos, none.err.find("no program answers")) << none.err;
    ToolRun help = tool("--help");
    EXPECT_EQ(0, help.status);
    for (const char* word : {"fail-upgrade", "ZF_HIDUSB_SOCKET", "\"ok\""})
        EXPECT_NE(std::string::npos, help.out.find(word)) << word;
}

// A library told to hang blocks every device call until the time is over, then answers as before.
TEST_F(Control, HangBlocksEveryCallForItsTime) {
    ASSERT_EQ(0, tool("hang 700").status);
    const auto begin = std::chrono::steady_clock::now();
    EXPECT_EQ(1, L.UsbFinderC_GetDeviceOnLine(kReceiverPath));
    const auto blocked = std::chrono::steady_clock::now() - begin;
    EXPECT_GE(blocked, 500ms);
    EXPECT_LT(blocked, 5s);
    const auto again = std::chrono::steady_clock::now();
    EXPECT_EQ(1, L.UsbFinderC_GetDeviceOnLine(kReceiverPath));
    EXPECT_LT(std::chrono::steady_clock::now() - again, 200ms);
}

// Raw clients: an over-long line, pipelined commands, one that never reads, one that stays silent and
// fifty at once hold no one. A second library instance leaves the live socket to the first, and unloading
// one, as the program's exit does, ends its server at once all the same.
TEST_F(Control, ClientsAreServedSideBySideAndShutdownIsBounded) {
    EXPECT_EQ("error: line too long\n", exchange(std::string(5000, 'x'), false))
        << "and the connection closed";
    const std::string answer = exchange("help\nnonsense\n", true);
    EXPECT_NE(std::string::npos, answer.find("fail-upgrade PERCENT\n"));
    EXPECT_NE(std::string::npos, answer.find("ok\nerror: unknown command nonsense")) << "in order";
    {
        LibHidUsb second(libraryCopy("libHIDUsb-copy.so"));
        second.HidVirt_SetBattery("mouse0", 33, 0);
        std::this_thread::sleep_for(100ms);
        EXPECT_NE(std::string::npos, tool("list").out.find("battery=80"));
    }
    EXPECT_EQ(0, tool("list").status) << "the first server survived the second's unload";

    const std::string socket = runDir() + "/exit.sock";
    setenv("ZF_HIDUSB_SOCKET", socket.c_str(), 1);
    auto second = std::make_unique<LibHidUsb>(libraryCopy("libHIDUsb-exit.so"));
    second->HidVirt_List(nullptr, 0); // first use opens its socket, on its own thread
    const bool up = serverUp(socket);
    setenv("ZF_HIDUSB_SOCKET", socketPath().c_str(), 1);
    ASSERT_TRUE(up);
    // A client that sends commands and never reads the answers, until its socket takes no more.
    const int stuck = connectRaw(socket, SOCK_NONBLOCK), idle = connectRaw(socket);
    const std::string commands(16384, '\n');
    for (int stalls = 0; stuck >= 0 && stalls < 20;)
        if (::send(stuck, commands.data(), commands.size(), MSG_NOSIGNAL) <= 0 && ++stalls)
            std::this_thread::sleep_for(10ms);
    std::vector<pollfd> clients;
    for (int i = 0, fd; i < 50; ++i)
        if ((fd = connectRaw(socket, SOCK_NONBLOCK)) >= 0 && ::send(fd, "counters\n", 9, MSG_NOSIGNAL) == 9)
            clients.push_back({fd, POLLIN, 0});
    EXPECT_EQ(50u, clients.size()) << "refused connections";
    size_t answered = 0;
    char buffer[256];
    for (auto until = std::chrono::steady_clock::now() + 3s;
         answered < clients.size() && std::chrono::steady_clock::now() < until;)
        for (pollfd& c : clients) // each answer is one short packet ending in "ok"
            if (::poll(&c, 1, 1) > 0 && ::recv(c.fd, buffer, sizeof buffer, 0) > 0 && ++answered)
                c.events = 0;
    EXPECT_EQ(clients.size(), answered);

    auto unloaded = std::async(std::launch::async, [&] { second.reset(); });
    const bool bounded = unloaded.wait_for(2s) == std::future_status::ready;
    for (const pollfd& c : clients)
        ::close(c.fd);
    ::close(stuck); // lets a server that waits for the client end, so the case fails rather than hangs
    ::close(idle);
    unloaded.wait();
    EXPECT_TRUE(bounded);
    EXPECT_FALSE(std::filesystem::exists(socket)) << "the server removes its socket as it ends";
}

} // namespace

int main(int argc, char** argv) {
    prepareEnvironment();
    ::testing::InitGoogleTest(&argc, argv);
    // A socket file left by a program that died, so the server has to replace it.
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, socketPath().c_str(), sizeof addr.sun_path - 1);
    int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0)
        return 3;
    ::close(fd);
    lib().HidVirt_Reload(); // first use starts the server
    return RUN_ALL_TESTS();
}
