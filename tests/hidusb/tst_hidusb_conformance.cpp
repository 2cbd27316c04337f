// Conformance of the built libHIDUsb.so: loaded with dlopen, used only through its C interface.
#include "Support.h"

#include <atomic>
#include <set>
#include <sstream>

using namespace zftest;

namespace {

using HidUsb = HidTest;
using Lib = LibHidUsb;

// Finders match ids without regard to case or a 0x prefix and fill no more than the caller's capacity; a
// device's answers name its model, its connection kind and the receiver behind a wireless mouse.
TEST_F(HidUsb, FindersAndDeviceAnswers) {
    EXPECT_EQ(nullptr, dlsym(L.handle, "_ZN2zf8registryEv")) << "library internals stay hidden";
    int count = 5;
    char** paths = L.UsbFinderC_FindHidDevicesByDeviceId("0x373b", "1002", 1, 5, &count);
    ASSERT_EQ(1, count);
    EXPECT_STREQ(kReceiverPath, paths[0]);
    EXPECT_EQ(nullptr, paths[1]);
    count = 5;
    EXPECT_EQ(nullptr, L.UsbFinderC_FindHidDevicesByDefaultDeviceId("373B", "1001", &count))
        << "not on cable";
    unsigned char info[HIDUSB_DEVICE_INFO_SIZE], attribute[HIDUSB_ATTRIBUTE_SIZE];
    unsigned char online[HIDUSB_ONLINE_ADDRESS_SIZE];
    ASSERT_EQ(1, L.UsbFinderC_GetDeviceInfo(info, kReceiverPath, 0));
    EXPECT_EQ(Bytes({kCid, kMid}), Bytes(info, info + 2));
    EXPECT_EQ(0, info[2] & 0xFA) << "behind a receiver";
    ASSERT_EQ(1, L.UsbFinderC_GetUsbDeviceAttribute(kReceiverPath, attribute));
    EXPECT_EQ(0x0102, attribute[8] | attribute[9] << 8);
    EXPECT_EQ(0x0105, L.UsbFinderC_GetVersion(kReceiverPath));
    ASSERT_EQ(1, L.UsbFinderC_GetDeviceOnLineWithUsbAddress(kReceiverPath, online));
    EXPECT_EQ(Bytes({1, 0xA1, 0xB2, 0xC3}), Bytes(online + 6, online + 10));

    // In long-range mode and then onto the cable: the receiver reports that long-range mode ended, and the
    // mouse answers wired under its own path; the receiver stays but its mouse no longer answers.
    start();
    ASSERT_EQ(1, L.UsbFinderC_SetLongRangeMode(kReceiverPath, 1));
    ASSERT_EQ(1, L.HidVirt_SetLink("mouse0", HIDVIRT_LINK_CABLE));
    EXPECT_EQ(10u, dataOf(23).size());
    ASSERT_EQ(1, L.UsbFinderC_GetDeviceInfo(info, kCablePath, 0));
    EXPECT_NE(0, info[2] & 0xFA) << "wired";
    EXPECT_EQ(1, L.UsbFinderC_GetDeviceOnLine(kCablePath));
    EXPECT_EQ(0, L.UsbFinderC_GetDeviceOnLineWithUsbAddress(kReceiverPath, online));
    EXPECT_EQ(0, online[6]);
    EXPECT_EQ(0, L.UsbFinderC_GetVersion(kReceiverPath));

    fresh("mouse a link=cable\nmouse b link=cable\nmouse c link=cable\n");
    // capacity on entry, maxCount (0: the default finder), number found
    for (auto [capacity, max, found] :
         {std::array{5, 0, 3}, {5, 2, 2}, {1, 0, 1}, {0, 0, 0}, {-1, 5, 0}, {65, 0, 0}}) {
        count = capacity;
        paths = max ? L.UsbFinderC_FindHidDevicesByDeviceId("373B", "1001", 1, max, &count)
                    : L.UsbFinderC_FindHidDevicesByDefaultDeviceId("373B", "1001", &count);
        EXPECT_EQ(found, count) << capacity << " " << max;
        EXPECT_EQ(found == 0, paths == nullptr);
    }
}

// A receiver's class comes from class= in the description, else from the device table's list holding its
// PID, and is reported as the connection kind; the rate button goes as far as the link carries. The shipped
// devices, with the shipped table beside the library, answer behind a receiver of every class. A description
// with an error gives the default pair.
TEST_F(HidUsb, DescriptionAndDeviceTableDecideTheDevicesAndClasses) {
    std::filesystem::create_directories(runDir() + "/app/usersetting");
    writeFile(runDir() + "/app/usersetting/Config.ini",
              "\xEF\xBB\xBF[Option]\nWireless2_PID=2002\nWireless4_PID="
              "\"0x3002\"\nWireless8_PID=4008, 3008\r\n[Drive1]\nWireless8_PID=1002\n");
    setenv("ZF_APP_DIR", (runDir() + "/app").c_str(), 1);
    fresh("# one receiver of each class\nreceiver r1 pid=1002\nreceiver r2 pid=2002\nreceiver r4 pid=3002\n"
          "receiver r8 pid=3008\nreceiver forced pid=1002 class=8\n\nmouse m1 receiver=r1\nmouse m2 "
          "receiver=r2\n"
          "mouse m8 receiver=r8\nmouse wired pid=2001 version=0207 battery=5 link=cable\n");
    unsetenv("ZF_APP_DIR");
    EXPECT_EQ(0x0207, L.HidVirt_MouseVersion("wired"));
    int count = 5;
    EXPECT_NE(nullptr, L.UsbFinderC_FindHidDevicesByDefaultDeviceId("373B", "2001", &count));
    EXPECT_NE(std::string::npos, list().find("battery=5 charging=1 profile=0 version=0207")) << list();
    for (auto [name, kind] : {std::pair{"r1", 0}, {"r2", 4}, {"r4", 1}, {"r8", 5}, {"forced", 5}}) {
        unsigned char info[HIDUSB_DEVICE_INFO_SIZE];
        ASSERT_EQ(1, L.UsbFinderC_GetDeviceInfo(info, ("/dev/zf-virtual/" + std::string(name)).c_str(), 0));
        EXPECT_EQ(kind, info[2]) << name;
    }
    // Rate codes after each press, starting from 1000 Hz.
    for (auto [mouse, rates] : {std::pair{"m1", Bytes{8, 4, 2, 1}},
                                {"m2", Bytes{16, 8, 4, 2}},
                                {"m8", Bytes{16, 32, 64, 8}},
                                {"wired", Bytes{8, 4, 2, 1}}}) {
        Bytes seen;
        while (seen.size() < rates.size() && L.HidVirt_PressRateButton(mouse))
            seen.push_back(flash(mouse)[0]);
        EXPECT_EQ(rates, seen) << mouse;
    }

    fresh(readFile(std::filesystem::path(HIDUSB_LIBRARY).parent_path() / "virtual/devices.txt"));
    std::istringstream lines(list());
    std::set<int> answering;
    for (std::string kind, name, rest; lines >> kind >> name && std::getline(lines, rest);)
        if (kind == "receiver" && L.UsbFinderC_GetDeviceOnLine(("/dev/zf-virtual/" + name).c_str()))
            answering.insert(std::stoi(rest.substr(rest.find(" class=") + 7)));
    EXPECT_EQ((std::set<int>{1, 2, 4, 8}), answering) << list();

    const std::string file = runDir() + "/bad.txt";
    setenv("ZF_HIDUSB_DEVICES", file.c_str(), 1);
    for (const char* text :
         {"mouse\n", "mouse a battery=200\n", "keyboard k\n", "mouse a\nmouse a\n", "mouse a cid=XYZ\n",
          "mouse a/b\n", "receiver r plugged=1 colour=red\n", "receiver r class=3\n"}) {
        writeFile(file, text);
        EXPECT_EQ(0, L.HidVirt_Reload()) << text;
        EXPECT_EQ(0, list().find("mouse mouse0 link=receiver receiver=receiver0")) << text << list();
    }
    std::filesystem::remove(file);
    EXPECT_EQ(0, L.HidVirt_Reload()) << "missing file";
    EXPECT_EQ(1, L.UsbFinderC_GetDeviceOnLine(kReceiverPath));
}

// Each read answers with its report once a service runs, and each decoder refuses a null buffer.
TEST_F(HidUsb, ReadsAnswerWithTheirReportShapes) {
    const Bytes f = flash();
    ASSERT_EQ(1, L.HidVirt_SetBattery("mouse0", 42, 1));
    struct Shape {
        int (*Lib::*read)();
        int type, sub;
        size_t size;
        // null: the data is the answer itself
        int (*Lib::*decode)(const unsigned char*, unsigned char*);
        Bytes expected;
    };
    const Shape shapes[] = {
        {&Lib::UsbServer_ReadAllFlashData, 8, 0, HIDUSB_FULL_DATA_SIZE, &Lib::ProtocolDataParser, f},
        {&Lib::UsbServer_ReadCurrentDPI, 8, 4, 1, nullptr, {f[2]}},
        {&Lib::UsbServer_ReadReportRate, 8, 0, 1, nullptr, {f[0]}},
        {&Lib::UsbServer_ReadDPILed, 8, 0x4C, 8, &Lib::BufferToDPILed, Bytes(&f[154], &f[158])},
        {&Lib::UsbServer_ReadLedBar, 8, 0xA0, 9, &Lib::BufferToLedBar, Bytes(&f[158], &f[165])},
        {&Lib::UsbServer_ReadBatteryLevel, 4, -1, 2, &Lib::GetDeviceBatteryStatus, {42, 1}},
        {&Lib::UsbServer_ReadConfig, 14, -1, 1, nullptr, {0}},
        {&Lib::UsbServer_ReadVersion, 18, -1, 2, nullptr, {0x05, 0x01}},
    };
    for (const Shape& s : shapes)
        EXPECT_EQ(0, (L.*s.read)()) << "no started service: " << s.type;
    start();
    L.UsbServer_SetPCDriverStatus(1);
    collector().clear();
    for (const Shape& s : shapes) {
        SCOPED_TRACE(s.type * 1000 + s.sub);
        ASSERT_EQ(1, (L.*s.read)());
        auto r = collector().take(s.type, s.sub);
        ASSERT_TRUE(r);
        EXPECT_EQ(5u, r->header.size());
        ASSERT_EQ(s.size, r->data.size());
        Bytes out = r->data;
        if (s.decode) {
            out.assign(s.expected.size(), 0xEE);
            EXPECT_EQ(0, (L.*s.decode)(nullptr, out.data()));
            EXPECT_EQ(0, (L.*s.decode)(r->data.data(), nullptr));
            ASSERT_EQ(1, (L.*s.decode)(r->data.data(), out.data()));
        }
        EXPECT_EQ(s.expected, out);
    }
}

// Voluntary context switches of every thread but the caller's: how often the library's threads wake.
[[maybe_unused]] long long libraryWakeups() {
    long long sum = 0;
    const std::string self = std::to_string(gettid());
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        if (task.path().filename() == self)
            continue;
        std::ifstream status(task.path() / "status");
        for (std::string line; std::getline(status, line);)
            if (line.rfind("voluntary_ctxt_switches:", 0) == 0)
                sum += std::stoll(line.substr(line.find(':') + 1));
    }
    return sum;
}

