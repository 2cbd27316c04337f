// Receiver pairing: the report handler, the timers' decisions under a test clock, and the pairing window
// against the real library with a mouse that pairs, fails, never ends, loses its receiver, or sits on its
// cable.
#include "app/core/Language.h"
#include "app/core/PostMsg.h"
#include "app/pairing/Match.h"
#include "device/Discovery.h"
#include "device/HidApi.h"
#include "device/LinkState.h"
#include "device/Pairing.h"
#include "tests/common/VirtualMouseSetup.h"

#include "HIDUsbVirtual.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

namespace {
// mouse0 is switched off and belongs to no receiver; receiverB is a second receiver of the same model.
const QByteArray kUnpaired = "mouse mouse0 vid=373B pid=1001 cid=05 mid=1F link=off\n"
                             "receiver receiver0 vid=373B pid=1002 address=A10001\n"
                             "receiver receiverB vid=373B pid=1002 address=A10002\n";
const QString kReceiver = QStringLiteral("/dev/zf-virtual/receiver0");
const QString kReceiverB = QStringLiteral("/dev/zf-virtual/receiverB");
const QString kCable = QStringLiteral("/dev/zf-virtual/mouse0");
std::atomic<qint64> g_now{0};
} // namespace

class TestPairing : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void reportHandler();
    void timersUnderATestClock();
    void identityAndListCheck();
    void pairsWithTheWaitingMouse();
    void receiverRefusesNeverAnswersOrGoes();
    void onTheCable();

private:
    DeviceAllInfo entry(const QString& path);
    QString list();
    void startPairing(Match& m);

    QTemporaryDir m_appDir, m_state;
    VirtualMouseSetup::Controls v;
};

void TestPairing::initTestCase() {
    const QString shipped = qEnvironmentVariable("ZF_APP_DIR");
    qputenv("ZF_HIDUSB_PAIR_MS", "150");
    qputenv("ZF_HIDUSB_SOCKET", "none");
    VirtualMouseSetup::prepare(m_appDir, m_state, kUnpaired).sync();
    Language::loadFrom(shipped, {"English"});
    Language::setCurrentIndex(0);
    const QString failed = v.load();
    QVERIFY2(failed.isEmpty(), qPrintable(failed));
    Match::setAttemptClock([] { return g_now.load(); }, 5000);
}

void TestPairing::init() {
    QFile::remove(m_state.path() + "/mouse0.state"); // its flash and the pairing it keeps
    QVERIFY(v.Reload());
    LinkFlags::resetAll();
    SelectedDevice::set(DeviceAllInfo());
    Pairing::Attempt::resetForWindow();
    g_now = 1000;
}

void TestPairing::cleanup() {
    hid().UsbServer_Exit();
}

DeviceAllInfo TestPairing::entry(const QString& path) {
    for (DeviceAllInfo d : Discovery::enumerate(Discovery::Finder::Default)) {
        Discovery::markOnline(d);
        if (d.path == path)
            return d;
    }
    return {};
}

QString TestPairing::list() {
    QByteArray text(4096, '\0');
    text.truncate(std::min(v.List(text.data(), text.size()), int(text.size()) - 1));
    return QString::fromLatin1(text);
}

void TestPairing::startPairing(Match& m) {
    m.prepareFor(entry(kReceiver));
    QVERIFY(m.buttonEnabled());
    QTest::mouseClick(m.findChild<QToolButton*>("MatchButton"), Qt::LeftButton);
    QCOMPARE(int(Pairing::PairState), int(Pairing::InProgress));
}

