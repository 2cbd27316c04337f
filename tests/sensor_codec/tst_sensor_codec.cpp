#include "app/core/AppPaths.h"
#include "app/core/IniStores.h"
#include "device/RecordCheck.h"
#include "sensor/DpiCodec.h"
#include "sensor/SensorCapability.h"
#include "tests/common/DpiEntry.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QtTest>

namespace {

SensorCapability capability(const QString& model, const QString& dpiRange) {
    SensorCapability cap;
    cap.SensorModel = model;
    cap.ranges.parse(dpiRange.split(','));
    return cap;
}

// Every value on the steps of every range.
QVector<int> stepValues(const DpiRanges& r) {
    QVector<int> values;
    for (int j = 0; j < r.count; ++j)
        for (int v = r.minimums[j]; v <= r.maximums[j]; v += r.steps[j])
            values << v;
    return values;
}

// The define key the encoder looks up for v.
int tableKey(const SensorCapability& cap, int v) {
    const DpiCodec::Scale s = DpiCodec::scaleFor(cap, v, DpiCodec::usesWideCodes(cap));
    if (cap.SensorModel == QLatin1String("3315"))
        return (s.flags == 0x11 || s.flags == 0x33) ? v / 2 : v;
    return v / s.divisor;
}

// A DPI table with one distinct code per key the ranges need, written as header lines.
void addTable(SensorCapability& cap) {
    QSet<int> keys;
    for (int v : stepValues(cap.ranges))
        keys << tableKey(cap, v);
    QList<int> sorted = keys.values();
    std::sort(sorted.begin(), sorted.end());
    QByteArray header;
    int code = 1;
    for (int k : sorted)
        header += "#define SENSOR_" + cap.SensorModel.toLatin1() + "_DPI_" + QByteArray::number(k) + "\t0x" +
                  QByteArray::number(code++, 16) + "\n";
    cap.parseHeader(header);
}

// Encodes v as a joint X/Y write into an entry and decodes both axes back.
QPair<int, int> roundTrip(const SensorCapability& cap, int v) {
    FlashDataMap record;
    record.clear();
    encodeJoint(cap, record.dpiLevels[3], v);
    return {DpiCodec::decodeX(cap, record, 3), DpiCodec::decodeY(cap, record, 3)};
}

} // namespace

class TestSensorCodec : public QObject {
    Q_OBJECT
private slots:
    void sweepEveryRule_data();
    void sweepEveryRule();
    void spotValues_data();
    void spotValues();
    void tableLookups();
    void headerLineForms();
    void rangeItemCounts();
    void shippedHeaderAndRows();
    void levelIniCount();
};

void TestSensorCodec::sweepEveryRule_data() {
    QTest::addColumn<QString>("model");
    QTest::addColumn<QString>("ranges");
    QTest::addColumn<bool>("table");
    // Ranges per rule keep the codes inside what the rule can store (8 bits, or 10 with bits 8-9).
    // Adjacent ranges: every code of the second range also lies on the first one's steps.
    const QString two = QStringLiteral("50,10000,50,10100,20000,100,%1");
    const QString plain = QStringLiteral("50,6000,50,6100,12800,100,0");
    const QString four = QStringLiteral("50,5000,50,5100,10000,100,10200,20000,200,20400,40000,400,33");
    const QString om76Two = QStringLiteral("10,10000,10,10100,20000,100,%1");
    const QString om76Plain = QStringLiteral("10,5000,10,5100,10200,100,0");
    const QString om76Four = QStringLiteral("10,10000,10,10100,30000,100,30200,60000,200,33");
    const QString wideTwo = QStringLiteral("50,10000,50,10100,26000,100,%1");
    const QString wideFour = QStringLiteral("50,10000,50,10100,20000,100,20200,40000,200,40400,64000,400,33");
    const QString tableTwo = QStringLiteral("100,3000,100,3200,8000,200,%1");
    const QString tableFour = QStringLiteral("100,3000,100,3200,8000,200,8400,16000,400,16800,32000,800,33");

    for (const char* model : {"3395", "3950", "3311", "3315", "S312", "PAW9", "OM76", "3955"}) {
        const QString m = QLatin1String(model);
        QStringList sets;
        if (m == QLatin1String("OM76"))
            sets << om76Two.arg(11) << om76Two.arg(22) << om76Plain << om76Four;
        else if (m == QLatin1String("3955"))
            sets << wideTwo.arg(11) << wideTwo.arg(22) << wideTwo.arg(0) << wideFour;
        else
            sets << two.arg(11) << two.arg(22) << plain << four;
        for (const QString& s : sets)
            QTest::newRow(qPrintable(m + " " + s.section(',', -1))) << m << s << false;
        for (const QString& s : {tableTwo.arg(11), tableTwo.arg(22), tableTwo.arg(0), tableFour})
            QTest::newRow(qPrintable(m + " table " + s.section(',', -1))) << m << s << true;
    }
}

