#include "Virtual.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace zf {

namespace {

constexpr char kStateMagic[4] = {'Z', 'F', 'V', '1'};
constexpr char kLightsMagic[4] = {'Z', 'F', 'R', '1'};
constexpr size_t kLightsSize = 7 + 3 + 8; // bar, indicator LEDs, status value

long long envNumber(const char* name, long long fallback) {
    const char* v = std::getenv(name);
    if (!v || !*v)
        return fallback;
    char* end = nullptr;
    long long n = std::strtoll(v, &end, 10);
    if (*end != '\0' || n < 0)
        return fallback;
    return n;
}

bool parseHex(const std::string& s, unsigned long max, unsigned long& out) {
    if (s.empty() || s.size() > 8)
        return false;
    char* end = nullptr;
    unsigned long v = std::strtoul(s.c_str(), &end, 16);
    if (*end != '\0' || v > max)
        return false;
    out = v;
    return true;
}

// "OFFSET:BYTES", both hexadecimal, the bytes inside the record.
bool parsePatch(const std::string& s, std::pair<size_t, std::vector<uint8_t>>& out) {
    const auto colon = s.find(':');
    unsigned long offset = 0;
    if (colon == std::string::npos || !parseHex(s.substr(0, colon), kRecordSize - 1, offset))
        return false;
    const std::string hex = s.substr(colon + 1);
    if (hex.empty() || hex.size() % 2 || offset + hex.size() / 2 > kRecordSize)
        return false;
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i < hex.size(); i += 2) {
        unsigned long b = 0;
        if (!parseHex(hex.substr(i, 2), 0xFF, b))
            return false;
        bytes.push_back(static_cast<uint8_t>(b));
    }
    out = {offset, std::move(bytes)};
    return true;
}

std::string trimmed(const std::string& s, const char* strip = " \t\r\"") {
    const auto first = s.find_first_not_of(strip);
    if (first == std::string::npos)
        return {};
    return s.substr(first, s.find_last_not_of(strip) - first + 1);
}

} // namespace

std::vector<std::pair<std::string, int>> tableReceiverPids(std::istream& in) {
    static const std::pair<const char*, int> lists[] = {
        {"Wireless_PID", 1}, {"Wireless2_PID", 2}, {"Wireless4_PID", 4}, {"Wireless8_PID", 8}};
    std::vector<std::pair<std::string, int>> pids;
    std::string line, group;
    while (std::getline(in, line)) {
        if (line.compare(0, 3, "\xEF\xBB\xBF") == 0) // UTF-8 byte-order mark
            line.erase(0, 3);
        line = trimmed(line, " \t\r");
        if (!line.empty() && line[0] == '[') {
            group = trimmed(line.substr(1, line.find(']') - 1), " \t");
            continue;
        }
        const auto eq = line.find('=');
        if (group != "Option" || eq == std::string::npos)
            continue;
        const std::string key = trimmed(line.substr(0, eq), " \t");
        for (const auto& [name, rateClass] : lists) {
            if (key != name)
                continue;
            std::stringstream items(line.substr(eq + 1));
            for (std::string item; std::getline(items, item, ',');)
                if (!(item = trimmed(item)).empty())
                    pids.emplace_back(normId(item), rateClass);
        }
    }
    return pids;
}

std::string normId(const std::string& id) {
    std::string t = id;
    if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X'))
        t = t.substr(2);
    for (auto& c : t)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return t;
}

uint8_t receiverKind(int rateClass) {
    switch (rateClass) {
    case 2:
        return 4;
    case 4:
        return 1;
    case 8:
        return 5;
    default:
        return 0;
    }
}

std::string deviceTablePath() {
    if (const char* d = std::getenv("ZF_APP_DIR"); d && *d)
        return std::string(d) + "/usersetting/Config.ini";
    Dl_info self{};
    if (!::dladdr(reinterpret_cast<void*>(&deviceTablePath), &self) || !self.dli_fname)
        return {};
    std::string dir = self.dli_fname;
    const auto slash = dir.rfind('/');
    dir = slash == std::string::npos ? "." : dir.substr(0, slash);
    const std::string beside = dir + "/usersetting/Config.ini";
#ifdef ZF_LIB_TO_DATA
    // Installed, the library sits in a private library folder and the shipped files under share/.
    if (::access(beside.c_str(), F_OK) != 0)
        return dir + "/" ZF_LIB_TO_DATA "/usersetting/Config.ini";
#endif
    return beside;
}

