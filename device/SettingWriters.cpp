#include "device/SettingWriters.h"

#include "app/core/PostMsg.h"
#include "device/DeviceSession.h"
#include "device/HidApi.h"
#include "device/LinkState.h"

#include <algorithm>
#include <cmath>

namespace {

bool deviceAnswers() {
    return DeviceSession::isOnline(SelectedDevice::pathLatin1()); // bounded: a stuck library is offline
}

void offlineNotice() {
    if (!LinkFlags::anyPageLoading())
        PostMsg::instance()->SendMouseOffLineo(0);
}

// The common writer: online test, patch under the lock, send the record as it then stands. A failed
// send (the mouse went during it) puts the record back so it keeps mirroring what the mouse holds, and is
// reported like any other refusal.
template <typename Patch> bool writeSetting(Patch&& patch) {
    if (!deviceAnswers()) {
        offlineNotice();
        return false;
    }
    FlashDataMap before;
    const FlashDataMap after = CurrentRecord::modify([&](FlashDataMap& r) {
        before = r;
        patch(r);
        return r;
    });
    if (DeviceSession::sendRecord())
        return true;
    // Restore only if nobody else changed the record since our patch. A send that outlived its wait may
    // still reach the mouse: the offline notice makes the program read the mouse again once it is back.
    CurrentRecord::modify([&](FlashDataMap& r) {
        if (r == after)
            r = before;
    });
    offlineNotice();
    return false;
}

bool touchIndexValid(int32_t index) {
    return index >= 0 && index <= 2;
}

template <typename F> void forTouchKeys(FlashDataMap& r, int32_t index, F&& f) {
    if (index == 2) {
        f(r.touchKeys[0]);
        f(r.touchKeys[1]);
    } else {
        f(r.touchKeys[index]);
    }
}

bool dpiLevelValid(int32_t level) {
    return level >= 0 && level < 8;
}

bool buttonValid(int32_t button) {
    return button >= 0 && button < 16;
}

uint8_t setBit7(uint8_t byte, bool on) {
    return on ? uint8_t(byte | 0x80) : uint8_t(byte & 0x7F);
}

} // namespace

#define ZF_SIMPLE_WRITER(name, field)                                                                        \
    bool name(uint8_t value) {                                                                               \
        return writeSetting([&](FlashDataMap& r) { r.field = value; });                                      \
    }

ZF_SIMPLE_WRITER(SetReportRate, reportRate)
ZF_SIMPLE_WRITER(SetLod, lod)
ZF_SIMPLE_WRITER(SetDebounceTime, debounceTime)
ZF_SIMPLE_WRITER(SetMotionSync, motionSync)
ZF_SIMPLE_WRITER(SetStraightLine, straightLine)
ZF_SIMPLE_WRITER(SetRippleControl, rippleControl)
ZF_SIMPLE_WRITER(SetMovingOffLight, movingOffLight)
ZF_SIMPLE_WRITER(SetFullPerformance, fullPerformance)
ZF_SIMPLE_WRITER(SetSensorMode, sensorMode)
ZF_SIMPLE_WRITER(SetFps20K, fps20k)
ZF_SIMPLE_WRITER(SetButtonOptionA, buttonOptionA)
ZF_SIMPLE_WRITER(SetButtonOptionB, buttonOptionB)
ZF_SIMPLE_WRITER(SetDpiLightBrightness, dpiLightBrightness)
ZF_SIMPLE_WRITER(SetDpiLightSpeed, dpiLightSpeed)
ZF_SIMPLE_WRITER(SetLightBarSpeed, lightBarSpeed)
ZF_SIMPLE_WRITER(SetLightBarBrightness, lightBarBrightness)
ZF_SIMPLE_WRITER(SetAdvancedValue, advancedValue)
#undef ZF_SIMPLE_WRITER

bool SetCurrentDpiLevel(uint8_t level) {
    if (level >= 8)
        return false;
    return writeSetting([&](FlashDataMap& r) { r.currentDpiLevel = level; });
}

bool SetSleepTime(uint8_t value) {
    return writeSetting([&](FlashDataMap& r) {
        r.sleepTime = value;
        r.sleepTimeCopy = value;
    });
}

bool SetAngle(uint8_t value) {
    return writeSetting([&](FlashDataMap& r) {
        r.angle = value;
        r.angleEnable = 1;
    });
}

bool SetTouchKeyMode(int32_t index, uint8_t value) {
    if (!touchIndexValid(index))
        return false;
    return writeSetting(
        [&](FlashDataMap& r) { forTouchKeys(r, index, [&](TouchKeyEntry& e) { e.mode = value; }); });
}

bool SetTouchKeySwitchA(int32_t index, bool on) {
    if (!touchIndexValid(index))
        return false;
    return writeSetting(
        [&](FlashDataMap& r) { forTouchKeys(r, index, [&](TouchKeyEntry& e) { e.a = setBit7(e.a, on); }); });
}

