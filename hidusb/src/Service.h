#pragma once
// One started service: a queue of reports and the thread that hands them to the report callback. Reports
// become due after the link time of the reports queued before them, so the callback sees the emulated wire.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace zf {

using ReportCallback = void (*)(const unsigned char*, int, const unsigned char*, int);
using Clock = std::chrono::steady_clock;

struct Report {
    uint8_t header[5] = {};
    std::vector<uint8_t> data;
    Clock::time_point due;
};

class Service : public std::enable_shared_from_this<Service> {
public:
    Service(std::string path, ReportCallback callback) : path_(std::move(path)), callback_(callback) {}
    ~Service();

    void start();
    // Queues a report that takes `linkUs` of wire time plus `extraUs` of device time before it arrives.
    void post(Report report, long long linkUs, long long extraUs = 0);
    // After this returns no new callback starts. A callback already running is waited for up to `graceMs`;
    // past that (it blocks on the caller, or the caller is the callback itself) the thread is left to end on
    // its own once that callback returns.
    void stop(int graceMs);

    const std::string& path() const { return path_; }

private:
    void run();

    std::string path_;
    ReportCallback callback_;
    std::mutex mutex_;
    std::condition_variable cv_;
    std::deque<Report> queue_;
    Clock::time_point linkFreeAt_{};
    bool stopping_ = false;
    bool finished_ = false;
    std::thread thread_;
};

} // namespace zf
