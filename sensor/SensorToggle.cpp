#include "sensor/SensorToggle.h"

#include "app/core/Language.h"
#include "device/SettingWriters.h"
#include "sensor/SensorCapability.h"
#include "sensor/SensorLook.h"
#include "ui_SensorToggle.h"

#include <QSignalBlocker>

SensorToggle::SensorToggle(const Setting& setting, QWidget* parent)
    : QWidget(parent), ui(new Ui::SensorToggle), m_setting(setting) {
    ui->setupUi(this);
    ui->toggle->setObjectName(QLatin1String(setting.boxName));
    SensorLook::checkBox(ui->toggle);
    SensorLook::tipIcon(ui->label_2);
    connect(ui->toggle, &QCheckBox::clicked, this, &SensorToggle::toggleClicked);
}

SensorToggle::~SensorToggle() = default;

void SensorToggle::setChecked(bool on) {
    const QSignalBlocker block(ui->toggle);
    ui->toggle->setChecked(on);
}

bool SensorToggle::isChecked() const {
    return ui->toggle->isChecked();
}

void SensorToggle::showRecord(const FlashDataMap& record) {
    setChecked(record.*m_setting.field != 0);
}

QString SensorToggle::title() const {
    return ui->label->text();
}

QCheckBox* SensorToggle::box() const {
    return ui->toggle;
}

void SensorToggle::setTexts(const QString& title, const QString& tip) {
    ui->label->setText(title);
    ui->label_2->setToolTip(tip);
    // The caption is a separate label: the switch carries it for screen readers.
    ui->toggle->setAccessibleName(title);
}

void SensorToggle::relabel(int languageIndex) {
    const QString group = QLatin1String(m_setting.group);
    const QString title = Language::text(group, QLatin1String(m_setting.titleKey), languageIndex);
    setTexts(title.isEmpty() ? ui->label->text() : title,
             Language::text(group, QLatin1String(m_setting.tipKey), languageIndex));
}

void SensorToggle::toggleClicked(bool checked) {
    if (SensorFlags::Armed && m_setting.writer(checked ? 1 : 0))
        return;
    setChecked(!checked);
}

RippeControl::RippeControl(QWidget* parent)
    : SensorToggle({"RippeControl_2", &SetRippleControl, &FlashDataMap::rippleControl, "sensor", "Ripple",
                    "RippleTips"},
                   parent) {}

StraightLine::StraightLine(QWidget* parent)
    : SensorToggle(
          {"StraightLine_2", &SetStraightLine, &FlashDataMap::straightLine, "sensor", "Angle", "AngleTips"},
          parent) {}

MotionSync::MotionSync(QWidget* parent)
    : SensorToggle({"MotionSync_2", &SetMotionSync, &FlashDataMap::motionSync, "sensor", "MotionSync",
                    "MotionSyncTips"},
                   parent) {}
