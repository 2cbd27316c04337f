#include "light/LampLight.h"

#include "app/core/Language.h"
#include "app/core/PostMsg.h"
#include "app/ui/Theme.h"
#include "device/DeviceTable.h"
#include "device/LinkState.h"
#include "device/SettingWriters.h"
#include "light/LightSections.h"
#include "sensor/SensorCapability.h"
#include "sensor/SensorLook.h"
#include "sensor/StopCloseTime.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QVBoxLayout>

using namespace LightRules;

LampLight::LampLight(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("LampLight"));
    SensorLook::setFontSize(this, 13);
    setStyleSheet(
        Theme::controlRules() + Theme::roleRules() +
        QStringLiteral("QScrollArea#lightScroll,QWidget#lightContent{background:transparent;border:none;}"
                       "QPushButton[objectName^=\"Add\"],QPushButton[objectName^=\"Reduce\"]{"
                       "color:white;background-color:rgb(42,46,56);border:1px solid rgb(70,74,84);"
                       "border-radius:4px;}"
                       "QPushButton[objectName^=\"Add\"]:hover,QPushButton[objectName^=\"Reduce\"]:hover{"
                       "border-color:%1;}")
            .arg(Theme::rgb("SliderColor")));

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("lightScroll"));
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    outer->addWidget(scroll);
    auto* content = new QWidget;
    content->setObjectName(QStringLiteral("lightContent"));
    scroll->setWidget(content);
    auto* centre = new QHBoxLayout(content);
    centre->setContentsMargins(0, 18, 0, 18);
    auto* column = new QWidget(content);
    // The page is 1000 px wide: room on both sides for the scroll bar when the receiver sections need it.
    column->setFixedWidth(950);
    centre->addStretch(1);
    centre->addWidget(column);
    centre->addStretch(1);

    m_sensorEffect = new SensorEffect(column);
    m_mouseLight = new MouseLight(column);
    m_receiveLight = new ReceiveLight(column);
    m_oneLed = new OneLed(column);
    m_threeLed = new ThreeLed(column);

    m_lightOff = new QWidget(column);
    auto* off = new QVBoxLayout(m_lightOff);
    off->setContentsMargins(0, 0, 0, 0);
    off->setSpacing(10);
    off->addWidget(lightTitle(m_lightOff, m_lightOffTitle, "TitleButton_4"));
    m_lightOffTitle->setText(QStringLiteral("关灯时间"));
    m_stopCloseTime = new QComboBox(m_lightOff);
    m_stopCloseTime->setObjectName(QStringLiteral("StopCloseTime"));
    m_stopCloseTime->setView(new QListView(m_stopCloseTime));
    for (int i = 0; i < kLightOffCount; ++i) {
        const int seconds = lightOffValue(i) * 10;
        m_stopCloseTime->addItem(seconds < 60 ? QStringLiteral("%1秒").arg(seconds)
                                              : QStringLiteral("%1分钟").arg(seconds / 60));
    }
    m_stopCloseTime->setFixedHeight(30);
    m_stopCloseTime->setMinimumWidth(180);
    SensorLook::comboBox(m_stopCloseTime);
    off->addWidget(m_stopCloseTime, 0, Qt::AlignLeading);

    // The light bars on the leading side, the small sections beside them; a model without a bar shows
    // the small sections alone at the leading edge rather than beside an empty half.
    m_bars = new QWidget(column);
    auto* bars = new QVBoxLayout(m_bars);
    bars->setContentsMargins(0, 0, 0, 0);
    bars->setSpacing(28);
    bars->addWidget(m_mouseLight);
    bars->addWidget(m_receiveLight);
    bars->addStretch(1);
    auto* side = new QWidget(column);
    side->setFixedWidth(390);
    auto* right = new QVBoxLayout(side);
    right->setContentsMargins(0, 0, 0, 0);
    right->setSpacing(28);
    right->addWidget(m_sensorEffect);
    right->addWidget(m_lightOff);
    right->addWidget(m_oneLed);
    right->addWidget(m_threeLed);
    right->addStretch(1);
    m_row = new QHBoxLayout(column);
    m_row->setContentsMargins(0, 0, 0, 0);
    m_row->setSpacing(40);
    m_row->addWidget(m_bars, 1);
    m_row->addWidget(side);
    m_row->addStretch(0);

    PostMsg* hub = PostMsg::instance();
    PostMsg::connectBlocking(&PostMsg::SigUpDataLightLight, this, &LampLight::SlotUpDataLightUILight);
    PostMsg::connectBlocking(&PostMsg::SigUpDataDPILed, this, &LampLight::SlotUpDataDPILed);
    PostMsg::connectBlocking(&PostMsg::SigFormReset, this, &LampLight::SlotFormResetLight);
    PostMsg::connectBlocking(&PostMsg::SigForm, this, &LampLight::SlotForm);
    PostMsg::connectBlocking(&PostMsg::SigRGBValue, this, &LampLight::SlotRGBValue);
    connect(hub, &PostMsg::SigUpDataLightUIA, this, &LampLight::SlotUpDataLightUIA);
    connect(hub, &PostMsg::SigFormB, this, &LampLight::SlotFormB);
    connect(hub, &PostMsg::SigAllLanguage, this, &LampLight::SlotAllLanguage);
    connect(hub, &PostMsg::SigSelectMouseInfo, this, &LampLight::SlotSelectMouseInfo);
    connect(hub, &PostMsg::SigSleep, this, &LampLight::followSleepTime);
    connect(hub, &PostMsg::SigFireOpen, this, &LampLight::followSleepTime);
    QMetaObject::connectSlotsByName(this);

    showSections();
    holdReceiverSections();
    SlotAllLanguage(Language::currentIndex());
}

