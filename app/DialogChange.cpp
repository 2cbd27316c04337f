#include "app/DialogChange.h"

#include "app/core/AppPaths.h"
#include "app/core/IniStores.h"
#include "app/core/Language.h"
#include "app/core/PostMsg.h"
#include "app/notices/SimpleNotices.h"
#include "app/pairing/Match.h"
#include "app/ui/LanguageBox.h"
#include "app/ui/PixelFile.h"
#include "app/ui/Theme.h"
#include "device/DeviceSession.h"
#include "device/DeviceTable.h"
#include "device/Discovery.h"
#include "device/FirmwareImage.h"
#include "device/FirmwareUpgrade.h"
#include "device/LinkState.h"
#include "device/Pairing.h"
#include "device/Worker.h"
#include "ui_DialogChange.h"

#include <QComboBox>
#include <QDir>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <initializer_list>
#include <limits>
#include <utility>

namespace {
QPointer<DialogChange>& watcher() {
    static QPointer<DialogChange> w;
    return w;
}
} // namespace

DialogChange::DialogChange(QWidget* parent) : QWidget(parent), ui(new Ui::DialogChange) {
    ui->setupUi(this); // also connects on_comboBox_activated and on_RepairButton_clicked
    m_pictureDir = AppPaths::appDir() + QStringLiteral("/Picture/DialogChange/");
    applyStyle();
    // Right to left the list follows the frame: the title bar stays beside the background's logo and the
    // arrows where their pictures point outward, while the cards run from the right and the arrows page
    // in reading order (see SlotPageLeft).
    for (QWidget* w : std::initializer_list<QWidget*>{ui->comboBox, ui->RepairButton, ui->MinButton,
                                                      ui->CloseButton, ui->LeftButton, ui->RightButton})
        Theme::keepPlace(w);
    Theme::mirrorWithDirection(ui->frameMain);

    subscribeToHub();
    connect(ui->MinButton, &QToolButton::clicked, this, [] { PostMsg::instance()->SendChangeSize(2); });
    connect(ui->CloseButton, &QToolButton::clicked, this, [] { PostMsg::instance()->SendChangeSize(3); });
    connect(ui->LeftButton, &QToolButton::clicked, this, &DialogChange::SlotPageLeft);
    connect(ui->RightButton, &QToolButton::clicked, this, &DialogChange::SlotPageRight);
    m_retry.setSingleShot(true);
    m_retry.setInterval(1300);
    connect(&m_retry, &QTimer::timeout, this, &DialogChange::SlotRefresh);
    retranslate();
    redraw();
    SlotUpDateButton(false);
}

void DialogChange::subscribeToHub() {
    PostMsg* hub = PostMsg::instance();
    disconnect(hub, &PostMsg::SigAutoLan, this, nullptr);
    disconnect(hub, &PostMsg::SigLanguageSameA, this, nullptr);
    disconnect(hub, &PostMsg::SigAllLanguage, this, nullptr);
    disconnect(hub, &PostMsg::SigUpDateButton, this, nullptr);
    connect(hub, &PostMsg::SigAutoLan, this, &DialogChange::SlotAutoLan);
    connect(hub, &PostMsg::SigLanguageSameA, this, &DialogChange::SlotSameLanguageA);
    connect(hub, &PostMsg::SigAllLanguage, this, [this] { retranslate(); });
    connect(hub, &PostMsg::SigUpDateButton, this, &DialogChange::SlotUpDateButton);
}

// The language files' text, or the built-in English one when a file lacks the key.
QString DialogChange::label(const char* key, const char* fallback) {
    const QString t = Language::text(QStringLiteral("home"), QLatin1String(key));
    return t.isEmpty() ? QLatin1String(fallback) : t;
}

void DialogChange::retranslate() {
    ui->labelHint->setText(label("SelectDevice", "Select a device"));
    ui->labelEmpty->setText(label("NoDevice", "No device found"));
    // The caption sits right of the wrench; a longer one widens the button leftwards and moves the
    // language box along, keeping the 12 px gap of the form.
    QToolButton* repair = ui->RepairButton;
    const int right = repair->geometry().right();
    repair->setText(label("RepairDevice", "Repair"));
    const int width = qMax(120, repair->fontMetrics().horizontalAdvance(repair->text()) + kRepairEnds + 8);
    repair->setGeometry(right - width + 1, repair->y(), width, repair->height());
    placeLanguageBox();
    // Only the cards' captions follow the language: the cards themselves stay.
    const int first = m_page * kPerPage;
    for (int i = 0; i < m_buttons.size() && first + i < m_devices.size(); ++i) {
        const bool online = m_devices.at(first + i).online != 0;
        m_buttons.at(i)->setText(label(online ? "Online" : "Offline", online ? "Online" : "Offline"));
    }
}

