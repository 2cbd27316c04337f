#include "app/pairing/Match.h"

#include "app/core/AppPaths.h"
#include "app/core/Language.h"
#include "app/core/PostMsg.h"
#include "app/ui/Theme.h"
#include "device/DevicePagesLink.h"
#include "device/DeviceSession.h"
#include "device/Discovery.h"
#include "device/LinkState.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPixmap>
#include <QTimer>
#include <QToolButton>

namespace {
Pairing::Clock g_clock = Pairing::steadyMs;
qint64 g_timeoutMs = Pairing::kOverallTimeoutMs;

QString pictures() {
    return AppPaths::appDir() + QStringLiteral("/Picture/Match/");
}
QString warningPictures() {
    return AppPaths::appDir() + QStringLiteral("/Picture/WarningDialog/");
}

QToolButton* closeButton(QWidget* parent) {
    auto* b = new QToolButton(parent);
    b->setObjectName(QStringLiteral("CloseButton"));
    b->setCursor(Qt::PointingHandCursor);
    b->setStyleSheet(QStringLiteral("QToolButton{border-image: url(%1Close.png); border: none;}"
                                    "QToolButton:hover{border-image: url(%1CloseHover.png);}"
                                    "QToolButton:pressed{border-image: url(%1CloseClick.png);}")
                         .arg(warningPictures()));
    return b;
}

QString confirmSheet() {
    return QStringLiteral("QToolButton{border-image: url(%1Confirm.png); border: none; color: %2;}"
                          "QToolButton:pressed{border-image: url(%1ConfirmClick.png);}")
        .arg(warningPictures(), Theme::rgb("ButtonColor"));
}

QLabel* background(QWidget* parent, const QString& file) {
    auto* bg = new QLabel(parent);
    bg->setObjectName(QStringLiteral("BackGround"));
    bg->setScaledContents(true);
    bg->setPixmap(QPixmap(file));
    bg->setGeometry(0, 0, parent->width(), parent->height());
    return bg;
}

QString pairText(const QString& key) {
    return Language::text(QStringLiteral("pair"), key);
}
} // namespace

void Match::setAttemptClock(Pairing::Clock clock, qint64 timeoutMs) {
    g_clock = clock ? std::move(clock) : Pairing::Clock(Pairing::steadyMs);
    g_timeoutMs = timeoutMs;
}