void LampLight::showSections() {
    const DeviceAllInfo device = SelectedDevice::get();
    const Sections s = sectionsOf(DeviceTable::row(device.row), device.wired != 0);
    m_mouseLight->setVisible(s.mouseLight);
    m_receiveLight->setVisible(s.receiveLight);
    m_oneLed->setVisible(s.oneLed);
    m_threeLed->setVisible(s.threeLed);
    const bool bars = s.mouseLight || s.receiveLight;
    m_bars->setVisible(bars);
    m_row->setStretch(2, bars ? 0 : 1);
}

void LampLight::selectLightOff(int index) {
    m_lightOffIndex = index;
    const QSignalBlocker block(m_stopCloseTime);
    m_stopCloseTime->setCurrentIndex(index);
}

void LampLight::SlotSelectMouseInfo(DeviceAllInfo info) {
    // The receiver values held so far belong to the device shown before.
    m_onCable = info.wired != 0;
    if (info.path != m_devicePath) {
        m_oneLed->forget();
        holdReceiverSections();
    }
    m_devicePath = info.path;
}

void LampLight::SlotUpDataLightUILight(FlashDataMap DataMap) {
    fullUpdate(DataMap);
}

void LampLight::SlotUpDataLightUIA(FlashDataMap DataMap) {
    fullUpdate(DataMap);
}

void LampLight::fullUpdate(const FlashDataMap& record) {
    m_mouseLight->enableSliders(true);
    m_receiveLight->enableSliders(true);
    LinkFlags::LightFilled = false;
    LinkFlags::LightLoading = true;
    const DeviceAllInfo device = SelectedDevice::get();
    const Sections s = sectionsOf(DeviceTable::row(device.row), device.wired != 0);
    // The receiver is asked only when it has the light and the mouse is there to answer through it.
    if (s.receiveLight && LinkFlags::DeviceOnline)
        m_receiveLight->load();
    else
        m_receiveLight->setEnabled(false);
    if (s.threeLed && LinkFlags::DeviceOnline)
        m_threeLed->load();
    else
        m_threeLed->setEnabled(false);
    // The status LED is read and set through the mouse as well; its value arrives with SigRGBValue.
    m_oneLed->setEnabled(LinkFlags::DeviceOnline);
    m_onCable = device.wired != 0;
    explainReceiverSections(Language::currentIndex());

    const MouseLightView view = viewOf(record);
    m_sensorEffect->fill(view);
    m_mouseLight->fill(view);
    selectLightOff(view.lightOffIndex);
    showSections();
    LinkFlags::LightFilled = true;
    LinkFlags::LightLoading = false;
}

