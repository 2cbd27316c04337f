// Threads against the library: reports and change notices arriving while other threads call in, callbacks
// that call back into the library, and Exit or StopUsbChanged racing callbacks that block. Built normally it
// is a ctest; in a ZF_SANITIZE=thread build it is the ThreadSanitizer check of the library.
#include "Support.h"

#include <atomic>
#include <future>

using namespace zftest;

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

LibHidUsb* H = nullptr; // for the plain C callbacks
std::atomic<int> gReports{0}, gInCallback{0}, gChanges{0};
std::atomic<bool> gRelease{false}; // lets a blocking callback go on

void chattyHandler(const unsigned char* h, int hl, const unsigned char* d, int dl) {
    ++gInCallback;
    ++gReports;
    // What the program's handler does: decode, then ask for more from inside the callback.
    if (hl > 1 && h[1] == 10 && dl > 0) {
        unsigned char flags[HIDUSB_STATUS_SIZE];
        H->GetDeviceStatusChanged(d, flags);
        if (flags[0])
            H->UsbServer_ReadCurrentDPI();
        if (flags[6])
            H->UsbServer_ReadBatteryLevel();
    } else if (hl > 1 && h[1] == 8 && dl == HIDUSB_FULL_DATA_SIZE) {
        std::vector<uint8_t> record(HIDUSB_RECORD_SIZE);
        H->ProtocolDataParser(d, record.data());
    }
    --gInCallback;
}

void onChange() {
    ++gChanges;
    int count = 5;
    H->UsbFinderC_FindHidDevicesByDefaultDeviceId("373B", "1002", &count);
}

class Stress : public HidTest {
protected:
    void SetUp() override {
        HidTest::SetUp();
        gReports = gChanges = gInCallback = 0;
        gRelease = false;
    }
};

TEST_F(Stress, ReportsAndNoticesWhileOtherThreadsCallIn) {
    ASSERT_EQ(1, H->UsbServerC_Start(kReceiverPath, kReceiverPath, chattyHandler));
    ASSERT_EQ(1, H->StartUsbChanged(onChange, 1));
    ASSERT_EQ(1, H->HidVirt_SetBatteryTiming(5, 5)); // the battery clock joins in
    std::atomic<bool> stop{false};
    std::vector<std::thread> threads;
    const auto loop = [&](std::chrono::microseconds pause, void (*body)(int)) {
        threads.emplace_back([&stop, pause, body] {
            for (int i = 0; !stop; ++i, std::this_thread::sleep_for(pause))
                body(i);
        });
    };
    loop(200us, [](int i) { // the mouse's own buttons and battery
        H->HidVirt_PressDpiButton("mouse0");
        H->HidVirt_PressRateButton("mouse0");
        H->HidVirt_SetBattery("mouse0", 20 + i % 80, i % 2);
    });
    loop(300us, [](int i) { // the GUI thread's writers and queries
        std::vector<uint8_t> record(HIDUSB_RECORD_SIZE, static_cast<uint8_t>(i));
        unsigned char out[16];
        H->UsbServer_ReadAllFlashData();
        H->UsbFinderC_GetDeviceInfo(out, kReceiverPath, 0);
        H->UsbFinderC_GetDeviceOnLineWithUsbAddress(kReceiverPath, out);
        H->ProtocolDataUpdate(record.data());
        H->SetDllProtocolData(record.data());
        H->UsbFinderC_Get4KDongleRGBValue(kReceiverPath, out);
    });
    loop(20ms, [](int) { // restarts of the service, as the worker does on a reconnection
        H->UsbServerC_Start(kReceiverPath, kReceiverPath, chattyHandler);
        H->UsbServer_SetPCDriverStatus(1);
    });
    loop(3ms, [](int i) { // a receiver and a mouse coming and going, the tool listing them
        H->HidVirt_Plug("receiver0", i % 5 != 0);
        H->HidVirt_SetLink("mouse0", i % 7 == 0 ? HIDVIRT_LINK_OFF : HIDVIRT_LINK_RECEIVER);
        char text[2048];
        unsigned long long counters[5];
        H->HidVirt_List(text, sizeof text);
        H->HidVirt_GetCounters(counters);
    });
    std::this_thread::sleep_for(1500ms);
    stop = true;
    for (auto& t : threads)
        t.join();
    H->HidVirt_SetBatteryTiming(-1, -1);
    H->UsbServer_Exit();
    H->StopUsbChanged();
    EXPECT_GT(gReports.load(), 100);
    EXPECT_GT(gChanges.load(), 5);
    EXPECT_EQ(0, gInCallback.load()) << "Exit returned during a callback";
}

// Runs until released, calling in as the program's handler does; by then Exit may have returned.
void blocksUntilRelease(const unsigned char*, int, const unsigned char*, int) {
    ++gInCallback;
    ++gReports;
    waitFor([] { return gRelease.load(); }, 10000);
    std::this_thread::sleep_for(20ms);
    H->UsbServer_ReadBatteryLevel();
    --gInCallback;
}

