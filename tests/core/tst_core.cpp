#include "app/core/AppPaths.h"
#include "app/core/ConfigCodec.h"
#include "app/core/IniStores.h"
#include "device/HidApi.h"
#include "platform/RegistryStore.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

class TestCore : public QObject {
    Q_OBJECT
private slots:
    void codec();
    void configStoreEncodesAllButPlainKeys();
    void storeFiles();
    void legacyUserFolderMovesOnce();
    void programFoldersOfBuildAndInstall();
    void registryIsNativeSettingsUnderXdgConfig();
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
    QCOMPARE(AppPaths::userDataRoot(), QDir::homePath() + "/.local/share/Zentrafox");
    QTemporaryDir data;
    qputenv("XDG_DATA_HOME", data.path().toLocal8Bit());
    QCOMPARE(AppPaths::userDataRoot(), data.path() + "/Zentrafox");
    qunsetenv("XDG_DATA_HOME");
    store.setValue("Language", "Language", "3");
    QCOMPARE(store.intValue("Language", "Language"), 3);
}

namespace {
void writeFile(const QString& path, const QByteArray& content) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write(content) == content.size());
}
QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}
} // namespace

void TestCore::legacyUserFolderMovesOnce() {
    QTemporaryDir home;
    const QString legacy = home.path() + "/AppData/Local/Zentrafox", fresh = home.path() + "/data/Zentrafox";
    const QStringList files = {"/Macro.ini", "/usersetting/MacroPage/Fire.ini", "/Device_Info/Drive3.dat",
                               "/usersetting/SensorPage/Level.ini", "/Exception/.hidden"};
    for (const QString& f : files)
        writeFile(legacy + f, f.toUtf8());
    QVERIFY(AppPaths::moveUserData(legacy, fresh));
    for (const QString& f : files)
        QCOMPARE(readFile(fresh + f), f.toUtf8());
    QVERIFY(!QFileInfo::exists(home.path() + "/AppData")); // the parents were only ever ours
    QVERIFY(AppPaths::moveUserData(legacy, fresh));        // the next start: nothing to do
    QCOMPARE(readFile(fresh + "/Macro.ini"), QByteArray("/Macro.ini"));

    // A folder already started in the new place: the legacy files join it, none replaces a newer one,
    // and what could not move stays where it was; a parent holding something else is left alone.
    writeFile(legacy + "/Macro.ini", "old");
    writeFile(legacy + "/usersetting/MacroPage/Old.ini", "old macro");
    writeFile(home.path() + "/AppData/Local/Other/keep", "x");
    QVERIFY(!AppPaths::moveUserData(legacy, fresh));
    QCOMPARE(readFile(fresh + "/Macro.ini"), QByteArray("/Macro.ini"));
    QCOMPARE(readFile(fresh + "/usersetting/MacroPage/Old.ini"), QByteArray("old macro"));
    QCOMPARE(readFile(legacy + "/Macro.ini"), QByteArray("old"));
    QVERIFY(!QFileInfo::exists(legacy + "/usersetting"));
    QVERIFY(QFileInfo::exists(home.path() + "/AppData/Local/Other/keep"));

    // The real entry point: under HOME, to $XDG_DATA_HOME.
    QVERIFY(QFile::remove(legacy + "/Macro.ini") && QDir().rmdir(legacy));
    writeFile(AppPaths::legacyUserDataRoot() + "/Device_Info/cache", "record");
    QVERIFY(AppPaths::migrateLegacyUserData());
    QCOMPARE(readFile(AppPaths::userDataRoot() + "/Device_Info/cache"), QByteArray("record"));
    QVERIFY(!QFileInfo::exists(AppPaths::legacyUserDataRoot()));
}

void TestCore::programFoldersOfBuildAndInstall() {
    QTemporaryDir root;
    // A build: the shipped files beside the executable.
    writeFile(root.path() + "/build/Zentrafox/usersetting/Config.ini", "");
    AppPaths::ProgramFolders f = AppPaths::programFolders(root.path() + "/build/Zentrafox");
    QCOMPARE(f.data, root.path() + "/build/Zentrafox");
    QCOMPARE(f.deviceLibrary, root.path() + "/build/Zentrafox/libHIDUsb.so");
    // Installed (here into a staging folder): bin/, share/zentrafox, the library in the private folder.
    QVERIFY(QDir().mkpath(root.path() + "/usr/bin") && QDir().mkpath(root.path() + "/usr/share/zentrafox"));
    f = AppPaths::programFolders(root.path() + "/usr/bin");
    QCOMPARE(f.data, root.path() + "/usr/share/zentrafox");
    QVERIFY2(f.deviceLibrary.startsWith(root.path() + "/usr/lib") &&
                 f.deviceLibrary.endsWith("/zentrafox/libHIDUsb.so") && !f.deviceLibrary.contains("/.."),
             qPrintable(f.deviceLibrary));
    // Neither: files are looked for beside the executable (and read as missing).
    f = AppPaths::programFolders(root.path() + "/elsewhere");
    QCOMPARE(f.data, root.path() + "/elsewhere");
    // The test's own executable is in neither layout; ZF_APP_DIR still wins for the shipped files.
    qputenv("ZF_APP_DIR", "/some/app");
    QCOMPARE(AppPaths::appDir(), QString("/some/app"));
    qunsetenv("ZF_APP_DIR");
    QCOMPARE(AppPaths::deviceLibraryFile(), QCoreApplication::applicationDirPath() + "/libHIDUsb.so");
}

void TestCore::registryIsNativeSettingsUnderXdgConfig() {
    const QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    QVERIFY2(!config.isEmpty(), "run through tests/run-isolated.sh");
    // Earlier builds left one INI file per key path under ~/.config/Zentrafox/registry: taken over once.
    const QString legacy = QDir::homePath() + "/.config/Zentrafox/registry/Software/Zentrafox/Zentrafox/";
    writeFile(legacy + "Zentrafox.ini", "[General]\nLanguageIndex=3\n");
    writeFile(legacy + "Vodir Eziza Rode.ini", "[General]\nUpdateFailInfo=\"211,1,3,4\"\n");

    RegistryStore versions("Software/Zentrafox/Zentrafox/Vodir Eziza Rode");
    QCOMPARE(versions.fileName(), config + "/Zentrafox/Zentrafox.conf");
    QCOMPARE(versions.value("UpdateFailInfo").toString(), QString("211,1,3,4"));
    versions.setValue("MouseVer1A2B", "v1.05");
    RegistryStore language("HKEY_CURRENT_USER\\Software\\Zentrafox\\Zentrafox\\Zentrafox");
    QCOMPARE(language.value("LanguageIndex").toInt(), 3);
    QVERIFY(!QFileInfo::exists(QDir::homePath() + "/.config/Zentrafox/registry"));
    QVERIFY(!language.contains("MouseVer1A2B")); // subkeys stay apart

    // The file is Qt's own native format: the subkey is a group.
    QSettings raw(config + "/Zentrafox/Zentrafox.conf", QSettings::IniFormat);
    QCOMPARE(raw.value("Vodir Eziza Rode/MouseVer1A2B").toString(), QString("v1.05"));
    versions.remove("UpdateFailInfo");
    QVERIFY(!RegistryStore("Software/Zentrafox/Zentrafox/Vodir Eziza Rode").contains("UpdateFailInfo"));
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
