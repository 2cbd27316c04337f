#pragma once
// The firmware upgrade windows. `Progress` runs the settings page's upgrade (the stages the page asks
// for); `UpDateRepair` finishes an upgrade that a previous run left unfinished ("UpdateFailInfo"). Both
// show one run's progress and its outcome, and cannot be closed while the device is being flashed.

#include "device/FirmwareUpgrade.h"

#include <QDialog>

class QLabel;
class QProgressBar;
class QToolButton;

class UpgradeWindow : public QDialog {
    Q_OBJECT
public:
    explicit UpgradeWindow(QWidget* parent = nullptr);
    Upgrade::Run* run() { return &m_run; }
    QString text() const;
    int percent() const;
    bool busy() const { return m_run.running(); }
    const Upgrade::Plan& plan() const { return m_plan; }

    // Centre over `caller` in global coordinates, then shift by (dx, dy).
    void placeOver(const QWidget* caller, int dx, int dy);

public slots:
    // Discrib 0 bar = schedue; 1 failure text, buttons back; 2 success text, bar 100; 3 close hidden;
    // 4 close hidden, bar 0; 5 failure text, buttons back, bar 50; 6 failure text, buttons back.
    void SlotProgress(int schedue, int Discrib);
    void SlotAutoRepair(int index);
    void SlotAllLanguage(int index);
    // Starts the run of the planned stages; false when there is nothing to run or a run is going.
    bool startRun();

    void reject() override; // Esc and the close button: not while flashing

protected:
    void setPlan(const Upgrade::Plan& plan) { m_plan = plan; }
    void setKeyText(const QString& key);
    void setStartEnabled(bool enabled);
    void offerStart(); // the start button, while nothing stands in the way
    void setTitle(const QString& group, const QString& key);
    // How a run's progress and end reach the window: directly here, through the hub for the repair.
    virtual void announceProgress(int percent) { SlotProgress(percent, 0); }
    virtual void announceEnd(bool ok);

    Upgrade::Plan m_plan;
    bool m_canStart = true;

private:
    void applyTexts();
    void onFinished(bool ok);

    Upgrade::Run m_run;
    QLabel* m_title;
    QLabel* m_text;
    QProgressBar* m_bar;
    QToolButton* m_start;
    QToolButton* m_cancel;
    QToolButton* m_close;
    QString m_textKey;
    QString m_titleGroup = QStringLiteral("update");
    QString m_titleKey = QStringLiteral("Upgrade");
};

class Progress : public UpgradeWindow {
    Q_OBJECT
public:
    Progress(const Upgrade::Plan& plan, QWidget* parent = nullptr);
};

class UpDateRepair : public UpgradeWindow {
    Q_OBJECT
public:
    // Checks the failure record against the devices found now; the window says what stops the repair.
    explicit UpDateRepair(QWidget* parent = nullptr);
    const Upgrade::RepairCheck& check() const { return m_check; }

public slots:
    void SlotAutoRepairProgress(int index);

protected:
    void announceProgress(int percent) override;
    void announceEnd(bool ok) override;

private:
    Upgrade::RepairCheck m_check;
};
