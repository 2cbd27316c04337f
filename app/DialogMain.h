#pragma once
// The frameless home window: device list (page 0) and main frame (page 1), tray icon, language index.
// Its widgets come from forms/DialogMain.ui.
#include "device/DeviceSession.h"

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
    // Language-index migration and lookup; returns the process language index.
    static int migrateLanguageIndex();

    // What Space needs from the device link. Unset hooks mean "no pairing window yet": Space then does
    // nothing.
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

    QStackedWidget* stack() const { return m_stack; }
    Dialog* frame() const { return m_dialog; }
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
    void SlotUpPageLight() {}
    // Tells the user that the device library could not be loaded, naming the file tried.
    void showLibraryNotice();

protected:
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildTrayMenu();
    void shutDownLibrary();
    void spacePressed();
    Ui::DialogMain* ui;
    QStackedWidget* m_stack;
    Dialog* m_dialog;
    QWidget* m_deviceList;
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
