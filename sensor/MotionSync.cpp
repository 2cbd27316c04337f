#include "sensor/MotionSync.h"

#include "device/SettingWriters.h"
#include "sensor/RippeControl.h"
#include "ui_MotionSync.h"

#include <QSignalBlocker>

MotionSync::MotionSync(QWidget* parent) : QWidget(parent), ui(new Ui::MotionSync) {
    ui->setupUi(this);
    ui->MotionSync_2->setAccessibleName(ui->MotionSync_2->text());
    ui->MotionSync_2->setText(QString());
}

MotionSync::~MotionSync() = default;

void MotionSync::setChecked(bool on) {
    const QSignalBlocker block(ui->MotionSync_2);
    ui->MotionSync_2->setChecked(on);
}

bool MotionSync::isChecked() const {
    return ui->MotionSync_2->isChecked();
}

QString MotionSync::title() const {
    return ui->label->text();
}

void MotionSync::setTexts(const QString& title, const QString& tip) {
    SensorOption::setCaption(ui->label, ui->label_2, ui->MotionSync_2, title, tip);
}

void MotionSync::on_MotionSync_2_clicked(bool checked) {
    SensorOption::applyCheck(ui->MotionSync_2, checked, &SetMotionSync);
}
