#include "app/Dialog.h"
#include "ui_Dialog.h"

#include "app/FormSetting.h"
#include "app/PreVier.h"
#include "app/StartupServices.h"
#include "app/core/AppPaths.h"
#include "app/core/BusyWait.h"
#include "app/core/IniStores.h"
#include "app/core/PostMsg.h"
#include "app/notices/UpDataParam.h"
#include "buttons/Buttoninterface.h"
#include "device/DevicePagesLink.h"
#include "device/HidApi.h"
#include "light/LampLight.h"
#include "macro/Macro.h"
#include "sensor/Advanced.h"
#include "sensor/Sensor.h"

#include <QButtonGroup>
#include <QKeyEvent>

const char* const Dialog::kPageButtons[7] = {"PreButton",    "Advanced",     "ButtonMain", "MacroButton",
                                             "LightsButton", "SensorButton", "FormSetting"};

Dialog::Dialog(QWidget* parent) : QWidget(parent), ui(new Ui::Dialog) {
    m_imagePath = AppPaths::appDir() + QStringLiteral("/Picture/Dialog/");
    ui->setupUi(this);
    // The background first: set after the pages, it would restyle every page once more.
    on_stackedWidgetDialog_currentChanged(0);

    // Built in this order; added in index order.
    m_preVier = new PreVier(ui->stackedWidgetDialog);
    m_advanced = new Advanced(ui->stackedWidgetDialog);
    m_buttons = new Buttoninterface(ui->stackedWidgetDialog);
    m_light = new LampLight(ui->stackedWidgetDialog);
    m_macro = new Macro(ui->stackedWidgetDialog);
    m_sensor = new Sensor(ui->stackedWidgetDialog);
    m_setting = new FormSetting(ui->stackedWidgetDialog);
    for (QWidget* page :
         {static_cast<QWidget*>(m_preVier), static_cast<QWidget*>(m_buttons), static_cast<QWidget*>(m_sensor),
          static_cast<QWidget*>(m_macro), static_cast<QWidget*>(m_light), static_cast<QWidget*>(m_advanced),
          static_cast<QWidget*>(m_setting)})
        ui->stackedWidgetDialog->addWidget(page);
    m_updating = new UpDataParam(nullptr);

    // A short list would be a broken configuration file: missing items read as empty.
    const QStringList rgb =
        ConfigIniStore::instance().list(QStringLiteral("Option"), QStringLiteral("LabelColor"));
    ui->label_2->setStyleSheet(QStringLiteral("#label_2{color: rgb(") + rgb.value(0) + QStringLiteral(",") +
                               rgb.value(1) + QStringLiteral(",") + rgb.value(2) + QStringLiteral(";);}"));

    setButtonStyle(ui->ButtonMain, true, "Home.png", "HomeHover.png", "HomeChecked.png");
    setButtonStyle(ui->PreButton, true, "Pre.png", "PreHover.png", "PreHover.png");
    setButtonStyle(ui->Advanced, true, "Advance.png", "AdvanceHover.png", "AdvanceHover.png");
    setButtonStyle(ui->LightsButton, true, "Light.png", "LightHover.png", "LightChecked.png");
    setButtonStyle(ui->FormSetting, true, "Setting.png", "SettingHover.png", "SettingClick.png");
    setButtonStyle(ui->MacroButton, true, "Macro.png", "MacroHover.png", "MacroChecked.png");
    setButtonStyle(ui->SensorButton, true, "Sensor.png", "SensorHover.png", "SensorChecked.png");
    setButtonStyle(ui->CloseButton, false, "Close.png", "CloseHover.png", "CloseClick.png");
    setButtonStyle(ui->MinButton, false, "Min.png", "MinHover.png", "MinClick.png");
    setButtonStyle(ui->SetButton, false, "Setting.png", "SettingHover.png", "SettingClick.png");
    setButtonStyle(ui->UpArrow, false, "PageChange.png", "PageChangeHover.png", "PageChangeClick.png");
    ui->BatteryButtonC->setStyleSheet(
        QStringLiteral("#BatteryButtonC{border:0px;background-image: url(") + m_imagePath +
        QStringLiteral("Battery.png") +
        QStringLiteral(");background-position:center;background-repeat:no-repeat;}"));
    ui->label->setStyleSheet(QStringLiteral("#label{border-image: url(") + m_imagePath +
                             QStringLiteral("Charg.png") + QStringLiteral(");}"));
    on_stackedWidgetDialog_currentChanged(0);
    SlotIsUsb(true, false);
    ui->label->hide();
    ui->SetButton->hide();

    m_pageGroup = new QButtonGroup(this);
    m_pageGroup->setExclusive(true);
    for (const char* name : kPageButtons)
        m_pageGroup->addButton(button(name));
    m_mouseGroup = new QButtonGroup(this);
    m_mouseGroup->setExclusive(true);
    // The page buttons, UpArrow, CloseButton and the stack reach their on_… slots through the form.
    connect(ui->MinButton, &QToolButton::clicked, this, &Dialog::WindowMin);
    ui->PreButton->setChecked(true);

    setWindowFlags(Qt::FramelessWindowHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint);
    setFixedSize(size());
    StartupServices::installCrashHandler();
    ui->stackedWidgetDialog->setCurrentIndex(0);

    PostMsg* hub = PostMsg::instance();
    connect(hub, &PostMsg::SigSecondPageChange, this, &Dialog::SlotSecondDialog);
    connect(hub, &PostMsg::SigIsUsb, this, &Dialog::SlotIsUsb);
    connect(hub, &PostMsg::SigUpDataParam, this, &Dialog::SlotUpDataParam);
    connect(hub, &PostMsg::SigStartRecord, this, &Dialog::SlotStartRecord);
    connect(hub, &PostMsg::SigMouseIndex, this, &Dialog::SlotMouseIndex);
    PostMsg::connectBlocking(&PostMsg::SigBattery, this, &Dialog::SlotBattery);
}

