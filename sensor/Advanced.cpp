#include "sensor/Advanced.h"

#include "app/core/IniStores.h"
#include "app/core/Language.h"
#include "app/core/PostMsg.h"
#include "app/ui/Theme.h"
#include "device/LinkState.h"
#include "device/SettingWriters.h"
#include "sensor/AdvancedModel.h"
#include "sensor/AdvancedSections.h"
#include "sensor/SensorLook.h"
#include "sensor/StopCloseTime.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QTabWidget>
#include <QVBoxLayout>

using namespace AdvancedModel;

namespace {
const QString kGroup = QStringLiteral("AdvancedSettings");

QWidget* tabPage(QTabWidget* tabs, const char* name) {
    auto* page = new QWidget(tabs);
    page->setObjectName(QLatin1String(name));
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(18, 10, 18, 10);
    layout->setSpacing(4);
    return page;
}

QString deviceValue(const char* key) {
    const int row = SelectedDevice::get().row;
    return ConfigIniStore::instance().value(QStringLiteral("Drive%1").arg(row + 1), QLatin1String(key));
}
} // namespace

Advanced::Advanced(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Advanced"));
    SensorLook::setFontSize(this, 13);
    setStyleSheet(
        Theme::controlRules() + Theme::roleRules() +
        QStringLiteral(
            "QPushButton[role=\"choice\"]{padding:4px 10px;border:1px solid %1;border-radius:5px;"
            "background:%2;color:%3;}"
            "QPushButton[role=\"choice\"]:hover{border-color:%4;}"
            "QPushButton[role=\"choice\"]:checked{background:%4;color:white;}"
            "QToolButton[role=\"reset\"]{padding:5px 14px;border:1px solid %4;border-radius:5px;color:%3;}"
            "QTabWidget::pane{border:1px solid %1;border-radius:6px;background:transparent;top:-1px;}"
            "QTabBar::tab{padding:6px 18px;margin-right:4px;border:1px solid %1;border-bottom:0px;"
            "border-top-left-radius:6px;border-top-right-radius:6px;background:%2;color:%3;}"
            "QTabBar::tab:selected{color:%4;border-color:%4;}"
            "QTabBar::tab:hover{color:white;}")
            .arg(Theme::rgb(Theme::border()), Theme::rgb(Theme::base()), Theme::rgb("LabelColor"),
                 Theme::rgb("SliderColor")));
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(16, 12, 16, 12);
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("AdvancedTab"));
    m_tabs->setUsesScrollButtons(false);
    outer->addWidget(m_tabs);

    // Performance: sleep time, 20K, long range, angle.
    QWidget* tab = tabPage(m_tabs, "tab");
    m_sleep = new StopCloseTime(tab);
    m_sleep->setObjectName(QStringLiteral("frameClose"));
    m_fps = new KFPS20(tab);
    m_longMode = new LongMode(tab);
    m_angle = new AngleMove(tab);
    tab->layout()->addWidget(m_sleep);
    for (AdvancedSection* s : std::initializer_list<AdvancedSection*>{m_fps, m_longMode, m_angle})
        tab->layout()->addWidget(s);
    static_cast<QVBoxLayout*>(tab->layout())->addStretch();
    m_tabs->addTab(tab, QString());

    QWidget* tab8 = tabPage(m_tabs, "tab_8");
    m_fastClick = new FastClick(tab8);
    tab8->layout()->addWidget(m_fastClick);
    static_cast<QVBoxLayout*>(tab8->layout())->addStretch();
    m_tabs->addTab(tab8, QString());

    // Response curve: on/off, four presets, one view per preset.
    QWidget* tab2 = tabPage(m_tabs, "tab_2");
    auto* curveGrid = new QGridLayout;
    curveGrid->setHorizontalSpacing(8);
    const char* boxNames[5] = {"checkBox_2", "checkBox_3", "checkBox_4", "checkBox_5", "checkBox_6"};
    for (int i = 0; i < 5; ++i) {
        // The caption is the box's own text, so a click on it ticks the box.
        m_curveBoxes[i] = new QCheckBox(tab2);
        m_curveBoxes[i]->setObjectName(QLatin1String(boxNames[i]));
        SensorLook::checkBox(m_curveBoxes[i]);
        if (i == 0) {
            curveGrid->addWidget(m_curveBoxes[i], 0, 0, 1, 4);
        } else {
            curveGrid->addWidget(m_curveBoxes[i], 1, i - 1);
            m_curveBoxes[i]->setEnabled(false);
        }
    }
    curveGrid->setColumnStretch(4, 1);
    curveGrid->setHorizontalSpacing(24);
    m_modeTab = new QStackedWidget(tab2);
    m_modeTab->setObjectName(QStringLiteral("ModeTab"));
    const char* viewNames[4] = {"PicA", "PicB", "PicC", "PicD"};
    for (int p = 0; p < kPresetCount; ++p) {
        auto* view = new CurvePlotWidget(p, m_modeTab);
        view->setObjectName(QLatin1String(viewNames[p]));
        m_modeTab->addWidget(view);
        if (p == kUserPreset)
            connect(view, &CurvePlotWidget::userCurveEdited, this, [this] {
                if (m_curveOn && m_preset == kUserPreset)
                    choosePreset(kUserPreset, true);
            });
    }
    static_cast<QVBoxLayout*>(tab2->layout())->addLayout(curveGrid);
    tab2->layout()->addWidget(m_modeTab);
    m_tabs->addTab(tab2, QString());

    QWidget* tab3 = tabPage(m_tabs, "tab_3");
    m_touch = new TouchKeySet(tab3);
    m_keyVoice = new KeyVoice(tab3);
    tab3->layout()->addWidget(m_touch);
    tab3->layout()->addWidget(m_keyVoice);
    static_cast<QVBoxLayout*>(tab3->layout())->addStretch();
    m_tabs->addTab(tab3, QString());

    QWidget* tab9 = tabPage(m_tabs, "tab_9");
    m_virtual = new VirtualPoint(tab9);
    tab9->layout()->addWidget(m_virtual);
    static_cast<QVBoxLayout*>(tab9->layout())->addStretch();
    m_tabs->addTab(tab9, QString());

    m_sections = {m_fps, m_longMode, m_angle, m_fastClick, m_touch, m_keyVoice, m_virtual};

    PostMsg* hub = PostMsg::instance();
    PostMsg::connectBlocking(&PostMsg::SigUpDataLightSensor, this, &Advanced::SlotUpDataSenSorUISensor);
    connect(hub, &PostMsg::SigUpDataSensorUIB, this, &Advanced::SlotUpDataSenSorUIB);
    PostMsg::connectBlocking(&PostMsg::SigFormReset, this, &Advanced::SlotFormReset);
    PostMsg::connectBlocking(&PostMsg::SigForm, this, &Advanced::SlotForm);
    connect(hub, &PostMsg::SigFormB, this, &Advanced::SlotFormB);
    connect(hub, &PostMsg::SigSleep, this, &Advanced::SlotSleep);
    PostMsg::connectBlocking(&PostMsg::SigLongRangeMode, this, &Advanced::SlotLongRangeMode);
    connect(hub, &PostMsg::Sig20KOpen, this, &Advanced::Slot20KOpen);
    connect(hub, &PostMsg::SigPairKey, m_keyVoice, &KeyVoice::SlotPairKey);
    connect(hub, &PostMsg::SigAllLanguage, this, &Advanced::SlotAllLanguage);
    QMetaObject::connectSlotsByName(this);
    applyDeviceSection();
    SlotAllLanguage(Language::currentIndex());
}

