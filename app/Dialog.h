#pragma once
// The main frame shown once a device is chosen: title bar, page buttons, battery gauge, connection
// icon and the stack of seven pages. Its widgets come from forms/Dialog.ui.
#include <QWidget>

class QButtonGroup;
class QGraphicsColorizeEffect;
class QLabel;
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

namespace Ui {
class Dialog;
}

class Dialog : public QWidget {
    Q_OBJECT
public:
    explicit Dialog(QWidget* parent = nullptr);
    ~Dialog() override;
    QStackedWidget* stack() const;
    QToolButton* button(const char* name) const;
    QButtonGroup* pageGroup() const { return m_pageGroup; }
    // Page-button names in the order of the exclusive group.
    static const char* const kPageButtons[7];
    // True while the pages show a cached record (or defaults) because the mouse does not answer.
    bool isOffline() const { return m_offline; }

    // No widget of the form carries these names, so they are plain members: as slots the form's
    // connect-by-name pass would warn about them on every start.
    void on_MouseB_clicked() {}
    void on_MouseC_clicked() {}
    void on_pushButton_clicked() {}

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
    void SlotMouseIndex(int) {}
    // Page-button captions from the "tabsList" of the language files.
    void SlotAllLanguage(int index);
    void on_SetButton_clicked() {}

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Room the icon of a page button's picture takes left of its caption.
    static constexpr int kCaptionPadding = 38;
    void setButtonStyle(QToolButton* button, bool toggle, const char* normal, const char* hover,
                        const char* on);
    void storeCurrentRecord();
    void setOffline(bool offline);
    void clearBattery();
    void showNoLevel();
    void showBattery(bool IsCharg, int Number, bool IsText);
    Ui::Dialog* ui;
    QString m_imagePath;
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
    QLabel* m_offlineCaption;
    QGraphicsColorizeEffect* m_linkGrey;
    bool m_offline = false;
    // The chosen mouse's last reported level, shown again when it answers after a silence.
    struct LastBattery {
        bool known = false;
        bool charging = false;
        int level = 0;
        bool withPercent = false;
    } m_lastBattery;
};
