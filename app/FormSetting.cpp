#include "app/FormSetting.h"
#include "ui_FormSetting.h"

#include "app/core/AppPaths.h"
#include "app/core/IniStores.h"
#include "app/core/Language.h"
#include "app/core/PostMsg.h"
#include "app/notices/NoticeBase.h"
#include "app/ui/LanguageBox.h"
#include "app/ui/Theme.h"
#include "app/upgrade/UpgradeWindows.h"
#include "buttons/ButtonDialogs.h"
#include "device/DevicePagesLink.h"
#include "device/DeviceSession.h"
#include "device/DeviceTable.h"
#include "device/Discovery.h"
#include "device/LinkState.h"
#include "device/SettingWriters.h"
#include "device/Worker.h"
#include "platform/Autostart.h"
#include "platform/MousePanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

namespace {
void (*g_modalRunner)(QDialog*) = nullptr;

void runModal(QDialog* window) {
    if (g_modalRunner)
        g_modalRunner(window);
    else
        window->exec();
}

QString settingsText(const char* key, int index) {
    return Language::text(QStringLiteral("Settings"), QLatin1String(key), index);
}

bool isWired(const DeviceAllInfo& d) {
    return d.wired || DeviceAllInfo::isWiredKind(d.kind);
}

// The notice for an autostart entry that could not be written.
class AutoStartFail : public NoticeBase {
public:
    explicit AutoStartFail(QWidget* parent) : NoticeBase(parent) {
        SlotAllLanguage(Language::currentIndex());
    }

protected:
    void applyTexts(int index) override {
        setLabelText(settingsText("AutoStartFail", index));
        setButtonText(noticeText(QStringLiteral("OK"), index));
    }
};
} // namespace

void FormSetting::setModalRunner(void (*runner)(QDialog*)) {
    g_modalRunner = runner;
}

FormSetting::FormSetting(QWidget* parent) : QWidget(parent), ui(new Ui::FormSetting) {
    ui->setupUi(this);
    m_imagePath = AppPaths::appDir() + QStringLiteral("/Picture/FormSetting/");
    build();

    PostMsg* hub = PostMsg::instance();
    connect(hub, &PostMsg::SigAllLanguage, this, &FormSetting::SlotAllLanguage);
    connect(hub, &PostMsg::SigAutoLan, this, &FormSetting::SlotAutoLan);
    connect(hub, &PostMsg::SigLanguageSameB, this, &FormSetting::SlotLanguageSameB);
    connect(hub, &PostMsg::SigSetver, this, &FormSetting::SetVer);
    connect(hub, &PostMsg::SigSetNewVer, this, &FormSetting::SetVerText);
    connect(hub, &PostMsg::SigLabelText, this, &FormSetting::SlotLabelText);
    connect(hub, &PostMsg::SigLabelTextB, this, &FormSetting::SlotLabelTextB);
    connect(hub, &PostMsg::SigRGBValue, this, &FormSetting::SlotRGBValue);
    connect(hub, &PostMsg::SigLongRangeMode, this, &FormSetting::SlotLongRangeMode);
    connect(hub, &PostMsg::SigLightToFrom, this, &FormSetting::SlotLightToFrom);
    connect(hub, &PostMsg::SigForm, this, &FormSetting::SlotForm);
    connect(hub, &PostMsg::SigFormB, this, &FormSetting::SlotFormB);
    connect(hub, &PostMsg::SigFormReset, this, &FormSetting::SlotFormResetForm);
    connect(hub, &PostMsg::SigContinue, this, &FormSetting::SlotContinue);
    connect(hub, &PostMsg::SigUpdateFrame, this, &FormSetting::SlotUpdateFrame);
    connect(hub, &PostMsg::SigCheckUpdate, this, &FormSetting::SlotCheckUpdate);
    connect(hub, &PostMsg::SigUpdateStart, this, &FormSetting::on_Start);

    // The stored choice, and the entry itself: a box that says "on" must mean an entry exists.
    const bool stored = MacroIniStore::instance().value(QStringLiteral("AutoStart"),
                                                        QStringLiteral("Enable")) == QStringLiteral("1");
    m_autoStart->setChecked(stored && Autostart::isEnabled());
    applyTexts(Language::currentIndex());
}

