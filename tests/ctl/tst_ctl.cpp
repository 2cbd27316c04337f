// zentrafoxctl against virtual mice through the real device library: what each command writes into the
// mouse's flash, what it refuses, and what watch prints.
#include "LibHidUsb.h"
#include "platform/RuntimeDir.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <csignal>
#include <set>

namespace {
// A mouse behind its receiver (3395, narrow DPI codes), one on its cable (3955) and one switched off.
const char kDevices[] = "receiver r1 vid=373B pid=1002 address=A10001\n"
                        "receiver r2 vid=373B pid=2002 address=A10002\n"
                        "mouse m1 vid=373B pid=1001 cid=05 mid=1F receiver=r1 link=receiver\n"
                        "mouse z4 vid=373B pid=1001 cid=05 mid=22 link=cable\n"
                        "mouse m2 vid=373B pid=2001 cid=05 mid=20 receiver=r2 link=off\n";
constexpr int kRecordSize = 10544;

struct Run {
    int code = -1;
    QString out;
    QString err;
};

QByteArray flash(const char* mouse) {
    QByteArray bytes(kRecordSize, '\0');
    lib().HidVirt_Reload(); // the tool's writes reach the state files; read them afresh
    if (!lib().HidVirt_ReadFlash(mouse, -1, reinterpret_cast<unsigned char*>(bytes.data())))
        bytes.clear();
    return bytes;
}

std::set<int> changedOffsets(const QByteArray& a, const QByteArray& b) {
    std::set<int> out;
    for (int i = 0; i < std::min(a.size(), b.size()); ++i)
        if (a[i] != b[i])
            out.insert(i);
    return out;
}
} // namespace

