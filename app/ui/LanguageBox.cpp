#include "app/ui/LanguageBox.h"

#include "app/core/IniStores.h"
#include "app/core/Language.h"

#include <QComboBox>
#include <QSignalBlocker>

namespace Language {

void fillBox(QComboBox* box) {
    box->clear();
    box->addItems(boxNames());
}

void choose(QComboBox* box, int index) {
    MacroIniStore::instance().setValue("Language", "Language", QString::number(index));
    setCurrentIndex(index);
    setCodeFromBoxName(box->itemText(index));
}

void follow(QComboBox* box, int index) {
    const QSignalBlocker block(box);
    box->setCurrentIndex(index);
    setCodeFromBoxName(box->itemText(index));
}

} // namespace Language
