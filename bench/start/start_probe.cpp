// Preloaded into a Qt program by run.py: writes the monotonic time at which the first top-level window
// has been painted and the process's CPU time by then, then ends the program in the ordinary way after
// ZF_PROBE_SETTLE_MS, so that the measured start needs no hook in the program itself. Lines go to the
// descriptor in ZF_PROBE_FD.
#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWindow>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <unistd.h>

#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#define ZF_PROBE_DUMP() CALLGRIND_DUMP_STATS_AT("painted")
#else
#define ZF_PROBE_DUMP() ((void)0)
#endif

namespace {

long long clockNs(clockid_t clock) {
    timespec ts{};
    clock_gettime(clock, &ts);
    return ts.tv_sec * 1000000000LL + ts.tv_nsec;
}

void report(const char* what, long long value) {
    const int fd = std::atoi(qgetenv("ZF_PROBE_FD").constData());
    if (fd <= 2)
        return;
    char line[96];
    const int n = std::snprintf(line, sizeof line, "%s %lld\n", what, value);
    if (n > 0 && ::write(fd, line, static_cast<size_t>(n)) < 0)
        return;
}

class FirstExpose : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!m_done && event->type() == QEvent::Expose) {
            auto* window = qobject_cast<QWindow*>(watched);
            if (window && window->isTopLevel() && window->isExposed()) {
                m_done = true;
                // Queued behind the expose: runs once the window's first frame has been painted.
                QTimer::singleShot(0, [] {
                    // Under callgrind: the instructions up to here go to a file of their own.
                    ZF_PROBE_DUMP();
                    report("painted", clockNs(CLOCK_MONOTONIC));
                    // CPU time of all threads so far: less disturbed than wall time on a busy machine.
                    report("cpu", clockNs(CLOCK_PROCESS_CPUTIME_ID));
                    const int settle = qEnvironmentVariableIsSet("ZF_PROBE_SETTLE_MS")
                                           ? qEnvironmentVariableIntValue("ZF_PROBE_SETTLE_MS")
                                           : 300;
                    if (settle >= 0)
                        QTimer::singleShot(settle, qApp, &QCoreApplication::quit);
                });
            }
        }
        return false;
    }

private:
    bool m_done = false;
};

void install() {
    qApp->installEventFilter(new FirstExpose(qApp));
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(install)
