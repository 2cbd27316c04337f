#include "sensor/SensorRate.h"

#include "app/core/PostMsg.h"
#include "app/ui/Theme.h"
#include "device/SettingWriters.h"
#include "sensor/SensorCapability.h"
#include "sensor/SensorRules.h"
#include "ui_SensorRate.h"

#include <QButtonGroup>
#include <QMap>

SensorRate::SensorRate(QWidget* parent) : QWidget(parent), ui(new Ui::SensorRate) {
    ui->setupUi(this);
    m_group = new QButtonGroup(this);
    m_group->setExclusive(true);
    for (int i = 0; i < kCount; ++i)
        m_group->addButton(button(i), i);
    button(m_lastIndex)->setChecked(true);
    setMode(0);
    // The rate buttons' own look, on the row that holds them; the caption takes the theme's.
    QColor checkedBack = Theme::colour("SliderColor");
    checkedBack.setAlpha(30);
    setStyleSheet(
        QStringLiteral("QPushButton{color:%1;background-color:rgba(255,255,255,10);border:1px solid %2;"
                       "border-radius:6px;font-size:12px;}"
                       "QPushButton:hover{border-color:%3;}"
                       "QPushButton:checked{color:%3;background-color:rgba(%4,%5,%6,30);border:1px solid %3;"
                       "font-weight:bold;}")
            .arg(Theme::rgb("ButtonColor"), Theme::border().name(), Theme::rgb("SliderColor"))
            .arg(checkedBack.red())
            .arg(checkedBack.green())
            .arg(checkedBack.blue()));
}

SensorRate::~SensorRate() = default;

int SensorRate::rateAt(int index) {
    return SensorRules::rateAt(index);
}

int SensorRate::codeAt(int index) {
    return SensorRules::rateCodeAt(index);
}

int SensorRate::indexOfCode(int code) {
    return SensorRules::rateIndexOfCode(code);
}

int SensorRate::modeForKind(int kind) {
    return SensorRules::rateModeForKind(kind);
}

QAbstractButton* SensorRate::button(int index) const {
    QAbstractButton* const buttons[kCount] = {ui->Button125HZ,  ui->Button250HZ,  ui->Button500HZ,
                                              ui->Button1000HZ, ui->Button2000HZ, ui->Button4000HZ,
                                              ui->Button8000HZ};
    return index >= 0 && index < kCount ? buttons[index] : nullptr;
}

void SensorRate::selectIndex(int index) {
    if (index < 0 || index >= kCount)
        return;
    button(index)->setChecked(true);
    m_lastIndex = index;
    PostMsg::instance()->SendAddReport(rateAt(index));
}

void SensorRate::setMode(int mode) {
    m_mode = mode;
    for (int i = 4; i < kCount; ++i)
        button(i)->setVisible(SensorRules::rateOffered(mode, i));
}

QString SensorRate::title() const {
    return ui->label->text();
}

void SensorRate::setTitle(const QString& title) {
    ui->label->setText(title);
}

void SensorRate::setRateTexts(const QMap<QString, QString>& byRate) {
    for (int i = 0; i < kCount; ++i) {
        const QString text = byRate.value(QString::number(rateAt(i)));
        if (!text.isEmpty())
            button(i)->setText(text);
    }
}

void SensorRate::choose(int index) {
    if (!SensorFlags::Armed) {
        button(m_lastIndex)->setChecked(true);
        return;
    }
    if (!SetReportRate(uint8_t(codeAt(index)))) {
        selectIndex(m_lastIndex);
        return;
    }
    PostMsg* hub = PostMsg::instance();
    hub->SendAddReport(rateAt(index));
    m_lastIndex = index;
    hub->SendHideModel(index >= 4 ? 1 : 0);
}

void SensorRate::on_Button125HZ_clicked(bool) {
    choose(0);
}
void SensorRate::on_Button250HZ_clicked(bool) {
    choose(1);
}
void SensorRate::on_Button500HZ_clicked(bool) {
    choose(2);
}
void SensorRate::on_Button1000HZ_clicked(bool) {
    choose(3);
}
void SensorRate::on_Button2000HZ_clicked(bool) {
    choose(4);
}
void SensorRate::on_Button4000HZ_clicked(bool) {
    choose(5);
}
void SensorRate::on_Button8000HZ_clicked(bool) {
    choose(6);
}
