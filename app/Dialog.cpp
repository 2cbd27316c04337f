#include "app/Dialog.h"
#include "ui_Dialog.h"

#include "app/FormSetting.h"
#include "app/PreVier.h"
#include "app/StartupServices.h"
#include "app/core/AppPaths.h"
#include "app/core/BusyWait.h"
#include "app/core/IniStores.h"
#include "app/core/Language.h"
#include "app/core/PostMsg.h"
#include "app/notices/UpDataParam.h"
#include "app/pairing/Match.h"
#include "app/ui/Theme.h"
#include "buttons/Buttoninterface.h"
#include "device/DevicePagesLink.h"
#include "device/DeviceSession.h"
#include "device/LinkState.h"
#include "light/LampLight.h"
#include "macro/Macro.h"
#include "sensor/Advanced.h"
#include "sensor/Sensor.h"

#include <QButtonGroup>
#include <QGraphicsColorizeEffect>
#include <QKeyEvent>

const char* const Dialog::kPageButtons[7] = {"PreButton",    "Advanced",     "ButtonMain", "MacroButton",
                                             "LightsButton", "SensorButton", "FormSetting"};

Dialog::Dialog(QWidget* parent) : QWidget(parent), ui(new Ui::Dialog) {
    m_imagePath = AppPaths::appDir() + QStringLiteral("/Picture/Dialog/");
    // Before the form's widgets exist, so each is polished once.
    setStyleSheet(Theme::roleRules());
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
    connect(m_setting, &FormSetting::SigOpenPairing, this, [this] {
        // Centred over the settings page, 70 px left and 30 px up; the window re-registers the pages'
        // USB-change handler when it closes, and the selected device's service comes back after it.
        Match match(this);
        const QPoint centre = m_setting->mapToGlobal(m_setting->rect().center());
        match.move(centre.x() - match.width() / 2 - 70, centre.y() - match.height() / 2 - 30);
        match.exec();
        DeviceSession::resumeService();
    });

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
    // Offline state: a caption left of the battery and the connection icon drained of colour.
    m_offlineCaption = new QLabel(ui->frame_2);
    m_offlineCaption->setObjectName(QStringLiteral("OfflineCaption"));
    m_offlineCaption->setGeometry(700, 28, 172, 24);
    // Against the battery, whatever the text direction.
    m_offlineCaption->setAlignment(Qt::AlignRight | Qt::AlignAbsolute | Qt::AlignVCenter);
    m_offlineCaption->setStyleSheet(QStringLiteral("#OfflineCaption{color: rgb(") + rgb.value(0) +
                                    QStringLiteral(",") + rgb.value(1) + QStringLiteral(",") + rgb.value(2) +
                                    QStringLiteral(");}"));
    m_offlineCaption->hide();
    m_linkGrey = new QGraphicsColorizeEffect(ui->label_4);
    m_linkGrey->setColor(QColor(128, 128, 128));
    m_linkGrey->setStrength(1.0);
    m_linkGrey->setEnabled(false);
    ui->label_4->setGraphicsEffect(m_linkGrey);
    ui->SetButton->hide();
    clearBattery();

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
    // The page buttons' pictures hold only the icon; the caption is text from the language files.
    for (const char* name : kPageButtons) {
        QToolButton* b = button(name);
        b->setProperty("pageCaption", true);
        QFont f = b->font();
        f.setPixelSize(12);
        b->setFont(f);
    }
    // The title bar stays beside the logo of the background picture in both directions.
    for (QWidget* w : {static_cast<QWidget*>(ui->UpArrow), static_cast<QWidget*>(ui->BatteryButtonC),
                       static_cast<QWidget*>(ui->progressBar), static_cast<QWidget*>(ui->label),
                       static_cast<QWidget*>(ui->label_2), static_cast<QWidget*>(ui->label_4),
                       static_cast<QWidget*>(ui->SetButton), static_cast<QWidget*>(ui->MinButton),
                       static_cast<QWidget*>(ui->CloseButton), static_cast<QWidget*>(m_offlineCaption)})
        Theme::keepPlace(w);
    ui->progressBar->setLayoutDirection(Qt::LeftToRight); // the gauge fills toward the battery's tip
    Theme::mirrorWithDirection(ui->frame_2);

    PostMsg* hub = PostMsg::instance();
    connect(hub, &PostMsg::SigSecondPageChange, this, &Dialog::SlotSecondDialog);
    connect(hub, &PostMsg::SigIsUsb, this, &Dialog::SlotIsUsb);
    connect(hub, &PostMsg::SigUpDataParam, this, &Dialog::SlotUpDataParam);
    connect(hub, &PostMsg::SigStartRecord, this, &Dialog::SlotStartRecord);
    connect(hub, &PostMsg::SigMouseIndex, this, &Dialog::SlotMouseIndex);
    PostMsg::connectBlocking(&PostMsg::SigBattery, this, &Dialog::SlotBattery);
    connect(hub, &PostMsg::SigSelectMouseInfo, this, [this](DeviceAllInfo) { clearBattery(); });
    // The pages show a cached record (or defaults) from an offline start or a failed write until the
    // mouse answers again.
    connect(hub, &PostMsg::SigMouseOffLineo, this, [this](int) { setOffline(true); });
    connect(hub, &PostMsg::SigMouseDropped, this, [this] { setOffline(true); });
    connect(hub, &PostMsg::SigCloseOffOnline, this, [this] { setOffline(false); });
    PostMsg::connectBlockingFunctor(&PostMsg::SigForm, this,
                                    [this] { setOffline(LinkFlags::WaitingForOnline.load()); });
    PostMsg::connectBlockingFunctor(&PostMsg::SigFormReset, this, [this] { setOffline(true); });
    connect(hub, &PostMsg::SigAllLanguage, this, [this](int) { setOffline(m_offline); });
    connect(hub, &PostMsg::SigAllLanguage, this, &Dialog::SlotAllLanguage);
    SlotAllLanguage(Language::currentIndex());
}

