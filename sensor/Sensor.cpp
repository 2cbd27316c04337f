#include "sensor/Sensor.h"

#include "app/core/AppPaths.h"
#include "app/core/Language.h"
#include "app/core/PostMsg.h"
#include "device/DeviceTable.h"
#include "device/LinkState.h"
#include "device/SettingWriters.h"
#include "sensor/DpiCodec.h"
#include "sensor/SensorCapability.h"
#include "sensor/SensorLook.h"
#include "sensor/StopCloseTime.h"
#include "ui_Sensor.h"

#include <QDir>
#include <QListView>
#include <QSignalBlocker>

namespace {
const int kTimeoutValues[10] = {1, 3, 6, 12, 18, 30, 60, 90, 210, 240};
// Only these are offered (and shown when the mouse reports them); 8 and 9 are accepted when written.
constexpr int kShownTimeouts = 8;
constexpr int kCordedMode = 2; // the sensor mode the mouse uses on the cable and at the fast rates

const char* const kModeFlag = "SUPPORT_SENSOR_MODE_SEL";

bool isReceiverKind(int kind) {
    return kind == 1 || kind == 4 || kind == 5;
}

bool isFastRateCode(int code) {
    return code == 16 || code == 32 || code == 64;
}

QString hexColour(const DpiLevelEntry& e) {
    return QStringLiteral("#%1%2%3")
        .arg(e.red, 2, 16, QLatin1Char('0'))
        .arg(e.green, 2, 16, QLatin1Char('0'))
        .arg(e.blue, 2, 16, QLatin1Char('0'));
}

// A language text, or the current caption when the language has none.
QString textOr(const QString& key, const QString& current, int index) {
    const QString t = Language::text(QStringLiteral("sensor"), key, index);
    return t.isEmpty() ? current : t;
}

void setHiddenRow(QComboBox* box, int row, bool hidden) {
    if (auto* view = qobject_cast<QListView*>(box->view()))
        view->setRowHidden(row, hidden);
}
} // namespace

Sensor::Sensor(QWidget* parent) : QWidget(parent), ui(new Ui::Sensor) {
    SensorLook::setFontSize(this, 13);
    ui->setupUi(this);
    setObjectName(QStringLiteral("Sensor"));
    // The page's column is 883 px wide and sits in the middle of whatever room the frame gives it.
    ui->SenSorPage->setFixedWidth(883);
    ui->outerLayout->setAlignment(ui->SenSorPage, Qt::AlignHCenter);
    m_settingsPath = AppPaths::userDataRoot() + QStringLiteral("/usersetting/SensorPage");
    QDir().mkpath(m_settingsPath);
    ui->frameDpi->setLevelCount(readLevelIniCount());
    // The DPI section's title bar goes with the editor's own title, so both mirror together.
    ui->TitleButton_2->setParent(ui->frameDpi);
    ui->frameDpi->placeChild(ui->TitleButton_2, QRect(0, 11, 6, 22));
    ui->TitleButton_2->show();
    for (int c = 0; c < 3; ++c)
        ui->optionGrid->setColumnStretch(c, 1);

    PostMsg* hub = PostMsg::instance();
    connect(hub, &PostMsg::SigHideModel, this, &Sensor::SlotHideModel);
    connect(hub, &PostMsg::SigReadYValue, this, &Sensor::SlotReadYValue);

    // List views so that the hovered and selected rows take the select colour, and single rows can hide.
    ui->ModelChoose->setView(new QListView(ui->ModelChoose));
    ui->PerformanceOpen->setView(new QListView(ui->PerformanceOpen));
    buildStyle();
    SensorCapability::current().loadCapabilityHeader();

    PostMsg::connectBlocking(&PostMsg::SigUpDataLightSensor, this, &Sensor::SlotUpDataSenSorUISensor);
    connect(hub, &PostMsg::SigUpDataSensorUIB, this, &Sensor::SlotUpDataSenSorUIB);
    PostMsg::connectBlocking(&PostMsg::SigFormReset, this, &Sensor::SlotFormReset);
    PostMsg::connectBlocking(&PostMsg::SigUpDataReportRate, this, &Sensor::SlotUpDataReportRate);
    PostMsg::connectBlocking(&PostMsg::SigUpDataDPI, this, &Sensor::SlotUpDataDPI);
    connect(hub, &PostMsg::SigFireOpen, this, &Sensor::SlotFireOpen);
    connect(hub, &PostMsg::SigAllLanguage, this, &Sensor::SlotAllLanguage);
    connect(hub, &PostMsg::SigSelectMouseInfo, this, &Sensor::SlotSelectMouseInfo);

    applyVisibilityRules();
    SlotAllLanguage(Language::currentIndex());
}