FormSetting::~FormSetting() {
    delete ui;
}

void FormSetting::build() {
    setAttribute(Qt::WA_StyledBackground);
    const QString button = Theme::rgb("ButtonColor");
    setStyleSheet(
        Theme::controlRules() + Theme::roleRules() +
        QStringLiteral(
            "#settingsPanel QFrame[panel=\"true\"]{border:1px solid %1;border-radius:8px;background:%2;}"
            "#settingsPanel QLabel{color:%3;font-size:14px;}"
            "#settingsTitle{font-size:20px;font-weight:bold;}"
            "#settingsPanel QLabel[role=\"section\"]{font-size:16px;font-weight:bold;}"
            "#settingsPanel QLabel[role=\"value\"]{color:%4;}"
            "#settingsPanel QLabel#Mark{color:%5;font-size:16px;}"
            "#settingsPanel QPushButton{min-height:30px;padding:0 14px;border:1px solid %1;"
            "border-radius:4px;color:%6;background:%7;}"
            "#settingsPanel QPushButton:hover{border-color:%5;}"
            "#settingsPanel QPushButton:disabled{color:%8;}"
            "#pushButton_3{border:none;background:transparent;color:%5;text-decoration:underline;}"
            "#settingsPanel QCheckBox{color:%3;font-size:14px;spacing:10px;}"
            "#settingsPanel QCheckBox::indicator{width:18px;height:18px;border:1px solid %1;"
            "border-radius:4px;background:%2;}"
            "#settingsPanel QCheckBox::indicator:hover{border-color:%5;}"
            "#settingsPanel QCheckBox::indicator:checked{background:%5;border-color:%5;image:url(%11);}"
            "#comboBox::drop-down{border:none;width:24px;}#comboBox::down-arrow{image:url(%12);}"
            "#comboBox{min-height:28px;padding:0 8px;border:1px solid %1;border-radius:4px;color:%9;"
            "background:%10;}")
            .arg(Theme::rgb(Theme::border()), Theme::rgb(Theme::base()), Theme::rgb("LabelColor"),
                 Theme::rgb(Theme::captionText()), Theme::rgb("SliderColor"), button,
                 Theme::rgb(Theme::window()), Theme::rgb(Theme::mutedText()), Theme::rgb("ComboxTextColor"),
                 Theme::rgb("ComboxBackGroundColor"), m_imagePath + QStringLiteral("Check.png"),
                 AppPaths::appDir() + QStringLiteral("/Picture/DialogChange/Menu.png")));

    m_panel = new QWidget(this);
    m_panel->setObjectName(QStringLiteral("settingsPanel"));
    m_panel->setGeometry(40, 20, width() - 80, height() - 40);
    m_panelOrigin = m_panel->pos();

    auto label = [this](const char* name, const char* role = nullptr) {
        auto* l = new QLabel(m_panel);
        l->setObjectName(QLatin1String(name));
        if (role)
            l->setProperty("role", QLatin1String(role));
        return l;
    };
    auto pushButton = [this](const char* name) {
        auto* b = new QPushButton(m_panel);
        b->setObjectName(QLatin1String(name));
        b->setCursor(Qt::PointingHandCursor);
        return b;
    };
    m_title = label("settingsTitle");
    m_firmwareCaption = label("firmwareCaption", "section");
    m_optionsCaption = label("optionsCaption", "section");
    m_mouseCaption = label("labelMouseVer", "caption");
    m_mouseValue = label("MouseVer", "value");
    m_mouseMark = label("Mark");
    m_receiverCaption = label("labelDongleVer", "caption");
    m_receiverValue = label("DongleVer", "value");
    m_receiverMark = label("Mark");
    for (QLabel* mark : {m_mouseMark, m_receiverMark}) {
        mark->setText(QStringLiteral("●"));
        mark->hide();
    }
    m_languageCaption = label("labelLanguage", "caption");
    m_mouseButton = pushButton("Mouse");
    m_receiverButton = pushButton("Receive");
    m_upgradeButton = new QToolButton(m_panel);
    m_upgradeButton->setObjectName(QStringLiteral("Receive_2"));
    m_upgradeButton->setFixedSize(180, 40);
    m_upgradeButton->setCursor(Qt::PointingHandCursor);
    m_language = new QComboBox(m_panel);
    m_language->setObjectName(QStringLiteral("comboBox"));
    m_language->setMinimumWidth(200);
    m_autoStart = new QCheckBox(m_panel);
    m_autoStart->setObjectName(QStringLiteral("checkBox"));
    m_longRange = new QCheckBox(m_panel);
    m_longRange->setObjectName(QStringLiteral("checkBox_2"));
    m_reset = pushButton("Reset");
    m_systemMouse = pushButton("pushButton");
    m_pairTool = pushButton("pushButton_2");
    m_link = pushButton("pushButton_3");

    auto frame = [this]() {
        auto* f = new QFrame(m_panel);
        f->setProperty("panel", true);
        return f;
    };
    QFrame* firmware = frame();
    auto* fw = new QGridLayout(firmware);
    fw->setContentsMargins(20, 16, 20, 20);
    fw->setHorizontalSpacing(12);
    fw->setVerticalSpacing(16);
    fw->addWidget(m_firmwareCaption, 0, 0, 1, 4);
    fw->addWidget(m_mouseCaption, 1, 0);
    fw->addWidget(m_mouseValue, 1, 1);
    fw->addWidget(m_mouseMark, 1, 2);
    fw->addWidget(m_mouseButton, 1, 3);
    fw->addWidget(m_receiverCaption, 2, 0);
    fw->addWidget(m_receiverValue, 2, 1);
    fw->addWidget(m_receiverMark, 2, 2);
    fw->addWidget(m_receiverButton, 2, 3);
    fw->addWidget(m_upgradeButton, 3, 0, 1, 4, Qt::AlignHCenter);
    fw->setColumnStretch(1, 1);
    fw->setRowStretch(4, 1);

    QFrame* options = frame();
    auto* op = new QGridLayout(options);
    op->setContentsMargins(20, 16, 20, 20);
    op->setHorizontalSpacing(12);
    op->setVerticalSpacing(14);
    op->addWidget(m_optionsCaption, 0, 0, 1, 2);
    op->addWidget(m_languageCaption, 1, 0);
    op->addWidget(m_language, 1, 1);
    op->addWidget(m_autoStart, 2, 0, 1, 2);
    op->addWidget(m_longRange, 3, 0, 1, 2);
    auto* actions = new QVBoxLayout;
    actions->setSpacing(10);
    for (QPushButton* b : {m_reset, m_systemMouse, m_pairTool})
        actions->addWidget(b);
    op->addLayout(actions, 4, 0, 1, 2);
    op->addWidget(m_link, 5, 0, 1, 2, Qt::AlignLeading);
    op->setColumnStretch(1, 1);
    op->setRowStretch(6, 1);

    auto* columns = new QHBoxLayout;
    columns->setSpacing(24);
    columns->addWidget(firmware, 1);
    columns->addWidget(options, 1);
    auto* outer = new QVBoxLayout(m_panel);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(16);
    outer->addWidget(m_title);
    outer->addLayout(columns, 1);

    // Where no desktop mouse panel is installed there is nothing to open.
    m_systemMouse->setVisible(!MousePanel::find().program.isEmpty());
    const QString address =
        ConfigIniStore::instance().value(QStringLiteral("Option"), QStringLiteral("Website"));
    // An address reads left to right in every language: marks keep its trailing "/" in place.
    m_link->setText(QChar(0x200E) + address + QChar(0x200E));
    m_link->setProperty("address", address);
    const QUrl url(address);
    m_link->setVisible(url.isValid() &&
                       (url.scheme() == QLatin1String("https") || url.scheme() == QLatin1String("http")));

    connect(m_language, QOverload<int>::of(&QComboBox::activated), this, &FormSetting::on_comboBox_activated);
    connect(m_autoStart, &QCheckBox::clicked, this, &FormSetting::on_checkBox_clicked);
    connect(m_longRange, &QCheckBox::toggled, this, &FormSetting::on_checkBox_2_toggled);
    connect(m_reset, &QPushButton::clicked, this, &FormSetting::on_Reset_clicked);
    connect(m_systemMouse, &QPushButton::clicked, this, &FormSetting::on_pushButton_clicked);
    connect(m_pairTool, &QPushButton::clicked, this, &FormSetting::on_pushButton_2_clicked);
    connect(m_link, &QPushButton::clicked, this, &FormSetting::on_pushButton_3_clicked);
    connect(m_mouseButton, &QPushButton::clicked, this, &FormSetting::on_Mouse_clicked);
    connect(m_receiverButton, &QPushButton::clicked, this, &FormSetting::on_Receive_clicked);
    connect(m_upgradeButton, &QToolButton::clicked, this, &FormSetting::on_Receive_2_clicked);
    SlotLabelTextB(QString(), QString());
}

