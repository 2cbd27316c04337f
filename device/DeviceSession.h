#pragma once
// What windows do with the device library, as plain steps: start and stop the service, tell it whether
// the program is in front, watch USB changes, ask whether a mouse answers. Windows call these, never the
// library itself.

#include "HIDUsb.h"

#include <QString>

namespace DeviceSession {
// A plain function: the library calls it on a thread of its own.
using UsbChangeHandler = HidUsbChangedCallback;

// Ends the device service (leaving the device pages, quitting).
void stopService();
// Starts the selected device's service again with the worker's report handler (after pairing ran the
// receiver's service).
void resumeService();
// Tells the library whether the configuration program is the active one for the mouse.
void setProgramActive(bool active);
// `handler` becomes the one USB-change callback (600 ms period); it replaces the previous one.
void watchUsbChanges(UsbChangeHandler handler);
void stopWatching();
// True when the mouse at `path` answers. A library stuck in the call must not hold the window: the answer
// is awaited at most kAnswerWaitMs (below the 1300 ms online check), and a mouse that did not answer in
// time counts as offline. While one such call is still stuck, later ones return false at once.
constexpr int kAnswerWaitMs = 1000;
bool isOnline(const QString& path);
bool isOnline(const QByteArray& path);
// Long-range radio mode of the device at `path`; false when the library refused.
bool setLongRangeMode(const QString& path, bool on);

// Whether the library loaded whole; else the file that was tried and why it failed, for the notice.
bool libraryLoaded();
QString libraryFile();
QString libraryError();
} // namespace DeviceSession
