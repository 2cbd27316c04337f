#include "macro/MacroDialogs.h"

#include "app/core/Language.h"
#include "app/ui/Theme.h"
#include "macro/MacroKeys.h"
#include "platform/input/KeyboardHook.h"

#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QToolButton>

namespace {
QString commonText(const char* key, int index, const char* fallback) {
    const QString text = Language::text(QStringLiteral("common"), QLatin1String(key), index);
    return text.isEmpty() ? QString::fromUtf8(fallback) : text;
}

QToolButton* cancelButton(QDialog* dialog, QToolButton* ok) {
    auto* cancel = new QToolButton(dialog);
    cancel->setObjectName(QStringLiteral("NewHong_2"));
    cancel->setGeometry(160, 118, 90, 32);
    cancel->setStyleSheet(ok->styleSheet());
    ok->setGeometry(50, 118, 90, 32);
    QObject::connect(cancel, &QToolButton::clicked, dialog, &QDialog::close);
    return cancel;
}
} // namespace

MacroNotice::MacroNotice(const char* key, QWidget* parent) : NoticeBase(parent), m_key(key) {
    setObjectName(QLatin1String(key));
    applyTexts(Language::currentIndex());
}

void MacroNotice::applyTexts(int index) {
    setLabelText(commonText(m_key, index, m_key));
    setButtonText(commonText("OK", index, "确定"));
}

void MacroNotice::show(const char* key, QWidget* caller) {
    MacroNotice notice(key, caller);
    run(notice, caller);
}

void MacroNotice::run(MacroNotice& notice, QWidget* caller) {
    notice.placeOver(caller);
    notice.exec();
}

SameMacro::SameMacro(QWidget* parent) : MacroNotice("DialogSameMacroName", parent) {
    setObjectName(QStringLiteral("SameMacro"));
}

KeyNumberLimit::KeyNumberLimit(QWidget* parent) : MacroNotice("DialogMaxMacroKey", parent) {
    setObjectName(QStringLiteral("KeyNumberLimit"));
}

AddKey::AddKey(QWidget* parent) : NoticeBase(parent) {
    setObjectName(QStringLiteral("AddKey"));
    m_label->setGeometry(20, 30, 260, 30);
    m_line = new QLineEdit(this);
    m_line->setObjectName(QStringLiteral("lineEdit"));
    m_line->setReadOnly(true);
    m_line->setMaxLength(50);
    m_line->setFocusPolicy(Qt::NoFocus);
    m_line->setAlignment(Qt::AlignCenter);
    m_line->setGeometry(40, 72, 220, 28);
    m_cancel = cancelButton(this, m_ok);
    setStyleSheet(Theme::controlRules());
    Theme::mirrorWithDirection(this);
    m_hook = new KeyboardHook(
        [this](int vk, bool down, bool repeat) {
            if (down && !repeat && isVisible())
                takeVirtualKey(vk);
        },
        this);
    applyTexts(Language::currentIndex());
}

AddKey::~AddKey() = default;

void AddKey::takeVirtualKey(int virtualKey) {
    const QString name = MacroKeys::recorderKeyName(virtualKey);
    if (!name.isEmpty())
        m_line->setText(name);
}

void AddKey::on_NewHong_clicked() {
    m_name = m_line->text();
    m_result = !m_name.isEmpty();
    close();
}

void AddKey::applyTexts(int index) {
    setLabelText(commonText("EnterKey", index, "请输入按键"));
    setButtonText(commonText("OK", index, "确定"));
    m_cancel->setText(commonText("Cancel", index, "取消"));
}

AddDelayTime::AddDelayTime(int start, QWidget* parent) : NoticeBase(parent) {
    setObjectName(QStringLiteral("AddDelayTime"));
    m_label->setGeometry(20, 30, 260, 30);
    m_spin = new QSpinBox(this);
    m_spin->setObjectName(QStringLiteral("DelayEdit"));
    m_spin->setRange(1, 99999);
    m_spin->setValue(start);
    m_spin->setGeometry(80, 72, 140, 28);
    m_cancel = cancelButton(this, m_ok);
    setStyleSheet(Theme::controlRules());
    Theme::mirrorWithDirection(this);
    applyTexts(Language::currentIndex());
}

int AddDelayTime::delay() const {
    return m_spin->value();
}

void AddDelayTime::applyTexts(int index) {
    setLabelText(commonText("EnterDelay", index, "请输入延时时间"));
    m_spin->setSuffix(QLatin1Char(' ') + commonText("UnitMs", index, "ms"));
    setButtonText(commonText("OK", index, "确定"));
    m_cancel->setText(commonText("Cancel", index, "取消"));
}
