#include "app/core/AppPaths.h"
#include "app/core/ConfigCodec.h"
#include "app/core/IniStores.h"
#include "device/HidApi.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

class TestCore : public QObject {
    Q_OBJECT
private slots:
    void codec();
    void configStoreEncodesAllButPlainKeys();
    void storeFiles();
    void loaderRefusesMissingOrPartialLibrary();
};

void TestCore::codec() {
    for (const QString& plain : {QString(), QStringLiteral("LabelColor 255, Zz09"),
                                 QStringLiteral("https://updates.example.org/zentrafox/"),
                                 QStringLiteral("鼠标设置 テスト"), QStringLiteral("فأرة")}) {
        const QString encoded = ConfigCodec::encode(plain);
        QCOMPARE(ConfigCodec::decode(encoded), plain);
        // Text with letters or digits is not stored as its plain Base64: the substitution is part of it.
        if (plain.contains(QRegularExpression("[A-Za-z0-9]")))
            QVERIFY(encoded != QString::fromLatin1(plain.toUtf8().toBase64()));
    }
    QCOMPARE(ConfigCodec::decode(QStringLiteral("%%%not base64%%%")), QString());
    QCOMPARE(ConfigCodec::substitute(ConfigCodec::substitute(QStringLiteral("Az9 x"))),
             QStringLiteral("Az9 x"));
}

void TestCore::configStoreEncodesAllButPlainKeys() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QDir().mkpath(dir.path() + "/usersetting");
    const QString file = dir.path() + "/usersetting/Config.ini";
    {
        IniStore store(file, "UTF8", true);
        store.setValue("Option", "UpdateURL", "http://example.org/");
        store.setValue("Drive1", "Sensor", "3395");
        store.setList("Option", "LabelColor", {"255", "128", "0"});
        store.setList("Option", "VID", {"373B", "1234"});
        store.sync();
    }
    QFile raw(file);
    QVERIFY(raw.open(QIODevice::ReadOnly));
    const QByteArray text = raw.readAll();
    QVERIFY(!text.contains("example.org"));
    QVERIFY(text.contains("Sensor=3395"));
    QVERIFY(text.contains("373B"));

    IniStore store(file, "UTF8", true);
    QCOMPARE(store.value("Option", "UpdateURL"), QStringLiteral("http://example.org/"));
    QCOMPARE(store.list("Option", "LabelColor"), QStringList({"255", "128", "0"}));
    QCOMPARE(store.value("Option", "LabelColor"), QStringLiteral("255,128,0"));
    QCOMPARE(store.list("Option", "VID"), QStringList({"373B", "1234"}));
    QCOMPARE(store.intValue("Drive1", "Sensor"), 3395);
    QCOMPARE(store.value("Option", "Missing"), QString());
    QCOMPARE(store.list("Option", "Missing"), QStringList());
    QCOMPARE(store.intValue("Option", "Missing", 7), 7);
}

void TestCore::storeFiles() {
    // The program's table may be missing: it reads as empty.
    QTemporaryDir dir;
    qputenv("ZF_APP_DIR", dir.path().toLocal8Bit());
    ConfigIniStore::resetForTests();
    QCOMPARE(ConfigIniStore::instance().value("Option", "Ver"), QString());
    QVERIFY(ConfigIniStore::instance().fileName().endsWith("/usersetting/Config.ini"));
    qunsetenv("ZF_APP_DIR");
    ConfigIniStore::resetForTests();
    // The macro store is the user's own, in plain text.
    MacroIniStore::resetForTests();
    IniStore& store = MacroIniStore::instance();
    QCOMPARE(store.fileName(), AppPaths::userDataRoot() + "/Macro.ini");
    QVERIFY(AppPaths::userDataRoot().startsWith(QDir::homePath()) &&
            AppPaths::userDataRoot().endsWith("/AppData/Local/Zentrafox"));
    store.setValue("Language", "Language", "3");
    QCOMPARE(store.intValue("Language", "Language"), 3);
}

void TestCore::loaderRefusesMissingOrPartialLibrary() {
    QVERIFY(!HidLibrary::load(QStringLiteral("/nonexistent/libHIDUsb.so")));
    QCOMPARE(HidLibrary::missingSymbols().size(), 47);
    // Every call is a safe failure: finders report no devices.
    int count = 5;
    QVERIFY(!hid().UsbFinderC_FindHidDevicesByDefaultDeviceId("373B", "1001", &count));
    QCOMPARE(count, 0);
    QCOMPARE(hid().UsbFinderC_GetDeviceOnLine("a"), 0);
    hid().UsbServer_Exit();

    const QString partial = qEnvironmentVariable("ZF_PARTIAL_HID");
    QVERIFY2(QFile::exists(partial), qPrintable(partial));
    QVERIFY(!HidLibrary::load(partial));
    QCOMPARE(HidLibrary::missingSymbols(), QStringList{"UsbFinderC_GetVersion"});
    QVERIFY(HidLibrary::errorText().contains("UsbFinderC_GetVersion"));
    // None of the partial library's functions is used, though each would answer "success".
    QCOMPARE(hid().UsbFinderC_GetDeviceOnLine("x"), 0);
    HidApi api;
    QStringList missing;
    QString error;
    QVERIFY(!HidLibrary::resolveInto(partial, api, missing, error));
    QCOMPARE(api.UsbServer_ReadAllFlashData(), 0);
}

QTEST_MAIN(TestCore)
#include "tst_core.moc"