Match::Match(QWidget* parent)
    : QDialog(parent), m_usbHandler(&DevicePagesLink::usbChanged), m_attempt(g_clock, g_timeoutMs),
      m_pairTimer(new QTimer(this)), m_usbTimer(new QTimer(this)), m_textTimer(new QTimer(this)) {
    setObjectName(QStringLiteral("Match"));
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setModal(true);
    setFixedSize(440, 280);
    Theme::makeTranslucent(this, 12);
    background(this, pictures() + QStringLiteral("BackGround.png"));

    m_title = new QLabel(this);
    m_title->setObjectName(QStringLiteral("label_title"));
    m_title->setGeometry(24, 14, 360, 28);
    m_title->setStyleSheet(
        QStringLiteral("QLabel{font-size:16px;font-weight:bold;color:%1;}").arg(Theme::rgb("LabelColor")));
    m_close = closeButton(this);
    m_close->setGeometry(404, 12, 24, 24);
    connect(m_close, &QToolButton::clicked, this, &Match::WindowClosedSet);

    m_tips = new QLabel(this);
    m_tips->setObjectName(QStringLiteral("label_1"));
    m_tips->setGeometry(24, 50, 392, 66);
    m_tips->setWordWrap(true);
    m_tips->setAlignment(Qt::AlignCenter);
    m_tips->setProperty("role", "caption");

    m_button = new QToolButton(this);
    m_button->setObjectName(QStringLiteral("MatchButton"));
    m_button->setGeometry(110, 124, 220, 44);
    m_button->setCursor(Qt::PointingHandCursor);
    // Set here, not in the style sheet: a sheet's font size would win over the fitting of long texts.
    QFont font = m_button->font();
    font.setPixelSize(15);
    m_button->setFont(font);
    connect(m_button, &QToolButton::clicked, this, &Match::on_MatchButton_clicked);

    m_noPair = new QLabel(this);
    m_noPair->setObjectName(QStringLiteral("label"));
    m_noPair->setGeometry(24, 176, 392, 40);
    m_noPair->setWordWrap(true);
    m_noPair->setAlignment(Qt::AlignCenter);
    m_noPair->setStyleSheet(QStringLiteral("QLabel{color: rgb(255,170,60);}"));
    m_noPair->hide();

    m_rePair = new QToolButton(this);
    m_rePair->setObjectName(QStringLiteral("RePairButton"));
    m_rePair->setGeometry(120, 224, 200, 34);
    m_rePair->setCursor(Qt::PointingHandCursor);
    m_rePair->setStyleSheet(confirmSheet());
    m_rePair->hide();
    connect(m_rePair, &QToolButton::clicked, this, &Match::on_RePairButton_clicked);

    // The form's built-in texts until a language is applied.
    m_button->setText(QStringLiteral("开始配对"));
    m_noPair->setText(QStringLiteral("无线模式下,才能进入配对"));

    m_pairTimer->setInterval(Pairing::kPairTimerMs);
    m_usbTimer->setInterval(Pairing::kUsbTimerMs);
    m_textTimer->setInterval(Pairing::kTextTimerMs);
    connect(m_pairTimer, &QTimer::timeout, this, &Match::onPairTimeupDestroy);
    connect(m_usbTimer, &QTimer::timeout, this, &Match::onUSBTimeupDestroy);
    connect(m_textTimer, &QTimer::timeout, this, &Match::onTextTimeupDestroy);

    PostMsg* hub = PostMsg::instance();
    connect(hub, &PostMsg::SigTimerStop, this, &Match::SlotStopTimer);
    connect(hub, &PostMsg::SigButtonEnable, this, &Match::SlotButtonenable);
    connect(hub, &PostMsg::SigAllLanguage, this, &Match::SlotAllLanguage);

    // A window opened after an earlier one succeeded starts afresh.
    Pairing::Attempt::resetForWindow();
    Theme::mirrorWithDirection(this);
    SlotAllLanguage(Language::currentIndex());
    setTarget(SelectedDevice::get());
    onUSBTimeupDestroy();
    m_usbTimer->start();
}

Match::~Match() {
    // Destroyed without a close (the parent went away): nothing may stay in pairing.
    if (!m_attempt.closeAllowed())
        Pairing::Attempt::resetForWindow();
}

void Match::prepareFor(const DeviceAllInfo& device) {
    m_followSelected = false;
    setTarget(device);
    onUSBTimeupDestroy();
}

void Match::setTarget(const DeviceAllInfo& device) {
    m_target = Pairing::targetFor(device);
}

QString Match::text(const char* key) const {
    return pairText(QLatin1String(key));
}

QString Match::buttonText() const {
    return m_button->text();
}

bool Match::wiredNoticeShown() const {
    return !m_noPair->isHidden();
}

void Match::showButton(const QString& key, const QString& picture, bool enabled) {
    m_textKey = key;
    m_picture = picture;
    m_buttonEnabled = enabled;
    m_button->setEnabled(enabled);
    // A disabled button keeps the plain picture and shows black text.
    const QString shown = enabled || key != QLatin1String("StartPair") ? picture : QStringLiteral("Pair.png");
    m_button->setStyleSheet(
        QStringLiteral("QToolButton{border-image: url(%1%2); border: none; color: %3;"
                       "padding-left: 36px; padding-right: 12px;}"
                       "QToolButton:disabled{color: %4;}")
            .arg(pictures(), shown, Theme::rgb("ButtonColor"),
                 // black on the plain picture; the success picture is dark
                 shown == QLatin1String("Pair.png") ? QStringLiteral("black") : Theme::rgb("SliderColor")));
    const QString t = pairText(key);
    if (!t.isEmpty())
        m_button->setText(t);
    Theme::fitText(m_button, 48);
}

