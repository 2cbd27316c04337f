#include "app/notices/ExeIsRun.h"

#include "app/core/AppPaths.h"
#include "app/core/IniStores.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QToolButton>

namespace {
// Finds `key` anywhere in a language file's nested objects; empty when absent.
QString findKey(const QJsonObject& obj, const QString& key) {
    const auto it = obj.constFind(key);
    if (it != obj.constEnd() && it->isString())
        return it->toString();
    for (const QJsonValue& v : obj) {
        if (v.isObject()) {
            const QString found = findKey(v.toObject(), key);
            if (!found.isEmpty())
                return found;
        }
    }
    return QString();
}

QString languageFile(int index) {
    switch (index) {
    case 0:
        return QStringLiteral("/Language//en.json");
    case 1:
        return QStringLiteral("/Language//zh-CN.json");
    case 3:
        return QStringLiteral("/Language/3-Korea.xml");
    case 4:
        return QStringLiteral("/Language/4-Russia.xml");
    case 5:
        return QStringLiteral("/Language/5-Japanese.xml");
    default:
        return QStringLiteral("/Language/0-English.xml");
    }
}

QString colourStyle(const char* selector, const QStringList& rgb) {
    return QStringLiteral("%1{color: rgb(%2,%3,%4;);}")
        .arg(QLatin1String(selector), rgb.value(0), rgb.value(1), rgb.value(2));
}
} // namespace

ExeIsRun::ExeIsRun(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("ExeIsRun"));
    setWindowFlags(Qt::FramelessWindowHint | Qt::Dialog);
    setFixedSize(320, 160);
    const QString pics = AppPaths::appDir() + QStringLiteral("/Picture/WarningDialog/");
    setStyleSheet(QStringLiteral("#ExeIsRun{border-image: url(%1BackGround.png);}").arg(pics));

    m_label = new QLabel(QStringLiteral("Confirm Delete"), this);
    m_label->setObjectName(QStringLiteral("label"));
    m_label->setGeometry(20, 40, 280, 60);
    m_label->setAlignment(Qt::AlignCenter);
    m_label->setWordWrap(true);
    const QStringList labelColour =
        ConfigIniStore::instance().list(QStringLiteral("Option"), QStringLiteral("LabelColor"));
    m_label->setStyleSheet(labelColour.size() >= 3 ? colourStyle("QLabel", labelColour)
                                                   : QStringLiteral("QLabel{color: rgb(230,230,235);}"));

    const QStringList buttonColour =
        ConfigIniStore::instance().list(QStringLiteral("Option"), QStringLiteral("ButtonColor"));
    const QString buttonText =
        buttonColour.size() >= 3
            ? QStringLiteral("color: rgb(%1,%2,%3);").arg(buttonColour[0], buttonColour[1], buttonColour[2])
            : QStringLiteral("color: rgb(255,255,255);");
    const QString confirmStyle =
        QStringLiteral("QToolButton{border:0px;%1background-image: url(%2Confirm.png);"
                       "background-position:center;background-repeat:no-repeat;}"
                       "QToolButton:pressed{background-image: url(%2ConfirmClick.png);}")
            .arg(buttonText, pics);
    m_ok = new QToolButton(this);
    m_ok->setObjectName(QStringLiteral("NewHong"));
    m_ok->setGeometry(105, 110, 110, 32);
    m_ok->setStyleSheet(confirmStyle);
    m_no = new QToolButton(this);
    m_no->setObjectName(QStringLiteral("NewHong_2"));
    m_no->setGeometry(160, 110, 110, 32);
    m_no->setStyleSheet(confirmStyle);
    m_no->hide();
    m_close = new QToolButton(this);
    m_close->setObjectName(QStringLiteral("CloseButton"));
    m_close->setGeometry(288, 8, 24, 24);
    m_close->setStyleSheet(QStringLiteral("QToolButton{border:0px;background-image: url(%1Close.png);"
                                          "background-position:center;background-repeat:no-repeat;}"
                                          "QToolButton:hover{background-image: url(%1CloseHover.png);}"
                                          "QToolButton:pressed{background-image: url(%1CloseClick.png);}")
                               .arg(pics));
    connect(m_ok, &QToolButton::clicked, this, &ExeIsRun::on_NewHong_clicked);
    connect(m_no, &QToolButton::clicked, this, &ExeIsRun::on_NewHong_2_clicked);
    connect(m_close, &QToolButton::clicked, this, &ExeIsRun::on_CloseButton_clicked);

    loadTexts(
        MacroIniStore::instance().value(QStringLiteral("Language"), QStringLiteral("Language")).toInt());
}

void ExeIsRun::loadTexts(int languageIndex) {
    QFile file(AppPaths::appDir() + languageFile(languageIndex));
    QJsonObject root;
    if (file.open(QIODevice::ReadOnly))
        root = QJsonDocument::fromJson(file.readAll()).object();
    m_onRun = findKey(root, QStringLiteral("OnRun"));
    m_checkUpdate = findKey(root, QStringLiteral("CheckUpdate"));
    m_okText = findKey(root, QStringLiteral("OK"));
    if (m_onRun.isEmpty())
        m_onRun = QStringLiteral("The program is already running");
    if (m_checkUpdate.isEmpty())
        m_checkUpdate = QStringLiteral("A new version is available. Update now?");
    if (m_okText.isEmpty())
        m_okText = QStringLiteral("OK");
    m_label->setText(m_onRun);
    m_ok->setText(m_okText);
}

void ExeIsRun::setNewVersionForm() {
    m_label->setText(m_checkUpdate);
    m_no->show();
    m_ok->move(50, 110);
    m_no->move(160, 110);
}

QString ExeIsRun::labelText() const {
    return m_label->text();
}

void ExeIsRun::on_NewHong_clicked() {
    m_result = true;
    close();
}

void ExeIsRun::on_NewHong_2_clicked() {
    m_result = false;
    close();
}

void ExeIsRun::on_CloseButton_clicked() {
    m_result = false;
    close();
}