TEST_F(HidUsb, AnIdleLibrarySleepsUntilTheBatteryMoves) {
    // A minute per percent: the battery clock has nothing to do for the second measured.
    // The USB-change watcher, even with a 1 ms period, sleeps until something is plugged or pulled.
    ASSERT_EQ(1, L.HidVirt_SetBatteryTiming(60000, 60000));
    static std::atomic<int> changes{0};
    ASSERT_EQ(1, L.StartUsbChanged([] { ++changes; }, 1));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
#ifndef __SANITIZE_THREAD__ // ThreadSanitizer's own thread wakes ten times a second
    const long long before = libraryWakeups();
    std::this_thread::sleep_for(std::chrono::seconds(1));
    EXPECT_LE(libraryWakeups() - before, 3);
#endif
    ASSERT_EQ(1, L.HidVirt_Plug("receiver0", 0));
    EXPECT_TRUE(waitFor([] { return changes > 0; })) << "a pull still wakes it";
    L.StopUsbChanged();
    ASSERT_EQ(1, L.HidVirt_Plug("receiver0", 1));

    // Woken by the new rate, the battery drains while wireless and charges on the cable, each step announced.
    start();
    ASSERT_EQ(1, L.HidVirt_SetBattery("mouse0", 30, 0));
    ASSERT_FALSE(nextStatus().empty());
    ASSERT_EQ(1, L.HidVirt_SetBatteryTiming(20, 0));
    EXPECT_EQ(1, nextStatus(2000).at(6)) << "a step down is announced";
    EXPECT_TRUE(waitFor([&] { return !L.UsbFinderC_GetDeviceOnLine(kReceiverPath); }))
        << "an empty mouse stops answering";

    ASSERT_EQ(1, L.HidVirt_SetBatteryTiming(0, 20));
    ASSERT_EQ(1, L.HidVirt_SetLink("mouse0", HIDVIRT_LINK_CABLE));
    start(kCablePath);
    collector().clear();
    EXPECT_FALSE(nextStatus(2000).empty()) << "charging steps are announced too";
    ASSERT_EQ(1, L.UsbServer_ReadBatteryLevel());
    const Bytes level = dataOf(4);
    EXPECT_TRUE(level.size() == 2 && level[0] > 0 && level[1] == 1) << "charging";
    L.HidVirt_SetBatteryTiming(-1, -1);
}