Sensor::~Sensor() = default;

int Sensor::timeoutStoredValue(int index) {
    return index >= 0 && index < 10 ? kTimeoutValues[index] : 0;
}

int Sensor::timeoutIndexOfValue(int value) {
    for (int i = 0; i < kShownTimeouts; ++i)
        if (kTimeoutValues[i] == value)
            return i;
    return -1;
}

void Sensor::buildStyle() {
    SensorLook::setFontSize(ui->label_5, 15, true);
    for (QWidget* bar : {ui->TitleButton, ui->TitleButton_2, ui->TitleButton_4})
        SensorLook::titleBar(bar);
    SensorLook::tipIcon(ui->label);
    SensorLook::tipIcon(ui->label_2);
    SensorLook::checkBox(ui->Performance);
    SensorLook::comboBox(ui->ModelChoose);
    SensorLook::comboBox(ui->PerformanceOpen);
}

bool Sensor::modeSelectable() const {
    return SensorCapability::current().isSupported(QLatin1String(kModeFlag));
}

void Sensor::selectModeQuietly(int index) {
    const QSignalBlocker block(ui->ModelChoose);
    if (index >= -1 && index < ui->ModelChoose->count())
        ui->ModelChoose->setCurrentIndex(index);
}

void Sensor::selectTimeoutQuietly(int index) {
    const QSignalBlocker block(ui->PerformanceOpen);
    ui->PerformanceOpen->setCurrentIndex(index);
}

void Sensor::lockSensorMode() {
    setHiddenRow(ui->ModelChoose, kCordedMode, false);
    selectModeQuietly(kCordedMode);
    m_modeIndex = kCordedMode;
    ui->ModelChoose->setEnabled(false);
}

void Sensor::freeSensorMode(int recordMode) {
    ui->ModelChoose->setEnabled(true);
    selectModeQuietly(recordMode);
    if (recordMode >= 0 && recordMode < ui->ModelChoose->count())
        m_modeIndex = recordMode;
    setHiddenRow(ui->ModelChoose, kCordedMode, true);
}

// One rule for every way a mouse reaches the page (chosen, moved between links, restarted, reset), so
// the box does not depend on what it showed before.
void Sensor::showSensorMode(int rateCode, int recordMode) {
    const DeviceAllInfo device = SelectedDevice::get();
    if (!modeSelectable()) {
        // A model without the choice shows none, not the mode of the mouse shown before.
        ui->ModelChoose->setEnabled(false);
        selectModeQuietly(-1);
        m_modeIndex = 0;
    } else if (device.wired || (isReceiverKind(device.kind) && isFastRateCode(rateCode))) {
        lockSensorMode();
    } else {
        freeSensorMode(recordMode);
    }
}

void Sensor::SlotSelectMouseInfo(DeviceAllInfo) {
    SensorFlags::Armed = true;
}

void Sensor::SlotUpDataSenSorUISensor(FlashDataMap DataMap) {
    fullUpdate(DataMap, true);
}

void Sensor::SlotUpDataSenSorUIB(FlashDataMap DataMap) {
    fullUpdate(DataMap, false);
}

