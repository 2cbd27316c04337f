#pragma once
// The download window of the update check: a text, a progress bar and a close button that cancels.
#include <QDialog>

class QLabel;
class QProgressBar;
class QToolButton;

class UpdateProgress : public QDialog {
    Q_OBJECT
public:
    explicit UpdateProgress(QWidget* parent = nullptr);
    void setProgress(qint64 received, qint64 total);
    int percent() const;

public slots:
    void SlotAllLanguage(int index);

signals:
    void cancelled();

private:
    QLabel* m_label;
    QProgressBar* m_bar;
    QToolButton* m_close;
};
