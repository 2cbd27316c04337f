#include "platform/CrashHandler.h"

#include <QByteArray>
#include <QDateTime>
#include <QDir>
#include <QFile>

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

void onFatal(int sig) {
    char path[4096];
    time_t now = time(nullptr);
    struct tm local;
    localtime_r(&now, &local);
    char stamp[32];
    strftime(stamp, sizeof stamp, "%Y_%m_%d_%H_%M_%S", &local);
    snprintf(path, sizeof path, "%s/%s.dmp", g_exceptionDir.constData(), stamp);
    ::mkdir(g_exceptionDir.constData(), 0755);
    const int fd = ::open(path, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd >= 0) {
        char head[64];
        snprintf(head, sizeof head, "signal %d\n", sig);
        writeAll(fd, head);
        void* frames[64];
        const int count = backtrace(frames, 64);
        backtrace_symbols_fd(frames, count, fd);
        ::close(fd);
    }
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
