#include "sensor/DebounceTime.h"

#include "app/core/PostMsg.h"
#include "app/notices/SimpleNotices.h"
#include "device/LinkState.h"
#include "device/SettingWriters.h"
#include "sensor/SensorCapability.h"
#include "ui_DebounceTime.h"

#include <QSignalBlocker>

namespace {
// Below this many milliseconds a double click may register as two; the user is warned.
constexpr int kShortDebounce = 8;
} // namespace

DebounceTime::DebounceTime(QWidget* parent) : QWidget(parent), ui(new Ui::DebounceTime) {
    ui->setupUi(this);
    const QSignalBlocker block(ui->Debunce);
    ui->Debunce->setCurrentIndex(0);
}

DebounceTime::~DebounceTime() = default;

QComboBox* DebounceTime::choice() const {
    return ui->Debunce;
}

void DebounceTime::selectIndex(int index) {
    if (index < 0 || index >= ui->Debunce->count())
        return;
    m_lastIndex = index;
    const QSignalBlocker block(ui->Debunce);
    ui->Debunce->setCurrentIndex(index);
}

int DebounceTime::currentIndex() const {
    return ui->Debunce->currentIndex();
}

QString DebounceTime::title() const {
    return ui->label->text();
}

void DebounceTime::setTexts(const QString& title, const QString& tip) {
    ui->label->setText(title);
    ui->label_2->setToolTip(tip);
}

void DebounceTime::restore() {
    const QSignalBlocker block(ui->Debunce);
    ui->Debunce->setCurrentIndex(m_lastIndex);
}

void DebounceTime::on_Debunce_currentIndexChanged(int index) {
    if (index < 0)
        return;
    if (!SensorFlags::Armed || !SetDebounceTime(uint8_t(index))) {
        restore();
        return;
    }
    m_lastIndex = index;
    PostMsg::instance()->SendDebunce(ui->Debunce->itemText(index));
    if (index < kShortDebounce && !LinkFlags::ButtonLoading) {
        LessThree notice(this);
        notice.placeOver(this, -409, -202);
        notice.exec();
    }
}
