#pragma once
// Shared pieces of the device-library suites: a fresh state folder, a report collector behind the plain C
// callback, firmware images built to the boot loader's header rules, and the fixture every suite starts from.
#include "LibHidUsb.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
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

constexpr const char* kReceiverPath = "/dev/zf-virtual/receiver0";
constexpr const char* kCablePath = "/dev/zf-virtual/mouse0";
constexpr int kCid = 0x05, kMid = 0x1F;

// A temporary folder for the run, removed at exit; ZF_HIDUSB_* point into it before the library loads.
inline const std::string& runDir() {
    static const std::string* dir = [] {
        char tmpl[] = "/tmp/zf-hidusb-test.XXXXXX";
        const char* made = mkdtemp(tmpl);
        if (!made)
            std::abort();
        auto* d = new std::string(made); // kept: the exit handler below still needs it
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(runDir(), ignored);
        });
        return d;
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

struct Report {
    std::vector<uint8_t> header, data;
    int type() const { return header.size() > 1 ? header[1] : -1; }
    int sub() const { return header.size() > 4 ? header[4] : -1; }
};

class Collector {
public:
    void add(const unsigned char* h, int hl, const unsigned char* d, int dl) {
        Report r;
        if (h && hl > 0)
            r.header.assign(h, h + hl);
        if (d && dl > 0)
            r.data.assign(d, d + dl);
        std::lock_guard<std::mutex> lock(m_);
        list_.push_back(std::move(r));
        cv_.notify_all();
    }
    // Takes the first report of that type (and sub-code, unless -1), waiting up to timeoutMs.
    std::optional<Report> take(int type, int sub = -1, int timeoutMs = 3000) {
        std::unique_lock<std::mutex> lock(m_);
        std::optional<Report> found;
        cv_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
            for (size_t i = 0; i < list_.size(); ++i)
                if (list_[i].type() == type && (sub < 0 || list_[i].sub() == sub)) {
                    found = list_[i];
                    list_.erase(list_.begin() + static_cast<long>(i));
                    return true;
                }
            return false;
        });
        return found;
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
    static Collector* c = new Collector;
    return *c;
}

inline void onReport(const unsigned char* h, int hl, const unsigned char* d, int dl) {
    collector().add(h, hl, d, dl);
}

using Bytes = std::vector<uint8_t>;

// The data of the next report of that type; a missing report is a failure and reads as empty.
inline Bytes dataOf(int type, int sub = -1) {
    auto r = collector().take(type, sub);
    if (!r)
        ADD_FAILURE() << "no report of type " << type;
    return r ? r->data : Bytes();
}

// Image header: version at 16 (u16 LE), type at 20, CID 21, MID 22, whole length at 24 (u32 LE), model
// name at 87; 856 header bytes, then the body.
inline std::vector<uint8_t> firmwareImage(int size, uint8_t type, uint8_t cid, uint8_t mid,
                                          uint16_t version) {
    std::vector<uint8_t> image(static_cast<size_t>(size), 0);
    for (int i = 856; i < size; ++i)
        image[static_cast<size_t>(i)] = static_cast<uint8_t>(i * 7);
    image[16] = static_cast<uint8_t>(version & 0xFF);
    image[17] = static_cast<uint8_t>(version >> 8);
    image[20] = type;
    image[21] = cid;
    image[22] = mid;
    for (int i = 0; i < 4; ++i)
        image[24 + static_cast<size_t>(i)] = static_cast<uint8_t>(static_cast<uint32_t>(size) >> (8 * i));
    std::memcpy(image.data() + 87, "Virtual", 7);
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
        auto r = collector().take(8, 0);
        Bytes record(HIDUSB_RECORD_SIZE, 0xEE);
        EXPECT_TRUE(r && r->data.size() == HIDUSB_FULL_DATA_SIZE);
        if (r && r->data.size() == HIDUSB_FULL_DATA_SIZE) {
            EXPECT_EQ(1, L.ProtocolDataParser(r->data.data(), record.data()));
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
    // Status-report flags of the next status report, empty when none came.
    Bytes nextStatus(int timeoutMs = 3000) {
        auto s = collector().take(10, -1, timeoutMs);
        Bytes flags(HIDUSB_STATUS_SIZE);
        if (!s || s->data.size() < 10 || !L.GetDeviceStatusChanged(s->data.data(), flags.data()))
            return {};
        return flags;
    }
};

} // namespace zftest