void makeDirs(const std::string& dir) {
    std::string part;
    std::stringstream ss(dir);
    std::string item;
    if (!dir.empty() && dir[0] == '/')
        part = "/";
    while (std::getline(ss, item, '/')) {
        if (item.empty())
            continue;
        part += item + "/";
        ::mkdir(part.c_str(), 0700);
    }
}

static std::atomic<long long> gPacketUsOverride{-1};

long long packetUs() {
    long long set = gPacketUsOverride.load();
    return set >= 0 ? set : envNumber("ZF_HIDUSB_PACKET_US", 1000);
}

void setPacketUs(long long us) {
    gPacketUsOverride = us < 0 ? -1 : us;
}

long long pairUs() {
    return envNumber("ZF_HIDUSB_PAIR_MS", 1500) * 1000;
}

Registry& registry() {
    static Registry* r = keepForever(new Registry); // never destroyed, see host()
    return *r;
}

ChangeSignal& changeSignal() {
    static ChangeSignal* c = keepForever(new ChangeSignal);
    return *c;
}

void Registry::changed() {
    ++generation;
    ChangeSignal& signal = changeSignal();
    {
        std::lock_guard<std::mutex> lock(signal.mutex);
        ++signal.seq;
    }
    signal.cv.notify_all();
}

std::string Registry::stateDir() {
    if (const char* d = std::getenv("ZF_HIDUSB_STATE_DIR"); d && *d)
        return d;
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && data[0] == '/')
        return std::string(data) + "/zentrafox-virtual";
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : "/tmp") + "/.local/share/zentrafox-virtual";
}

Record Registry::defaults() {
    Record r{};
    r[0] = 1; // 1000 Hz
    r[1] = 4; // DPI levels in use
    r[2] = 1; // current level
    r[5] = 1; // LOD
    r[6] = 2; // debounce
    r[8] = r[13] = 6;
    static const uint16_t dpi[8] = {400, 800, 1600, 3200, 6400, 12800, 16000, 26000};
    static const uint8_t colour[8][3] = {{255, 0, 0},   {0, 255, 0},   {0, 0, 255},   {255, 255, 0},
                                         {0, 255, 255}, {255, 0, 255}, {255, 128, 0}, {255, 255, 255}};
    for (int i = 0; i < 8; ++i) {
        uint8_t* e = r.data() + 58 + 12 * i;
        uint16_t code = static_cast<uint16_t>(dpi[i] / 50);
        e[0] = e[1] = static_cast<uint8_t>(code & 0xFF);
        e[2] = static_cast<uint8_t>(((code >> 8) & 0x3) * 0x11);
        std::memcpy(e + 3, colour[i], 3);
        e[6] = e[8] = static_cast<uint8_t>(dpi[i] & 0xFF);
        e[7] = e[9] = static_cast<uint8_t>(dpi[i] >> 8);
    }
    r[154] = 1; // DPI light: effect, brightness, speed, on
    r[155] = 3;
    r[156] = 3;
    r[157] = 1;
    r[158] = 1; // light bar: effect, RGB, speed, brightness, on
    r[159] = 255;
    r[162] = 3;
    r[163] = 3;
    r[164] = 1;
    // Factory buttons (type, parameter): left, right, middle, back, forward, DPI cycle/up/down, two
    // report-rate switches, rapid fire at 10 ms, one unassigned, DPI cycle on the rest.
    static const uint8_t buttons[16][2] = {{1, 1}, {1, 2}, {1, 4},  {1, 8}, {1, 16}, {2, 1}, {2, 2}, {2, 3},
                                           {7, 0}, {7, 0}, {4, 10}, {0, 0}, {2, 1},  {2, 1}, {2, 1}, {2, 1}};
    for (int b = 0; b < 16; ++b) {
        r[165 + 3 * b] = buttons[b][0];
        r[166 + 3 * b] = buttons[b][1];
    }
    return r;
}

Mouse* Registry::mouseByName(const std::string& name) {
    for (auto& m : mice)
        if (m.name == name)
            return &m;
    return nullptr;
}