void Sensor::fullUpdate(const FlashDataMap& r, bool marksLoaded) {
    SensorDPI* dpi = ui->frameDpi;
    SensorCapability& cap = SensorCapability::current();
    const DeviceAllInfo device = SelectedDevice::get();
    const bool wired = device.wired != 0;
    const int kind = device.kind;

    // 1
    dpi->enableSliders(true);
    dpi->clearLevelChooser();
    dpi->blockSliders(true);
    if (marksLoaded)
        LinkFlags::SensorFilled = false;
    LinkFlags::SensorLoading = true;

    // 2
    dpi->setLevelCount(r.dpiLevelCount);
    dpi->setCurrentLevel(r.currentDpiLevel);

    // 3: the cable cannot carry 2000 and 4000 Hz; the mouse then runs at 1000 Hz.
    int rateIndex = SensorRate::indexOfCode(r.reportRate);
    if (rateIndex >= 0) {
        if (wired && (r.reportRate == 16 || r.reportRate == 32))
            rateIndex = 3;
        ui->frameRate->selectIndex(rateIndex);
    }

    // 4: model, level count, XIn1 and ranges of the device's row.
    cap.loadRow(DeviceTable::row(device.row));
    ui->frameLOD->chooseItemSet(SensorLOD::itemSetForModel(cap.SensorModel));

    // 5
    showSensorMode(r.reportRate, r.sensorMode);

    // 6
    ui->frameLOD->selectByCode(int(r.lod) - 1);

    // 7
    const bool performance = r.fullPerformance != 0;
    {
        const QSignalBlocker block(ui->Performance);
        ui->Performance->setChecked(performance);
    }
    ui->PerformanceOpen->setEnabled(performance);
    PostMsg::instance()->Send20KOpen(performance);

    // 8: other values (the two long time-outs among them) leave the choice as it is.
    const int timeout = timeoutIndexOfValue(r.sleepTimeCopy);
    if (timeout >= 0) {
        selectTimeoutQuietly(timeout);
        m_timeoutIndex = timeout;
    }

    // 9
    ui->frame->showRecord(r);
    ui->frame_4->showRecord(r);
    ui->frame_3->showRecord(r);

    // 10
    const int levels = qBound(0, cap.dpiMaxGrade, int(SensorDPI::kLevels));
    for (int i = 0; i < levels; ++i) {
        dpi->setLevelColour(i, hexColour(r.dpiLevels[i]));
        dpi->setChooserItem(i, QString::number(i + 1));
    }
    dpi->highlightLevel(r.currentDpiLevel);

    // 11
    applyVisibilityRules();
    if (!cap.ranges.empty())
        dpi->setSliderRange(cap.ranges.lowest(), cap.ranges.highest());

    // 12: X–Y separate editing as the record holds it (it is not stored elsewhere).
    dpi->showSeparateXY(DpiCodec::levelsSeparate(cap, r, qBound(1, int(r.dpiLevelCount), levels)));
    for (int i = 0; i < levels; ++i) {
        const int x = DpiCodec::decodeX(cap, r, i);
        const int y = DpiCodec::decodeY(cap, r, i);
        dpi->setLevelValues(i, x, y);
        if (i == r.currentDpiLevel) {
            dpi->setCurrentValue(x);
            dpi->setCurrentValueY(y);
            PostMsg::instance()->SendAddSensor(x);
        }
    }

    // 13: a recorded level outside the active levels leaves the marker and selection as they are.
    dpi->setChooserIndex(int(r.dpiLevelCount) - 1);
    if (r.currentDpiLevel < dpi->levelCount()) {
        dpi->moveMarker(r.currentDpiLevel);
        dpi->selectLevel(r.currentDpiLevel);
    }

    // 14
    ui->frameRate->setMode(SensorRate::modeForKind(kind));

    // 15
    applyVisibilityRules();

    // 16
    dpi->blockSliders(false);
    LinkFlags::SensorLoading = false;
    if (marksLoaded)
        LinkFlags::SensorFilled = true;
    SensorFlags::Armed = true;
    PostMsg::instance()->SendtVis(0);
}

void Sensor::applyVisibilityRules() {
    const SensorCapability& cap = SensorCapability::current();
    const QString& model = cap.SensorModel;
    // "XIn1" = 2 hides the whole sensor block first; the flag and model rules come after it and win,
    // so only the section title and the performance controls stay hidden for any model but "3315".
    const bool section = cap.xIn1 != 2;
    const bool is3315 = model == QLatin1String("3315");

    ui->TitleButton_4->setVisible(section);
    ui->label_5->setVisible(section);
    ui->Performance->setVisible(section);
    ui->PerformanceOpen->setVisible(section);
    ui->label_2->setVisible(section); // the tip goes with the control it explains
    ui->label_11->setVisible(!is3315);
    ui->ModelChoose->setVisible(!is3315);
    ui->label->setVisible(!is3315);
    ui->frameLOD->setVisible(!is3315);
    ui->frame->setVisible(!is3315 && cap.isSupported(QStringLiteral("SUPPORT_RIPPLE")));
    ui->frame_4->setVisible(!is3315 && cap.isSupported(QStringLiteral("SUPPORT_FIXLINE")));
    ui->frame_3->setVisible(!is3315 && cap.isSupported(QStringLiteral("SUPPORT_MOTION_SYNC")) &&
                            model != QLatin1String("3311"));
    ui->frameLOD->setChoiceEnabled(cap.isSupported(QStringLiteral("SUPPORT_LOD_CAL")));
    ui->modeCell->setVisible(!is3315);
    ui->performanceCell->setVisible(section);
    arrangeOptions();
}

