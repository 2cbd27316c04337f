#pragma once
// Firmware upgrade without windows: the failure record that outlives a run, the upgrade log, the repair
// check, the progress mapping and the run itself (a mouse stage, a receiver stage, or the mouse stage
// followed by the receiver stage). The windows show what a run reports; tests drive it directly.

#include "app/core/DeviceAllInfo.h"
#include "device/FirmwareImage.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>
#include <atomic>

namespace Upgrade {
enum ImageState { None = 0, Flashing = 1, Done = 2, Failed = 3, NoImage = 4 };

// "UpdateFailInfo": image type of the failed stage (211/210), receiver class, CID, MID.
struct FailInfo {
    int type = 0;
    int receiverClass = 0;
    int cid = 0;
    int mid = 0;
};
QString failInfoName(); // "UpdateFailInfo"
// Exactly four comma-separated decimal fields, each 0 … 255; false for anything else.
bool parseFailInfo(const QString& text, FailInfo& out);
bool readFailInfo(FailInfo& out);
void writeFailInfo(const FailInfo& info);
void clearFailInfo();

// UserDataRoot + "/Exception/UpDateLog.txt"; lines are appended, a failed run's lines stay.
QString logPath();
void log(const QString& line);

// Percent of the whole run: halved when two images are planned, +50 in the receiver stage.
int overallPercent(int percent, int plannedImages, bool receiverStage);
// Receiver class of a connection kind (0 -> 1, 4 -> 2, 1 -> 4, 5 -> 8, else 0); for a wired selection
// with exactly two listed devices, the first listed device behind a receiver decides.
int receiverClassFor(const DeviceAllInfo& selected, const QList<DeviceAllInfo>& listed);

// What a run flashes and for which model.
struct Plan {
    uint8_t cid = 0;
    uint8_t mid = 0;
    int receiverClass = 0;
    QString mouseName;    // the row's "MM"
    QString receiverName; // the row's "DM"/"D2M"/"D4M"/"D8M" for the class
    QString receiverPath; // the receiver in reach, when one is
    QString mouseVersion; // current versions ("v1.05"); empty = any image
    QString receiverVersion;
    bool mouseStage = false;
    bool receiverStage = false;
    int plannedImages() const { return int(mouseStage) + int(receiverStage); }
};
// A plan for the selected device's model; the stages are those asked for.
Plan planFor(const DeviceAllInfo& selected, const QList<DeviceAllInfo>& listed, bool mouse, bool receiver);

struct RepairCheck {
    bool needed = false; // a failure record of four fields exists
    QString problem;     // language key of what stops the repair; empty when it can run
    Plan plan;
};
RepairCheck checkRepair(const QList<DeviceAllInfo>& devices);
RepairCheck checkRepair(const FailInfo& info, const QList<DeviceAllInfo>& devices);

// The longest a flash can take. The largest image the image tool writes (16 MiB) is 262144 reports of 64
// bytes: 262 s at USB full speed's one report a millisecond; the shipped ones (64 KiB) take about 1 s.
constexpr int kFlashLimitMs = 5 * 60 * 1000;
// A flash the library was handed is over at its end status, or when it never reports one, this long after
// it was handed over (tests shorten it). Until then `LinkFlags::UpgradeIdle` stays false, even after its run
// gave up following it: the device may still be in its boot loader.
void setFlashLimit(int ms);
// A flash handed to the library has not yet reported its end, and is within its limit.
bool libraryFlashing();

// Tells the windows, on the GUI thread, when no flash handed to the library may still be going.
class FlashWatch : public QObject {
    Q_OBJECT
public:
    static FlashWatch* instance(); // made by the first run, on the GUI thread

signals:
    void over();

private:
    FlashWatch() = default;
    // Looks again now, and when the earliest flash still going runs out.
    Q_INVOKABLE void settle();
    friend class Run;
};

// One run. Each stage: find the image and count the devices that would take it (exactly one must), start
// the flash, then follow the library's progress until its end status, a stall or the overall limit. A
// finished mouse stage goes on to the receiver stage when one is planned. `LinkFlags::UpgradeIdle` is false
// while a run goes and while the library may still be flashing (above).
class Run : public QObject {
    Q_OBJECT
public:
    explicit Run(QObject* parent = nullptr);
    ~Run() override;
    static constexpr int kCheckIntervalMs = 1000;
    static constexpr int kLibraryTimeoutMs = 10000; // per-packet answer time given to the library
    // A flash that reports nothing for this long, or lasts longer than the limit, has failed.
    void setTimeouts(int stallMs, int limitMs);
    void setCheckInterval(int ms);

    bool start(const Plan& plan);
    bool running() const { return m_running; }
    ImageState state(uint8_t type) const;
    // 0 the image, 1 the boot-device count, 2 the start of the flash, 3 flashing.
    int stage() const { return m_stage; }

signals:
    void progress(int percent); // of the whole run
    // A stage could not start: "NotDevice" (no device takes the image), "SameDevice" (more than one),
    // "Error" (the library refused the image or did not answer in time), "ErrorFile" (no image). Emitted with
    // the timer stopped.
    void warning(const QString& key);
    void stageFinished(int type, const QString& version); // version text "v1.06" of the flashed image
    void finished(bool ok);

private:
    void step();
    void refuse(const QString& why); // a stage that could not start: "Error", nothing was flashed
    // A status of the flash of `generation`; the library's thread queues it here.
    Q_INVOKABLE void onStatus(int generation, int kind, int value);
    void endStage(bool ok);
    void finish(bool ok);
    uint8_t currentType() const;

    Plan m_plan;
    bool m_running = false;
    bool m_receiverStage = false;
    int m_stage = 0;
    FirmwareImage::Image m_image;
    QTimer m_timer;
    QElapsedTimer m_sinceStatus, m_sinceStart;
    int m_stallMs = kLibraryTimeoutMs;
    int m_limitMs = kFlashLimitMs;
    std::atomic<int> m_state[2]; // mouse, receiver: ImageState, written by the library's thread too
    std::atomic<int> m_generation{0};

    friend void flashStatus(int slot, const unsigned char* status, int length);
};
} // namespace Upgrade
