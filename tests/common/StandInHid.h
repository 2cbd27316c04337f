#pragma once
// The suites against the stand-in device library (tests/device/fake_hid.cpp): its exported answers and
// counters, the device the pages work on, and a page's named children.
#include "device/HidApi.h"
#include "device/LinkState.h"

#include <QLibrary>
#include <QtTest>

namespace FakeHid {
inline QLibrary& lib() {
    static QLibrary l(qEnvironmentVariable("ZF_FAKE_HID"));
    return l;
}
inline bool load() {
    return HidLibrary::load(lib().fileName()) && lib().load();
}
// The stand-in's exported controls; a missing one is a broken build, not a test result.
template <typename T = int> T& get(const char* name) {
    auto* p = reinterpret_cast<T*>(lib().resolve(name));
    if (!p)
        qFatal("stand-in library lacks %s", name);
    return *p;
}
// The answers and counters, shared with the worker's thread: read and written atomically.
inline int value(const char* name) {
    return __atomic_load_n(&get(name), __ATOMIC_RELAXED);
}
inline void set(const char* name, int v) {
    __atomic_store_n(&get(name), v, __ATOMIC_RELAXED);
}
template <typename F> F fn(const char* name) {
    if (QFunctionPointer f = lib().resolve(name))
        return reinterpret_cast<F>(f);
    qFatal("stand-in library lacks %s", name);
}
inline void addDevice(const char* pid, const char* path, int cid, int mid, int kind, int online = 1,
                      int silentTries = 0, int address = 0) {
    fn<void (*)(const char*, const char*, int, int, int, int, int, int)>("fake_addDevice")(
        pid, path, cid, mid, kind, online, silentTries, address);
}
// What the mouse answers to the online test, and how many record writes it took.
inline void setOnline(bool online) {
    set("g_fakeOnline", online);
}
inline int writes() {
    return value("g_fakeUpdateCalls");
}
// The pages work on row `row` of the table, linked as `kind` (what the device list hands them).
inline void select(int row = 0, int kind = 0) {
    DeviceAllInfo info;
    info.path = QStringLiteral("/virtual/mouse-1");
    info.row = row;
    info.kind = uint16_t(kind);
    info.wired = DeviceAllInfo::isWiredKind(uint16_t(kind)) ? 1 : 0;
    SelectedDevice::set(info);
}
// Each page case starts from fresh link flags and an online mouse of row 0 whose writes succeed.
inline void reset() {
    LinkFlags::resetAll();
    select();
    set("g_fakeOnline", 1);
    set("g_fakeUpdateResult", 1);
}
} // namespace FakeHid

// A named child; a missing one is a broken page, not a test result.
template <typename T> T* child(const QObject* parent, const char* name) {
    T* w = parent->findChild<T*>(QLatin1String(name));
    if (!w)
        qFatal("no child %s", name);
    return w;
}
