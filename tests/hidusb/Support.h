#pragma once
// Shared pieces of the device-library suites: a fresh state folder, a report collector behind the plain C
// callback, firmware images built to the boot loader's header rules, and the fixture every suite starts from.
#include "LibHidUsb.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace zftest {

using Bytes = std::vector<uint8_t>;
constexpr const char* kReceiverPath = "/dev/zf-virtual/receiver0";
constexpr const char* kCablePath = "/dev/zf-virtual/mouse0";
constexpr int kCid = 0x05, kMid = 0x1F;

// A temporary folder for the run, removed at exit; ZF_HIDUSB_* point into it before the library loads.
inline const std::string& runDir() {
    static const std::string* dir = [] { // kept: the exit handler still needs it
        char tmpl[] = "/tmp/zf-hidusb-test.XXXXXX";
        if (!mkdtemp(tmpl))
            std::abort();
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(runDir(), ignored);
        });
        return new std::string(tmpl);
    }();
    return *dir;
}

inline void prepareEnvironment() {
    setenv("ZF_HIDUSB_STATE_DIR", (runDir() + "/state").c_str(), 1);
    setenv("ZF_HIDUSB_SOCKET", (runDir() + "/control.sock").c_str(), 1);
    setenv("ZF_HIDUSB_PACKET_US", "0", 1);
    setenv("ZF_HIDUSB_PAIR_MS", "0", 1);
    unsetenv("ZF_HIDUSB_DEVICES");
}

inline void writeFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}
inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
// A copy of the library file loads as a second, independent instance, as in another process.
inline std::string libraryCopy(const std::string& name) {
    const std::string copy = runDir() + "/" + name;
    std::filesystem::copy_file(HIDUSB_LIBRARY, copy, std::filesystem::copy_options::overwrite_existing);
    return copy;
}

struct Report {
    Bytes header, data;
};

// Reports from the plain C callback, taken by type (header byte 1) and sub-code (byte 4; -1: any).
class Collector {
public:
    void add(const unsigned char* h, int hl, const unsigned char* d, int dl) {
        std::lock_guard<std::mutex> lock(m_);
        list_.push_back({h && hl > 0 ? Bytes(h, h + hl) : Bytes(), d && dl > 0 ? Bytes(d, d + dl) : Bytes()});
        cv_.notify_all();
    }
    std::optional<Report> take(int type, int sub = -1, int timeoutMs = 3000) {
        std::unique_lock<std::mutex> lock(m_);
        auto it = list_.end();
        const auto match = [&](const Report& r) {
            return r.header.size() > 4 && r.header[1] == type && (sub < 0 || r.header[4] == sub);
        };
        if (!cv_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
                return (it = std::find_if(list_.begin(), list_.end(), match)) != list_.end();
            }))
            return std::nullopt;
        Report r = std::move(*it);
        list_.erase(it);
        return r;
    }
    void clear() {
        std::lock_guard<std::mutex> lock(m_);
        list_.clear();
    }

private:
    std::mutex m_;
    std::condition_variable cv_;
    std::vector<Report> list_;
};

inline Collector& collector() {
    static Collector* c = new Collector; // kept: library threads may report during exit
    return *c;
}
inline void onReport(const unsigned char* h, int hl, const unsigned char* d, int dl) {
    collector().add(h, hl, d, dl);
}

// The data of the next report of that type; a missing report is a failure and reads as empty.
inline Bytes dataOf(int type, int sub = -1) {
    auto r = collector().take(type, sub);
    if (!r)
        ADD_FAILURE() << "no report of type " << type;
    return r ? r->data : Bytes();
}

// Header: version at 16 (u16 LE), type at 20, CID 21, MID 22, whole length at 24 (u32 LE), CRC-32 of the
// body at 28 (u32 LE), model name at 87; 856 header bytes, then the body.
inline Bytes firmwareImage(int size, uint8_t type, uint8_t cid, uint8_t mid, uint16_t version) {
    Bytes image(static_cast<size_t>(size), 0);
    for (size_t i = 856; i < image.size(); ++i)
        image[i] = static_cast<uint8_t>(i * 7);
    const auto n = static_cast<uint32_t>(size);
    const uint8_t fields[] = {
        uint8_t(version), uint8_t(version >> 8), 0, 0, type, cid, mid, 0, uint8_t(n), uint8_t(n >> 8),
        uint8_t(n >> 16), uint8_t(n >> 24)};
    std::memcpy(&image[16], fields, sizeof fields);
    std::memcpy(&image[87], "Virtual", 7);
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 856; i < image.size(); ++i) {
        crc ^= image[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    crc = ~crc;
    for (int i = 0; i < 4; ++i)
        image[28 + size_t(i)] = uint8_t(crc >> (8 * i));
    return image;
}

// Polls until done() holds or ms have passed; returns done().
template <typename F> bool waitFor(F done, int ms = 3000) {
    for (int i = 0; i < ms && !done(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return done();
}

// Each case starts from stopped threads, devices from `description` (empty: the default pair) without
// stored flash, an instant link and zeroed counters.
class HidTest : public ::testing::Test {
protected:
    LibHidUsb& L = lib();

    void SetUp() override { fresh(""); }
    void TearDown() override {
        L.UsbServer_Exit();
        L.StopUsbChanged();
        L.HidVirt_SetPacketTime(0);
    }
    void fresh(const std::string& description) {
        L.UsbServer_Exit();
        L.StopUsbChanged();
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
        Bytes full = dataOf(8, 0), record(HIDUSB_RECORD_SIZE, 0xEE);
        EXPECT_EQ(size_t(HIDUSB_FULL_DATA_SIZE), full.size());
        if (full.size() == HIDUSB_FULL_DATA_SIZE) {
            EXPECT_EQ(1, L.ProtocolDataParser(full.data(), record.data()));
        }
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
    // Flags of the next status report, empty when none came.
    Bytes nextStatus(int timeoutMs = 3000) {
        auto s = collector().take(10, -1, timeoutMs);
        Bytes flags(HIDUSB_STATUS_SIZE);
        if (!s || s->data.size() < 10 || !L.GetDeviceStatusChanged(s->data.data(), flags.data()))
            return {};
        return flags;
    }
};

} // namespace zftest
