#pragma once
// The device list: one picture button per found device with its online mark, paged three at a time.
// Choosing a device makes it the selected device and brings the device pages up.

#include "device/DeviceAllInfo.h"

#include <QList>
#include <QWidget>

class QComboBox;
class QHBoxLayout;
class QLabel;
class QToolButton;
class QuestiondialogB;
class Worker;

class DialogChange : public QWidget {
    Q_OBJECT
public:
    static constexpr int kPerPage = 3;

    explicit DialogChange(QWidget* parent = nullptr);
    ~DialogChange() override;

    void setWorker(Worker* worker) { m_worker = worker; }
    // Makes this window's refresh the library's USB-change callback.
    void startWatching();
    const QList<DeviceAllInfo>& devices() const { return m_devices; }
    int page() const { return m_page; }
    int pageCount() const;

public slots:
    void SlotAutoLan();
    void SlotSameLanguageA(int index);
    void on_comboBox_activated(int index);
    void SlotRefresh();
    void SlotSelect(int index);
    void SlotEnterKey();
    void SlotPageLeft();
    void SlotPageRight();

protected:
    void keyPressEvent(QKeyEvent* event) override;

public:
    // The library's USB-change callback while the list is shown (any thread; queues a refresh).
    static void usbChanged();

private:
    void redraw();

    QList<DeviceAllInfo> m_devices;
    QList<QToolButton*> m_buttons;
    QHBoxLayout* m_row = nullptr;
    QToolButton* m_left = nullptr;
    QToolButton* m_right = nullptr;
    QToolButton* m_repair = nullptr;
    QComboBox* m_language = nullptr;
    QLabel* m_empty = nullptr;
    QuestiondialogB* m_identical = nullptr;
    Worker* m_worker = nullptr;
    QString m_pictureDir;
    int m_page = 0;
    bool m_buttonsEnabled = true;
};
