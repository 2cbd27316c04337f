#pragma once
// Brings the selected device up on its own thread, watches for an offline device coming back, and
// turns the library's reports into record patches and hub news.

#include "app/core/DeviceAllInfo.h"

#include <QElapsedTimer>
#include <QList>
#include <QString>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <climits>
#include <cstdint>
#include <functional>
#include <mutex>

namespace DeviceReports {
// The callback registered with UsbServerC_Start; runs on the library's thread.
void handleReport(const unsigned char* header, int headerLength, const unsigned char* data, int dataLength);

// Milliseconds clock of the reconnection guard; tests replace it. nullptr restores the real clock.
void setClock(std::function<qint64()> clock);
void restartResetTimer();

// "v" + high byte in decimal + "." + low byte as two upper-case hex digits.
QString versionText(uint16_t version);
// Registry value name for the selected model's mouse version; empty when the table has no such row.
QString mouseVersionKey(int32_t row);

// Keys 1-16 whose "KeyParam" default in the model's row is a key sequence ("0x05"); a missing or
// empty entry is not one.
QList<int> defaultSequenceKeys(int32_t row);

extern std::atomic<int> ShowBatteryValue;
// Pair-key watch: active while the key adjustment page runs; marks set on press, cleared by that page.
extern std::atomic<bool> KeyAdjustActive;
extern std::atomic<bool> LeftKeyPressed;
extern std::atomic<bool> RightKeyPressed;
} // namespace DeviceReports

class Worker : public QThread {
    Q_OBJECT
public:
    explicit Worker(QObject* parent = nullptr);
    ~Worker() override;

    // Starts a run now, or right after the one in progress; while a flash may be going, once it is over.
    void requestRun();
    // (Again) subscribes to the hub, behind everyone subscribed so far (the frame, built after the start).
    void subscribeToHub();
    // Factory reset after the user confirmed: clears the mouse's settings and starts a run while
    // `waitNotice` (the pages' modal waiting notice) is shown; the reset report that follows reads the
    // whole record again. false, with the offline notice, when the mouse does not answer.
    bool restoreDefaults(const std::function<void()>& waitNotice);

    // Bounded stop: no more blocking news from the link, wait at most `timeoutMs` for the thread.
    bool shutdown(int timeoutMs = 3000);

    // QThread::wait, then the run lock: Qt orders a thread's end and its wait with futexes that
    // ThreadSanitizer cannot see, and the lock makes everything the run did visibly happen before.
    bool wait(unsigned long ms = ULONG_MAX);

public slots:
    void SlotSelectMouseInfo(DeviceAllInfo SelectInfo);
    void SlotMainPageChange();
    void SlotCheckOnline();

protected:
    void run() override;

private:
    void runOnce();

    QString m_lastPath;
    int m_lastKind = 0;
    QTimer* m_timer = nullptr;
    std::atomic<quint64> m_serviceTicket{0}; // the service's place in its order, at the last request
    std::atomic<bool> m_deferred{false};     // a run asked for while a flash may be going
    std::mutex m_runMutex;                   // guards the two below
    bool m_running = false;
    bool m_runAgain = false;
};
