#include "app/core/IniStores.h"
#include "app/core/Language.h"
#include "app/core/PostMsg.h"
#include "app/notices/ExeIsRun.h"
#include "app/notices/QuestionDialog.h"
#include "app/notices/SimpleNotices.h"
#include "app/notices/UpDataParam.h"
#include "device/LinkState.h"
#include "tests/common/AllLanguages.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextCodec>
#include <QToolButton>
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

    void noticeTextsAndButtons() {
        MouseOffLine off0(0);
        QCOMPARE(off0.labelText(), QString("offline text"));
        QCOMPARE(off0.buttonText(), QString("Okay"));
        QCOMPARE(MouseOffLine(1).labelText(), QString("timeout text"));
        // A language pass with an unknown index empties the texts instead of failing.
        emit PostMsg::instance()->SigAllLanguage(5);
        QVERIFY(off0.labelText().isEmpty());

        // A key the language lacks: empty on a notice, the form's own text on a button page dialog.
        QVERIFY(DeleteConfirm().labelText().isEmpty());
        struct FormDialog : KeyNotice {
            FormDialog() : KeyNotice("FormDialog", "NoSuchKey", nullptr, "表单", Missing::FormText) {}
        } form;
        QCOMPARE(form.labelText(), QString("表单"));
        QCOMPARE(form.buttonText(), QString("Okay"));
        emit PostMsg::instance()->SigAllLanguage(5);
        QCOMPARE(form.buttonText(), QString("确定"));
        // Clicking through the form's connections reaches the notice's own slot.
        DeleteConfirm del;
        del.show();
        QTest::mouseClick(del.findChild<QToolButton*>("NewHong"), Qt::LeftButton);
        QVERIFY(del.result() && !del.isVisible());
        DeleteConfirm no;
        no.on_CloseButton_clicked();
        QVERIFY(!no.result());
        // The name field cuts a typed name to its limit; confirming takes it, closing answers empty.
        QuestionDialog q;
        q.show();
        q.lineEdit()->setText(QString(40, 'x'));
        q.on_lineEdit_textEdited(q.lineEdit()->text());
        QTest::mouseClick(q.findChild<QToolButton*>("NewHong"), Qt::LeftButton);
        QCOMPARE(q.name(), QString(30, 'x'));
        QuestionDialog cancelled;
        cancelled.lineEdit()->setText("abc");
        cancelled.WindowClosedLan();
        QVERIFY(cancelled.name().isEmpty());
    }

    // The stored index counts enabled languages; the notice's files follow the older numbering.
    void alreadyRunningNoticeFindsItsLanguageFile() {
        const QStringList all = AllLanguages::keys();
        // Japanese, Korean, Russian are renumbered; Arabic (3) is outside the old numbering.
        for (auto [index, file] :
             {std::pair{0, 0}, {2, 2}, {3, -1}, {4, 5}, {5, 3}, {6, 4}, {11, -1}, {-1, -1}})
            QCOMPARE(ExeIsRun::legacyNumber(index, all), file);
        QCOMPARE(ExeIsRun::legacyNumber(1, {"Korean", "English"}), 3);
        QCOMPARE(ExeIsRun::textFileFor(1, {"Korean", "English"}), QString("/Language/3-Korea.xml"));
        QCOMPARE(ExeIsRun::textFileFor(1, {"Arbic", "English"}), QString("/Language/ar.json"));
        QCOMPARE(ExeIsRun::textFileFor(11, all), QString("/Language/0-English.xml"));

        // Every language of the box finds all the notice's texts, in its own language.
        const QString shipped = qEnvironmentVariable("ZF_SOURCE_DIR") + "/resources";
        const QString english =
            ExeIsRun::readTexts(shipped + ExeIsRun::textFileFor(0, all)).value("CheckUpdate");
        for (int index = 0; index < all.size(); ++index) {
            const QString file = ExeIsRun::textFileFor(index, all);
            const auto texts = ExeIsRun::readTexts(shipped + file);
            for (const char* key :
                 {"OnRun", "CheckUpdate", "DialogSelectMacroFirst", "DialogStopRecordFirst", "OK", "Cancel"})
                QVERIFY2(!texts.value(key).isEmpty(), qPrintable(file + " " + key));
            QVERIFY2(index == 0 || texts.value("CheckUpdate") != english, qPrintable(file));
        }
        QVERIFY(!ExeIsRun::readTexts(shipped + ExeIsRun::textFile(-1)).value("CheckUpdate").isEmpty());
        QCOMPARE(ExeIsRun::readTexts(shipped + ExeIsRun::textFile(3)).value("OK"), QString::fromUtf8("확인"));
        // The mouse texts, not the keyboard section's, from a JSON file.
        QCOMPARE(ExeIsRun::readTexts(shipped + ExeIsRun::textFile(0)).value("OnRun"),
                 QString("The program is already running"));

        // A file that is broken, of another kind or missing gives no texts; a partial one what it holds.
        const QString dir = m_dir.path() + "/Language/";
        for (auto [name, data] : {std::pair{"a.xml", "<ExeIsRun><OnRun>runs</OnRun><OK>ok</OK></ExeIsRun>"},
                                  {"b.xml", "<ExeIsRun><OnRun>runs</OnRun><OK>o"},
                                  {"c.xml", "<Profile><OnRun>runs</OnRun></Profile>"},
                                  {"d.json", "{\"mouse\":{\"common\":{\"OnRun\":"}}) {
            QFile f(dir + name);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(data) > 0);
        }
        const auto partial = ExeIsRun::readTexts(dir + "a.xml");
        QVERIFY(partial.value("OnRun") == "runs" && partial.value("CheckUpdate").isEmpty());
        for (const char* name : {"b.xml", "c.xml", "d.json", "missing.xml"})
            QVERIFY2(ExeIsRun::readTexts(dir + name).isEmpty(), name);
    }

    // The update check's question, asked before the language tables exist, in the stored language.
    void newVersionQuestionInTheStoredLanguage() {
        const QString ar = ExeIsRun::readTexts(qEnvironmentVariable("ZF_APP_DIR") + "/Language/ar.json")
                               .value("CheckUpdate");
        QVERIFY(!ar.isEmpty());
        MacroIniStore::instance().setValue("Language", "Language", "3"); // Arabic among all eleven
        ExeIsRun question;
        question.setNewVersionForm();
        MacroIniStore::instance().remove("Language", "Language");
        QCOMPARE(question.labelText(), ar);
    }

    void alreadyRunningNoticeButtons() {
        ExeIsRun closed;
        closed.on_CloseButton_clicked();
        QVERIFY(!closed.result()); // the window's close button counts as "no"
        ExeIsRun yes;
        QToolButton* second = yes.findChild<QToolButton*>("NewHong_2");
        QToolButton* first = yes.findChild<QToolButton*>("NewHong");
        QVERIFY(first && second && yes.findChild<QToolButton*>("CloseButton"));
        QVERIFY(!second->isVisibleTo(&yes));
        yes.setNewVersionForm();
        QVERIFY(second->isVisibleTo(&yes));
        QCOMPARE(first->pos(), QPoint(50, 110));
        QCOMPARE(second->pos(), QPoint(160, 110));
        QTest::mouseClick(first, Qt::LeftButton);
        QVERIFY(yes.result());
        ExeIsRun no;
        no.setNewVersionForm();
        QTest::mouseClick(no.findChild<QToolButton*>("NewHong_2"), Qt::LeftButton);
        QVERIFY(!no.result());
        // Right to left (Arabic) the confirming button sits on the right and the close button on the left.
        QApplication::setLayoutDirection(Qt::RightToLeft);
        ExeIsRun rtl;
        rtl.setNewVersionForm();
        QApplication::setLayoutDirection(Qt::LeftToRight);
        QCOMPARE(rtl.findChild<QToolButton*>("NewHong")->pos(),
                 QPoint(rtl.width() - 50 - first->width(), 110));
        QCOMPARE(rtl.findChild<QToolButton*>("NewHong_2")->pos(),
                 QPoint(rtl.width() - 160 - second->width(), 110));
        QVERIFY(rtl.findChild<QToolButton*>("CloseButton")->x() < rtl.width() / 2);
    }

    void nameFieldByteLimit_data() {
        QTest::addColumn<QByteArray>("codec");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("expected");
        QTest::newRow("ascii 30") << QByteArray("UTF-8") << QString(30, 'a') << QString(30, 'a');
        const QString han = QString::fromUtf8("宏").repeated(20);
        QTest::newRow("gbk 2-byte") << QByteArray("GBK") << han << han.left(15);
        QTest::newRow("utf8 3-byte") << QByteArray("UTF-8") << han << han.left(10);
        // 29 ASCII + a 3-byte character: the character does not fit and is not cut in half.
        QTest::newRow("no half char")
            << QByteArray("UTF-8") << QString(29, 'a') + QString::fromUtf8("宏") << QString(29, 'a');
        const QString emoji = QString::fromUtf8("😀").repeated(8); // 4 bytes, surrogate pairs
        QTest::newRow("surrogates") << QByteArray("UTF-8") << emoji << emoji.left(14);
        QTest::newRow("inner space stays") << QByteArray("UTF-8") << "my macro"
                                           << "my macro";
        QTest::newRow("trailing space drops all") << QByteArray("UTF-8") << "my macro "
                                                  << "mymacro";
    }
    void nameFieldByteLimit() {
        QFETCH(QByteArray, codec);
        QFETCH(QString, input);
        QFETCH(QString, expected);
        QTextCodec* c = QTextCodec::codecForName(codec);
        QVERIFY(c);
        QCOMPARE(QuestionDialog::limitName(input, c), expected);
    }

    // The waiting form (asked for by the opener) pauses 2 s once the pages are filled, else polls twelve
    // half-seconds first and raises the notice; a ready device polls until the pages are filled, clearing
    // the marks, else raises the "TimeOut" notice, and stores its record.
    void waitsForThePages_data() {
        QTest::addColumn<bool>("waitForm");
        QTest::addColumn<int>("filledAt"); // ms of waiting after which the pages are filled; -1 never
        QTest::addColumn<int>("waited");
        QTest::addColumn<int>("notice"); // the offline notice's form; -1 none
        QTest::newRow("waiting, pages filled") << true << 0 << 2000 << -1;
        QTest::newRow("waiting, pages silent") << true << -1 << 12 * 500 + 2000 << 0;
        QTest::newRow("ready, pages filled") << false << 1500 << 1500 << -1;
        QTest::newRow("ready, pages silent") << false << -1 << 12 * 500 << 1;
    }
    void waitsForThePages() {
        QFETCH(bool, waitForm);
        QFETCH(int, filledAt);
        QFETCH(int, waited);
        QFETCH(int, notice);
        FakeClock clock;
        bool cleared = false, stored = false;
        UpDataParam::Env env;
        env.wait = [&](int ms) { clock.wait(ms); };
        env.pagesFilled = [&] { return filledAt >= 0 && clock.now >= filledAt; };
        env.clearPagesFilled = [&] { cleared = true; };
        env.deviceReady = [] { return true; };
        env.deviceOnline = [] { return true; };
        env.loadCache = [](FlashDataMap&) { return false; };
        env.storeCache = [&] { stored = true; };
        UpDataParam dlg(env);
        dlg.setWaitForDevice(true);
        dlg.start();                    // a new opening forgets the last one's form...
        dlg.setWaitForDevice(waitForm); // ...and the opener asks again, as the frame does
        QCOMPARE(dlg.timer().interval(), 2500);
        QVERIFY(dlg.timer().isSingleShot());
        QSignalSpy off(PostMsg::instance(), &PostMsg::SigMouseOffLineo);
        QSignalSpy ver(PostMsg::instance(), &PostMsg::SigSetver);
        dlg.show();
        dlg.onTimeupDestroy();
        QCOMPARE(clock.now, waited);
        QVERIFY(!dlg.isVisible());
        QCOMPARE(ver.value(0).value(0).toInt(), 4);
        QCOMPARE(off.count(), notice < 0 ? 0 : 1);
        if (notice >= 0)
            QCOMPARE(off[0][0].toInt(), notice);
        QCOMPARE(cleared, !waitForm && filledAt >= 0);
        QCOMPARE(stored, !waitForm); // a ready device's record is cached whether or not the pages answered
    }

    // The device link may ask for the notice again while it waits; that must not nest a second
    // modal run, or the first could never end.
    void secondOpeningWhileWaitingJoinsTheFirst() {
        UpDataParam* dlg = nullptr;
        int nested = -1, waits = 0;
        UpDataParam::Env env;
        env.pagesFilled = [] { return false; };
        env.wait = [&](int) {
            if (waits++ == 0) {
                dlg->start(2500);
                dlg->setWaitForDevice(true);
                nested = dlg->exec();
            }
        };
        UpDataParam d(env);
        dlg = &d;
        QTimer watchdog;
        watchdog.setSingleShot(true);
        connect(&watchdog, &QTimer::timeout, &d, [&] { d.done(42); });
        watchdog.start(5000);
        d.start(0);
        d.setWaitForDevice(true);
        QElapsedTimer t;
        t.start();
        const int result = d.exec();
        QVERIFY(result != 42);
        QVERIFY(t.elapsed() < 4000);
        QCOMPARE(nested, int(QDialog::Rejected));
        QCOMPARE(waits, 13); // one pass of the waiting form only
        QVERIFY(!d.isVisible());
        QVERIFY(!d.timer().isActive());
    }

    void noDeviceOrLinkedFlags() {
        QSignalSpy off(PostMsg::instance(), &PostMsg::SigMouseOffLineo);
        // No device: the cached record goes to the pages, and the offline notice follows.
        QSignalSpy sensor(PostMsg::instance(), &PostMsg::SigUpDataSensorUIB);
        UpDataParam::Env none;
        none.wait = [](int) {};
        none.loadCache = [](FlashDataMap&) { return true; };
        UpDataParam(none).onTimeupDestroy();
        QCOMPARE(sensor.count(), 1);
        QCOMPARE(off.count(), 1);
        QCOMPARE(off[0][0].toInt(), 0);

        // The frame's notice reads the device link's own flags: filled pages are cleared for the next read.
        LinkFlags::resetAll();
        LinkFlags::DeviceReady = true;
        LinkFlags::SensorFilled = LinkFlags::LightFilled = LinkFlags::ButtonFilled = true;
        UpDataParam linked;
        linked.start();
        linked.onTimeupDestroy();
        QCOMPARE(off.count(), 1);
        QVERIFY(!LinkFlags::SensorFilled && !LinkFlags::LightFilled && !LinkFlags::ButtonFilled);
        LinkFlags::resetAll();
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
};

QTEST_MAIN(TstNotices)
#include "tst_notices.moc"
