#include "buttons/Buttoninterface.h"

Buttoninterface::Buttoninterface(QWidget* parent) : QWidget(parent) { setObjectName(QStringLiteral("Buttoninterface")); }

void Buttoninterface::SlotAllLanguage(int) {}
