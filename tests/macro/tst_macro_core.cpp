// The macro model without windows: the file format, the exchange stream, the names, packing into a
// button's area and the device-to-disk step.
#include "macro/core/MacroExport.h"
#include "macro/core/MacroFile.h"
#include "macro/core/MacroNames.h"
#include "macro/core/MacroPacker.h"
#include "macro/core/MacroReconcile.h"
#include "tests/macro/FileSizeLimit.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextCodec>
#include <QtTest>

using namespace MacroFormat;

class TestMacroCore : public QObject {
    Q_OBJECT
private slots:
    void fileRoundTripsEveryItemAndRule();
    void fileReadingSkipsWhatIsNoItem();
    void failedWriteKeepsTheOldFile();
    void exportLayoutByteForByte();
    void importRefusesBrokenFiles();
    void names();
    void packsByTypeWithinTheArea();
    void unpackStaysInsideTheArea();
    void reconcileCreatesOnlyMissingFiles();
};

void TestMacroCore::fileRoundTripsEveryItemAndRule() {
    QList<int> cycles;
    for (int c = 1; c <= 250; ++c)
        cycles << c;
    cycles << 253 << 254 << 255;
    const QByteArray body = "0x04 1 0\n10ms\n0x04 1 1\n0x02 0 0\n0ms\n0x20 0 1\n0x01 4 0\n"
                            "4294967295ms\n0x10 4 1\n0x9A 1 0\n";
    for (int c : cycles) {
        const QByteArray file = QByteArray::number(c) + '\n' + body;
        const MacroData m = parse(file);
        QCOMPARE(m.cycle, c);
        QCOMPARE(m.items.size(), 10);
        QCOMPARE(serialise(m), file);
    }
    const MacroData m = parse("1\n" + body);
    QCOMPARE(m.items.at(0), MacroItem::key(1, 0x04, false));
    QCOMPARE(m.items.at(7), MacroItem::pause(0xFFFFFFFFu));
    QCOMPARE(m.items.at(9).code, uint16_t(0x9A)); // a code without a name keeps its code
    QCOMPARE(serialise(MacroData{}), QByteArray("1\n"));
}

void TestMacroCore::fileReadingSkipsWhatIsNoItem() {
    // Rules that are none read as the count rule 1; blank and malformed lines are no items.
    for (const char* c : {"0", "251", "252", "256", "-3", "x", ""})
        QCOMPARE(parse(QByteArray(c) + "\n10ms\n").cycle, 1);
    const MacroData m = parse("254\r\n\n   \n0x04 1\n0x04 1 2\n0x04  1   0\r\nms\n-5ms\n+5ms\n5 ms\n"
                              "4294967296ms\n0xZZ 1 0\n0x10000 1 0\n0x04 256 0\n7ms");
    QCOMPARE(m.cycle, 254);
    QCOMPARE(m.items, (QVector<MacroItem>{MacroItem::key(1, 4, false), MacroItem::pause(7)}));
    QTemporaryDir dir;
    QCOMPARE(readFile(dir.filePath("missing.ini")), MacroData{});
}

void TestMacroCore::failedWriteKeepsTheOldFile() {
    QTemporaryDir dir;
    const QString path = dir.filePath("m.ini");
    QVERIFY(writeBytes(path, "5\n"));
    {
        FileSizeLimit full;
        QVERIFY(!writeFile(path, parse("7\n10ms\n")));
    }
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"m.ini"}); // no temporary left behind
    QCOMPARE(readFile(path).cycle, 5);
    int cycle = 0;
    QVERIFY(readCycle(path, cycle) && cycle == 5);
    QVERIFY(!readCycle(dir.filePath("none.ini"), cycle));
}