// Shown options fill the grid in order, choices first and then switches, three to a row, so a
// hidden control leaves no hole.
void Sensor::arrangeOptions() {
    const QVector<QWidget*> choices = {ui->frameLOD, ui->modeCell, ui->performanceCell};
    const QVector<QWidget*> switches = {ui->frame, ui->frame_4, ui->frame_3};
    for (QWidget* w : choices + switches)
        ui->optionGrid->removeWidget(w);
    int row = 0;
    for (const QVector<QWidget*>& group : {choices, switches}) {
        int column = 0;
        for (QWidget* w : group) {
            if (w->isHidden())
                continue;
            ui->optionGrid->addWidget(w, row, column, Qt::AlignTop);
            if (++column == 3) {
                column = 0;
                ++row;
            }
        }
        if (column > 0)
            ++row;
    }
}

void Sensor::SlotFormReset() {
    SensorDPI* dpi = ui->frameDpi;
    SensorCapability& cap = SensorCapability::current();
    const DeviceAllInfo device = SelectedDevice::get();
    const ModelRow row = DeviceTable::row(device.row);

    LinkFlags::SensorLoading = true;
    cap.loadRow(row);
    dpi->setSliderRange(row.dpiMin, row.dpiMax);
    dpi->showSeparateXY(false); // the table's levels are joint values
    dpi->resetToConfiguration(row);
    const int maxGrade = qBound(1, row.dpiMaxGrade, int(SensorDPI::kLevels));
    dpi->clearLevelChooser();
    dpi->fillLevelChooser(maxGrade);
    dpi->setLevelCount(maxGrade);
    dpi->setChooserIndex(maxGrade - 1);
    const int current = row.currentPos >= 0 && row.currentPos < maxGrade ? row.currentPos : 0;
    dpi->setCurrentLevel(current);
    dpi->moveMarker(current);
    dpi->selectLevel(current);
    {
        const QSignalBlocker block(ui->Performance);
        ui->Performance->setEnabled(true);
        ui->Performance->setChecked(true);
    }
    ui->PerformanceOpen->setEnabled(true);
    ui->frame_3->setChecked(true);
    // The level's table value; "CurrentDPI" only for a row without levels.
    const int currentDpi = row.dpiGrade.size() > current ? row.dpiGrade[current] : row.currentDpi;
    dpi->setCurrentValue(currentDpi);
    dpi->setCurrentValueY(currentDpi);
    PostMsg::instance()->SendAddSensor(currentDpi);
    ui->frameRate->setMode(SensorRate::modeForKind(device.kind));
    ui->frameRate->selectIndex(3);
    // The first mode, unless the cable holds the box on its own item as a record from the mouse would.
    showSensorMode(SensorRate::codeAt(3), 0);

    ui->frameLOD->chooseItemSet(SensorLOD::itemSetForModel(cap.SensorModel));
    ui->frameLOD->selectByCode(0);
    applyVisibilityRules();
    LinkFlags::SensorLoading = false;
    SensorFlags::Armed = true;
}

void Sensor::SlotUpDataReportRate(int code) {
    const bool wired = SelectedDevice::get().wired != 0;
    const int index = SensorRate::indexOfCode(code);
    if (index < 0)
        return;
    ui->frameRate->selectIndex(index);
    if (!modeSelectable() || wired)
        return;
    if (index < 4)
        freeSensorMode(CurrentRecord::snapshot().sensorMode);
    else
        lockSensorMode();
}

void Sensor::SlotUpDataDPI(int level) {
    // The mouse already changed its level: show it without writing it back.
    const bool armed = SensorFlags::Armed.exchange(false);
    SensorDPI* dpi = ui->frameDpi;
    if (level >= 0 && level < dpi->levelCount()) {
        dpi->moveMarker(level);
        dpi->selectLevel(level);
        dpi->setCurrentLevel(level);
        PostMsg::instance()->SendAddSensor(dpi->levelValueX(level));
    }
    SensorFlags::Armed = armed;
}

void Sensor::SlotFireOpen(int index) {
    // The sleep-time widget counts its choices differently: match the stored time, not the index.
    const int shown = timeoutIndexOfValue(StopCloseTime::storedValue(index));
    if (shown < 0)
        return;
    selectTimeoutQuietly(shown);
    m_timeoutIndex = shown;
}

void Sensor::SlotHideModel(int index) {
    const DeviceAllInfo device = SelectedDevice::get();
    if (!modeSelectable())
        return;
    if (index == 0 && !device.wired)
        freeSensorMode(CurrentRecord::snapshot().sensorMode);
    else if (index == 1 && isReceiverKind(device.kind))
        lockSensorMode();
}