Receiver* Registry::receiverByName(const std::string& name) {
    for (auto& r : receivers)
        if (r.name == name)
            return &r;
    return nullptr;
}

int Registry::linkClass(const Mouse& m) {
    const Receiver* r = m.link == Link::Receiver ? receiverByName(m.receiver) : nullptr;
    return r ? r->rateClass : 1;
}

void Registry::resolveReceiverClasses() {
    std::vector<std::pair<std::string, int>> table;
    bool tableRead = false;
    for (auto& r : receivers) {
        if (r.rateClass)
            continue;
        if (!tableRead) {
            std::ifstream in(deviceTablePath());
            table = tableReceiverPids(in);
            tableRead = true;
        }
        r.rateClass = 1;
        const std::string pid = normId(r.pid);
        for (const auto& [listed, rateClass] : table)
            if (listed == pid) {
                r.rateClass = rateClass;
                break;
            }
    }
}

Endpoint Registry::resolve(const char* path) {
    Endpoint ep;
    if (!path)
        return ep;
    std::string p(path);
    for (auto& m : mice)
        if (m.link == Link::Cable && p == cablePath(m)) {
            ep.mouse = &m;
            ep.reachable = true;
            return ep;
        }
    for (auto& r : receivers)
        if (r.plugged && p == receiverPath(r)) {
            ep.receiver = &r;
            ep.mouse = mouseByName(r.paired);
            ep.reachable = ep.mouse && ep.mouse->link == Link::Receiver && ep.mouse->receiver == r.name &&
                           ep.mouse->battery > 0;
            return ep;
        }
    return ep;
}

std::string Registry::load() {
    mice.clear();
    receivers.clear();
    changed();
    std::string error;
    const char* file = std::getenv("ZF_HIDUSB_DEVICES");
    if (file && *file) {
        std::ifstream in(file);
        error = in ? parseDescription(in) : std::string("cannot open device description ") + file;
    }
    if (!error.empty() || !file || !*file) {
        mice.clear();
        receivers.clear();
        Mouse m;
        m.name = "mouse0";
        m.receiver = "receiver0";
        Receiver r;
        r.name = "receiver0";
        mice.push_back(m);
        receivers.push_back(r);
    }
    resolveReceiverClasses();
    // A mouse on its cable charges; a receiver knows the mouse that names it, after a pairing stored
    // in the mouse's state has overridden the description.
    for (auto& m : mice) {
        m.charging = m.link == Link::Cable;
        loadState(m);
    }
    for (auto& m : mice)
        if (Receiver* r = receiverByName(m.receiver))
            r->paired = m.name;
    for (auto& r : receivers)
        loadState(r);
    return error;
}

