#pragma once
// The sensor page: report rate, DPI levels, lift-off distance, sensor mode, full-performance mode and
// its time-out, ripple, angle snapping and motion sync. It fills its widgets from record copies sent
// through the hub while the sensor-loading flag is raised, and turns user actions into one setting
// write each.

#include "app/core/DeviceAllInfo.h"
#include "app/core/FlashDataMap.h"

#include <QWidget>
#include <memory>

class QComboBox;
namespace Ui {
class Sensor;
}

class Sensor : public QWidget {
    Q_OBJECT
public:
    explicit Sensor(QWidget* parent = nullptr);
    ~Sensor() override;

    // Time-out choices of PerformanceOpen: stored value (units of 10 s) of an index 0-9, 0 outside.
    static int timeoutStoredValue(int index);
    // The PerformanceOpen item that shows a stored value; -1 when no shown item stores it.
    static int timeoutIndexOfValue(int value);

public slots:
    void SlotUpDataSenSorUISensor(FlashDataMap DataMap);
    void SlotUpDataSenSorUIB(FlashDataMap DataMap);
    void SlotFormReset();
    void SlotUpDataReportRate(int code);
    void SlotUpDataDPI(int level);
    void SlotFireOpen(int index);
    void SlotHideModel(int index);
    void SlotReadYValue();
    void SlotAllLanguage(int index);
    void SlotSelectMouseInfo(DeviceAllInfo info);

    void on_Performance_toggled(bool checked);
    void on_Performance_clicked(bool checked);
    void on_PerformanceOpen_currentIndexChanged(int index);
    void on_ModelChoose_currentIndexChanged(int index);

private:
    void fullUpdate(const FlashDataMap& record, bool marksLoaded);
    void buildStyle();
    void applyVisibilityRules();
    void arrangeOptions();
    // Sensor mode: the item-2 lock (shown, selected, disabled) or the free choice (item 2 hidden).
    void showSensorMode(int rateCode, int recordMode);
    void lockSensorMode();
    void freeSensorMode(int recordMode);
    void selectModeQuietly(int index);
    void selectTimeoutQuietly(int index);
    bool modeSelectable() const;

    std::unique_ptr<Ui::Sensor> ui;
    QString m_settingsPath;
    int m_modeIndex = 0;    // last accepted sensor mode
    int m_timeoutIndex = 0; // last accepted time-out
};
