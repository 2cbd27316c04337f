#include "app/notices/QuestionDialog.h"

#include "app/core/EncodedText.h"
#include "app/core/Language.h"

#include <QLabel>
#include <QLineEdit>
#include <QTextCodec>
#include <QToolButton>

namespace {
constexpr int kMaxNameBytes = 30;
}

QuestionDialog::QuestionDialog(QWidget* parent) : NoticeBase(parent) {
    setObjectName("QuestionDialog");
    m_label->setGeometry(20, 30, 260, 30);
    m_edit = new QLineEdit(this);
    m_edit->setObjectName("lineEdit");
    m_edit->setGeometry(40, 68, 220, 28);
    m_ok->setGeometry(50, 110, 90, 32);
    m_cancel = new QToolButton(this);
    m_cancel->setObjectName("NewHong_2");
    m_cancel->setGeometry(160, 110, 90, 32);
    m_cancel->setStyleSheet(m_ok->styleSheet());
    m_cancel->setText("Cancel");
    connect(m_edit, &QLineEdit::textEdited, this, &QuestionDialog::on_lineEdit_textEdited);
    connect(m_cancel, &QToolButton::clicked, this, &QuestionDialog::WindowClosedLan);
    if (Language::loadedCount() > 0)
        applyTexts(Language::currentIndex());
}

void QuestionDialog::applyTexts(int index) {
    setLabelText(noticeText("DialogInputMacroName", index));
    setButtonText(noticeText("OK", index));
    m_cancel->setText(noticeText("Cancel", index));
}

QString QuestionDialog::limitName(const QString& input, QTextCodec* codec) {
    if (!codec)
        codec = QTextCodec::codecForLocale();
    QString text = input;
    if (text.endsWith(' '))
        text.remove(' ');
    return EncodedText::leadingWithin(text, codec, kMaxNameBytes);
}

void QuestionDialog::on_lineEdit_textEdited(const QString& text) {
    const QString limited = limitName(text);
    if (limited != text)
        m_edit->setText(limited);
}

void QuestionDialog::on_NewHong_clicked() {
    m_name = m_edit->text();
    m_result = !m_name.isEmpty();
    close();
}

void QuestionDialog::on_CloseButton_clicked() {
    WindowClosedLan();
}

void QuestionDialog::WindowClosedLan() {
    m_name.clear();
    m_result = false;
    close();
}