Dialog::~Dialog() {
    delete m_updating;
    delete ui;
}

void Dialog::setButtonStyle(QToolButton* b, bool toggle, const char* normal, const char* hover,
                            const char* on) {
    const QString n = m_imagePath + QLatin1String(normal), h = m_imagePath + QLatin1String(hover),
                  o = m_imagePath + QLatin1String(on);
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
}

QStackedWidget* Dialog::stack() const {
    return ui->stackedWidgetDialog;
}

QToolButton* Dialog::button(const char* name) const {
    return ui->frame_2->findChild<QToolButton*>(QLatin1String(name), Qt::FindDirectChildrenOnly);
}

void Dialog::storeCurrentRecord() {
    // Saved under the selected mouse's own model; nothing is written when no known model is selected.
    DevicePagesLink::saveCache();
}

void Dialog::on_PreButton_clicked() {
    ui->stackedWidgetDialog->setCurrentIndex(0);
}
void Dialog::on_ButtonMain_clicked() {
    ui->stackedWidgetDialog->setCurrentIndex(1);
    PostMsg::instance()->SendAddMacroButton();
}
void Dialog::on_SensorButton_clicked() {
    ui->stackedWidgetDialog->setCurrentIndex(2);
}
void Dialog::on_MacroButton_clicked() {
    ui->stackedWidgetDialog->setCurrentIndex(3);
}
void Dialog::on_LightsButton_clicked() {
    ui->stackedWidgetDialog->setCurrentIndex(4);
}
void Dialog::on_Advanced_clicked() {
    PostMsg::instance()->SendtVis(0);
    ui->stackedWidgetDialog->setCurrentIndex(5);
}
void Dialog::on_FormSetting_clicked() {
    ui->stackedWidgetDialog->setCurrentIndex(6);
}

void Dialog::on_UpArrow_clicked() {
    hid().UsbServer_SetPCDriverStatus(0);
    storeCurrentRecord();
    ui->PreButton->setChecked(true);
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
    ui->PreButton->setChecked(true);
    PostMsg::instance()->SendTouchkey();
    ui->stackedWidgetDialog->setCurrentIndex(0);
}

void Dialog::SlotIsUsb(bool Usb, bool) {
    ui->label_4->setStyleSheet(QStringLiteral("QLabel{border-image: url(") + m_imagePath +
                               (Usb ? QStringLiteral("OnLineUsb.png") : QStringLiteral("OnLineWifi.png")) +
                               QStringLiteral(");}"));
}

void Dialog::SlotBattery(bool IsCharg, int Number, bool IsText) {
    ui->label->setVisible(IsCharg);
    ui->progressBar->setValue(Number);
    ui->label_2->setText(IsText ? QString::number(Number) + QStringLiteral("%") : QString::number(Number));
    const QString colour = Number < 16 ? QStringLiteral("152, 43, 34") : QStringLiteral("0, 255, 153");
    ui->progressBar->setStyleSheet(QStringLiteral("#progressBar{border: none;background-color: transparent;}"
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
    ui->frame_2->setStyleSheet(
        QStringLiteral("#frame_2{border-image: url(") + m_imagePath +
        (arg1 == 0 ? QStringLiteral("BackGround2.png") : QStringLiteral("BackGround.png")) +
        QStringLiteral(");}"));
    if (arg1 != 0)
        ui->UpArrow->show();
}

void Dialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_F12)
        return;
    QWidget::keyPressEvent(event);
}