void LampLight::SlotUpDataDPILed(FlashDataMap DataMap) {
    LinkFlags::LightLoading = true;
    m_sensorEffect->fill(viewOf(DataMap));
    LinkFlags::LightLoading = false;
}

void LampLight::SlotFormResetLight() {
    LinkFlags::LightLoading = true;
    m_sensorEffect->reset();
    m_mouseLight->reset();
    m_receiveLight->reset();
    showSections();
    // Offline without a cached record: nothing the receiver holds is known.
    holdReceiverSections();
    LinkFlags::LightLoading = false;
}

void LampLight::SlotForm() {
    showSections();
}

void LampLight::SlotFormB() {
    showSections();
}

void LampLight::SlotRGBValue(DongleRGB* Rgb) {
    if (!Rgb)
        return;
    const DongleRGB value = *Rgb; // the sender's buffer is not ours to keep
    showSections();
    if (m_oneLed->isVisibleTo(this))
        m_oneLed->showValue(value);
}

void LampLight::on_StopCloseTime_activated(int index) {
    if (index < 0 || index >= kLightOffCount)
        return;
    if (!SensorFlags::Armed || LinkFlags::LightLoading)
        return selectLightOff(m_lightOffIndex);
    if (!SetSleepTime(lightOffValue(index)))
        return selectLightOff(m_lightOffIndex);
    m_lightOffIndex = index;
    // The sensor and advanced pages show the same time-out: they follow now, not at the next record.
    // Both take the sleep-time widget's index; a time that widget does not offer leaves them as they are.
    const int shared = StopCloseTime::indexOfStoredValue(lightOffValue(index));
    if (shared >= 0) {
        PostMsg::instance()->SendFireOpen(shared);
        PostMsg::instance()->SendSleep(shared);
    }
}

void LampLight::followSleepTime() {
    // A time-out chosen on another page: shown as a record's is, without writing.
    selectLightOff(lightOffIndex(CurrentRecord::snapshot().sleepTime));
}

void LampLight::holdReceiverSections() {
    // Not what some other receiver held: the bar shows the defaults a reset shows.
    const bool loading = LinkFlags::LightLoading;
    LinkFlags::LightLoading = true;
    m_receiveLight->reset();
    LinkFlags::LightLoading = loading;
    for (QWidget* section : receiverSections())
        section->setEnabled(false);
    explainReceiverSections(Language::currentIndex());
}

QVector<QWidget*> LampLight::receiverSections() const {
    return {m_receiveLight, m_threeLed, m_oneLed};
}

void LampLight::explainReceiverSections(int index) {
    // On the cable the receiver is not in the link at all; otherwise the mouse did not answer through it.
    const char* reason = m_onCable ? "ReceiverOnCable" : "ReceiverSilent";
    const QString why = Language::text(QStringLiteral("light"), QLatin1String(reason), index);
    for (QWidget* section : receiverSections())
        section->setToolTip(section->isEnabled() ? QString() : why);
}

void LampLight::SlotAllLanguage(int index) {
    explainReceiverSections(index);
    m_sensorEffect->retranslate(index);
    m_mouseLight->retranslateAll(index);
    m_receiveLight->retranslate(index);
    m_oneLed->retranslate(index);
    m_threeLed->retranslate(index);
    const QString title = Language::text(QStringLiteral("light"), QStringLiteral("LightOff"), index);
    if (!title.isEmpty())
        m_lightOffTitle->setText(title);
    for (int i = 0; i < kLightOffCount; ++i) {
        const QString key = QStringLiteral("LightOff") + QString::number(lightOffValue(i));
        const QString t = Language::text(QStringLiteral("light"), key, index);
        if (!t.isEmpty())
            m_stopCloseTime->setItemText(i, t);
    }
}
