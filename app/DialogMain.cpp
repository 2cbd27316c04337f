#include "app/DialogMain.h"
#include "ui_DialogMain.h"

#include "app/Dialog.h"
#include "app/DialogChange.h"
#include "app/StartupServices.h"
#include "app/core/AppPaths.h"
#include "app/core/BusyWait.h"
#include "app/core/IniStores.h"
#include "app/core/Language.h"
#include "app/core/PostMsg.h"
#include "app/notices/SimpleNotices.h"
#include "app/pairing/Match.h"
#include "app/ui/Theme.h"
#include "app/upgrade/UpgradeWindows.h"
#include "device/DeviceSession.h"
#include "device/LinkState.h"
#include "platform/RegistryStore.h"
#include "platform/RuntimeDir.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QMoveEvent>
#include <QStackedWidget>
#include <QThread>
#include <QTimer>
#include <QWindow>
#include <memory>

int g_offlineReason = 0;

namespace {
DialogMain::PageFactory& deviceListFactory() {
    static DialogMain::PageFactory factory;
    return factory;
}
HidUsbChangedCallback g_listHandler = nullptr;
std::function<bool()> g_trayAvailable;
HidUsbChangedCallback g_workerHandler = nullptr;
std::function<void()>& frameBuiltHandler() {
    static std::function<void()> handler;
    return handler;
}
DialogMain::PairingHooks& pairingHooks() {
    static DialogMain::PairingHooks hooks;
    return hooks;
}

// Runs `task` at the first input event anywhere in the program.
class InputGate : public QObject {
public:
    InputGate(std::function<void()> task, QObject* parent) : QObject(parent), m_task(std::move(task)) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::ShortcutOverride:
        case QEvent::Wheel:
        case QEvent::TouchBegin:
            m_task();
            break;
        default:
            break;
        }
        return false;
    }

private:
    std::function<void()> m_task;
};

// zentrafoxctl leaves alone only the device the pages have open. A mouse followed from its receiver
// onto its cable (or back) stays open under its new path, learnt when its record arrives.
void noteHeldDevice(const QString& devicePath) {
    static QString written;
    if (devicePath != written && RuntimeDir::setHeldDevice(devicePath))
        written = devicePath;
}

QString registryKeyPath() {
    const QString app = AppPaths::appName();
    return QStringLiteral("Software/") + app + QLatin1Char('/') + app + QLatin1Char('/') + app;
}

} // namespace

void DialogMain::setDeviceListFactory(PageFactory factory) {
    deviceListFactory() = std::move(factory);
}

void DialogMain::setUsbChangedHandlers(HidUsbChangedCallback listHandler,
                                       HidUsbChangedCallback workerHandler) {
    g_listHandler = listHandler;
    g_workerHandler = workerHandler;
}

void DialogMain::setFrameBuiltHandler(std::function<void()> handler) {
    frameBuiltHandler() = std::move(handler);
}

void DialogMain::setTrayAvailability(std::function<bool()> available) {
    g_trayAvailable = std::move(available);
}

bool DialogMain::trayAvailable() {
    return g_trayAvailable ? g_trayAvailable() : QSystemTrayIcon::isSystemTrayAvailable();
}

void DialogMain::setPairingHooks(PairingHooks hooks) {
    pairingHooks() = std::move(hooks);
}

int DialogMain::migrateLanguageIndex() {
    RegistryStore registry(registryKeyPath());
    bool ok = false;
    const int legacy = registry.value(QStringLiteral("LanguageIndex"), 0).toInt(&ok);
    if (ok && legacy != 0) {
        MacroIniStore::instance().setValue(QStringLiteral("Language"), QStringLiteral("Language"),
                                           QString::number(legacy));
        MacroIniStore::instance().sync();
        registry.remove(QStringLiteral("LanguageIndex"));
    }
    const int index =
        MacroIniStore::instance().value(QStringLiteral("Language"), QStringLiteral("Language")).toInt();
    Language::setCurrentIndex(index);
    return index;
}