// One write report per changed run against the baseline (the parsed record, or one the program sets); a
// write cut off by an unplug fails, keeps what crossed, and goes out again in full once the mouse is back.
TEST_F(HidUsb, WritesSendOneReportPerChangedRun) {
    start();
    Bytes record = readRecord();
    L.HidVirt_ResetCounters();
    ASSERT_EQ(1, L.ProtocolDataUpdate(record.data()));
    EXPECT_EQ(0u, counter(2)) << "nothing changed, nothing sent";
    record[0] = 2;
    ASSERT_EQ(1, L.ProtocolDataUpdate(record.data()));
    EXPECT_EQ(1u, counter(2));
    EXPECT_EQ(1u, counter(4)) << "a one-byte change fits one packet";

    // Two separate runs, one of them in the macro area the full-data report does not carry.
    L.HidVirt_ResetCounters();
    record[100] ^= 0xFF;
    for (int i = 8000; i < 8200; ++i)
        record[static_cast<size_t>(i)] = static_cast<uint8_t>(i | 1);
    ASSERT_EQ(1, L.ProtocolDataUpdate(record.data()));
    EXPECT_EQ(2u, counter(2));
    EXPECT_EQ(record, flash());
    EXPECT_EQ(record, readRecord()) << "unnamed bytes round-trip";

    record[7] ^= 1;
    ASSERT_EQ(1, L.SetDllProtocolData(record.data()));
    L.HidVirt_ResetCounters();
    ASSERT_EQ(1, L.ProtocolDataUpdate(record.data()));
    EXPECT_EQ(0u, counter(2)) << "the program's baseline";
    record[7] ^= 1; // back to what the mouse holds

    // The program echoes a rate answer back; a press of the rate button after that answer must survive it.
    collector().clear();
    ASSERT_EQ(1, L.HidVirt_PressRateButton("mouse0"));
    ASSERT_EQ(1, L.UsbServer_ReadReportRate());
    const Bytes answered = dataOf(8, 0);
    ASSERT_EQ(1u, answered.size());
    ASSERT_EQ(1, L.HidVirt_PressRateButton("mouse0"));
    const uint8_t pressed = flash()[0];
    record[0] = answered[0];
    ASSERT_EQ(1, L.ProtocolDataUpdate(record.data()));
    EXPECT_EQ(pressed, flash()[0]) << "an echo of an older answer undid the newer press";
    record[0] = pressed;

    for (int i = 2000; i < 8000; ++i) // 6000 bytes: 100 packets, about 100 ms on the wire
        record[static_cast<size_t>(i)] = static_cast<uint8_t>(i * 3 + 1);
    L.HidVirt_SetPacketTime(1000);
    std::atomic<int> result{-1};
    std::thread writer([&] { result = L.ProtocolDataUpdate(record.data()); });
    waitFor([&] { return counter(4) >= 10; }); // about a tenth of the change has crossed
    ASSERT_EQ(1, L.HidVirt_SetLink("mouse0", HIDVIRT_LINK_OFF));
    writer.join();
    EXPECT_EQ(0, result) << "a write cut off is a failure";
    const Bytes partial = flash();
    EXPECT_NE(record, partial);
    EXPECT_EQ(record[2000], partial[2000]) << "what crossed the link before the cut is kept";
    L.HidVirt_SetPacketTime(0);
    ASSERT_EQ(1, L.HidVirt_SetLink("mouse0", HIDVIRT_LINK_RECEIVER));
    ASSERT_EQ(1, L.ProtocolDataUpdate(record.data()));
    EXPECT_EQ(record, flash());

    L.UsbServer_Exit();
    record[0] = 4;
    EXPECT_EQ(0, L.ProtocolDataUpdate(record.data())) << "no started service, nothing written";
    EXPECT_NE(4, flash()[0]);
}

