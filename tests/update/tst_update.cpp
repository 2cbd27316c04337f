// The update check: the version order and the listing rules without network, then the whole check against
// a local server that answers, finds nothing, fails, cuts the download short, publishes a wrong checksum,
// or never answers.
#include "app/update/UpdateCheck.h"
#include "platform/Installer.h"

#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {
QStringList g_log;
void collect(QtMsgType, const QMessageLogContext&, const QString& text) {
    g_log << text;
}
} // namespace

class TestUpdate : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();
    void versionOrder_data();
    void versionOrder();
    void listingAndChecksumRules();
    void newerVersionDownloadedCheckedAndRun();
    void nothingToInstall_data();
    void nothingToInstall();
    void brokenDownloadsAreNeverRun_data();
    void brokenDownloadsAreNeverRun();
    void silentServerCostsOnlyTheLimits();
    void slowListingKeepsTheWindowLive();

private:
    // Runs a check of base URL `base` to its end; `asked` counts the questions.
    bool run(const QString& base, const QString& installed = "1.0.2.0", int* asked = nullptr,
             UpdateCheck::Limits limits = {}, QString* localPath = nullptr);
    QString marker() const;

    QTemporaryDir m_dir;
    QProcess m_server;
    QString m_http, m_https;
    QList<QSslCertificate> m_ca;
};

void TestUpdate::initTestCase() {
    QVERIFY(m_dir.isValid());
    const QString cert = m_dir.filePath("cert.pem"), key = m_dir.filePath("key.pem");
    QCOMPARE(QProcess::execute(qEnvironmentVariable("ZF_OPENSSL"),
                               {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "1", "-subj",
                                "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1", "-keyout", key,
                                "-out", cert}),
             0);
    m_ca = QSslCertificate::fromPath(cert);
    QCOMPARE(m_ca.size(), 1);
    m_server.start(qEnvironmentVariable("ZF_PYTHON3"), {qEnvironmentVariable("ZF_UPDATE_SERVER"), cert, key});
    while (!m_server.canReadLine() && m_server.waitForReadyRead(10000)) {
    }
    const QStringList ports = QString::fromLatin1(m_server.readLine()).split(' ');
    QVERIFY2(ports.size() == 2, m_server.readAllStandardError().constData());
    m_http = "http://127.0.0.1:" + ports[0].trimmed();
    m_https = "https://127.0.0.1:" + ports[1].trimmed();
    qputenv("ZF_TEST_MARKER", marker().toLocal8Bit());
    Installer::setElevator(QString());
    QLoggingCategory::setFilterRules("zf.shell.info=true");
    qInstallMessageHandler(collect);
}

void TestUpdate::init() {
    QFile::remove(marker());
    g_log.clear();
}

void TestUpdate::cleanupTestCase() {
    m_server.kill();
    m_server.waitForFinished();
}

QString TestUpdate::marker() const {
    return m_dir.filePath("marker");
}

bool TestUpdate::run(const QString& base, const QString& installed, int* asked, UpdateCheck::Limits limits,
                     QString* localPath) {
    QWidget window;
    UpdateCheck check(&window);
    check.setSettings({installed, base});
    check.setLimits(limits);
    check.setExtraCaCertificates(m_ca);
    int questions = 0;
    check.setAsk([&questions](QWidget*) {
        ++questions;
        return true;
    });
    QSignalSpy done(&check, &UpdateCheck::finished);
    check.start();
    if (done.isEmpty() && !done.wait(20000))
        return false;
    if (asked)
        *asked = questions;
    if (localPath)
        *localPath = check.localPath();
    return done.first().first().toBool();
}

void TestUpdate::versionOrder_data() {
    QTest::addColumn<QString>("current");
    QTest::addColumn<QString>("candidate");
    QTest::addColumn<bool>("newer");
    QTest::newRow("tenth after ninth") << "1.0.9.9"
                                       << "1.0.10.0" << true;
    QTest::newRow("older") << "1.0.10.0"
                           << "1.0.9.9" << false;
    QTest::newRow("missing part is 0") << "1.0.2"
                                       << "1.0.2.0" << false;
    QTest::newRow("longer and larger") << "1.0.2"
                                       << "1.0.2.1" << true;
    QTest::newRow("equal") << "1.0.2.0"
                           << "1.0.2.0" << false;
    QTest::newRow("text counts 0") << "1.0.x.5"
                                   << "1.0.0.6" << true;
    QTest::newRow("empty parts dropped") << "1..2"
                                         << "1.3" << true;
    QTest::newRow("huge part") << "1.0"
                               << "1.99999999999999999999999" << false;
}

void TestUpdate::versionOrder() {
    QFETCH(QString, current);
    QFETCH(QString, candidate);
    QFETCH(bool, newer);
    QCOMPARE(UpdateRules::isNewerVersion(current, candidate), newer);
}

