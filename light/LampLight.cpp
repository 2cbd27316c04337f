#include "light/LampLight.h"
#include "app/core/PostMsg.h"
#include "device/LinkState.h"

LampLight::LampLight(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("LampLight"));
    PostMsg::connectBlocking(&PostMsg::SigUpDataLightLight, this, &LampLight::SlotUpDataLightLight);
}

void LampLight::SlotAllLanguage(int) {}

void LampLight::SlotUpDataLightLight(FlashDataMap) {
    LinkFlags::LightFilled = true;
}
