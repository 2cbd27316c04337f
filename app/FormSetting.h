#pragma once
#include "app/upgrade/UpgradeWindows.h"

#include <QPointer>
#include <QWidget>

class DongleRGB;
class QCheckBox;
class QDialog;
class QComboBox;
class QLabel;
class QPushButton;
class QToolButton;
namespace Ui {
class FormSetting;
}

// The settings page: firmware versions with their upgrade markers and the upgrade entry points, the
// program's language, start with the session, factory reset, long-range mode, the desktop's mouse
// settings, the pairing tool and the web link.
class FormSetting : public QWidget {
    Q_OBJECT
public:
    explicit FormSetting(QWidget* parent = nullptr);
    ~FormSetting() override;

    // What the versions and the shipped images say, as last computed (tests, the summary page).
    QString mouseVersion() const { return m_mouseVersion; }
    QString receiverVersion() const { return m_receiverVersion; }
    bool mouseImageReady() const { return m_mouseImage; }
    bool receiverImageReady() const { return m_receiverImage; }
    // The upgrade window while one is open.
    UpgradeWindow* upgradeWindow() const { return m_window; }
    // Runs `window` modally; tests replace it to drive the window without a nested event loop.
    static void setModalRunner(void (*runner)(QDialog* window));

    // The controls' handlers. Plain members: the form's connect-by-name pass would warn about each, as the
    // controls are built in code and connected there.
    void on_Start(); // SigUpdateStart
    void on_comboBox_activated(int index);
    void on_checkBox_clicked(bool checked);
    void on_checkBox_2_toggled(bool checked);
    void on_Reset_clicked();
    void on_pushButton_clicked();
    void on_pushButton_2_clicked();
    void on_pushButton_3_clicked();
    void on_Mouse_clicked();
    void on_Receive_clicked();
    void on_Receive_2_clicked();

signals:
    // The pairing tool button: the pairing window is opened by whoever connects this.
    void SigOpenPairing();

public slots:
    void SlotAllLanguage(int index);
    void SlotAutoLan();
    void SlotLanguageSameB(int index);
    // Reads the versions of the selected device and compares them with the shipped images.
    void SetVer(int index);
    void SetVerText();
    // 0: receiver version, 1: mouse version.
    void SlotLabelText(int index, QString Text);
    void SlotLabelTextB(QString TextA, QString Text);
    void SlotLongRangeMode(bool Select);
    void SlotRGBValue(DongleRGB* Rgb);
    void SlotLightToFrom(int index);
    void SlotForm();
    void SlotFormB();
    void SlotFormResetForm();
    void SlotContinue(int index);
    void SlotUpdateFrame(bool IsVis);
    void SlotCheckUpdate();
    void SlotScroolChange(int index);

private:
    void build();
    void applyTexts(int index);
    void showMarkers();
    void openUpgrade(bool mouse, bool receiver);
    void onStageFinished(int type, const QString& version);

    Ui::FormSetting* ui;
    QWidget* m_panel = nullptr;
    QPoint m_panelOrigin;
    QLabel* m_title = nullptr;
    QLabel* m_firmwareCaption = nullptr;
    QLabel* m_optionsCaption = nullptr;
    QLabel* m_mouseCaption = nullptr;
    QLabel* m_mouseValue = nullptr;
    QLabel* m_mouseMark = nullptr;
    QLabel* m_receiverCaption = nullptr;
    QLabel* m_receiverValue = nullptr;
    QLabel* m_receiverMark = nullptr;
    QLabel* m_languageCaption = nullptr;
    QPushButton* m_mouseButton = nullptr;
    QPushButton* m_receiverButton = nullptr;
    QToolButton* m_upgradeButton = nullptr;
    QComboBox* m_language = nullptr;
    QCheckBox* m_autoStart = nullptr;
    QCheckBox* m_longRange = nullptr;
    QPushButton* m_reset = nullptr;
    QPushButton* m_systemMouse = nullptr;
    QPushButton* m_pairTool = nullptr;
    QPushButton* m_link = nullptr;

    QString m_imagePath;
    QString m_mouseVersion;
    QString m_receiverVersion;
    bool m_mouseImage = false;
    bool m_receiverImage = false;
    bool m_longRangeState = false;
    QPointer<UpgradeWindow> m_window;
};
