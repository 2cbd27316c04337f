#pragma once
// The keyboard layer the macro recorder and the key dialogs listen to: an application-wide event filter
// that reports key downs and ups, as Windows virtual-key codes, only while one of this program's windows
// is active. It never consumes a key. The codes come from VirtualKeys.
#include <QObject>

#include <functional>

class KeyboardHook : public QObject {
    Q_OBJECT
public:
    // (virtual-key code, down, repeat): repeat is a down of the same key as the previous down without an
    // up between them.
    using Callback = std::function<void(int virtualKey, bool down, bool repeat)>;

    explicit KeyboardHook(Callback callback, QObject* parent = nullptr);
    ~KeyboardHook() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Callback m_callback;
    int m_previous = 0; // virtual key of the last down, 0 after an up
    // The event last reported: the same event reaches the filter again for each receiver it passes.
    const QEvent* m_lastEvent = nullptr;
    int m_lastType = 0;
    int m_lastKey = 0;
    quint32 m_lastScan = 0;
    ulong m_lastTime = 0;
};
