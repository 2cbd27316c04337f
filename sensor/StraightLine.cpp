#include "sensor/StraightLine.h"

#include "device/SettingWriters.h"
#include "sensor/RippeControl.h"
#include "ui_StraightLine.h"

#include <QSignalBlocker>

StraightLine::StraightLine(QWidget* parent) : QWidget(parent), ui(new Ui::StraightLine) {
    ui->setupUi(this);
    ui->StraightLine_2->setAccessibleName(ui->StraightLine_2->text());
    ui->StraightLine_2->setText(QString());
}

StraightLine::~StraightLine() = default;

void StraightLine::setChecked(bool on) {
    const QSignalBlocker block(ui->StraightLine_2);
    ui->StraightLine_2->setChecked(on);
}

bool StraightLine::isChecked() const {
    return ui->StraightLine_2->isChecked();
}

QString StraightLine::title() const {
    return ui->label->text();
}

void StraightLine::setTexts(const QString& title, const QString& tip) {
    SensorOption::setCaption(ui->label, ui->label_2, ui->StraightLine_2, title, tip);
}

void StraightLine::on_StraightLine_2_clicked(bool checked) {
    SensorOption::applyCheck(ui->StraightLine_2, checked, &SetStraightLine);
}
