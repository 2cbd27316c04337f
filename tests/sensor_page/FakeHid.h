#pragma once
// Controls of the stand-in device library shared by the sensor suites.
#include "device/HidApi.h"

#include <QLibrary>
#include <QtTest>

struct FakeHid {
    int* online = nullptr;
    int* updateCalls = nullptr;

    bool load() {
        const QString lib = qEnvironmentVariable("ZF_FAKE_HID");
        if (!HidLibrary::load(lib))
            return false;
        QLibrary raw(lib);
        if (!raw.load())
            return false;
        online = reinterpret_cast<int*>(raw.resolve("g_fakeOnline"));
        updateCalls = reinterpret_cast<int*>(raw.resolve("g_fakeUpdateCalls"));
        return online && updateCalls;
    }
};