void Sensor::SlotReadYValue() {
    SensorDPI* dpi = ui->frameDpi;
    const SensorCapability& cap = SensorCapability::current();
    const FlashDataMap record = CurrentRecord::snapshot();
    const int levels = qBound(0, cap.dpiMaxGrade, int(SensorDPI::kLevels));
    for (int i = 0; i < levels; ++i) {
        const int x = DpiCodec::decodeX(cap, record, i);
        const int y = DpiCodec::decodeY(cap, record, i);
        dpi->setLevelValues(i, x, y);
        if (i == dpi->currentLevel()) {
            dpi->setCurrentValue(x);
            dpi->setCurrentValueY(y);
        }
    }
}

void Sensor::on_Performance_toggled(bool checked) {
    ui->PerformanceOpen->setEnabled(checked);
}

void Sensor::on_Performance_clicked(bool checked) {
    if (SensorFlags::Armed && SetFullPerformance(checked ? 1 : 0)) {
        PostMsg::instance()->Send20KOpen(checked);
    } else {
        const QSignalBlocker block(ui->Performance);
        ui->Performance->setChecked(!checked);
        ui->PerformanceOpen->setEnabled(!checked);
    }
    PostMsg::instance()->SendtVis(0);
}

void Sensor::on_PerformanceOpen_currentIndexChanged(int index) {
    if (index < 0 || LinkFlags::SensorLoading)
        return;
    if (!SensorFlags::Armed || !CheckDeviceOnline()) {
        selectTimeoutQuietly(m_timeoutIndex);
        return;
    }
    const int value = timeoutStoredValue(index);
    if (value > 0) {
        if (!SetSleepTime(uint8_t(value))) {
            selectTimeoutQuietly(m_timeoutIndex);
            return;
        }
        m_timeoutIndex = index;
    }
    PostMsg::instance()->SendSleep(index);
}

void Sensor::on_ModelChoose_currentIndexChanged(int index) {
    // Item 2 is the mode the mouse picks by itself on the cable and at the fast rates.
    if (index < 0 || LinkFlags::SensorLoading || index == kCordedMode)
        return;
    if (SensorFlags::Armed && SetSensorMode(uint8_t(index))) {
        m_modeIndex = index;
        return;
    }
    selectModeQuietly(m_modeIndex);
}

void Sensor::SlotAllLanguage(int index) {
    const QString sensor = QStringLiteral("sensor");
    ui->frameRate->setTitle(textOr(QStringLiteral("ReportRate"), ui->frameRate->title(), index));
    ui->frameRate->setRateTexts(Language::options(QStringLiteral("ReportRates"), index));
    ui->frameDpi->SlotAllLanguage(index);
    ui->label_5->setText(textOr(QStringLiteral("SensorSetting"), ui->label_5->text(), index));
    ui->label_11->setText(textOr(QStringLiteral("SensorMode"), ui->label_11->text(), index));
    ui->label->setToolTip(Language::text(sensor, QStringLiteral("SensorModeTips"), index));
    ui->frameLOD->setTexts(textOr(QStringLiteral("LOD"), ui->frameLOD->title(), index),
                           Language::text(sensor, QStringLiteral("LODTips"), index));
    ui->frameLOD->setItemTexts(Language::options(QStringLiteral("LODOptions"), index));
    ui->frame_3->relabel(index);
    ui->Performance->setText(textOr(QStringLiteral("Performance"), ui->Performance->text(), index));
    ui->label_2->setToolTip(Language::text(sensor, QStringLiteral("PerformanceTips"), index));
    ui->frame->relabel(index);
    ui->frame_4->relabel(index);

    // Time-out items by the key of their stored value; the option list is the fallback.
    const QMap<QString, QString> timeouts = Language::options(QStringLiteral("PerformanceOptions"), index);
    for (int i = 0; i < ui->PerformanceOpen->count() && i < kShownTimeouts; ++i) {
        const QString key = QString::number(kTimeoutValues[i]);
        QString t = Language::text(sensor, key, index);
        if (t.isEmpty())
            t = timeouts.value(key);
        if (!t.isEmpty())
            ui->PerformanceOpen->setItemText(i, t);
    }
    const QMap<QString, QString> modes = Language::options(QStringLiteral("SensorModeOptions"), index);
    for (int i = 0; i < ui->ModelChoose->count(); ++i) {
        const QString t = modes.value(QString::number(i));
        if (!t.isEmpty())
            ui->ModelChoose->setItemText(i, t);
    }
}
