#include "profile/ExportFail.h"

#include "app/core/Language.h"

ExportFail::ExportFail(QWidget* parent) : NoticeBase(parent) {
    setObjectName(QStringLiteral("ExportFail"));
    setLabelText(QStringLiteral("The configuration file could not be saved"));
    if (Language::loadedCount() > 0)
        applyTexts(Language::currentIndex());
}

void ExportFail::applyTexts(int index) {
    const QString text = noticeText(QStringLiteral("DialogExportError"), index);
    if (!text.isEmpty())
        setLabelText(text);
    setButtonText(noticeText(QStringLiteral("OK"), index));
}