DialogMain::DialogMain(QWidget* parent) : QWidget(parent), ui(new Ui::DialogMain) {
    ui->setupUi(this);
    m_stack = ui->stackedWidget;
    m_imagePath = AppPaths::appDir() + QStringLiteral("/Picture/Dialog/");

    Language::load();
    const int index = migrateLanguageIndex();
    // Before the pages are built, so their forms are placed for the language from the start.
    Theme::setLanguageDirection(index);

    // The frame (page 1) comes after the first paint: see buildFrame().
    if (deviceListFactory())
        m_deviceList = deviceListFactory()(m_stack);
    else {
        m_deviceList = new QWidget(m_stack);
        m_deviceList->setObjectName(QStringLiteral("DialogChange"));
        m_deviceList->setAttribute(Qt::WA_StyledBackground);
        m_deviceList->setStyleSheet(QStringLiteral("#DialogChange{border-image: url(") + m_imagePath +
                                    QStringLiteral("BackGround2.png);}"));
    }
    m_stack->addWidget(m_deviceList);
    m_stack->setCurrentWidget(m_deviceList);
    // The device list places its own form for the direction; a stand-in without one is mirrored here.
    Theme::mirrorWithDirection(m_deviceList);

    setWindowFlags(Qt::FramelessWindowHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint);
    setFixedSize(size());
    // The pages' background pictures have rounded corners.
    Theme::makeTranslucent(this, 12);

    PostMsg* hub = PostMsg::instance();
    subscribe();

    m_tray = new QSystemTrayIcon();
    m_tray->setIcon(QIcon(m_imagePath + QStringLiteral("Logo.png")));
    m_tray->setToolTip(AppPaths::appName());
    connect(m_tray, &QSystemTrayIcon::activated, this, &DialogMain::on_activatedSysTrayIcon);

    hub->SendAutoLan();
    hub->SendLanguageSameA(index);
    hub->SendLanguageSameB(index);
    hub->SendAllLanguage(index);
    // Until the frame is built, the first click or key builds it before anything acts on the input.
    m_inputGate = new InputGate([this] { buildFrame(); }, this);
    qApp->installEventFilter(m_inputGate);
}

void DialogMain::subscribe() {
    PostMsg* hub = PostMsg::instance();
    for (const QMetaObject::Connection& link : qAsConst(m_hubLinks))
        disconnect(link);
    m_hubLinks = {
        connect(hub, &PostMsg::SigAllLanguage, this, &DialogMain::SlotAllLanguage),
        connect(hub, &PostMsg::SigChangeMainDialog, this, &DialogMain::SlotChangeMainDialog),
        connect(hub, &PostMsg::SigChangeSize, this, &DialogMain::SlotChangeSize),
        connect(hub, &PostMsg::SigMouseOffLineo, this, &DialogMain::SlotMouseOffLine),
        connect(hub, &PostMsg::SigRepairCheckUpdate, this, &DialogMain::SlotRepairCheckUpdate),
        connect(hub, &PostMsg::SigForm, this,
                [this] {
                    if (m_stack->currentIndex() == 1)
                        noteHeldDevice(SelectedDevice::path());
                }),
    };
}

// The frame with its seven pages is most of the start's work, and nothing of it shows before a device is
// chosen. Built behind the list's first paint, it must still hear the hub as when it was built first:
// - in the same order: those who subscribed after its place at start subscribe again behind it;
// - the start's language signals, sent before it existed: sent once more, which the others take as
//   the same language again.
void DialogMain::buildFrame() {
    if (m_dialog)
        return;
    qApp->removeEventFilter(m_inputGate);
    m_inputGate->deleteLater(); // may be the caller
    m_inputGate = nullptr;
    // Its fonts are scaled from the sizes they would have had under the unscaled window, as at start.
    const QFont scaled = m_stack->font();
    if (m_fontScale > 0)
        m_stack->setFont(m_unscaledFont);
    // Built inside the stack: moved there after construction, every page tree would be restyled once
    // more, decoding its pictures again.
    m_dialog = new Dialog(m_stack);
    m_stack->addWidget(m_dialog);
    if (m_fontScale > 0) {
        StartupServices::applyFontScale(m_dialog, m_fontScale);
        m_stack->setFont(scaled);
    }
    if (frameBuiltHandler())
        frameBuiltHandler()();
    subscribe();
    const int index = Language::currentIndex();
    PostMsg* hub = PostMsg::instance();
    hub->SendAutoLan();
    hub->SendLanguageSameA(index);
    hub->SendLanguageSameB(index);
    hub->SendAllLanguage(index);
}

QStackedWidget* DialogMain::stack() {
    buildFrame();
    return m_stack;
}

Dialog* DialogMain::frame() {
    buildFrame();
    return m_dialog;
}

void DialogMain::setFontScale(double factor) {
    m_unscaledFont = m_stack->font();
    m_fontScale = factor;
    StartupServices::applyFontScale(this, factor);
}

