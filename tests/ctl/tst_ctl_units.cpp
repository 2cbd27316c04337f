// zentrafoxctl's own rules without a device: which device a --device text names, the command line,
// the value forms, and how the program's lock is read.
#include "ctl/Link.h"
#include "ctl/Options.h"
#include "ctl/Values.h"
#include "platform/RuntimeDir.h"

#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {
DeviceAllInfo device(const char* path, int32_t row) {
    DeviceAllInfo d;
    d.path = QString::fromLatin1(path);
    d.row = row;
    return d;
}
} // namespace

class TstCtlUnits : public QObject {
    Q_OBJECT
private slots:
    void chooseDevice() {
        using Ctl::chooseDevice;
        const QList<DeviceAllInfo> two = {device("/dev/zf-virtual/Dongle1", 0),
                                          device("/dev/zf-virtual/z4", 3)};
        QVERIFY(!chooseDevice({}, QString()).found);
        QCOMPARE(chooseDevice({two[1]}, QString()).device.path, two[1].path); // the only one needs no name
        const Ctl::Choice several = chooseDevice(two, QString());
        QVERIFY(!several.found);
        QCOMPARE(int(several.failure), int(Ctl::Usage));
        QCOMPARE(chooseDevice(two, "2").device.path, two[1].path); // indexes count from 1
        QVERIFY(!chooseDevice(two, "0").found);
        QVERIFY(!chooseDevice(two, "3").found);
        QCOMPARE(chooseDevice(two, "dongle1").device.path, two[0].path); // names without case
        QCOMPARE(chooseDevice(two, "/dev/zf-virtual/z4").device.path, two[1].path);
        QVERIFY(!chooseDevice(two, "z").found);
        const QList<DeviceAllInfo> twins = {device("/a/m", 0), device("/b/m", 0)};
        const Ctl::Choice ambiguous = chooseDevice(twins, "m");
        QVERIFY(!ambiguous.found);
        QCOMPARE(int(ambiguous.failure), int(Ctl::Usage));
        QCOMPARE(chooseDevice(twins, "/b/m").device.path, QStringLiteral("/b/m")); // a path is exact
    }

    void options() {
        Ctl::Options o;
        QString error;
        QVERIFY(Ctl::parseOptions({"set", "--device", "2", "dpi", "--force", "1", "-8"}, o, error));
        QCOMPARE(o.command, QStringLiteral("set"));
        QCOMPARE(o.device, QStringLiteral("2"));
        QVERIFY(o.force);
        QCOMPARE(o.args, (QStringList{"dpi", "1", "-8"})); // a negative number is a value, not an option
        Ctl::Options p;
        QVERIFY(Ctl::parseOptions({"--device=z4", "set", "button", "--", "5", "--json"}, p, error));
        QCOMPARE(p.device, QStringLiteral("z4"));
        QCOMPARE(p.args, (QStringList{"button", "5", "--json"}));
        QVERIFY(!p.json);
        Ctl::Options q;
        QVERIFY(!Ctl::parseOptions({"get", "-d"}, q, error));
        QVERIFY(!Ctl::parseOptions({"get", "-x"}, q, error));
    }

    void valueForms() {
        int rgb[3] = {};
        QVERIFY(Ctl::parseColour("#0A0b0c", rgb));
        QCOMPARE(rgb[0], 10);
        QCOMPARE(rgb[2], 12);
        QVERIFY(Ctl::parseColour("1,2,255", rgb));
        QCOMPARE(rgb[2], 255);
        for (const char* bad : {"1,2,256", "1,2", "-1,0,0", "0a0b0", "#0a0b0c0d", ""})
            QVERIFY2(!Ctl::parseColour(bad, rgb), bad);
        int s = 0;
        QVERIFY(Ctl::parseSeconds("5min", s) && s == 300);
        QVERIFY(Ctl::parseSeconds("30s", s) && s == 30);
        QVERIFY(Ctl::parseSeconds("90", s) && s == 90);
        QVERIFY(!Ctl::parseSeconds("99999999min", s)); // would overflow as seconds
        QVERIFY(!Ctl::parseSeconds("fast", s));
        int n = 0;
        QVERIFY(Ctl::parseInt("500Hz", n, "hz") && n == 500);
        QVERIFY(!Ctl::parseInt("500Hz", n));
        uint8_t on = 9;
        QVERIFY(Ctl::parseSwitch("ON", on) && on == 1);
        QVERIFY(Ctl::parseSwitch("false", on) && on == 0);
        QVERIFY(!Ctl::parseSwitch("maybe", on));
    }

