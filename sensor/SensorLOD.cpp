#include "sensor/SensorLOD.h"

#include "app/core/PostMsg.h"
#include "device/LinkState.h"
#include "device/SettingWriters.h"
#include "sensor/SensorCapability.h"
#include "sensor/SensorLook.h"
#include "sensor/SensorRules.h"
#include "ui_SensorLOD.h"

#include <QSignalBlocker>

SensorLOD::SensorLOD(QWidget* parent) : QWidget(parent), ui(new Ui::SensorLOD) {
    ui->setupUi(this);
    SensorLook::comboBox(ui->LOD);
    SensorLook::tipIcon(ui->label_2);
}

SensorLOD::~SensorLOD() = default;

QStringList SensorLOD::itemTexts(ItemSet set) {
    return SensorRules::lodTexts(set);
}

QVector<int> SensorLOD::itemCodes(ItemSet set) {
    return SensorRules::lodCodes(set);
}

SensorLOD::ItemSet SensorLOD::itemSetForModel(const QString& model) {
    return SensorRules::lodSetForModel(model);
}

QStringList SensorLOD::itemKeys(ItemSet set) {
    return SensorRules::lodKeys(set);
}

void SensorLOD::chooseItemSet(ItemSet set) {
    const bool sameSet = m_set == set;
    m_set = set;
    const QStringList texts = itemTexts(set);
    if (ui->LOD->count() != texts.size()) {
        const QSignalBlocker block(ui->LOD);
        ui->LOD->clear();
        ui->LOD->addItems(texts);
    } else if (sameSet) {
        return;
    }
    showItemTexts();
}

void SensorLOD::setItemTexts(const QMap<QString, QString>& byKey) {
    m_itemTexts = byKey;
    showItemTexts();
}

void SensorLOD::showItemTexts() {
    const QStringList keys = itemKeys(m_set);
    const QStringList fallback = itemTexts(m_set);
    for (int i = 0; i < ui->LOD->count() && i < keys.size(); ++i)
        ui->LOD->setItemText(i, m_itemTexts.value(keys[i], fallback[i]));
}

int SensorLOD::indexOfCode(int code) const {
    const QVector<int> codes = itemCodes(m_set);
    const int i = codes.indexOf(code);
    return i < ui->LOD->count() ? i : -1;
}

void SensorLOD::selectQuietly(int index) {
    const QSignalBlocker block(ui->LOD);
    ui->LOD->setCurrentIndex(index);
}

void SensorLOD::selectByCode(int codeMinusOne) {
    const int index = indexOfCode(codeMinusOne + 1);
    if (index < 0)
        return;
    selectQuietly(index);
    m_lastCode = codeMinusOne + 1;
    PostMsg::instance()->SendAddLOD(ui->LOD->currentText());
}

void SensorLOD::setChoiceEnabled(bool enabled) {
    ui->LOD->setEnabled(enabled);
}

QString SensorLOD::title() const {
    return ui->label->text();
}

void SensorLOD::setTexts(const QString& title, const QString& tip) {
    ui->label->setText(title);
    ui->label_2->setToolTip(tip);
}

int SensorLOD::currentCode() const {
    return itemCodes(m_set).value(ui->LOD->currentIndex(), 0);
}

QString SensorLOD::currentText() const {
    return ui->LOD->currentText();
}

void SensorLOD::on_LOD_currentIndexChanged(int index) {
    if (index < 0 || LinkFlags::SensorLoading)
        return;
    const int code = itemCodes(m_set).value(index, 0);
    if (SensorFlags::Armed && code > 0 && SetLod(uint8_t(code))) {
        m_lastCode = code;
        PostMsg::instance()->SendAddLOD(ui->LOD->currentText());
        return;
    }
    selectQuietly(indexOfCode(m_lastCode));
}