void FormSetting::applyTexts(int index) {
    m_title->setText(settingsText("Settings", index));
    m_firmwareCaption->setText(settingsText("Firmware", index));
    m_optionsCaption->setText(settingsText("Program", index));
    m_mouseCaption->setText(settingsText("MouseVersion", index));
    m_receiverCaption->setText(settingsText("DongleVersion", index));
    m_languageCaption->setText(settingsText("Language", index));
    m_mouseButton->setText(settingsText("MouseUpgrade", index));
    m_receiverButton->setText(settingsText("DongleUpgrade", index));
    m_autoStart->setText(settingsText("AutoStart", index));
    m_longRange->setText(settingsText("LongRange", index));
    m_reset->setText(settingsText("Restore", index));
    m_systemMouse->setText(settingsText("SystemMouse", index));
    m_pairTool->setText(settingsText("PairTool", index));
    m_link->setToolTip(settingsText("Website", index));
    const QString tip = Language::text(QStringLiteral("common"), QStringLiteral("UpgradeTips"), index);
    m_mouseMark->setToolTip(tip);
    m_receiverMark->setToolTip(tip);
    SetVerText();
    if (m_mouseValue->text().isEmpty())
        m_mouseValue->setText(QStringLiteral("—"));
    if (m_receiverValue->text().isEmpty())
        m_receiverValue->setText(QStringLiteral("—"));
}

