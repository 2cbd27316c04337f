#include "device/DeviceSession.h"

#include "app/core/Logging.h"
#include "device/HidApi.h"
#include "device/LinkState.h"
#include "device/Worker.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <thread>

namespace DeviceSession {
namespace {
constexpr int kUsbChangePeriodMs = 600;

struct Task {
    std::function<void()> call;
    bool done = false;
    bool abandoned = false;
};

// The one thread that makes the window's library calls, in the order they were made.
struct CallThread {
    std::mutex mutex;
    std::condition_variable wake;     // a task was queued
    std::condition_variable finished; // a task ended
    std::deque<std::shared_ptr<Task>> queue;
    bool running = false;
    bool started = false;
    int abandoned = 0; // given up by their waiters and not yet ended
};

thread_local bool t_onCallThread = false;

// Never destroyed: at exit the thread may still be inside the library, and comes back to this.
CallThread& callThread() {
    static CallThread* c = new CallThread;
    return *c;
}

void serve(CallThread* c) {
    t_onCallThread = true;
    std::unique_lock<std::mutex> lock(c->mutex);
    for (;;) {
        c->wake.wait(lock, [c] { return !c->queue.empty(); });
        std::shared_ptr<Task> task = c->queue.front();
        c->queue.pop_front();
        c->running = true;
        lock.unlock();
        task->call();
        task->call = nullptr; // what it holds goes now, not with the last waiter
        lock.lock();
        c->running = false;
        task->done = true;
        if (task->abandoned)
            --c->abandoned;
        // Woken after the unlock, a waiter need not sleep again on the mutex: one wake-up a call, not two.
        lock.unlock();
        c->finished.notify_all();
        lock.lock();
    }
}

bool run(std::function<void()> call, int waitMs, bool isOrder) {
    if (t_onCallThread) { // a library callback that calls back in: waiting for ourselves would never end
        call();
        return true;
    }
    CallThread& c = callThread();
    auto task = std::make_shared<Task>();
    task->call = std::move(call);
    std::unique_lock<std::mutex> lock(c.mutex);
    const bool stuck = c.abandoned > 0;
    if (stuck && !isOrder)
        return false;
    if (!c.started) {
        std::thread(serve, &c).detach();
        c.started = true;
    }
    c.queue.push_back(task);
    lock.unlock();
    c.wake.notify_one();
    lock.lock();
    if (!stuck &&
        c.finished.wait_for(lock, std::chrono::milliseconds(std::max(waitMs, 0)), [&] { return task->done; }))
        return true;
    task->abandoned = true;
    ++c.abandoned;
    return false;
}
} // namespace

bool ask(std::function<void()> call, int waitMs) {
    return run(std::move(call), waitMs, false);
}

bool order(std::function<void()> call, int waitMs) {
    return run(std::move(call), waitMs, true);
}

bool libraryStuck() {
    CallThread& c = callThread();
    std::lock_guard<std::mutex> lock(c.mutex);
    return c.abandoned > 0;
}

void settleBeforeExit(int exitCode, int waitMs, bool othersStuck) {
    CallThread& c = callThread();
    std::unique_lock<std::mutex> lock(c.mutex);
    const bool drained = c.finished.wait_for(lock, std::chrono::milliseconds(std::max(waitMs, 0)),
                                             [&] { return c.queue.empty() && !c.running; });
    lock.unlock();
    if (drained && !othersStuck)
        return;
    qCWarning(lcDevice) << "the device library is stuck in a call: ending without waiting for it";
    std::fflush(nullptr);
    std::_Exit(exitCode);
}

namespace {
struct ServiceOrder {
    std::mutex turn; // held across a start or a stop in the library
    std::mutex mutex;
    std::condition_variable stopped;
    quint64 stopsAsked = 0;
    quint64 stopsDone = 0; // stops run on the call thread, so in the order they were asked for
};

ServiceOrder& serviceOrder() {
    static ServiceOrder* s = new ServiceOrder; // the call thread may come back to it at exit
    return *s;
}
} // namespace

void stopService() {
    ServiceOrder& s = serviceOrder();
    quint64 mine;
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        mine = ++s.stopsAsked;
    }
    order([&s, mine] {
        {
            std::lock_guard<std::mutex> turn(s.turn);
            hid().UsbServer_Exit();
        }
        {
            std::lock_guard<std::mutex> lock(s.mutex);
            s.stopsDone = std::max(s.stopsDone, mine);
        }
        s.stopped.notify_all();
    });
}

quint64 serviceTicket() {
    ServiceOrder& s = serviceOrder();
    std::lock_guard<std::mutex> lock(s.mutex);
    return s.stopsAsked;
}

bool startServiceInTurn(quint64 ticket, const std::function<void()>& call,
                        const std::function<bool()>& abandon) {
    ServiceOrder& s = serviceOrder();
    {
        std::unique_lock<std::mutex> lock(s.mutex);
        while (s.stopsDone < ticket) {
            if (abandon && abandon())
                return false;
            s.stopped.wait_for(lock, std::chrono::milliseconds(100));
        }
    }
    std::lock_guard<std::mutex> turn(s.turn);
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        if (s.stopsAsked > ticket)
            return false;
    }
    call();
    return true;
}

void resumeService() {
    const QByteArray path = SelectedDevice::pathLatin1();
    order(
        [path] { hid().UsbServerC_Start(path.constData(), path.constData(), &DeviceReports::handleReport); });
}

void setProgramActive(bool active) {
    order([active] { hid().UsbServer_SetPCDriverStatus(active ? 1 : 0); });
}

void watchUsbChanges(UsbChangeHandler handler) {
    order([handler] { hid().StartUsbChanged(handler, kUsbChangePeriodMs); });
}

void stopWatching() {
    order([] { hid().StopUsbChanged(); });
}

bool isOnline(const QString& path) {
    return isOnline(path.toLatin1());
}

bool isOnline(const QByteArray& path) {
    bool online = false;
    askFor(online, [path] { return hid().UsbFinderC_GetDeviceOnLine(path.constData()) != 0; });
    return online;
}

bool sendRecord() {
    int sent = 0;
    askFor(sent, [] { return CurrentRecord::send(); });
    return sent != 0;
}

bool setLongRangeMode(const QString& path, bool on) {
    const QByteArray p = path.toLatin1();
    int answer = 0;
    askFor(answer, [p, on] { return hid().UsbFinderC_SetLongRangeMode(p.constData(), on ? 1 : 0); });
    return answer != 0;
}

bool libraryLoaded() {
    return HidLibrary::loaded();
}

QString libraryFile() {
    return HidLibrary::fileName();
}

QString libraryError() {
    return HidLibrary::errorText();
}
} // namespace DeviceSession