// A QIcon made from a file decodes it at once; the cards share one per picture for the window's life.
QIcon DialogChange::cardIcon(const QString& picture) {
    auto it = m_icons.constFind(picture);
    if (it == m_icons.constEnd())
        it = m_icons.insert(picture, QIcon(m_pictureDir + picture));
    return *it;
}

void DialogChange::applyStyle() {
    const QString pics = m_pictureDir;
    const auto url = [](const QString& file) { return QStringLiteral("url(") + file + QStringLiteral(")"); };
    // Three-state picture buttons: name.png, nameHover.png, nameClick.png (nameDisable.png if given).
    const auto states = [&](const QString& object, const QString& base, bool disable) {
        QString css = QStringLiteral("#%1{border:none;border-image:%2;}#%1:hover{border-image:%3;}"
                                     "#%1:pressed{border-image:%4;}")
                          .arg(object, url(pics + base + QStringLiteral(".png")),
                               url(pics + base + QStringLiteral("Hover.png")),
                               url(pics + base + QStringLiteral("Click.png")));
        if (disable)
            css += QStringLiteral("#%1:disabled{border-image:%2;}")
                       .arg(object, url(pics + base + QStringLiteral("Disable.png")));
        return css;
    };
    // The drop-down list of the language box and the rest of the shared control rules come first.
    QString css = Theme::controlRules();
    css += states(QStringLiteral("MinButton"), QStringLiteral("Min"), false) +
           states(QStringLiteral("CloseButton"), QStringLiteral("Close"), false);
    // The wrench at the start and the rounded end keep their size; only the middle stretches with a
    // longer caption, which is drawn between them.
    const auto sliced = [&](const char* file) {
        return QStringLiteral("url(%1) 0 16 0 40 stretch").arg(pics + QLatin1String(file));
    };
    css += QStringLiteral("#RepairButton{border-style:solid;border-width:0px 16px 0px 40px;border-image:%1;"
                          "padding:0px;}#RepairButton:hover{border-image:%2;}"
                          "#RepairButton:pressed{border-image:%3;}")
               .arg(sliced("Repair.png"), sliced("RepairHover.png"), sliced("RepairClick.png"));
    for (const QString& side : {QStringLiteral("Left"), QStringLiteral("Right")})
        css += QStringLiteral("#%1Button{border:none;border-image:%2;}#%1Button:hover{border-image:%3;}"
                              "#%1Button:pressed{border-image:%2;}#%1Button:disabled{border-image:%4;}")
                   .arg(side, url(pics + side + QStringLiteral(".png")),
                        url(pics + side + QStringLiteral("Hover.png")),
                        url(pics + side + QStringLiteral("Disable.png")));
    // Colours from the theme; sizes and pictures are this window's own.
    const QString caption = Theme::rgb(Theme::captionText()), muted = Theme::rgb(Theme::mutedText()),
                  accent = Theme::rgb("SliderColor"), bright = Theme::rgb("ButtonColor");
    css += QStringLiteral("#RepairButton{color:%1;font-size:14px;}#RepairButton:hover{color:%2;}")
               .arg(caption, accent);
    css += QStringLiteral("#labelHint{color:%1;font-size:18px;}#labelEmpty{color:%2;font-size:18px;}"
                          "#labelPage{color:%2;font-size:13px;}")
               .arg(caption, muted);
    // Padding on both sides, so the text keeps off the border in either direction; a drop-down without a
    // button frame of its own, which would cover the rounded outline at its end.
    css += QStringLiteral("#comboBox{color:%1;background-color:%2;border:1px solid %3;border-radius:6px;"
                          "padding:0px 10px;}#comboBox:hover{border-color:%4;}"
                          "#comboBox::drop-down{border:none;background:transparent;width:20px;}"
                          "#comboBox::down-arrow{image:%5;}")
               .arg(Theme::rgb("ComboxTextColor"), Theme::rgb("ComboxBackGroundColor"),
                    Theme::rgb(Theme::border()), accent, url(pics + QStringLiteral("Menu.png")));
    // Device cards: the picture is the icon, the online state the text under it.
    css += QStringLiteral("#widgetDevices QToolButton{border:none;border-image:%1;color:%5;font-size:14px;"
                          "padding-bottom:18px;}#widgetDevices QToolButton:hover{border-image:%2;color:%6;}"
                          "#widgetDevices QToolButton:pressed{border-image:%3;}"
                          "#widgetDevices QToolButton:disabled{border-image:%4;color:%7;}"
                          "#widgetDevices QToolButton[online=\"true\"]{color:%8;}")
               .arg(url(pics + QStringLiteral("Card.png")), url(pics + QStringLiteral("CardHover.png")),
                    url(pics + QStringLiteral("CardClick.png")),
                    url(pics + QStringLiteral("CardDisable.png")), caption, bright, muted, accent);
    // On the inner frame: the window's own style sheet (its background) is set by whoever builds it.
    ui->frameMain->setStyleSheet(css);
}