bool SetTouchKeySwitchB(int32_t index, bool on) {
    if (!touchIndexValid(index))
        return false;
    return writeSetting(
        [&](FlashDataMap& r) { forTouchKeys(r, index, [&](TouchKeyEntry& e) { e.b = setBit7(e.b, on); }); });
}

bool SetTouchKeyValueA(int32_t index, uint8_t value) {
    if (!touchIndexValid(index))
        return false;
    return writeSetting([&](FlashDataMap& r) {
        forTouchKeys(r, index, [&](TouchKeyEntry& e) { e.a = uint8_t((e.a & 0x80) | (value & 0x7F)); });
    });
}

bool SetTouchKeyValueB(int32_t index, uint8_t value) {
    if (!touchIndexValid(index))
        return false;
    return writeSetting([&](FlashDataMap& r) {
        forTouchKeys(r, index, [&](TouchKeyEntry& e) { e.b = uint8_t((e.b & 0x80) | (value & 0x7F)); });
    });
}

bool SetDpiLevelCode(int32_t level, uint8_t xCode, uint8_t yCode, uint8_t nibbles, bool xOnly) {
    if (!dpiLevelValid(level))
        return false;
    return writeSetting([&](FlashDataMap& r) {
        DpiLevelEntry& e = r.dpiLevels[level];
        e.xCode = xCode;
        if (xOnly) {
            e.nibbles = uint8_t((e.nibbles & 0xF0) | (nibbles & 0x0F));
        } else {
            e.yCode = yCode;
            e.nibbles = nibbles;
        }
    });
}

bool SetDpiLevelCodeY(int32_t level, uint8_t yCode, uint8_t nibbles) {
    if (!dpiLevelValid(level))
        return false;
    return writeSetting([&](FlashDataMap& r) {
        DpiLevelEntry& e = r.dpiLevels[level];
        e.yCode = yCode;
        e.nibbles = uint8_t((e.nibbles & 0x0F) | (nibbles & 0xF0));
    });
}

bool SetDpiLevelValue(int32_t level, uint16_t x, uint16_t y, uint8_t nibbles, bool xOnly) {
    if (!dpiLevelValid(level))
        return false;
    return writeSetting([&](FlashDataMap& r) {
        DpiLevelEntry& e = r.dpiLevels[level];
        e.xValue = x;
        if (xOnly) {
            e.nibbles = uint8_t((e.nibbles & 0xF0) | (nibbles & 0x0F));
        } else {
            e.yValue = y;
            e.wideFlags = nibbles;
        }
    });
}

bool SetDpiLevelValueY(int32_t level, uint16_t y, uint8_t nibbles) {
    if (!dpiLevelValid(level))
        return false;
    return writeSetting([&](FlashDataMap& r) {
        DpiLevelEntry& e = r.dpiLevels[level];
        e.yValue = y;
        e.nibbles = uint8_t((e.nibbles & 0x0F) | (nibbles & 0xF0));
    });
}

bool SetDpiLevelColour(int32_t level, uint8_t red, uint8_t green, uint8_t blue) {
    if (!dpiLevelValid(level))
        return false;
    return writeSetting([&](FlashDataMap& r) {
        DpiLevelEntry& e = r.dpiLevels[level];
        e.red = red;
        e.green = green;
        e.blue = blue;
    });
}

bool LinkDpiYToXCode() {
    return writeSetting([](FlashDataMap& r) {
        for (DpiLevelEntry& e : r.dpiLevels) {
            e.yCode = e.xCode;
            e.nibbles = uint8_t((e.nibbles & 0x0F) | ((e.nibbles & 0x0F) << 4));
        }
    });
}

bool LinkDpiYToXValue() {
    return writeSetting([](FlashDataMap& r) {
        // Per-axis wide writes keep their flags in the narrow flag byte: X's value is bytes 6-7 with
        // the low nibble of byte 2, and both axes take it, in byte 2 and in the joint flag byte 10.
        for (DpiLevelEntry& e : r.dpiLevels) {
            e.yValue = e.xValue;
            e.nibbles = uint8_t((e.nibbles & 0x0F) * 0x11);
            e.wideFlags = e.nibbles;
        }
    });
}

bool SetDpiLevelPair(const DpiLevelEntry& a, const DpiLevelEntry& b, int32_t indexForB, int32_t indexForA,
                     uint8_t current) {
    if (!dpiLevelValid(indexForA) || !dpiLevelValid(indexForB) || current >= 8)
        return false;
    return writeSetting([&](FlashDataMap& r) {
        r.dpiLevels[indexForA] = a;
        r.dpiLevels[indexForB] = b;
        r.currentDpiLevel = current;
        r.dpiLevelCount = uint8_t(current + 1);
    });
}

