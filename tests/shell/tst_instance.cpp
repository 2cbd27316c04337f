// The single-instance rule on real processes: a second copy exits 0 showing only the notice, and a copy
// killed with SIGKILL does not block the next start.
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

class TestInstance : public QObject {
    Q_OBJECT
    QTemporaryDir m_tmp;

    bool startFirst(QProcess& p) {
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(qEnvironmentVariable("ZF_EXE"), QStringList());
        if (!p.waitForStarted(5000))
            return false;
        QByteArray out;
        for (int i = 0; i < 100 && !out.contains("home window shown"); ++i) {
            p.waitForReadyRead(100);
            out += p.readAll();
            if (p.state() != QProcess::Running)
                return false;
        }
        return out.contains("home window shown");
    }

    QByteArray runSecond(int& exitCode) {
        QProcess second;
        second.setProcessChannelMode(QProcess::MergedChannels);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("ZF_NOTICE_AUTOCLOSE_MS", "300");
        second.setProcessEnvironment(env);
        second.start(qEnvironmentVariable("ZF_EXE"), QStringList());
        if (!second.waitForFinished(15000)) {
            second.kill();
            second.waitForFinished();
            exitCode = -1;
            return QByteArray();
        }
        exitCode = second.exitStatus() == QProcess::NormalExit ? second.exitCode() : -1;
        return second.readAll();
    }

private slots:
    void initTestCase() {
        // The instance lock lives in the temporary folder; a private one keeps a copy that someone runs
        // on this machine from deciding the outcome.
        QVERIFY(m_tmp.isValid());
        qputenv("TMPDIR", QFile::encodeName(m_tmp.path()));
    }

    void secondInstanceExitsWithoutWindow() {
        QProcess first;
        QVERIFY(startFirst(first));
        int code = -1;
        const QByteArray out = runSecond(code);
        QCOMPARE(code, 0);
        QVERIFY(out.contains("already running"));
        QVERIFY(!out.contains("home window shown"));
        QCOMPARE(first.state(), QProcess::Running); // the running copy is not contacted
        first.kill();
        first.waitForFinished();
    }

    void startAfterKillNineSucceeds() {
        QProcess first;
        QVERIFY(startFirst(first));
        ::kill(static_cast<pid_t>(first.processId()), SIGKILL);
        QVERIFY(first.waitForFinished(5000));
        QProcess again;
        QVERIFY2(startFirst(again), "a start after kill -9 must reach the home window");
        // And the new owner holds the instance in turn.
        int code = -1;
        QVERIFY(runSecond(code).contains("already running"));
        QCOMPARE(code, 0);
        again.kill();
        again.waitForFinished();
    }
};

QTEST_GUILESS_MAIN(TestInstance)
#include "tst_instance.moc"