void TestUpdate::listingAndChecksumRules() {
    // Newest wins; equal versions keep the first; case does not matter; near-misses are no names.
    const UpdateRules::Listing l =
        UpdateRules::parseListing("Zentrafox_v1.0.3.0_1.0.0_setup.exe zentrafox_V1.0.10.0_2.0.0_SETUP.EXE "
                                  "Zentrafox_v1.0.10.0_1.0.0_setup.exe "
                                  "Zentrafox_v9.0.0_1.0.0_setup.exe");
    QCOMPARE(l.version, QString("1.0.10.0"));
    QCOMPARE(l.fileName, QString("zentrafox_V1.0.10.0_2.0.0_SETUP.EXE"));
    QVERIFY(UpdateRules::parseListing("<html>nothing</html>").empty());
    QVERIFY(!UpdateRules::secureForDownload(QUrl("http://host/a.exe")));
    QVERIFY(UpdateRules::secureForDownload(QUrl("https://host/a.exe")));
    const QByteArray hex(64, 'a');
    QCOMPARE(UpdateRules::parseChecksum(hex + "\n", "f").size(), 32);
    QCOMPARE(UpdateRules::parseChecksum(hex + " *f", "f").size(), 32);
    QVERIFY(UpdateRules::parseChecksum(hex + "  other", "f").isEmpty());
    QVERIFY(UpdateRules::parseChecksum(hex.left(63), "f").isEmpty());
    QVERIFY(UpdateRules::parseChecksum(QByteArray(63, 'a') + "g", "f").isEmpty());
    QVERIFY(UpdateRules::parseChecksum("", "f").isEmpty());
}

void TestUpdate::newerVersionDownloadedCheckedAndRun() {
    int asked = 0;
    QString path;
    QVERIFY(run(m_https + "/new", "1.0.2.0", &asked, {}, &path));
    QCOMPARE(asked, 1);
    QFile ran(marker());
    QVERIFY(ran.open(QIODevice::ReadOnly));
    QCOMPARE(ran.readAll(), QByteArray("ran\n"));
    QVERIFY(g_log.join('\n').contains("Latest installer found: \"Zentrafox_v1.0.10.0_1.0.0_setup.exe\""));
    QVERIFY(g_log.contains("Installer exit code: 0"));
    // A successful installation leaves its file; the folder is the user's alone.
    QVERIFY(QFile::exists(path));
    QCOMPARE(QFileInfo(QFileInfo(path).path()).permissions() & (QFile::ReadOther | QFile::ReadGroup),
             QFileDevice::Permissions());
    QDir(QFileInfo(path).path()).removeRecursively();
}

void TestUpdate::nothingToInstall_data() {
    QTest::addColumn<QString>("base");
    QTest::addColumn<QString>("installed");
    QTest::addColumn<QString>("line");
    // An error page naming a newer installer: only a whole 200 answer is a listing.
    QTest::newRow("203 is not 200") << m_https + "/203"
                                    << "1.0.2.0"
                                    << "No network or server unreachable, start original program";
    QTest::newRow("empty Ver") << m_https + "/silent"
                               << ""
                               << "Config Ver is empty, skip update check";
    QTest::newRow("nobody listening") << "http://127.0.0.1:1"
                                      << "1.0.2.0"
                                      << "No network or server unreachable, start original program";
}

void TestUpdate::nothingToInstall() {
    QFETCH(QString, base);
    QFETCH(QString, installed);
    QFETCH(QString, line);
    int asked = -1;
    QElapsedTimer t;
    t.start();
    QVERIFY(!run(base, installed, &asked));
    QVERIFY(t.elapsed() < 5000);
    QCOMPARE(asked, 0);
    QVERIFY2(g_log.contains(line), qPrintable(g_log.join('\n')));
}

void TestUpdate::brokenDownloadsAreNeverRun_data() {
    QTest::addColumn<QString>("base");
    QTest::newRow("listing over plain HTTP, installer too") << m_http + "/new";
    QTest::newRow("truncated") << m_https + "/truncated";
    QTest::newRow("checksum mismatch") << m_https + "/badsum";
    QTest::newRow("no checksum") << m_https + "/nosum";
    QTest::newRow("installer cancelled") << m_https + "/exit3";
}

void TestUpdate::brokenDownloadsAreNeverRun() {
    QFETCH(QString, base);
    int asked = 0;
    QString path;
    QVERIFY(!run(base, "1.0.2.0", &asked, {}, &path));
    QCOMPARE(asked, 1);
    // Only the cancelled installer ran; nothing is left behind.
    QCOMPARE(QFile::exists(marker()), base.endsWith("exit3"));
    QVERIFY(path.isEmpty() || !QFile::exists(path));
}

void TestUpdate::silentServerCostsOnlyTheLimits() {
    UpdateCheck::Limits limits;
    limits.listingPhaseMs = 100;
    limits.listingReceiveMs = 300;
    limits.listingCapMs = 900;
    QElapsedTimer t;
    t.start();
    QVERIFY(!run(m_https + "/silent", "1.0.2.0", nullptr, limits));
    QVERIFY2(t.elapsed() < 1500, qPrintable(QString::number(t.elapsed())));
    QVERIFY(t.elapsed() >= 550); // the phases' sum, 3 x 100 + 300, ran out first
    QVERIFY(g_log.join('\n').contains("no answer in time"));
}

void TestUpdate::slowListingKeepsTheWindowLive() {
    QTimer ticker;
    int ticks = 0;
    connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
    ticker.start(50);
    int asked = -1;
    QVERIFY(!run(m_https + "/slow", "1.0.10.0", &asked));
    QVERIFY2(ticks >= 20, qPrintable(QString::number(ticks))); // 1.5 s of answer time, the loop ran
    QCOMPARE(asked, 0);                                        // the newest listed is the installed version
    QVERIFY(g_log.contains("Version is up to date, no update needed"));
}

QTEST_MAIN(TestUpdate)
#include "tst_update.moc"
