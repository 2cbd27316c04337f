#pragma once
// Qt's file dialog writes its dates and file sizes in the system's locale, whatever the program's
// language. This puts the program's default locale (LanguageQt::defaultLocale) there instead.

class QApplication;
class QFileDialog;

namespace QtDialogDates {

// Every file dialog shown from now on lists its dates in the default locale, read when it is shown.
void install(QApplication& app);
// One dialog; nothing for a native dialog or one that already has a proxy model of its own.
void follow(QFileDialog* dialog);
// Widens a dialog smaller than a comfortable size (within the screen), keeping its centre.
void fitSize(QFileDialog* dialog);

} // namespace QtDialogDates
