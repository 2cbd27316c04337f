// The look: one dark theme over every widget and Qt dialog, captions from the language files that fit in
// every language, the layout direction of the language, translucent frameless windows, and the pictures
// every row of the shipped device table names.
#include "app/Dialog.h"
#include "app/DialogChange.h"
#include "app/DialogMain.h"
#include "app/PreVier.h"
#include "app/core/AppPaths.h"
#include "app/core/IniStores.h"
#include "app/core/Language.h"
#include "app/core/PostMsg.h"
#include "app/notices/ExeIsRun.h"
#include "app/notices/QuestionDialog.h"
#include "app/notices/SimpleNotices.h"
#include "app/notices/UpDataParam.h"
#include "app/ui/Theme.h"
#include "device/HidApi.h"

#include <QAbstractButton>
#include <QApplication>
#include <QColorDialog>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QStackedWidget>
#include <QStyleOptionComboBox>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>
#include <memory>

namespace {
int languageIndex(const QString& boxName) {
    return Language::boxNames().indexOf(boxName);
}

// Problems of one widget tree: a light background role or text too close to its background.
QStringList lightWidgets(QWidget* root) {
    QStringList bad;
    QList<QWidget*> all = root->findChildren<QWidget*>();
    all.prepend(root);
    for (QWidget* w : all) {
        if (!w->isVisibleTo(root))
            continue;
        w->ensurePolished();
        const QPalette p = w->palette();
        QColor back = p.color(w->backgroundRole());
        if (back.alpha() < 128) // a faint tint: the dark window behind it shows
            back = Theme::window();
        const QColor fore = p.color(w->foregroundRole());
        const QString name = QString::fromLatin1(w->metaObject()->className()) + "#" + w->objectName();
        if (back.lightness() > 140)
            bad << name + " background " + back.name();
        const bool hasText = qobject_cast<QLabel*>(w) || qobject_cast<QAbstractButton*>(w);
        // Saturated level colours (the DPI levels' own) are legible at a smaller lightness gap than grey.
        if (hasText && w->isEnabled() && qAbs(fore.lightness() - back.lightness()) < 70)
            bad << name + " text " + fore.name() + " on " + back.name();
    }
    return bad;
}

// The most frequent strongly coloured hue of a picture (grey outlines and backgrounds ignored).
int dominantHue(const QImage& image) {
    QHash<int, int> counts;
    for (int y = 0; y < image.height(); y += 2)
        for (int x = 0; x < image.width(); x += 2) {
            const QColor c = QColor::fromRgba(image.pixel(x, y));
            if (c.alpha() > 128 && c.hsvSaturation() > 120 && c.value() > 120)
                ++counts[c.hsvHue() / 10];
        }
    int best = -1, bestCount = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > bestCount) {
            best = it.key();
            bestCount = it.value();
        }
    return best < 0 ? -1 : best * 10;
}
} // namespace