void Advanced::applyDeviceSection() {
    m_fps->setVisible(shows20K(deviceValue("20KPS")));
    const int row = SelectedDevice::get().row;
    const QStringList adveanced =
        ConfigIniStore::instance().list(QStringLiteral("Drive%1").arg(row + 1), QStringLiteral("Adveanced"));
    m_longMode->setVisible(showsLongRange(adveanced));
    m_longMode->showState(!adveanced.isEmpty() && adveanced.first().trimmed() == QLatin1String("1"));
}

void Advanced::showCurve(const FlashDataMap& r) {
    m_curveOn = r.advancedValue == 1;
    m_preset = r.curveMode < kPresetCount ? r.curveMode : 0;
    // The user's curve comes back from the mouse, so it survives a restart.
    if (m_preset == kUserPreset)
        CurvePlotWidget::userPoints() = recordPoints(r);
    const QSignalBlocker block(m_curveBoxes[0]);
    m_curveBoxes[0]->setChecked(m_curveOn);
    for (int p = 0; p < kPresetCount; ++p) {
        const QSignalBlocker b(m_curveBoxes[p + 1]);
        m_curveBoxes[p + 1]->setEnabled(m_curveOn);
        m_curveBoxes[p + 1]->setChecked(p == m_preset);
    }
    m_modeTab->setCurrentIndex(m_preset);
    m_modeTab->currentWidget()->update();
}

