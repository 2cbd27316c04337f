#include "app/Dialog.h"
#include "device/DevicePagesLink.h"

#include "app/FormSetting.h"
#include "app/PreVier.h"
#include "app/StartupServices.h"
#include "app/core/AppPaths.h"
#include "app/core/BusyWait.h"
#include "app/core/IniStores.h"
#include "app/core/PostMsg.h"
#include "app/notices/UpDataParam.h"
#include "buttons/Buttoninterface.h"
#include "device/HidApi.h"
#include "light/LampLight.h"
#include "macro/Macro.h"
#include "sensor/Advanced.h"
#include "sensor/Sensor.h"

#include <QButtonGroup>
#include <QElapsedTimer>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QStackedWidget>
#include <QToolButton>

const char* const Dialog::kPageButtons[7] = {"PreButton",    "Advanced",     "ButtonMain", "MacroButton",
                                             "LightsButton", "SensorButton", "FormSetting"};

Dialog::Dialog(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Dialog"));
    const QSize size(1200, 700);
    resize(size);
    m_imagePath = AppPaths::appDir() + QStringLiteral("/Picture/Dialog/");

    m_frame = new QFrame(this);
    m_frame->setObjectName(QStringLiteral("frame_2"));
    m_frame->setGeometry(0, 0, size.width(), size.height());

    m_stack = new QStackedWidget(m_frame);
    m_stack->setObjectName(QStringLiteral("stackedWidgetDialog"));
    m_stack->setGeometry(100, 120, 1000, 560);

    // Built in this order; added in index order.
    m_preVier = new PreVier(m_stack);
    m_advanced = new Advanced(m_stack);
    m_buttons = new Buttoninterface(m_stack);
    m_light = new LampLight(m_stack);
    m_macro = new Macro(m_stack);
    m_sensor = new Sensor(m_stack);
    m_setting = new FormSetting(m_stack);
    m_stack->addWidget(m_preVier);
    m_stack->addWidget(m_buttons);
    m_stack->addWidget(m_sensor);
    m_stack->addWidget(m_macro);
    m_stack->addWidget(m_light);
    m_stack->addWidget(m_advanced);
    m_stack->addWidget(m_setting);
    m_updating = new UpDataParam(nullptr);

    // Title bar and page row.
    makeButton("UpArrow", QRect(24, 20, 40, 40), false, "PageChange.png", "PageChangeHover.png",
               "PageChangeClick.png");
    makeButton("SetButton", QRect(1060, 20, 40, 40), false, "Setting.png", "SettingHover.png",
               "SettingClick.png");
    makeButton("MinButton", QRect(1100, 20, 40, 40), false, "Min.png", "MinHover.png", "MinClick.png");
    makeButton("CloseButton", QRect(1140, 20, 40, 40), false, "Close.png", "CloseHover.png",
               "CloseClick.png");
    const int row = 70, w = 120, x0 = (size.width() - 7 * w) / 2;
    makeButton("PreButton", QRect(x0 + 0 * w, row, w, 44), true, "Pre.png", "PreHover.png", "PreHover.png");
    makeButton("ButtonMain", QRect(x0 + 1 * w, row, w, 44), true, "Home.png", "HomeHover.png",
               "HomeChecked.png");
    makeButton("SensorButton", QRect(x0 + 2 * w, row, w, 44), true, "Sensor.png", "SensorHover.png",
               "SensorChecked.png");
    makeButton("MacroButton", QRect(x0 + 3 * w, row, w, 44), true, "Macro.png", "MacroHover.png",
               "MacroChecked.png");
    makeButton("LightsButton", QRect(x0 + 4 * w, row, w, 44), true, "Light.png", "LightHover.png",
               "LightChecked.png");
    makeButton("Advanced", QRect(x0 + 5 * w, row, w, 44), true, "Advance.png", "AdvanceHover.png",
               "AdvanceHover.png");
    makeButton("FormSetting", QRect(x0 + 6 * w, row, w, 44), true, "Setting.png", "SettingHover.png",
               "SettingClick.png");

    auto* outline = new QToolButton(m_frame);
    outline->setObjectName(QStringLiteral("BatteryButtonC"));
    outline->setGeometry(880, 24, 56, 32);
    outline->setStyleSheet(QStringLiteral("#BatteryButtonC{border:0px;background-image: url(") + m_imagePath +
                           QStringLiteral("Battery.png") +
                           QStringLiteral(");background-position:center;background-repeat:no-repeat;}"));
    m_battery = new QProgressBar(m_frame);
    m_battery->setObjectName(QStringLiteral("progressBar"));
    m_battery->setGeometry(886, 33, 40, 14);
    m_battery->setRange(0, 100);
    m_battery->setValue(100);
    m_battery->setTextVisible(false);
    m_charging = new QLabel(m_frame);
    m_charging->setObjectName(QStringLiteral("label"));
    m_charging->setGeometry(898, 30, 16, 20);
    m_charging->setStyleSheet(QStringLiteral("#label{border-image: url(") + m_imagePath +
                              QStringLiteral("Charg.png") + QStringLiteral(");}"));
    m_batteryText = new QLabel(QStringLiteral("100%"), m_frame);
    m_batteryText->setObjectName(QStringLiteral("label_2"));
    m_batteryText->setGeometry(940, 28, 60, 24);
    m_link = new QLabel(m_frame);
    m_link->setObjectName(QStringLiteral("label_4"));
    m_link->setGeometry(1010, 26, 28, 28);
    SlotIsUsb(true, false);

    // A short list would be a broken configuration file: missing items read as empty.
    const QStringList rgb =
        ConfigIniStore::instance().list(QStringLiteral("Option"), QStringLiteral("LabelColor"));
    m_batteryText->setStyleSheet(QStringLiteral("#label_2{color: rgb(") + rgb.value(0) + QStringLiteral(",") +
                                 rgb.value(1) + QStringLiteral(",") + rgb.value(2) + QStringLiteral(";);}"));
    m_charging->hide();
    button("SetButton")->hide();

    m_pageGroup = new QButtonGroup(this);
    m_pageGroup->setExclusive(true);
    for (const char* name : kPageButtons)
        m_pageGroup->addButton(button(name));
    m_mouseGroup = new QButtonGroup(this);
    m_mouseGroup->setExclusive(true);
    connect(button("MinButton"), &QToolButton::clicked, this, &Dialog::WindowMin);
    connect(button("CloseButton"), &QToolButton::clicked, this, &Dialog::on_CloseButton_clicked);
    connect(button("UpArrow"), &QToolButton::clicked, this, &Dialog::on_UpArrow_clicked);
    connect(button("PreButton"), &QToolButton::clicked, this, &Dialog::on_PreButton_clicked);
    connect(button("ButtonMain"), &QToolButton::clicked, this, &Dialog::on_ButtonMain_clicked);
    connect(button("SensorButton"), &QToolButton::clicked, this, &Dialog::on_SensorButton_clicked);
    connect(button("MacroButton"), &QToolButton::clicked, this, &Dialog::on_MacroButton_clicked);
    connect(button("LightsButton"), &QToolButton::clicked, this, &Dialog::on_LightsButton_clicked);
    connect(button("Advanced"), &QToolButton::clicked, this, &Dialog::on_Advanced_clicked);
    connect(button("FormSetting"), &QToolButton::clicked, this, &Dialog::on_FormSetting_clicked);
    connect(m_stack, &QStackedWidget::currentChanged, this, &Dialog::on_stackedWidgetDialog_currentChanged);
    button("PreButton")->setChecked(true);

    setWindowFlags(Qt::FramelessWindowHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint);
    setFixedSize(size);
    StartupServices::installCrashHandler();
    m_stack->setCurrentIndex(0);
    on_stackedWidgetDialog_currentChanged(0);

    PostMsg* hub = PostMsg::instance();
    connect(hub, &PostMsg::SigSecondPageChange, this, &Dialog::SlotSecondDialog);
    connect(hub, &PostMsg::SigIsUsb, this, &Dialog::SlotIsUsb);
    connect(hub, &PostMsg::SigUpDataParam, this, &Dialog::SlotUpDataParam);
    connect(hub, &PostMsg::SigStartRecord, this, &Dialog::SlotStartRecord);
    connect(hub, &PostMsg::SigMouseIndex, this, &Dialog::SlotMouseIndex);
    PostMsg::connectBlocking(&PostMsg::SigBattery, this, &Dialog::SlotBattery);
    // The summary page listens to the hub directly.
    connect(hub, &PostMsg::SigAddSensor, m_preVier, &PreVier::SlotAddSensor);
    connect(hub, &PostMsg::SigAddReport, m_preVier, &PreVier::SlotAddReport);
    connect(hub, &PostMsg::SigAddLOD, m_preVier, &PreVier::SlotAddLOD);
    connect(hub, &PostMsg::SigDebunce, m_preVier, &PreVier::SlotDebnunce);
    connect(hub, &PostMsg::SigAddConfig, m_preVier, &PreVier::SlotAddConfig);
    connect(hub, &PostMsg::SigAddVer, m_preVier, &PreVier::SlotAddVer);
    connect(hub, &PostMsg::SigAddUpdate, m_preVier, &PreVier::SlotAddUpdate);
    connect(hub, &PostMsg::SigMouseIndex, m_preVier, &PreVier::SlotMouseIndex);
    connect(hub, &PostMsg::SigAllLanguage, m_preVier, &PreVier::SlotAllLanguage);
}