void TestPairing::reportHandler() {
    QSignalSpy enable(PostMsg::instance(), &PostMsg::SigButtonEnable);
    const unsigned char header[] = {0, 6, 0, 0, 0}, foreign[] = {0, 8, 0, 0, 0};
    const unsigned char waiting[] = {1}, failed[] = {2}, paired[] = {3};
    LinkFlags::DevicePagesActive = true;
    Pairing::Attempt attempt([] { return g_now.load(); }, 5000);
    attempt.begin();
    QVERIFY(!LinkFlags::DevicePagesActive); // the worker leaves the device alone meanwhile
    // Short, foreign and still-pairing reports change nothing.
    Pairing::handleReport(header, 1, paired, 1);
    Pairing::handleReport(foreign, 5, paired, 1);
    Pairing::handleReport(header, 5, paired, 0);
    Pairing::handleReport(header, 5, nullptr, 1);
    Pairing::handleReport(header, 5, waiting, 1);
    QVERIFY(Pairing::PairActive);
    QCOMPARE(enable.count(), 0);
    Pairing::handleReport(header, 5, failed, 1);
    QCOMPARE(int(Pairing::PairState), int(Pairing::Failed));
    QVERIFY(LinkFlags::DevicePagesActive);
    // A late success after the end is not taken for a second result.
    Pairing::handleReport(header, 5, paired, 1);
    QCOMPARE(int(Pairing::PairState), int(Pairing::Failed));
    QCOMPARE(enable.count(), 1);
    QCOMPARE(enable.at(0).at(0).toInt(), 0);
    attempt.begin();
    Pairing::handleReport(header, 5, paired, 1);
    QCOMPARE(int(Pairing::PairState), int(Pairing::Succeeded));
    QCOMPARE(enable.last().at(0).toInt(), 1);
    QVERIFY(!Pairing::Attempt::canStart(true)); // a success is not paired again
}

void TestPairing::timersUnderATestClock() {
    Pairing::Attempt attempt([] { return g_now.load(); }, 5000);
    attempt.begin();
    QVERIFY(!attempt.closeAllowed());
    g_now += 4999;
    QCOMPARE(attempt.pairTick(true), Pairing::Attempt::Tick::Waiting);
    g_now += 1;
    QCOMPARE(attempt.pairTick(true), Pairing::Attempt::Tick::TimedOut);
    QCOMPARE(int(Pairing::PairState), int(Pairing::Failed));
    QVERIFY(attempt.closeAllowed());
    QCOMPARE(attempt.pairTick(true), Pairing::Attempt::Tick::Over);
    attempt.begin();
    QCOMPARE(attempt.pairTick(false), Pairing::Attempt::Tick::ReceiverGone);
    QStringList texts;
    for (int i = 0; i < 6; ++i)
        texts << attempt.nextText("P");
    QCOMPARE(texts, QStringList({"P", "P.", "P..", "P...", "P...", "P"}));
    // The finder's count is clamped to the preset, null entries skipped.
    char a[] = "a", b[] = "b";
    char* paths[] = {a, nullptr, b, a, a, b, b};
    QCOMPARE(Pairing::foundPaths(paths, 99).size(), 4);
    QCOMPARE(Pairing::foundPaths(paths, -3).size(), 0);
    QCOMPARE(Pairing::foundPaths(nullptr, 5).size(), 0);
}

void TestPairing::identityAndListCheck() {
    QCOMPARE(Pairing::receiverIdentity({0xA1, 0xB2, 0xC3}, 1), QByteArray("\xA1\xB2\xC3\x00\x00", 5));
    QCOMPARE(Pairing::receiverIdentity({1, 2, 3}, 2).at(4), char(1));
    QCOMPARE(Pairing::receiverIdentity({1, 2, 3}, 4).at(4), char(1));
    QCOMPARE(Pairing::receiverIdentity({1, 2, 3}, 8).at(4), char(4));
    QVERIFY(Pairing::receiverIdentity({1, 2, 3}, 3).isEmpty());
    QVERIFY(Pairing::receiverIdentity({1, 2}, 1).isEmpty());
    DeviceAllInfo receiver, out;
    receiver.path = kReceiver;
    QVERIFY(Pairing::listCandidate({receiver}, out));
    QCOMPARE(out.path, kReceiver);
    DeviceAllInfo online = receiver, wired = receiver;
    online.online = 1;
    wired.wired = 1;
    QVERIFY(!Pairing::listCandidate({online}, out));
    QVERIFY(!Pairing::listCandidate({wired}, out));
    QVERIFY(!Pairing::listCandidate({receiver, receiver}, out));
}