void FormSetting::SlotAllLanguage(int index) {
    applyTexts(index);
}

void FormSetting::SlotAutoLan() {
    Language::fillBox(m_language);
}

void FormSetting::SlotLanguageSameB(int index) {
    Language::follow(m_language, index);
}

void FormSetting::on_comboBox_activated(int index) {
    Language::choose(m_language, index);
    PostMsg::instance()->SendAllLanguage(index);
    PostMsg::instance()->SendLanguageSameA(index);
}

void FormSetting::on_checkBox_clicked(bool checked) {
    IniStore& ini = MacroIniStore::instance();
    const QString before = ini.value(QStringLiteral("AutoStart"), QStringLiteral("Enable"));
    ini.setValue(QStringLiteral("AutoStart"), QStringLiteral("Enable"),
                 checked ? QStringLiteral("1") : QStringLiteral("0"));
    if (Autostart::setEnabled(checked, QCoreApplication::applicationFilePath())) {
        ini.sync();
        return;
    }
    // The desktop would not do what the box says: both go back to what they were.
    ini.setValue(QStringLiteral("AutoStart"), QStringLiteral("Enable"),
                 before.isEmpty() ? QStringLiteral("0") : before);
    {
        const QSignalBlocker block(m_autoStart);
        m_autoStart->setChecked(!checked);
    }
    AutoStartFail notice(this);
    notice.placeOver(this, -75, -65);
    runModal(&notice);
}

void FormSetting::on_checkBox_2_toggled(bool checked) {
    const auto restore = [this] {
        const QSignalBlocker block(m_longRange);
        m_longRange->setChecked(m_longRangeState);
    };
    if (!LinkFlags::PageChanged) {
        restore(); // no device was ever opened: nothing to set
        return;
    }
    const QString path = SelectedDevice::path();
    if (path.isEmpty() || !DeviceSession::isOnline(path)) {
        restore();
        PostMsg::instance()->SendMouseOffLineo(0);
        return;
    }
    if (!DeviceSession::setLongRangeMode(path, checked)) {
        restore();
        return;
    }
    m_longRangeState = checked;
}