// Each profile's flash and the active profile outlive the library: a copy of its file is a second,
// independent instance, as in a new process. A reset goes back to profile 0 with factory settings; a damaged
// state file gives the factory defaults, not a failure or garbage.
TEST_F(HidUsb, ProfilesPersistAcrossAFreshLoadAndReset) {
    const Bytes defaults = flash();
    start();
    Bytes record = readRecord();
    record[5] = 3;
    record[9000] = 0x5A;
    ASSERT_EQ(1, L.ProtocolDataUpdate(record.data()));
    ASSERT_EQ(1, L.UsbServer_SetCurrentConfig(2));
    EXPECT_EQ(Bytes({2}), dataOf(14));
    EXPECT_EQ(defaults, readRecord()) << "profile 2 holds its own configuration";
    L.UsbServer_Exit();
    setenv("ZF_HIDUSB_SOCKET", "none", 1);
    {
        LibHidUsb second(libraryCopy("libHIDUsb-copy.so"));
        Bytes again(HIDUSB_RECORD_SIZE);
        ASSERT_EQ(1, second.HidVirt_ReadFlash("mouse0", 0, again.data()));
        EXPECT_EQ(record, again);
        char text[1024];
        second.HidVirt_List(text, sizeof text);
        EXPECT_NE(nullptr, std::strstr(text, "profile=2")) << text;
    }
    setenv("ZF_HIDUSB_SOCKET", (runDir() + "/control.sock").c_str(), 1);

    start();
    ASSERT_EQ(1, L.UsbServer_SetClearSetting());
    ASSERT_TRUE(collector().take(9));
    EXPECT_EQ(defaults, flash("mouse0", 0));
    ASSERT_EQ(1, L.UsbServer_ReadConfig());
    EXPECT_EQ(Bytes({0}), dataOf(14));
    readRecord();
    ASSERT_EQ(1, L.ProtocolDataUpdate(record.data()));
    ASSERT_EQ(record, flash());
    std::filesystem::resize_file(runDir() + "/state/mouse0.state", 1000);
    ASSERT_EQ(1, L.HidVirt_Reload());
    EXPECT_EQ(defaults, flash());
}

