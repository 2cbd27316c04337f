#include "app/notices/SimpleNotices.h"

#include "app/core/Language.h"
#include "app/core/PostMsg.h"

#include <QLabel>
#include <QToolButton>

MouseOffLine::MouseOffLine(int reason, QWidget* parent)
    : KeyNotice("MouseOffLine", keyFor(reason), parent, "   The mouse is offline. Please move first") {
    connect(PostMsg::instance(), &PostMsg::SigCloseOffOnline, this, &QDialog::close);
}

QuestiondialogB::QuestiondialogB(QWidget* parent) : KeyNotice("QuestiondialogB", "ErrorDevice", parent) {
    m_ok->hide();
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