Dialog::~Dialog() {
    delete m_updating;
}

QToolButton* Dialog::makeButton(const char* name, const QRect& geometry, bool toggle, const QString& normal,
                                const QString& hover, const QString& on) {
    auto* b = new QToolButton(m_frame);
    b->setObjectName(QLatin1String(name));
    b->setGeometry(geometry);
    b->setCheckable(toggle);
    const QString n = m_imagePath + normal, h = m_imagePath + hover, o = m_imagePath + on;
    if (toggle)
        b->setStyleSheet(
            QStringLiteral("QToolButton{border: 0px;background-position:center;background-repeat:no-"
                           "repeat;background-image: url(") +
            n + QStringLiteral(");}QToolButton:hover{background-image:  url(") + h +
            QStringLiteral(");}QToolButton:checked{background-image: url(") + o + QStringLiteral(");}"));
    else
        b->setStyleSheet(
            QStringLiteral("QToolButton{border:0px;background-image: url(") + n +
            QStringLiteral(");background-position:center;background-repeat:no-repeat;}QToolButton:"
                           "hover{background-image: url(") +
            h + QStringLiteral(");}QToolButton:pressed{background-image: url(") + o + QStringLiteral(");}"));
    return b;
}

QToolButton* Dialog::button(const char* name) const {
    return findChild<QToolButton*>(QLatin1String(name));
}