std::string Registry::parseDescription(std::istream& in) {
    std::string error;
    std::string line;
    int lineNo = 0;
    while (error.empty() && std::getline(in, line)) {
        ++lineNo;
        std::istringstream ls(line);
        std::string kind, name;
        if (!(ls >> kind) || kind[0] == '#')
            continue;
        if (!(ls >> name) || name.find('/') != std::string::npos || mouseByName(name) ||
            receiverByName(name)) {
            error = "line " + std::to_string(lineNo) + ": missing or repeated device name";
            break;
        }
        Mouse m;
        Receiver r;
        m.name = r.name = name;
        if (kind != "mouse" && kind != "receiver") {
            error = "line " + std::to_string(lineNo) + ": unknown device kind " + kind;
            break;
        }
        std::string kv;
        while (ls >> kv) {
            auto eq = kv.find('=');
            std::string key = kv.substr(0, eq), value = eq == std::string::npos ? "" : kv.substr(eq + 1);
            unsigned long n = 0;
            bool ok = true;
            if (key == "vid")
                (kind == "mouse" ? m.vid : r.vid) = value;
            else if (key == "pid")
                (kind == "mouse" ? m.pid : r.pid) = value;
            else if (key == "version" && (ok = parseHex(value, 0xFFFF, n)))
                (kind == "mouse" ? m.version : r.version) = static_cast<uint16_t>(n);
            else if (kind == "mouse" && key == "cid" && (ok = parseHex(value, 0xFF, n)))
                m.cid = static_cast<uint8_t>(n);
            else if (kind == "mouse" && key == "mid" && (ok = parseHex(value, 0xFF, n)))
                m.mid = static_cast<uint8_t>(n);
            else if (kind == "mouse" && key == "battery") {
                char* end = nullptr;
                long level = std::strtol(value.c_str(), &end, 10);
                ok = !value.empty() && *end == '\0' && level >= 0 && level <= 100;
                m.battery = static_cast<int>(level);
            } else if (kind == "mouse" && key == "flash") {
                std::pair<size_t, std::vector<uint8_t>> patch;
                if ((ok = parsePatch(value, patch)))
                    m.factoryPatches.push_back(std::move(patch));
            } else if (kind == "mouse" && key == "receiver")
                m.receiver = value;
            else if (kind == "mouse" && key == "link") {
                ok = value == "cable" || value == "receiver" || value == "off";
                m.link = value == "cable" ? Link::Cable : value == "off" ? Link::Off : Link::Receiver;
            } else if (kind == "receiver" && key == "address" && (ok = parseHex(value, 0xFFFFFF, n))) {
                r.address[0] = static_cast<uint8_t>(n >> 16);
                r.address[1] = static_cast<uint8_t>(n >> 8);
                r.address[2] = static_cast<uint8_t>(n);
            } else if (kind == "receiver" && key == "plugged")
                r.plugged = value != "0";
            else if (kind == "receiver" && key == "lights") {
                r.hasBar = r.hasLeds = r.hasStatus = false;
                std::istringstream parts(value);
                for (std::string part; ok && std::getline(parts, part, '+');) {
                    if (part == "bar")
                        r.hasBar = true;
                    else if (part == "leds")
                        r.hasLeds = true;
                    else if (part == "status")
                        r.hasStatus = true;
                    else
                        ok = part == "none";
                }
            } else if (kind == "receiver" && key == "class") {
                ok = value == "1" || value == "2" || value == "4" || value == "8";
                r.rateClass = ok ? value[0] - '0' : 0;
            } else if (ok)
                ok = false;
            if (!ok) {
                error = "line " + std::to_string(lineNo) + ": bad setting " + kv;
                break;
            }
        }
        if (kind == "mouse")
            mice.push_back(m);
        else
            receivers.push_back(r);
    }
    return error;
}

Record Registry::factory(const Mouse& m) {
    Record r = defaults();
    for (const auto& [offset, bytes] : m.factoryPatches)
        std::copy(bytes.begin(), bytes.end(), r.begin() + static_cast<long>(offset));
    return r;
}

void Registry::loadState(Mouse& m) {
    std::ifstream in(stateDir() + "/" + m.name + ".state", std::ios::binary);
    readState(m, in);
}

void Registry::readState(Mouse& m, std::istream& in) {
    m.profiles.assign(kProfileCount, factory(m));
    m.profile = 0;
    char magic[4];
    uint8_t head[4];
    if (!in.read(magic, 4) || std::memcmp(magic, kStateMagic, 4) != 0 ||
        !in.read(reinterpret_cast<char*>(head), 4) || head[0] >= kProfileCount || head[1] != kProfileCount)
        return; // unreadable state: the mouse starts from its defaults
    std::vector<Record> profiles(kProfileCount);
    for (auto& p : profiles)
        if (!in.read(reinterpret_cast<char*>(p.data()), kRecordSize))
            return;
    m.profiles = std::move(profiles);
    m.profile = head[0];
    m.version = static_cast<uint16_t>(head[2] | head[3] << 8);
    // Optional tail: 'P', u16 length, the receiver's name ("" = unpaired). Older files end before it; a
    // name this description does not hold leaves the description's pairing.
    uint8_t tail[3];
    if (!in.read(reinterpret_cast<char*>(tail), 3) || tail[0] != 'P')
        return;
    std::string receiver(static_cast<size_t>(tail[1] | tail[2] << 8), '\0');
    if (!in.read(&receiver[0], static_cast<std::streamsize>(receiver.size())))
        return;
    if (receiver.empty() || receiverByName(receiver))
        m.receiver = receiver;
}

