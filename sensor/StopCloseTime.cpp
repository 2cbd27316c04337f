#include "sensor/StopCloseTime.h"
#include "sensor/SensorLook.h"

#include "app/core/PostMsg.h"
#include "device/LinkState.h"
#include "device/SettingWriters.h"
#include "sensor/SensorCapability.h"
#include "sensor/SensorRules.h"
#include "ui_StopCloseTime.h"

#include <QSignalBlocker>

StopCloseTime::StopCloseTime(QWidget* parent) : QWidget(parent), ui(new Ui::StopCloseTime) {
    ui->setupUi(this);
    SensorLook::comboBox(ui->StopClose); // the drop-down of every other page, not the form's plain one
    const QSignalBlocker block(ui->StopClose);
    ui->StopClose->setCurrentIndex(0);
}

StopCloseTime::~StopCloseTime() = default;

int StopCloseTime::storedValue(int index) {
    return SensorRules::sleepValue(index);
}

int StopCloseTime::indexOfStoredValue(int value) {
    return SensorRules::sleepIndexOfValue(value);
}

QComboBox* StopCloseTime::choice() const {
    return ui->StopClose;
}

void StopCloseTime::selectIndex(int index) {
    if (index < 0 || index >= ui->StopClose->count())
        return;
    m_lastIndex = index;
    const QSignalBlocker block(ui->StopClose);
    ui->StopClose->setCurrentIndex(index);
}

void StopCloseTime::selectStoredValue(int value) {
    selectIndex(indexOfStoredValue(value));
}

int StopCloseTime::currentIndex() const {
    return ui->StopClose->currentIndex();
}

QString StopCloseTime::title() const {
    return ui->label->text();
}

void StopCloseTime::setTexts(const QString& title, const QString& tip) {
    ui->label->setText(title);
    ui->label_2->setToolTip(tip);
}

void StopCloseTime::setItemTexts(const QStringList& texts) {
    for (int i = 0; i < ui->StopClose->count() && i < texts.size(); ++i)
        if (!texts.at(i).isEmpty())
            ui->StopClose->setItemText(i, texts.at(i));
}

void StopCloseTime::on_StopClose_activated(int index) {
    if (index < 0 || index >= kCount)
        return;
    if (SensorFlags::Armed && !LinkFlags::ButtonLoading && SetSleepTime(uint8_t(storedValue(index)))) {
        m_lastIndex = index;
        PostMsg::instance()->SendFireOpen(index);
        return;
    }
    const QSignalBlocker block(ui->StopClose);
    ui->StopClose->setCurrentIndex(m_lastIndex);
}
