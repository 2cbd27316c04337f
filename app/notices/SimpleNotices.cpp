#include "app/notices/SimpleNotices.h"

#include "app/core/Language.h"
#include "app/core/PostMsg.h"

#include <QLabel>
#include <QToolButton>

MouseOffLine::MouseOffLine(int reason, QWidget* parent) : NoticeBase(parent), m_reason(reason) {
    setObjectName("MouseOffLine");
    setLabelText("   The mouse is offline. Please move first");
    connect(PostMsg::instance(), &PostMsg::SigCloseOffOnline, this, &QDialog::close);
    if (Language::loadedCount() > 0)
        applyTexts(Language::currentIndex());
}

void MouseOffLine::setReason(int reason) {
    m_reason = reason;
    applyTexts(Language::currentIndex());
}

void MouseOffLine::applyTexts(int index) {
    setLabelText(noticeText(m_reason == 0 ? "DialogOffline" : "TimeOut", index));
    setButtonText(noticeText("OK", index));
}

QuestiondialogB::QuestiondialogB(QWidget* parent) : NoticeBase(parent) {
    setObjectName("QuestiondialogB");
    m_ok->hide();
    if (Language::loadedCount() > 0) // before any load the defaults stay
        applyTexts(Language::currentIndex());
}

void QuestiondialogB::applyTexts(int index) {
    setLabelText(noticeText("ErrorDevice", index));
}

DeleteConfirm::DeleteConfirm(QWidget* parent) : NoticeBase(parent) {
    setObjectName("DeleteConfirm");
    setLabelText("Confirm Delete");
    if (Language::loadedCount() > 0) // before any load the defaults stay
        applyTexts(Language::currentIndex());
}

void DeleteConfirm::applyTexts(int index) {
    setLabelText(noticeText("DialogDeleteMacro", index));
    setButtonText(noticeText("OK", index));
}

InportFail::InportFail(int failure, QWidget* parent) : NoticeBase(parent), m_failure(failure) {
    setObjectName("InportFail");
    setLabelText("Config does not match the device");
    if (Language::loadedCount() > 0) // before any load the defaults stay
        applyTexts(Language::currentIndex());
}

void InportFail::applyTexts(int index) {
    setLabelText(noticeText(m_failure == 1 ? "DialogConfigError" : "DialogEConfigMismatch", index));
    setButtonText(noticeText("OK", index));
}

FindNewVer::FindNewVer(QWidget* parent) : NoticeBase(parent) {
    setObjectName("FindNewVer");
    if (Language::loadedCount() > 0) // before any load the defaults stay
        applyTexts(Language::currentIndex());
}

void FindNewVer::applyTexts(int index) {
    setLabelText(noticeText("UpgradeTips", index));
    setButtonText(noticeText("OK", index));
}

UpDateWarning::UpDateWarning(QWidget* parent) : NoticeBase(parent) {
    setObjectName("UpDateWarning");
    setLabelText("Confirm Delete");
    if (Language::loadedCount() > 0) // before any load the defaults stay
        applyTexts(Language::currentIndex());
}

void UpDateWarning::applyTexts(int index) {
    setLabelText(noticeText("WarnUpdate", index));
    setButtonText(noticeText("OK", index));
}

LessThree::LessThree(QWidget* parent) : NoticeBase(parent) {
    setObjectName("LessThree");
    setLabelText("Please wait, we are updating the setting");
    if (Language::loadedCount() > 0) // before any load the defaults stay
        applyTexts(Language::currentIndex());
}

void LessThree::applyTexts(int index) {
    setLabelText(noticeText("DialogDebounceTips", index));
    setButtonText(noticeText("OK", index));
}

namespace {
// Break points after each slash, so a long path wraps inside the label; embedded left to right, so a
// right-to-left sentence does not move its slashes.
QString wrappablePath(QString path) {
    return QStringLiteral("\u202A") + path.replace(QLatin1Char('/'), QStringLiteral("/\u200B")) +
           QStringLiteral("\u202C");
}
} // namespace

LibraryMissing::LibraryMissing(const QString& file, bool fileExists, const QString& detail, QWidget* parent)
    : NoticeBase(parent), m_file(file), m_exists(fileExists) {
    setObjectName("LibraryMissing");
    // Taller than the other notices: the sentence and a long path may take five lines.
    setFixedSize(300, 230);
    if (auto* background = findChild<QLabel*>("BackGround"))
        background->setGeometry(0, 0, 300, 230);
    m_label->setGeometry(15, 30, 270, 130);
    m_ok->move(m_ok->x(), 170);
    m_label->setToolTip(detail);
    setLabelText(QString(fileExists ? "The device library cannot be used:\n%1"
                                    : "The device library was not found:\n%1")
                     .arg(wrappablePath(file)));
    if (Language::loadedCount() > 0)
        applyTexts(Language::currentIndex());
}

void LibraryMissing::applyTexts(int index) {
    const QString text = noticeText(m_exists ? "DialogBadLibrary" : "DialogNoLibrary", index);
    if (!text.isEmpty())
        setLabelText(text.contains("%1") ? text.arg(wrappablePath(m_file))
                                         : text + '\n' + wrappablePath(m_file));
    setButtonText(noticeText("OK", index));
}
