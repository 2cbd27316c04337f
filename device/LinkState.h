#pragma once
// Process-wide state of the device link: the current record, the selected device and the flags that
// the worker, the report handler and the pages share. The record and the selected device are guarded
// by a mutex that is never held across a hub emission; the flags are atomics.

#include "app/core/DeviceAllInfo.h"
#include "app/core/FlashDataMap.h"

#include <QByteArray>
#include <QString>
#include <atomic>
#include <mutex>

namespace LinkFlags {
extern std::atomic<bool> RunRequested;
extern std::atomic<bool> DeviceOnline;
extern std::atomic<bool> DeviceReady;
extern std::atomic<bool> LastStartOnline;
extern std::atomic<bool> Restoring;
extern std::atomic<bool> WaitingForOnline;
extern std::atomic<bool> Parsing;
extern std::atomic<bool> RestartRequested;
extern std::atomic<bool> DevicePagesActive;
extern std::atomic<bool> Reconnected;
extern std::atomic<bool> ReconcileMacros;
extern std::atomic<bool> SkipReceiverQuery;
extern std::atomic<bool> UpgradeIdle;
extern std::atomic<bool> PageChanged; // set by the home window on every page switch
// An import or a factory reset rewrites the whole record: the online check keeps off the device until
// it is over, so no restart or dropped-mouse finding cuts into it.
extern std::atomic<bool> Busy;

// Loading flags of the pages: raised while a page fills its controls from a record, so that filling
// writes nothing back and a failed write raises no offline notice.
extern std::atomic<bool> SensorLoading;
extern std::atomic<bool> LightLoading;
extern std::atomic<bool> ButtonLoading;
// "Filled" flags of the pages, cleared when a new full record arrives so each page refills.
extern std::atomic<bool> SensorFilled;
extern std::atomic<bool> LightFilled;
extern std::atomic<bool> ButtonFilled;
// Macro recording in progress (owned by the macro editor).
extern std::atomic<bool> Recording;

inline bool anyPageLoading() {
    return SensorLoading || LightLoading || ButtonLoading;
}
void resetAll(); // back to the start-up values, the record's owner forgotten (tests)

// Raises `Busy` for its lifetime and puts back what it found, so an import inside a reset nests.
class BusyScope {
public:
    BusyScope() : m_previous(Busy.exchange(true)) {}
    ~BusyScope() { Busy = m_previous; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    bool m_previous;
};
} // namespace LinkFlags

// The current record. Readers take a copy; writers patch it under the lock.
class CurrentRecord {
public:
    static FlashDataMap snapshot();
    // Replaces the bytes; whose record it is stays as it was (an import or a test).
    static void replace(const FlashDataMap& record);
    // Replaces the record with one read from, or cached for, the model with these ids.
    static void replace(const FlashDataMap& record, uint8_t cid, uint8_t mid);
    // Forgets whose record it is: a new device was selected and nothing of it has been read yet.
    static void forgetOwner();
    // A copy with the ids of the model it belongs to; false when none was read or loaded since the
    // last selection.
    static bool ownedSnapshot(FlashDataMap& out, uint8_t& cid, uint8_t& mid);
    // Sends the record as it stands at this moment (ProtocolDataUpdate), one send at a time: a copy taken
    // before another thread's change and sent after it would write the older bytes back over the mouse.
    static int send();
    // Runs f(record&) under the lock; f must not emit hub signals or call into the library.
    template <typename F> static auto modify(F&& f) -> decltype(f(std::declval<FlashDataMap&>())) {
        std::lock_guard<std::mutex> lock(mutex());
        return f(storage());
    }

private:
    // A standard mutex so ThreadSanitizer sees the locking (Qt is not instrumented).
    static std::mutex& mutex();
    static FlashDataMap& storage();
    struct Owner {
        bool known = false;
        uint8_t cid = 0;
        uint8_t mid = 0;
    };
    static Owner& owner();
};

// The selected device: replaced by the GUI thread, read by the report thread. Handed out as copies.
class SelectedDevice {
public:
    static DeviceAllInfo get();
    static void set(const DeviceAllInfo& info);
    static QString path();
    static QByteArray pathLatin1();
    static void setOnline(bool online);
    static void setMouseVersion(const QString& version);
};