// What is set reads back; a null buffer or a path that names no device is refused.
TEST_F(HidUsb, ReceiverLightsReadBackWhatWasSet) {
    start();
    struct Light {
        int (*Lib::*set)(const char*, const unsigned char*);
        int (*Lib::*get)(const char*, unsigned char*);
        Bytes value;
    };
    const Light lights[] = {
        {&Lib::UsbFinderC_SetDongleRGBBarMode,
         &Lib::UsbFinderC_GetDongleRGBBarMode,
         {2, 10, 20, 30, 1, 4, 1}},
        {&Lib::UsbFinderC_SetDongleIndicatorLed, &Lib::UsbFinderC_GetDongleIndicatorLed, {0, 2, 1}},
        {&Lib::UsbFinderC_Set4KDongleRGB, &Lib::UsbFinderC_Get4KDongleRGBValue, {3, 1, 2, 3, 4, 5, 6, 7}},
    };
    for (const Light& l : lights) {
        Bytes back(l.value.size(), 0xEE);
        ASSERT_EQ(1, (L.*l.set)(kReceiverPath, l.value.data()));
        ASSERT_EQ(1, (L.*l.get)(kReceiverPath, back.data()));
        EXPECT_EQ(l.value, back);
        EXPECT_EQ(0, (L.*l.set)(kReceiverPath, nullptr));
        EXPECT_EQ(0, (L.*l.get)(kReceiverPath, nullptr));
        EXPECT_EQ(0, (L.*l.set)("/dev/zf-virtual/none", back.data()));
        EXPECT_EQ(0, (L.*l.get)("/dev/zf-virtual/none", back.data()));
    }
    EXPECT_EQ(lights[2].value, dataOf(21)) << "the status LED colour is reported";
}

TEST_F(HidUsb, PairingSucceedsOrFails) {
    fresh("mouse mouse0 receiver=receiver0\nreceiver receiver0 address=A1B2C3\nreceiver receiver1 "
          "address=010203\n");
    const char* second = "/dev/zf-virtual/receiver1";
    ASSERT_EQ(1, L.HidVirt_SetLink("mouse0", HIDVIRT_LINK_OFF));
    start(second);
    // Every attempt reports "pairing" first, then the result; the status request repeats the result.
    auto pair = [&](int cid) {
        EXPECT_EQ(1, L.UsbServer_EnterDonglePairOnlyCid(cid));
        EXPECT_EQ(Bytes({1}), dataOf(6)) << "listening";
        return dataOf(6);
    };
    ASSERT_EQ(1, L.HidVirt_FailNextPairing());
    EXPECT_EQ(Bytes({2}), pair(kCid)) << "armed failure";
    ASSERT_EQ(1, L.UsbServer_ReadDonglePairStatus());
    EXPECT_EQ(Bytes({2}), dataOf(6));
    EXPECT_EQ(Bytes({2}), pair(0x33)) << "no mouse of that model";
    EXPECT_EQ(0, L.UsbFinderC_GetDeviceOnLine(second));

    EXPECT_EQ(Bytes({3}), pair(kCid));
    EXPECT_EQ(1, L.UsbFinderC_GetDeviceOnLine(second));
    EXPECT_EQ(0, L.UsbFinderC_GetDeviceOnLine(kReceiverPath)) << "the old receiver lost its mouse";
    unsigned char slave[HIDUSB_SLAVE_VERSION_SIZE];
    ASSERT_EQ(1, L.UsbFinderC_GetSlaveVersion(second, slave));
    EXPECT_EQ(Bytes({1, 0x01, 0x05}), Bytes(slave, slave + 3));

    // Pairing is the receiver's business: a service on the mouse's cable cannot pair.
    ASSERT_EQ(1, L.HidVirt_SetLink("mouse0", HIDVIRT_LINK_CABLE));
    start(kCablePath);
    EXPECT_EQ(0, L.UsbServer_EnterDonglePairOnlyCid(kCid));
    EXPECT_EQ(0, L.UsbServer_ReadDonglePairStatus());

    // Cable re-pairing: writing receiver0's id into the mouse moves it back there.
    const unsigned char id[HIDUSB_DONGLE_ID_SIZE] = {0xA1, 0xB2, 0xC3, 0, 0}, unknown[5] = {9, 9, 9, 0, 0};
    EXPECT_EQ(0, L.UsbFinderC_SetDongleIDToMouse(kCablePath, unknown));
    EXPECT_EQ(0, L.UsbFinderC_SetDongleIDToMouse(second, id)) << "a receiver is not a mouse";
    ASSERT_EQ(1, L.UsbFinderC_SetDongleIDToMouse(kCablePath, id));
    ASSERT_EQ(1, L.HidVirt_SetLink("mouse0", HIDVIRT_LINK_RECEIVER));
    EXPECT_EQ(1, L.UsbFinderC_GetDeviceOnLine(kReceiverPath));
    EXPECT_EQ(0, L.UsbFinderC_GetDeviceOnLine(second));
}