void Advanced::fill(const FlashDataMap& r) {
    applyDeviceSection();
    for (AdvancedSection* s : qAsConst(m_sections))
        s->showRecord(r);
    showCurve(r);
    m_sleep->selectStoredValue(r.sleepTime);
    PostMsg::instance()->SendtVis(0);
}

void Advanced::SlotUpDataSenSorUISensor(FlashDataMap DataMap) {
    fill(DataMap);
}

void Advanced::SlotUpDataSenSorUIB(FlashDataMap DataMap) {
    fill(DataMap);
}

void Advanced::SlotFormReset() {
    // The mouse is back at its defaults; the record that follows refills the page.
    fill(CurrentRecord::snapshot());
}

void Advanced::SlotForm() {
    applyDeviceSection();
}

void Advanced::SlotFormB() {
    applyDeviceSection();
}

void Advanced::SlotSleep(int index) {
    m_sleep->selectIndex(index);
}

void Advanced::SlotLongRangeMode(bool on) {
    m_longMode->showState(on);
}

void Advanced::Slot20KOpen(bool) {
    m_fps->setVisible(shows20K(deviceValue("20KPS")));
}

void Advanced::SetPos() {
    m_tabs->setCurrentIndex(0);
}

void Advanced::on_checkBox_2_clicked(bool checked) {
    if (!advancedWritesAllowed() || !SetAdvancedValue(checked ? 1 : 0)) {
        const QSignalBlocker block(m_curveBoxes[0]);
        m_curveBoxes[0]->setChecked(!checked);
        return;
    }
    m_curveOn = checked;
    for (int p = 1; p <= kPresetCount; ++p)
        m_curveBoxes[p]->setEnabled(checked);
}

void Advanced::choosePreset(int preset, bool checked) {
    const auto restore = [this] {
        for (int p = 0; p < kPresetCount; ++p) {
            const QSignalBlocker b(m_curveBoxes[p + 1]);
            m_curveBoxes[p + 1]->setChecked(p == m_preset);
        }
        m_modeTab->setCurrentIndex(m_preset);
    };
    // A click on the preset already chosen (unchecking it) keeps it.
    if (!checked && preset == m_preset && preset != kUserPreset) {
        restore();
        return;
    }
    const Curve curve = curveFor(preset, CurvePlotWidget::userPoints());
    CurvePoint points[kCurvePoints];
    std::copy(curve.begin(), curve.end(), points);
    if (!advancedWritesAllowed() || !SetCurvePoints(uint8_t(preset), points)) {
        restore();
        return;
    }
    m_preset = preset;
    restore();
}

void Advanced::on_checkBox_3_clicked(bool checked) {
    choosePreset(0, checked);
}
void Advanced::on_checkBox_4_clicked(bool checked) {
    choosePreset(1, checked);
}
void Advanced::on_checkBox_5_clicked(bool checked) {
    choosePreset(2, checked);
}
void Advanced::on_checkBox_6_clicked(bool checked) {
    choosePreset(3, checked || m_preset == kUserPreset);
}

void Advanced::SlotAllLanguage(int index) {
    const char* tabKeys[5] = {"TabPerformance", "TabTrigger", "TabCurve", "TabTouch", "TabVirtualPoint"};
    for (int t = 0; t < 5; ++t)
        if (const QString s = Language::text(kGroup, QLatin1String(tabKeys[t]), index); !s.isEmpty())
            m_tabs->setTabText(t, s);
    for (AdvancedSection* s : qAsConst(m_sections))
        s->relabel(index);
    const char* curveKeys[5] = {"ResponseCurve", "CurvePreset0", "CurvePreset1", "CurvePreset2",
                                "CurvePreset3"};
    for (int i = 0; i < 5; ++i)
        if (const QString s = Language::text(kGroup, QLatin1String(curveKeys[i]), index); !s.isEmpty())
            m_curveBoxes[i]->setText(s);
    QStringList sleepTexts;
    for (int i = 0; i < StopCloseTime::kCount; ++i)
        sleepTexts << Language::text(kGroup, QString::number(StopCloseTime::storedValue(i)), index);
    m_sleep->setItemTexts(sleepTexts);
    m_sleep->setTexts(Language::text(kGroup, QStringLiteral("SleepTime"), index),
                      Language::text(kGroup, QStringLiteral("SleepTimeTips"), index));
}
