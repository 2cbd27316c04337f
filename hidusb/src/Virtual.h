#pragma once
// The virtual devices: mice with flash, battery, buttons and profiles, and receivers they pair with. All
// state lives in one registry guarded by one mutex; nothing here calls out to user callbacks.
#include "Protocol.h"

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <istream>
#include <mutex>
#include <string>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define ZF_HIDUSB_LSAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ZF_HIDUSB_LSAN 1
#endif
#endif
#ifdef ZF_HIDUSB_LSAN
#include <sanitizer/lsan_interface.h>
#endif

namespace zf {

// Objects that live until the process ends, even past an unload of the library, because a thread that
// outlives a stop may still reach them. The leak checker is told, or an unload that drops the only
// pointer to them would make them look leaked.
template <typename T> T* keepForever(T* object) {
#ifdef ZF_HIDUSB_LSAN
    __lsan_ignore_object(object);
#endif
    return object;
}

using Record = std::array<uint8_t, kRecordSize>;

enum class Link { Off, Cable, Receiver };

constexpr int kProfileCount = 4;

struct Mouse {
    std::string name;
    std::string vid = "373B";
    std::string pid = "1001";
    uint8_t cid = 0x05;
    uint8_t mid = 0x1F;
    uint16_t version = 0x0105;
    Link link = Link::Receiver;
    std::string receiver; // receiver it is paired with
    int battery = 80;
    std::chrono::steady_clock::time_point batteryClock{}; // start of the current battery step; {} = restart
    bool charging = false;
    bool longRange = false;
    bool batteryOptimize = true;
    bool adjustMode = false;
    uint8_t keyBytes[2] = {0, 0};
    int profile = 0;
    std::vector<Record> profiles; // kProfileCount stored configurations; the active one is the flash
    // Factory image bytes over the common defaults (offset, bytes): the model's own DPI codes and such.
    std::vector<std::pair<size_t, std::vector<uint8_t>>> factoryPatches;
    Record& flash() { return profiles[profile]; }
};

struct Receiver {
    std::string name;
    std::string vid = "373B";
    std::string pid = "1002";
    uint16_t version = 0x0102;
    uint8_t address[3] = {0xA1, 0xB2, 0xC3};
    // Polling class 1, 2, 4 or 8 (up to 1000, 2000, 4000, 8000 Hz): the description's class= key, else the
    // device table's receiver list that holds the PID, else 1. 0 only while loading.
    int rateClass = 0;
    bool plugged = true;
    std::string paired; // mouse name
    uint8_t bar[7] = {1, 255, 0, 0, 3, 3, 1};
    uint8_t leds[3] = {1, 1, 1};
    uint8_t rgb[8] = {1, 0, 0, 0, 0, 0, 0, 0};
    // Lights it has (description key lights=bar+leds+status, or none): commands for a light it lacks fail.
    bool hasBar = true;
    bool hasLeds = true;
    bool hasStatus = true;
};

// A path resolved against the registry.
struct Endpoint {
    Mouse* mouse = nullptr;       // the mouse this path reaches (may be unreachable)
    Receiver* receiver = nullptr; // set for a receiver path
    bool reachable = false;       // the mouse answers through this path
};

class Registry {
public:
    std::mutex mutex;
    std::vector<Mouse> mice;
    std::vector<Receiver> receivers;
    unsigned generation = 0; // bumped by changed() on every arrival or removal

    // An arrival or removal: bumps the generation and wakes the USB-change watcher. Call under `mutex`.
    void changed();

    // Loads the description named by ZF_HIDUSB_DEVICES (or the default pair) and each mouse's flash.
    // Returns an error text, empty on success; on error the default pair is used.
    std::string load();
    // The parsers behind load(), over what was read: the description's lines (devices added to mice and
    // receivers; an error text, empty on success), and a mouse's or a receiver's state file (the factory
    // state when it is short or foreign).
    std::string parseDescription(std::istream& in);
    void readState(Mouse& m, std::istream& in);
    void readState(Receiver& r, std::istream& in);

    Endpoint resolve(const char* path);
    bool present(const Mouse& m) const { return m.link == Link::Cable; }
    Mouse* mouseByName(const std::string& name);
    Receiver* receiverByName(const std::string& name);
    // Polling class of the mouse's link: its receiver's when wireless, 1 on the cable (up to 1000 Hz).
    int linkClass(const Mouse& m);
    static std::string cablePath(const Mouse& m) { return "/dev/zf-virtual/" + m.name; }
    static std::string receiverPath(const Receiver& r) { return "/dev/zf-virtual/" + r.name; }

    // Writes the mouse's profiles, version and pairing to its state file (temp file + rename).
    bool save(const Mouse& m);
    // Writes a receiver's lights to its own state file, so they survive a restart as its firmware's would.
    bool save(const Receiver& r);
    static Record defaults();
    // The mouse's factory configuration: the defaults with its factory patches.
    static Record factory(const Mouse& m);
    static std::string stateDir();
    // Removes the temporaries of writers killed mid-save once they are older than `olderThanSeconds`.
    static void removeStaleTemporaries(int olderThanSeconds);

private:
    void loadState(Mouse& m);
    void loadState(Receiver& r);
    void resolveReceiverClasses();
};

Registry& registry();

// Wakes the USB-change watcher at once instead of it polling the generation: an idle program
// then sleeps until something is plugged or pulled.
struct ChangeSignal {
    std::mutex mutex; // taken after Registry::mutex, never before it
    std::condition_variable cv;
    unsigned seq = 0;
};
ChangeSignal& changeSignal();

// Connection kind a receiver of that polling class reports in the device information (1 -> 0, 2 -> 4,
// 4 -> 1, 8 -> 5); a mouse on its cable reports kWiredKind.
uint8_t receiverKind(int rateClass);
constexpr uint8_t kWiredKind = 2;
// Vendor and product id texts compared without regard to case or a 0x prefix.
std::string normId(const std::string& id);
// The program's device table: usersetting/Config.ini in $ZF_APP_DIR, else in this library's folder.
std::string deviceTablePath();
// Receiver PIDs of a device table's text, keyed by polling class: the lists of group "Option".
std::vector<std::pair<std::string, int>> tableReceiverPids(std::istream& in);

// Emulated link time per 64-byte packet in microseconds (ZF_HIDUSB_PACKET_US, default 1000).
long long packetUs();
// Creates a folder and its parents (mode 0700); existing ones are left alone.
void makeDirs(const std::string& dir);
// Overrides the environment for this process; a negative value goes back to it.
void setPacketUs(long long us);
// Device-side pairing time in microseconds (ZF_HIDUSB_PAIR_MS, default 1500 ms).
long long pairUs();

} // namespace zf
