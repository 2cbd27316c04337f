#pragma once
// The language boxes of the device list and the settings page, over the language tables.

class QComboBox;

namespace Language {
// Language box helpers shared by the device list and the settings page.
void fillBox(QComboBox* box); // SlotAutoLan
// Stores `index`, makes it current and sets the code from the box entry's name; the caller emits.
void choose(QComboBox* box, int index);
// Follow the other box: select the entry and set the code, emitting nothing.
void follow(QComboBox* box, int index);
} // namespace Language
