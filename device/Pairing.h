#pragma once
// Receiver pairing without windows: the pairing state shared with the library's report thread, the
// decisions of the pairing window's three timers, and cable re-pairing. The window only runs the timers
// and shows what these decide, so tests drive every path with a clock of their own.

#include "app/core/DeviceAllInfo.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <atomic>
#include <cstdint>
#include <functional>

namespace Pairing {

enum State : int { NotPaired = 0, InProgress = 1, Succeeded = 2, Failed = 3 };

constexpr int kPairTimerMs = 1000;
constexpr int kUsbTimerMs = 100;
constexpr int kTextTimerMs = 500;
constexpr int kFinderPreset = 5;
// A receiver that never reports an end would otherwise keep the window open and unclosable for ever.
constexpr qint64 kOverallTimeoutMs = 30000;
constexpr uint8_t kPairReportType = 6;

// Process-wide, shared with the library's report thread.
extern std::atomic<int> PairState;
extern std::atomic<bool> PairActive;
extern std::atomic<bool> PagesWereActive;

// Milliseconds of a monotonic clock; tests pass their own.
using Clock = std::function<qint64()>;
qint64 steadyMs();

// The library's pair report callback (any thread): ends pairing on data byte 2 (failure) or 3
// (success), announces it on the hub and gives the device pages back their active state. Short or
// foreign reports and reports after the end are ignored.
void handleReport(const unsigned char* header, int headerLength, const unsigned char* data, int dataLength);

// The paths a finder call returned, the count clamped to the preset and null entries skipped.
QStringList foundPaths(char** paths, int count, int preset = kFinderPreset);

// One pairing attempt as the window's timers see it (GUI thread).
class Attempt {
public:
    explicit Attempt(Clock clock = steadyMs, qint64 timeoutMs = kOverallTimeoutMs);

    // Resets the shared state for a fresh window: nothing paired, nothing running.
    static void resetForWindow();
    // Whether the pair button starts an attempt: not after a success, and only while enabled.
    static bool canStart(bool buttonEnabled);
    // Pair state 1, pairing active, the device pages set inactive (remembered), the clock started.
    void begin();
    enum class Tick { Waiting, ReceiverGone, TimedOut, Over };
    // The pair timer: `receiverFound` tells whether the finder still lists the receiver. Ends the
    // attempt in the failure state when the receiver is gone or the overall time is up.
    Tick pairTick(bool receiverFound);
    // The text timer: the next text of the dot animation ("Pairing" + "", ".", "..", "...", then one
    // tick unchanged).
    QString nextText(const QString& pairing);
    bool closeAllowed() const { return !PairActive.load(); }

private:
    void fail();
    Clock m_clock;
    qint64 m_timeoutMs;
    qint64 m_startedAt = 0;
    int m_dots = 0;
};

// The pairing window's target: the receiver path, its ids, the model's CID and whether it is on the cable.
struct Target {
    QString path, vid, pid;
    uint8_t cid = 0;
    bool wired = false;
};
// Target for a device: the CID from the device's table row, else the device's own, else (a receiver with
// no mouse reports none) the table's one model class; 0 when the table holds several.
Target targetFor(const DeviceAllInfo& device);
// Starts the receiver's service with the pair report handler and puts the receiver into pairing for the
// CID; false when the library refuses either.
bool enter(const Target& target);
// Asks the receiver for its pairing state (answered as a pair report).
void readStatus();
// Whether the finder still lists the receiver's path under its ids.
bool receiverPresent(const Target& target);
// The device list's pairing check behind Space: exactly one listed device, a receiver whose mouse does
// not answer. That entry is then the pairing target.
bool listCandidate(const QList<DeviceAllInfo>& devices, DeviceAllInfo& entry);

// Receiver identity written into a mouse on the cable: address, 0, class code (class 1 -> 0, 2 and 4 -> 1,
// 8 -> 4). Empty for an address that is not three bytes or a class outside 1, 2, 4, 8.
QByteArray receiverIdentity(const QList<uint8_t>& address, int receiverClass);
// Writes the receiver's identity into the mouse on the cable. False when the mouse is not on the cable,
// the receiver is not a receiver, its address cannot be read, or the library refuses the write.
bool rePairOnCable(const DeviceAllInfo& mouse, const DeviceAllInfo& receiver);

} // namespace Pairing
