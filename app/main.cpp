#include "app/DialogChange.h"
#include "app/DialogMain.h"
#include "app/StartupServices.h"
#include "app/core/AppPaths.h"
#include "app/core/DeadWriters.h"
#include "app/core/IniStores.h"
#include "app/core/Language.h"
#include "app/core/LanguageQt.h"
#include "app/core/Logging.h"
#include "app/core/PostMsg.h"
#include "app/notices/ExeIsRun.h"
#ifdef ZF_SELF_UPDATE
#include "app/update/UpdateCheck.h"
#endif
#include "app/ui/QtDialogDates.h"
#include "app/ui/Theme.h"
#include "device/DevicePagesLink.h"
#include "device/DeviceSession.h"
#include "device/RecordCheck.h"
#include "device/Worker.h"
#include "platform/Autostart.h"
#include "platform/ScreenMetrics.h"
#include "sensor/DpiCodec.h"

#include <QApplication>
#include <QIcon>
#include <QScreen>
#include <QTimer>
#include <QWindow>

namespace {

void setWindowIcon() {
    QApplication::setWindowIcon(QIcon::fromTheme(AppPaths::desktopId(), QIcon(AppPaths::iconFile())));
}

// Runs a task once, queued behind the window's first expose, so after its first frame is painted.
class AfterFirstExpose : public QObject {
public:
    AfterFirstExpose(QWindow* window, void (*task)()) : QObject(window), m_task(task) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Expose && static_cast<QWindow*>(watched)->isExposed()) {
            watched->removeEventFilter(this);
            QTimer::singleShot(0, this, [this] {
                m_task();
                deleteLater();
            });
        }
        return false;
    }

private:
    void (*m_task)();
};

} // namespace

int main(int argc, char** argv) {
    // Earlier builds kept the per-user folder under ~/AppData/Local: bring the user's macros and caches
    // along.
    AppPaths::migrateLegacyUserData();
    StartupServices::createUserFolders();
    DeadWriters::removeLeftovers();
    MacroIniStore::instance();

    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling, false);
    QCoreApplication::setAttribute(Qt::AA_UseHighDpiPixmaps, false);
    const QString scale = StartupServices::scaleFactorFor(ScreenMetrics::desktopWidthPixels());
    if (!scale.isEmpty())
        qputenv("QT_SCALE_FACTOR", scale.toLatin1());

    // No window draws with OpenGL: without this the X11 platform sets up GLX at the first window, a
    // quarter of the start's CPU time and half its memory. A user's own choice stands.
    if (!qEnvironmentVariableIsSet("QT_XCB_GL_INTEGRATION"))
        qputenv("QT_XCB_GL_INTEGRATION", "none");

    const QString root = AppPaths::userDataRoot();
    StartupServices::pruneOldFiles(root + QStringLiteral("/Log"));
    StartupServices::pruneOldFiles(root + QStringLiteral("/Exception"));

    QApplication app(argc, argv);
    // Ties the windows to the installed .desktop entry (task bars, Wayland) and names their icon.
    QGuiApplication::setDesktopFileName(AppPaths::desktopId());
    // Opened once the application object knows the executable's folder, before any window or thread.
    ConfigIniStore::instance();
    // Once, before any window: every widget and Qt's own dialogs take the look from here.
    Theme::apply(app);
    // Qt's own dialogs in the stored language from the first notice on, and in each language chosen later.
    LanguageQt::apply(
        MacroIniStore::instance().value(QStringLiteral("Language"), QStringLiteral("Language")).toInt(),
        Language::enabledOptionKeys());
    QObject::connect(PostMsg::instance(), &PostMsg::SigAllLanguage, &app,
                     [](int index) { LanguageQt::apply(index, Language::enabledOptionKeys()); });
    QtDialogDates::install(app);
    RecordCheck::setDpiDecoder(&DpiCodec::decodeForRow);
    QScreen* screen = QGuiApplication::primaryScreen();
    const double fontFactor = screen ? screen->logicalDotsPerInchX() / 96.0 : 1.0;

    static StartupServices::SingleInstance instance(AppPaths::appName());
    if (!instance.acquire()) {
        qCInfo(lcShell, "Zentrafox is already running");
        setWindowIcon();
        ExeIsRun notice;
        // Lets headless checks of the second-instance path end without a click.
        const int autoCloseMs = qEnvironmentVariableIntValue("ZF_NOTICE_AUTOCLOSE_MS");
        if (autoCloseMs > 0)
            QTimer::singleShot(autoCloseMs, &notice, &QDialog::reject);
        notice.exec();
        return 0;
    }

    // One worker for the device pages; the device list starts it on a choice, the pages on a replug.
    Worker* worker = nullptr;
    DialogChange* list = nullptr;
    DialogMain::setDeviceListFactory([&worker, &list](QWidget* parent) -> QWidget* {
        list = new DialogChange(parent);
        list->setAttribute(Qt::WA_StyledBackground);
        list->setBackground(AppPaths::appDir() + QStringLiteral("/Picture/Dialog/BackGround2.png"));
        worker = new Worker;
        list->setWorker(worker);
        DevicePagesLink::setWorker(worker);
        list->startWatching();
        return list;
    });
    DialogMain::setUsbChangedHandlers(&DialogChange::usbChanged, &DevicePagesLink::usbChanged);
    // Subscribed after the frame's place at start: behind the frame again once it is built.
    DialogMain::setFrameBuiltHandler([&worker, &list] {
        if (list)
            list->subscribeToHub();
        if (worker)
            worker->subscribeToHub();
    });
    // The frame installed it when it was built first; it now comes after the first paint.
    StartupServices::installCrashHandler();

    DialogMain window;
    window.setFontScale(fontFactor > 0 ? 1.0 / fontFactor : 1.0);
    // Started with the session: into the tray where there is one, else on the screen as usual.
    if (app.arguments().contains(Autostart::startHiddenArgument()) && DialogMain::trayAvailable()) {
        window.SlotChangeSize(2);
        setWindowIcon();
    } else {
        window.show();
        // Finding the icon in the icon theme reads the themes' index files: it waits until the first
        // window is on screen, and the window manager takes the icon when it comes.
        if (QWindow* handle = window.windowHandle())
            handle->installEventFilter(new AfterFirstExpose(handle, &setWindowIcon));
        else
            setWindowIcon();
        window.offerRepair();
    }
    qCInfo(lcShell, "Zentrafox home window shown");
#ifdef ZF_SELF_UPDATE
    // After the single-instance test, so a second start never downloads; in the background, so a slow
    // or silent server never holds the window back.
    UpdateCheck::runInBackground(&window);
#endif
    const int rc = app.exec();
    DevicePagesLink::saveCache();
    bool workerStuck = false;
    if (worker) {
        // A worker still stuck in the library is left to the process exit rather than destroyed running.
        workerStuck = !worker->shutdown();
        if (!workerStuck)
            delete worker;
    }
    // A library stuck in a call neither keeps the process alive nor returns into destroyed statics.
    DeviceSession::settleBeforeExit(rc, DeviceSession::kAnswerWaitMs, workerStuck);
    return rc;
}
