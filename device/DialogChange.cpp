#include "device/DialogChange.h"

#include "app/core/AppPaths.h"
#include "app/core/Language.h"
#include "app/core/PostMsg.h"
#include "app/notices/SimpleNotices.h"
#include "device/Discovery.h"
#include "device/HidApi.h"
#include "device/LinkState.h"
#include "device/Worker.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
QPointer<DialogChange>& watcher() {
    static QPointer<DialogChange> w;
    return w;
}
} // namespace

DialogChange::DialogChange(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("DialogChange"));
    m_pictureDir = AppPaths::appDir() + QStringLiteral("/Picture/DialogChange/");

    auto* top = new QHBoxLayout;
    m_language = new QComboBox(this);
    m_language->setObjectName(QStringLiteral("comboBox_Language"));
    PostMsg* hub = PostMsg::instance();
    connect(hub, &PostMsg::SigAutoLan, this, &DialogChange::SlotAutoLan);
    connect(hub, &PostMsg::SigLanguageSameA, this, &DialogChange::SlotSameLanguageA);
    connect(m_language, QOverload<int>::of(&QComboBox::activated), this,
            &DialogChange::on_comboBox_activated);
    m_repair = new QToolButton(this); // opens the repair window once upgrades exist
    m_repair->setObjectName(QStringLiteral("btn_Repair"));
    m_repair->setText(QStringLiteral("Repair"));
    auto* minimise = new QToolButton(this);
    minimise->setObjectName(QStringLiteral("btn_Min"));
    minimise->setText(QStringLiteral("-"));
    auto* close = new QToolButton(this);
    close->setObjectName(QStringLiteral("btn_Close"));
    close->setText(QStringLiteral("x"));
    top->addWidget(m_language);
    top->addStretch();
    top->addWidget(m_repair);
    top->addWidget(minimise);
    top->addWidget(close);
    connect(minimise, &QToolButton::clicked, this, [] { PostMsg::instance()->SendChangeSize(2); });
    connect(close, &QToolButton::clicked, this, [] { PostMsg::instance()->SendChangeSize(3); });

    m_left = new QToolButton(this);
    m_left->setObjectName(QStringLiteral("btn_Left"));
    m_left->setArrowType(Qt::LeftArrow);
    m_right = new QToolButton(this);
    m_right->setObjectName(QStringLiteral("btn_Right"));
    m_right->setArrowType(Qt::RightArrow);
    connect(m_left, &QToolButton::clicked, this, &DialogChange::SlotPageLeft);
    connect(m_right, &QToolButton::clicked, this, &DialogChange::SlotPageRight);

    m_row = new QHBoxLayout;
    m_empty = new QLabel(this);
    m_empty->setAlignment(Qt::AlignCenter);
    auto* middle = new QHBoxLayout;
    middle->addWidget(m_left);
    middle->addLayout(m_row, 1);
    middle->addWidget(m_empty, 1);
    middle->addWidget(m_right);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(middle, 1);
    redraw();
}

void DialogChange::SlotAutoLan() {
    Language::fillBox(m_language);
}

void DialogChange::SlotSameLanguageA(int index) {
    Language::follow(m_language, index);
}

void DialogChange::on_comboBox_activated(int index) {
    Language::choose(m_language, index);
    PostMsg::instance()->SendAllLanguage(index);
    PostMsg::instance()->SendLanguageSameB(index);
}

DialogChange::~DialogChange() {
    if (watcher() == this)
        watcher() = nullptr;
}

void DialogChange::startWatching() {
    watcher() = this;
    hid().StartUsbChanged(&DialogChange::usbChanged, 600);
    // Devices plugged in before the watch began raise no change: list them now.
    SlotRefresh();
}

// Called on the library's thread: only queue the refresh to the window's thread.
void DialogChange::usbChanged() {
    if (PostMsg::shuttingDown())
        return;
    if (DialogChange* w = watcher().data())
        QMetaObject::invokeMethod(w, &DialogChange::SlotRefresh, Qt::QueuedConnection);
}

int DialogChange::pageCount() const {
    return std::max(1, (int(m_devices.size()) + kPerPage - 1) / kPerPage);
}

void DialogChange::SlotRefresh() {
    m_devices = Discovery::enumerate(Discovery::Finder::Default);
    for (DeviceAllInfo& d : m_devices)
        Discovery::markOnline(d);
    m_buttonsEnabled = !Discovery::hasIdenticalDevices(m_devices);
    if (!m_buttonsEnabled) {
        if (!m_identical)
            m_identical = new QuestiondialogB(this);
        m_identical->show();
    } else if (m_identical) {
        m_identical->hide();
    }
    m_page = std::min(m_page, pageCount() - 1);
    redraw();
}

void DialogChange::redraw() {
    qDeleteAll(m_buttons);
    m_buttons.clear();
    const int first = m_page * kPerPage;
    for (int k = first; k < std::min(first + kPerPage, int(m_devices.size())); ++k) {
        const DeviceAllInfo& d = m_devices.at(k);
        auto* b = new QToolButton(this);
        b->setObjectName(QStringLiteral("btn%1").arg(k));
        b->setIcon(QIcon(m_pictureDir + Discovery::pictureName(d, d.online != 0)));
        b->setIconSize(QSize(160, 200));
        b->setToolTip(d.online ? QStringLiteral("Online") : QStringLiteral("Offline"));
        b->setProperty("online", d.online != 0);
        b->setEnabled(m_buttonsEnabled);
        connect(b, &QToolButton::clicked, this, [this, k] { SlotSelect(k); });
        m_row->addWidget(b);
        m_buttons.append(b);
    }
    m_empty->setVisible(m_devices.isEmpty());
    m_empty->setText(m_devices.isEmpty() ? QStringLiteral("No device") : QString());
    m_left->setEnabled(m_page > 0);
    m_right->setEnabled(m_page + 1 < pageCount());
}

void DialogChange::SlotPageLeft() {
    if (m_page > 0) {
        --m_page;
        redraw();
    }
}

void DialogChange::SlotPageRight() {
    if (m_page + 1 < pageCount()) {
        ++m_page;
        redraw();
    }
}

void DialogChange::SlotSelect(int index) {
    if (index < 0 || index >= m_devices.size() || !m_buttonsEnabled)
        return;
    PostMsg* hub = PostMsg::instance();
    hub->SendIsUsb(false, true);
    hub->SendSetver(6);
    const DeviceAllInfo chosen = m_devices.at(index);
    SelectedDevice::set(chosen);
    hub->SendSelectMouseInfo(chosen);
    hub->SendMouseIndex(Discovery::pictureNumber(chosen));
    hub->SendSelectMouseInfo(chosen);
    hub->SendChangeMainDialog(1);
    // The pages are active before the run starts, so the run brings the device fully up.
    LinkFlags::DevicePagesActive = true;
    QPointer<Worker> worker(m_worker);
    QTimer::singleShot(150, this, [worker] {
        if (worker)
            worker->requestRun();
    });
}

void DialogChange::SlotEnterKey() {
    // Return picks the device when the list offers exactly one.
    if (m_devices.size() == 1)
        SlotSelect(0);
}

void DialogChange::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        SlotEnterKey();
        return;
    }
    QWidget::keyPressEvent(event);
}
