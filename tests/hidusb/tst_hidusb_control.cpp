// The control socket of the library against the zentrafox-mouse tool: the server starts with the library,
// the tool's commands reach the virtual devices and come back to the program as reports.
#include "Support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>

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

std::string slurp(const std::string& file) {
    std::ifstream in(file);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string quote(const std::string& s) {
    return "'" + s + "'";
}

ToolRun tool(const std::string& args, const std::string& input = "",
             const std::string& socket = socketPath()) {
    const std::string in = runDir() + "/in", out = runDir() + "/out", err = runDir() + "/err";
    writeFile(in, input);
    std::string cmd = "ZF_HIDUSB_SOCKET=" + quote(socket) + " " + quote(ZF_MOUSE_TOOL) + " " + args + " < " +
                      quote(in) + " > " + quote(out) + " 2> " + quote(err);
    int raw = std::system(cmd.c_str());
    ToolRun r;
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = slurp(out);
    r.err = slurp(err);
    return r;
}

int connectRaw() {
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, socketPath().c_str(), sizeof addr.sun_path - 1);
    int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

class Control : public ::testing::Test {
protected:
    LibHidUsb& L = lib();
    void SetUp() override {
        L.UsbServer_Exit();
        std::filesystem::remove_all(runDir() + "/state");
        ASSERT_EQ(1, L.HidVirt_Reload());
        collector().clear();
        // The server binds on its own thread; it is up once the socket accepts.
        for (int i = 0; i < 200; ++i) {
            int fd = connectRaw();
            if (fd >= 0) {
                ::close(fd);
                return;
            }
            std::this_thread::sleep_for(10ms);
        }
        FAIL() << "control socket never came up";
    }
    void TearDown() override { L.UsbServer_Exit(); }
};

TEST_F(Control, CommandsReachTheDevicesAndTheProgram) {
    ASSERT_EQ(1, L.UsbServerC_Start(kReceiverPath, kReceiverPath, onReport));
    ToolRun r = tool("list");
    ASSERT_EQ(0, r.status) << r.err;
    EXPECT_NE(std::string::npos, r.out.find("mouse mouse0 link=receiver receiver=receiver0 battery=80"))
        << r.out;
    EXPECT_NE(std::string::npos, r.out.find("receiver receiver0 plugged=1 paired=mouse0")) << r.out;

    ASSERT_EQ(0, tool("dpi mouse0").status);
    auto status = collector().take(10);
    ASSERT_TRUE(status);
    unsigned char flags[HIDUSB_STATUS_SIZE];
    L.GetDeviceStatusChanged(status->data.data(), flags);
    EXPECT_EQ(1, flags[0]);

    ASSERT_EQ(0, tool("battery mouse0 7 1").status);
    ASSERT_EQ(1, L.UsbServer_ReadBatteryLevel());
    auto battery = collector().take(4);
    ASSERT_TRUE(battery);
    EXPECT_EQ(std::vector<uint8_t>({7, 1}), battery->data);

    ASSERT_EQ(0, tool("cable mouse0").status);
    EXPECT_EQ(0, L.UsbFinderC_GetDeviceOnLine(kReceiverPath));
    EXPECT_EQ(1, L.UsbFinderC_GetDeviceOnLine(kCablePath));
    ASSERT_EQ(0, tool("unplug mouse0").status);
    EXPECT_EQ(0, L.UsbFinderC_GetDeviceOnLine(kCablePath));
    ASSERT_EQ(0, tool("receiver mouse0").status);
    EXPECT_EQ(1, L.UsbFinderC_GetDeviceOnLine(kReceiverPath));
    ASSERT_EQ(0, tool("unplug receiver0").status);
    int count = 5;
    EXPECT_EQ(nullptr, L.UsbFinderC_FindHidDevicesByDefaultDeviceId("373B", "1002", &count));
    ASSERT_EQ(0, tool("plug receiver0").status);

    // Several commands from standard input over one connection.
    r = tool("-", "rate mouse0\n# a comment\n\nfail-upgrade 30\ncounters\n");
    ASSERT_EQ(0, r.status) << r.err;
    EXPECT_EQ(0u, r.out.find("reports-in=")) << r.out;
}

TEST_F(Control, FailuresAreArmedForTheNextPairingAndUpgrade) {
    ASSERT_EQ(0, tool("off mouse0").status);
    ASSERT_EQ(1, L.UsbServerC_Start(kReceiverPath, kReceiverPath, onReport));
    ASSERT_EQ(0, tool("fail-pairing").status);
    ASSERT_EQ(1, L.UsbServer_EnterDonglePairOnlyCid(kCid));
    collector().take(6);
    auto result = collector().take(6);
    ASSERT_TRUE(result);
    EXPECT_EQ(std::vector<uint8_t>({2}), result->data);
}

TEST_F(Control, KeyPressesNeedCalibration) {
    ToolRun r = tool("key mouse0 left down");
    EXPECT_EQ(1, r.status);
    EXPECT_NE(std::string::npos, r.err.find("not in key calibration")) << r.err;
    unsigned char request[HIDUSB_ADJUST_SIZE] = {1};
    ASSERT_EQ(1, L.UsbServerC_Start(kReceiverPath, kReceiverPath, onReport));
    ASSERT_EQ(1, L.UsbFinderC_StartAdjustMode(kReceiverPath, request, 1));
    ASSERT_EQ(0, tool("key mouse0 left down").status);
    auto s = collector().take(10);
    ASSERT_TRUE(s);
    EXPECT_EQ(100, s->data[8]);
}

TEST_F(Control, BadCommandsGetAReasonAndChangeNothing) {
    const std::string before = tool("list").out;
    for (const char* bad :
         {"frobnicate", "dpi", "dpi nobody", "dpi receiver0", "battery mouse0 101", "battery mouse0 50 2",
          "battery mouse0 x", "key mouse0 middle down", "fail-upgrade -1", "plug", "cable mouse0 extra"}) {
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
    for (const char* word : {"list", "plug", "unplug", "cable", "receiver", "off", "dpi", "rate", "key",
                             "battery", "fail-pairing", "fail-upgrade", "ZF_HIDUSB_SOCKET", "\"ok\""})
        EXPECT_NE(std::string::npos, help.out.find(word)) << word;
}

TEST_F(Control, RawClientsCannotHoldOrBreakTheServer) {
    // An over-long line is refused and the connection closed.
    int fd = connectRaw();
    ASSERT_GE(fd, 0);
    std::string junk(5000, 'x');
    ASSERT_GT(::send(fd, junk.data(), junk.size(), MSG_NOSIGNAL), 0);
    std::string answer;
    char buffer[256];
    for (ssize_t n; (n = ::recv(fd, buffer, sizeof buffer, 0)) > 0;)
        answer.append(buffer, static_cast<size_t>(n));
    ::close(fd);
    EXPECT_EQ("error: line too long\n", answer);

    // Two commands in one packet, without waiting: two answers in order.
    fd = connectRaw();
    ASSERT_GE(fd, 0);
    const std::string two = "help\nnonsense\n";
    ASSERT_EQ(static_cast<ssize_t>(two.size()), ::send(fd, two.data(), two.size(), MSG_NOSIGNAL));
    ::shutdown(fd, SHUT_WR);
    answer.clear();
    for (ssize_t n; (n = ::recv(fd, buffer, sizeof buffer, 0)) > 0;)
        answer.append(buffer, static_cast<size_t>(n));
    ::close(fd);
    EXPECT_NE(std::string::npos, answer.find("fail-upgrade PERCENT\n"));
    EXPECT_NE(std::string::npos, answer.find("ok\nerror: unknown command nonsense"));

    // A second library instance leaves the live socket to the first.
    const std::string copy = runDir() + "/libHIDUsb-copy.so";
    std::filesystem::copy_file(HIDUSB_LIBRARY, copy, std::filesystem::copy_options::overwrite_existing);
    {
        LibHidUsb second(copy);
        second.HidVirt_SetBattery("mouse0", 33, 0);
        std::this_thread::sleep_for(100ms);
        EXPECT_NE(std::string::npos, tool("list").out.find("battery=80"));
    }
    EXPECT_EQ(0, tool("list").status) << "the first server survived the second's unload";
}

// A socket file left by a program that died, so the server has to replace it.
void leaveStaleSocket() {
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, socketPath().c_str(), sizeof addr.sun_path - 1);
    int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0)
        std::abort();
    ::close(fd);
}

} // namespace

int main(int argc, char** argv) {
    prepareEnvironment();
    ::testing::InitGoogleTest(&argc, argv);
    leaveStaleSocket();
    lib().HidVirt_Reload(); // first use starts the server
    return RUN_ALL_TESTS();
}
