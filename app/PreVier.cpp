#include "app/PreVier.h"

#include "app/core/AppPaths.h"
#include "app/core/Language.h"
#include "app/core/PostMsg.h"
#include "device/HidApi.h"

#include <QLabel>
#include <QVariant>

namespace {
const char* const kCaptions[][2] = {{"labelDPI", "DPI"},
                                    {"labelReportRate", "ReportRate"},
                                    {"labelLOD", "LOD"},
                                    {"labelDebounce", "DebounceTime"},
                                    {"labelConfig", "configName"},
                                    {"labelMouseVer", "MouseVersion"},
                                    {"labelDongleVer", "DongleVersion"}};
const char* const kDefaults[] = {"DPI",           "Report rate",   "Lift-off distance", "Debounce time",
                                 "Configuration", "Mouse version", "Receiver version"};
const char* const kValues[] = {"DPIValue",    "ReportValue",   "LODValue",      "DebounceValue",
                               "ConfigValue", "MouseVerValue", "DongleVerValue"};
} // namespace

PreVier::PreVier(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("PreVier"));
    setFixedSize(1000, 560);
    m_imagePath = AppPaths::appDir() + QStringLiteral("/Picture/Buttoninterface/");
    m_picture = new QWidget(this);
    m_picture->setObjectName(QStringLiteral("widget"));
    m_picture->setGeometry(40, 40, 480, 480);
    SlotMouseIndex(0);
    setStyleSheet(
        QStringLiteral("QLabel{color: rgb(200,205,215); font-size: 14px;}"
                       "QLabel[role=\"value\"]{color: rgb(0,255,153); font-size: 18px; font-weight: bold;}"));
    for (int i = 0; i < 7; ++i)
        addRow(i, QLatin1String(kCaptions[i][0]), QLatin1String(kValues[i]), QLatin1String(kDefaults[i]));
    for (const char* mark : {"MouseUpdate", "DongleUpdate"}) {
        auto* l = new QLabel(this);
        l->setObjectName(QLatin1String(mark));
        l->setFixedSize(20, 20);
        l->setStyleSheet(QStringLiteral("QLabel{border-image: url(%1Update.png);}").arg(m_imagePath));
        l->move(900, 80 + 60 * (QByteArray(mark) == "MouseUpdate" ? 5 : 6));
        l->hide();
    }
}

QLabel* PreVier::addRow(int row, const QString& captionName, const QString& valueName,
                        const QString& caption) {
    auto* c = new QLabel(caption, this);
    c->setObjectName(captionName);
    c->setGeometry(580, 60 + 60 * row, 180, 24);
    auto* v = new QLabel(QStringLiteral("--"), this);
    v->setObjectName(valueName);
    v->setProperty("role", QStringLiteral("value"));
    v->setGeometry(760, 56 + 60 * row, 140, 30);
    return v;
}

QLabel* PreVier::label(const char* name) const {
    return findChild<QLabel*>(QLatin1String(name));
}

void PreVier::SlotAddSensor(int Value) {
    label("DPIValue")->setText(QString::number(Value));
}
void PreVier::SlotAddReport(int Value) {
    label("ReportValue")->setText(QString::number(Value) + QStringLiteral("Hz"));
}
void PreVier::SlotAddLOD(QString Value) {
    label("LODValue")->setText(Value);
}
void PreVier::SlotDebnunce(QString Vlue) {
    label("DebounceValue")->setText(Vlue);
}
void PreVier::SlotAddConfig(QString Value) {
    label("ConfigValue")->setText(Value);
}
void PreVier::SlotAddVer(int type, QString Ver) {
    if (type == 0)
        label("MouseVerValue")->setText(Ver);
    else if (type == 1)
        label("DongleVerValue")->setText(Ver);
}
void PreVier::SlotAddUpdate(int type, bool Ver) {
    QLabel* mark = type == 0 ? label("MouseUpdate") : type == 1 ? label("DongleUpdate") : nullptr;
    if (mark)
        mark->setVisible(Ver);
}
void PreVier::SlotMouseIndex(int index) {
    m_picture->setStyleSheet(
        QStringLiteral("#widget{border:0px;background-position:center;background-repeat:no-repeat;"
                       "background-image: url(") +
        m_imagePath + QStringLiteral("mouse") + QString::number(index) + QStringLiteral(".png") +
        QStringLiteral(");}"));
}
void PreVier::SlotAllLanguage(int index) {
    for (int i = 0; i < 7; ++i) {
        const QString text = Language::text(QStringLiteral("PreVier"), QLatin1String(kCaptions[i][1]), index);
        if (!text.isEmpty())
            label(kCaptions[i][0])->setText(text);
    }
}
void PreVier::on_UpArrow_clicked() {
    hid().UsbServer_SetPCDriverStatus(0);
    hid().UsbServer_Exit();
    PostMsg::instance()->SendChangeMainDialog(0);
    PostMsg::instance()->SendSetMacroPage();
}
