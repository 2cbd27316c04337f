#include "macro/Macro.h"

Macro::Macro(QWidget* parent) : QWidget(parent) { setObjectName(QStringLiteral("Macro")); }

void Macro::SlotAllLanguage(int) {}
