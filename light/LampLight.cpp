#include "light/LampLight.h"

LampLight::LampLight(QWidget* parent) : QWidget(parent) { setObjectName(QStringLiteral("LampLight")); }

void LampLight::SlotAllLanguage(int) {}