void Match::layoutTexts() {
    m_title->setText(pairText(QStringLiteral("Pair")));
    m_tips->setText(pairText(QStringLiteral("DialogPairTips")));
    const QString noPair = pairText(QStringLiteral("NoPair"));
    if (!noPair.isEmpty())
        m_noPair->setText(noPair);
    const QString rePair = pairText(QStringLiteral("Repair"));
    if (!rePair.isEmpty())
        m_rePair->setText(rePair);
    Theme::fitText(m_rePair, 16);
}

void Match::SlotAllLanguage(int) {
    layoutTexts();
    if (Pairing::PairActive)
        m_button->setText(m_attempt.nextText(pairText(QStringLiteral("Pairing"))));
    else
        showButton(m_textKey, m_picture, m_buttonEnabled);
}

void Match::on_MatchButton_clicked() {
    if (m_target.wired || !Pairing::Attempt::canStart(m_buttonEnabled))
        return;
    m_attempt.begin();
    showButton(QStringLiteral("Pairing"), QStringLiteral("Pair.png"), true);
    m_button->setText(m_attempt.nextText(pairText(QStringLiteral("Pairing"))));
    m_textTimer->start();
    // A device-list refresh would restart the worker on the mouse and end the receiver's service.
    DeviceSession::stopWatching();
    m_serviceStarted = true;
    m_pairTimer->start();
    if (!Pairing::enter(m_target)) {
        // The library refused at once: the attempt ends as a failure, not as a wait for the time-out.
        m_attempt.pairTick(false);
        SlotStopTimer();
        SlotButtonenable(0);
    }
}

void Match::onPairTimeupDestroy() {
    Pairing::readStatus();
    switch (m_attempt.pairTick(Pairing::receiverPresent(m_target))) {
    case Pairing::Attempt::Tick::Waiting:
        return;
    case Pairing::Attempt::Tick::ReceiverGone:
    case Pairing::Attempt::Tick::TimedOut:
        SlotStopTimer();
        showButton(QStringLiteral("PairFail"), QStringLiteral("PairFail.png"), true);
        return;
    case Pairing::Attempt::Tick::Over:
        m_pairTimer->stop();
        return;
    }
}

void Match::onUSBTimeupDestroy() {
    if (Pairing::PairActive)
        return;
    if (m_followSelected) {
        const DeviceAllInfo selected = SelectedDevice::get();
        if (!selected.path.isEmpty())
            setTarget(selected);
    }
    const bool succeeded = Pairing::PairState == Pairing::Succeeded;
    const bool enable = !m_target.wired && !succeeded;
    m_noPair->setVisible(m_target.wired);
    m_rePair->setVisible(m_target.wired);
    // The wired notice and the re-pair button need the lower part; without them the window is shorter.
    const int height = m_target.wired ? 280 : 200;
    if (this->height() != height) {
        setFixedSize(440, height);
        if (auto* bg = findChild<QLabel*>(QStringLiteral("BackGround")))
            bg->setGeometry(rect());
    }
    if (enable == m_buttonEnabled)
        return;
    if (succeeded)
        showButton(QStringLiteral("PairSuccess"), QStringLiteral("PairSuccess.png"), false);
    else if (!enable)
        showButton(QStringLiteral("StartPair"), QStringLiteral("Pair.png"), false);
    else
        showButton(m_textKey == QLatin1String("PairFail") ? m_textKey : QStringLiteral("StartPair"),
                   m_textKey == QLatin1String("PairFail") ? m_picture : QStringLiteral("Pair.png"), true);
}

void Match::onTextTimeupDestroy() {
    m_button->setText(m_attempt.nextText(pairText(QStringLiteral("Pairing"))));
}

void Match::SlotStopTimer() {
    m_pairTimer->stop();
    m_textTimer->stop();
}

void Match::SlotButtonenable(int index) {
    SlotStopTimer();
    if (index == 1)
        showButton(QStringLiteral("PairSuccess"), QStringLiteral("PairSuccess.png"), false);
    else
        showButton(QStringLiteral("PairFail"), QStringLiteral("PairFail.png"), true);
}