void FormSetting::SlotLongRangeMode(bool Select) {
    m_longRangeState = Select;
    const QSignalBlocker block(m_longRange);
    m_longRange->setChecked(Select);
}

void FormSetting::on_Reset_clicked() {
    if (!CheckDeviceOnline())
        return; // the writer's check has raised the offline notice
    ContainReset question(this);
    question.placeOver(this, -75, -65);
    runModal(&question);
    if (!question.result())
        return;
    PostMsg::instance()->SendTouchkey();
    const LinkFlags::BusyScope busy;
    if (Worker* worker = DevicePagesLink::currentWorker())
        worker->restoreDefaults([] { PostMsg::instance()->SendUpDataParam(1); });
}

void FormSetting::on_pushButton_clicked() {
    MousePanel::open();
}

void FormSetting::on_pushButton_2_clicked() {
    emit SigOpenPairing();
}

void FormSetting::on_pushButton_3_clicked() {
    const QUrl url(m_link->property("address").toString().trimmed());
    // Only web addresses: the text comes from a file a user can edit.
    if (url.isValid() && (url.scheme() == QLatin1String("https") || url.scheme() == QLatin1String("http")))
        QDesktopServices::openUrl(url);
}

void FormSetting::SetVer(int) {
    const DeviceAllInfo selected = SelectedDevice::get();
    if (selected.path.isEmpty())
        return;
    m_mouseVersion = selected.mouseVersion;
    m_receiverVersion.clear();
    QList<DeviceAllInfo> listed;
    if (isWired(selected)) {
        listed = Discovery::enumerate(Discovery::Finder::ByDeviceId);
        for (const DeviceAllInfo& d : listed)
            if (!isWired(d) && d.mid == selected.mid)
                m_receiverVersion = d.firmware;
    } else {
        m_receiverVersion = selected.firmware;
        listed << selected;
    }
    const Upgrade::Plan plan = Upgrade::planFor(selected, listed, true, true);
    m_mouseImage =
        !m_mouseVersion.isEmpty() &&
        !FirmwareImage::find(FirmwareImage::kMouseImage, plan.mouseName, plan.cid, plan.mid, m_mouseVersion)
             .isEmpty();
    m_receiverImage = !m_receiverVersion.isEmpty() && plan.receiverClass != 0 &&
                      !FirmwareImage::find(FirmwareImage::kReceiverImage, plan.receiverName, plan.cid,
                                           plan.mid, m_receiverVersion)
                           .isEmpty();
    m_mouseValue->setText(m_mouseVersion.isEmpty() ? QStringLiteral("—") : m_mouseVersion);
    m_receiverValue->setText(m_receiverVersion.isEmpty() ? QStringLiteral("—") : m_receiverVersion);
    m_receiverButton->setEnabled(!m_receiverVersion.isEmpty()); // no receiver in reach
    PostMsg::instance()->SendAddVer(0, m_mouseVersion);
    PostMsg::instance()->SendAddVer(1, m_receiverVersion);
    showMarkers();
}

void FormSetting::showMarkers() {
    m_mouseMark->setVisible(m_mouseImage);
    m_receiverMark->setVisible(m_receiverImage);
    PostMsg::instance()->SendAddUpdate(0, m_mouseImage);
    PostMsg::instance()->SendAddUpdate(1, m_receiverImage);
    const QString button = Theme::rgb("ButtonColor");
    if (m_mouseImage || m_receiverImage)
        m_upgradeButton->setStyleSheet(
            QStringLiteral(
                "QToolButton{border:0px;background-position:center;background-repeat:no-repeat;color: ") +
            button + QStringLiteral(";background-image: url(") + m_imagePath +
            QStringLiteral("WaitUpdate.png);}QToolButton::hover{background-image: url(") + m_imagePath +
            QStringLiteral("WaitUpdateHover.png);}"));
    else
        m_upgradeButton->setStyleSheet(
            QStringLiteral(
                "QToolButton{border:0px;background-position:center;background-repeat:no-repeat;color: ") +
            button + QStringLiteral(";border-image: url(") + m_imagePath + QStringLiteral("Confirm.png);}"));
}