bool DialogMain::eventFilter(QObject* watched, QEvent* event) {
    // The window's first frame is painted while this event is handled: the frame comes right after it.
    if (event->type() == QEvent::Expose && watched == windowHandle() && windowHandle()->isExposed()) {
        watched->removeEventFilter(this);
        QTimer::singleShot(0, this, &DialogMain::buildFrame);
    }
    return QWidget::eventFilter(watched, event);
}

DialogMain::~DialogMain() {
    noteHeldDevice(QString());
    delete m_tray;
    delete m_menu;
    delete ui;
}

void DialogMain::SlotChangeMainDialog(int index) {
    LinkFlags::PageChanged = true;
    noteHeldDevice(index == 1 ? SelectedDevice::path() : QString());
    if (index == 0) {
        PostMsg::instance()->SendSecondPageChange();
        LinkFlags::DevicePagesActive = false;
        PostMsg::instance()->SendMainPageChange();
        DeviceSession::stopService();
        QThread::msleep(100);
        m_stack->setCurrentIndex(0);
        DeviceSession::watchUsbChanges(g_listHandler);
        // Changes seen while the pages were shown went to their handler: without this the list would
        // still offer a mouse that was just unplugged, marked online.
        if (g_listHandler)
            g_listHandler();
    } else if (index == 1) {
        buildFrame();
        m_stack->setCurrentIndex(1);
        DeviceSession::watchUsbChanges(g_workerHandler);
    }
}

void DialogMain::buildTrayMenu() {
    delete m_menu;
    m_menu = new QMenu();
    m_actionMain = m_menu->addAction(Language::text(QStringLiteral("home"), QStringLiteral("OpenMain")));
    m_menu->addSeparator();
    m_actionExit = m_menu->addAction(Language::text(QStringLiteral("home"), QStringLiteral("Exit")));
    if (m_actionMain->text().isEmpty())
        m_actionMain->setText(QStringLiteral("Open"));
    if (m_actionExit->text().isEmpty())
        m_actionExit->setText(QStringLiteral("Exit"));
    connect(m_actionMain, &QAction::triggered, this, &DialogMain::slotActionMain);
    connect(m_actionExit, &QAction::triggered, this, &DialogMain::slotActionExitApp);
    m_tray->setContextMenu(m_menu);
}

void DialogMain::shutDownLibrary() {
    DeviceSession::stopWatching();
    busyWait(200);
    DeviceSession::stopService();
    MacroIniStore::instance().sync();
    ConfigIniStore::instance().sync();
}

void DialogMain::SlotChangeSize(int index) {
    if (index == 0 || index == 1)
        DeviceSession::setProgramActive(false);
    if (index == 0 || index == 2) {
        // Without a tray a hidden window could never be brought back: minimise it the ordinary way.
        if (!trayAvailable()) {
            m_minimised = true;
            showMinimized();
            return;
        }
        hide();
        buildTrayMenu();
        m_tray->show();
    } else if (index == 1 || index == 3) {
        shutDownLibrary();
        close();
        // The window may be hidden while the tray is the only thing left; leave the loop either way.
        qApp->quit();
    }
}

void DialogMain::SlotRepairCheckUpdate() {
    if (findChild<UpDateRepair*>())
        return;   // already open
    buildFrame(); // the windows opened here hear the hub after the frame
    UpDateRepair repair(this);
    repair.placeOver(this, 0, -20);
    repair.exec();
    // The list's cards and the pages' markers follow what the repair changed.
    PostMsg::instance()->SendCheckUpdate();
}

void DialogMain::offerRepair() {
    Upgrade::FailInfo info;
    if (Upgrade::readFailInfo(info))
        QTimer::singleShot(0, this, &DialogMain::SlotRepairCheckUpdate);
}

void DialogMain::SlotMouseOffLine(int index) {
    g_offlineReason = index;
    LinkFlags::WaitingForOnline = true;
    LinkFlags::RestartRequested = true;
    buildFrame();
    MouseOffLine notice(index, this);
    notice.placeOver(this);
    notice.exec();
}

void DialogMain::on_activatedSysTrayIcon(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
    case QSystemTrayIcon::Context:
        if (m_menu)
            m_menu->popup(QCursor::pos());
        break;
    case QSystemTrayIcon::Trigger:
    case QSystemTrayIcon::DoubleClick:
        show();
        if (reason == QSystemTrayIcon::Trigger && m_stack->currentIndex() == 1)
            DeviceSession::setProgramActive(true);
        m_tray->hide();
        break;
    default:
        break;
    }
}

void DialogMain::slotActionMain() {
    on_activatedSysTrayIcon(QSystemTrayIcon::Trigger);
}

