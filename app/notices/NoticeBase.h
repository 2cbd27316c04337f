#pragma once
// Shared build of the small notices: frameless fixed-size modal dialog with a background picture, a text
// label, a confirm button and a close button; texts follow SigAllLanguage.
#include <QDialog>

class QLabel;
class QToolButton;
namespace Ui {
class NoticeDialog;
}

class NoticeBase : public QDialog {
    Q_OBJECT
public:
    explicit NoticeBase(QWidget* parent = nullptr);
    ~NoticeBase() override;
    bool result() const { return m_result; }
    QString labelText() const;
    QString buttonText() const;

    // Centre over `caller` in global coordinates, then shift by (dx, dy). Callers: (0, -20) for the main
    // windows, (-75, -65) for the settings page, (-70, -30) for pairing from the settings page.
    void placeOver(const QWidget* caller, int dx = 0, int dy = -20);
    // Stylesheet of a colour stored as "r,g,b" list under "Option"/key; empty when unset.
    static QString colourSheet(const QString& selector, const QString& key);
    static QString pictureDir();

public slots:
    virtual void SlotAllLanguage(int index);
    virtual void on_NewHong_clicked();
    virtual void on_CloseButton_clicked();

protected:
    // Texts for one language pass; derived notices set the label and buttons from their keys.
    virtual void applyTexts(int index) = 0;
    void setLabelText(const QString& text);
    void setButtonText(const QString& text);
    QLabel* m_label;
    QToolButton* m_ok;
    QToolButton* m_close;
    bool m_result = false;

private:
    Ui::NoticeDialog* m_ui;
};

// A notice of one sentence and the confirm button, both by language key.
class KeyNotice : public NoticeBase {
    Q_OBJECT
public:
    // How a key the language lacks is shown: empty, or (the button page's dialogs) as the form's own
    // Chinese text, which then also stands before the first language load.
    enum class Missing { Empty, FormText };

protected:
    // `defaultText`: the label before the first language load (none keeps the form's text).
    KeyNotice(const char* name, const char* key, QWidget* parent, const char* defaultText = nullptr,
              Missing missing = Missing::Empty);
    void setKey(const char* key);
    void applyTexts(int index) override;
    // Text of `key`, or `formText` where the language lacks it and this notice keeps form texts.
    QString keyText(const char* key, int index, const char* formText) const;

private:
    const char* m_key;
    const char* m_default;
    Missing m_missing;
};

// Text of a notice key: the notices' texts live in the "common" group.
QString noticeText(const QString& key, int index);
