#include "platform/input/KeyboardHook.h"

#include "platform/input/VirtualKeys.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QWindow>

KeyboardHook::KeyboardHook(Callback callback, QObject* parent)
    : QObject(parent), m_callback(std::move(callback)) {
    if (QCoreApplication* app = QCoreApplication::instance())
        app->installEventFilter(this);
}

KeyboardHook::~KeyboardHook() {
    if (QCoreApplication* app = QCoreApplication::instance())
        app->removeEventFilter(this);
}

bool KeyboardHook::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease)
        return QObject::eventFilter(watched, event);
    const auto* key = static_cast<const QKeyEvent*>(event);
    // A key event passes the filter once for its window and once per widget it propagates to.
    if (event == m_lastEvent && int(type) == m_lastType && key->key() == m_lastKey &&
        key->nativeScanCode() == m_lastScan && key->timestamp() == m_lastTime)
        return false;
    m_lastEvent = event;
    m_lastType = int(type);
    m_lastKey = key->key();
    m_lastScan = key->nativeScanCode();
    m_lastTime = key->timestamp();
    // Only while a window of ours is in front, as the system hook's foreground test does.
    if (!QGuiApplication::focusWindow())
        return false;
    const bool down = type == QEvent::KeyPress;
    // X repeats a held key as release/press pairs: the release is not the key going up.
    if (!down && key->isAutoRepeat())
        return false;
    const int vk = VirtualKeys::fromKeyEvent(*key);
    if (vk == 0)
        return false;
    const bool repeat = down && (vk == m_previous || key->isAutoRepeat());
    m_previous = down ? vk : 0;
    if (m_callback)
        m_callback(vk, down, repeat);
    return false; // keys are never swallowed
}