// Upgrade progress {7, step, value} goes to the collector as a report of type 7 with the step (1 percent,
// 2 end) as its sub-code and the value as its data.
void onProgress(const unsigned char* status, int length) {
    const unsigned char header[5] = {0, length > 0 ? status[0] : uint8_t(0), 0, 0,
                                     length > 1 ? status[1] : uint8_t(0)};
    onReport(header, 5, status + 2, length - 2);
}

class Upgrade : public HidTest {
protected:
    int start(const Bytes& image) {
        return L.UsbUpgrade_Start(image.data(), static_cast<int>(image.size()), onProgress, 10000);
    }
    int bootDevices(const Bytes& image, int length = -1) {
        int count = -1;
        int ok = L.UsbUpgradeC_FindBootDevices(image.data(), length < 0 ? int(image.size()) : length, &count);
        return ok ? count : -1;
    }
    // Waits for the end status and returns it (-1: none); the percent steps before it go to `percents`.
    int waitEnd(std::vector<int>& percents) {
        auto end = collector().take(7, 2, 10000);
        for (std::optional<Report> step; (step = collector().take(7, 1, 0));) {
            EXPECT_EQ(1u, step->data.size());
            percents.push_back(step->data.at(0));
        }
        return end && end->data.size() == 1 ? end->data[0] : -1;
    }
};

TEST_F(Upgrade, ImagesFlashTheirDeviceWithProgress) {
    const Bytes mouseImage = firmwareImage(16384, 0xD3, kCid, kMid, 0x0210);
    EXPECT_EQ(0, bootDevices(mouseImage)) << "a wireless mouse is not in reach of the boot loader";
    EXPECT_EQ(0, start(mouseImage));

    const Bytes receiverImage = firmwareImage(4096, 0xD2, kCid, kMid, 0x0200);
    EXPECT_EQ(1, bootDevices(receiverImage));
    ASSERT_EQ(1, start(receiverImage));
    std::vector<int> percents;
    EXPECT_EQ(1, waitEnd(percents));
    unsigned char attribute[HIDUSB_ATTRIBUTE_SIZE];
    ASSERT_EQ(1, L.UsbFinderC_GetUsbDeviceAttribute(kReceiverPath, attribute));
    EXPECT_EQ(0x0200, attribute[8] | attribute[9] << 8);

    ASSERT_EQ(1, L.HidVirt_SetLink("mouse0", HIDVIRT_LINK_CABLE));
    EXPECT_EQ(1, bootDevices(mouseImage));
    L.HidVirt_ResetCounters();
    ASSERT_EQ(1, start(mouseImage));
    percents.clear();
    EXPECT_EQ(1, waitEnd(percents));
    ASSERT_FALSE(percents.empty());
    EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
    EXPECT_EQ(100, percents.back());
    EXPECT_EQ(mouseImage.size(), counter(3)) << "every image byte crossed the link once";
    ASSERT_EQ(1, L.HidVirt_Reload());
    EXPECT_EQ(0x0210, L.HidVirt_MouseVersion("mouse0")) << "the new firmware stays";
}

