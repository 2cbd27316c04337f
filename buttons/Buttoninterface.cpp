#include "buttons/Buttoninterface.h"
#include "app/core/PostMsg.h"
#include "device/LinkState.h"

Buttoninterface::Buttoninterface(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Buttoninterface"));
    PostMsg::connectBlocking(&PostMsg::SigUpDataLightUIButton, this,
                             &Buttoninterface::SlotUpDataButtonUIButton);
}

void Buttoninterface::SlotAllLanguage(int) {}

void Buttoninterface::SlotUpDataButtonUIButton(FlashDataMap) {
    LinkFlags::ButtonFilled = true;
}
