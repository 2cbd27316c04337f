#pragma once
// zentrafoxctl's side of the device link: whether the program holds the devices, which device a
// command means, and one device brought up through the program's own worker and report handler.

#include "app/core/DeviceAllInfo.h"
#include "app/core/FlashDataMap.h"

#include <QList>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class Worker;

namespace Ctl {

// Exit codes: 0 done, 1 refused (one line on standard error), 2 usage.
enum Exit { Done = 0, Refused = 1, Usage = 2 };

// Pid of the program holding the lock file, -1 when held with no pid written yet, 0 when none runs.
qint64 lockHolderPid(const QString& lockFile);

// The running Zentrafox of this session and the device its pages have open (empty: none chosen).
struct Program {
    qint64 pid = 0; // as lockHolderPid
    QString heldPath;
};
// In the session's runtime folder, or in `dir` (tests). A held-device file whose pid is not the lock
// holder's was left by a program that died and names nothing.
Program runningProgram(const QString& dir = QString());

// Every supported device plugged in, in the order `list` numbers them (from 1).
QList<DeviceAllInfo> findDevices();
// The device's name on the command line: the last part of its path ("z1-3395", "dongle1").
QString deviceName(const DeviceAllInfo& device);
QString modelName(const DeviceAllInfo& device); // the table row's "Name", empty without a row
// "cable" or "receiver (class N)".
QString connectionText(const DeviceAllInfo& device);

// Picks the device `wanted` names (an index from 1, a path, a device name or a model name, the names
// compared without case); with an empty wanted the only device plugged in. Fails with the reason.
struct Choice {
    bool found = false;
    Exit failure = Refused;
    QString reason;
    DeviceAllInfo device;
};
Choice chooseDevice(const QList<DeviceAllInfo>& devices, const QString& wanted);

// Runs the event loop until done() is true or the time is up; the last done().
bool waitUntil(const std::function<bool()>& done, int timeoutMs);

// One device brought up as the program's device pages do: the worker starts its service and reads
// the whole record (or, offline, loads the model's cached one). Battery, versions and the active
// profile follow as reports.
class Session : public QObject {
    Q_OBJECT
public:
    Session();
    ~Session() override;

    // False when neither the mouse's record nor a cached one arrived in time.
    bool open(const DeviceAllInfo& device, int timeoutMs = 8000);
    // Waits for the answers to the questions the bring-up asks after the record (DPI light, battery,
    // version, profile), so none lands after a change and puts the old value back into the record. They
    // come within milliseconds; the bound only ends the wait for a mouse that stopped answering.
    void waitForDetails(int timeoutMs = 3000);
    bool online() const;
    // The worker ran: a record arrived, or the mouse is offline with no cached one.
    bool started() const { return m_recordArrived || m_reset; }
    bool fromCache() const { return m_fromCache; }
    FlashDataMap record() const;
    DeviceAllInfo device() const;
    int battery() const { return m_battery; } // -1 until reported
    bool charging() const { return m_charging; }
    int profile() const { return m_profile; } // 0-based, -1 until reported
    int profileCount() const { return m_profileCount; }
    Worker* worker() const { return m_worker.get(); }
    // Keeps the program's offline view current: the record saved as this model's cache.
    void saveCache();
    void close();

    // Report news, for watch.
    std::function<void(bool charging, int level)> onBattery;
    std::function<void(int level)> onDpiLevel;
    std::function<void(int code)> onReportRate;
    std::function<void(int total, int index, bool enabled)> onProfile;
    std::function<void()> onDpiLight;
    std::function<void()> onLightBar;
    std::function<void()> onFullRecord;
    std::function<void()> onDropped;
    std::function<void()> onBackOnline;
    std::function<void(int)> onUpdateParam;

private:
    std::unique_ptr<Worker> m_worker;
    bool m_recordArrived = false;
    bool m_fromCache = false;
    bool m_reset = false;
    bool m_versionArrived = false;
    int m_battery = -1;
    bool m_charging = false;
    int m_profile = -1;
    int m_profileCount = 0;
    bool m_profileReported = false;
    bool m_closed = false;
    // The lighting bytes as last seen: the DPI light from 154, the light bar from 158.
    static constexpr int kDpiLight = 154, kDpiLightBytes = 4, kLightBar = 158, kLightBarBytes = 7;
    uint8_t m_lights[FlashDataMap::kSize] = {};
};

} // namespace Ctl
