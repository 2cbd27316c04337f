#include "Service.h"

#include <algorithm>

namespace zf {

Service::~Service() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (thread_.joinable())
        thread_.detach();
}

void Service::start() {
    auto self = shared_from_this();
    // The thread owns a reference, so a service left running past stop() outlives its registry slot.
    std::lock_guard<std::mutex> lock(mutex_);
    thread_ = std::thread([self] { self->run(); });
}

void Service::post(Report report, long long linkUs, long long extraUs) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (stopping_)
        return;
    auto now = Clock::now();
    auto start = std::max(now, linkFreeAt_);
    linkFreeAt_ = start + std::chrono::microseconds(linkUs);
    report.due = linkFreeAt_ + std::chrono::microseconds(extraUs);
    // Device-side delays (pairing) may finish after later reports; keep the queue ordered by due time.
    auto at = std::upper_bound(queue_.begin(), queue_.end(), report.due,
                               [](Clock::time_point t, const Report& r) { return t < r.due; });
    queue_.insert(at, std::move(report));
    cv_.notify_all();
}

void Service::run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        if (stopping_)
            break;
        if (queue_.empty()) {
            cv_.wait(lock);
            continue;
        }
        auto due = queue_.front().due;
        if (Clock::now() < due) {
            cv_.wait_until(lock, due);
            continue;
        }
        Report report = std::move(queue_.front());
        queue_.pop_front();
        lock.unlock();
        if (callback_)
            callback_(report.header, static_cast<int>(sizeof report.header), report.data.data(),
                      static_cast<int>(report.data.size()));
        lock.lock();
    }
    finished_ = true;
    cv_.notify_all();
}

void Service::stop(int graceMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    stopping_ = true;
    queue_.clear();
    cv_.notify_all();
    if (!thread_.joinable())
        return;
    if (thread_.get_id() == std::this_thread::get_id()) {
        thread_.detach();
        return;
    }
    bool done = cv_.wait_for(lock, std::chrono::milliseconds(graceMs), [this] { return finished_; });
    if (!done) {
        // Detached under the lock: the thread may drop the last reference (and run the destructor,
        // which reads thread_) as soon as its callback returns.
        thread_.detach();
        return;
    }
    lock.unlock();
    thread_.join();
}

} // namespace zf