void DialogMain::slotActionExitApp() {
    // Leaves like the close button: notifications and the library stopped, settings written.
    m_tray->hide();
    SlotChangeSize(1);
}

void DialogMain::SlotAllLanguage(int index) {
    Theme::setLanguageDirection(index);
    if (!m_actionMain || !m_actionExit)
        return;
    const QString open = Language::text(QStringLiteral("home"), QStringLiteral("OpenMain"), index);
    const QString exit = Language::text(QStringLiteral("home"), QStringLiteral("Exit"), index);
    if (!open.isEmpty())
        m_actionMain->setText(open);
    if (!exit.isEmpty())
        m_actionExit->setText(exit);
}

void DialogMain::on_pushButton_clicked() {
    close();
}

void DialogMain::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!m_dialog && !m_exposeWatched && windowHandle()) {
        m_exposeWatched = true;
        windowHandle()->installEventFilter(this);
    }
    // Without a usable device library the list can only say "No device found": say why, once, over
    // the window the user now sees.
    if (!m_libraryChecked) {
        m_libraryChecked = true;
        if (!DeviceSession::libraryLoaded())
            QTimer::singleShot(0, this, &DialogMain::showLibraryNotice);
    }
}

void DialogMain::showLibraryNotice() {
    buildFrame();
    const QString file = DeviceSession::libraryFile();
    LibraryMissing notice(file, QFileInfo::exists(file), DeviceSession::libraryError(), this);
    notice.placeOver(this);
    notice.exec();
}

void DialogMain::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    // A window manager places the window after it is shown, and may do so after a notice opened over
    // it at start: the notices over this window go along.
    for (NoticeBase* notice : findChildren<NoticeBase*>(QString(), Qt::FindDirectChildrenOnly))
        if (notice->isVisible())
            notice->placeOver(this);
}

void DialogMain::changeEvent(QEvent* event) {
    // Restored after an ordinary minimise: the frame's device is ours again, as after a tray click.
    if (event->type() == QEvent::WindowStateChange && !(windowState() & Qt::WindowMinimized) && m_minimised) {
        m_minimised = false;
        if (m_stack->currentIndex() == 1)
            DeviceSession::setProgramActive(true);
    }
    QWidget::changeEvent(event);
}

void DialogMain::mousePressEvent(QMouseEvent* event) {
    m_pressPos = event->globalPos();
    m_windowPos = pos();
    m_dragOffset = m_pressPos - m_windowPos;
    QWidget::mousePressEvent(event);
}

void DialogMain::mouseMoveEvent(QMouseEvent* event) {
    if ((event->buttons() & Qt::LeftButton) && !isMaximized() && !m_dragOffset.isNull())
        move(event->globalPos() - m_dragOffset);
    QWidget::mouseMoveEvent(event);
}

void DialogMain::mouseReleaseEvent(QMouseEvent* event) {
    m_dragOffset = QPoint(0, 0);
    QWidget::mouseReleaseEvent(event);
}

void DialogMain::keyPressEvent(QKeyEvent* event) {
    if (LinkFlags::Recording) {
        QWidget::keyPressEvent(event);
        return;
    }
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        PostMsg::instance()->SendEnterKey();
        return;
    case Qt::Key_Escape:
    case Qt::Key_F12:
        return;
    case Qt::Key_Space:
        if (!event->isAutoRepeat())
            spacePressed();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

void DialogMain::spacePressed() {
    const PairingHooks hooks = pairingHooks(); // a copy: a hook may install others
    if (m_stack->currentIndex() == 0) {
        auto* list = qobject_cast<DialogChange*>(m_deviceList);
        if (hooks.listedDevices && hooks.listChecks) {
            if (hooks.listedDevices() == 1)
                hooks.listChecks();
        } else if (list && list->devices().size() == 1) {
            list->pairingChecks(g_listHandler);
        }
        return;
    }
    if (m_stack->currentIndex() != 1)
        return;
    std::unique_ptr<QDialog> match;
    buildFrame();
    if (hooks.makeWindow) {
        match.reset(hooks.makeWindow(this));
    } else {
        auto* window = new Match(this);
        window->setUsbChangeHandler(g_workerHandler);
        match.reset(window);
    }
    if (!match)
        return;
    const QPoint centre = mapToGlobal(rect().center());
    match->move(centre.x() - match->width() / 2, centre.y() - match->height() / 2);
    match->exec();
    // Pairing ran the receiver's service; the selected device's service comes back with the worker's
    // report handler.
    DeviceSession::resumeService();
}
