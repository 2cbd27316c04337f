// Threads against the library: reports and change notices arriving while other threads call in, callbacks
// that call back into the library, and Exit or StopUsbChanged racing callbacks that block. Built normally it
// is a ctest; in a ZF_SANITIZE=thread build it is the ThreadSanitizer check of the library.
#include "Support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <future>
#include <thread>

using namespace zftest;

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

LibHidUsb* L = nullptr;

std::atomic<int> gReports{0};
std::atomic<int> gInCallback{0};

void chattyHandler(const unsigned char* h, int hl, const unsigned char* d, int dl) {
    ++gInCallback;
    ++gReports;
    // What the program's handler does: decode, then ask for more from inside the callback.
    if (hl > 1 && h[1] == 10 && dl > 0) {
        unsigned char flags[HIDUSB_STATUS_SIZE];
        L->GetDeviceStatusChanged(d, flags);
        if (flags[0])
            L->UsbServer_ReadCurrentDPI();
        if (flags[6])
            L->UsbServer_ReadBatteryLevel();
    } else if (hl > 1 && h[1] == 8 && dl == HIDUSB_FULL_DATA_SIZE) {
        std::vector<uint8_t> record(HIDUSB_RECORD_SIZE);
        L->ProtocolDataParser(d, record.data());
    }
    --gInCallback;
}

std::atomic<int> gChanges{0};
void onChange() {
    ++gChanges;
    int count = 5;
    L->UsbFinderC_FindHidDevicesByDefaultDeviceId("373B", "1002", &count);
}

class Stress : public ::testing::Test {
protected:
    void SetUp() override {
        L->UsbServer_Exit();
        L->StopUsbChanged();
        std::filesystem::remove_all(runDir() + "/state");
        ASSERT_EQ(1, L->HidVirt_Reload());
        L->HidVirt_SetPacketTime(0);
        gReports = 0;
        gChanges = 0;
    }
    void TearDown() override {
        L->UsbServer_Exit();
        L->StopUsbChanged();
    }
};

TEST_F(Stress, ReportsAndNoticesWhileOtherThreadsCallIn) {
    ASSERT_EQ(1, L->UsbServerC_Start(kReceiverPath, kReceiverPath, chattyHandler));
    ASSERT_EQ(1, L->StartUsbChanged(onChange, 1));
    ASSERT_EQ(1, L->HidVirt_SetBatteryTiming(5, 5)); // the battery clock joins in
    std::atomic<bool> stop{false};
    const auto until = Clock::now() + 1500ms;

    std::thread firmware([&] { // the mouse's own buttons and battery
        for (int i = 0; !stop; ++i) {
            L->HidVirt_PressDpiButton("mouse0");
            L->HidVirt_PressRateButton("mouse0");
            L->HidVirt_SetBattery("mouse0", 20 + i % 80, i % 2);
            std::this_thread::sleep_for(200us);
        }
    });
    std::thread program([&] { // the GUI thread's writers and queries
        std::vector<uint8_t> record(HIDUSB_RECORD_SIZE, 0);
        unsigned char out[16];
        for (int i = 0; !stop; ++i) {
            L->UsbServer_ReadAllFlashData();
            L->UsbFinderC_GetDeviceOnLine(kReceiverPath);
            L->UsbFinderC_GetDeviceInfo(out, kReceiverPath, 0);
            L->UsbFinderC_GetDeviceOnLineWithUsbAddress(kReceiverPath, out);
            L->UsbFinderC_GetLongRangeMode(kReceiverPath, out);
            record[200] = static_cast<uint8_t>(i);
            L->ProtocolDataUpdate(record.data());
            L->SetDllProtocolData(record.data());
            L->UsbFinderC_Get4KDongleRGBValue(kReceiverPath, out);
            std::this_thread::sleep_for(300us);
        }
    });
    std::thread worker([&] { // restarts of the service, as the worker does on a reconnection
        while (!stop) {
            std::this_thread::sleep_for(20ms);
            L->UsbServerC_Start(kReceiverPath, kReceiverPath, chattyHandler);
            L->UsbServer_SetPCDriverStatus(1);
        }
    });
    std::thread usb([&] { // a receiver and a cable coming and going
        for (int i = 0; !stop; ++i) {
            L->HidVirt_Plug("receiver0", i % 5 != 0);
            L->HidVirt_SetLink("mouse0", i % 7 == 0 ? HIDVIRT_LINK_OFF : HIDVIRT_LINK_RECEIVER);
            std::this_thread::sleep_for(3ms);
        }
        L->HidVirt_Plug("receiver0", 1);
        L->HidVirt_SetLink("mouse0", HIDVIRT_LINK_RECEIVER);
    });
    std::thread counters([&] {
        unsigned long long c[5];
        char text[2048];
        while (!stop) {
            L->HidVirt_GetCounters(c);
            L->HidVirt_List(text, sizeof text);
            std::this_thread::sleep_for(1ms);
        }
    });
    while (Clock::now() < until)
        std::this_thread::sleep_for(10ms);
    stop = true;
    for (auto* t : {&firmware, &program, &worker, &usb, &counters})
        t->join();
    L->HidVirt_SetBatteryTiming(0, 0);

    L->UsbServer_Exit();
    L->StopUsbChanged();
    EXPECT_GT(gReports.load(), 100);
    EXPECT_GT(gChanges.load(), 5);
    const int reports = gReports, changes = gChanges;
    L->HidVirt_PressDpiButton("mouse0");
    L->HidVirt_Plug("receiver0", 0);
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(reports, gReports.load()) << "no report callback after Exit";
    EXPECT_EQ(changes, gChanges.load()) << "no change callback after StopUsbChanged";
    EXPECT_EQ(0, gInCallback.load());
}