void FormSetting::SetVerText() {
    m_upgradeButton->setText(
        Language::text(QStringLiteral("update"), QStringLiteral("Upgrade"), Language::currentIndex()));
}

void FormSetting::SlotLabelText(int index, QString Text) {
    if (index == 0) {
        m_receiverVersion = Text;
        m_receiverValue->setText(Text);
        PostMsg::instance()->SendAddVer(1, Text);
    } else if (index == 1) {
        m_mouseVersion = Text;
        m_mouseValue->setText(Text);
        PostMsg::instance()->SendAddVer(0, Text);
    }
}

void FormSetting::SlotLabelTextB(QString TextA, QString Text) {
    if (!TextA.isEmpty()) {
        m_receiverValue->setText(TextA);
        PostMsg::instance()->SendAddVer(1, TextA);
    }
    // The device list's finding about the mouse image.
    m_mouseImage = Text == QStringLiteral("true");
    showMarkers();
}

void FormSetting::SlotRGBValue(DongleRGB*) {}
void FormSetting::SlotLightToFrom(int) {}
void FormSetting::SlotForm() {}
void FormSetting::SlotFormB() {}
void FormSetting::SlotFormResetForm() {}

void FormSetting::SlotContinue(int) {
    SetVer(0);
}

void FormSetting::SlotCheckUpdate() {
    SetVer(0);
}

void FormSetting::SlotScroolChange(int index) {
    m_panel->move(m_panelOrigin.x(), m_panelOrigin.y() + index + 10);
}

void FormSetting::on_Mouse_clicked() {
    openUpgrade(true, false);
}

void FormSetting::on_Receive_clicked() {
    openUpgrade(false, true);
}

void FormSetting::on_Receive_2_clicked() {
    on_Start();
}

void FormSetting::on_Start() {
    // Whatever has a newer image; with none marked, both stages are tried and the window says why not.
    // A mouse away from its cable cannot take its image: then its receiver alone, when it has one.
    const bool mouseReachable = isWired(SelectedDevice::get()) || !m_receiverImage;
    const bool any = m_mouseImage || m_receiverImage;
    openUpgrade(!any || (m_mouseImage && mouseReachable), !any || m_receiverImage);
}

void FormSetting::SlotUpdateFrame(bool IsVis) {
    if (IsVis)
        on_Start();
    else if (m_window && !m_window->busy())
        m_window->reject();
}

void FormSetting::openUpgrade(bool mouse, bool receiver) {
    if (m_window)
        return; // one upgrade window at a time (a second click, a hub request while it is open)
    const DeviceAllInfo selected = SelectedDevice::get();
    QList<DeviceAllInfo> listed;
    if (!selected.path.isEmpty())
        listed = isWired(selected) ? Discovery::enumerate(Discovery::Finder::ByDeviceId)
                                   : QList<DeviceAllInfo>{selected};
    Upgrade::Plan plan = Upgrade::planFor(selected, listed, mouse, receiver);
    plan.receiverVersion = m_receiverVersion.isEmpty() ? plan.receiverVersion : m_receiverVersion;
    plan.mouseVersion = m_mouseVersion.isEmpty() ? plan.mouseVersion : m_mouseVersion;
    Progress window(plan, this);
    m_window = &window;
    connect(window.run(), &Upgrade::Run::stageFinished, this, &FormSetting::onStageFinished);
    connect(window.run(), &Upgrade::Run::progress, this,
            [](int p) { PostMsg::instance()->SendProgress(p, 0); });
    window.placeOver(this, -75, -65);
    runModal(&window);
    m_window = nullptr;
}

void FormSetting::onStageFinished(int type, const QString& version) {
    if (type == FirmwareImage::kMouseImage) {
        SelectedDevice::setMouseVersion(version);
        SlotLabelText(1, version);
        m_mouseImage = false;
    } else {
        SlotLabelText(0, version);
        m_receiverImage = false;
    }
    showMarkers();
}
