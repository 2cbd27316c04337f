#pragma once
#include <QWidget>

namespace Ui {
class FormSetting;
}

// The settings page. Its form is an empty page of the right class and size until the page is built.
class FormSetting : public QWidget {
    Q_OBJECT
public:
    explicit FormSetting(QWidget* parent = nullptr);
    ~FormSetting() override;
public slots:
    void SlotAllLanguage(int index);

private:
    Ui::FormSetting* ui;
};
