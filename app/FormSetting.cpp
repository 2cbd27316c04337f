#include "app/FormSetting.h"
#include "ui_FormSetting.h"

FormSetting::FormSetting(QWidget* parent) : QWidget(parent), ui(new Ui::FormSetting) {
    ui->setupUi(this);
}

FormSetting::~FormSetting() {
    delete ui;
}

void FormSetting::SlotAllLanguage(int) {}
