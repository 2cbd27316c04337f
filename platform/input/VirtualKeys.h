#pragma once
// Qt key events as Windows virtual-key codes, the codes the macro files and the key tables speak. Keys
// that carry characters count by their place on the keyboard (the US key there), so a Cyrillic layout
// or a shifted digit gives the same code; left and right modifiers are told apart by the native key.
class QKeyEvent;

namespace VirtualKeys {
// The virtual-key code of a key event; 0 for keys without one.
int fromKeyEvent(const QKeyEvent& event);
} // namespace VirtualKeys
