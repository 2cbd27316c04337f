#include "app/core/Language.h"
#include "app/core/LanguageQt.h"
#include "app/ui/LanguageBox.h"
#include "app/ui/QtDialogDates.h"
#include "tests/common/AllLanguages.h"

#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QRegularExpression>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>
#include <tuple>

using Language::Section;

namespace {
// keys.txt lists every mouse text and map-list entry of the shipped files; the sources may look up
// only what it lists, and every one of the eleven languages must hold all of it.
struct KeyList {
    QSet<QPair<QString, QString>> texts; // (group, key)
    QSet<QPair<QString, QString>> lists; // (list, key)
};
KeyList readKeyList() {
    KeyList k;
    QFile f(qEnvironmentVariable("ZF_SOURCE_DIR") + "/resources/Language/keys.txt");
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return k;
    for (QString line : QString::fromUtf8(f.readAll()).split('\n')) {
        line = line.section('\t', 0, 0); // the English text after the tab is for people
        // "group key" or "@list key"; a key may hold spaces ("DPI Lock").
        const int space = line.indexOf(' ');
        if (space <= 0 || space == line.size() - 1 || line.startsWith('#'))
            continue;
        const QStringList parts = {line.left(space), line.mid(space + 1)};
        if (parts[0].startsWith('@'))
            k.lists.insert({parts[0].mid(1), parts[1]});
        else
            k.texts.insert({parts[0], parts[1]});
    }
    return k;
}
} // namespace

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

        // A broken or missing file keeps its column, empty; a file without a section member continues
        // in the section the one before it ended in.
        write("/Language/en.json", "{\"mouse\":{\"home\":{\"Exit\": \"Exit\""); // truncated
        write("/Language/zh-CN.json", "{\"mouse\":{\"home\":{\"A\":\"a\"}}}");
        write("/Language/zh-TW.json", "{\"home\":{\"Exit\":\"離開\"}}");
        QFile::remove(m_dir.path() + "/Language/ja.json");
        Language::loadFrom(m_dir.path(), {"English", "Japanese", "zh-CN", "zh-CNtr"});
        QCOMPARE(Language::loadedCount(), 4); // in the table's order: English, zh-CN, zh-CNtr, Japanese
        // Asked for first, before the files ahead of it were read.
        QCOMPARE(Language::text("home", "Exit", 2), QString::fromUtf8("離開"));
        QVERIFY(Language::text("home", "Exit", 0).isEmpty() && Language::text("home", "Exit", 3).isEmpty());
        QCOMPARE(Language::text("home", "A", 1), QString("a"));
    }

    void groupsSectionsAndNesting() {
        write("/Language/en.json", R"({
            "keyboard": {"common": {"Only": "kb text"}, "home": {"KbHome": "x"}},
            "mouse": {"home": {"Same": "home text"},
                      "sensor": {"Same": "sensor text", "Empty": "",
                                 "deep": {"inner": {"Nested": "nested text"}}}}
        })");
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

    void optionLists() {
        write("/Language/en.json", R"({"mouse": {
            "KeyOptions": [{"value": "0x0100", "label": "Left"}],
            "ReportRates": [{"value": 1000, "option": "1000 Hz"}, {"value": "125", "option": "125 Hz"}],
            "InsertEventOptions": [{"command": 3, "option": "Delay"}],
            "tabsList": [{"id": 2, "option": "Light"}],
            "StatusDescriptionList": [{"value": "ok", "option": "Fine"}],
            "receiverStatusList": [{"option": "Paired", "info": "ready"}],
            "randomDelayList": [{"option": "G0", "value": 0, "children": [{"option": "10ms", "value": 10}]}]},
          "keyboard": {"modeList": [{"value": 1, "option": "Game"}],
            "ReportRates": [{"value": 500, "option": "kb 500"}],
            "keyboardKeyfunctions": [{"type": "0x02", "label": "Mute", "value": "0xE2"}],
            "KeyOptions": [{"value": "x", "label": "not for keyboard"}]}})");
        Language::loadFrom(m_dir.path(), {"English"});
        // Each list's own names for the key and the text.
        for (auto [list, key, text] : {std::tuple{"KeyOptions", "0x0100", "Left"},
                                       {"ReportRates", "1000", "1000 Hz"},
                                       {"ReportRates", "125", "125 Hz"},
                                       {"InsertEventOptions", "3", "Delay"},
                                       {"tabsList", "2", "Light"},
                                       {"StatusDescriptionList", "ok", "Fine"}})
            QCOMPARE(Language::options(list, 0).value(key), QString(text));
        QCOMPARE(Language::options(Section::Keyboard, "ReportRates", 0).value("500"), QString("kb 500"));
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

        // Nested far below what a labels file needs: refused before the recursive DOM parser overflows
        // the stack (it did from about 50 000 levels), and the start goes on with empty labels.
        const int levels = 200000;
        write("/Language/Net.xml", "<Profile><MouseOffLine><label>off</label></MouseOffLine>" +
                                       QByteArray("<a>").repeated(levels) +
                                       QByteArray("</a>").repeated(levels) + "</Profile>");
        Language::loadFrom(m_dir.path(), {});
        QVERIFY(Language::netLabels("MouseOffLine").isEmpty());
        QVERIFY2(Language::netError().contains("deeper"), qPrintable(Language::netError()));
        // The limit leaves room for markup inside a label.
        QHash<QString, QStringList> labels;
        QString error;
        QVERIFY2(
            Language::parseLabels("<Profile><D><label><b><i>x</i></b>y</label></D></Profile>", labels, error),
            qPrintable(error));
        QCOMPARE(labels.value("D"), QStringList({"xy"}));
        QVERIFY(!Language::parseLabels("<Profile><D><label>x</label></D>", labels, error)); // unclosed
        QVERIFY(labels.isEmpty() && !error.isEmpty());
    }

    void sourcesLookUpOnlyListedKeys() {
        const KeyList keys = readKeyList();
        QVERIFY(keys.texts.size() > 200);
        QSet<QString> listNames;
        for (const auto& l : keys.lists)
            listNames.insert(l.first);
        const QSet<QString> groups = {
            "AdvancedSettings", "Settings", "common", "home", "infoTips", "key", "light", "macro", "pair",
            "sensor",           "update"};
        const QString lit = "(?:QStringLiteral\\(|QLatin1String\\()?\"([^\"]+)\"\\)?";
        const QRegularExpression textCall("Language::text\\(\\s*" + lit + "\\s*,\\s*(?:" + lit + ")?");
        const QRegularExpression noticeCall("noticeText\\(\\s*" + lit);
        const QRegularExpression listCall("Language::options\\(\\s*" + lit);
        QStringList wrong;
        int lookups = 0;
        for (const char* dir : {"app", "sensor", "buttons", "macro", "light", "profile", "device"}) {
            QDirIterator it(sourceDir() + "/" + dir, {"*.cpp", "*.h"}, QDir::Files,
                            QDirIterator::Subdirectories);
            while (it.hasNext()) {
                QFile f(it.next());
                QVERIFY(f.open(QIODevice::ReadOnly));
                const QString src = QString::fromUtf8(f.readAll());
                const QString where = " (" + QDir(sourceDir()).relativeFilePath(it.filePath()) + ")";
                // Each call's group and key, or list, must be one keys.txt lists.
                for (auto m = textCall.globalMatch(src); m.hasNext(); ++lookups) {
                    const auto hit = m.next();
                    if (!groups.contains(hit.captured(1)) ||
                        (!hit.captured(2).isEmpty() &&
                         !keys.texts.contains({hit.captured(1), hit.captured(2)})))
                        wrong << hit.captured(1) + " " + hit.captured(2) + where;
                }
                for (auto m = noticeCall.globalMatch(src); m.hasNext(); ++lookups)
                    if (const auto hit = m.next(); !keys.texts.contains({"common", hit.captured(1)}))
                        wrong << "common " + hit.captured(1) + where;
                for (auto m = listCall.globalMatch(src); m.hasNext(); ++lookups)
                    if (const auto hit = m.next(); !listNames.contains(hit.captured(1)))
                        wrong << "list " + hit.captured(1) + where;
            }
        }
        QVERIFY(lookups > 10);
        QVERIFY2(wrong.isEmpty(), qPrintable("not in keys.txt: " + wrong.join(", ")));
    }

    void everyLanguageHasEveryKey() {
        const KeyList keys = readKeyList();
        QCOMPARE(AllLanguages::load(), 11);
        QVERIFY(Language::netError().isEmpty());
        QStringList missing;
        for (int i = 0; i < Language::loadedCount(); ++i) {
            const QString lang = Language::boxNames()[i] + ": ";
            int sameAsEnglish = 0;
            for (const auto& k : keys.texts) {
                const QString t = Language::text(k.first, k.second, i);
                if (t.isEmpty())
                    missing << lang + k.first + " " + k.second;
                sameAsEnglish += t == Language::text(k.first, k.second, 0);
            }
            for (const auto& k : keys.lists)
                if (Language::options(k.first, i).value(k.second).isEmpty())
                    missing << lang + "@" + k.first + " " + k.second;
            if (Language::receiverStatus(i).size() != 4 || Language::randomDelays(i).size() != 10)
                missing << lang + "receiverStatusList or randomDelayList";
            for (const char* kb : {"OK", "Cancel", "DialogOffline"})
                if (Language::text(Section::Keyboard, "common", kb, i).isEmpty())
                    missing << lang + "keyboard common " + kb;
            if (Language::options(Section::Keyboard, "modeList", i).isEmpty() ||
                Language::keyboardKeyFunctions("0x02", i).isEmpty())
                missing << lang + "keyboard lists";
            // A translation, not a copy: only units, numbers and names may read as in English.
            if (i > 0 && sameAsEnglish * 4 > keys.texts.size())
                missing << lang + QString::number(sameAsEnglish) + " texts identical to English";
        }
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(", ")));

        // Spot checks of the shapes the pages rely on.
        QCOMPARE(QString(Language::options("ProfileOptions", 1).value("0")).remove(QLatin1Char('1')),
                 QString::fromUtf8("配置"));
        QCOMPARE(Language::text("light", "6", 0), QString("Custom"));
        QCOMPARE(Language::options("KeyOptions", 0).value("0x00CD"), QString("Play/Pause"));
        QCOMPARE(Language::randomDelays(0).value(9).children.value(1).value, 1000);
        // Keyboard texts stay in keyboard tables even though the files share group names.
        QCOMPARE(Language::text(Section::Keyboard, "common", "DialogOffline", 0),
                 QString("The keyboard is offline"));
        QVERIFY(Language::text("common", "DialogOffline", 0).startsWith("The mouse"));
        QCOMPARE(Language::netLabels("MouseOffLine").value(0), Language::text("common", "DialogOffline", 0));
    }

    // Qt's own dialogs speak the chosen language: every language of the box finds Qt's catalogue under
    // its locale name; English, an unknown index and a broken catalogue give Qt's English back.
    void qtOwnTextsFollowTheLanguage() {
        const QString folder = LanguageQt::systemFolder();
        if (!QFile::exists(folder + "/qtbase_ru.qm"))
            QSKIP("Qt's translations (qttranslations5-l10n) are not installed");
        const QStringList all = AllLanguages::keys();
        const auto cancel = [] { return QCoreApplication::translate("QPlatformTheme", "Cancel"); };
        for (int i = 0; i < all.size(); ++i) {
            const bool english = all[i] == "English";
            QVERIFY2(LanguageQt::apply(i, all, folder) != english, qPrintable(all[i]));
            QVERIFY2((cancel() == "Cancel") == english, qPrintable(all[i] + ": " + cancel()));
        }
        QVERIFY(LanguageQt::apply(1, {"Russian", "English"}, folder)); // counted in list order
        QCOMPARE(cancel(), QString::fromUtf8("Отмена"));
        QVERIFY(!LanguageQt::apply(0, {"Russian", "English"}, folder));
        QCOMPARE(cancel(), QString("Cancel"));
        QVERIFY(LanguageQt::apply(3, all, folder));
        QVERIFY(!LanguageQt::apply(11, all, folder));
        QCOMPARE(cancel(), QString("Cancel"));
        write("/Language/qtbase_ru.qm", "not a catalogue");
        QVERIFY(!LanguageQt::apply(6, all, m_dir.path() + "/Language"));
        QCOMPARE(cancel(), QString("Cancel"));
    }

    // Dates and numbers of Qt's own dialogs follow the language too (the file dialog's dates would
    // otherwise come from the system's locale); digits stay Western, as on the pages.
    void qtDialogDatesAndNumbersFollowTheLanguage() {
        const QStringList all = AllLanguages::keys();
        for (int i = 0; i < all.size(); ++i) {
            LanguageQt::apply(i, all, m_dir.path());
            QVERIFY2(QLocale().zeroDigit() == '0' &&
                         QLocale().toString(1600).remove(QLocale().groupSeparator()) == "1600",
                     qPrintable(all[i]));
        }
        LanguageQt::apply(all.indexOf("Arbic"), all, m_dir.path());
        QVERIFY(QLocale().language() == QLocale::Arabic && QLocale().textDirection() == Qt::RightToLeft);

        LanguageQt::apply(all.indexOf("Russian"), all, m_dir.path());
        QCOMPARE(QLocale().language(), QLocale::Russian);
        const QString file = m_dir.path() + "/dated.bin";
        write("/dated.bin", "x");
        const QDateTime when(QDate(2024, 3, 5), QTime(14, 30));
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadWrite) && f.setFileTime(when, QFileDevice::FileModificationTime));
        f.close();
        QFileDialog dialog(nullptr, QString(), m_dir.path());
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setViewMode(QFileDialog::Detail);
        QtDialogDates::install(*qApp);
        dialog.show();
        QAbstractProxyModel* proxy = dialog.proxyModel();
        auto* files = dialog.findChild<QFileSystemModel*>();
        QVERIFY(proxy && files);
        // Wide enough for the date column, within the screen.
        QVERIFY(dialog.width() >= qMin(820, dialog.screen()->availableGeometry().width() * 9 / 10));
        QTRY_VERIFY(files->index(file).isValid() && files->rowCount(files->index(m_dir.path())) > 0);
        const QModelIndex date = proxy->mapFromSource(files->index(file)).siblingAtColumn(3);
        QCOMPARE(proxy->data(date).toString(),
                 QLocale(QLocale::Russian).toString(when, QLocale::ShortFormat));
        LanguageQt::apply(0, all, m_dir.path());
    }
};

QTEST_MAIN(TstLanguage)
#include "tst_language.moc"