// A callback still running when Exit starts but done within its grace time is waited for; the reports
// queued behind it are dropped.
TEST_F(Stress, ExitWaitsForACallbackThatEndsSoonAndDropsTheQueue) {
    ASSERT_EQ(1, H->UsbServerC_Start(kReceiverPath, kReceiverPath, blocksUntilRelease));
    for (int i = 0; i < 5; ++i)
        ASSERT_EQ(1, H->UsbServer_ReadBatteryLevel());
    ASSERT_TRUE(waitFor([] { return gReports > 0; }));
    gRelease = true;
    H->UsbServer_Exit();
    EXPECT_EQ(0, gInCallback.load()) << "Exit returned while the callback was still running";
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(1, gReports.load()) << "the queued reports were dropped";
}

// The program's pattern: the callback blocks until the thread calling Exit has gone on.
TEST_F(Stress, ExitDoesNotDeadlockWithACallbackBlockedOnTheCaller) {
    ASSERT_EQ(1, H->UsbServerC_Start(kReceiverPath, kReceiverPath, blocksUntilRelease));
    ASSERT_EQ(1, H->UsbServer_ReadBatteryLevel());
    ASSERT_EQ(1, H->UsbServer_ReadVersion());
    ASSERT_TRUE(waitFor([] { return gReports > 0; }));

    // Queries never wait for the blocked callback thread.
    auto t0 = Clock::now();
    unsigned char out[HIDUSB_ONLINE_ADDRESS_SIZE];
    EXPECT_EQ(1, H->UsbFinderC_GetDeviceOnLineWithUsbAddress(kReceiverPath, out));
    EXPECT_EQ(1, H->UsbServer_ReadBatteryLevel());
    EXPECT_LT(Clock::now() - t0, 100ms);

    auto exit = std::async(std::launch::async, [] { H->UsbServer_Exit(); });
    ASSERT_EQ(std::future_status::ready, exit.wait_for(5s)) << "Exit deadlocked with the callback";
    gRelease = true;
    ASSERT_TRUE(waitFor([] { return gInCallback == 0; }));
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(1, gReports.load()) << "no callback started after Exit";

    // The library serves again afterwards, and Exit from inside a callback ends the service at once.
    gReports = 0;
    ASSERT_EQ(1, H->UsbServerC_Start(kReceiverPath, kReceiverPath, [](auto...) {
        ++gReports;
        H->UsbServer_Exit();
    }));
    for (int i = 0; i < 3; ++i)
        H->UsbServer_ReadBatteryLevel();
    ASSERT_TRUE(waitFor([] { return gReports > 0; }));
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(1, gReports.load());
    EXPECT_EQ(0, H->UsbServer_ReadBatteryLevel()) << "the service is gone";
}

void changeBlocksUntilRelease() {
    ++gChanges;
    waitFor([] { return gRelease.load(); }, 10000);
}

TEST_F(Stress, StopUsbChangedDoesNotDeadlockWithABlockedNotice) {
    ASSERT_EQ(1, H->StartUsbChanged(changeBlocksUntilRelease, 1));
    H->HidVirt_Plug("receiver0", 0);
    ASSERT_TRUE(waitFor([] { return gChanges > 0; }));
    H->HidVirt_Plug("receiver0", 1);
    auto stop = std::async(std::launch::async, [] { H->StopUsbChanged(); });
    ASSERT_EQ(std::future_status::ready, stop.wait_for(5s));
    gRelease = true;
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(1, gChanges.load()) << "the second change came after Stop";
}

std::atomic<int> gUpgradeEnds{0};
void progressCallsIn(const unsigned char* status, int) {
    if (status[1] == 1)
        H->UsbFinderC_GetDeviceOnLine(kCablePath);
    else
        ++gUpgradeEnds;
}

TEST_F(Stress, UpgradeRacesLinkChanges) {
    auto image = firmwareImage(32768, 0xD3, kCid, kMid, 0x0400);
    const int n = static_cast<int>(image.size());
    H->HidVirt_SetPacketTime(20);
    for (int round = 0; round < 6; ++round) {
        gUpgradeEnds = 0;
        ASSERT_EQ(1, H->HidVirt_SetLink("mouse0", HIDVIRT_LINK_CABLE));
        ASSERT_EQ(1, H->UsbUpgrade_Start(image.data(), n, progressCallsIn, 10000)) << round;
        std::this_thread::sleep_for(std::chrono::milliseconds(round * 2));
        if (round % 2)
            H->HidVirt_SetLink("mouse0", HIDVIRT_LINK_OFF);
        ASSERT_TRUE(waitFor([] { return gUpgradeEnds > 0; }, 5000));
        std::this_thread::sleep_for(5ms);
        ASSERT_EQ(1, gUpgradeEnds.load()) << "every flash ends exactly once";
    }
}

} // namespace

int main(int argc, char** argv) {
    prepareEnvironment();
    ::testing::InitGoogleTest(&argc, argv);
    H = &lib();
    return RUN_ALL_TESTS();
}
