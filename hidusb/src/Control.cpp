// Control functions for the virtual devices: the firmware's reactions to the outside world.
#include "HIDUsbVirtual.h"
#include "Host.h"

#include <cstring>
#include <iomanip>
#include <sstream>

using namespace zf;

namespace {

Mouse* mouseNamed(const char* name) {
    return name ? registry().mouseByName(name) : nullptr;
}

const char* linkText(Link l) {
    return l == Link::Cable ? "cable" : l == Link::Receiver ? "receiver" : "off";
}

// A link change looks like a reconnection to whichever service reaches the mouse afterwards.
void setLink(Mouse& m, Link link) {
    if (m.link == link)
        return;
    bool hadLongRange = m.longRange;
    m.link = link;
    m.charging = link == Link::Cable;
    m.batteryClock = {};
    batteryClockChanged();
    if (link == Link::Cable)
        m.longRange = false;
    registry().changed();
    sendFromMouse(m, kStatus, 0, 0, statusData(kStatusReconnect | kStatusBattery, m));
    // The receiver tells that long-range mode ended when its mouse went onto the cable.
    if (hadLongRange && !m.longRange)
        if (Receiver* r = registry().receiverByName(m.receiver))
            sendFromReceiver(*r, kLongRange, std::vector<uint8_t>(kLongRangeDataSize, 0));
}

} // namespace