void Dialog::storeCurrentRecord() {
    // Saved under the selected mouse's own model; nothing is written when no known model is selected.
    DevicePagesLink::saveCache();
}

void Dialog::on_PreButton_clicked() {
    m_stack->setCurrentIndex(0);
}
void Dialog::on_ButtonMain_clicked() {
    m_stack->setCurrentIndex(1);
    PostMsg::instance()->SendAddMacroButton();
}
void Dialog::on_SensorButton_clicked() {
    m_stack->setCurrentIndex(2);
}
void Dialog::on_MacroButton_clicked() {
    m_stack->setCurrentIndex(3);
}
void Dialog::on_LightsButton_clicked() {
    m_stack->setCurrentIndex(4);
}
void Dialog::on_Advanced_clicked() {
    PostMsg::instance()->SendtVis(0);
    m_stack->setCurrentIndex(5);
}
void Dialog::on_FormSetting_clicked() {
    m_stack->setCurrentIndex(6);
}

void Dialog::on_UpArrow_clicked() {
    hid().UsbServer_SetPCDriverStatus(0);
    storeCurrentRecord();
    button("PreButton")->setChecked(true);
    PostMsg::instance()->SendTouchkey();
    busyWait(100);
    hid().UsbServer_Exit();
    PostMsg::instance()->SendChangeMainDialog(0);
    PostMsg::instance()->SendSetMacroPage();
}

void Dialog::WindowMin() {
    PostMsg::instance()->SendChangeSize(0);
}

void Dialog::WindowClosed() {
    storeCurrentRecord();
    PostMsg::instance()->SendChangeSize(1);
}

void Dialog::on_CloseButton_clicked() {
    WindowClosed();
}

void Dialog::SlotSecondDialog() {
    button("PreButton")->setChecked(true);
    PostMsg::instance()->SendTouchkey();
    m_stack->setCurrentIndex(0);
}

void Dialog::SlotIsUsb(bool Usb, bool) {
    m_link->setStyleSheet(QStringLiteral("QLabel{border-image: url(") + m_imagePath +
                          (Usb ? QStringLiteral("OnLineUsb.png") : QStringLiteral("OnLineWifi.png")) +
                          QStringLiteral(");}"));
}

void Dialog::SlotBattery(bool IsCharg, int Number, bool IsText) {
    m_charging->setVisible(IsCharg);
    m_battery->setValue(Number);
    m_batteryText->setText(IsText ? QString::number(Number) + QStringLiteral("%") : QString::number(Number));
    const QString colour = Number < 16 ? QStringLiteral("152, 43, 34") : QStringLiteral("0, 255, 153");
    m_battery->setStyleSheet(QStringLiteral("#progressBar{border: none;background-color: transparent;}"
                                            "#progressBar::chunk {background-color: rgb(") +
                             colour + QStringLiteral(");}"));
}

void Dialog::SlotUpDataParam(int index) {
    m_updating->start(2500);
    if (index == 1)
        m_updating->setWaitForDevice(true);
    const QPoint centre = mapToGlobal(rect().center());
    m_updating->move(centre.x() - m_updating->width() / 2, centre.y() - m_updating->height() / 2 - 20);
    m_updating->exec();
}

void Dialog::SlotStartRecord(int index) {
    if (index != 0 && index != 1)
        return;
    for (const char* name : kPageButtons)
        button(name)->setEnabled(index == 1);
}

void Dialog::on_stackedWidgetDialog_currentChanged(int arg1) {
    m_frame->setStyleSheet(
        QStringLiteral("#frame_2{border-image: url(") + m_imagePath +
        (arg1 == 0 ? QStringLiteral("BackGround2.png") : QStringLiteral("BackGround.png")) +
        QStringLiteral(");}"));
    if (arg1 != 0)
        button("UpArrow")->show();
}

void Dialog::SlotMouseIndex(int) {}

void Dialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_F12)
        return;
    QWidget::keyPressEvent(event);
}
