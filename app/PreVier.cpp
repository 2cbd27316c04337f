#include "app/PreVier.h"
#include "ui_PreVier.h"

#include "app/core/AppPaths.h"
#include "app/core/Language.h"
#include "app/core/PostMsg.h"
#include "app/ui/Theme.h"
#include "device/DevicePagesLink.h"
#include "device/DeviceSession.h"

namespace {
// Caption label and its key in the summary page's language table.
const char* const kCaptions[][2] = {{"labelDPI", "DPI"},
                                    {"labelReportRate", "ReportRate"},
                                    {"labelLOD", "LOD"},
                                    {"labelDebounce", "DebounceTime"},
                                    {"labelConfig", "configName"},
                                    {"labelMouseVer", "MouseVersion"},
                                    {"labelDongleVer", "DongleVersion"}};
} // namespace

PreVier::PreVier(QWidget* parent) : QWidget(parent), ui(new Ui::PreVier) {
    setStyleSheet(Theme::roleRules());
    ui->setupUi(this);
    setFixedSize(size());
    m_imagePath = AppPaths::appDir() + QStringLiteral("/Picture/Buttoninterface/");
    SlotMouseIndex(0);
    for (QLabel* mark : {ui->MouseUpdate, ui->DongleUpdate})
        mark->setStyleSheet(QStringLiteral("QLabel{border-image: url(%1Update.png);}").arg(m_imagePath));

    PostMsg* hub = PostMsg::instance();
    connect(hub, &PostMsg::SigAddSensor, this, &PreVier::SlotAddSensor);
    connect(hub, &PostMsg::SigAddReport, this, &PreVier::SlotAddReport);
    connect(hub, &PostMsg::SigAddLOD, this, &PreVier::SlotAddLOD);
    connect(hub, &PostMsg::SigDebunce, this, &PreVier::SlotDebnunce);
    connect(hub, &PostMsg::SigAddConfig, this, &PreVier::SlotAddConfig);
    connect(hub, &PostMsg::SigAddVer, this, &PreVier::SlotAddVer);
    connect(hub, &PostMsg::SigAddUpdate, this, &PreVier::SlotAddUpdate);
    connect(hub, &PostMsg::SigMouseIndex, this, &PreVier::SlotMouseIndex);
    connect(hub, &PostMsg::SigAllLanguage, this, &PreVier::SlotAllLanguage);
    Theme::mirrorWithDirection(this);
}

PreVier::~PreVier() {
    delete ui;
}

QLabel* PreVier::label(const char* name) const {
    return findChild<QLabel*>(QLatin1String(name));
}

void PreVier::SlotAddSensor(int Value) {
    ui->DPIValue->setText(QString::number(Value));
}
void PreVier::SlotAddReport(int Value) {
    m_report = Value;
    showReport(Language::currentIndex());
}
void PreVier::SlotAddLOD(QString Value) {
    m_lod = Value;
    showLOD(Language::currentIndex());
}
void PreVier::showReport(int index) {
    if (m_report < 0)
        return;
    // The unit is the language's ("1000 Гц"); "Hz" where a language file lacks it.
    const QString unit = Language::text(QStringLiteral("home"), QStringLiteral("ReportRateUnit"), index);
    ui->ReportValue->setText(QString::number(m_report) + (unit.isEmpty() ? QStringLiteral("Hz") : unit));
}
void PreVier::showLOD(int index) {
    // The sensor page sends the text of its list in the language of the moment: show the same entry of
    // the current language's list, so a language change does not leave the old unit behind.
    for (int lang = 0; lang < Language::loadedCount(); ++lang) {
        const QMap<QString, QString> lods = Language::options(QStringLiteral("LODOptions"), lang);
        for (auto it = lods.cbegin(); it != lods.cend(); ++it)
            if (it.value() == m_lod) {
                const QString here = Language::options(QStringLiteral("LODOptions"), index).value(it.key());
                ui->LODValue->setText(here.isEmpty() ? m_lod : here);
                return;
            }
    }
    ui->LODValue->setText(m_lod);
}
void PreVier::SlotDebnunce(QString Vlue) {
    ui->DebounceValue->setText(Vlue);
}
void PreVier::SlotAddConfig(QString Value) {
    ui->ConfigValue->setText(Value);
}
void PreVier::SlotAddVer(int type, QString Ver) {
    if (type == 0)
        ui->MouseVerValue->setText(Ver);
    else if (type == 1)
        ui->DongleVerValue->setText(Ver);
}
void PreVier::SlotAddUpdate(int type, bool Ver) {
    QLabel* mark = type == 0 ? ui->MouseUpdate : type == 1 ? ui->DongleUpdate : nullptr;
    if (mark)
        mark->setVisible(Ver);
}
void PreVier::SlotMouseIndex(int index) {
    ui->widget->setStyleSheet(
        QStringLiteral("#widget{border:0px;background-position:center;background-repeat:no-repeat;"
                       "background-image: url(") +
        m_imagePath + QStringLiteral("mouse") + QString::number(index) + QStringLiteral(".png") +
        QStringLiteral(");}"));
}
void PreVier::SlotAllLanguage(int index) {
    for (const auto& caption : kCaptions) {
        const QString text = Language::text(QStringLiteral("home"), QLatin1String(caption[1]), index);
        if (!text.isEmpty())
            label(caption[0])->setText(text);
    }
    showReport(index);
    if (!m_lod.isNull())
        showLOD(index);
}
void PreVier::on_UpArrow_clicked() {
    DeviceSession::setProgramActive(false);
    // Leaving the pages without storing would lose the record the next offline start shows.
    DevicePagesLink::saveCache();
    DeviceSession::stopService();
    PostMsg::instance()->SendChangeMainDialog(0);
    PostMsg::instance()->SendSetMacroPage();
}