extern "C" {

int HidVirt_Reload(void) {
    auto lock = lockDevices();
    auto& h = host();
    h.haveBaseline = false;
    h.lastFull.clear();
    h.pair = PairState{};
    h.hangNextPairing = false;
    return registry().load().empty() ? 1 : 0;
}

int HidVirt_List(char* buffer, int size) {
    auto lock = lockDevices();
    std::ostringstream out;
    for (auto& m : registry().mice)
        out << "mouse " << m.name << " link=" << linkText(m.link) << " receiver=" << m.receiver
            << " battery=" << m.battery << " charging=" << (m.charging ? 1 : 0) << " profile=" << m.profile
            << " version=" << std::hex << std::setw(4) << std::setfill('0') << m.version << std::dec
            << std::setfill(' ') << "\n";
    for (auto& r : registry().receivers)
        out << "receiver " << r.name << " plugged=" << (r.plugged ? 1 : 0) << " paired=" << r.paired
            << " class=" << r.rateClass << "\n";
    std::string text = out.str();
    if (buffer && size > 0) {
        size_t n = std::min(text.size(), static_cast<size_t>(size - 1));
        std::memcpy(buffer, text.data(), n);
        buffer[n] = '\0';
    }
    return static_cast<int>(text.size());
}

int HidVirt_Plug(const char* name, int plugged) {
    auto lock = lockDevices();
    if (Mouse* m = mouseNamed(name)) {
        setLink(*m, plugged ? Link::Cable : Link::Off);
        return 1;
    }
    Receiver* r = name ? registry().receiverByName(name) : nullptr;
    if (!r)
        return 0;
    if (r->plugged != (plugged != 0)) {
        r->plugged = plugged != 0;
        registry().changed();
    }
    return 1;
}

int HidVirt_SetLink(const char* mouse, int link) {
    if (link < HIDVIRT_LINK_OFF || link > HIDVIRT_LINK_RECEIVER)
        return 0;
    auto lock = lockDevices();
    Mouse* m = mouseNamed(mouse);
    if (!m)
        return 0;
    setLink(*m, link == HIDVIRT_LINK_CABLE      ? Link::Cable
                : link == HIDVIRT_LINK_RECEIVER ? Link::Receiver
                                                : Link::Off);
    return 1;
}

int HidVirt_PressDpiButton(const char* mouse) {
    auto lock = lockDevices();
    Mouse* m = mouseNamed(mouse);
    if (!m || m->link == Link::Off)
        return 0;
    Record& f = m->flash();
    int levels = f[1] >= 1 && f[1] <= 8 ? f[1] : 1;
    f[2] = static_cast<uint8_t>((f[2] + 1) % levels);
    registry().save(*m);
    sendFromMouse(*m, kStatus, 0, 0, statusData(kStatusDpi, *m));
    return 1;
}

int HidVirt_HoldDpiButton(const char* mouse) {
    auto lock = lockDevices();
    Mouse* m = mouseNamed(mouse);
    if (!m || m->link == Link::Off)
        return 0;
    Record& f = m->flash();
    // Record bytes 154 (effect) and 157 (on): off -> steady -> breathing -> off.
    if (f[157] == 0) {
        f[157] = 1;
        f[154] = 1;
    } else if (f[154] == 1) {
        f[154] = 2;
    } else {
        f[157] = 0;
    }
    registry().save(*m);
    sendFromMouse(*m, kStatus, 0, 0, statusData(kStatusDpiLight, *m));
    return 1;
}

int HidVirt_PressRateButton(const char* mouse) {
    // 125 Hz up to the fastest rate the link carries: 1000 Hz on the cable, 1000 x class behind a receiver.
    static const uint8_t cycle[] = {8, 4, 2, 1, 16, 32, 64};
    auto lock = lockDevices();
    Mouse* m = mouseNamed(mouse);
    if (!m || m->link == Link::Off)
        return 0;
    const int linkClass = registry().linkClass(*m);
    const int steps = linkClass >= 8 ? 7 : linkClass >= 4 ? 6 : linkClass >= 2 ? 5 : 4;
    Record& f = m->flash();
    int at = steps - 1; // a rate the link cannot carry starts the cycle again
    for (int i = 0; i < steps; ++i)
        if (cycle[i] == f[0])
            at = i;
    f[0] = cycle[(at + 1) % steps];
    registry().save(*m);
    sendFromMouse(*m, kStatus, 0, 0, statusData(kStatusRate, *m));
    return 1;
}

int HidVirt_PressKey(const char* mouse, int side, int down) {
    if (side != 0 && side != 1)
        return 0;
    auto lock = lockDevices();
    Mouse* m = mouseNamed(mouse);
    if (!m || !m->adjustMode)
        return 0;
    m->keyBytes[side] = down ? 100 : 0;
    sendFromMouse(*m, kStatus, 0, 0, statusData(0, *m));
    return 1;
}

int HidVirt_SetBattery(const char* mouse, int level, int charging) {
    if (level < 0 || level > 100)
        return 0;
    auto lock = lockDevices();
    Mouse* m = mouseNamed(mouse);
    if (!m)
        return 0;
    bool wasOn = m->battery > 0;
    // An emptied wireless mouse drops off its receiver: it reports the empty level while still heard.
    if (wasOn && level == 0)
        sendFromMouse(*m, kBattery, 0, 0, {0, static_cast<uint8_t>(charging != 0)});
    m->battery = level;
    m->charging = charging != 0;
    m->batteryClock = {};
    batteryClockChanged();
    if (wasOn != (level > 0))
        registry().changed();
    sendFromMouse(*m, kStatus, 0, 0, statusData(kStatusBattery, *m));
    return 1;
}

int HidVirt_FailNextPairing(void) {
    auto lock = lockDevices();
    host().failNextPairing = true;
    return 1;
}

int HidVirt_HangNextPairing(void) {
    auto lock = lockDevices();
    host().hangNextPairing = true;
    return 1;
}

int HidVirt_FailNextUpgrade(int percent) {
    if (percent < 0 || percent > 100)
        return 0;
    auto lock = lockDevices();
    host().failUpgradeAt = percent;
    return 1;
}

int HidVirt_Hang(int milliseconds) {
    if (milliseconds < 1 || milliseconds > 600000)
        return 0;
    hangFor(milliseconds);
    return 1;
}

int HidVirt_GetCounters(unsigned long long* out5) {
    if (!out5)
        return 0;
    auto& c = counters();
    out5[0] = c.reportsIn;
    out5[1] = c.bytesIn;
    out5[2] = c.reportsOut;
    out5[3] = c.bytesOut;
    out5[4] = c.packets;
    return 1;
}

void HidVirt_ResetCounters(void) {
    auto& c = counters();
    c.reportsIn = c.bytesIn = c.reportsOut = c.bytesOut = c.packets = 0;
}

int HidVirt_ReadFlash(const char* mouse, int profile, unsigned char* out) {
    if (!out || profile < -1 || profile >= kProfileCount)
        return 0;
    auto lock = lockDevices();
    Mouse* m = mouseNamed(mouse);
    if (!m)
        return 0;
    const Record& r = profile < 0 ? m->flash() : m->profiles[static_cast<size_t>(profile)];
    std::memcpy(out, r.data(), kRecordSize);
    return 1;
}

int HidVirt_MouseVersion(const char* mouse) {
    auto lock = lockDevices();
    Mouse* m = mouseNamed(mouse);
    return m ? m->version : 0;
}

int HidVirt_SetPacketTime(int microseconds) {
    if (microseconds < -1 || microseconds > 1000000)
        return 0;
    setPacketUs(microseconds);
    return 1;
}

int HidVirt_SetBatteryTiming(int drainMsPerPercent, int chargeMsPerPercent) {
    if (drainMsPerPercent < -1 || chargeMsPerPercent < -1 || drainMsPerPercent > 86400000 ||
        chargeMsPerPercent > 86400000)
        return 0;
    setBatteryTiming(drainMsPerPercent, chargeMsPerPercent);
    return 1;
}

} // extern "C"