void DialogChange::setBackground(const QString& png) {
    m_background = PixelFile::map(PixelFile::besidePng(png));
    setStyleSheet(m_background.isNull()
                      ? QStringLiteral("#DialogChange{border-image: url(") + png + QStringLiteral(");}")
                      : QString());
    update();
}

void DialogChange::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    if (m_background.isNull())
        return;
    // As a border image without borders draws it: the whole picture over the whole widget.
    QPainter painter(this);
    painter.drawImage(rect(), m_background);
}

void DialogChange::on_RepairButton_clicked() {
    // The home window opens the repair window.
    PostMsg::instance()->SendRepairCheckUpdate();
}

void DialogChange::SlotUpDateButton(bool IsHide) {
    // The repair window only mends an upgrade that left its failure record; without one it has nothing
    // to offer. A failed run that never flashed (no device, no image) writes none, so the record decides.
    Upgrade::FailInfo info;
    ui->RepairButton->setVisible(!IsHide && Upgrade::readFailInfo(info));
    placeLanguageBox();
}

void DialogChange::placeLanguageBox() {
    // Beside Repair when it is offered, keeping the form's 12 px gap; in its place otherwise.
    const QRect repair = ui->RepairButton->geometry();
    const int right = ui->RepairButton->isHidden() ? repair.right() + 1 : repair.x() - 12;
    ui->comboBox->move(right - ui->comboBox->width(), ui->comboBox->y());
}

void DialogChange::SlotAutoLan() {
    Language::fillBox(ui->comboBox);
}

void DialogChange::SlotSameLanguageA(int index) {
    Language::follow(ui->comboBox, index);
}

void DialogChange::on_comboBox_activated(int index) {
    Language::choose(ui->comboBox, index);
    PostMsg::instance()->SendAllLanguage(index);
    PostMsg::instance()->SendLanguageSameB(index);
}

DialogChange::~DialogChange() {
    if (watcher() == this)
        watcher() = nullptr;
    delete ui;
}

void DialogChange::startWatching() {
    watcher() = this;
    DeviceSession::watchUsbChanges(&DialogChange::usbChanged);
    // Devices plugged in before the watch began raise no change: list them now.
    SlotRefresh();
}

// Called on the library's thread: only queue the refresh to the window's thread.
void DialogChange::usbChanged() {
    if (PostMsg::shuttingDown())
        return;
    // The window is looked up on its own thread: it may be gone by the time the call runs.
    PostMsg::postFromAnyThread(QCoreApplication::instance(), [] {
        if (DialogChange* w = watcher().data())
            w->SlotRefresh();
    });
}

int DialogChange::pageCount() const {
    return std::max(1, (int(m_devices.size()) + kPerPage - 1) / kPerPage);
}

void DialogChange::sortForList(QList<DeviceAllInfo>& devices) {
    // Finding order follows the PID lists and the system's numbering of the devices, so a mouse moved
    // between cable and receiver, or numbered anew at boot, would change place. By model row, then path;
    // devices of no known model last.
    const auto key = [](const DeviceAllInfo& d) {
        return std::make_pair(d.row < 0 ? std::numeric_limits<int32_t>::max() : d.row, d.path);
    };
    std::stable_sort(devices.begin(), devices.end(),
                     [&](const DeviceAllInfo& a, const DeviceAllInfo& b) { return key(a) < key(b); });
}

