#pragma once
// The macro page: the macros of the macro folder on the left, the selected macro's items beside them,
// the repeat rule and the recording options on the right. Recording listens to the keyboard layer while
// one of our windows is in front; every file it writes is replaced in one piece.
#include "app/core/FlashDataMap.h"
#include "macro/MacroKeys.h"
#include "macro/core/MacroFile.h"

#include <QModelIndex>
#include <QWidget>

#include <memory>

class KeyboardHook;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
class QSpinBox;

class Macro : public QWidget {
    Q_OBJECT
public:
    explicit Macro(QWidget* parent = nullptr);
    ~Macro() override;

    // The macro being edited ("" when none) and its items as the page holds them.
    QString currentName() const { return m_current; }
    const MacroFormat::MacroData& edited() const { return m_macro; }
    bool recording() const { return m_recorder.active(); }
    // What a key callback of the keyboard layer does (the recorder's entry point).
    void UpdateCapslockTip(int keyCode, bool downOrUp, bool aotu);

    // The operations of the list's context menu.
    void CreateMewMacro();
    void RenameMacro();
    void DeleteMacro();
    void ExPortMacro();
    void InPortMacro();
    // Export and import without the file dialogs; false when nothing was written or added.
    bool exportTo(const QString& path);
    bool importFrom(const QString& path);
    // Selects a listed macro and loads its file, as a click on the list does.
    bool selectMacro(const QString& name);

public slots:
    void SlotAllLanguage(int index);
    void SlotSetMacroPage();
    void SlotButtonToMacro(FlashDataMap DataMap, int KeyNumer);
    void SlotMacroDownLoadData(QString MacroName, int index);

    void on_StartRecord_clicked();
    void on_StopRecord_clicked();
    void on_Save_clicked();
    void on_Amend_clicked();
    void on_DeleteKey_clicked();
    void on_ChooseEvent_activated(int index);
    void on_NewHong_clicked();
    void on_DeleteHong_clicked();
    void on_listWidgetHong_clicked(const QModelIndex& index);
    void on_listWidgetHong_customContextMenuRequested(const QPoint& pos);
    void on_NumberEdit_valueChanged(int arg1);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QWidget* buildLists();
    QWidget* buildOptions();
    void applyTexts(int index);
    void fitButtons();
    void refreshMacroList(const QString& select);
    void showItems(int current);
    void showCycle(int cycle);
    int checkedCycle() const;
    void setEditing(bool enabled);
    void markChanged(bool items);
    bool refusedWhileRecording();
    bool checkNewName(const QString& name);
    void appendRecorded(const QVector<MacroFormat::MacroItem>& items);
    bool insertItems(const QVector<MacroFormat::MacroItem>& items);
    void stopRecording(bool notifyLimit);
    QString filePath(const QString& name) const;

    QString m_folder;
    QString m_current;
    MacroFormat::MacroData m_macro;
    bool m_itemsChanged = false;
    bool m_countChanged = false;
    MacroKeys::Recorder m_recorder;
    std::unique_ptr<KeyboardHook> m_hook;
    int m_language = 0;

    QListWidget* m_macros = nullptr;
    QListWidget* m_items = nullptr;
    QLabel* m_macroCaption = nullptr;
    QLabel* m_itemCaption = nullptr;
    QPushButton* m_new = nullptr;
    QPushButton* m_deleteMacro = nullptr;
    QPushButton* m_amend = nullptr;
    QPushButton* m_deleteKey = nullptr;
    QPushButton* m_save = nullptr;
    QPushButton* m_start = nullptr;
    QPushButton* m_stop = nullptr;
    QComboBox* m_chooseEvent = nullptr;
    QGroupBox* m_delayBox = nullptr;
    QGroupBox* m_repeatBox = nullptr;
    QCheckBox* m_autoDelay = nullptr;
    QCheckBox* m_defaultDelay = nullptr;
    QCheckBox* m_easyDelay = nullptr;
    QSpinBox* m_delayTime = nullptr;
    QComboBox* m_chooseMode = nullptr;
    QCheckBox* m_reNumber = nullptr;
    QCheckBox* m_reUntil = nullptr;
    QCheckBox* m_reUntilLoose = nullptr;
    QCheckBox* m_reUntilClick = nullptr;
    QSpinBox* m_numberEdit = nullptr;
    QButtonGroup* m_delayGroup = nullptr;
    QButtonGroup* m_repeatGroup = nullptr;
};