bool SetDpiLightEffect(int effect) {
    return writeSetting([&](FlashDataMap& r) {
        if (effect != 0) {
            r.dpiLightOn = 1;
            r.dpiLightEffect = uint8_t(std::clamp(effect, 0, 255));
        } else {
            r.dpiLightOn = 0;
        }
    });
}

bool SetLightBarEffect(int effect) {
    return writeSetting([&](FlashDataMap& r) {
        if (effect != 0) {
            r.lightBarOn = 1;
            r.lightBarEffect = uint8_t(std::clamp(effect, 0, 255));
        } else {
            r.lightBarOn = 0;
        }
    });
}

bool SetLightBarColour(uint8_t red, uint8_t green, uint8_t blue) {
    return writeSetting([&](FlashDataMap& r) {
        r.lightBarColour[0] = red;
        r.lightBarColour[1] = green;
        r.lightBarColour[2] = blue;
    });
}

bool SetButtonAssignment(int32_t button, const ButtonAssignment& assignment) {
    if (!buttonValid(button))
        return false;
    return writeSetting([&](FlashDataMap& r) { r.buttons[button] = assignment; });
}

bool SetButtonMacro(int32_t button, const ButtonAssignment& assignment, const MacroBlock& macro) {
    if (!buttonValid(button))
        return false;
    return writeSetting([&](FlashDataMap& r) {
        r.buttons[button] = assignment;
        r.macros[button] = macro;
    });
}

bool SetButtonKeys(int32_t button, const ButtonAssignment& assignment, const KeySequenceBlock& keys) {
    if (!buttonValid(button))
        return false;
    return writeSetting([&](FlashDataMap& r) {
        r.buttons[button] = assignment;
        r.keyBlocks[button] = keys;
    });
}

bool SetCurvePoint(uint8_t mode, int32_t index, uint8_t byte, float value) {
    if (index < 0 || index >= 5)
        return false;
    // Truncated toward zero; a small epsilon keeps 1.239 * 100 from landing on 123.89999.
    double scaled = std::trunc(double(value) * 100.0 + (value >= 0 ? 1e-4 : -1e-4));
    if (!std::isfinite(scaled))
        scaled = 0;
    const uint16_t stored = uint16_t(std::clamp(scaled, 0.0, 65535.0));
    return writeSetting([&](FlashDataMap& r) {
        r.curveMode = mode;
        r.curve[index].byte = byte;
        r.curve[index].value = stored;
    });
}

bool SetVirtualPoint(uint8_t value, bool setLevel, uint8_t level) {
    return writeSetting([&](FlashDataMap& r) {
        r.virtualPointValue = value;
        if (setLevel)
            r.virtualPointLevel = level;
    });
}

bool SetCurvePoints(uint8_t mode, const CurvePoint (&points)[5]) {
    return writeSetting([&](FlashDataMap& r) {
        r.curveMode = mode;
        for (int i = 0; i < 5; ++i) {
            r.curve[i].value = points[i].value;
            r.curve[i].byte = points[i].byte;
        }
    });
}

bool SetTriggerBit(int bit, bool atBottom) {
    if (bit != 0 && bit != 1)
        return false;
    const uint8_t mask = uint8_t(1u << bit);
    return writeSetting([&](FlashDataMap& r) {
        r.triggerBits = atBottom ? uint8_t(r.triggerBits | mask) : uint8_t(r.triggerBits & ~mask);
    });
}

bool ImportRecord(const FlashDataMap& record) {
    return writeSetting([&](FlashDataMap& r) { r = record; });
}

bool SwitchProfile(int index) {
    if (!deviceAnswers()) {
        offlineNotice();
        return false;
    }
    // The mouse reports only the new index; its settings are those of the new profile, so read them.
    bool switched = false;
    if (!DeviceSession::askFor(switched, [index] {
            if (hid().UsbServer_SetCurrentConfig(index & 255) == 0)
                return false;
            hid().UsbServer_ReadAllFlashData();
            return true;
        })) {
        offlineNotice();
        return false;
    }
    return switched;
}

bool SetLongRangeMode(bool on) {
    if (!deviceAnswers()) {
        offlineNotice();
        return false;
    }
    return DeviceSession::setLongRangeMode(SelectedDevice::path(), on);
}

bool SetAdjustMode(bool start) {
    if (!deviceAnswers()) {
        if (start) // ending on a mouse that has gone needs no notice
            offlineNotice();
        return false;
    }
    const QByteArray path = SelectedDevice::pathLatin1();
    int answer = 0;
    DeviceSession::askFor(answer, [path, start] {
        const unsigned char request[10] = {};
        return hid().UsbFinderC_StartAdjustMode(path.constData(), request, start ? 1 : 0);
    });
    return answer != 0;
}

bool SendRecord() {
    return writeSetting([](FlashDataMap&) {});
}

bool PushRecord() {
    return DeviceSession::sendRecord();
}

bool CheckDeviceOnline() {
    if (deviceAnswers())
        return true;
    offlineNotice();
    return false;
}
