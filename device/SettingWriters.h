#pragma once
// Setting writers: each checks that the selected mouse answers, patches the current record and sends
// the change. true = the mouse took it; false = offline (record untouched, offline notice unless a page
// is loading), the send failed, or an index was out of range (nothing written).

#include "app/core/FlashDataMap.h"

#include <cstdint>

bool SetReportRate(uint8_t rate);
bool SetCurrentDpiLevel(uint8_t level);
bool SetLod(uint8_t value);
bool SetDebounceTime(uint8_t value);
bool SetMotionSync(uint8_t value);
bool SetSleepTime(uint8_t value);
bool SetStraightLine(uint8_t value);
bool SetRippleControl(uint8_t value);
bool SetMovingOffLight(uint8_t value);
bool SetFullPerformance(uint8_t value);
bool SetSensorMode(uint8_t value);
bool SetAngle(uint8_t value);
bool SetFps20K(uint8_t value);
bool SetButtonOptionA(uint8_t value);
bool SetButtonOptionB(uint8_t value);
// index 0 or 1 addresses one touch-key entry, 2 both.
bool SetTouchKeyMode(int32_t index, uint8_t value);
bool SetTouchKeySwitchA(int32_t index, bool on);
bool SetTouchKeySwitchB(int32_t index, bool on);
bool SetTouchKeyValueA(int32_t index, uint8_t value);
bool SetTouchKeyValueB(int32_t index, uint8_t value);
bool SetDpiLevelCode(int32_t level, uint8_t xCode, uint8_t yCode, uint8_t nibbles, bool xOnly);
bool SetDpiLevelCodeY(int32_t level, uint8_t yCode, uint8_t nibbles);
bool SetDpiLevelValue(int32_t level, uint16_t x, uint16_t y, uint8_t nibbles, bool xOnly);
bool SetDpiLevelValueY(int32_t level, uint16_t y, uint8_t nibbles);
bool SetDpiLevelColour(int32_t level, uint8_t red, uint8_t green, uint8_t blue);
bool LinkDpiYToXCode();
bool LinkDpiYToXValue();
bool SetDpiLevelPair(const DpiLevelEntry& a, const DpiLevelEntry& b, int32_t indexForB, int32_t indexForA,
                     uint8_t current);
bool SetDpiLightEffect(int effect);
bool SetDpiLightBrightness(uint8_t value);
bool SetDpiLightSpeed(uint8_t value);
bool SetLightBarEffect(int effect);
bool SetLightBarColour(uint8_t red, uint8_t green, uint8_t blue);
bool SetLightBarSpeed(uint8_t value);
bool SetLightBarBrightness(uint8_t value);
bool SetButtonAssignment(int32_t button, const ButtonAssignment& assignment);
bool SetButtonMacro(int32_t button, const ButtonAssignment& assignment, const MacroBlock& macro);
bool SetButtonKeys(int32_t button, const ButtonAssignment& assignment, const KeySequenceBlock& keys);
bool SetAdvancedValue(uint8_t value);
bool SetCurvePoint(uint8_t mode, int32_t index, uint8_t byte, float value);
bool SetVirtualPoint(uint8_t value, bool setLevel, uint8_t level);
// The five curve points with the preset number, one send; a refused send restores all five.
bool SetCurvePoints(uint8_t mode, const CurvePoint (&points)[5]);
// Trigger-point bit 0 or 1 of byte 0x04.
bool SetTriggerBit(int bit, bool atBottom);
// A whole imported configuration; a refused send leaves the record as it was.
bool ImportRecord(const FlashDataMap& record);
// Makes profile `index` (0 … 255) the mouse's active one; the mouse then reports its new state.
bool SwitchProfile(int index);
bool SetLongRangeMode(bool on);
// Starts (or, with false, ends) the mouse's main-button calibration.
bool SetAdjustMode(bool start);
bool SendRecord();
bool PushRecord();
bool CheckDeviceOnline();