    // The program holds an exclusive lock on its lock file for its life and writes its pid into it; the
    // device it has open counts only while the file naming it carries that same pid.
    void programAndItsDevice() {
        QTemporaryDir dir;
        const QString file = dir.path() + "/Zentrafox.lock";
        const auto held = [&dir](const QByteArray& text) {
            QFile f(RuntimeDir::heldDeviceFile(dir.path()));
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(text);
        };
        QCOMPARE(Ctl::lockHolderPid(file), qint64(0)); // never ran
        held("31337\n/dev/zf-virtual/r1\n");
        QCOMPARE(Ctl::runningProgram(dir.path()).heldPath, QString()); // its program is gone
        const int fd = ::open(QFile::encodeName(file).constData(), O_RDWR | O_CREAT, 0600);
        QVERIFY(fd >= 0);
        QCOMPARE(Ctl::lockHolderPid(file), qint64(0)); // left by a program that ended
        QCOMPARE(::flock(fd, LOCK_EX | LOCK_NB), 0);
        QCOMPARE(Ctl::lockHolderPid(file), qint64(-1)); // held, pid not written yet
        QCOMPARE(Ctl::runningProgram(dir.path()).heldPath, QString());
        QVERIFY(::write(fd, "31337", 5) == 5);
        QCOMPARE(Ctl::runningProgram(dir.path()).pid, qint64(31337));
        QCOMPARE(Ctl::runningProgram(dir.path()).heldPath, QStringLiteral("/dev/zf-virtual/r1"));
        held("4242\n/dev/zf-virtual/r1\n"); // an earlier program's, which died holding r1
        QCOMPARE(Ctl::runningProgram(dir.path()).heldPath, QString());
        for (const char* broken : {"", "31337", "31337\n", "x\n/dev/a\n", "-5\n/dev/a\n"}) {
            held(broken);
            QVERIFY2(Ctl::runningProgram(dir.path()).heldPath.isEmpty(), broken);
        }
        ::close(fd);
    }

    // The program's side: written whole with its own pid, removed only by the process that wrote it.
    void heldDeviceFile() {
        QTemporaryDir dir;
        QVERIFY(RuntimeDir::setHeldDevice("/dev/zf-virtual/z4", dir.path()));
        const RuntimeDir::HeldDevice held = RuntimeDir::heldDevice(dir.path());
        QCOMPARE(held.pid, QCoreApplication::applicationPid());
        QCOMPARE(held.path, QStringLiteral("/dev/zf-virtual/z4"));
        QVERIFY(RuntimeDir::setHeldDevice(QString(), dir.path()));
        QVERIFY(!QFile::exists(RuntimeDir::heldDeviceFile(dir.path())));
        QFile other(RuntimeDir::heldDeviceFile(dir.path()));
        QVERIFY(other.open(QIODevice::WriteOnly));
        other.write("1\n/dev/zf-virtual/r1\n"); // another instance's
        other.close();
        RuntimeDir::setHeldDevice(QString(), dir.path());
        QCOMPARE(RuntimeDir::heldDevice(dir.path()).path, QStringLiteral("/dev/zf-virtual/r1"));
    }
};

QTEST_GUILESS_MAIN(TstCtlUnits)
#include "tst_ctl_units.moc"
