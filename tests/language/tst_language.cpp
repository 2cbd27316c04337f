#include "app/core/Language.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextStream>
#include <QtTest>

using Language::Section;

class TstLanguage : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    void write(const QString& rel, const QByteArray& data) {
        QDir().mkpath(m_dir.path() + "/Language");
        QFile f(m_dir.path() + rel);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(data);
    }
    static QString sourceDir() { return qEnvironmentVariable("ZF_SOURCE_DIR"); }

private slots:
    void enabledLanguagesGiveBoxEntriesAndColumns() {
        write("/Language/en.json", "{\"mouse\":{\"home\":{\"Exit\":\"Exit\"}}}");
        write("/Language/ja.json", "{\"mouse\":{\"home\":{\"Exit\":\"終了\"}}}");
        write("/Language/ko.json", "{\"mouse\":{\"home\":{\"Exit\":\"종료\"}}}");
        Language::loadFrom(m_dir.path(), {"Japanese", "English"});
        QCOMPARE(Language::boxNames(), QStringList({"English", "Japanese"}));
        QCOMPARE(Language::text("home", "Exit", 0), QString("Exit"));
        QCOMPARE(Language::text("home", "Exit", 1), QString::fromUtf8("終了"));
        QVERIFY(Language::text("home", "Exit", 2).isEmpty());
        QVERIFY(Language::text("home", "Exit", -1).isEmpty());

        QComboBox box;
        Language::fillBox(&box);
        QCOMPARE(box.count(), 2);
        Language::choose(&box, 1);
        QCOMPARE(Language::currentIndex(), 1);
        QCOMPARE(Language::code(), QString("ja"));
        Language::setCodeFromBoxName("Klingon");
        QCOMPARE(Language::code(), QString("ja"));
    }

    void groupsSectionsAndNesting() {
        write(
            "/Language/en.json",
            "{\n"
            "          \"keyboard\": {\"common\": {\"Only\": \"kb text\"}, \"home\": {\"KbHome\": \"x\"}},\n"
            "          \"mouse\": {\n"
            "            \"home\": {\"Same\": \"home text\"},\n"
            "            \"sensor\": {\"Same\": \"sensor text\", \"deep\": {\"inner\": {\"Nested\": \"nested "
            "text\"}}, \"Empty\": \"\"}\n"
            "          }}");
        Language::loadFrom(m_dir.path(), {"English"});
        QCOMPARE(Language::text("home", "Same", 0), QString("home text"));
        QCOMPARE(Language::text("sensor", "Same", 0), QString("sensor text"));
        QVERIFY(Language::text("common", "Same", 0).isEmpty());
        QCOMPARE(Language::text("sensor", "Nested", 0), QString("nested text"));
        QVERIFY(Language::text("sensor", "inner", 0).isEmpty());
        QVERIFY(Language::text("sensor", "Empty", 0).isEmpty());
        // Keyboard texts stay in keyboard tables; "home" is not a keyboard group at all.
        QVERIFY(Language::text("common", "Only", 0).isEmpty());
        QCOMPARE(Language::text(Section::Keyboard, "common", "Only", 0), QString("kb text"));
        QVERIFY(Language::text(Section::Keyboard, "home", "KbHome", 0).isEmpty());
        QVERIFY(Language::text("home", "KbHome", 0).isEmpty());
    }

    void sectionCarriesOverToNextFile() {
        // The second file has no section member: it continues in the first file's last section.
        write("/Language/en.json", "{\"mouse\":{\"home\":{\"A\":\"a\"}}}");
        write("/Language/zh-CN.json", "{\"home\":{\"B\":\"b\"}}");
        Language::loadFrom(m_dir.path(), {"English", "zh-CN"});
        QCOMPARE(Language::text("home", "B", 1), QString("b"));
    }

    void optionLists() {
        write("/Language/en.json",
              "{\"mouse\":{\n"
              "          \"KeyOptions\":[{\"value\":\"0x0100\",\"label\":\"Left\"}],\n"
              "          \"ReportRates\":[{\"value\":1000,\"option\":\"1000 "
              "Hz\"},{\"value\":\"125\",\"option\":\"125 Hz\"}],\n"
              "          \"InsertEventOptions\":[{\"command\":3,\"option\":\"Delay\"}],\n"
              "          \"tabsList\":[{\"id\":2,\"option\":\"Light\"}],\n"
              "          \"StatusDescriptionList\":[{\"value\":\"ok\",\"option\":\"Fine\"}],\n"
              "          \"receiverStatusList\":[{\"option\":\"Paired\",\"info\":\"ready\"}],\n"
              "          "
              "\"randomDelayList\":[{\"option\":\"G0\",\"value\":0,\"children\":[{\"option\":\"10ms\","
              "\"value\":10}]}]},\n"
              "          "
              "\"keyboard\":{\"modeList\":[{\"value\":1,\"option\":\"Game\"}],\"ReportRates\":[{\"value\":"
              "500,\"option\":\"kb 500\"}],\n"
              "          "
              "\"keyboardKeyfunctions\":[{\"type\":\"0x02\",\"label\":\"Mute\",\"value\":\"0xE2\"}],\n"
              "          \"KeyOptions\":[{\"value\":\"x\",\"label\":\"not for keyboard\"}]}}");
        Language::loadFrom(m_dir.path(), {"English"});
        QCOMPARE(Language::options("KeyOptions", 0).value("0x0100"), QString("Left"));
        QCOMPARE(Language::options("ReportRates", 0).value("1000"), QString("1000 Hz"));
        QCOMPARE(Language::options("ReportRates", 0).value("125"), QString("125 Hz"));
        QCOMPARE(Language::options(Section::Keyboard, "ReportRates", 0).value("500"), QString("kb 500"));
        QCOMPARE(Language::options("InsertEventOptions", 0).value("3"), QString("Delay"));
        QCOMPARE(Language::options("tabsList", 0).value("2"), QString("Light"));
        QCOMPARE(Language::options("StatusDescriptionList", 0).value("ok"), QString("Fine"));
        QCOMPARE(Language::receiverStatus(0).value(0).second, QString("ready"));
        const auto delays = Language::randomDelays(0);
        QCOMPARE(delays.size(), 1);
        QCOMPARE(delays[0].children.value(0).value, 10);
        QCOMPARE(Language::options(Section::Keyboard, "modeList", 0).value("1"), QString("Game"));
        QVERIFY(Language::options(Section::Keyboard, "KeyOptions", 0).isEmpty());
        QVERIFY(Language::options("modeList", 0).isEmpty());
        QCOMPARE(Language::keyboardKeyFunctions("0x02", 0).value(0).first, QString("Mute"));
        QVERIFY(Language::options("ReportRates", 1).isEmpty());
    }

    void brokenOrMissingFilesKeepTheirIndex() {
        write("/Language/en.json", "{\"mouse\":{\"home\":{\"Exit\": \"Exit\""); // truncated
        QFile::remove(m_dir.path() + "/Language/zh-CN.json");
        write("/Language/zh-TW.json", "{\"mouse\":{\"home\":{\"Exit\":\"離開\"}}}");
        Language::loadFrom(m_dir.path(), {"English", "zh-CN", "zh-CNtr"});
        QCOMPARE(Language::loadedCount(), 3);
        QVERIFY(Language::text("home", "Exit", 0).isEmpty());
        QVERIFY(Language::text("home", "Exit", 1).isEmpty());
        QCOMPARE(Language::text("home", "Exit", 2), QString::fromUtf8("離開"));
    }

    void netLabels() {
        write("/Language/Net.xml", "<Profile><MouseOffLine><label>off</label><label_1>OK</label_1>"
                                   "</MouseOffLine></Profile>");
        Language::loadFrom(m_dir.path(), {});
        QCOMPARE(Language::netLabels("MouseOffLine"), QStringList({"off", "OK"}));
        QVERIFY(Language::netError().isEmpty());
        write("/Language/Net.xml", "<Other><MouseOffLine><label>off</label></MouseOffLine></Other>");
        Language::loadFrom(m_dir.path(), {});
        QVERIFY(Language::netLabels("MouseOffLine").isEmpty());
        QCOMPARE(Language::netError(), QString("Not a labels file"));
    }

    // Every key listed beside the files, and every literal lookup in the sources, exists in every
    // shipped language that is complete enough to be enabled.
    void shippedFilesHaveEveryKey() {
        const QString lang = sourceDir() + "/resources/Language";
        QFile keysFile(lang + "/keys.txt");
        QVERIFY(keysFile.open(QIODevice::ReadOnly | QIODevice::Text));
        QSet<QPair<QString, QString>> keys;
        for (const QString& line : QString::fromUtf8(keysFile.readAll()).split('\n')) {
            const QStringList parts = line.split(' ', Qt::SkipEmptyParts);
            if (parts.size() == 2 && !line.startsWith('#'))
                keys.insert({parts[0], parts[1]});
        }
        QVERIFY(keys.size() > 50);

        const QRegularExpression call("Language::text\\(\\s*(?:QStringLiteral\\()?\"(\\w+)\"\\)?\\s*,\\s*(?:"
                                      "QStringLiteral\\()?\"([^\"]+)\"");
        QStringList missingFromList;
        for (const char* dir : {"app", "sensor", "buttons", "macro", "light", "profile", "device"}) {
            QDirIterator it(sourceDir() + "/" + dir, {"*.cpp", "*.h"}, QDir::Files,
                            QDirIterator::Subdirectories);
            while (it.hasNext()) {
                QFile f(it.next());
                QVERIFY(f.open(QIODevice::ReadOnly));
                auto m = call.globalMatch(QString::fromUtf8(f.readAll()));
                while (m.hasNext()) {
                    const auto hit = m.next();
                    if (!keys.contains({hit.captured(1), hit.captured(2)}))
                        missingFromList
                            << hit.captured(1) + " " + hit.captured(2) + " (" + it.filePath() + ")";
                }
            }
        }
        QVERIFY2(missingFromList.isEmpty(), qPrintable("not in keys.txt: " + missingFromList.join(", ")));

        QStringList all;
        for (const auto& l : Language::allLanguages())
            if (QFile::exists(sourceDir() + "/resources" + l.file))
                all << l.optionKey;
        QVERIFY(all.contains("English") && all.contains("zh-CN"));
        Language::loadFrom(sourceDir() + "/resources", all);
        QStringList missing;
        for (int i = 0; i < Language::loadedCount(); ++i)
            for (const auto& k : keys)
                if (Language::text(k.first, k.second, i).isEmpty())
                    missing << Language::boxNames()[i] + ": " + k.first + " " + k.second;
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(", ")));
        QCOMPARE(Language::options("ReportRates", 0).value("1000"), QString("1000 Hz"));
    }
};

QTEST_MAIN(TstLanguage)
#include "tst_language.moc"
