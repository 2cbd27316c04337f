#pragma once
// The button page: the mouse picture with its numbered keys, the menu of functions a key can take,
// the debounce settings and the profile row. Every choice is one setting-writer call; a refused
// write leaves the page as it was.
#include "app/core/FlashDataMap.h"
#include "buttons/ButtonFunctions.h"

#include <QList>
#include <QVector>
#include <QWidget>

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QScrollArea;
class QSpinBox;
class QStackedWidget;
class QToolButton;

class Buttoninterface : public QWidget {
    Q_OBJECT
public:
    explicit Buttoninterface(QWidget* parent = nullptr);

    // On-screen key k (1 … 16) and its number label; nullptr outside.
    QPushButton* key(int k) const;
    QToolButton* numberLabel(int k) const;
    // Button index of the checked key, -1 when none is checked.
    int checkedButtonIndex() const;
    // What the page holds for a button index (the last accepted assignment).
    Buttons::ButtonFunction stored(int buttonIndex) const;
    int keyNumber() const { return m_keyNumber; }

public slots:
    void SlotAllLanguage(int index);
    void SlotUpDataButtonUIButton(FlashDataMap DataMap);
    void SlotUpDataButtonUIB(FlashDataMap DataMap);
    void SlotMouseIndex(int index);
    void SlotUpDataConfigUI(int ToTalItem, int SelectIndex, bool ItemEnable);
    void SlotFormResetButton();
    // Macro entries of the menu and the buttons bound to a macro, kept in step with the macro page.
    void SlotAddMacroButton();
    void SlotDeleteMacroButton(QString MacroName);
    void SlotUpDataMacro(QString MacroName, int index);
    void SlotMacroRename(QString MacroName, QString NewName);

private slots:
    void on_Reset_clicked();
    void on_DebunceRelease_currentIndexChanged(int index);
    void on_WheelDebunce_currentIndexChanged(int index);
    void on_KeyDebunce_clicked(bool checked);
    void on_WheelDebunce_2_clicked(bool checked);
    void on_ProjectChoose_activated(int index);
    void on_ImportData_clicked();
    void on_OutputData_clicked();

private:
    struct Choice {
        QPushButton* control;
        Buttons::ButtonFunction function;
        int consumerRow; // multimedia: row of the consumer table, -1 otherwise
        int dpiValue;    // DPI lock: the locked value, 0 otherwise
    };

    void buildKeys(QWidget* picture, QWidget* keyPanel);
    QWidget* buildMenu();
    QWidget* buildDebounce();
    QWidget* addSubPage(const char* titleKey);
    QPushButton* addChoice(QWidget* page, const char* objectName, const Buttons::ButtonFunction& f,
                           int consumerRow = -1, int dpiValue = 0);
    QPushButton* addGroupEntry(QWidget* list, const char* objectName, const char* labelKey, int subPage);

    void refill(const FlashDataMap& record);
    void onKeyClicked(int k);
    void onNumberClicked(int k);
    void onChoiceToggled(int choice, bool checked);
    void showFunctionList();
    void showCurrentFunction(int buttonIndex);
    void setKeyText(int buttonIndex, const FlashDataMap& record);
    void uncheckChoices(const QPushButton* except);
    void placeCallouts();
    void applyTexts(int index);
    void dpiLockTexts();
    bool assignMacro(int buttonIndex, const QString& name);
    QList<int> boundTo(const QString& name) const;

    QPushButton* m_keys[Buttons::kButtonCount] = {};
    QToolButton* m_numbers[Buttons::kButtonCount] = {};
    QLabel* m_callouts[Buttons::kButtonCount] = {};
    QButtonGroup* m_keyGroup = nullptr;
    QWidget* m_picture = nullptr;
    QStackedWidget* m_menu = nullptr;
    QScrollArea* m_menuScroll = nullptr;
    QWidget* m_macroPage = nullptr;
    QList<Choice> m_choices;
    QList<QPair<QLabel*, const char*>> m_captions; // labels of the page's own group "key"
    QSpinBox* m_keyDebounce = nullptr;
    QCheckBox* m_keyDebounceBox = nullptr;
    QCheckBox* m_wheelDebounceBox = nullptr;
    QComboBox* m_release = nullptr;
    QComboBox* m_wheel = nullptr;
    QComboBox* m_profile = nullptr;
    QLabel* m_profileCaption = nullptr;
    QPushButton* m_resetButton = nullptr;
    QList<QPushButton*> m_transferButtons; // ImportData, OutputData

    QVector<int> m_types, m_param1, m_param2;
    FlashDataMap m_record{};
    int m_keyNumber = Buttons::kButtonCount;
    int m_realKey = 6;
    int m_mouseIndex = 0;
    int m_releaseIndex = 0;
    int m_wheelIndex = 0;
    int m_profileCount = 0;
    int m_profileIndex = 0; // the profile last accepted, for rolling the chooser back
    QString m_sensorName;
};
