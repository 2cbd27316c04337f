#pragma once
// The page suites against the stand-in device library (tests/device/fake_hid.cpp): its answers and
// counters, the device the pages work on, and a page's named children.
#include "device/HidApi.h"
#include "device/LinkState.h"

#include <QLibrary>
#include <QtTest>

struct FakeHid {
    int* online = nullptr;
    int* updateCalls = nullptr;
    int* updateResult = nullptr; // what a record write answers

    bool load() {
        const QString lib = qEnvironmentVariable("ZF_FAKE_HID");
        QLibrary raw(lib);
        if (!HidLibrary::load(lib) || !raw.load())
            return false;
        online = reinterpret_cast<int*>(raw.resolve("g_fakeOnline"));
        updateCalls = reinterpret_cast<int*>(raw.resolve("g_fakeUpdateCalls"));
        updateResult = reinterpret_cast<int*>(raw.resolve("g_fakeUpdateResult"));
        return online && updateCalls && updateResult;
    }
    // The pages work on row `row` of the table, linked as `kind` (what the device list hands them).
    static void select(int row = 0, int kind = 0) {
        DeviceAllInfo info;
        info.path = QStringLiteral("/virtual/mouse-1");
        info.row = row;
        info.kind = uint16_t(kind);
        info.wired = DeviceAllInfo::isWiredKind(uint16_t(kind)) ? 1 : 0;
        SelectedDevice::set(info);
    }
    // Each case starts from fresh link flags and an online mouse of row 0 whose writes succeed.
    void reset() {
        LinkFlags::resetAll();
        select();
        *online = *updateResult = 1;
    }
};

// A named child; a missing one is a broken page, not a test result.
template <typename T> T* child(const QObject* parent, const char* name) {
    T* w = parent->findChild<T*>(QLatin1String(name));
    if (!w)
        qFatal("no child %s", name);
    return w;
}
