#pragma once
// The stand-in device library (fake_hid.cpp) loaded as the link's library, and its exported controls.
#include "device/HidApi.h"

#include <QLibrary>
#include <QtGlobal>

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
} // namespace FakeHid