void TestSensorCodec::sweepEveryRule() {
    QFETCH(QString, model);
    QFETCH(QString, ranges);
    QFETCH(bool, table);
    SensorCapability cap = capability(model, ranges);
    if (table)
        addTable(cap);
    QCOMPARE(cap.hasDpiTable(), table);
    const QVector<int> values = stepValues(cap.ranges);
    QVERIFY(values.size() > 50);
    QSet<int> scales;
    for (int v : values) {
        const QPair<int, int> back = roundTrip(cap, v);
        if (back.first != v || back.second != v)
            QFAIL(qPrintable(QStringLiteral("%1 decodes as %2/%3").arg(v).arg(back.first).arg(back.second)));
        scales << DpiCodec::scaleFor(cap, v, DpiCodec::usesWideCodes(cap)).flags;
    }
    // Each range mode reaches its scales: plain only 0, 0x11/0x22 their own, 0x33 all four (OM76: three).
    const int mode = cap.ranges.mode;
    if (mode == 0)
        QCOMPARE(scales, QSet<int>({0}));
    else if (mode != 0x33)
        QCOMPARE(scales, QSet<int>({0, mode}));
    else if (model == QLatin1String("OM76"))
        QCOMPARE(scales, QSet<int>({0, 0x22, 0x33}));
    else
        QCOMPARE(scales, QSet<int>({0, 0x11, 0x22, 0x33}));
}

void TestSensorCodec::spotValues_data() {
    QTest::addColumn<QString>("model");
    QTest::addColumn<QString>("ranges");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("code");  // low 8 bits for narrow codes
    QTest::addColumn<int>("flags"); // -1: not checked
    const QString r3395 = "50,10000,50,10100,20000,100,22";
    const QString s312 = "50,5000,50,5100,10000,100,10200,20000,200,20400,40000,400,33";
    QTest::newRow("400") << "3395" << r3395 << 400 << 7 << 0x00;
    QTest::newRow("12000 coarse") << "3395" << r3395 << 12000 << 119 << 0x22;
    QTest::newRow("10000 long code") << "3395" << r3395 << 10000 << 199 << -1;
    // Bits 8-9 of a long code land in bits 2-3 of both nibbles.
    QTest::newRow("26000 high bits") << "3395"
                                     << "50,26000,50,0" << 26000 << (519 & 0xFF) << 2 * 0x44;
    QTest::newRow("wide 800") << "3955"
                              << "50,26000,50,0" << 800 << 799 << 0;
    // S312: D = 4 stores v / 200 with 0x33, D = 2 v / 100 with 0x11 whichever F the range gave.
    QTest::newRow("S312 24000") << "S312" << s312 << 24000 << 120 << 0x33;
    QTest::newRow("S312 12000") << "S312" << s312 << 12000 << 120 << 0x11;
    QTest::newRow("S312 6000 0x22 to 0x11") << "S312" << s312 << 6000 << 60 << 0x11;
    QTest::newRow("S312 3000") << "S312" << s312 << 3000 << 60 << -1;
}

void TestSensorCodec::spotValues() {
    QFETCH(QString, model);
    QFETCH(QString, ranges);
    QFETCH(int, value);
    QFETCH(int, code);
    QFETCH(int, flags);
    const SensorCapability cap = capability(model, ranges);
    const bool wide = DpiCodec::usesWideCodes(cap);
    const DpiCodec::Code c =
        wide ? DpiCodec::encodeWide(cap, value, 0) : DpiCodec::encodeNarrow(cap, value, 0);
    QCOMPARE(wide ? c.code : c.code & 0xFF, code);
    if (flags >= 0)
        QCOMPARE(int(c.flags), flags);
    const int decoded = wide ? DpiCodec::decodeWide(cap, c.code, c.flags)
                             : DpiCodec::decodeNarrow(cap, c.code & 0xFF, c.flags);
    QCOMPARE(decoded, value);
}