void TestPairing::pairsWithTheWaitingMouse() {
    Match m;
    startPairing(m);
    QVERIFY(m.buttonText().startsWith("Pairing"));
    // Closing while the receiver pairs is ignored.
    m.show();
    m.WindowClosedSet();
    QVERIFY(m.isVisible());
    QTRY_COMPARE_WITH_TIMEOUT(m.buttonText(), QString("Paired"), 5000);
    QVERIFY(!m.buttonEnabled());
    QCOMPARE(m.buttonPicture(), QString("PairSuccess.png"));
    QVERIFY(list().contains("paired=mouse0"));
    QVERIFY(v.Reload()); // the devices restart: the pairing outlives them
    QVERIFY(list().contains("receiver receiver0 plugged=1 paired=mouse0"));
    m.on_MatchButton_clicked(); // a second click after a success does nothing
    QCOMPARE(int(Pairing::PairState), int(Pairing::Succeeded));
    m.WindowClosedSet();
    QVERIFY(!m.isVisible());
    // A new window starts afresh.
    Match again;
    QCOMPARE(int(Pairing::PairState), int(Pairing::NotPaired));
}

// Refused, never answered or pulled out: each attempt ends failed, and another try is allowed.
void TestPairing::receiverRefusesNeverAnswersOrGoes() {
    v.FailNextPairing();
    {
        Match m;
        startPairing(m);
        QTRY_COMPARE_WITH_TIMEOUT(m.buttonText(), QString("Pairing failed"), 5000);
        QVERIFY(m.buttonEnabled());
        QVERIFY(!list().contains("paired=mouse0"));
    }
    v.HangNextPairing();
    {
        Match m;
        startPairing(m);
        QTest::qWait(1300); // a pair-timer tick with the receiver still pairing
        QCOMPARE(int(Pairing::PairState), int(Pairing::InProgress));
        g_now += 5000;
        QTRY_COMPARE_WITH_TIMEOUT(m.buttonText(), QString("Pairing failed"), 2500);
        QVERIFY(!Pairing::PairActive);
    }
    v.HangNextPairing();
    Match m;
    startPairing(m);
    QVERIFY(v.Plug("receiver0", 0));
    QTRY_COMPARE_WITH_TIMEOUT(m.buttonText(), QString("Pairing failed"), 2500);
    QCOMPARE(m.buttonPicture(), QString("PairFail.png"));
}

void TestPairing::onTheCable() {
    QVERIFY(v.SetLink("mouse0", HIDVIRT_LINK_CABLE));
    const DeviceAllInfo mouse = entry(kCable);
    QVERIFY(mouse.wired);
    SelectedDevice::set(mouse);
    Match m;
    QVERIFY(!m.buttonEnabled());
    QVERIFY(m.wiredNoticeShown());
    m.on_MatchButton_clicked();
    QCOMPARE(int(Pairing::PairState), int(Pairing::NotPaired));
    // Re-pairing binds the mouse to the chosen receiver, and only to it.
    QVERIFY(Pairing::rePairOnCable(mouse, entry(kReceiverB)));
    QVERIFY(list().contains("receiver receiverB plugged=1 paired=mouse0"));
    QVERIFY(!list().contains("receiver receiver0 plugged=1 paired=mouse0"));
    QVERIFY(v.Reload());
    QVERIFY(list().contains("receiver receiverB plugged=1 paired=mouse0"));
    QVERIFY(v.SetLink("mouse0", HIDVIRT_LINK_CABLE));
    // A receiver that is not plugged in, or a mouse that is not on the cable, is a failure.
    DeviceAllInfo gone = entry(kReceiver);
    QVERIFY(v.Plug("receiver0", 0));
    QVERIFY(!Pairing::rePairOnCable(mouse, gone));
    QVERIFY(!Pairing::rePairOnCable(gone, entry(kReceiverB)));
    // Back on the receiver the window follows the selected device and the button comes back.
    QVERIFY(v.SetLink("mouse0", HIDVIRT_LINK_RECEIVER));
    SelectedDevice::set(entry(kReceiverB));
    QTRY_VERIFY_WITH_TIMEOUT(m.buttonEnabled(), 500);
    QVERIFY(!m.wiredNoticeShown());
}

QTEST_MAIN(TestPairing)
#include "tst_pairing.moc"
