#pragma once
// The main frame shown once a device is chosen: title bar, page buttons, battery gauge, connection
// icon and the stack of seven pages.
#include <QWidget>

class QButtonGroup;
class QFrame;
class QLabel;
class QProgressBar;
class QStackedWidget;
class QToolButton;
class PreVier;
class Buttoninterface;
class Sensor;
class Macro;
class LampLight;
class Advanced;
class FormSetting;
class UpDataParam;

class Dialog : public QWidget {
    Q_OBJECT
public:
    explicit Dialog(QWidget* parent = nullptr);
    ~Dialog() override;
    QStackedWidget* stack() const { return m_stack; }
    QToolButton* button(const char* name) const;
    // Page-button names in the order of the exclusive group.
    static const char* const kPageButtons[7];

public slots:
    void on_PreButton_clicked();
    void on_ButtonMain_clicked();
    void on_SensorButton_clicked();
    void on_MacroButton_clicked();
    void on_LightsButton_clicked();
    void on_Advanced_clicked();
    void on_FormSetting_clicked();
    void on_UpArrow_clicked();
    void WindowMin();
    void WindowClosed();
    void on_CloseButton_clicked();
    void SlotSecondDialog();
    void SlotIsUsb(bool Usb, bool IsVs);
    void SlotBattery(bool IsCharg, int Number, bool IsText);
    void SlotUpDataParam(int index);
    void SlotStartRecord(int index);
    void on_stackedWidgetDialog_currentChanged(int arg1);
    void SlotMouseIndex(int);
    void on_SetButton_clicked() {}
    void on_MouseB_clicked() {}
    void on_MouseC_clicked() {}
    void on_pushButton_clicked() {}

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QToolButton* makeButton(const char* name, const QRect& geometry, bool toggle, const QString& normal,
                            const QString& hover, const QString& on);
    void storeCurrentRecord();
    QString m_imagePath;
    QFrame* m_frame;
    QStackedWidget* m_stack;
    QProgressBar* m_battery;
    QLabel* m_charging;
    QLabel* m_batteryText;
    QLabel* m_link;
    QButtonGroup* m_pageGroup;
    QButtonGroup* m_mouseGroup;
    PreVier* m_preVier;
    Buttoninterface* m_buttons;
    Sensor* m_sensor;
    Macro* m_macro;
    LampLight* m_light;
    Advanced* m_advanced;
    FormSetting* m_setting;
    UpDataParam* m_updating;
};
