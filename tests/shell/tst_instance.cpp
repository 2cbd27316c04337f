// The single-instance rule on real processes: one copy per session (the runtime folder, not the shared
// temporary folder, decides), a second copy exits 0 showing only the notice, and a copy killed with
// SIGKILL does not block the next start.
#include <QDir>
#include <QProcess>
#include <QSharedMemory>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <unistd.h>

class TestInstance : public QObject {
    Q_OBJECT
    QTemporaryDir m_tmp, m_sessionA, m_sessionB;

    // An empty `runtimeDir` starts the copy without XDG_RUNTIME_DIR.
    static QProcessEnvironment environment(const QString& runtimeDir) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_LOGGING_RULES", "zf.shell.info=true"); // the start-up lines the test waits for
        env.insert("ZF_NOTICE_AUTOCLOSE_MS", "300");
        if (runtimeDir.isEmpty())
            env.remove("XDG_RUNTIME_DIR");
        else
            env.insert("XDG_RUNTIME_DIR", runtimeDir);
        return env;
    }

    static bool startFirst(QProcess& p, const QString& runtimeDir) {
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.setProcessEnvironment(environment(runtimeDir));
        p.start(qEnvironmentVariable("ZF_EXE"), QStringList());
        QByteArray out;
        for (int i = 0; i < 100 && !out.contains("home window shown") && p.state() != QProcess::NotRunning;
             ++i) {
            p.waitForReadyRead(100);
            out += p.readAll();
        }
        return out.contains("home window shown") && p.state() == QProcess::Running;
    }

    // True when a copy in that session is refused: it exits 0 at once, saying so, with no window.
    static bool refused(const QString& runtimeDir) {
        QProcess second;
        second.setProcessChannelMode(QProcess::MergedChannels);
        second.setProcessEnvironment(environment(runtimeDir));
        second.start(qEnvironmentVariable("ZF_EXE"), QStringList());
        if (!second.waitForFinished(15000)) {
            second.kill();
            second.waitForFinished();
            return false;
        }
        const QByteArray out = second.readAll();
        return second.exitStatus() == QProcess::NormalExit && second.exitCode() == 0 &&
               out.contains("already running") && !out.contains("home window shown");
    }

private slots:
    void initTestCase() {
        // Every copy shares this temporary folder, as two sessions of one user share /tmp.
        QVERIFY(m_tmp.isValid() && m_sessionA.isValid() && m_sessionB.isValid()); // private (0700) folders
        qputenv("TMPDIR", QFile::encodeName(m_tmp.path()));
    }

    // The killed copies leave their segments behind: the last detach removes each.
    void cleanupTestCase() {
        for (const QString& dir : {m_sessionA.path(), m_sessionB.path(),
                                   m_tmp.path() + "/zentrafox-" + QString::number(getuid())}) {
            QSharedMemory left;
            left.setNativeKey(dir + "/Zentrafox.shm");
            if (left.attach())
                left.detach();
        }
    }

    void onePerSession() {
        QProcess first;
        QVERIFY(startFirst(first, m_sessionA.path()));
        QVERIFY(refused(m_sessionA.path()));
        QCOMPARE(first.state(), QProcess::Running); // the running copy is not contacted
        QVERIFY(QFile::exists(m_sessionA.path() + "/Zentrafox.lock"));
        // Another session of the same user, same temporary folder: a copy of its own.
        QProcess other;
        QVERIFY2(startFirst(other, m_sessionB.path()), "a second session must get its own copy");
        QVERIFY(refused(m_sessionB.path()));
        other.kill();
        first.kill();
        other.waitForFinished();
        first.waitForFinished();
    }

    // Without a session folder the lock goes to a private per-user folder in the temporary folder; a
    // copy killed there does not block the next start.
    void fallbackFolderAndStartAfterKillNine() {
        const QString fallback = m_tmp.path() + "/zentrafox-" + QString::number(getuid());
        QProcess first;
        QVERIFY(startFirst(first, QString()));
        QVERIFY(QFile::exists(fallback + "/Zentrafox.lock"));
        QVERIFY(!(QFileInfo(fallback).permissions() & 0x0077)); // no one else may enter it
        ::kill(static_cast<pid_t>(first.processId()), SIGKILL);
        QVERIFY(first.waitForFinished(5000));
        QProcess again;
        QVERIFY2(startFirst(again, QString()), "a start after kill -9 must reach the home window");
        QVERIFY(refused(QString())); // and the new owner holds the instance in turn
        again.kill();
        again.waitForFinished();
    }
};

QTEST_GUILESS_MAIN(TestInstance)
#include "tst_instance.moc"