class TestLook : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY2(HidLibrary::load(qEnvironmentVariable("ZF_FAKE_HID")), qPrintable(HidLibrary::errorText()));
        Language::load();
        Theme::apply(*qApp); // as the program does before its first window
        QVERIFY(languageIndex("Russian") > 0 && languageIndex("Arbic") > 0);
    }

    void cleanup() { PostMsg::instance()->SendAllLanguage(0); }

    // Captions come from the language files and fit their widgets in every language; the layout direction
    // follows the language.
    void captionsAndDirectionFollowTheLanguage() {
        DialogMain w;
        Dialog* frame = w.frame();
        PreVier* summary = w.findChild<PreVier*>();
        QVERIFY(frame && summary);
        PostMsg* hub = PostMsg::instance();
        hub->SendAddReport(1000);
        hub->SendAddLOD(Language::options("LODOptions", 0).value("10"));
        QVERIFY(!Language::options("LODOptions", 0).value("10").isEmpty());

        const QStringList pages = {"PreButton",    "ButtonMain", "SensorButton", "MacroButton",
                                   "LightsButton", "Advanced",   "FormSetting"};
        const QStringList captions = {"labelDPI",    "labelReportRate", "labelLOD",      "labelDebounce",
                                      "labelConfig", "labelMouseVer",   "labelDongleVer"};
        for (int lang = 0; lang < Language::loadedCount(); ++lang) {
            hub->SendAllLanguage(lang);
            const QMap<QString, QString> tabs = Language::options("tabsList", lang);
            for (int i = 0; i < pages.size(); ++i) {
                QToolButton* b = frame->button(qPrintable(pages[i]));
                QCOMPARE(b->text(), tabs.value(QString::number(i)));
                QVERIFY(!b->text().isEmpty());
                // Every caption at the row's one size: none is shrunk to fit.
                QVERIFY2(QFontMetrics(b->font()).horizontalAdvance(b->text()) <= b->width() - 38 &&
                             b->font().pixelSize() == 12,
                         qPrintable(QString("%1 in language %2").arg(b->text()).arg(lang)));
                // The pictures are drawn for the button's size: centred in a wider one they would shift.
                QCOMPARE(QImage(AppPaths::appDir() + "/Picture/Dialog/PreHover.png").size(), b->size());
            }
            for (const QString& name : captions) {
                QLabel* l = summary->label(qPrintable(name));
                const QRect needed = QFontMetrics(l->font()).boundingRect(
                    QRect(0, 0, l->width(), 1000), Qt::TextWordWrap | int(l->alignment()), l->text());
                QVERIFY2(l->wordWrap() && needed.width() <= l->width() && needed.height() <= l->height(),
                         qPrintable(QString("%1 in language %2").arg(l->text()).arg(lang)));
            }
        }
        const int ru = languageIndex("Russian");
        hub->SendAllLanguage(ru);
        QCOMPARE(summary->label("ReportValue")->text(), QString::fromUtf8("1000 Гц"));
        QCOMPARE(summary->label("LODValue")->text(), Language::options("LODOptions", ru).value("10"));
        hub->SendAllLanguage(0);
        QCOMPARE(summary->label("ReportValue")->text(), QString("1000Hz"));

        // No caption is drawn into the page buttons' or the summary's pictures.
        const QString src = qEnvironmentVariable("ZF_SOURCE_DIR") + "/resources/Picture/";
        for (const QString& dir : {QString("Dialog"), QString("Buttoninterface")})
            for (const QFileInfo& f : QDir(src + dir).entryInfoList({"*.svg"})) {
                if (f.fileName().startsWith("BackGround"))
                    continue;
                QFile svg(f.filePath());
                QVERIFY(svg.open(QIODevice::ReadOnly));
                QVERIFY2(!QString::fromUtf8(svg.readAll())
                              .contains(QRegularExpression("<text[^>]*>[^<]*[a-z]{3}",
                                                           QRegularExpression::CaseInsensitiveOption)),
                         qPrintable(f.fileName()));
            }

        // Arabic turns the layout right-to-left and mirrors the fixed-geometry forms; Russian restores them.
        QToolButton* first = frame->button("PreButton");
        QToolButton* last = frame->button("FormSetting");
        QToolButton* close = frame->findChild<QToolButton*>("CloseButton");
        QLabel* offline = frame->findChild<QLabel*>("OfflineCaption");
        const QRect firstLtr = first->geometry(), closeLtr = close->geometry(),
                    offlineLtr = offline->geometry();
        QLabel* caption = summary->label("labelDPI");
        QVERIFY(first->x() < last->x());
        QVERIFY(caption->x() < summary->label("DPIValue")->x());

        PostMsg::instance()->SendAllLanguage(languageIndex("Arbic"));
        QCOMPARE(QApplication::layoutDirection(), Qt::RightToLeft);
        QVERIFY(first->x() > last->x());
        QCOMPARE(first->x(), frame->width() - firstLtr.right() - 1);
        QCOMPARE(close->geometry(), closeLtr);     // the title bar stays beside the background's logo
        QCOMPARE(offline->geometry(), offlineLtr); // and "Offline" beside the battery
        QVERIFY(caption->x() > summary->label("DPIValue")->geometry().right());
        // Captions end at the column's right edge even when their own text is left-to-right ("DPI").
        QVERIFY(caption->alignment() & Qt::AlignRight);
        QVERIFY(summary->findChild<QWidget*>("widget")->geometry().right() > summary->width() * 3 / 4);
        QCOMPARE(w.stack()->widget(0)->layoutDirection(), Qt::RightToLeft);

        // A notice opened while Arabic is current comes up mirrored too.
        MouseOffLine notice(0);
        QVERIFY(notice.findChild<QToolButton*>("CloseButton")->x() < notice.width() / 2);

        PostMsg::instance()->SendAllLanguage(languageIndex("Russian"));
        QCOMPARE(QApplication::layoutDirection(), Qt::LeftToRight);
        QCOMPARE(first->geometry(), firstLtr);
        QVERIFY(caption->alignment() & Qt::AlignLeft);
        QVERIFY(caption->x() < summary->label("DPIValue")->x());
    }

    // Every row of the shipped table names pictures that exist, and its list card and summary picture
    // share the model's colour.
    void everyShippedRowHasMatchingPictures() {
        IniStore& ini = ConfigIniStore::instance();
        const int rows = ini.intValue("Option", "DeviceTotal", 0);
        QVERIFY(rows > 0);
        const QString pics = AppPaths::appDir() + "/Picture/";
        for (int row = 1; row <= rows; ++row) {
            const QString group = QString("Drive%1").arg(row);
            bool ok = false;
            const int n = ini.value(group, "DisOnLine").toInt(&ok);
            QVERIFY2(ok && n > 0, qPrintable(group));
            const QImage summary(pics + QString("Buttoninterface/mouse%1.png").arg(n));
            const QImage online(pics + QString("DialogChange/OnLine%1.png").arg(n));
            const QImage offline(pics + QString("DialogChange/DisOnLine%1.png").arg(n));
            QVERIFY2(!summary.isNull() && !online.isNull() && !offline.isNull(), qPrintable(group));
            const int a = dominantHue(summary), b = dominantHue(online);
            QVERIFY2(a >= 0 && b >= 0, qPrintable(group));
            const int diff = qAbs(a - b);
            QVERIFY2(qMin(diff, 360 - diff) <= 15,
                     qPrintable(QString("%1: summary hue %2, card hue %3").arg(group).arg(a).arg(b)));
        }
    }

    // A long caption gets the largest pixel size, up to the style's own, whose text fits the button
    // (8 at least), as a step-by-step search from the top would find; a shorter text grows back.
    void fitTextPicksTheLargestSizeThatFits() {
        QPushButton button;
        QFont styled = button.font();
        styled.setPixelSize(18);
        button.setFont(styled);
        const QString text = QStringLiteral("Wheel functions and more");
        for (int width : {30, 60, 90, 120, 150, 180, 210, 260, 400}) {
            button.setText(text);
            button.resize(width, 30);
            Theme::fitText(&button, 4);
            int expected = 18;
            QFont probe = styled;
            for (;; --expected) {
                probe.setPixelSize(expected);
                if (expected <= 8 || QFontMetrics(probe).horizontalAdvance(text) <= width - 4 - 8)
                    break;
            }
            QCOMPARE(button.font().pixelSize(), expected);
        }
        button.setText(QStringLiteral("Wheel"));
        Theme::fitText(&button, 4);
        QCOMPARE(button.font().pixelSize(), 18);
    }

    // Frameless windows with rounded pictures keep their corners see-through.
    void framelessWindowsAreTranslucent() {
        std::vector<std::unique_ptr<QWidget>> windows;
        for (QWidget* w : std::initializer_list<QWidget*>{
                 new DialogMain, new MouseOffLine(0), new QuestiondialogB, new DeleteConfirm, new InportFail,
                 new FindNewVer, new UpDateWarning, new LessThree, new UpDataParam(nullptr),
                 new QuestionDialog, new ExeIsRun, new LibraryMissing("/x/libHIDUsb.so", false, "")})
            windows.emplace_back(w);
        for (const auto& w : windows) {
            QVERIFY(w->windowFlags() & Qt::FramelessWindowHint);
            QVERIFY2(w->testAttribute(Qt::WA_TranslucentBackground), w->metaObject()->className());
            // The picture fills the window but its very corners.
            QImage image(w->size(), QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            w->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
            QVERIFY2(qAlpha(image.pixel(0, 0)) < 40 &&
                         qAlpha(image.pixel(w->width() - 1, w->height() - 1)) < 40,
                     w->metaObject()->className());
            QVERIFY2(qAlpha(image.pixel(w->width() / 2, w->height() / 2)) > 200,
                     w->metaObject()->className());
            // Nothing composites windows here (as on an X desktop without a compositing manager, where
            // the see-through corners would come out black): the window is cut to its outline instead.
            const QRegion mask = w->mask();
            QVERIFY2(mask.boundingRect() == w->rect() && !mask.contains(QPoint(0, 0)) &&
                         !mask.contains(QPoint(w->width() - 1, w->height() - 1)),
                     w->metaObject()->className());
        }
    }

    // With the theme applied, no page, notice, menu or Qt dialog the program opens keeps the light
    // default palette, and no text sits on a background of its own lightness.
    void themeCoversEveryWidgetAndQtDialog() {
        DialogMain w;
        w.show();
        Dialog* frame = w.frame();
        w.stack()->setCurrentIndex(0);
        QStringList bad = lightWidgets(&w);
        DialogChange list; // the device list, which the program puts on the home window's first page
        list.show();
        bad += lightWidgets(&list);
        // Its title-bar pictures are the whole button: no text drawn over them, side by side.
        auto* min = list.findChild<QToolButton*>("MinButton");
        auto* close = list.findChild<QToolButton*>("CloseButton");
        QVERIFY(min->text().isEmpty() && close->text().isEmpty());
        QVERIFY(!min->geometry().intersects(close->geometry()));
        // The language box keeps its outline and gives its text room from the border in both directions.
        auto* languageBox = list.findChild<QComboBox*>("comboBox");
        for (Qt::LayoutDirection direction : {Qt::LeftToRight, Qt::RightToLeft}) {
            languageBox->setLayoutDirection(direction);
            QStyleOptionComboBox option;
            option.initFrom(languageBox);
            const QRect field = languageBox->style()->subControlRect(
                QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, languageBox);
            const QRect arrow = languageBox->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                                     QStyle::SC_ComboBoxArrow, languageBox);
            QVERIFY(field.left() >= 8 && field.right() <= languageBox->width() - 9);
            const QImage image = languageBox->grab().toImage();
            int drawn = 0; // and still shows its arrow
            for (int y = arrow.top(); y <= arrow.bottom(); ++y)
                for (int x = arrow.left(); x <= arrow.right(); ++x)
                    drawn += QColor(image.pixel(x, y)).lightness() > 120;
            QVERIFY(drawn > 4);
        }
        languageBox->setLayoutDirection(Qt::LeftToRight);
        // In every language the Repair caption is drawn clear of the wrench at the start of its picture.
        auto* repair = list.findChild<QToolButton*>("RepairButton");
        for (int lang = 0; lang < Language::loadedCount(); ++lang) {
            Language::setCurrentIndex(lang);
            PostMsg::instance()->SendAllLanguage(lang);
            const QString text = repair->text();
            repair->setText(QString());
            const QImage bare = repair->grab().toImage();
            repair->setText(text);
            const QImage shown = repair->grab().toImage();
            int wrenchEnd = 0, textStart = repair->width();
            for (int y = 0; y < bare.height(); ++y)
                for (int x = 0; x < bare.width(); ++x) {
                    if (x < bare.width() / 2 && QColor(bare.pixel(x, y)).lightness() > 120)
                        wrenchEnd = qMax(wrenchEnd, x);
                    if (shown.pixel(x, y) != bare.pixel(x, y))
                        textStart = qMin(textStart, x);
                }
            QVERIFY2(textStart >= wrenchEnd + 10,
                     qPrintable(QString("%1: %2 %3").arg(text).arg(textStart).arg(wrenchEnd)));
        }
        Language::setCurrentIndex(0);
        PostMsg::instance()->SendAllLanguage(0);
        w.stack()->setCurrentIndex(1);
        for (int page = 0; page < frame->stack()->count(); ++page) {
            frame->stack()->setCurrentIndex(page);
            bad += lightWidgets(&w);
        }
        for (const auto& language : {QString("English"), QString("Arbic")}) {
            PostMsg::instance()->SendAllLanguage(languageIndex(language));
            // The colour dialog the sensor page opens for a DPI level (built at the first swatch click).
            if (w.findChildren<QColorDialog*>().isEmpty())
                w.findChild<QAbstractButton*>("RedButtonA")->click();
            const QList<QColorDialog*> colours = w.findChildren<QColorDialog*>();
            QVERIFY(!colours.isEmpty());
            for (QColorDialog* c : colours) {
                c->show();
                bad += lightWidgets(c);
                c->hide();
            }
        }
        QFileDialog files(&w);
        files.setOption(QFileDialog::DontUseNativeDialog);
        files.show();
        bad += lightWidgets(&files);
        QMessageBox box(QMessageBox::Warning, "Zentrafox", "Text", QMessageBox::Ok | QMessageBox::Cancel, &w);
        box.show();
        bad += lightWidgets(&box);
        MouseOffLine notice(0, &w);
        notice.show();
        bad += lightWidgets(&notice);
        QMenu menu;
        menu.addAction("Open");
        menu.addAction("Exit")->setEnabled(false);
        bad += lightWidgets(&menu);
        bad.removeDuplicates();
        QVERIFY2(bad.isEmpty(), qPrintable(bad.join('\n')));
        // A spin box under the shared rules shows both step arrows (in the strip at its right end).
        QSpinBox spin;
        spin.setStyleSheet(Theme::controlRules());
        spin.setLayoutDirection(Qt::LeftToRight);
        spin.resize(120, 28);
        const QImage image = spin.grab().toImage();
        int arrows[2] = {0, 0};
        for (int y = 0; y < image.height(); ++y)
            for (int x = image.width() - 18; x < image.width(); ++x)
                arrows[y * 2 / image.height()] += QColor(image.pixel(x, y)).lightness() > 150;
        QVERIFY(arrows[0] > 4 && arrows[1] > 4);
        QVERIFY(QToolTip::palette().color(QPalette::ToolTipBase).lightness() < 100);
    }
};

QTEST_MAIN(TestLook)
#include "tst_look.moc"