class TstCtl : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QProcessEnvironment m_env;

    QString path(const QString& name) const { return m_dir.path() + QLatin1Char('/') + name; }

    Run ctl(const QStringList& args, int timeoutMs = 20000) {
        QProcess p;
        p.setProcessEnvironment(m_env);
        p.start(qEnvironmentVariable("ZF_CTL"), args);
        Run r;
        if (!p.waitForFinished(timeoutMs)) {
            p.kill();
            p.waitForFinished();
            return r;
        }
        r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.out = QString::fromUtf8(p.readAllStandardOutput());
        r.err = QString::fromUtf8(p.readAllStandardError());
        return r;
    }

    QJsonObject getJson(const QString& device) {
        const Run r =
            ctl({QStringLiteral("--device"), device, QStringLiteral("get"), QStringLiteral("--json")});
        if (r.code != 0)
            qWarning() << r.err;
        return QJsonDocument::fromJson(r.out.toUtf8()).object();
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        QFile f(path("devices.txt"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(kDevices);
        f.close();
        QDir().mkpath(path("run"));
        QFile::setPermissions(path("run"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        m_env = QProcessEnvironment::systemEnvironment();
        m_env.insert("HOME", path("home"));
        m_env.insert("XDG_DATA_HOME", path("data"));
        m_env.insert("XDG_RUNTIME_DIR", path("run"));
        m_env.insert("ZF_HIDUSB_DEVICES", path("devices.txt"));
        m_env.insert("ZF_HIDUSB_STATE_DIR", path("state"));
        m_env.insert("ZF_HIDUSB_PACKET_US", "0");
        m_env.insert("ZF_HIDUSB_DRAIN_MS", "0");
        m_env.insert("ZF_HIDUSB_CHARGE_MS", "0");
        m_env.remove("ZF_APP_DIR"); // the tool finds its table beside itself, as installed
        // This process reads the flash through its own copy of the library.
        qputenv("ZF_HIDUSB_DEVICES", path("devices.txt").toLocal8Bit());
        qputenv("ZF_HIDUSB_STATE_DIR", path("state").toLocal8Bit());
        qputenv("ZF_HIDUSB_SOCKET", "none");
        QVERIFY(!flash("m1").isEmpty());
        // The user's macros: press A, 10 ms, release A played three times; one too long for a button.
        QVERIFY(QDir().mkpath(path("data/Zentrafox/usersetting/MacroPage")));
        QByteArray tooLong = "1\n";
        for (int i = 0; i < 71; ++i)
            tooLong += "0x04 1 0\n";
        for (const auto& macro : {std::make_pair("copy", QByteArray("3\n0x04 1 0\n10ms\n0x04 1 1\n")),
                                  std::make_pair("long", tooLong)}) {
            QFile m(path("data/Zentrafox/usersetting/MacroPage/%1.ini").arg(macro.first));
            QVERIFY(m.open(QIODevice::WriteOnly));
            m.write(macro.second);
        }
    }

    void listNamesEveryDevice() {
        const Run r = ctl({QStringLiteral("list")});
        QCOMPARE(r.code, 0);
        QVERIFY2(
            r.out.contains(QRegularExpression("r1 +Zentrafox Z1 +receiver \\(class 1\\) +online +battery")),
            qPrintable(r.out));
        QVERIFY(r.out.contains(QRegularExpression("z4 +Zentrafox Z4 Ultra +cable +online")));
        QVERIFY(r.out.contains(QRegularExpression("r2 +Zentrafox Z2 Pro +receiver \\(class 2\\) +offline")));
    }

    void setLandsAtRecordOffsets_data() {
        QTest::addColumn<QString>("device");
        QTest::addColumn<QString>("mouse");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QList<int>>("offsets");
        QTest::addColumn<QByteArray>("bytes");
        const auto row = [](const char* name, const char* dev, const char* mouse, QStringList args,
                            QList<int> offsets, QByteArray bytes) {
            QTest::newRow(name) << dev << mouse << args << offsets << bytes;
        };
        row("rate", "r1", "m1", {"rate", "500"}, {0}, QByteArray("\x02", 1));
        row("debounce", "r1", "m1", {"debounce", "7"}, {6}, QByteArray("\x07", 1));
        row("sleep both copies", "r1", "m1", {"sleep", "5min"}, {8, 13}, QByteArray("\x1e\x1e", 2));
        row("lod by code", "z4", "z4", {"lod", "1.2mm"}, {5}, QByteArray("\x03", 1));
        row("motion sync", "r1", "m1", {"motion-sync", "on"}, {7}, QByteArray("\x01", 1));
        row("ripple", "r1", "m1", {"ripple", "on"}, {10}, QByteArray("\x01", 1));
        row("angle snapping", "r1", "m1", {"angle-snap", "on"}, {9}, QByteArray("\x01", 1));
        row("performance", "r1", "m1", {"performance", "on"}, {12}, QByteArray("\x01", 1));
        row("current level", "r1", "m1", {"dpi-level", "2"}, {2}, QByteArray("\x01", 1));
        // 10020 lies in the gap between the ranges and snaps up to 10100: code 10100 / 100 - 1 with the
        // coarse-step flags (unsnapped it would be 99).
        row("dpi snapped", "r1", "m1", {"dpi", "3", "10020"}, {82, 83, 84}, QByteArray("\x64\x64\x22", 3));
        row("dpi colour", "r1", "m1", {"dpi-colour", "4", "0a0b0c"}, {97, 98, 99},
            QByteArray("\x0a\x0b\x0c", 3));
        row("rapid fire", "r1", "m1", {"button", "1", "fire:50:2"}, {165, 166, 167},
            QByteArray("\x04\x32\x02", 3));
        // On-screen key 5 is button index 3: assignment at 174, key block at 372.
        row("combination", "r1", "m1", {"button", "5", "keys:Ctrl+C"},
            {174, 175, 176, 372, 376, 377, 378, 380, 384, 385,
             386, 388, 392, 393, 394, 396, 400, 401, 402, 404},
            QByteArray("\x05\x00\x00\x04"
                       "\x00\x00\x01\x0a"
                       "\x00\x01\x06\x0a"
                       "\x01\x01\x06\x0a"
                       "\x01\x00\x01\x0a",
                       20));
        // Key 2 is button index 1: assignment (macro, its own area, the file's cycle) at 168, the area at
        // 1048 + 592: name length and name, event count, then press A with its 10 ms and release A.
        row("macro", "r1", "m1", {"button", "2", "macro:copy"},
            {168, 169, 170, 1640, 1641, 1642, 1643, 1644, 1671, 1673, 1674, 1676, 1680, 1681, 1682},
            QByteArray("\x06\x01\x03\x04"
                       "copy\x02\x01\x04\x0a\x01\x01\x04",
                       15));
        row("dpi light brightness step 5", "r1", "m1", {"dpi-light-brightness", "5"}, {155},
            QByteArray("\x80", 1));
        row("dpi light off keeps the effect", "r1", "m1", {"dpi-light-effect", "0"}, {157},
            QByteArray("\x00", 1));
    }

    // Each setting changes exactly its bytes of the mouse's flash (bytes already holding the value
    // stay as they are, so only the expected offsets may differ).
    void setLandsAtRecordOffsets() {
        QFETCH(QString, device);
        QFETCH(QString, mouse);
        QFETCH(QStringList, args);
        QFETCH(QList<int>, offsets);
        QFETCH(QByteArray, bytes);
        const QByteArray before = flash(qPrintable(mouse));
        const Run r = ctl(QStringList{"--device", device, "set"} + args);
        QVERIFY2(r.code == 0, qPrintable(r.err));
        const QByteArray after = flash(qPrintable(mouse));
        for (int i = 0; i < offsets.size(); ++i)
            QCOMPARE(uint8_t(after[offsets[i]]), uint8_t(bytes[i]));
        for (int off : changedOffsets(before, after))
            QVERIFY2(offsets.contains(off), qPrintable(QStringLiteral("byte %1 changed").arg(off)));
    }

    // What set wrote reads back through get --json, and a button's function token set again gives the
    // same bytes.
    void getJsonRoundTrips() {
        QCOMPARE(ctl({"-d", "r1", "set", "button", "6", "media:0x00E9"}).code, 0);
        const QJsonObject c = getJson("r1");
        QCOMPARE(c["reportRate"].toInt(), 500);
        QCOMPARE(c["sensor"].toObject()["sleep"].toInt(), 300);
        QCOMPARE(c["sensor"].toObject()["debounce"].toInt(), 7);
        QCOMPARE(c["sensor"].toObject()["motionSync"].toBool(), true);
        const QJsonObject dpi = c["dpi"].toObject();
        QCOMPARE(dpi["current"].toInt(), 2);
        QCOMPARE(dpi["levels"].toArray()[2].toObject()["x"].toInt(), 10100);
        QCOMPARE(dpi["levels"].toArray()[3].toObject()["colour"].toString(), QStringLiteral("#0a0b0c"));
        const QJsonArray buttons = c["buttons"].toArray();
        QCOMPARE(buttons[0].toObject()["function"].toString(), QStringLiteral("fire:50:2"));
        QCOMPARE(buttons[4].toObject()["function"].toString(), QStringLiteral("keys:Ctrl+C"));
        QCOMPARE(buttons[5].toObject()["function"].toString(), QStringLiteral("media:0x00E9"));
        QCOMPARE(buttons[5].toObject()["label"].toString().isEmpty(), false);
        QCOMPARE(c["device"].toObject()["online"].toBool(), true);
        QCOMPARE(buttons[1].toObject()["function"].toString(), QStringLiteral("macro:copy:3"));
        QCOMPARE(buttons[1].toObject()["macro"].toString(), QStringLiteral("copy"));

        // A cycle given on the command line replaces the file's; the area is the same macro's.
        QCOMPARE(ctl({"-d", "r1", "set", "button", "3", "macro:copy:254"}).code, 0);
        QCOMPARE(getJson("r1")["buttons"].toArray()[2].toObject()["function"].toString(),
                 QStringLiteral("macro:copy:254"));

        QCOMPARE(ctl({"-d", "r1", "set", "button", "4", buttons[4].toObject()["function"].toString()}).code,
                 0);
        const QByteArray f = flash("m1");
        QCOMPARE(f.mid(216 + 52 * 3, 52), f.mid(216 + 52 * 4, 52));   // keys 5 and 4: indexes 3 and 4
        QCOMPARE(f.mid(1048 + 592, 592), f.mid(1048 + 592 * 2, 592)); // keys 2 and 3: indexes 1 and 2
        QCOMPARE(f.mid(168, 3), QByteArray("\x06\x01\x03"));
        QCOMPARE(f.mid(171, 3), QByteArray("\x06\x02\xfe"));
    }

    void refusals_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        QTest::newRow("offline") << QStringList{"-d", "r2", "set", "rate", "500"} << 1 << "offline";
        QTest::newRow("rate the cable cannot carry")
            << QStringList{"-d", "z4", "set", "rate", "2000"} << 1 << "125 250 500 1000 Hz";
        QTest::newRow("level beyond the model")
            << QStringList{"-d", "r1", "set", "dpi", "9", "800"} << 1 << "bad value";
        QTest::newRow("dpi outside the span")
            << QStringList{"-d", "r1", "set", "dpi", "1", "40"} << 1 << "50 … 26000";
        QTest::newRow("debounce") << QStringList{"-d", "r1", "set", "debounce", "31"} << 1 << "0 … 30";
        QTest::newRow("sleep no chooser offers")
            << QStringList{"-d", "r1", "set", "sleep", "7min"} << 1 << "bad value";
        QTest::newRow("lod of another model")
            << QStringList{"-d", "r1", "set", "lod", "0.7"} << 1 << "1mm 2mm";
        QTest::newRow("button number")
            << QStringList{"-d", "r1", "set", "button", "7", "left"} << 1 << "1 … 6"; // its model has six
        QTest::newRow("combination of four")
            << QStringList{"-d", "r1", "set", "button", "2", "keys:A+B+C+D"} << 1 << "keys:";
        QTest::newRow("no such macro") << QStringList{"-d", "r1", "set", "button", "2", "macro:nosuch"} << 1
                                       << "no macro named 'nosuch'";
        QTest::newRow("macro beyond a button's 70 events")
            << QStringList{"-d", "r1", "set", "button", "2", "macro:long"} << 1 << "at most 70";
        QTest::newRow("cycle no rule has")
            << QStringList{"-d", "r1", "set", "button", "2", "macro:copy:251"} << 1 << "cycle";
        QTest::newRow("profile the mouse lacks")
            << QStringList{"-d", "z4", "profile", "5"} << 1 << "bad profile 5";
        QTest::newRow("no such device") << QStringList{"-d", "nosuch", "get"} << 1 << "no device named";
        QTest::newRow("several without --device") << QStringList{"get"} << 2 << "--device";
        QTest::newRow("no command") << QStringList{} << 2 << "Usage:";
        QTest::newRow("unknown command") << QStringList{"frobnicate"} << 2 << "unknown command";
        QTest::newRow("unknown setting")
            << QStringList{"-d", "r1", "set", "colour", "1"} << 2 << "unknown setting";
        QTest::newRow("missing value") << QStringList{"-d", "r1", "set", "rate"} << 2 << "takes 1 value";
        QTest::newRow("extra argument") << QStringList{"get", "now"} << 2 << "no arguments";
        QTest::newRow("json with set") << QStringList{"--json", "set", "rate", "500"} << 2 << "--json";
        QTest::newRow("unknown option") << QStringList{"--colour", "get"} << 2 << "unknown option";
    }

    // Refused and usage errors: their exit code, one line naming the problem, and nothing written.
    void refusals() {
        QFETCH(QStringList, args);
        QFETCH(int, code);
        QFETCH(QString, message);
        const QByteArray m1 = flash("m1"), z4 = flash("z4"), m2 = flash("m2");
        const Run r = ctl(args);
        QCOMPARE(r.code, code);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QVERIFY(r.out.isEmpty());
        QCOMPARE(flash("m1"), m1);
        QCOMPARE(flash("z4"), z4);
        QCOMPARE(flash("m2"), m2);
    }

    void helpForEveryCommand() {
        for (const char* c : {"list", "get", "set", "profile", "export", "import", "watch"}) {
            const Run r = ctl({c, "--help"});
            QCOMPARE(r.code, 0);
            QVERIFY2(r.out.startsWith(QStringLiteral("Usage: zentrafoxctl")), c);
        }
        QVERIFY(ctl({"set", "--help"}).out.contains("dpi-light-brightness"));
    }

    // While the program has a device open that device is left alone unless forced; the others run, and the
    // file a program that died left behind holds nothing.
    void programHoldsItsDevice() {
        QLockFile lock(path("run/Zentrafox.lock")); // the program's own kind of lock
        QVERIFY(lock.tryLock(0));
        const QString r1 = getJson("r1")["device"].toObject()["path"].toString();
        QVERIFY(!r1.isEmpty());
        QVERIFY(RuntimeDir::setHeldDevice(r1, path("run")));
        const QByteArray before = flash("m1");
        const Run held = ctl({"-d", "r1", "set", "rate", "250"});
        QCOMPARE(held.code, 1);
        const QString pid = QStringLiteral("pid %1").arg(QCoreApplication::applicationPid());
        QVERIFY2(held.err.contains(pid) && held.err.contains("holds r1") && held.err.contains("--force"),
                 qPrintable(held.err));
        QCOMPARE(flash("m1"), before);
        QCOMPARE(ctl({"-d", "z4", "set", "debounce", "3"}).code, 0);
        QCOMPARE(uint8_t(flash("z4")[6]), uint8_t(3));
        const Run list = ctl({"list"});
        QCOMPARE(list.code, 0);
        QVERIFY2(list.out.contains(QRegularExpression("r1 .*\\(held by Zentrafox\\)")) &&
                     !list.out.contains(QRegularExpression("z4 .*held")),
                 qPrintable(list.out));
        QCOMPARE(ctl({"--force", "-d", "r1", "set", "rate", "250"}).code, 0);
        QCOMPARE(uint8_t(flash("m1")[0]), uint8_t(4));

        // The program died holding r1 (a file of a dead pid beside a live lock is the unit suite's).
        lock.unlock();
        QCOMPARE(ctl({"-d", "r1", "set", "rate", "500"}).code, 0);
        QCOMPARE(uint8_t(flash("m1")[0]), uint8_t(2));
        QVERIFY(RuntimeDir::setHeldDevice(QString(), path("run")));
    }

    void profileSwitches() {
        QCOMPARE(ctl({"-d", "z4", "profile", "3"}).code, 0);
        QCOMPARE(getJson("z4")["profile"].toInt(), 3);
        QCOMPARE(ctl({"-d", "z4", "profile", "1"}).code, 0);
    }

    // A file the codec refuses, or one saved for another sensor, changes nothing in the mouse; a sound
    // one restores what was exported.
    void importRefusesBrokenFiles() {
        const QString file = path("m1.bin");
        const Run exported = ctl({"-d", "r1", "export", file});
        QVERIFY2(exported.code == 0, qPrintable(exported.err));
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray good = f.readAll();
        f.close();
        QCOMPARE(good.size(), 10580);
        QCOMPARE(ctl({"-d", "r1", "set", "debounce", "12"}).code, 0);
        const QByteArray changed = flash("m1");

        // The codec's refusals are its own suite's; here one of them, end to end.
        QByteArray badMagic = good;
        badMagic[4] = 'X';
        QFile b(path("broken.bin"));
        QVERIFY(b.open(QIODevice::WriteOnly));
        b.write(badMagic);
        b.close();
        const Run r = ctl({"-d", "r1", "import", path("broken.bin")});
        QVERIFY2(r.code == 1 && r.err.contains("nothing changed"), qPrintable(r.err));
        QVERIFY(flash("m1") == changed);
        QCOMPARE(ctl({"-d", "z4", "import", file}).code, 1); // saved for another sensor
        QCOMPARE(ctl({"-d", "r2", "import", file}).code, 1); // offline

        QCOMPARE(ctl({"-d", "r1", "import", file}).code, 0);
        QCOMPARE(uint8_t(flash("m1")[6]), uint8_t(7));
        QCOMPARE(ctl({"-d", "r1", "export", path("no/such/folder/x.bin")}).code, 1);
    }

    // watch prints a press of the DPI button and the receiver being pulled, and ends on SIGINT.
    void watchPrintsDpiPressAndUnplug() {
        QProcessEnvironment env = m_env;
        const QString socket = path("watch.sock");
        env.insert("ZF_HIDUSB_SOCKET", socket);
        QProcess watch;
        watch.setProcessEnvironment(env);
        watch.start(qEnvironmentVariable("ZF_CTL"), {"-d", "r1", "watch"});
        QString seen;
        const auto waitFor = [&](const QString& text) {
            QElapsedTimer t;
            t.start();
            while (!seen.contains(text) && t.elapsed() < 10000) {
                watch.waitForReadyRead(100);
                seen += QString::fromUtf8(watch.readAllStandardOutput());
            }
            return seen.contains(text);
        };
        QVERIFY2(waitFor("watching r1"), qPrintable(seen));
        const auto mouse = [&](const QStringList& args) {
            return QProcess::execute(qEnvironmentVariable("ZF_MOUSE_TOOL"),
                                     QStringList{"--socket", socket} + args);
        };
        QCOMPARE(mouse({"dpi", "m1"}), 0);
        QVERIFY2(waitFor("dpi level"), qPrintable(seen));
        QCOMPARE(mouse({"unplug", "r1"}), 0);
        QVERIFY2(waitFor("unplugged"), qPrintable(seen));
        QCOMPARE(mouse({"plug", "r1"}), 0);
        QVERIFY2(waitFor("plugged in"), qPrintable(seen));
        ::kill(pid_t(watch.processId()), SIGINT);
        QVERIFY(watch.waitForFinished(5000));
        QCOMPARE(watch.exitCode(), 0);
        seen += QString::fromUtf8(watch.readAllStandardOutput());
        QVERIFY(seen.trimmed().endsWith("stopped"));
    }
};

QTEST_GUILESS_MAIN(TstCtl)
#include "tst_ctl.moc"