void Match::on_RePairButton_clicked() {
    if (!m_target.wired)
        return;
    RePair question(this);
    question.move(mapToGlobal(rect().center()) - QPoint(question.width() / 2, question.height() / 2));
    question.exec();
    if (!question.result())
        return;
    const DeviceAllInfo mouse = SelectedDevice::get();
    QList<DeviceAllInfo> receivers;
    for (const DeviceAllInfo& d : Discovery::enumerate(Discovery::Finder::Default))
        if (!d.wired && d.row == mouse.row)
            receivers << d;
    // With two receivers of the model plugged in the user has not said which one is meant.
    const bool ok = receivers.size() == 1 && Pairing::rePairOnCable(mouse, receivers.first());
    m_noPair->setText(pairText(ok ? QStringLiteral("PairSuccess") : QStringLiteral("PairFail")));
    m_noPair->setStyleSheet(ok ? QStringLiteral("QLabel{color: rgb(0,255,153);}")
                               : QStringLiteral("QLabel{color: rgb(255,107,94);}"));
}

void Match::WindowClosedSet() {
    if (!m_attempt.closeAllowed())
        return;
    if (m_serviceStarted) {
        m_serviceStarted = false;
        // The receiver's service gives way to the selected device's, or to none on the device list.
        if (SelectedDevice::path().isEmpty())
            DeviceSession::stopService();
        else
            DeviceSession::resumeService();
    }
    if (m_usbHandler)
        DeviceSession::watchUsbChanges(m_usbHandler);
    m_pairTimer->stop();
    m_usbTimer->stop();
    m_textTimer->stop();
    m_closing = true;
    QDialog::reject();
}

void Match::reject() {
    WindowClosedSet();
}

void Match::closeEvent(QCloseEvent* event) {
    if (m_closing) {
        QDialog::closeEvent(event);
        return;
    }
    event->ignore();
    WindowClosedSet();
}

RePair::RePair(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("RePair"));
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setModal(true);
    setFixedSize(320, 160);
    Theme::makeTranslucent(this, 10);
    background(this, warningPictures() + QStringLiteral("BackGround.png"));
    m_label = new QLabel(this);
    m_label->setObjectName(QStringLiteral("label"));
    m_label->setGeometry(20, 34, 280, 64);
    m_label->setWordWrap(true);
    m_label->setAlignment(Qt::AlignCenter);
    m_ok = new QToolButton(this);
    m_ok->setObjectName(QStringLiteral("OK"));
    m_ok->setGeometry(40, 110, 110, 32);
    m_cancel = new QToolButton(this);
    m_cancel->setObjectName(QStringLiteral("Cancel"));
    m_cancel->setGeometry(170, 110, 110, 32);
    for (QToolButton* b : {m_ok, m_cancel}) {
        b->setStyleSheet(confirmSheet());
        b->setCursor(Qt::PointingHandCursor);
    }
    QToolButton* close = closeButton(this);
    close->setGeometry(288, 8, 24, 24);
    connect(close, &QToolButton::clicked, this, &RePair::on_CloseButton_clicked);
    connect(m_ok, &QToolButton::clicked, this, &RePair::on_OK_clicked);
    connect(m_cancel, &QToolButton::clicked, this, &RePair::on_Cancel_clicked);
    connect(PostMsg::instance(), &PostMsg::SigAllLanguage, this, &RePair::SlotAllLanguage);
    Theme::mirrorWithDirection(this);
    SlotAllLanguage(Language::currentIndex());
}

void RePair::SlotAllLanguage(int) {
    m_label->setText(pairText(QStringLiteral("RepairTips")));
    m_ok->setText(pairText(QStringLiteral("Repair")));
    m_cancel->setText(pairText(QStringLiteral("Cancel")));
    Theme::fitText(m_ok, 8);
    Theme::fitText(m_cancel, 8);
}

void RePair::on_CloseButton_clicked() {
    m_result = false;
    close();
}

void RePair::on_OK_clicked() {
    m_result = true;
    close();
}

void RePair::on_Cancel_clicked() {
    m_result = false;
    close();
}
