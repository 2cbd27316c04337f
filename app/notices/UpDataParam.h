#pragma once
// "Please wait" notice shown after a full read, a restore or an import. It closes itself when its
// single-shot timer fires (onTimeupDestroy), after waiting for the pages to refill.
#include "app/notices/NoticeBase.h"
#include "app/core/FlashDataMap.h"

#include <QTimer>
#include <functional>

class UpDataParam : public NoticeBase {
    Q_OBJECT
public:
    // Everything the closing logic needs from the device link, injectable so tests drive it with a
    // fake clock. Unset hooks act as "no" / "nothing".
    struct Env {
        std::function<void(int ms)> wait;  // process events for ms (default: real time)
        std::function<bool()> pagesFilled; // sensor, light and button pages all filled
        std::function<void()> clearPagesFilled;
        std::function<bool()> deviceReady;
        std::function<bool()> deviceOnline;
        std::function<bool()> importPending;
        std::function<void()> clearImport;
        std::function<int(FlashDataMap&)> readImport; // 0 ok, 1 broken file, 2 does not fit the device
        // Checks that the mouse answers, then stores and sends the record; false = offline, untouched.
        std::function<bool(const FlashDataMap&)> writeRecord;
        std::function<bool(FlashDataMap&)> loadCache;
        std::function<void()> storeCache;                // current record becomes the device's cached record
        std::function<void(int failure)> showImportFail; // default: InportFail over this dialog
    };

    // Wired to the device link's flags, the selected device's record cache and the current record.
    explicit UpDataParam(QWidget* parent = nullptr);
    UpDataParam(Env env, QWidget* parent = nullptr);

    static Env deviceLinkEnv();
    // Hooks of other subsystems (the configuration import) are set on the dialog before it runs.
    Env& env() { return m_env; }

    // Each opening starts in the plain form; the opener then asks for the waiting form if it wants it.
    // While the dialog is already closing itself, a second opening joins it: its waits already cover
    // the new read, and a nested modal run would leave the outer one unable to end.
    void start(int ms = 2500) {
        if (m_closing)
            return;
        m_waitForDevice = false;
        m_timer.start(ms);
    }
    void setWaitForDevice(bool wait) {
        if (!m_closing)
            m_waitForDevice = wait;
    }
    // A second modal run while one is open returns at once (Rejected) instead of nesting.
    int exec() override;
    const QTimer& timer() const { return m_timer; }

public slots:
    void onTimeupDestroy();

protected:
    void applyTexts(int index) override;

private:
    void closeSteps();
    bool waitForPages(); // up to 12 passes of 500 ms; true when all three pages filled
    Env m_env;
    QTimer m_timer;
    bool m_waitForDevice = false;
    bool m_running = false; // inside exec()
    bool m_closing = false; // inside onTimeupDestroy()
};
