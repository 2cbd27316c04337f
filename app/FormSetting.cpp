#include "app/FormSetting.h"

FormSetting::FormSetting(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("FormSetting"));
}

void FormSetting::SlotAllLanguage(int) {}
