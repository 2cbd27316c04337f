#pragma once
// What windows do with the device library, as plain steps: start and stop the service, tell it whether
// the program is in front, watch USB changes, ask whether a mouse answers. Windows call these, never the
// library itself.
//
// A library stuck in a call must not hold the window. The window's calls run one after another on a
// thread of their own and the caller waits a bounded time for each; a call that outlives its wait goes on
// inside the library and ends on its own, and until it does, questions fail at once (a mouse that does
// not answer is offline) and orders queue behind it.

#include "HIDUsb.h"

#include <QString>
#include <QtGlobal>
#include <functional>
#include <memory>

namespace DeviceSession {
// A plain function: the library calls it on a thread of its own.
using UsbChangeHandler = HidUsbChangedCallback;

// The longest wait for one answer (below the 1300 ms online check), and for a whole device scan.
constexpr int kAnswerWaitMs = 1000;
constexpr int kScanWaitMs = 2500;

// Runs `call` on the library-call thread and waits at most `waitMs` for it. true once it has run. false
// when it outlived the wait, or when an earlier call is still stuck (then `call` is not run at all).
// Whatever the call reads or fills must be owned by it: it may end long after its caller gave up.
bool ask(std::function<void()> call, int waitMs = kAnswerWaitMs);
// `call`'s result in `out`; `out` is left alone when the call did not end in time.
template <typename R, typename F> bool askFor(R& out, F call, int waitMs = kAnswerWaitMs) {
    auto result = std::make_shared<R>(out);
    if (!ask([result, call]() mutable { *result = call(); }, waitMs))
        return false;
    out = *result;
    return true;
}
// An order that must not be lost (stop the service, watch for changes): run like ask(), but behind a
// stuck call it is queued, runs once the library is back, and is not waited for.
bool order(std::function<void()> call, int waitMs = kAnswerWaitMs);
// A call abandoned by its waiter is still inside the library.
bool libraryStuck();
// At quit: waits at most `waitMs` for the calls still queued or inside the library. When one is stuck (or
// `othersStuck`, another thread of ours is), ends the process here with `exitCode`: the library's thread
// would otherwise run on into the static destructors, or keep the process alive.
void settleBeforeExit(int exitCode, int waitMs, bool othersStuck = false);

// Ends the device service (leaving the device pages, quitting).
void stopService();
// The worker starts the service on its own thread while the window's stops queue on the call thread; a
// hang can hold both. Starts and stops still take effect in the order they were asked for:
// - a place in that order, taken when a start is asked for (a run of the worker is requested);
quint64 serviceTicket();
// - runs the start `call` in its place: after every stop asked for before the ticket was taken (waiting for
//   them while `abandon` is false), and before any asked for after it. false, with nothing run, when a
//   later stop was asked for first (the service is to be stopped) or the wait was abandoned.
bool startServiceInTurn(quint64 ticket, const std::function<void()>& call,
                        const std::function<bool()>& abandon);
// Starts the selected device's service again with the worker's report handler (after pairing ran the
// receiver's service).
void resumeService();
// Tells the library whether the configuration program is the active one for the mouse.
void setProgramActive(bool active);
// `handler` becomes the one USB-change callback (600 ms period); it replaces the previous one.
void watchUsbChanges(UsbChangeHandler handler);
void stopWatching();
// True when the mouse at `path` answers; a mouse that did not answer in time counts as offline.
bool isOnline(const QString& path);
bool isOnline(const QByteArray& path);
// Sends the current record (ProtocolDataUpdate, serialised with the other senders); false when the library
// refused it or did not answer in time.
bool sendRecord();
// Long-range radio mode of the device at `path`; false when the library refused.
bool setLongRangeMode(const QString& path, bool on);

// Whether the library loaded whole; else the file that was tried and why it failed, for the notice.
bool libraryLoaded();
QString libraryFile();
QString libraryError();
} // namespace DeviceSession