namespace {
bool writeAllTo(int fd, const uint8_t* p, size_t n) {
    while (n > 0) {
        const ssize_t w = ::write(fd, p, n);
        if (w < 0 && errno == EINTR)
            continue;
        if (w <= 0)
            return false;
        p += w;
        n -= static_cast<size_t>(w);
    }
    return true;
}

// Replaces `name` in the state folder whole: a temporary name of its own per write (two processes saving
// the same device never share one), synced before the rename and the folder after it, so after a crash or
// a power cut the name holds the old state or the whole new one, never a short or zeroed file.
bool writeState(const std::string& name, const std::vector<uint8_t>& bytes) {
    const std::string dir = Registry::stateDir();
    makeDirs(dir);
    const std::string path = dir + "/" + name;
    std::string tmp = path + ".XXXXXX";
    const int fd = ::mkstemp(tmp.data());
    if (fd < 0)
        return false;
    bool ok = ::fchmod(fd, 0644) == 0 && writeAllTo(fd, bytes.data(), bytes.size()) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (!ok || std::rename(tmp.c_str(), path.c_str()) != 0) {
        std::remove(tmp.c_str());
        return false;
    }
    const int dirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

// A writer killed between mkstemp and the rename leaves its temporary behind. Only names of that shape
// ("<device>.state.XXXXXX", "<device>.lights.XXXXXX", the older fixed "<device>.lights.tmp") are removed,
// and only once they are older than any live write could be.
bool isStaleTemporary(const std::string& name) {
    for (const char* kind : {".state.", ".lights."}) {
        const size_t at = name.rfind(kind);
        if (at == std::string::npos || at == 0)
            continue;
        const std::string suffix = name.substr(at + std::strlen(kind));
        if (suffix == "tmp")
            return true;
        return suffix.size() == 6 && std::all_of(suffix.begin(), suffix.end(),
                                                 [](unsigned char c) { return std::isalnum(c) != 0; });
    }
    return false;
}
} // namespace

void Registry::removeStaleTemporaries(int olderThanSeconds) {
    const std::string dir = stateDir();
    DIR* d = ::opendir(dir.c_str());
    if (!d)
        return;
    const time_t now = ::time(nullptr);
    while (const dirent* e = ::readdir(d)) {
        const std::string name = e->d_name;
        if (!isStaleTemporary(name))
            continue;
        const std::string path = dir + "/" + name;
        struct stat st;
        if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && now - st.st_mtime > olderThanSeconds)
            ::unlink(path.c_str());
    }
    ::closedir(d);
}

bool Registry::save(const Mouse& m) {
    std::vector<uint8_t> bytes(kStateMagic, kStateMagic + 4);
    bytes.insert(bytes.end(), {static_cast<uint8_t>(m.profile), kProfileCount,
                               static_cast<uint8_t>(m.version & 0xFF), static_cast<uint8_t>(m.version >> 8)});
    for (const auto& p : m.profiles)
        bytes.insert(bytes.end(), p.begin(), p.end());
    if (m.receiver.size() <= 0xFFFF) { // the pairing, so a restart does not fall back to the description
        bytes.insert(bytes.end(), {'P', static_cast<uint8_t>(m.receiver.size() & 0xFF),
                                   static_cast<uint8_t>(m.receiver.size() >> 8)});
        bytes.insert(bytes.end(), m.receiver.begin(), m.receiver.end());
    }
    return writeState(m.name + ".state", bytes);
}

} // namespace zf

namespace zf {

void Registry::loadState(Receiver& r) {
    std::ifstream in(stateDir() + "/" + r.name + ".lights", std::ios::binary);
    readState(r, in);
}

void Registry::readState(Receiver& r, std::istream& in) {
    char magic[4];
    uint8_t bytes[kLightsSize];
    if (!in || !in.read(magic, 4) || std::memcmp(magic, kLightsMagic, 4) != 0 ||
        !in.read(reinterpret_cast<char*>(bytes), kLightsSize))
        return; // missing or unreadable: the receiver keeps its factory lights
    std::memcpy(r.bar, bytes, 7);
    std::memcpy(r.leds, bytes + 7, 3);
    std::memcpy(r.rgb, bytes + 10, 8);
}

bool Registry::save(const Receiver& r) {
    std::vector<uint8_t> bytes(kLightsMagic, kLightsMagic + 4);
    bytes.insert(bytes.end(), r.bar, r.bar + 7);
    bytes.insert(bytes.end(), r.leds, r.leds + 3);
    bytes.insert(bytes.end(), r.rgb, r.rgb + 8);
    return writeState(r.name + ".lights", bytes);
}

} // namespace zf
