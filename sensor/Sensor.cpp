#include "sensor/Sensor.h"

Sensor::Sensor(QWidget* parent) : QWidget(parent) { setObjectName(QStringLiteral("Sensor")); }

void Sensor::SlotAllLanguage(int) {}
