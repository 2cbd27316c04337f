#pragma once
// The pairing window: puts the receiver into pairing mode and waits for its pair report, animating the
// button text meanwhile. A mouse on its cable cannot pair wirelessly; for it the window offers cable
// re-pairing with the plugged-in receiver instead.
#include "app/core/DeviceAllInfo.h"
#include "device/DeviceSession.h"
#include "device/Pairing.h"

#include <QDialog>

class QLabel;
class QTimer;
class QToolButton;

class Match : public QDialog {
    Q_OBJECT
public:
    // Prepared for the selected device; it follows that device between cable and receiver.
    explicit Match(QWidget* parent = nullptr);
    ~Match() override;

    // Prepares the window for a device the list remembered instead of the selected one.
    void prepareFor(const DeviceAllInfo& device);
    // The USB-change callback registered again on close (default: the device pages' refresh).
    void setUsbChangeHandler(DeviceSession::UsbChangeHandler handler) { m_usbHandler = handler; }
    // Clock and overall time-out of the attempts of every window made after the call (tests).
    static void setAttemptClock(Pairing::Clock clock, qint64 timeoutMs);

    bool buttonEnabled() const { return m_buttonEnabled; }
    QString buttonText() const;
    QString buttonPicture() const { return m_picture; }
    bool wiredNoticeShown() const;

public slots:
    void WindowClosedSet();
    void on_MatchButton_clicked();
    void onPairTimeupDestroy();
    void onUSBTimeupDestroy();
    void onTextTimeupDestroy();
    void SlotStopTimer();
    void SlotButtonenable(int index);
    void SlotAllLanguage(int index);
    // Cable re-pairing of the mouse on the cable with the one plugged-in receiver of its model, after the
    // confirmation.
    void on_RePairButton_clicked();

protected:
    void reject() override;
    void closeEvent(QCloseEvent* event) override;

private:
    void setTarget(const DeviceAllInfo& device);
    void showButton(const QString& key, const QString& picture, bool enabled);
    QString text(const char* key) const;
    void layoutTexts();

    Pairing::Target m_target;
    bool m_followSelected = true;
    bool m_buttonEnabled = false;
    bool m_serviceStarted = false;
    bool m_closing = false;
    QString m_textKey = QStringLiteral("StartPair");
    QString m_picture = QStringLiteral("Pair.png");
    DeviceSession::UsbChangeHandler m_usbHandler = nullptr;
    Pairing::Attempt m_attempt;
    QTimer* m_pairTimer;
    QTimer* m_usbTimer;
    QTimer* m_textTimer;
    QLabel* m_title;
    QLabel* m_tips;
    QLabel* m_noPair;
    QToolButton* m_button;
    QToolButton* m_rePair;
    QToolButton* m_close;
};

// The cable re-pairing question: OK confirms, Cancel and Close dismiss.
class RePair : public QDialog {
    Q_OBJECT
public:
    explicit RePair(QWidget* parent = nullptr);
    bool result() const { return m_result; }

public slots:
    void on_CloseButton_clicked();
    void on_OK_clicked();
    void on_Cancel_clicked();
    void SlotAllLanguage(int index);

private:
    QLabel* m_label;
    QToolButton* m_ok;
    QToolButton* m_cancel;
    bool m_result = false;
};
