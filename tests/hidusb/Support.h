#pragma once
// Shared pieces of the device-library suites: a fresh state folder, a report collector behind the plain C
// callback, and firmware images built to the boot loader's header rules.
#include "LibHidUsb.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <optional>
#include <string>
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
            std::string cmd = "rm -rf '" + runDir() + "'";
            if (std::system(cmd.c_str()) != 0) {
            }
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
    int qualifier() const { return header.size() > 3 ? header[3] : -1; }
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
    size_t size() {
        std::lock_guard<std::mutex> lock(m_);
        return list_.size();
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

} // namespace zftest
