#include "app/core/Language.h"
#include "app/core/PostMsg.h"
#include "app/notices/QuestionDialog.h"
#include "app/notices/SimpleNotices.h"
#include "app/notices/UpDataParam.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextCodec>
#include <QtTest>

// A clock that only counts: each wait advances it and may run a step (the pages answering).
struct FakeClock {
    int now = 0;
    std::function<void(int)> onAdvance;
    void wait(int ms) {
        now += ms;
        if (onAdvance)
            onAdvance(now);
    }
};

class TstNotices : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void initTestCase() {
        qRegisterMetaType<FlashDataMap>("FlashDataMap");
        QDir().mkpath(m_dir.path() + "/Language");
        QFile f(m_dir.path() + "/Language/en.json");
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("{\"mouse\":{\"common\":{\"DialogOffline\":\"offline text\",\"TimeOut\":\"timeout "
                "text\",\"OK\":\"Okay\",\n"
                "                  \"DialogUpdating\":\"wait text\"}}}");
        f.close();
        Language::loadFrom(m_dir.path(), {"English"});
        Language::setCurrentIndex(0);
    }

    void offlineNoticeTextsAndClosing() {
        MouseOffLine off0(0);
        QCOMPARE(off0.labelText(), QString("offline text"));
        QCOMPARE(off0.buttonText(), QString("Okay"));
        MouseOffLine off1(1);
        QCOMPARE(off1.labelText(), QString("timeout text"));
        off1.show();
        QVERIFY(off1.isVisible());
        emit PostMsg::instance()->SigCloseOffOnline();
        QVERIFY(!off1.isVisible());
        // A language pass with an unknown index empties the texts instead of failing.
        emit PostMsg::instance()->SigAllLanguage(5);
        QVERIFY(off0.labelText().isEmpty());
    }

    void confirmAndCloseSetTheResult() {
        DeleteConfirm yes;
        yes.on_NewHong_clicked();
        QVERIFY(yes.result());
        DeleteConfirm no;
        no.on_CloseButton_clicked();
        QVERIFY(!no.result());
    }

    void nameFieldSpaces() {
        QCOMPARE(QuestionDialog::limitName("my macro"), QString("my macro")); // inner space stays
        QCOMPARE(QuestionDialog::limitName("my macro "), QString("mymacro")); // trailing space removes all
    }

    void nameFieldByteLimit_data() {
        QTest::addColumn<QByteArray>("codec");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("expected");
        const QString ascii31(31, 'a');
        QTest::newRow("ascii 31") << QByteArray("UTF-8") << ascii31 << QString(30, 'a');
        QTest::newRow("ascii 30") << QByteArray("UTF-8") << QString(30, 'a') << QString(30, 'a');
        const QString han = QString::fromUtf8("宏").repeated(20);
        QTest::newRow("gbk 2-byte") << QByteArray("GBK") << han << han.left(15);
        QTest::newRow("utf8 3-byte") << QByteArray("UTF-8") << han << han.left(10);
        // 29 ASCII + a 3-byte character: the character does not fit and is not cut in half.
        QTest::newRow("no half char")
            << QByteArray("UTF-8") << QString(29, 'a') + QString::fromUtf8("宏") << QString(29, 'a');
        const QString emoji = QString::fromUtf8("😀").repeated(8); // 4 bytes, surrogate pairs
        QTest::newRow("surrogates") << QByteArray("UTF-8") << emoji << emoji.left(14);
    }
    void nameFieldByteLimit() {
        QFETCH(QByteArray, codec);
        QFETCH(QString, input);
        QFETCH(QString, expected);
        QTextCodec* c = QTextCodec::codecForName(codec);
        QVERIFY(c);
        QCOMPARE(QuestionDialog::limitName(input, c), expected);
    }

    void nameFieldEditAndAnswer() {
        QuestionDialog q;
        q.lineEdit()->setText(QString(40, 'x'));
        q.on_lineEdit_textEdited(q.lineEdit()->text());
        QCOMPARE(q.lineEdit()->text().size(), 30);
        q.on_NewHong_clicked();
        QCOMPARE(q.name(), QString(30, 'x'));
        QuestionDialog cancelled;
        cancelled.lineEdit()->setText("abc");
        cancelled.WindowClosedLan();
        QVERIFY(cancelled.name().isEmpty());
    }

    void waitingFormClosesAfterTimerAndPause() {
        FakeClock clock;
        UpDataParam::Env env;
        env.wait = [&](int ms) { clock.wait(ms); };
        env.pagesFilled = [] { return true; };
        UpDataParam dlg(env);
        dlg.setWaitForDevice(true);
        dlg.start();
        QCOMPARE(dlg.timer().interval(), 2500);
        QVERIFY(dlg.timer().isSingleShot());
        QSignalSpy off(PostMsg::instance(), &PostMsg::SigMouseOffLineo);
        QSignalSpy ver(PostMsg::instance(), &PostMsg::SigSetver);
        dlg.show();
        dlg.onTimeupDestroy();
        QCOMPARE(clock.now, 2000);
        QVERIFY(!dlg.isVisible());
        QCOMPARE(off.count(), 0);
        QCOMPARE(ver.value(0).value(0).toInt(), 4);
    }

    void waitingFormTimesOutWhenPagesStaySilent() {
        FakeClock clock;
        UpDataParam::Env env;
        env.wait = [&](int ms) { clock.wait(ms); };
        env.pagesFilled = [] { return false; };
        UpDataParam dlg(env);
        dlg.setWaitForDevice(true);
        QSignalSpy off(PostMsg::instance(), &PostMsg::SigMouseOffLineo);
        dlg.onTimeupDestroy();
        QCOMPARE(clock.now, 12 * 500 + 2000);
        QCOMPARE(off.count(), 1);
        QCOMPARE(off[0][0].toInt(), 0);
    }

    void readyDeviceWaitsForPages() {
        FakeClock clock;
        bool filled = false, cleared = false, stored = false;
        clock.onAdvance = [&](int now) { filled = now >= 1500; };
        UpDataParam::Env env;
        env.wait = [&](int ms) { clock.wait(ms); };
        env.pagesFilled = [&] { return filled; };
        env.clearPagesFilled = [&] { cleared = true; };
        env.deviceReady = [] { return true; };
        env.deviceOnline = [] { return true; };
        env.loadCache = [](FlashDataMap&) { return false; };
        env.storeCache = [&] { stored = true; };
        UpDataParam dlg(env);
        QSignalSpy off(PostMsg::instance(), &PostMsg::SigMouseOffLineo);
        dlg.onTimeupDestroy();
        QCOMPARE(clock.now, 1500);
        QVERIFY(cleared);
        QVERIFY(stored);
        QCOMPARE(off.count(), 0);

        filled = false;
        clock.now = 0;
        clock.onAdvance = nullptr;
        cleared = false;
        UpDataParam late(env);
        late.onTimeupDestroy();
        QCOMPARE(clock.now, 6000);
        QVERIFY(!cleared);
        QCOMPARE(off.count(), 1);
        QCOMPARE(off[0][0].toInt(), 1); // "TimeOut" form of the offline notice
    }

    void pendingImportOfflineLeavesRecordAndWarns() {
        bool cleared = false, wrote = false;
        int failShown = -1;
        UpDataParam::Env env;
        env.wait = [](int) {};
        env.importPending = [] { return true; };
        env.clearImport = [&] { cleared = true; };
        env.readImport = [](FlashDataMap&) { return 0; };
        env.writeRecord = [&](const FlashDataMap&) { return false; }; // mouse does not answer
        env.showImportFail = [&](int f) { failShown = f; };
        QSignalSpy off(PostMsg::instance(), &PostMsg::SigMouseOffLineo);
        QSignalSpy light(PostMsg::instance(), &PostMsg::SigUpDataLightUIA);
        UpDataParam(env).onTimeupDestroy();
        QCOMPARE(off.count(), 1);
        QCOMPARE(light.count(), 0);
        QVERIFY(cleared);

        env.writeRecord = [&](const FlashDataMap&) { return wrote = true; };
        UpDataParam(env).onTimeupDestroy();
        QVERIFY(wrote);
        QCOMPARE(light.count(), 1);

        env.readImport = [](FlashDataMap&) { return 2; };
        wrote = false;
        UpDataParam(env).onTimeupDestroy();
        QCOMPARE(failShown, 2);
        QVERIFY(!wrote);
    }

    void noDeviceShowsCachedRecord() {
        UpDataParam::Env env;
        env.wait = [](int) {};
        env.loadCache = [](FlashDataMap&) { return true; };
        QSignalSpy sensor(PostMsg::instance(), &PostMsg::SigUpDataSensorUIB);
        QSignalSpy off(PostMsg::instance(), &PostMsg::SigMouseOffLineo);
        UpDataParam(env).onTimeupDestroy();
        QCOMPARE(sensor.count(), 1);
        QCOMPARE(off.count(), 1);
        QCOMPARE(off[0][0].toInt(), 0);
    }
};

QTEST_MAIN(TstNotices)
#include "tst_notices.moc"
