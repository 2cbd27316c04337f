#pragma once
// The button page's small dialogs, built like the other notices: the left-click guard, the rapid-fire
// settings and the key-combination capture with its three-key limit.
#include "app/notices/NoticeBase.h"
#include "buttons/ButtonFunctions.h"

#include <QElapsedTimer>

class QCheckBox;
class QLineEdit;
class QSpinBox;

// "Left button must be retained".
class LeftButtonOnly : public KeyNotice {
    Q_OBJECT
public:
    explicit LeftButtonOnly(QWidget* parent = nullptr)
        : KeyNotice("LeftButtonOnly", "DialogKeepLeftKey", parent, "必须保留左键", Missing::FormText) {}
};

// "Key can only have up to three buttons".
class GroupMaxThree : public KeyNotice {
    Q_OBJECT
public:
    explicit GroupMaxThree(QWidget* parent = nullptr)
        : KeyNotice("GroupMaxThree", "DialogMaxThreeKey", parent, "组合键最多只能包含三个按键",
                    Missing::FormText) {}
};

// "Restore the default settings?" with OK and Cancel; result() true on OK.
class ContainReset : public KeyNotice {
    Q_OBJECT
public:
    explicit ContainReset(QWidget* parent = nullptr);

protected:
    void applyTexts(int index) override;

private:
    QToolButton* m_cancel = nullptr;
};

// Rapid fire: interval 10 … 255 ms and count 0 … 3; result() true on OK.
class FireKey : public KeyNotice {
    Q_OBJECT
public:
    explicit FireKey(const Buttons::RapidFireSetting& start, QWidget* parent = nullptr);
    Buttons::RapidFireSetting setting() const;

protected:
    void applyTexts(int index) override;

private:
    QSpinBox* m_interval;
    QSpinBox* m_count;
    QLabel* m_intervalLabel = nullptr;
    QLabel* m_countLabel = nullptr;
};

// Key combination: modifier boxes and the keys pressed while the dialog is open. result() true and
// text() non-empty when a combination of at most three keys was confirmed.
class GroupKey : public KeyNotice {
    Q_OBJECT
public:
    static constexpr int kWindowMs = 2000;
    explicit GroupKey(QWidget* parent = nullptr);
    ~GroupKey() override;
    QString text() const { return m_text; }
    QLineEdit* line() const { return m_line; }
    // One captured key by its Windows virtual-key code.
    void addVirtualKey(int virtualKey);

public slots:
    void on_NewHong_clicked() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QCheckBox* m_modifiers[4];
    QLineEdit* m_line;
    QElapsedTimer m_window;
    int m_last = 0;
    QString m_text;
};
