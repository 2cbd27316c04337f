#pragma once
// "The program is already running" notice, also the yes/no question of the update check and the
// macro page's two plain notices. It runs before the language tables exist, so it reads its few texts
// itself: JSON for English and simplified Chinese, small XML files for the other legacy languages.
#include <QDialog>
#include <QHash>

namespace Ui {
class ExeIsRun;
}

class ExeIsRun : public QDialog {
    Q_OBJECT
public:
    explicit ExeIsRun(QWidget* parent = nullptr);
    ~ExeIsRun() override;
    // Switches to the new-version question: second button shown, buttons moved side by side.
    void setNewVersionForm();
    // Shows the text of one of its keys ("DialogSelectMacroFirst", "DialogStopRecordFirst", ...).
    void setNotice(const QString& key);
    bool result() const { return m_result; }
    QString labelText() const;
    QString text(const QString& key) const { return m_texts.value(key); }

    // The stored index counts the enabled languages; the text files are numbered by the older list
    // (0 English, 1 simplified Chinese, 2 traditional Chinese, 3 Korean, 4 Russian, 5 Japanese).
    // -1 for a language outside it.
    static int legacyNumber(int languageIndex, const QStringList& enabledOptionKeys);
    // File below the application folder for a legacy number; anything else reads the English XML.
    static QString textFile(int legacyNumber);
    // The file for a language index: its legacy file, else the language's own JSON file (the legacy list
    // has no Arabic, Turkish, Polish, Portuguese or Spanish file), else the English XML.
    static QString textFileFor(int languageIndex, const QStringList& enabledOptionKeys);
    // Texts of `path`: the "common" group of a language JSON file, or the children of an XML file's
    // "ExeIsRun" root. Empty for a missing or broken file.
    static QHash<QString, QString> readTexts(const QString& path);
    // The same over a file's contents: `json` for a language file, else the XML form.
    static QHash<QString, QString> parseTexts(const QByteArray& data, bool json);

public slots:
    void SlotAllLanguage(int index);
    void on_NewHong_clicked();
    void on_NewHong_2_clicked();
    void on_CloseButton_clicked();

protected:
    // A translucent window skips its style-sheet background: the rounded picture is drawn here.
    void paintEvent(QPaintEvent* event) override;

private:
    void loadTexts(int languageIndex);
    Ui::ExeIsRun* m_ui;
    bool m_result = false;
    QString m_shownKey = QStringLiteral("OnRun");
    QHash<QString, QString> m_texts;
};