void DialogChange::SlotRefresh() {
    if (!Discovery::scan(Discovery::Finder::Default, m_devices)) {
        // The library did not answer in time: what is listed cannot be reached now. Asked again until it
        // answers, since its coming back raises no USB change.
        for (DeviceAllInfo& d : m_devices)
            d.online = 0;
        redraw();
        if (!m_retry.isActive())
            m_retry.start();
        return;
    }
    m_retry.stop();
    sortForList(m_devices);
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
    SlotUpDateButton(false); // a record written or removed meanwhile, by this run or another
    redraw();
}

void DialogChange::redraw() {
    qDeleteAll(m_buttons);
    m_buttons.clear();
    const int first = m_page * kPerPage;
    for (int k = first; k < std::min(first + kPerPage, int(m_devices.size())); ++k) {
        const DeviceAllInfo& d = m_devices.at(k);
        auto* b = new QToolButton(ui->widgetDevices);
        b->setObjectName(QStringLiteral("btn%1").arg(k));
        b->setFixedSize(220, 280);
        b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        b->setIcon(cardIcon(Discovery::pictureName(d, d.online != 0)));
        b->setIconSize(QSize(160, 200));
        b->setText(label(d.online ? "Online" : "Offline", d.online ? "Online" : "Offline"));
        b->setToolTip(d.firmware);
        b->setProperty("online", d.online != 0);
        b->setCursor(Qt::PointingHandCursor);
        b->setEnabled(m_buttonsEnabled);
        connect(b, &QToolButton::clicked, this, [this, k] { SlotSelect(k); });
        ui->layoutDevices->addWidget(b);
        m_buttons.append(b);
    }
    ui->labelEmpty->setVisible(m_devices.isEmpty());
    ui->widgetDevices->setVisible(!m_devices.isEmpty());
    ui->labelPage->setText(QStringLiteral("%1 / %2").arg(m_page + 1).arg(pageCount()));
    ui->labelPage->setVisible(pageCount() > 1);
    enableArrows();
}

bool DialogChange::readsLeftward() const {
    return layoutDirection() == Qt::RightToLeft;
}

void DialogChange::enableArrows() {
    const bool back = m_page > 0, forward = m_page + 1 < pageCount();
    ui->LeftButton->setEnabled(readsLeftward() ? forward : back);
    ui->RightButton->setEnabled(readsLeftward() ? back : forward);
}

void DialogChange::turnPage(int step) {
    const int page = m_page + step;
    if (page >= 0 && page < pageCount()) {
        m_page = page;
        redraw();
    }
}

// The arrow toward the end of the line goes forward: the left one in a right-to-left language, where the
// first card is the rightmost.
void DialogChange::SlotPageLeft() {
    turnPage(readsLeftward() ? 1 : -1);
}

void DialogChange::SlotPageRight() {
    turnPage(readsLeftward() ? -1 : 1);
}

void DialogChange::changeEvent(QEvent* event) {
    // A language switch while the list is open turns the arrows' meaning round.
    if (event->type() == QEvent::LayoutDirectionChange)
        enableArrows();
    QWidget::changeEvent(event);
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
    checkMouseImage(chosen);
    hub->SendChangeMainDialog(1);
    // The pages are active before the run starts, so the run brings the device fully up.
    LinkFlags::DevicePagesActive = true;
    QPointer<Worker> worker(m_worker);
    QTimer::singleShot(150, this, [worker] {
        if (worker)
            worker->requestRun();
    });
}

void DialogChange::pairingChecks(DeviceSession::UsbChangeHandler usbHandler) {
    DeviceAllInfo entry;
    if (!Pairing::listCandidate(m_devices, entry))
        return;
    Match match(window());
    match.prepareFor(entry);
    match.setUsbChangeHandler(usbHandler);
    const QPoint centre = window()->mapToGlobal(window()->rect().center());
    match.move(centre.x() - match.width() / 2, centre.y() - match.height() / 2);
    match.exec();
    // The receiver may now have a mouse: show it at once.
    SlotRefresh();
}

void DialogChange::checkMouseImage(const DeviceAllInfo& chosen) {
    if (!QDir(FirmwareImage::folder()).exists())
        return;
    const ModelRow row = DeviceTable::row(chosen.row);
    const QString model = row.mouseImage;
    const bool rowKnown = row.present;
    m_mouseImageAvailable = rowKnown && !FirmwareImage::find(FirmwareImage::kMouseImage, model, chosen.cid,
                                                             chosen.mid, chosen.firmware)
                                             .isEmpty();
    PostMsg::instance()->SendLabelTextB(chosen.firmware,
                                        m_mouseImageAvailable ? QStringLiteral("true") : QString());
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
