#include "ctl/Watch.h"

#include "app/core/PostMsg.h"
#include "ctl/Link.h"
#include "device/DevicePagesLink.h"
#include "device/DeviceSession.h"
#include "device/DeviceTable.h"
#include "device/Discovery.h"
#include "device/LinkState.h"
#include "device/Worker.h"
#include "sensor/DpiCodec.h"
#include "sensor/SensorCapability.h"
#include "sensor/SensorRules.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTime>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace Ctl {
namespace {
int g_signalPipe[2] = {-1, -1};

extern "C" void onSignal(int) {
    const char byte = 1;
    // Only an async-signal-safe write here; the event loop picks it up.
    [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[1], &byte, 1);
}

bool g_attached = true;
DeviceAllInfo g_watched;

// USB changes while watching: followed as the device pages follow them while the device is there;
// once it is gone, its path is looked for again.
void usbChanged() {
    if (PostMsg::shuttingDown() || !QCoreApplication::instance())
        return;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [] {
            if (g_attached) {
                DevicePagesLink::refresh();
                return;
            }
            for (const DeviceAllInfo& d : findDevices()) {
                if (d.path != g_watched.path || !d.online)
                    continue;
                g_attached = true;
                PostMsg::instance()->SendSelectMouseInfo(d);
                LinkFlags::LastStartOnline = false;
                if (Worker* w = DevicePagesLink::currentWorker())
                    w->requestRun();
                PostMsg::instance()->SendChangeMainDialog(1);
                return;
            }
        },
        Qt::QueuedConnection);
}
} // namespace

int watch(Session& session, QTextStream& out) {
    g_watched = session.device();
    g_attached = true;
    const auto say = [&out](const QString& line) {
        out << QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz")) << "  " << line << '\n';
        out.flush();
    };
    session.onBattery = [say](bool charging, int level) {
        say(QStringLiteral("battery %1%%2")
                .arg(level)
                .arg(charging ? QStringLiteral(", charging") : QString()));
    };
    session.onDpiLevel = [say](int level) {
        const int dpi = DpiCodec::decodeX(SensorCapability::current(), CurrentRecord::snapshot(), level);
        say(QStringLiteral("dpi level %1: %2 DPI").arg(level + 1).arg(dpi));
    };
    session.onReportRate = [say](int code) {
        const int index = SensorRules::rateIndexOfCode(code);
        say(index >= 0 ? QStringLiteral("report rate %1 Hz").arg(SensorRules::rateAt(index))
                       : QStringLiteral("report rate code %1").arg(code));
    };
    session.onProfile = [say](int total, int index, bool enabled) {
        if (enabled)
            say(QStringLiteral("profile %1 of %2").arg(index + 1).arg(total));
    };
    session.onDpiLight = [say] { say(QStringLiteral("dpi light changed")); };
    session.onLightBar = [say] { say(QStringLiteral("light bar changed")); };
    session.onDropped = [say] { say(QStringLiteral("offline")); };
    session.onBackOnline = [say] { say(QStringLiteral("online")); };
    session.onUpdateParam = [say](int index) {
        if (index == 1)
            say(QStringLiteral("reconnected"));
    };
    session.onFullRecord = [say] { say(QStringLiteral("settings read")); };
    QObject::connect(PostMsg::instance(), &PostMsg::SigChangeMainDialog, &session, [&, say](int page) {
        if (page == 0 && g_attached) {
            g_attached = false;
            say(QStringLiteral("unplugged"));
        } else if (page == 1) {
            say(QStringLiteral("plugged in"));
        }
    });

    if (::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return Refused;
    QSocketNotifier notifier(g_signalPipe[0], QSocketNotifier::Read);
    bool stop = false;
    QObject::connect(&notifier, &QSocketNotifier::activated, [&stop] { stop = true; });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);

    const DeviceAllInfo d = session.device();
    say(QStringLiteral("watching %1 (%2, %3, %4); Ctrl+C stops")
            .arg(deviceName(d), modelName(d), connectionText(d),
                 session.online() ? QStringLiteral("online") : QStringLiteral("offline")));
    DeviceSession::watchUsbChanges(&usbChanged);
    waitUntil([&stop] { return stop; }, INT_MAX);
    DeviceSession::stopWatching();
    ::signal(SIGINT, SIG_DFL);
    ::signal(SIGTERM, SIG_DFL);
    session.close();
    say(QStringLiteral("stopped"));
    return Done;
}

} // namespace Ctl
