// The configuration exchange file without a device: layout, round trip, and every refusal leaving the
// caller's record alone.
#include "device/ConfigFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {
FlashDataMap sample() {
    FlashDataMap r;
    r.clear();
    for (int i = 0; i < FlashDataMap::kSize; ++i)
        r.data()[i] = uint8_t(i * 7 + 3);
    r.dpiLevelCount = 4;
    r.currentDpiLevel = 3;
    return r;
}
constexpr int kRecordAt = ConfigFile::kFileSize - FlashDataMap::kSize;
} // namespace

class TestConfigFile : public QObject {
    Q_OBJECT
private slots:
    void layoutAndRoundTrip() {
        const FlashDataMap r = sample();
        const QByteArray bytes = ConfigFile::encode(r, QStringLiteral("3395"));
        QCOMPARE(bytes.size(), 10580);
        QCOMPARE(bytes.left(16), QByteArray("\0\0\0\x0cQorix\0\0\0\0\0\0\0", 16));
        QCOMPARE(bytes.mid(16, 16), QByteArray("\0\0\0\x0c"
                                               "3395\0\0\0\0\0\0\0\0",
                                               16));
        QCOMPARE(bytes.mid(32, 4), QByteArray("\0\0\x29\x30", 4));
        QVERIFY(std::memcmp(bytes.constData() + kRecordAt, r.data(), FlashDataMap::kSize) == 0);

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a.bin"));
        QVERIFY(ConfigFile::write(path, r, QStringLiteral("3395")));
        const ConfigFile::Outcome o = ConfigFile::read(path, QStringLiteral("3395"), 8);
        QCOMPARE(o.result, int(ConfigFile::Accepted));
        QVERIFY(o.reason.isEmpty());
        QVERIFY(o.record == r);
    }

    void sensorNameCutAtCharacter() {
        // 11 bytes at most, never half a character, and a device with a long name takes its own file.
        QCOMPARE(ConfigFile::sensorField(QStringLiteral("ABCDEFGHIJKLMN")), QByteArray("ABCDEFGHIJK\0", 12));
        const QString cyr = QStringLiteral("ДДДДДД"); // 12 bytes of UTF-8
        QCOMPARE(ConfigFile::sensorField(cyr).left(11), (QStringLiteral("ДДДДД").toUtf8() + '\0'));
        const QByteArray bytes = ConfigFile::encode(sample(), cyr);
        QCOMPARE(ConfigFile::decode(bytes, cyr, 8).result, int(ConfigFile::Accepted));
        QCOMPARE(ConfigFile::decode(bytes, QStringLiteral("ДДДДД"), 8).result, int(ConfigFile::Accepted));
        QCOMPARE(ConfigFile::decode(bytes, QStringLiteral("ДДДД"), 8).result, int(ConfigFile::Mismatch));
    }

    void everyShortFileRefused() {
        const QByteArray good = ConfigFile::encode(sample(), QStringLiteral("3395"));
        for (int n = 0; n < good.size(); ++n) {
            const ConfigFile::Outcome o = ConfigFile::decode(good.left(n), QStringLiteral("3395"), 8);
            if (o.result != ConfigFile::Unreadable)
                QFAIL(qPrintable(QStringLiteral("length %1 gave %2").arg(n).arg(o.result)));
        }
        QCOMPARE(ConfigFile::decode(good + '\0', QStringLiteral("3395"), 8).result,
                 int(ConfigFile::Unreadable));
    }

    void refusals_data() {
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("result");
        // Array lengths: a cut magic, a longer name, a shorter record — the file size stays 10580.
        QTest::newRow("magic length 11") << 3 << 11 << 1;
        QTest::newRow("name length 13") << 19 << 13 << 1;
        QTest::newRow("record length 10543") << 35 << 0x2f << 1;
        QTest::newRow("null array") << 0 << 0xff << 1;
        QTest::newRow("magic byte") << 4 << int('q') << 1;
        QTest::newRow("magic padding ignored") << 12 << int('x') << 0;
        QTest::newRow("foreign sensor") << 20 << int('4') << 2;
        QTest::newRow("no DPI levels") << kRecordAt + 1 << 0 << 2;
        QTest::newRow("9 DPI levels") << kRecordAt + 1 << 9 << 2;
        QTest::newRow("current level at count") << kRecordAt + 2 << 4 << 2;
    }
    void refusals() {
        QFETCH(int, offset);
        QFETCH(int, value);
        QFETCH(int, result);
        QByteArray bytes = ConfigFile::encode(sample(), QStringLiteral("3395"));
        bytes[offset] = char(value);
        const ConfigFile::Outcome o = ConfigFile::decode(bytes, QStringLiteral("3395"), 8);
        QCOMPARE(o.result, result);
        QCOMPARE(o.reason.isEmpty(), result == 0);
    }

    void levelLimitFromDevice() {
        const QByteArray bytes = ConfigFile::encode(sample(), QStringLiteral("3370")); // 4 levels
        QCOMPARE(ConfigFile::decode(bytes, QStringLiteral("3370"), 4).result, int(ConfigFile::Accepted));
        QCOMPARE(ConfigFile::decode(bytes, QStringLiteral("3370"), 3).result, int(ConfigFile::Mismatch));
        // A device without a usable limit holds the record's eight slots.
        QCOMPARE(ConfigFile::decode(bytes, QStringLiteral("3370"), 0).result, int(ConfigFile::Accepted));
    }

    void filesThatCannotBeUsed() {
        QTemporaryDir dir;
        QCOMPARE(ConfigFile::read(dir.filePath(QStringLiteral("none.bin")), QStringLiteral("3395"), 8).result,
                 int(ConfigFile::Unreadable));
        QCOMPARE(ConfigFile::read(dir.path(), QStringLiteral("3395"), 8).result, int(ConfigFile::Unreadable));

        // An export that cannot be written says so and leaves nothing behind.
        QString reason;
        const QString bad = dir.filePath(QStringLiteral("no/such/folder.bin"));
        QVERIFY(!ConfigFile::write(bad, sample(), QStringLiteral("3395"), &reason));
        QVERIFY(!reason.isEmpty());
        QVERIFY(!QFile::exists(bad));
    }
};

QTEST_GUILESS_MAIN(TestConfigFile)
#include "tst_configfile.moc"
