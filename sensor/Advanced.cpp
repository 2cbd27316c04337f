#include "sensor/Advanced.h"

Advanced::Advanced(QWidget* parent) : QWidget(parent) { setObjectName(QStringLiteral("Advanced")); }

void Advanced::SlotAllLanguage(int) {}
