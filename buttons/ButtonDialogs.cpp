#include "buttons/ButtonDialogs.h"

#include "app/core/Language.h"
#include "app/ui/Theme.h"
#include "buttons/KeySequence.h"
#include "buttons/KeyTables.h"
#include "platform/input/VirtualKeys.h"
#include "sensor/SensorLook.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QToolButton>

using namespace Buttons;

ContainReset::ContainReset(QWidget* parent)
    : KeyNotice("ContainReset", "DialogRestore", parent, "是否恢复默认设置？", Missing::FormText) {
    m_ok->setGeometry(50, 110, 90, 32);
    m_cancel = new QToolButton(this);
    m_cancel->setObjectName(QStringLiteral("NewHong_2"));
    m_cancel->setGeometry(160, 110, 90, 32);
    m_cancel->setStyleSheet(m_ok->styleSheet());
    connect(m_cancel, &QToolButton::clicked, this, &NoticeBase::on_CloseButton_clicked);
    Theme::mirrorWithDirection(this);
    applyTexts(Language::currentIndex());
}

void ContainReset::applyTexts(int index) {
    KeyNotice::applyTexts(index);
    m_cancel->setText(keyText("Cancel", index, "取消"));
}

FireKey::FireKey(const RapidFireSetting& start, QWidget* parent)
    : KeyNotice("FireKey", "DialogFireKeyTips", parent, "次数设置为0时, 按下按键一直发, 松开按键结束",
                Missing::FormText) {
    m_label->setGeometry(20, 28, 260, 36);
    m_label->setStyleSheet(m_label->styleSheet() + QStringLiteral("QLabel{font-size:11px;}"));
    const auto row = [this](int y, int min, int max, int value, const char* name, QLabel*& caption) {
        caption = new QLabel(this);
        caption->setGeometry(30, y, 150, 26);
        caption->setProperty("role", "caption");
        auto* box = new QSpinBox(this);
        box->setObjectName(QLatin1String(name));
        box->setGeometry(190, y, 80, 26);
        box->setRange(min, max);
        box->setValue(value);
        return box;
    };
    m_interval = row(68, kFireIntervalMin, kFireIntervalMax, start.interval, "IntervalBox", m_intervalLabel);
    m_count = row(98, 0, kFireCountMax, start.count, "CountBox", m_countLabel);
    setStyleSheet(Theme::controlRules() + Theme::roleRules());
    m_ok->move(m_ok->x(), 132);
    Theme::mirrorWithDirection(this);
    applyTexts(Language::currentIndex());
}

RapidFireSetting FireKey::setting() const {
    return {m_interval->value(), m_count->value()};
}

void FireKey::applyTexts(int index) {
    KeyNotice::applyTexts(index);
    m_intervalLabel->setText(keyText("DialogFireKeyInterval", index, "间隔 (10-255)"));
    m_countLabel->setText(keyText("DialogFireKeyTimes", index, "次数 (0-3)"));
}

GroupKey::GroupKey(QWidget* parent)
    : KeyNotice("GroupKey", "ComKey", parent, "请输入组合键", Missing::FormText) {
    m_label->setGeometry(20, 24, 260, 24);
    const char* const names[4] = {"Shift", "Ctrl", "Alt", "Win"};
    for (int i = 0; i < 4; ++i) {
        m_modifiers[i] = new QCheckBox(QLatin1String(names[i]), this);
        m_modifiers[i]->setObjectName(QLatin1String(names[i]));
        m_modifiers[i]->setGeometry(24 + i * 66, 52, 64, 22);
        m_modifiers[i]->setFocusPolicy(Qt::NoFocus); // keys go to the capture, not to the boxes
        SensorLook::checkBox(m_modifiers[i]);
    }
    m_line = new QLineEdit(this);
    m_line->setObjectName(QStringLiteral("lineEdit"));
    m_line->setReadOnly(true);
    m_line->setFocusPolicy(Qt::NoFocus);
    m_line->setAlignment(Qt::AlignCenter);
    m_line->setGeometry(40, 80, 220, 26);
    m_ok->move(m_ok->x(), 118);
    setStyleSheet(Theme::controlRules());
    Theme::mirrorWithDirection(this);
    // Every key pressed while the dialog is open is captured, whichever child has the focus.
    qApp->installEventFilter(this);
}

GroupKey::~GroupKey() {
    qApp->removeEventFilter(this);
}

bool GroupKey::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && isVisible()) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (!key->isAutoRepeat())
            addVirtualKey(VirtualKeys::fromKeyEvent(*key));
        return true;
    }
    return KeyNotice::eventFilter(watched, event);
}

void GroupKey::addVirtualKey(int virtualKey) {
    const QString name = VirtualKeyName(virtualKey);
    if (name.isEmpty())
        return;
    if (!m_window.isValid()) {
        m_window.start();
    } else if (m_window.elapsed() > kWindowMs) {
        m_line->clear();
        m_last = 0;
        m_window.restart();
    }
    if (virtualKey == m_last)
        return;
    m_last = virtualKey;
    const QStringList names = m_line->text().isEmpty() ? QStringList() : SplitCombination(m_line->text());
    if (names.size() >= kMaxCombinationKeys)
        m_line->setText(name);
    else if (!names.contains(name))
        m_line->setText(names.isEmpty() ? name : m_line->text() + QLatin1Char('+') + name);
}

void GroupKey::on_NewHong_clicked() {
    QStringList parts;
    for (QCheckBox* box : m_modifiers)
        if (box->isChecked())
            parts << box->text();
    const int modifiers = parts.size();
    const QStringList names = m_line->text().isEmpty() ? QStringList() : SplitCombination(m_line->text());
    if (modifiers + names.size() > kMaxCombinationKeys) {
        GroupMaxThree limit(this);
        limit.placeOver(this);
        limit.exec();
        m_line->clear();
        m_last = 0;
        return;
    }
    parts << names;
    m_text = parts.join(QLatin1Char('+'));
    m_result = !m_text.isEmpty();
    close();
}