// Foreign or cut images are refused before anything starts; a failure mid-way and the cable pulled during
// the flash each end in failure. The old firmware stays every time.
TEST_F(Upgrade, RefusedOrInterruptedFlashesKeepTheOldFirmware) {
    ASSERT_EQ(1, L.HidVirt_SetLink("mouse0", HIDVIRT_LINK_CABLE));
    const Bytes good = firmwareImage(8192, 0xD3, kCid, kMid, 0x0300);
    const int n = static_cast<int>(good.size());
    EXPECT_EQ(-1, bootDevices(good, n - 1)) << "cut off by one byte";
    EXPECT_EQ(-1, bootDevices(good, 855)) << "shorter than its header";
    EXPECT_EQ(-1, bootDevices(firmwareImage(8192, 0x11, kCid, kMid, 0x0300))) << "unknown image type";
    EXPECT_EQ(0, L.UsbUpgrade_Start(good.data(), n - 100, onProgress, 10000));
    EXPECT_EQ(0, L.UsbUpgrade_Start(good.data(), n, nullptr, 10000));
    EXPECT_EQ(0, L.UsbUpgrade_Start(good.data(), n, onProgress, 0));
    EXPECT_EQ(0, L.UsbUpgradeC_FindBootDevices(nullptr, n, nullptr));
    const Bytes otherModel = firmwareImage(8192, 0xD3, kCid, 0x20, 0x0300);
    EXPECT_EQ(0, bootDevices(otherModel));
    EXPECT_EQ(0, start(otherModel));
    EXPECT_FALSE(collector().take(7, -1, 20)) << "a refused image starts nothing";

    Bytes corrupt = firmwareImage(8192, 0xD3, kCid, kMid, 0x0300);
    corrupt[5000] ^= 0x40;
    ASSERT_EQ(1, start(corrupt)) << "the payload is checked once it has arrived";
    std::vector<int> seen;
    EXPECT_EQ(0, waitEnd(seen));
    EXPECT_EQ(0x0105, L.HidVirt_MouseVersion("mouse0"));

    ASSERT_EQ(1, L.HidVirt_FailNextUpgrade(50));
    ASSERT_EQ(1, start(firmwareImage(16384, 0xD3, kCid, kMid, 0x0300)));
    std::vector<int> percents;
    EXPECT_EQ(0, waitEnd(percents));
    ASSERT_FALSE(percents.empty());
    EXPECT_LT(percents.back(), 50);
    EXPECT_EQ(0x0105, L.HidVirt_MouseVersion("mouse0"));

    L.HidVirt_SetPacketTime(500);
    const Bytes image = firmwareImage(65536, 0xD3, kCid, kMid, 0x0300);
    ASSERT_EQ(1, start(image));
    EXPECT_EQ(0, start(image)) << "one flash at a time";
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_EQ(1, L.HidVirt_Plug("mouse0", 0));
    EXPECT_EQ(0, waitEnd(percents));
    EXPECT_EQ(0x0105, L.HidVirt_MouseVersion("mouse0"));
}

TEST_F(HidUsb, RawAccess) {
    ASSERT_EQ(1, L.HidVirt_SetLink("mouse0", HIDVIRT_LINK_CABLE));
    EXPECT_EQ(0, L.UsbFinderC_OpenDevice("/dev/zf-virtual/none"));
    ASSERT_EQ(1, L.UsbFinderC_OpenDevice(kCablePath));
    const Bytes f = flash();
    unsigned char request[64] = {0x01, 58, 0, 12}, reply[64];
    ASSERT_EQ(1, L.UsbFinderC_ReadWriteDeviceData(request, reply, 64));
    EXPECT_EQ(1, reply[0]);
    EXPECT_EQ(Bytes(f.begin() + 58, f.begin() + 70), Bytes(reply + 4, reply + 16));
    unsigned char version[8] = {0x02};
    ASSERT_EQ(1, L.UsbFinderC_ReadWriteDeviceData(version, reply, 8));
    EXPECT_EQ(0x0105, reply[1] | reply[2] << 8);

    unsigned char tooMany[8] = {0x01, 0, 0, 5};         // five bytes asked in an 8-byte exchange
    unsigned char pastEnd[64] = {0x01, 0x2F, 0x29, 10}; // offset 10543
    unsigned char unknown[8] = {0x7F};
    EXPECT_EQ(0, L.UsbFinderC_ReadWriteDeviceData(tooMany, reply, 8));
    EXPECT_EQ(0, L.UsbFinderC_ReadWriteDeviceData(pastEnd, reply, 64));
    EXPECT_EQ(0, L.UsbFinderC_ReadWriteDeviceData(unknown, reply, 8));
    EXPECT_EQ(0, L.UsbFinderC_ReadWriteDeviceData(request, reply, 3));
    EXPECT_EQ(0, L.UsbFinderC_ReadWriteDeviceData(request, reply, 65));
}

