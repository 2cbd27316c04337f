// Conformance of the built libHIDUsb.so: loaded with dlopen, used only through its C interface.
#include "Support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>

using namespace zftest;

namespace {

using Bytes = std::vector<uint8_t>;

class HidUsb : public ::testing::Test {
protected:
    LibHidUsb& L = lib();

    void SetUp() override { fresh(""); }
    void TearDown() override {
        L.UsbServer_Exit();
        L.StopUsbChanged();
        L.HidVirt_SetPacketTime(0);
    }

    // Devices from `description` (empty: the default pair) with no stored flash.
    void fresh(const std::string& description) {
        L.UsbServer_Exit();
        std::filesystem::remove_all(runDir() + "/state");
        if (description.empty()) {
            unsetenv("ZF_HIDUSB_DEVICES");
        } else {
            writeFile(runDir() + "/devices.txt", description);
            setenv("ZF_HIDUSB_DEVICES", (runDir() + "/devices.txt").c_str(), 1);
        }
        ASSERT_EQ(1, L.HidVirt_Reload());
        L.HidVirt_SetPacketTime(0);
        L.HidVirt_ResetCounters();
        collector().clear();
    }

    void start(const char* path = kReceiverPath) { ASSERT_EQ(1, L.UsbServerC_Start(path, path, onReport)); }

    // The device's whole configuration as the program reads it: full-data report, then the parser.
    Bytes readRecord() {
        collector().clear();
        EXPECT_EQ(1, L.UsbServer_ReadAllFlashData());
        auto r = collector().take(8, 0);
        EXPECT_TRUE(r);
        Bytes record(HIDUSB_RECORD_SIZE, 0xEE);
        if (!r)
            return record;
        EXPECT_EQ(HIDUSB_FULL_DATA_SIZE, static_cast<int>(r->data.size()));
        EXPECT_EQ(0, r->qualifier());
        EXPECT_EQ(1, L.ProtocolDataParser(r->data.data(), record.data()));
        return record;
    }

    Bytes flash(const char* mouse = "mouse0", int profile = -1) {
        Bytes f(HIDUSB_RECORD_SIZE);
        EXPECT_EQ(1, L.HidVirt_ReadFlash(mouse, profile, f.data()));
        return f;
    }

