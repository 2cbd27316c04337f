#pragma once
// The application's look: one dark palette and one application style sheet built from the "Option"
// colours of Config.ini, applied once at start. Pages add only their own rules (image names,
// object-specific colours) on top; everything they leave unsaid comes from here, Qt's own dialogs
// included. Also the layout direction that follows the language, and the helpers frameless rounded
// windows and fixed-geometry forms need.

#include <QColor>
#include <QPalette>
#include <QString>

class QAbstractButton;
class QApplication;
class QWidget;

namespace Theme {

// Colour of an "Option" key ("r,g,b"); the built-in default of that key when it is missing or malformed.
// Keys: "LabelColor", "ButtonColor", "ComboxTextColor", "ComboxSelectColor", "ComboxBackGroundColor",
// "SliderColor".
QColor colour(const char* key);
// The same as "rgb(r,g,b)" for style sheets.
QString rgb(const char* key);
// Any colour as style-sheet text ("rgb(…)", or "rgba(…)" when not opaque).
QString rgb(const QColor& colour);

// Fixed shades derived from the option colours: window background, input fields, borders, muted text.
QColor window();
QColor base();
QColor border();
QColor mutedText();
// Secondary text beside the main text (captions, hints): between muted and full text.
QColor captionText();

QPalette palette();
// Fusion style (it draws every widget from the palette) and the palette, on the application. No
// application-wide style sheet: a page's own sheet starts with the rules below that it needs.
void apply(QApplication& app);

// Shared rules for controls a page styles with a sheet of its own (once a sheet names a control, the
// palette no longer draws its sub-controls): drop-down lists, scroll bars, sliders, spin boxes, line
// edits, disabled texts.
QString controlRules();
// Rules for roles given by property: QLabel "role" = "caption" / "value", QToolButton "pageCaption".
QString roleRules();

// Right-to-left when the language at `index` among the loaded ones is Arabic.
bool isRightToLeft(int languageIndex);
// Sets the application's layout direction for the language and re-places every registered form.
void setLanguageDirection(int languageIndex);
// Registers a form whose direct children are placed by fixed geometry (no layout): in a right-to-left
// language each such child is mirrored inside the form. Layouts mirror by themselves.
// Left-aligned labels among them are right-aligned in a right-to-left language, whatever the direction of
// their own text, so captions and values line up.
void mirrorWithDirection(QWidget* form);
// Keeps a child of a registered form where it is in both directions (what sits on a fixed part of the
// form's background picture, such as the title bar beside the logo).
void keepPlace(QWidget* child);

// A frameless window whose background picture has rounded corners (of `radius` pixels): without a
// translucent background the corners show the window system's fill. Where nothing composites windows
// (an X desktop without a compositing manager) translucent parts come out black, so there the window is
// cut to its rounded outline instead.
void makeTranslucent(QWidget* window, int radius);

// Shrinks the button's font until its text fits beside `padding` pixels of picture (not below 8 px).
void fitText(QAbstractButton* button, int padding);

} // namespace Theme
