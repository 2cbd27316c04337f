#pragma once
// "The program is already running" notice, also the yes/no question of the update check.
#include <QDialog>

class QLabel;
class QToolButton;

class ExeIsRun : public QDialog {
    Q_OBJECT
public:
    explicit ExeIsRun(QWidget* parent = nullptr);
    // Switches to the new-version question: second button shown, buttons moved side by side.
    void setNewVersionForm();
    bool result() const { return m_result; }
    QString labelText() const;

public slots:
    void on_NewHong_clicked();
    void on_NewHong_2_clicked();
    void on_CloseButton_clicked();

private:
    void loadTexts(int languageIndex);
    bool m_result = false;
    QLabel* m_label;
    QToolButton* m_ok;
    QToolButton* m_no;
    QToolButton* m_close;
    QString m_onRun, m_checkUpdate, m_okText;
};
