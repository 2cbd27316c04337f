#pragma once
// The sensor pages' own rules on top of the application theme: the pictures of "Picture/Sensor" and the
// few colours that belong to one object. Each sheet goes on the one widget it styles, so no container's
// sheet puts a whole page tree through style-sheet polishing; texts take their colours from the
// theme's palette.

#include <QString>

class QCheckBox;
class QComboBox;
class QSpinBox;
class QWidget;

namespace SensorLook {
// "url(<image folder>/name)" for a style sheet.
QString image(const char* name);
// A section's title bar ("Title.png").
void titleBar(QWidget* bar);
// A tip icon ("Tips.png").
void tipIcon(QWidget* icon);
// A check box drawn with "CheckBox.png" / "CheckBoxChecked.png".
void checkBox(QCheckBox* box);
// A drop-down list on "ComboboxBack.png" with the "Menu.png" arrows; its rows take the select colour when
// hovered or selected, and a disabled box shows black text. The list itself is drawn from the theme's
// palette.
void comboBox(QComboBox* box);
// A number the user types into, drawn as a field: the theme's dark input colour inside a border that
// lights up under the pointer and takes the accent colour while the box has the focus; the number is
// centred, so the box reads the same in both directions.
void valueField(QSpinBox* box);
// Sets the widget's font to pixelSize pixels, bold or not (inherited by its children): before the
// children are built, as a change travels to each of them.
void setFontSize(QWidget* w, int pixelSize, bool bold = false);
} // namespace SensorLook
