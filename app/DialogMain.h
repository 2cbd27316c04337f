#pragma once
// The frameless home window: device list (page 0) and main frame (page 1), tray icon, language index.
// Its widgets come from forms/DialogMain.ui. The frame is built right after the window's first paint (or
// at the first click or key, or when asked for, whichever comes first): the list is on screen sooner.
#include "device/DeviceSession.h"

#include <QFont>
#include <QList>
#include <QPoint>
#include <QSystemTrayIcon>
#include <QWidget>
#include <functional>

class QAction;
class QDialog;
class QMenu;
class QStackedWidget;
class Dialog;

namespace Ui {
class DialogMain;
}

class DialogMain : public QWidget {
    Q_OBJECT
public:
    explicit DialogMain(QWidget* parent = nullptr);
    ~DialogMain() override;

    // Builds page 0. The default makes an empty list page named "DialogChange"; the device list
    // installs its own factory before the home window is built.
    using PageFactory = std::function<QWidget*(QWidget* parent)>;
    static void setDeviceListFactory(PageFactory factory);
    // Device-change handlers for the list (page 0) and the worker (page 1); null until they exist.
    static void setUsbChangedHandlers(HidUsbChangedCallback listHandler, HidUsbChangedCallback workerHandler);
    // Run once the frame is built, before the home window subscribes again: whatever subscribed to the
    // hub after the frame's place at start (the list, the worker) subscribes again here, so every signal
    // reaches the frame's pages first, as when the frame was built before them.
    static void setFrameBuiltHandler(std::function<void()> handler);
    // Language-index migration and lookup; returns the process language index.
    static int migrateLanguageIndex();

    // What Space needs from the device link. Unset hooks mean the built-in ones: the pairing window for
    // the selected device, and the device list's own pairing checks.
    struct PairingHooks {
        // The pairing window prepared for the selected device; the home window runs and deletes it.
        std::function<QDialog*(QWidget* parent)> makeWindow;
        // How many devices the list shows, and the list's own pairing checks (they may open the window).
        std::function<int()> listedDevices;
        std::function<void()> listChecks;
    };
    static void setPairingHooks(PairingHooks hooks);
    // Whether a system tray exists; replaceable so both minimise paths can be exercised.
    static void setTrayAvailability(std::function<bool()> available);
    static bool trayAvailable();

    // Both build the frame when it is not built yet.
    QStackedWidget* stack();
    Dialog* frame();
    bool frameBuilt() const { return m_dialog != nullptr; }
    // Scales the window's fonts by `factor` (StartupServices::applyFontScale), the frame's too when it
    // comes.
    void setFontScale(double factor);
    QSystemTrayIcon* trayIcon() const { return m_tray; }
    QMenu* trayMenu() const { return m_menu; }

    // Plain members, not slots: no widget of the form has these names, and the form's connect-by-name
    // pass warns about every on_… slot it cannot match.
    void on_activatedSysTrayIcon(QSystemTrayIcon::ActivationReason reason);
    void on_pushButton_clicked();

public slots:
    void SlotChangeMainDialog(int index);
    void SlotChangeSize(int index);
    void SlotMouseOffLine(int index);
    void slotActionMain();
    void slotActionExitApp();
    void SlotAllLanguage(int index);
    // The firmware repair window over this window (the device list's "Repair" button).
    void SlotRepairCheckUpdate();
    // At start: an upgrade that a previous run left unfinished is offered for repair.
    void offerRepair();
    void SlotUpPageLight() {}
    // Tells the user that the device library could not be loaded, naming the file tried.
    void showLibraryNotice();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildFrame();
    void subscribe();
    void buildTrayMenu();
    void shutDownLibrary();
    void spacePressed();
    Ui::DialogMain* ui;
    QStackedWidget* m_stack;
    Dialog* m_dialog = nullptr;
    QWidget* m_deviceList;
    QList<QMetaObject::Connection> m_hubLinks;
    QObject* m_inputGate = nullptr;
    QFont m_unscaledFont; // the stack's font before scaling: the frame's fonts are scaled from it
    double m_fontScale = 0;
    bool m_exposeWatched = false;
    QSystemTrayIcon* m_tray;
    QMenu* m_menu = nullptr;
    QAction* m_actionMain = nullptr;
    QAction* m_actionExit = nullptr;
    QPoint m_dragOffset;
    QPoint m_pressPos;
    QPoint m_windowPos;
    QString m_imagePath;
    bool m_minimised = false;
    bool m_libraryChecked = false;
};

// Language index of the last offline notice reason (0: offline, otherwise time-out).
extern int g_offlineReason;