// A callback that waits on a flag the other thread sets just before it calls Exit.
std::atomic<bool> gExitCalled{false};
std::atomic<bool> gCallbackDone{false};
void waitsForExitCall(const unsigned char*, int, const unsigned char*, int) {
    ++gReports;
    while (!gExitCalled)
        std::this_thread::sleep_for(1ms);
    std::this_thread::sleep_for(20ms); // still running when Exit starts waiting
    gCallbackDone = true;
}

TEST_F(Stress, ExitWaitsForACallbackThatEndsSoon) {
    gExitCalled = false;
    gCallbackDone = false;
    ASSERT_EQ(1, L->UsbServerC_Start(kReceiverPath, kReceiverPath, waitsForExitCall));
    for (int i = 0; i < 5; ++i)
        ASSERT_EQ(1, L->UsbServer_ReadBatteryLevel());
    while (gReports == 0)
        std::this_thread::sleep_for(1ms);
    gExitCalled = true;
    L->UsbServer_Exit();
    EXPECT_TRUE(gCallbackDone) << "Exit returned while the callback was still running";
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(1, gReports.load()) << "the four queued reports were dropped";
}

// The program's pattern: the callback blocks until the GUI thread, which is the one calling Exit, has run
// the slot - here, until Exit has returned.
std::atomic<bool> gExitReturned{false};
void waitsForExitReturn(const unsigned char*, int, const unsigned char*, int) {
    ++gReports;
    ++gInCallback;
    while (!gExitReturned)
        std::this_thread::sleep_for(1ms);
    // Calling in after Exit must be harmless too.
    L->UsbServer_ReadBatteryLevel();
    --gInCallback;
}