// "3315" looks coarse codes up by the second table entry; other models fall back on a table miss.
void TestSensorCodec::tableLookups() {
    SensorCapability cap = capability("3315", "100,3200,100,3400,6400,200,22");
    cap.parseHeader("#define SENSOR_3315_DPI_1700\t0x11\n"
                    "#define SENSOR_3315_DPI_3400\t0x11\n");
    DpiCodec::Code c = DpiCodec::encodeNarrow(cap, 3400, 0);
    QCOMPARE(c.code, 0x11);
    QCOMPARE(int(c.flags), 0x22);
    QCOMPARE(DpiCodec::decodeNarrow(cap, c.code, c.flags), 3400);
    c = DpiCodec::encodeNarrow(cap, 1700, 0);
    QCOMPARE(c.code, 0x11);
    QCOMPARE(int(c.flags), 0);
    QCOMPARE(DpiCodec::decodeNarrow(cap, c.code, c.flags), 1700);

    // A value the table lacks falls back to the formula, both ways.
    cap = capability("3311", "50,10000,50,10100,20000,100,22");
    cap.parseHeader("#define SENSOR_3311_DPI_400\t0x07\n");
    QCOMPARE(DpiCodec::encodeNarrow(cap, 400, 0).code, 7);
    QCOMPARE(DpiCodec::encodeNarrow(cap, 800, 0).code, 800 / 50);
    QCOMPARE(DpiCodec::encodeNarrow(cap, 800, 0x22).code, 800 / 100);
    // A code the table does not know decodes by the formula.
    QCOMPARE(DpiCodec::decodeNarrow(cap, 15, 0), 800);
    SensorCapability wide = capability("3955", "50,26000,50,0");
    wide.parseHeader("#define SENSOR_3955_DPI_400\t400\n");
    QCOMPARE(DpiCodec::encodeWide(wide, 900, 0).code, 900);
    QCOMPARE(DpiCodec::encodeWide(wide, 900, 0x22).code, 450);
    QCOMPARE(DpiCodec::decodeWide(wide, 1234, 0), 0);
}

void TestSensorCodec::headerLineForms() {
    SensorCapability cap;
    cap.parseHeader("#define SUPPORT_RIPPLE\t3395,3950\n"
                    "#define SENSOR_3395_DPI_400\t0x07\n"
                    "#define SENSOR_3395_DPI_800\t15\n"
                    "#define SENSOR_3395_DPI_1200\t23 //three-parts,decimal\n"
                    "#define SENSOR_3395_DPI_1600 0x1F\n"
                    "#undef SENSOR_3395_DPI_2000\t39 //any-first-part\n"
                    "#define SENSOR_3395_DPI_2400\tzz\n"
                    "#define SUPPORT_LOD_CAL\n"          // flag without its tab piece: ignored
                    "#define LONELY\n"                   // define without a value: ignored
                    "#define A B C D\n"                  // other part counts: ignored
                    "#define SENSOR_3395_DPI_3200\t63"); // last line without line end: skipped
    const QStringList names = {"SENSOR_3395_DPI_400",  "SENSOR_3395_DPI_800",  "SENSOR_3395_DPI_1200",
                               "SENSOR_3395_DPI_1600", "SENSOR_3395_DPI_2000", "SENSOR_3395_DPI_2400"};
    QCOMPARE(cap.defines.names, names);
    QCOMPARE(cap.defines.values, QVector<qint32>({7, 15, 23, 31, 39, 0}));
    QCOMPARE(cap.flags.value("SUPPORT_RIPPLE"), QStringLiteral("3395,3950"));
    QVERIFY(cap.flags.value("SUPPORT_LOD_CAL").isEmpty());
    cap.SensorModel = "3395";
    QVERIFY(cap.hasDpiTable());
    QCOMPARE(cap.tableCode(1600).value_or(-1), 31);
    QCOMPARE(cap.tableValuesForCode(15), QVector<int>({800}));
    QVERIFY(!cap.tableCode(3200));
    // A flag lists models as free text: a substring counts; an empty model supports nothing.
    cap.parseHeader("#define SUPPORT_MOTION_SYNC\t33950\n");
    QVERIFY(cap.isSupported("SUPPORT_RIPPLE") && cap.isSupported("SUPPORT_MOTION_SYNC"));
    QVERIFY(!cap.isSupported("SUPPORT_FIXLINE"));
    cap.SensorModel = "3311";
    QVERIFY(!cap.isSupported("SUPPORT_RIPPLE"));
    cap.SensorModel.clear();
    for (const char* flag : SupportFlags::kNames)
        QVERIFY(!cap.isSupported(flag));

    // Binary junk and an empty text leave the tables usable.
    SensorCapability junk;
    junk.parseHeader(QByteArray("\x00\xff #define \t\t\n\n\t", 11));
    junk.parseHeader(QByteArray());
    QVERIFY(junk.defines.names.isEmpty());
}

