#include "platform/input/VirtualKeys.h"

#include <QKeyEvent>

namespace {

// X11 keysyms of the modifiers and the Windows virtual keys they stand for.
struct NativeModifier {
    quint32 keysym;
    int vk;
};
const NativeModifier kKeysyms[] = {
    {0xffe1, 160}, {0xffe2, 161}, // Shift_L, Shift_R
    {0xffe3, 162}, {0xffe4, 163}, // Control_L, Control_R
    {0xffe9, 164}, {0xffea, 165}, // Alt_L, Alt_R
    {0xffe7, 164}, {0xffe8, 165}, // Meta_L, Meta_R (Alt with Shift held)
    {0xfe03, 165},                // ISO_Level3_Shift (AltGr)
    {0xffeb, 91},  {0xffec, 92},  // Super_L, Super_R
};
// evdev keycodes as X reports them, for when the keysym does not tell the side.
const NativeModifier kScanCodes[] = {
    {50, 160}, {62, 161}, {37, 162}, {105, 163}, {64, 164}, {108, 165}, {133, 91}, {134, 92},
};

// X keycodes (evdev) of the keys that carry characters, by their place on the keyboard: the same virtual
// key whatever the layout or the shift state makes of the character (Cyrillic letters, "!" for 1).
int placedKey(quint32 keycode) {
    static const int kRow[] = {
        49, 50, 51, 52, 53, 54, 55, 56,  57,  48,  189, 187, 0, 0,   // 10 … 23
        81, 87, 69, 82, 84, 89, 85, 73,  79,  80,  219, 221, 0, 0,   // 24 … 37
        65, 83, 68, 70, 71, 72, 74, 75,  76,  186, 222, 192, 0, 220, // 38 … 51
        90, 88, 67, 86, 66, 78, 77, 188, 190, 191,                   // 52 … 61
    };
    if (keycode < 10 || keycode > 61)
        return 0;
    return kRow[keycode - 10];
}

int sidedModifier(const QKeyEvent& e, int leftVk) {
    for (const NativeModifier& m : kKeysyms)
        if (m.keysym == e.nativeVirtualKey())
            return m.vk;
    for (const NativeModifier& m : kScanCodes)
        if (m.keysym == e.nativeScanCode())
            return m.vk;
    return leftVk;
}

int keypadKey(int key) {
    switch (key) {
    case Qt::Key_Asterisk:
        return 106;
    case Qt::Key_Plus:
        return 107;
    case Qt::Key_Minus:
        return 109;
    case Qt::Key_Period:
    case Qt::Key_Comma:
    case Qt::Key_Delete:
        return 110;
    case Qt::Key_Slash:
        return 111;
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Insert:
        return 96;
    case Qt::Key_End:
        return 97;
    case Qt::Key_Down:
        return 98;
    case Qt::Key_PageDown:
        return 99;
    case Qt::Key_Left:
        return 100;
    case Qt::Key_Clear:
        return 101;
    case Qt::Key_Right:
        return 102;
    case Qt::Key_Home:
        return 103;
    case Qt::Key_Up:
        return 104;
    case Qt::Key_PageUp:
        return 105;
    default:
        return -1;
    }
}

} // namespace

int VirtualKeys::fromKeyEvent(const QKeyEvent& e) {
    const int key = e.key();
    const bool keypad = e.modifiers() & Qt::KeypadModifier;
    if (!keypad)
        if (const int placed = placedKey(e.nativeScanCode()))
            return placed;
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return keypad ? 96 + (key - Qt::Key_0) : 48 + (key - Qt::Key_0);
    if (keypad)
        if (const int vk = keypadKey(key); vk >= 0)
            return vk;
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return 65 + (key - Qt::Key_A);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return 112 + (key - Qt::Key_F1);
    switch (key) {
    case Qt::Key_Shift:
        return sidedModifier(e, 160);
    case Qt::Key_Control:
        return sidedModifier(e, 162);
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
        return sidedModifier(e, key == Qt::Key_AltGr ? 165 : 164);
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
        return sidedModifier(e, 91);
    case Qt::Key_Super_R:
        return 92;
    case Qt::Key_Backspace:
        return 8;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return 9;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Pause:
        return 19;
    case Qt::Key_CapsLock:
        return 20;
    case Qt::Key_Escape:
        return 27;
    case Qt::Key_Space:
        return 32;
    case Qt::Key_PageUp:
        return 33;
    case Qt::Key_PageDown:
        return 34;
    case Qt::Key_End:
        return 35;
    case Qt::Key_Home:
        return 36;
    case Qt::Key_Left:
        return 37;
    case Qt::Key_Up:
        return 38;
    case Qt::Key_Right:
        return 39;
    case Qt::Key_Down:
        return 40;
    case Qt::Key_Print:
        return 44;
    case Qt::Key_Insert:
        return 45;
    case Qt::Key_Delete:
        return 46;
    case Qt::Key_Menu:
        return 93;
    case Qt::Key_NumLock:
        return 144;
    case Qt::Key_ScrollLock:
        return 145;
    // Punctuation by the US key that carries it, shifted or not.
    case Qt::Key_Semicolon:
    case Qt::Key_Colon:
        return 186;
    case Qt::Key_Equal:
    case Qt::Key_Plus:
        return 187;
    case Qt::Key_Comma:
    case Qt::Key_Less:
        return 188;
    case Qt::Key_Minus:
    case Qt::Key_Underscore:
        return 189;
    case Qt::Key_Period:
    case Qt::Key_Greater:
        return 190;
    case Qt::Key_Slash:
    case Qt::Key_Question:
        return 191;
    case Qt::Key_QuoteLeft:
    case Qt::Key_AsciiTilde:
        return 192;
    case Qt::Key_BracketLeft:
    case Qt::Key_BraceLeft:
        return 219;
    case Qt::Key_Backslash:
    case Qt::Key_Bar:
        return 220;
    case Qt::Key_BracketRight:
    case Qt::Key_BraceRight:
        return 221;
    case Qt::Key_Apostrophe:
    case Qt::Key_QuoteDbl:
        return 222;
    default:
        return 0;
    }
}