void TestMacroCore::exportLayoutByteForByte() {
    MacroExport::Record r;
    r.name = QStringLiteral("Aé");
    r.cycle = "254";
    r.items = {{"A", false}, {"10ms", false}, {"A", true}};
    const QByteArray bytes = MacroExport::write(r);
    QByteArray expect;
    const auto arr = [&](const QByteArray& content, int length) {
        expect += QByteArray::fromHex(QByteArray::number(length, 16).rightJustified(8, '0'));
        expect += content + QByteArray(length - content.size(), '\0');
    };
    const auto str = [&](const QString& s) {
        expect += QByteArray::fromHex(QByteArray::number(s.size() * 2, 16).rightJustified(8, '0'));
        for (QChar ch : s)
            expect += char(ch.unicode() >> 8), expect += char(ch.unicode() & 0xFF);
    };
    const QByteArray nullIcon("\xff\xff\xff\xff", 4);
    arr("Qorix", 12);
    arr("A\xc3\xa9", 48);
    arr("254", 12);
    expect += QByteArray("\0\0\0\3", 4);
    str("A"), expect += nullIcon, arr("0", 2);
    str("10ms"), expect += nullIcon;
    str("A"), expect += nullIcon, arr("1", 2);
    QCOMPARE(bytes.toHex(), expect.toHex());

    MacroExport::Record back;
    QCOMPARE(MacroExport::read(bytes, back), MacroExport::ReadResult::Ok);
    QCOMPARE(back.name, r.name);
    QCOMPARE(back.cycle, r.cycle);
    QCOMPARE(back.items, r.items);
    // A name past 47 bytes is cut between characters.
    r.name = QString(30, QChar(0x00E9));
    QVERIFY(MacroExport::read(MacroExport::write(r), back) == MacroExport::ReadResult::Ok);
    QCOMPARE(back.name, QString(23, QChar(0x00E9)));
}

void TestMacroCore::importRefusesBrokenFiles() {
    MacroExport::Record r{"m", "1", {{"A", false}, {"5ms", false}, {"A", true}}};
    const QByteArray good = MacroExport::write(r);
    const MacroExport::Record untouched{"keep", "9", {}};
    for (int cut = 0; cut < good.size(); ++cut) {
        MacroExport::Record out = untouched;
        QVERIFY2(MacroExport::read(good.left(cut), out) != MacroExport::ReadResult::Ok,
                 qPrintable(QString::number(cut)));
        QCOMPARE(out.name, untouched.name);
    }
    QByteArray foreign = good;
    foreign[4] = 'Z';
    MacroExport::Record out = untouched;
    QCOMPARE(MacroExport::read(foreign, out), MacroExport::ReadResult::Foreign);
    QCOMPARE(MacroExport::read("plain text macro", out), MacroExport::ReadResult::Foreign);
    QByteArray huge = good.left(4 + 12 + 4 + 48 + 4 + 12);
    huge += QByteArray("\x7f\xff\xff\xff", 4);
    QCOMPARE(MacroExport::read(huge, out), MacroExport::ReadResult::Malformed);
    QCOMPARE(out.name, untouched.name);
}

void TestMacroCore::names() {
    QTextCodec* utf8 = QTextCodec::codecForName("UTF-8");
    using MacroNames::NameCheck;
    QCOMPARE(MacroNames::check("", utf8), NameCheck::Empty);
    QCOMPARE(MacroNames::check("a/b", utf8), NameCheck::Separator);
    QCOMPARE(MacroNames::check("a\\b", utf8), NameCheck::Separator);
    QCOMPARE(MacroNames::check(QString("a") + QChar(0), utf8), NameCheck::Separator);
    QCOMPARE(MacroNames::check("..", utf8), NameCheck::DotName);
    QCOMPARE(MacroNames::check(QString(30, 'x'), utf8), NameCheck::Ok);
    QCOMPARE(MacroNames::check(QString(31, 'x'), utf8), NameCheck::TooLong);
    QCOMPARE(MacroNames::check(QString(11, QChar(0x5B8F)), utf8), NameCheck::TooLong); // 33 bytes
    QTemporaryDir dir;
    for (const char* f : {"b.ini", "a.ini", "B.ini", "notes.xml", "x.txt"})
        QVERIFY(writeBytes(dir.filePath(f), "1\n"));
    QCOMPARE(MacroNames::list(dir.path()), (QStringList{"B", "a", "b"}));
}

