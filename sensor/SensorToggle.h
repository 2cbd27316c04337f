#pragma once
// One on/off setting of the record shown as a switch with a caption and a tip icon: ripple control,
// angle snapping, motion sync, and the switches of later pages. Each use names its writer, its record
// byte and its language keys; the widget writes a user change once and puts the switch back with its
// signals blocked when the write is refused or the page is not armed yet.

#include "app/core/FlashDataMap.h"

#include <QWidget>
#include <cstdint>
#include <memory>

class QCheckBox;
namespace Ui {
class SensorToggle;
}

class SensorToggle : public QWidget {
    Q_OBJECT
public:
    struct Setting {
        const char* boxName;          // object name of the switch (the forms' "…_2" names)
        bool (*writer)(uint8_t);      // setting writer: 1 or 0
        uint8_t FlashDataMap::*field; // the record byte it shows
        const char* group;            // language group of the texts
        const char* titleKey;         // caption
        const char* tipKey;           // tool tip of the tip icon
    };

    SensorToggle(const Setting& setting, QWidget* parent = nullptr);
    ~SensorToggle() override;

    void setChecked(bool on); // display only, writes nothing
    bool isChecked() const;
    void showRecord(const FlashDataMap& record); // the switch from its record byte, writes nothing
    void setTexts(const QString& title, const QString& tip);
    void relabel(int languageIndex); // texts of the language; a missing caption keeps the current one
    QString title() const;
    QCheckBox* box() const;

protected:
    void toggleClicked(bool checked);

private:
    std::unique_ptr<Ui::SensorToggle> ui;
    Setting m_setting;
};

// The sensor page's three switches keep the names of their frames' classes.
class RippeControl : public SensorToggle {
    Q_OBJECT
public:
    explicit RippeControl(QWidget* parent = nullptr);
public slots:
    void on_RippeControl_2_clicked(bool checked) { toggleClicked(checked); }
};

class StraightLine : public SensorToggle {
    Q_OBJECT
public:
    explicit StraightLine(QWidget* parent = nullptr);
public slots:
    void on_StraightLine_2_clicked(bool checked) { toggleClicked(checked); }
};

class MotionSync : public SensorToggle {
    Q_OBJECT
public:
    explicit MotionSync(QWidget* parent = nullptr);
public slots:
    void on_MotionSync_2_clicked(bool checked) { toggleClicked(checked); }
};
