#pragma once
// Macro name question: returns the entered name, empty when cancelled.
#include "app/notices/NoticeBase.h"

class QLineEdit;
class QTextCodec;

class QuestionDialog : public NoticeBase {
    Q_OBJECT
public:
    explicit QuestionDialog(QWidget* parent = nullptr);
    QString name() const { return m_name; }
    QLineEdit* lineEdit() const { return m_edit; }

    // The name-field rule: a trailing space removes every space; then the text is cut to the longest
    // leading run of whole characters of at most 30 bytes in `codec` (the locale's by default).
    static QString limitName(const QString& text, QTextCodec* codec = nullptr);

public slots:
    void on_lineEdit_textEdited(const QString& text);
    void on_NewHong_clicked() override;
    void on_CloseButton_clicked() override;
    void WindowClosedLan();

protected:
    void applyTexts(int index) override;

private:
    QLineEdit* m_edit;
    QToolButton* m_cancel;
    QString m_name;
};

// Several-line variant used by the device list is QuestiondialogB (SimpleNotices.h).
