#pragma once
// The macro page's notices and its two small input dialogs (a key, a delay), built like the others.
#include "app/notices/NoticeBase.h"

class KeyboardHook;
class QLineEdit;
class QSpinBox;

// A notice of one "common" key with an OK button: "DialogSameMacroName", "DialogMaxMacroKey",
// "DialogSelectMacroFirst", "DialogStopRecordFirst", "DialogBadMacroName", "DialogMacroWriteFailed".
class MacroNotice : public NoticeBase {
    Q_OBJECT
public:
    MacroNotice(const char* key, QWidget* parent = nullptr);
    // Builds, places over `caller` and runs one notice.
    static void show(const char* key, QWidget* caller);
    // Places a notice over `caller` and runs it.
    static void run(MacroNotice& notice, QWidget* caller);

protected:
    void applyTexts(int index) override;

private:
    const char* m_key;
};

// "Already have a same name macro".
class SameMacro : public MacroNotice {
    Q_OBJECT
public:
    explicit SameMacro(QWidget* parent = nullptr);
};

// "Macro Key reached the Max limit".
class KeyNumberLimit : public MacroNotice {
    Q_OBJECT
public:
    explicit KeyNumberLimit(QWidget* parent = nullptr);
};

// "Please enter a button": the next key pressed while it is open, by the recorder's names.
class AddKey : public NoticeBase {
    Q_OBJECT
public:
    explicit AddKey(QWidget* parent = nullptr);
    ~AddKey() override;
    QString keyName() const { return m_name; }
    QLineEdit* line() const { return m_line; }
    void takeVirtualKey(int virtualKey);

public slots:
    void on_NewHong_clicked() override;

protected:
    void applyTexts(int index) override;

private:
    QLineEdit* m_line;
    QToolButton* m_cancel;
    KeyboardHook* m_hook;
    QString m_name;
};

// "Please enter the delay time": 1 … 99999 ms.
class AddDelayTime : public NoticeBase {
    Q_OBJECT
public:
    explicit AddDelayTime(int start, QWidget* parent = nullptr);
    int delay() const;
    QSpinBox* spinBox() const { return m_spin; }

protected:
    void applyTexts(int index) override;

private:
    QSpinBox* m_spin;
    QToolButton* m_cancel;
};
