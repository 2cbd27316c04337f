#include "platform/CrashHandler.h"

#include <QByteArray>
#include <QDateTime>
#include <QDir>
#include <QFile>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <execinfo.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// Prepared at install time: nothing allocating may run inside the handler.
QByteArray g_exceptionDir;
const int kSignals[] = {SIGSEGV, SIGABRT, SIGFPE, SIGILL, SIGBUS};

void writeAll(int fd, const char* text) {
    size_t left = std::strlen(text);
    while (left > 0) {
        const ssize_t n = ::write(fd, text, left);
        if (n <= 0)
            return;
        text += n;
        left -= static_cast<size_t>(n);
    }
}

// Writes the dump beside its final name and links it into place: a reader never sees half a dump, and
// a second crash within the same second takes the next free name ("…_ss_1.dmp") instead of replacing
// the first. Only async-signal-safe calls.
void writeDump(int sig) {
    time_t now = time(nullptr);
    struct tm local;
    localtime_r(&now, &local);
    char stamp[32];
    strftime(stamp, sizeof stamp, "%Y_%m_%d_%H_%M_%S", &local);
    char tmp[4096];
    snprintf(tmp, sizeof tmp, "%s/.%s.%ld.part", g_exceptionDir.constData(), stamp, long(getpid()));
    ::mkdir(g_exceptionDir.constData(), 0755);
    const int fd = ::open(tmp, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return;
    char head[64];
    snprintf(head, sizeof head, "signal %d\n", sig);
    writeAll(fd, head);
    void* frames[64];
    const int count = backtrace(frames, 64);
    backtrace_symbols_fd(frames, count, fd);
    ::fsync(fd);
    ::close(fd);
    char path[4096];
    for (int n = 0; n < 1000; ++n) {
        if (n == 0)
            snprintf(path, sizeof path, "%s/%s.dmp", g_exceptionDir.constData(), stamp);
        else
            snprintf(path, sizeof path, "%s/%s_%d.dmp", g_exceptionDir.constData(), stamp, n);
        if (::link(tmp, path) == 0)
            break;
        if (errno != EEXIST) { // a file system without hard links: move it, still never over a dump
            if (::access(path, F_OK) != 0 && ::rename(tmp, path) == 0)
                return;
            break;
        }
    }
    ::unlink(tmp);
}

void onFatal(int sig) {
    writeDump(sig);
    // A handler that returned would fault again on the same instruction.
    std::signal(sig, SIG_DFL);
    std::raise(sig);
}
} // namespace

QString CrashHandler::dumpPathFor(const QString& userDataRoot) {
    return userDataRoot + QStringLiteral("/Exception/") +
           QDateTime::currentDateTime().toString(QStringLiteral("yyyy_MM_dd_hh_mm_ss")) +
           QStringLiteral(".dmp");
}

void CrashHandler::install(const QString& userDataRoot) {
    const QString dir = userDataRoot + QStringLiteral("/Exception");
    QDir().mkpath(dir);
    g_exceptionDir = QFile::encodeName(dir);
    void* frames[1];
    backtrace(frames, 1); // loads libgcc now rather than inside the handler
    for (int sig : kSignals) {
        struct sigaction sa;
        std::memset(&sa, 0, sizeof sa);
        sa.sa_handler = onFatal;
        sigemptyset(&sa.sa_mask);
        sigaction(sig, &sa, nullptr);
    }
}