void TestMacroCore::packsByTypeWithinTheArea() {
    QTextCodec* utf8 = QTextCodec::codecForName("UTF-8");
    // press A, 10 ms, release A: count 2, slot 0 {0, 1, 0x0004, 10}, slot 1 {1, 1, 0x0004, 0}.
    MacroPacker::Packed p = MacroPacker::pack("ab", parse("1\n0x04 1 0\n10ms\n0x04 1 1\n"), utf8);
    const QByteArray area(reinterpret_cast<const char*>(p.block.bytes), 592);
    QCOMPARE(area.left(3), QByteArray("\x02"
                                      "ab"));
    QCOMPARE(area.at(31), char(2));
    QCOMPARE(area.mid(32, 16).toHex(), QByteArray("00010400"
                                                  "0a000000"
                                                  "01010400"
                                                  "00000000"));
    QCOMPARE(area.mid(48), QByteArray(592 - 48, '\0'));

    // Types, not positions: a leading delay has no event, a trailing delay and blank lines add none,
    // consecutive delays add up.
    p = MacroPacker::pack("c", parse("1\n5ms\n0x01 4 0\n3ms\n4ms\n0x01 4 1\n\n20ms\n"), utf8);
    QCOMPARE(p.events, 2);
    QCOMPARE(int(p.block.bytes[31]), 2);
    QCOMPARE(int(p.block.bytes[32 + 4]), 7);
    QCOMPARE(int(p.block.bytes[40 + 4]), 20);
    QCOMPARE(MacroPacker::pack("e", parse("1\n"), utf8).block.bytes[31], uint8_t(0));

    MacroData full;
    for (int e = 0; e < 70; ++e)
        full.items << MacroItem::key(1, uint16_t(4 + e % 20), e % 2) << MacroItem::pause(uint32_t(e));
    full.items.removeLast();
    p = MacroPacker::pack("full", full, utf8);
    QVERIFY(p.fits);
    QCOMPARE(int(p.block.bytes[31]), 70);
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(p.block.bytes) + 32 + 69 * 8 + 4, 4),
             QByteArray(4, '\0'));
    full.items << MacroItem::key(1, 4, false);
    QVERIFY(!MacroPacker::pack("full", full, utf8).fits);

    // A long name is cut between characters.
    MacroBlock b{};
    MacroPacker::setName(b, QString(11, QChar(0x5B8F)), utf8);
    QCOMPARE(int(b.bytes[0]), 30);
    QCOMPARE(MacroPacker::name(b, utf8), QString(10, QChar(0x5B8F)));
}

void TestMacroCore::unpackStaysInsideTheArea() {
    QTextCodec* utf8 = QTextCodec::codecForName("UTF-8");
    const MacroData m = parse("253\n0x04 1 0\n10ms\n0x02 0 0\n0ms\n0x02 0 1\n0x04 1 1\n");
    MacroPacker::Packed p = MacroPacker::pack("rt", m, utf8);
    MacroData back = MacroPacker::unpack(p.block, 253);
    QCOMPARE(back.cycle, 253);
    QCOMPARE(back.keyEvents(), 4);
    QCOMPARE(serialise(back), QByteArray("253\n0x04 1 0\n10ms\n0x02 0 0\n0ms\n0x02 0 1\n0ms\n0x04 1 1\n"));
    MacroBlock wild;
    memset(wild.bytes, 0xFF, sizeof wild.bytes);
    QCOMPARE(MacroPacker::eventCount(wild), 70);
    QCOMPARE(MacroPacker::unpack(wild, 0).keyEvents(), 70);
    QCOMPARE(MacroPacker::unpack(wild, 0).cycle, 1);
    QCOMPARE(MacroPacker::name(wild, utf8).toUtf8().size() <= 90, true);
}

void TestMacroCore::reconcileCreatesOnlyMissingFiles() {
    QTemporaryDir dir;
    const MacroData m = parse("3\n0x04 1 0\n10ms\n0x04 1 1\n");
    MacroBlock area = MacroPacker::pack("dev", m).block;
    using MacroReconcile::Outcome;
    QCOMPARE(MacroReconcile::fromArea(dir.path(), area, 3, "dev").outcome, Outcome::Busy);
    QVERIFY(!QFile::exists(dir.filePath("dev.ini")));
    QCOMPARE(MacroReconcile::fromArea(dir.path(), area, 3).outcome, Outcome::Created);
    QCOMPARE(readFile(dir.filePath("dev.ini")), m);
    // A saved edit is newer than the mouse's copy: it stays.
    QVERIFY(writeBytes(dir.filePath("dev.ini"), "9\n10ms\n"));
    QCOMPARE(MacroReconcile::fromArea(dir.path(), area, 3).outcome, Outcome::Exists);
    QCOMPARE(readFile(dir.filePath("dev.ini")).cycle, 9);
    for (const char* bad : {"../x", "..", ""}) {
        MacroPacker::setName(area, bad);
        QCOMPARE(MacroReconcile::fromArea(dir.path(), area, 3).outcome, Outcome::BadName);
    }
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"dev.ini"});
}

QTEST_GUILESS_MAIN(TestMacroCore)
#include "tst_macro_core.moc"
