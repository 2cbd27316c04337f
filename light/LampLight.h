#pragma once
// The lighting page: the DPI light, the mouse's light bar and its light-off time, and the receiver's
// light bar, status LED and indicator LEDs, each section shown only for a model that has that light. It
// fills its controls from record copies and receiver reads while the lighting-loading flag is raised, so
// filling writes nothing back.

#include "app/core/DeviceAllInfo.h"
#include "app/core/DongleRGB.h"
#include "app/core/FlashDataMap.h"

#include <QVector>
#include <QWidget>

class QComboBox;
class QHBoxLayout;
class QLabel;
class MouseLight;
class OneLed;
class ReceiveLight;
class SensorEffect;
class ThreeLed;

class LampLight : public QWidget {
    Q_OBJECT
public:
    explicit LampLight(QWidget* parent = nullptr);

    SensorEffect* sensorEffect() const { return m_sensorEffect; }
    MouseLight* mouseLight() const { return m_mouseLight; }
    ReceiveLight* receiveLight() const { return m_receiveLight; }
    OneLed* oneLed() const { return m_oneLed; }
    ThreeLed* threeLed() const { return m_threeLed; }
    QComboBox* stopCloseTime() const { return m_stopCloseTime; }

public slots:
    void SlotUpDataLightUILight(FlashDataMap DataMap);
    void SlotUpDataLightUIA(FlashDataMap DataMap);
    void SlotFormResetLight();
    void SlotUpDataDPILed(FlashDataMap DataMap);
    void SlotForm();
    void SlotFormB();
    void SlotRGBValue(DongleRGB* Rgb);
    void SlotAllLanguage(int index);
    void SlotSelectMouseInfo(DeviceAllInfo info);

    void on_StopCloseTime_activated(int index);

private:
    void followSleepTime();
    // The receiver's sections are read and set only through a mouse that answers: until one has (at
    // start, offline, another device chosen) they are disabled.
    void holdReceiverSections();
    QVector<QWidget*> receiverSections() const;
    // A disabled receiver section says why in its tooltip.
    void explainReceiverSections(int index);
    void fullUpdate(const FlashDataMap& record);
    void showSections();
    void selectLightOff(int index);

    SensorEffect* m_sensorEffect;
    MouseLight* m_mouseLight;
    ReceiveLight* m_receiveLight;
    OneLed* m_oneLed;
    ThreeLed* m_threeLed;
    QWidget* m_bars;
    QHBoxLayout* m_row;
    QWidget* m_lightOff;
    QLabel* m_lightOffTitle;
    QComboBox* m_stopCloseTime;
    int m_lightOffIndex = 0; // last accepted light-off choice
    QString m_devicePath;    // the device the receiver values belong to
    bool m_onCable = false;  // that device is on its cable, not behind the receiver
};
