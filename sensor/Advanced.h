#pragma once
// The advanced page: sleep time, 20K frame rate, long range, angle, trigger point, response curve,
// touch keys, button calibration and the virtual centre point, in the tabs of AdvancedTab.
#include "app/core/FlashDataMap.h"

#include <QWidget>

class AngleMove;
class CurvePlotWidget;
class FastClick;
class KFPS20;
class KeyVoice;
class LongMode;
class QCheckBox;
class QLabel;
class QStackedWidget;
class QTabWidget;
class StopCloseTime;
class TouchKeySet;
class VirtualPoint;
class AdvancedSection;

class Advanced : public QWidget {
    Q_OBJECT
public:
    explicit Advanced(QWidget* parent = nullptr);

    QTabWidget* tabs() const { return m_tabs; }
    KFPS20* fps() const { return m_fps; }
    LongMode* longMode() const { return m_longMode; }
    AngleMove* angle() const { return m_angle; }
    FastClick* fastClick() const { return m_fastClick; }
    TouchKeySet* touchKeys() const { return m_touch; }
    KeyVoice* calibration() const { return m_keyVoice; }
    VirtualPoint* virtualPoint() const { return m_virtual; }
    StopCloseTime* sleepTime() const { return m_sleep; }
    QCheckBox* curveBox(int i) const { return m_curveBoxes[i]; } // 0 = checkBox_2, 1 … 4 = presets 0 … 3
    QStackedWidget* curveViews() const { return m_modeTab; }

public slots:
    void SlotUpDataSenSorUISensor(FlashDataMap DataMap);
    void SlotUpDataSenSorUIB(FlashDataMap DataMap);
    void SlotFormReset();
    void SlotForm();
    void SlotFormB();
    void SlotSleep(int index);
    void SlotLongRangeMode(bool on);
    void Slot20KOpen(bool open);
    void SetPos();
    void SlotAllLanguage(int index);

    void on_checkBox_2_clicked(bool checked);
    void on_checkBox_3_clicked(bool checked);
    void on_checkBox_4_clicked(bool checked);
    void on_checkBox_5_clicked(bool checked);
    void on_checkBox_6_clicked(bool checked);

private:
    void fill(const FlashDataMap& record);
    void showCurve(const FlashDataMap& record);
    void choosePreset(int preset, bool checked);
    void applyDeviceSection();

    QTabWidget* m_tabs;
    StopCloseTime* m_sleep;
    KFPS20* m_fps;
    LongMode* m_longMode;
    AngleMove* m_angle;
    FastClick* m_fastClick;
    TouchKeySet* m_touch;
    KeyVoice* m_keyVoice;
    VirtualPoint* m_virtual;
    QCheckBox* m_curveBoxes[5];
    QStackedWidget* m_modeTab;
    QList<AdvancedSection*> m_sections;
    int m_preset = 0;
    bool m_curveOn = false;
};