void Dialog::setOffline(bool offline) {
    const bool back = m_offline && !offline;
    m_offline = offline;
    // A level read before the mouse went silent says nothing about it now: the gauge empties like
    // before the first report, and the last level returns when the mouse answers again.
    if (offline)
        showNoLevel();
    else if (back && m_lastBattery.known)
        showBattery(m_lastBattery.charging, m_lastBattery.level, m_lastBattery.withPercent);
    // Read at each change, so the caption follows the language chosen meanwhile.
    const QString caption = Language::text(QStringLiteral("home"), QStringLiteral("Offline"));
    m_offlineCaption->setText(caption);
    m_offlineCaption->setVisible(offline);
    m_linkGrey->setEnabled(offline);
    ui->label_4->setToolTip(offline ? caption : QString());
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
    DeviceSession::setProgramActive(false);
    storeCurrentRecord();
    ui->PreButton->setChecked(true);
    PostMsg::instance()->SendTouchkey();
    busyWait(100);
    DeviceSession::stopService();
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

void Dialog::clearBattery() {
    m_lastBattery = {};
    showNoLevel();
}

void Dialog::showNoLevel() {
    // Until the chosen mouse reports its level there is none to show: an offline start would otherwise
    // show a made-up level beside "Offline". Shown as the summary shows a value it does not have yet.
    ui->label->hide();
    ui->progressBar->reset();
    ui->label_2->setText(QStringLiteral("--"));
}

void Dialog::SlotBattery(bool IsCharg, int Number, bool IsText) {
    m_lastBattery = {true, IsCharg, Number, IsText};
    showBattery(IsCharg, Number, IsText);
}

void Dialog::showBattery(bool IsCharg, int Number, bool IsText) {
    ui->label->setVisible(IsCharg);
    ui->progressBar->setValue(Number);
    ui->label_2->setText(IsText ? QString::number(Number) + QStringLiteral("%") : QString::number(Number));
    const QString colour = Number < 16 ? QStringLiteral("152, 43, 34") : QStringLiteral("0, 255, 153");
    ui->progressBar->setStyleSheet(QStringLiteral("#progressBar{border: none;background-color: transparent;}"
                                                  "#progressBar::chunk {background-color: rgb(") +
                                   colour + QStringLiteral(");}"));
}

void Dialog::SlotUpDataParam(int index) {
    setOffline(false); // sent when the selected mouse answered and its record is being read
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

void Dialog::SlotAllLanguage(int index) {
    // "tabsList" ids are the stack indices.
    static const char* const kByPage[7] = {"PreButton",    "ButtonMain", "SensorButton", "MacroButton",
                                           "LightsButton", "Advanced",   "FormSetting"};
    const QMap<QString, QString> tabs = Language::options(QStringLiteral("tabsList"), index);
    for (int page = 0; page < 7; ++page) {
        QToolButton* b = button(kByPage[page]);
        b->setText(tabs.value(QString::number(page)));
        b->setToolTip(b->text());
        Theme::fitText(b, kCaptionPadding);
    }
}

void Dialog::on_stackedWidgetDialog_currentChanged(int arg1) {
    const QString sheet = QStringLiteral("#frame_2{border-image: url(") + m_imagePath +
                          (arg1 == 0 ? QStringLiteral("BackGround2.png") : QStringLiteral("BackGround.png")) +
                          QStringLiteral(");}");
    // A new sheet on the frame restyles every page below it: only when the picture changes.
    if (ui->frame_2->styleSheet() != sheet)
        ui->frame_2->setStyleSheet(sheet);
    if (arg1 != 0)
        ui->UpArrow->show();
}

void Dialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_F12)
        return;
    QWidget::keyPressEvent(event);
}