// Null, unknown or out-of-range arguments fail cleanly (the readers, decoders and receiver lights are
// checked with their answers above).
TEST_F(HidUsb, BadArgumentsAreRefused) {
    unsigned char b[HIDUSB_RECORD_SIZE] = {}; // big enough for any out-buffer
    int count = 5;
    const char* none = "/dev/zf-virtual/none";
    EXPECT_EQ(nullptr, L.UsbFinderC_FindHidDevicesByDeviceId(nullptr, "1001", 1, 5, &count));
    EXPECT_EQ(0, count);
    EXPECT_EQ(nullptr, L.UsbFinderC_FindHidDevicesByDefaultDeviceId("373B", "1001", nullptr));
    EXPECT_EQ(0, L.UsbFinderC_GetDeviceInfo(nullptr, kReceiverPath, 0));
    EXPECT_EQ(0, L.UsbFinderC_GetDeviceInfo(b, nullptr, 0));
    std::memset(b, 0x55, 4);
    EXPECT_EQ(0, L.UsbFinderC_GetDeviceInfo(b, "/dev/zf-virtual/receiver0/", 0));
    EXPECT_EQ(Bytes(4, 0), Bytes(b, b + 4)) << "an unknown path answers zeros";
    EXPECT_EQ(0, L.UsbFinderC_GetDeviceOnLine(nullptr));
    EXPECT_EQ(0, L.UsbFinderC_GetVersion(nullptr));
    EXPECT_EQ(0, L.SetDllProtocolData(nullptr));
    EXPECT_EQ(0, L.GetDeviceStatusChanged(nullptr, b));
    EXPECT_EQ(0, L.GetDeviceStatusChanged(b, nullptr));
    for (int (*Lib::*get)(const char*, unsigned char*) :
         {&Lib::UsbFinderC_GetUsbDeviceAttribute, &Lib::UsbFinderC_GetDeviceOnLineWithUsbAddress,
          &Lib::UsbFinderC_GetLongRangeMode, &Lib::UsbFinderC_GetSlaveVersion}) {
        EXPECT_EQ(0, (L.*get)(kReceiverPath, nullptr));
        EXPECT_EQ(0, (L.*get)(none, b));
    }
    EXPECT_EQ(0, L.UsbFinderC_SetLongRangeMode(kReceiverPath, 2));
    EXPECT_EQ(0, L.UsbFinderC_StartAdjustMode(kReceiverPath, nullptr, 1));
    EXPECT_EQ(0, L.UsbFinderC_OpenDevice(nullptr));
    EXPECT_EQ(0, L.UsbFinderC_ReadWriteDeviceData(nullptr, b, 8));
    EXPECT_EQ(0, L.UsbFinderC_ReadWriteDeviceData(b, nullptr, 8));
    EXPECT_EQ(0, L.UsbFinderC_SetDongleIDToMouse(kCablePath, nullptr));
    EXPECT_EQ(0, L.StartUsbChanged(nullptr, 600));
    EXPECT_EQ(0, L.UsbServerC_Start(nullptr, nullptr, onReport));
    EXPECT_EQ(0, L.UsbServerC_Start(none, nullptr, onReport));
    EXPECT_EQ(0, L.UsbServerC_Start(kReceiverPath, kReceiverPath, nullptr));
    EXPECT_EQ(0, L.UsbServer_SetClearSetting()) << "no started service";
    start();
    for (int bad : {-1, 4})
        EXPECT_EQ(0, L.UsbServer_SetCurrentConfig(bad));
    for (int bad : {-1, 256})
        EXPECT_EQ(0, L.UsbServer_EnterDonglePairOnlyCid(bad));

    // The virtual devices' controls (their value ranges are checked by the control socket's parser).
    EXPECT_EQ(0, L.HidVirt_Plug(nullptr, 1));
    EXPECT_EQ(0, L.HidVirt_ReadFlash("mouse0", 4, b));
    EXPECT_EQ(0, L.HidVirt_ReadFlash("mouse0", 0, nullptr));
    EXPECT_EQ(0, L.HidVirt_MouseVersion(nullptr));
    EXPECT_EQ(0, L.HidVirt_GetCounters(nullptr));
    // A short list buffer gets a terminated prefix and the length the whole text needs.
    char small[8];
    const int need = L.HidVirt_List(small, sizeof small);
    EXPECT_GT(need, 7);
    EXPECT_EQ(7u, std::strlen(small));
    EXPECT_EQ(need, L.HidVirt_List(nullptr, 0));
}

} // namespace

int main(int argc, char** argv) {
    prepareEnvironment();
    ::testing::InitGoogleTest(&argc, argv);
    lib();
    return RUN_ALL_TESTS();
}