    unsigned long long counter(int i) {
        unsigned long long c[5] = {};
        L.HidVirt_GetCounters(c);
        return c[i];
    }
    std::string list() {
        char text[4096];
        L.HidVirt_List(text, sizeof text);
        return text;
    }
};

TEST_F(HidUsb, ExportsTheWholeInterfaceAndNothingInternal) {
    EXPECT_EQ(47, L.resolved);
    // Library internals stay hidden, so a replacement only has to provide the C functions.
    EXPECT_EQ(nullptr, dlsym(L.handle, "_ZN2zf8registryEv"));
    EXPECT_EQ(nullptr, dlsym(L.handle, "_ZN2zf4hostEv"));
}

TEST_F(HidUsb, FindersHonourIdsAndCount) {
    int count = 5;
    char** paths = L.UsbFinderC_FindHidDevicesByDeviceId("373B", "1002", 1, 5, &count);
    ASSERT_EQ(1, count);
    ASSERT_NE(nullptr, paths);
    EXPECT_STREQ(kReceiverPath, paths[0]);
    EXPECT_EQ(nullptr, paths[1]);

    count = 5; // ids match without regard to case or a 0x prefix
    paths = L.UsbFinderC_FindHidDevicesByDefaultDeviceId("0x373b", "1002", &count);
    EXPECT_EQ(1, count);

    count = 5; // the mouse is wireless: nothing under the cable PID until it is plugged in
    EXPECT_EQ(nullptr, L.UsbFinderC_FindHidDevicesByDeviceId("373B", "1001", 1, 5, &count));
    EXPECT_EQ(0, count);
    ASSERT_EQ(1, L.HidVirt_SetLink("mouse0", HIDVIRT_LINK_CABLE));
    count = 5;
    paths = L.UsbFinderC_FindHidDevicesByDeviceId("373B", "1001", 1, 5, &count);
    ASSERT_EQ(1, count);
    EXPECT_STREQ(kCablePath, paths[0]);

    // Bad counts and ids find nothing and leave *count at 0.
    for (int bad : {0, -1, 65}) {
        count = bad;
        EXPECT_EQ(nullptr, L.UsbFinderC_FindHidDevicesByDeviceId("373B", "1001", 1, 5, &count)) << bad;
        EXPECT_EQ(0, count);
    }
    count = 5;
    EXPECT_EQ(nullptr, L.UsbFinderC_FindHidDevicesByDeviceId(nullptr, "1001", 1, 5, &count));
    EXPECT_EQ(0, count);
    EXPECT_EQ(nullptr, L.UsbFinderC_FindHidDevicesByDefaultDeviceId("373B", "1001", nullptr));
}

TEST_F(HidUsb, FinderStopsAtCapacity) {
    fresh("mouse a link=cable\nmouse b link=cable\nmouse c link=cable\n");
    int count = 5;
    L.UsbFinderC_FindHidDevicesByDefaultDeviceId("373B", "1001", &count);
    EXPECT_EQ(3, count);
    count = 5;
    L.UsbFinderC_FindHidDevicesByDeviceId("373B", "1001", 1, 2, &count);
    EXPECT_EQ(2, count);
    count = 1;
    L.UsbFinderC_FindHidDevicesByDefaultDeviceId("373B", "1001", &count);
    EXPECT_EQ(1, count);
}

TEST_F(HidUsb, DeviceInfoAttributeAndOnlineAnswers) {
    unsigned char info[HIDUSB_DEVICE_INFO_SIZE];
    ASSERT_EQ(1, L.UsbFinderC_GetDeviceInfo(info, kReceiverPath, 0));
    EXPECT_EQ(kCid, info[0]);
    EXPECT_EQ(kMid, info[1]);
    EXPECT_EQ(0, info[2] & 0xFA) << "behind a receiver";

    unsigned char attribute[HIDUSB_ATTRIBUTE_SIZE];
    ASSERT_EQ(1, L.UsbFinderC_GetUsbDeviceAttribute(kReceiverPath, attribute));
    EXPECT_EQ(0x0102, attribute[8] | attribute[9] << 8);

    EXPECT_EQ(1, L.UsbFinderC_GetDeviceOnLine(kReceiverPath));
    EXPECT_EQ(0x0105, L.UsbFinderC_GetVersion(kReceiverPath));
    unsigned char online[HIDUSB_ONLINE_ADDRESS_SIZE];
    ASSERT_EQ(1, L.UsbFinderC_GetDeviceOnLineWithUsbAddress(kReceiverPath, online));
    EXPECT_EQ(1, online[6]);
    EXPECT_EQ(Bytes({0xA1, 0xB2, 0xC3}), Bytes(online + 7, online + 10));

    // Switched off: the receiver is still there, the mouse does not answer.
    ASSERT_EQ(1, L.HidVirt_SetLink("mouse0", HIDVIRT_LINK_OFF));
    EXPECT_EQ(0, L.UsbFinderC_GetDeviceOnLine(kReceiverPath));
    EXPECT_EQ(0, L.UsbFinderC_GetDeviceOnLineWithUsbAddress(kReceiverPath, online));
    EXPECT_EQ(0, online[6]);
    EXPECT_EQ(0, L.UsbFinderC_GetVersion(kReceiverPath));

    // On the cable the same mouse is wired under its own path.
    ASSERT_EQ(1, L.HidVirt_SetLink("mouse0", HIDVIRT_LINK_CABLE));
    ASSERT_EQ(1, L.UsbFinderC_GetDeviceInfo(info, kCablePath, 0));
    EXPECT_NE(0, info[2] & 0xFA) << "wired";
    EXPECT_EQ(1, L.UsbFinderC_GetDeviceOnLine(kCablePath));

    // Unknown and null paths, null buffers.
    std::memset(info, 0x55, sizeof info);
    EXPECT_EQ(0, L.UsbFinderC_GetDeviceInfo(info, "/dev/zf-virtual/nothing", 0));
    EXPECT_EQ(Bytes(4, 0), Bytes(info, info + 4));
    EXPECT_EQ(0, L.UsbFinderC_GetDeviceInfo(info, nullptr, 0));
    EXPECT_EQ(0, L.UsbFinderC_GetDeviceInfo(nullptr, kCablePath, 0));
    EXPECT_EQ(0, L.UsbFinderC_GetUsbDeviceAttribute(nullptr, attribute));
    EXPECT_EQ(0, L.UsbFinderC_GetUsbDeviceAttribute(kCablePath, nullptr));
    EXPECT_EQ(0, L.UsbFinderC_GetDeviceOnLine(nullptr));
    EXPECT_EQ(0, L.UsbFinderC_GetDeviceOnLine("/dev/zf-virtual/receiver0/"));
    EXPECT_EQ(0, L.UsbFinderC_GetDeviceOnLineWithUsbAddress(kCablePath, nullptr));
    EXPECT_EQ(0, L.UsbFinderC_GetVersion(nullptr));
}

TEST_F(HidUsb, ReadsAnswerWithTheirReportShapes) {
    start();
    L.UsbServer_SetPCDriverStatus(1);
    Bytes record = readRecord();
    EXPECT_EQ(flash(), record) << "full data and its extension give the whole stored record";

    ASSERT_EQ(1, L.UsbServer_ReadCurrentDPI());
    auto dpi = collector().take(8, 4);
    ASSERT_TRUE(dpi);
    EXPECT_EQ(Bytes({record[2]}), dpi->data);

    ASSERT_EQ(1, L.UsbServer_ReadReportRate());
    auto rate = collector().take(8, 0);
    ASSERT_TRUE(rate);
    EXPECT_EQ(Bytes({record[0]}), rate->data);

    ASSERT_EQ(1, L.UsbServer_ReadDPILed());
    auto dpiLed = collector().take(8, 0x4C);
    ASSERT_TRUE(dpiLed);
    ASSERT_EQ(8u, dpiLed->data.size());
    Bytes part(4, 0);
    ASSERT_EQ(1, L.BufferToDPILed(dpiLed->data.data(), part.data()));
    EXPECT_EQ(Bytes(record.begin() + 154, record.begin() + 158), part);

    ASSERT_EQ(1, L.UsbServer_ReadLedBar());
    auto bar = collector().take(8, 0xA0);
    ASSERT_TRUE(bar);
    ASSERT_EQ(9u, bar->data.size());
    part.assign(7, 0);
    ASSERT_EQ(1, L.BufferToLedBar(bar->data.data(), part.data()));
    EXPECT_EQ(Bytes(record.begin() + 158, record.begin() + 165), part);

    ASSERT_EQ(1, L.HidVirt_SetBattery("mouse0", 42, 1));
    ASSERT_EQ(1, L.UsbServer_ReadBatteryLevel());
    auto battery = collector().take(4);
    ASSERT_TRUE(battery);
    unsigned char level[HIDUSB_BATTERY_SIZE];
    ASSERT_EQ(1, L.GetDeviceBatteryStatus(battery->data.data(), level));
    EXPECT_EQ(42, level[0]);
    EXPECT_EQ(1, level[1]);

    ASSERT_EQ(1, L.UsbServer_ReadConfig());
    auto config = collector().take(14);
    ASSERT_TRUE(config);
    EXPECT_EQ(Bytes({0}), config->data);

    ASSERT_EQ(1, L.UsbServer_ReadVersion());
    auto version = collector().take(18);
    ASSERT_TRUE(version);
    EXPECT_EQ(Bytes({0x05, 0x01}), version->data);

    for (auto& r : {*dpi, *rate, *dpiLed, *bar, *battery, *config, *version})
        EXPECT_EQ(5u, r.header.size());
}

TEST_F(HidUsb, FirmwareEventsArriveAsStatusReports) {
    start();
    unsigned char flags[HIDUSB_STATUS_SIZE];
    const Bytes before = flash();

    ASSERT_EQ(1, L.HidVirt_PressDpiButton("mouse0"));
    auto s = collector().take(10);
    ASSERT_TRUE(s);
    ASSERT_EQ(1, L.GetDeviceStatusChanged(s->data.data(), flags));
    EXPECT_EQ(Bytes({1, 0, 0, 0, 0, 0, 0}), Bytes(flags, flags + 7));
    EXPECT_EQ((before[2] + 1) % before[1], flash()[2]) << "next DPI level";

    ASSERT_EQ(1, L.HidVirt_PressRateButton("mouse0"));
    s = collector().take(10);
    ASSERT_TRUE(s);
    L.GetDeviceStatusChanged(s->data.data(), flags);
    EXPECT_EQ(Bytes({0, 1, 0, 0, 0, 0, 0}), Bytes(flags, flags + 7));
    EXPECT_NE(before[0], flash()[0]);

    ASSERT_EQ(1, L.HidVirt_SetBattery("mouse0", 15, 0));
    s = collector().take(10);
    ASSERT_TRUE(s);
    L.GetDeviceStatusChanged(s->data.data(), flags);
    EXPECT_EQ(1, flags[6]);

    // Switched off and on again: a reconnection.
    ASSERT_EQ(1, L.HidVirt_SetLink("mouse0", HIDVIRT_LINK_OFF));
    ASSERT_EQ(1, L.HidVirt_SetLink("mouse0", HIDVIRT_LINK_RECEIVER));
    s = collector().take(10);
    ASSERT_TRUE(s);
    L.GetDeviceStatusChanged(s->data.data(), flags);
    EXPECT_EQ(1, flags[2]);

    // Key calibration: the main keys show in data bytes 8 and 9.
    unsigned char request[HIDUSB_ADJUST_SIZE] = {1};
    EXPECT_EQ(0, L.HidVirt_PressKey("mouse0", 0, 1)) << "not calibrating yet";
    ASSERT_EQ(1, L.UsbFinderC_StartAdjustMode(kReceiverPath, request, 1));
    collector().clear();
    ASSERT_EQ(1, L.HidVirt_PressKey("mouse0", 1, 1));
    s = collector().take(10);
    ASSERT_TRUE(s);
    ASSERT_GE(s->data.size(), 10u);
    EXPECT_EQ(0, s->data[8]);
    EXPECT_EQ(100, s->data[9]);
    ASSERT_EQ(1, L.HidVirt_PressKey("mouse0", 1, 0));
    s = collector().take(10);
    ASSERT_TRUE(s);
    EXPECT_EQ(0, s->data[9]);
    EXPECT_EQ(0, L.UsbFinderC_StartAdjustMode(kReceiverPath, nullptr, 1));
    EXPECT_EQ(0, L.HidVirt_PressKey("mouse0", 2, 1));
}

TEST_F(HidUsb, BatteryDrainsWirelessAndChargesOnTheCable) {
    start();
    ASSERT_EQ(1, L.HidVirt_SetBattery("mouse0", 30, 0));
    ASSERT_TRUE(collector().take(10));
    ASSERT_EQ(1, L.HidVirt_SetBatteryTiming(20, 0));
    auto drained = collector().take(10, -1, 2000);
    ASSERT_TRUE(drained) << "a step down is announced";
    unsigned char flags[HIDUSB_STATUS_SIZE];
    L.GetDeviceStatusChanged(drained->data.data(), flags);
    EXPECT_EQ(1, flags[6]);
    for (int i = 0; i < 300 && L.UsbFinderC_GetDeviceOnLine(kReceiverPath); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(0, L.UsbFinderC_GetDeviceOnLine(kReceiverPath)) << "an empty mouse stops answering";
    EXPECT_NE(std::string::npos, list().find("battery=0"));

    ASSERT_EQ(1, L.HidVirt_SetBatteryTiming(0, 20));
    ASSERT_EQ(1, L.HidVirt_SetLink("mouse0", HIDVIRT_LINK_CABLE));
    start(kCablePath);
    collector().clear();
    ASSERT_TRUE(collector().take(10, -1, 2000)) << "charging steps are announced too";
    ASSERT_EQ(1, L.UsbServer_ReadBatteryLevel());
    auto level = collector().take(4);
    ASSERT_TRUE(level);
    EXPECT_GT(level->data[0], 0);
    EXPECT_EQ(1, level->data[1]) << "charging";
    EXPECT_EQ(0, L.HidVirt_SetBatteryTiming(-2, 0));
    L.HidVirt_SetBatteryTiming(-1, -1);
}

TEST_F(HidUsb, ProtocolDataUpdateSendsOneReportPerChangedRun) {
    start();
    Bytes record = readRecord();
    ASSERT_EQ(1, L.SetDllProtocolData(record.data()));

    L.HidVirt_ResetCounters();
    ASSERT_EQ(1, L.ProtocolDataUpdate(record.data()));
    EXPECT_EQ(0u, counter(2)) << "nothing changed, nothing sent";

    record[0] = 2;
    ASSERT_EQ(1, L.ProtocolDataUpdate(record.data()));
    EXPECT_EQ(1u, counter(2));
    EXPECT_EQ(1u, counter(4)) << "a one-byte change fits one packet";
    EXPECT_EQ(record, flash());

    // Two separate runs, one of them in the macro area the full-data report does not carry.
    L.HidVirt_ResetCounters();
    record[100] ^= 0xFF;
    for (int i = 8000; i < 8200; ++i)
        record[static_cast<size_t>(i)] = static_cast<uint8_t>(i | 1);
    ASSERT_EQ(1, L.ProtocolDataUpdate(record.data()));
    EXPECT_EQ(2u, counter(2));
    EXPECT_EQ(record, flash());
    EXPECT_EQ(record, readRecord()) << "unnamed bytes round-trip";

    // The parsed record is the baseline: writing it back sends nothing.
    Bytes again = readRecord();
    L.HidVirt_ResetCounters();
    ASSERT_EQ(1, L.ProtocolDataUpdate(again.data()));
    EXPECT_EQ(0u, counter(2));

    // Without a started service, or with a null record, nothing is written.
    L.UsbServer_Exit();
    record[0] = 4;
    EXPECT_EQ(0, L.ProtocolDataUpdate(record.data()));
    EXPECT_NE(4, flash()[0]);
    EXPECT_EQ(0, L.ProtocolDataUpdate(nullptr));
    EXPECT_EQ(0, L.SetDllProtocolData(nullptr));
    EXPECT_EQ(0, L.ProtocolDataParser(nullptr, record.data()));
    EXPECT_EQ(0, L.ProtocolDataParser(record.data(), nullptr));
    EXPECT_EQ(0, L.BufferToDPILed(nullptr, record.data()));
    EXPECT_EQ(0, L.BufferToLedBar(record.data(), nullptr));
    EXPECT_EQ(0, L.GetDeviceBatteryStatus(nullptr, record.data()));
    EXPECT_EQ(0, L.GetDeviceStatusChanged(record.data(), nullptr));
}

TEST_F(HidUsb, UnplugDuringAWriteKeepsTheChangeForTheNextWrite) {
    start();
    Bytes record = readRecord();
    L.SetDllProtocolData(record.data());
    for (int i = 2000; i < 8000; ++i) // 6000 bytes: 100 packets, about 100 ms on the wire
        record[static_cast<size_t>(i)] = static_cast<uint8_t>(i * 3 + 1);
    L.HidVirt_SetPacketTime(1000);

    std::atomic<int> result{-1};
    L.HidVirt_ResetCounters();
    std::thread writer([&] { result = L.ProtocolDataUpdate(record.data()); });
    for (int i = 0; i < 2000 && counter(4) < 10; ++i) // about a tenth of the change has crossed
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    ASSERT_EQ(1, L.HidVirt_SetLink("mouse0", HIDVIRT_LINK_OFF));
    writer.join();
    EXPECT_EQ(0, result) << "a write cut off is a failure";
    Bytes partial = flash();
    EXPECT_NE(record, partial);
    EXPECT_EQ(record[2000], partial[2000]) << "what crossed the link before the cut is kept";

    // Back on: the same record goes out again in full, since the baseline did not move.
    L.HidVirt_SetPacketTime(0);
    ASSERT_EQ(1, L.HidVirt_SetLink("mouse0", HIDVIRT_LINK_RECEIVER));
    ASSERT_EQ(1, L.ProtocolDataUpdate(record.data()));
    EXPECT_EQ(record, flash());
}

TEST_F(HidUsb, FlashPersistsAcrossAFreshLoadOfTheLibrary) {
    start();
    Bytes record = readRecord();
    L.SetDllProtocolData(record.data());
    record[5] = 3;
    record[9000] = 0x5A;
    ASSERT_EQ(1, L.ProtocolDataUpdate(record.data()));
    ASSERT_EQ(1, L.UsbServer_SetCurrentConfig(2));
    ASSERT_TRUE(collector().take(14));
    L.UsbServer_Exit();

    // A copy of the file is a second, independent instance of the library, as in a new process.
    const std::string copy = runDir() + "/libHIDUsb-copy.so";
    std::filesystem::copy_file(HIDUSB_LIBRARY, copy, std::filesystem::copy_options::overwrite_existing);
    setenv("ZF_HIDUSB_SOCKET", "none", 1);
    {
        LibHidUsb second(copy);
        Bytes again(HIDUSB_RECORD_SIZE);
        ASSERT_EQ(1, second.HidVirt_ReadFlash("mouse0", 0, again.data()));
        EXPECT_EQ(record, again);
        char text[1024];
        second.HidVirt_List(text, sizeof text);
        EXPECT_NE(nullptr, std::strstr(text, "profile=2")) << text;
    }
    setenv("ZF_HIDUSB_SOCKET", (runDir() + "/control.sock").c_str(), 1);

    // A damaged state file gives the factory defaults, not a failure or garbage.
    const Bytes defaults = [&] {
        fresh("");
        return flash();
    }();
    start();
    Bytes changed = readRecord();
    L.SetDllProtocolData(changed.data());
    changed[5] = 3;
    ASSERT_EQ(1, L.ProtocolDataUpdate(changed.data()));
    L.UsbServer_Exit();
    const std::string state = runDir() + "/state/mouse0.state";
    ASSERT_TRUE(std::filesystem::exists(state));
    std::filesystem::resize_file(state, 1000);
    ASSERT_EQ(1, L.HidVirt_Reload());
    EXPECT_EQ(defaults, flash());
}

TEST_F(HidUsb, ProfilesResetAndOptions) {
    start();
    const Bytes defaults = flash();
    Bytes record = readRecord();
    L.SetDllProtocolData(record.data());
    record[7] = 9;
    ASSERT_EQ(1, L.ProtocolDataUpdate(record.data()));

    ASSERT_EQ(1, L.UsbServer_SetCurrentConfig(1));
    auto profile = collector().take(14);
    ASSERT_TRUE(profile);
    EXPECT_EQ(Bytes({1}), profile->data);
    EXPECT_EQ(defaults, readRecord()) << "profile 1 holds its own configuration";
    EXPECT_EQ(9, flash("mouse0", 0)[7]);
    EXPECT_EQ(0, L.UsbServer_SetCurrentConfig(-1));
    EXPECT_EQ(0, L.UsbServer_SetCurrentConfig(4));

    ASSERT_EQ(1, L.UsbServer_SetClearSetting());
    auto reset = collector().take(9);
    ASSERT_TRUE(reset);
    EXPECT_EQ(defaults, flash("mouse0", 0));
    ASSERT_EQ(1, L.UsbServer_ReadConfig());
    auto active = collector().take(14);
    ASSERT_TRUE(active);
    EXPECT_EQ(Bytes({0}), active->data);

    EXPECT_EQ(1, L.UsbServer_SetBatteryOptimizeEnable(0));

    unsigned char mode = 's';
    ASSERT_EQ(1, L.UsbFinderC_GetLongRangeMode(kReceiverPath, &mode));
    EXPECT_EQ(0, mode);
    ASSERT_EQ(1, L.UsbFinderC_SetLongRangeMode(kReceiverPath, 1));
    ASSERT_EQ(1, L.UsbFinderC_GetLongRangeMode(kReceiverPath, &mode));
    EXPECT_EQ(1, mode);
    EXPECT_EQ(0, L.UsbFinderC_SetLongRangeMode(kReceiverPath, 2));
    EXPECT_EQ(0, L.UsbFinderC_GetLongRangeMode(kReceiverPath, nullptr));
    EXPECT_EQ(0, L.UsbFinderC_SetLongRangeMode(nullptr, 1));
    // Onto the cable: the receiver reports that long-range mode ended.
    ASSERT_EQ(1, L.HidVirt_SetLink("mouse0", HIDVIRT_LINK_CABLE));
    auto longRange = collector().take(23);
    ASSERT_TRUE(longRange);
    EXPECT_EQ(10u, longRange->data.size());

    // Requests need a started service that reaches a mouse.
    L.UsbServer_Exit();
    EXPECT_EQ(0, L.UsbServer_ReadAllFlashData());
    EXPECT_EQ(0, L.UsbServer_ReadBatteryLevel());
    EXPECT_EQ(0, L.UsbServer_SetClearSetting());
    EXPECT_EQ(0, L.UsbServer_SetCurrentConfig(0));
    EXPECT_EQ(0, L.UsbServerC_Start(nullptr, nullptr, onReport));
    EXPECT_EQ(0, L.UsbServerC_Start("/dev/zf-virtual/none", nullptr, onReport));
    EXPECT_EQ(0, L.UsbServerC_Start(kCablePath, kCablePath, nullptr));
}

TEST_F(HidUsb, ReceiverLights) {
    unsigned char bar[HIDUSB_DONGLE_BAR_SIZE] = {2, 10, 20, 30, 1, 4, 1},
                  barBack[HIDUSB_DONGLE_BAR_SIZE] = {};
    ASSERT_EQ(1, L.UsbFinderC_SetDongleRGBBarMode(kReceiverPath, bar));
    ASSERT_EQ(1, L.UsbFinderC_GetDongleRGBBarMode(kReceiverPath, barBack));
    EXPECT_EQ(Bytes(bar, bar + 7), Bytes(barBack, barBack + 7));

    unsigned char leds[HIDUSB_DONGLE_LED_SIZE] = {0, 2, 1}, ledsBack[HIDUSB_DONGLE_LED_SIZE] = {};
    ASSERT_EQ(1, L.UsbFinderC_SetDongleIndicatorLed(kReceiverPath, leds));
    ASSERT_EQ(1, L.UsbFinderC_GetDongleIndicatorLed(kReceiverPath, ledsBack));
    EXPECT_EQ(Bytes(leds, leds + 3), Bytes(ledsBack, ledsBack + 3));

    start();
    unsigned char rgb[HIDUSB_DONGLE_RGB_SIZE] = {3, 1, 2, 3, 4, 5, 6, 7},
                  rgbBack[HIDUSB_DONGLE_RGB_SIZE] = {};
    ASSERT_EQ(1, L.UsbFinderC_Set4KDongleRGB(kReceiverPath, rgb));
    auto report = collector().take(21);
    ASSERT_TRUE(report);
    EXPECT_EQ(Bytes(rgb, rgb + 8), report->data);
    ASSERT_EQ(1, L.UsbFinderC_Get4KDongleRGBValue(kReceiverPath, rgbBack));
    EXPECT_EQ(Bytes(rgb, rgb + 8), Bytes(rgbBack, rgbBack + 8));

    // Receiver functions want a receiver path and a buffer.
    L.HidVirt_SetLink("mouse0", HIDVIRT_LINK_CABLE);
    EXPECT_EQ(0, L.UsbFinderC_GetDongleRGBBarMode(kCablePath, barBack));
    EXPECT_EQ(0, L.UsbFinderC_SetDongleRGBBarMode(kReceiverPath, nullptr));
    EXPECT_EQ(0, L.UsbFinderC_GetDongleIndicatorLed(nullptr, ledsBack));
    EXPECT_EQ(0, L.UsbFinderC_SetDongleIndicatorLed("/dev/zf-virtual/x", leds));
    EXPECT_EQ(0, L.UsbFinderC_Get4KDongleRGBValue(kReceiverPath, nullptr));
    EXPECT_EQ(0, L.UsbFinderC_Set4KDongleRGB(kCablePath, rgb));
}

TEST_F(HidUsb, PairingSucceedsOrFails) {
    fresh("mouse mouse0 receiver=receiver0\nmouse spare cid=07 link=off\n"
          "receiver receiver0 address=A1B2C3\nreceiver receiver1 address=010203\n");
    const char* second = "/dev/zf-virtual/receiver1";
    ASSERT_EQ(0, L.UsbFinderC_GetDeviceOnLine(second));
    ASSERT_EQ(1, L.HidVirt_SetLink("mouse0", HIDVIRT_LINK_OFF));
    start(second);

    ASSERT_EQ(1, L.HidVirt_FailNextPairing());
    ASSERT_EQ(1, L.UsbServer_EnterDonglePairOnlyCid(kCid));
    auto listening = collector().take(6);
    auto failed = collector().take(6);
    ASSERT_TRUE(listening && failed);
    EXPECT_EQ(Bytes({1}), listening->data);
    EXPECT_EQ(Bytes({2}), failed->data);
    ASSERT_EQ(1, L.UsbServer_ReadDonglePairStatus());
    auto status = collector().take(6);
    ASSERT_TRUE(status);
    EXPECT_EQ(Bytes({2}), status->data);
    EXPECT_EQ(0, L.UsbFinderC_GetDeviceOnLine(second));

    // No switched-on mouse of that model: failure as well.
    ASSERT_EQ(1, L.UsbServer_EnterDonglePairOnlyCid(0x33));
    collector().take(6);
    failed = collector().take(6);
    ASSERT_TRUE(failed);
    EXPECT_EQ(Bytes({2}), failed->data);

    ASSERT_EQ(1, L.UsbServer_EnterDonglePairOnlyCid(kCid));
    collector().take(6);
    auto paired = collector().take(6);
    ASSERT_TRUE(paired);
    EXPECT_EQ(Bytes({3}), paired->data);
    EXPECT_EQ(1, L.UsbFinderC_GetDeviceOnLine(second));
    EXPECT_EQ(0, L.UsbFinderC_GetDeviceOnLine(kReceiverPath)) << "the old receiver lost its mouse";
    unsigned char slave[HIDUSB_SLAVE_VERSION_SIZE];
    ASSERT_EQ(1, L.UsbFinderC_GetSlaveVersion(second, slave));
    EXPECT_EQ(Bytes({1, 0x01, 0x05}), Bytes(slave, slave + 3));

    EXPECT_EQ(0, L.UsbServer_EnterDonglePairOnlyCid(256));
    EXPECT_EQ(0, L.UsbServer_EnterDonglePairOnlyCid(-1));
    EXPECT_EQ(0, L.UsbFinderC_GetSlaveVersion(second, nullptr));
    EXPECT_EQ(0, L.UsbFinderC_GetSlaveVersion(kReceiverPath, slave));

    // Pairing is the receiver's business: a service on the mouse's cable cannot pair.
    ASSERT_EQ(1, L.HidVirt_SetLink("mouse0", HIDVIRT_LINK_CABLE));
    start(kCablePath);
    EXPECT_EQ(0, L.UsbServer_EnterDonglePairOnlyCid(kCid));
    EXPECT_EQ(0, L.UsbServer_ReadDonglePairStatus());

    // Cable re-pairing: writing receiver0's id into the mouse moves it back there.
    const unsigned char id[HIDUSB_DONGLE_ID_SIZE] = {0xA1, 0xB2, 0xC3, 0, 0};
    const unsigned char unknown[HIDUSB_DONGLE_ID_SIZE] = {9, 9, 9, 0, 0};
    EXPECT_EQ(0, L.UsbFinderC_SetDongleIDToMouse(kCablePath, unknown));
    EXPECT_EQ(0, L.UsbFinderC_SetDongleIDToMouse(kCablePath, nullptr));
    EXPECT_EQ(0, L.UsbFinderC_SetDongleIDToMouse(second, id));
    ASSERT_EQ(1, L.UsbFinderC_SetDongleIDToMouse(kCablePath, id));
    ASSERT_EQ(1, L.HidVirt_SetLink("mouse0", HIDVIRT_LINK_RECEIVER));
    EXPECT_EQ(1, L.UsbFinderC_GetDeviceOnLine(kReceiverPath));
    EXPECT_EQ(0, L.UsbFinderC_GetDeviceOnLine(second));
}

struct Progress {
    std::mutex m;
    std::condition_variable cv;
    std::vector<Bytes> steps;
    bool ended = false;
};
Progress* gProgress = nullptr;

void onProgress(const unsigned char* status, int length) {
    std::lock_guard<std::mutex> lock(gProgress->m);
    gProgress->steps.emplace_back(status, status + length);
    if (length >= 2 && status[1] == 2)
        gProgress->ended = true;
    gProgress->cv.notify_all();
}

class Upgrade : public HidUsb {
protected:
    Progress progress;
    void SetUp() override {
        HidUsb::SetUp();
        gProgress = &progress;
    }
    // Waits for the end status; returns it and leaves the percent steps in `percents`.
    int waitEnd(std::vector<int>& percents) {
        std::unique_lock<std::mutex> lock(progress.m);
        if (!progress.cv.wait_for(lock, std::chrono::seconds(10), [&] { return progress.ended; }))
            return -1;
        int end = -1;
        for (auto& s : progress.steps) {
            EXPECT_EQ(3u, s.size());
            EXPECT_EQ(7, s[0]);
            if (s[1] == 1)
                percents.push_back(s[2]);
            else if (s[1] == 2)
                end = s[2];
        }
        return end;
    }
};

TEST_F(Upgrade, MouseImageFlashesOverTheCableWithProgress) {
    Bytes image = firmwareImage(16384, 0xD3, kCid, kMid, 0x0210);
    int count = -1;
    ASSERT_EQ(1, L.UsbUpgradeC_FindBootDevices(image.data(), static_cast<int>(image.size()), &count));
    EXPECT_EQ(0, count) << "a wireless mouse is not in reach of the boot loader";
    EXPECT_EQ(0, L.UsbUpgrade_Start(image.data(), static_cast<int>(image.size()), onProgress, 10000));

    ASSERT_EQ(1, L.HidVirt_SetLink("mouse0", HIDVIRT_LINK_CABLE));
    ASSERT_EQ(1, L.UsbUpgradeC_FindBootDevices(image.data(), static_cast<int>(image.size()), &count));
    EXPECT_EQ(1, count);
    L.HidVirt_ResetCounters();
    ASSERT_EQ(1, L.UsbUpgrade_Start(image.data(), static_cast<int>(image.size()), onProgress, 10000));
    std::vector<int> percents;
    EXPECT_EQ(1, waitEnd(percents));
    ASSERT_FALSE(percents.empty());
    EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
    EXPECT_EQ(100, percents.back());
    EXPECT_EQ(0x0210, L.HidVirt_MouseVersion("mouse0"));
    EXPECT_EQ(image.size(), counter(3)) << "every image byte crossed the link once";

    ASSERT_EQ(1, L.HidVirt_Reload());
    EXPECT_EQ(0x0210, L.HidVirt_MouseVersion("mouse0")) << "the new firmware stays";
}

TEST_F(Upgrade, FailureMidWayKeepsTheOldFirmware) {
    ASSERT_EQ(1, L.HidVirt_SetLink("mouse0", HIDVIRT_LINK_CABLE));
    Bytes image = firmwareImage(16384, 0xD3, kCid, kMid, 0x0300);
    ASSERT_EQ(1, L.HidVirt_FailNextUpgrade(50));
    ASSERT_EQ(1, L.UsbUpgrade_Start(image.data(), static_cast<int>(image.size()), onProgress, 10000));
    std::vector<int> percents;
    EXPECT_NE(1, waitEnd(percents));
    ASSERT_FALSE(percents.empty());
    EXPECT_LT(percents.back(), 50);
    EXPECT_EQ(0x0105, L.HidVirt_MouseVersion("mouse0"));
    EXPECT_EQ(0, L.HidVirt_FailNextUpgrade(101));
}

TEST_F(Upgrade, CablePulledDuringTheFlashFails) {
    ASSERT_EQ(1, L.HidVirt_SetLink("mouse0", HIDVIRT_LINK_CABLE));
    L.HidVirt_SetPacketTime(500);
    Bytes image = firmwareImage(65536, 0xD3, kCid, kMid, 0x0300);
    ASSERT_EQ(1, L.UsbUpgrade_Start(image.data(), static_cast<int>(image.size()), onProgress, 10000));
    EXPECT_EQ(0, L.UsbUpgrade_Start(image.data(), static_cast<int>(image.size()), onProgress, 10000))
        << "one flash at a time";
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_EQ(1, L.HidVirt_Plug("mouse0", 0));
    std::vector<int> percents;
    EXPECT_EQ(0, waitEnd(percents));
    EXPECT_EQ(0x0105, L.HidVirt_MouseVersion("mouse0"));
}

TEST_F(Upgrade, ReceiverImageGoesToTheReceiver) {
    Bytes image = firmwareImage(4096, 0xD2, kCid, kMid, 0x0200);
    int count = 0;
    ASSERT_EQ(1, L.UsbUpgradeC_FindBootDevices(image.data(), static_cast<int>(image.size()), &count));
    EXPECT_EQ(1, count);
    ASSERT_EQ(1, L.UsbUpgrade_Start(image.data(), static_cast<int>(image.size()), onProgress, 10000));
    std::vector<int> percents;
    EXPECT_EQ(1, waitEnd(percents));
    unsigned char attribute[HIDUSB_ATTRIBUTE_SIZE];
    ASSERT_EQ(1, L.UsbFinderC_GetUsbDeviceAttribute(kReceiverPath, attribute));
    EXPECT_EQ(0x0200, attribute[8] | attribute[9] << 8);
}

TEST_F(Upgrade, ForeignOrTruncatedImagesAreRefused) {
    ASSERT_EQ(1, L.HidVirt_SetLink("mouse0", HIDVIRT_LINK_CABLE));
    Bytes good = firmwareImage(8192, 0xD3, kCid, kMid, 0x0300);
    const int n = static_cast<int>(good.size());
    int count = 7;
    EXPECT_EQ(0, L.UsbUpgradeC_FindBootDevices(good.data(), n - 1, &count)) << "cut off by one byte";
    EXPECT_EQ(0, count);
    EXPECT_EQ(0, L.UsbUpgrade_Start(good.data(), n - 100, onProgress, 10000));
    EXPECT_EQ(0, L.UsbUpgradeC_FindBootDevices(good.data(), 855, &count)) << "shorter than its header";
    EXPECT_EQ(0, L.UsbUpgradeC_FindBootDevices(nullptr, n, &count));
    EXPECT_EQ(0, L.UsbUpgradeC_FindBootDevices(good.data(), n, nullptr));
    EXPECT_EQ(0, L.UsbUpgrade_Start(good.data(), n, nullptr, 10000));
    EXPECT_EQ(0, L.UsbUpgrade_Start(good.data(), n, onProgress, 0));
    EXPECT_EQ(0, L.UsbUpgrade_Start(good.data(), -5, onProgress, 10000));

    Bytes otherModel = firmwareImage(8192, 0xD3, kCid, 0x20, 0x0300);
    ASSERT_EQ(1, L.UsbUpgradeC_FindBootDevices(otherModel.data(), n, &count));
    EXPECT_EQ(0, count);
    EXPECT_EQ(0, L.UsbUpgrade_Start(otherModel.data(), n, onProgress, 10000));
    Bytes badType = firmwareImage(8192, 0x11, kCid, kMid, 0x0300);
    EXPECT_EQ(0, L.UsbUpgradeC_FindBootDevices(badType.data(), n, &count));
    EXPECT_EQ(0x0105, L.HidVirt_MouseVersion("mouse0"));
    EXPECT_TRUE(progress.steps.empty()) << "a refused image starts nothing";
}

TEST_F(HidUsb, RawAccess) {
    ASSERT_EQ(1, L.HidVirt_SetLink("mouse0", HIDVIRT_LINK_CABLE));
    EXPECT_EQ(0, L.UsbFinderC_OpenDevice("/dev/zf-virtual/none"));
    EXPECT_EQ(0, L.UsbFinderC_OpenDevice(nullptr));
    ASSERT_EQ(1, L.UsbFinderC_OpenDevice(kCablePath));
    const Bytes f = flash();
    unsigned char request[64] = {0x01, 58, 0, 12}, reply[64];
    ASSERT_EQ(1, L.UsbFinderC_ReadWriteDeviceData(request, reply, 64));
    EXPECT_EQ(1, reply[0]);
    EXPECT_EQ(Bytes(f.begin() + 58, f.begin() + 70), Bytes(reply + 4, reply + 16));
    unsigned char version[8] = {0x02};
    ASSERT_EQ(1, L.UsbFinderC_ReadWriteDeviceData(version, reply, 8));
    EXPECT_EQ(0x0105, reply[1] | reply[2] << 8);

    unsigned char tooMany[8] = {0x01, 0, 0, 5}; // five bytes asked in an 8-byte exchange
    EXPECT_EQ(0, L.UsbFinderC_ReadWriteDeviceData(tooMany, reply, 8));
    unsigned char pastEnd[64] = {0x01, 0x2F, 0x29, 10}; // offset 10543
    EXPECT_EQ(0, L.UsbFinderC_ReadWriteDeviceData(pastEnd, reply, 64));
    unsigned char unknown[8] = {0x7F};
    EXPECT_EQ(0, L.UsbFinderC_ReadWriteDeviceData(unknown, reply, 8));
    EXPECT_EQ(0, L.UsbFinderC_ReadWriteDeviceData(request, reply, 3));
    EXPECT_EQ(0, L.UsbFinderC_ReadWriteDeviceData(request, reply, 65));
    EXPECT_EQ(0, L.UsbFinderC_ReadWriteDeviceData(nullptr, reply, 8));
    EXPECT_EQ(0, L.UsbFinderC_ReadWriteDeviceData(request, nullptr, 8));
}

std::atomic<int> gChanges{0};
void onChange() {
    ++gChanges;
}

TEST_F(HidUsb, UsbChangesAreNotifiedUntilStopped) {
    EXPECT_EQ(0, L.StartUsbChanged(nullptr, 600));
    EXPECT_EQ(0, L.StartUsbChanged(onChange, 0));
    gChanges = 0;
    ASSERT_EQ(1, L.StartUsbChanged(onChange, 10));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(0, gChanges) << "no change, no call";
    ASSERT_EQ(1, L.HidVirt_Plug("receiver0", 0));
    for (int i = 0; i < 200 && gChanges == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(1, gChanges);
    int count = 5;
    EXPECT_EQ(nullptr, L.UsbFinderC_FindHidDevicesByDefaultDeviceId("373B", "1002", &count));
    L.StopUsbChanged();
    const int seen = gChanges;
    L.HidVirt_Plug("receiver0", 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(seen, gChanges);
}

TEST_F(HidUsb, DescriptionFileErrorsFallBackToTheDefaultPair) {
    const std::string file = runDir() + "/bad.txt";
    for (const char* text : {"mouse\n", "mouse a battery=200\n", "keyboard k\n", "mouse a\nmouse a\n",
                             "mouse a cid=XYZ\n", "mouse a/b\n", "receiver r plugged=1 colour=red\n"}) {
        writeFile(file, text);
        setenv("ZF_HIDUSB_DEVICES", file.c_str(), 1);
        EXPECT_EQ(0, L.HidVirt_Reload()) << text;
        EXPECT_EQ(0, list().find("mouse mouse0 link=receiver receiver=receiver0")) << text << list();
    }
    setenv("ZF_HIDUSB_DEVICES", (runDir() + "/missing.txt").c_str(), 1);
    EXPECT_EQ(0, L.HidVirt_Reload());
    EXPECT_EQ(1, L.UsbFinderC_GetDeviceOnLine(kReceiverPath));

    writeFile(file,
              "# two mice\nmouse m1 pid=2001 version=0207 battery=5 link=cable\n\nreceiver r1 pid=2002\n");
    setenv("ZF_HIDUSB_DEVICES", file.c_str(), 1);
    ASSERT_EQ(1, L.HidVirt_Reload());
    EXPECT_EQ(0x0207, L.HidVirt_MouseVersion("m1"));
    int count = 5;
    EXPECT_NE(nullptr, L.UsbFinderC_FindHidDevicesByDefaultDeviceId("373B", "2001", &count));
    EXPECT_NE(std::string::npos, list().find("battery=5 charging=1 profile=0 version=0207")) << list();
}

TEST_F(HidUsb, ControlFunctionsRefuseBadArguments) {
    unsigned char f[HIDUSB_RECORD_SIZE];
    EXPECT_EQ(0, L.HidVirt_Plug(nullptr, 1));
    EXPECT_EQ(0, L.HidVirt_Plug("nobody", 1));
    EXPECT_EQ(0, L.HidVirt_SetLink("mouse0", 3));
    EXPECT_EQ(0, L.HidVirt_SetLink("receiver0", HIDVIRT_LINK_CABLE));
    EXPECT_EQ(0, L.HidVirt_PressDpiButton(nullptr));
    EXPECT_EQ(0, L.HidVirt_PressRateButton("receiver0"));
    EXPECT_EQ(0, L.HidVirt_SetBattery("mouse0", 101, 0));
    EXPECT_EQ(0, L.HidVirt_SetBattery("mouse0", -1, 0));
    EXPECT_EQ(0, L.HidVirt_ReadFlash("mouse0", 4, f));
    EXPECT_EQ(0, L.HidVirt_ReadFlash("mouse0", 0, nullptr));
    EXPECT_EQ(0, L.HidVirt_ReadFlash("nobody", 0, f));
    EXPECT_EQ(0, L.HidVirt_MouseVersion(nullptr));
    EXPECT_EQ(0, L.HidVirt_GetCounters(nullptr));
    EXPECT_EQ(0, L.HidVirt_SetPacketTime(-2));
    // A short list buffer gets a terminated prefix and the length the whole text needs.
    char small[8];
    int need = L.HidVirt_List(small, sizeof small);
    EXPECT_GT(need, 7);
    EXPECT_EQ(7u, std::strlen(small));
    EXPECT_EQ(need, L.HidVirt_List(nullptr, 0));
}

TEST_F(HidUsb, CallbacksMayCallInAndNothingArrivesAfterExit) {
    // The report handler asks for more from inside the callback, as the program's handler does.
    static LibHidUsb* self = &L;
    static std::atomic<int> calls{0};
    calls = 0;
    auto chained = [](const unsigned char* h, int hl, const unsigned char* d, int dl) {
        ++calls;
        if (hl > 1 && h[1] == 8 && dl == HIDUSB_FULL_DATA_SIZE) {
            unsigned char online[HIDUSB_ONLINE_ADDRESS_SIZE];
            self->UsbFinderC_GetDeviceOnLineWithUsbAddress(kReceiverPath, online);
            self->UsbServer_ReadBatteryLevel();
        }
        onReport(h, hl, d, dl);
    };
    ASSERT_EQ(1, L.UsbServerC_Start(kReceiverPath, kReceiverPath, chained));
    ASSERT_EQ(1, L.UsbServer_ReadAllFlashData());
    EXPECT_TRUE(collector().take(4)) << "battery asked from inside the full-data callback";

    L.HidVirt_SetPacketTime(2000);
    for (int i = 0; i < 20; ++i)
        L.HidVirt_PressDpiButton("mouse0");
    L.UsbServer_Exit();
    const int atExit = calls;
    std::this_thread::sleep_for(std::chrono::milliseconds(80));
    EXPECT_EQ(atExit, calls) << "queued reports are dropped by Exit";
    EXPECT_LT(atExit, 22);
}

} // namespace

int main(int argc, char** argv) {
    prepareEnvironment();
    ::testing::InitGoogleTest(&argc, argv);
    lib();
    return RUN_ALL_TESTS();
}
