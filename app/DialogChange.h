#pragma once
// The device list: one picture button per found device with its online mark, paged three at a time.
// Choosing a device makes it the selected device and brings the device pages up.

#include "app/core/DeviceAllInfo.h"
#include "device/DeviceSession.h"

#include <QHash>
#include <QIcon>
#include <QImage>
#include <QList>
#include <QTimer>
#include <QWidget>

class QToolButton;
class QuestiondialogB;
class Worker;

namespace Ui {
class DialogChange;
}

class DialogChange : public QWidget {
    Q_OBJECT
public:
    static constexpr int kPerPage = 3;
    // The Repair picture's ends that keep their size: the wrench (40 px) and the rounded end (16 px).
    static constexpr int kRepairEnds = 40 + 16;

    explicit DialogChange(QWidget* parent = nullptr);
    ~DialogChange() override;

    void setWorker(Worker* worker) { m_worker = worker; }
    // The list's background, stretched over it: drawn from the raw pixels kept beside the PNG when they
    // can be mapped, else by a style sheet naming the PNG.
    void setBackground(const QString& png);
    // (Again) subscribes to the hub, behind everyone subscribed so far (see
    // DialogMain::setFrameBuiltHandler).
    void subscribeToHub();
    // Makes this window's refresh the library's USB-change callback.
    void startWatching();
    const QList<DeviceAllInfo>& devices() const { return m_devices; }
    int page() const { return m_page; }
    int pageCount() const;
    // The list's order: the same mouse keeps its place from start to start and across cable and receiver.
    static void sortForList(QList<DeviceAllInfo>& devices);
    // Space with one listed device: a receiver whose mouse does not answer opens the pairing window
    // for it; `usbHandler` is registered again when that window closes.
    void pairingChecks(DeviceSession::UsbChangeHandler usbHandler);
    // Whether the last chosen device has a newer (or other) mouse image in "/bin".
    bool mouseImageAvailable() const { return m_mouseImageAvailable; }

public slots:
    void SlotAutoLan();
    void SlotSameLanguageA(int index);
    void on_comboBox_activated(int index);
    void SlotRefresh();
    void SlotSelect(int index);
    void SlotEnterKey();
    // The arrows: back and forward in a left-to-right language, the other way round in a right-to-left one.
    void SlotPageLeft();
    void SlotPageRight();
    void on_RepairButton_clicked();
    // After a repair or an upgrade run: true when it finished; the Repair button is shown only while an
    // unfinished upgrade is recorded.
    void SlotUpDateButton(bool IsHide);

protected:
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

public:
    // The library's USB-change callback while the list is shown (any thread; queues a refresh).
    static void usbChanged();

private:
    static QString label(const char* key, const char* fallback);
    void retranslate();
    void placeLanguageBox();
    void redraw();
    bool readsLeftward() const;
    void enableArrows();
    void turnPage(int step);
    QIcon cardIcon(const QString& picture);
    void applyStyle();
    void checkMouseImage(const DeviceAllInfo& chosen);

    Ui::DialogChange* ui = nullptr;
    QList<DeviceAllInfo> m_devices;
    QList<QToolButton*> m_buttons;
    QImage m_background;
    QHash<QString, QIcon> m_icons;
    QuestiondialogB* m_identical = nullptr;
    Worker* m_worker = nullptr;
    QString m_pictureDir;
    int m_page = 0;
    bool m_buttonsEnabled = true;
    bool m_mouseImageAvailable = false;
    QTimer m_retry; // a scan the library did not answer in time, asked again
};