TEST_F(Stress, ExitDoesNotDeadlockWithACallbackBlockedOnTheCaller) {
    gExitReturned = false;
    ASSERT_EQ(1, L->UsbServerC_Start(kReceiverPath, kReceiverPath, waitsForExitReturn));
    ASSERT_EQ(1, L->UsbServer_ReadBatteryLevel());
    ASSERT_EQ(1, L->UsbServer_ReadVersion());
    while (gReports == 0)
        std::this_thread::sleep_for(1ms);

    // Queries never wait for the blocked callback thread.
    auto t0 = Clock::now();
    unsigned char out[HIDUSB_ONLINE_ADDRESS_SIZE];
    EXPECT_EQ(1, L->UsbFinderC_GetDeviceOnLine(kReceiverPath));
    EXPECT_EQ(1, L->UsbFinderC_GetDeviceOnLineWithUsbAddress(kReceiverPath, out));
    EXPECT_EQ(1, L->UsbServer_ReadBatteryLevel());
    EXPECT_LT(Clock::now() - t0, 100ms);

    auto exit = std::async(std::launch::async, [] { L->UsbServer_Exit(); });
    ASSERT_EQ(std::future_status::ready, exit.wait_for(5s)) << "Exit deadlocked with the callback";
    gExitReturned = true;
    while (gInCallback != 0)
        std::this_thread::sleep_for(1ms);
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(1, gReports.load()) << "no callback started after Exit";

    // The library is usable again afterwards.
    gReports = 0;
    ASSERT_EQ(1, L->UsbServerC_Start(kReceiverPath, kReceiverPath, chattyHandler));
    ASSERT_EQ(1, L->UsbServer_ReadBatteryLevel());
    for (int i = 0; i < 1000 && gReports == 0; ++i)
        std::this_thread::sleep_for(1ms);
    EXPECT_EQ(1, gReports.load());
}

void exitsFromInside(const unsigned char*, int, const unsigned char*, int) {
    ++gReports;
    L->UsbServer_Exit();
}

TEST_F(Stress, ExitFromInsideACallback) {
    ASSERT_EQ(1, L->UsbServerC_Start(kReceiverPath, kReceiverPath, exitsFromInside));
    for (int i = 0; i < 3; ++i)
        L->UsbServer_ReadBatteryLevel();
    for (int i = 0; i < 1000 && gReports == 0; ++i)
        std::this_thread::sleep_for(1ms);
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(1, gReports.load());
    EXPECT_EQ(0, L->UsbServer_ReadBatteryLevel()) << "the service is gone";
}

std::atomic<bool> gStopReturned{false};
void changeWaitsForStop() {
    ++gChanges;
    while (!gStopReturned)
        std::this_thread::sleep_for(1ms);
}

TEST_F(Stress, StopUsbChangedDoesNotDeadlockWithABlockedNotice) {
    gStopReturned = false;
    ASSERT_EQ(1, L->StartUsbChanged(changeWaitsForStop, 1));
    L->HidVirt_Plug("receiver0", 0);
    while (gChanges == 0)
        std::this_thread::sleep_for(1ms);
    L->HidVirt_Plug("receiver0", 1);
    auto stop = std::async(std::launch::async, [] { L->StopUsbChanged(); });
    ASSERT_EQ(std::future_status::ready, stop.wait_for(5s));
    gStopReturned = true;
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(1, gChanges.load());
}

std::atomic<int> gUpgradeEnds{0};
void progressCallsIn(const unsigned char* status, int) {
    if (status[1] == 1)
        L->UsbFinderC_GetDeviceOnLine(kCablePath);
    else
        ++gUpgradeEnds;
}

TEST_F(Stress, UpgradeRacesLinkChanges) {
    auto image = firmwareImage(32768, 0xD3, kCid, kMid, 0x0400);
    const int n = static_cast<int>(image.size());
    L->HidVirt_SetPacketTime(20);
    for (int round = 0; round < 6; ++round) {
        gUpgradeEnds = 0;
        ASSERT_EQ(1, L->HidVirt_SetLink("mouse0", HIDVIRT_LINK_CABLE));
        ASSERT_EQ(1, L->UsbUpgrade_Start(image.data(), n, progressCallsIn, 10000)) << round;
        EXPECT_EQ(0, L->UsbUpgrade_Start(image.data(), n, progressCallsIn, 10000)) << "one flash at a time";
        std::this_thread::sleep_for(std::chrono::milliseconds(round * 2));
        if (round % 2)
            L->HidVirt_SetLink("mouse0", HIDVIRT_LINK_OFF);
        for (int i = 0; i < 5000 && gUpgradeEnds == 0; ++i)
            std::this_thread::sleep_for(1ms);
        ASSERT_EQ(1, gUpgradeEnds.load()) << "every flash ends exactly once";
    }
    L->HidVirt_SetPacketTime(0);
}

} // namespace

int main(int argc, char** argv) {
    prepareEnvironment();
    ::testing::InitGoogleTest(&argc, argv);
    L = &lib();
    return RUN_ALL_TESTS();
}