// Item counts are the device table's; here the last item is the mode, and garbage still codes.
void TestSensorCodec::rangeItemCounts() {
    DpiRanges r;
    r.parse(QString("50,10000,50,10100,20000,100,99,33").split(','));
    QCOMPARE(r.count, 2);
    QCOMPARE(r.mode, 0x33);
    QCOMPARE(r.maximums, QVector<int>({10000, 20000}));
    r.parse(QString("50,10000,50").split(','));
    QCOMPARE(r.count, 0);
    r.parse(QString("a,b,c,zz").split(','));
    QCOMPARE(r.count, 1);
    QCOMPARE(r.steps, QVector<int>({0}));
    SensorCapability cap;
    cap.SensorModel = "3395";
    cap.ranges = r;
    QCOMPARE(DpiCodec::decodeNarrow(cap, DpiCodec::encodeNarrow(cap, 800, 0).code, 0), 800);
}

// The shipped header and every shipped row, read as the page reads them: each step of each row decodes
// to itself, and so does the record check's decoder for a cached record of that row, which refuses a
// value outside the row's span.
void TestSensorCodec::shippedHeaderAndRows() {
    const QString src = qEnvironmentVariable("ZF_SOURCE_DIR");
    QFile header(src + "/resources/driver_sensor.h");
    QVERIFY(header.open(QIODevice::ReadOnly));
    SensorCapability::current().parseHeader(header.readAll());
    const DeviceTable table =
        DeviceTable::load(IniStore(src + "/resources/usersetting/Config.source.ini", "UTF-8", false));
    QVERIFY(table.rows().size() >= 8);
    RecordCheck::setDpiDecoder(&DpiCodec::decodeForRow);
    QSet<QString> models;
    for (const ModelRow& row : table.rows()) {
        SensorCapability cap;
        cap.defines = SensorCapability::current().defines;
        cap.loadRow(row);
        const QString name = row.group(row.index) + " (" + row.sensor + ")";
        models << row.sensor;
        // The row's own checks are the device table suite's; here what the page reads of it.
        QVERIFY2(cap.ranges.count >= 1 && row.dpiMaxGrade <= 8, qPrintable(name));
        QVERIFY2(row.dpiMin == cap.ranges.lowest() && row.dpiMax == cap.ranges.highest(), qPrintable(name));
        QVERIFY2(row.currentPos >= 0 && row.currentPos < row.dpiMaxGrade, qPrintable(name));
        QVERIFY2(row.dpiGrade.value(row.currentPos) == row.currentDpi, qPrintable(name));
        FlashDataMap record;
        record.clear();
        record.dpiLevelCount = 1;
        for (int v : stepValues(cap.ranges)) {
            encodeJoint(cap, record.dpiLevels[0], v);
            const int x = DpiCodec::decodeForRow(record, row, 0, false);
            const int y = DpiCodec::decodeForRow(record, row, 0, true);
            QVERIFY2(x == v && y == v,
                     qPrintable(name + " " + QString::number(v) + " as " + QString::number(x)));
            QVERIFY2(RecordCheck::problem(record, row).isEmpty(), qPrintable(name));
        }
        record.dpiLevels[0].xValue = record.dpiLevels[0].yValue = 0xFFFF;
        record.dpiLevels[0].xCode = record.dpiLevels[0].yCode = 0xFF;
        record.dpiLevels[0].nibbles = record.dpiLevels[0].wideFlags = 0xFF;
        const int junk = DpiCodec::decodeForRow(record, row, 0, false);
        QVERIFY2(junk == 0 || junk > row.highestDpi(), qPrintable(name + " " + QString::number(junk)));
        QVERIFY2(!RecordCheck::problem(record, row).isEmpty(), qPrintable(name));
    }
    RecordCheck::setDpiDecoder({});
    for (const char* m : {"3955", "3950", "3395", "3315", "3311", "S312", "OM76"})
        QVERIFY2(models.contains(m), m);
}

void TestSensorCodec::levelIniCount() {
    const QString folder = AppPaths::userDataRoot() + "/usersetting/SensorPage";
    QFile::remove(folder + "/Level.ini");
    QCOMPARE(readLevelIniCount(), 1); // missing; the folder is made
    QVERIFY(QDir(folder).exists());
    for (auto [text, count] : {std::pair{"3\nignored\n", 3}, {"", 1}, {"three\n", 1}, {"99\n", 8}}) {
        QFile f(folder + "/Level.ini");
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text);
        f.close();
        QCOMPARE(readLevelIniCount(), count);
    }
}

QTEST_GUILESS_MAIN(TestSensorCodec)
#include "tst_sensor_codec.moc"
