#include "sensor/RippeControl.h"

#include "device/SettingWriters.h"
#include "sensor/SensorCapability.h"
#include "ui_RippeControl.h"

#include <QSignalBlocker>

namespace SensorOption {
void applyCheck(QCheckBox* box, bool checked, bool (*writer)(uint8_t)) {
    if (SensorFlags::Armed && writer(checked ? 1 : 0))
        return;
    const QSignalBlocker block(box);
    box->setChecked(!checked);
}

void setCaption(QLabel* title, QLabel* tip, QCheckBox* box, const QString& titleText,
                const QString& tipText) {
    title->setText(titleText);
    tip->setToolTip(tipText);
    if (box)
        box->setAccessibleName(titleText);
}
} // namespace SensorOption

RippeControl::RippeControl(QWidget* parent) : QWidget(parent), ui(new Ui::RippeControl) {
    ui->setupUi(this);
    // The caption sits in the title label; the box itself is drawn as a switch.
    ui->RippeControl_2->setAccessibleName(ui->RippeControl_2->text());
    ui->RippeControl_2->setText(QString());
}

RippeControl::~RippeControl() = default;

void RippeControl::setChecked(bool on) {
    const QSignalBlocker block(ui->RippeControl_2);
    ui->RippeControl_2->setChecked(on);
}

bool RippeControl::isChecked() const {
    return ui->RippeControl_2->isChecked();
}

QString RippeControl::title() const {
    return ui->label->text();
}

void RippeControl::setTexts(const QString& title, const QString& tip) {
    SensorOption::setCaption(ui->label, ui->label_2, ui->RippeControl_2, title, tip);
}

void RippeControl::on_RippeControl_2_clicked(bool checked) {
    SensorOption::applyCheck(ui->RippeControl_2, checked, &SetRippleControl);
}
