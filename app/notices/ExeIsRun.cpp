#include "app/notices/ExeIsRun.h"

#include "app/core/AppPaths.h"
#include "app/core/IniStores.h"
#include "app/core/Language.h"
#include "app/core/PostMsg.h"
#include "app/ui/Theme.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QStyleOption>
#include <QXmlStreamReader>

#include "ui_ExeIsRun.h"

namespace {
QString colourStyle(const char* selector, const QStringList& rgb) {
    return QStringLiteral("%1{color: rgb(%2,%3,%4;);}")
        .arg(QLatin1String(selector), rgb.value(0), rgb.value(1), rgb.value(2));
}

// String members of the first object named "common" under "mouse" (else anywhere), flattened.
void collectStrings(const QJsonObject& obj, QHash<QString, QString>& out) {
    for (auto it = obj.begin(); it != obj.end(); ++it) {
        if (it->isString() && !out.contains(it.key()))
            out.insert(it.key(), it->toString());
        else if (it->isObject())
            collectStrings(it->toObject(), out);
    }
}
} // namespace

ExeIsRun::ExeIsRun(QWidget* parent) : QDialog(parent), m_ui(new Ui::ExeIsRun) {
    m_ui->setupUi(this); // connects the on_… slots by name
    setWindowFlags(Qt::FramelessWindowHint | Qt::Dialog);
    setFixedSize(320, 160);
    Theme::makeTranslucent(this, 10);
    m_ui->NewHong_2->hide();
    const QString pics = AppPaths::appDir() + QStringLiteral("/Picture/WarningDialog/");
    setStyleSheet(QStringLiteral("#ExeIsRun{border-image: url(%1BackGround.png);}").arg(pics));

    const QStringList labelColour =
        ConfigIniStore::instance().list(QStringLiteral("Option"), QStringLiteral("LabelColor"));
    m_ui->label->setStyleSheet(labelColour.size() >= 3 ? colourStyle("QLabel", labelColour)
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
    m_ui->NewHong->setStyleSheet(confirmStyle);
    m_ui->NewHong_2->setStyleSheet(confirmStyle);
    m_ui->CloseButton->setStyleSheet(
        QStringLiteral("QToolButton{border:0px;background-image: url(%1Close.png);"
                       "background-position:center;background-repeat:no-repeat;}"
                       "QToolButton:hover{background-image: url(%1CloseHover.png);}"
                       "QToolButton:pressed{background-image: url(%1CloseClick.png);}")
            .arg(pics));
    connect(PostMsg::instance(), &PostMsg::SigAllLanguage, this, &ExeIsRun::SlotAllLanguage);
    // Right to left the buttons swap sides and the close button moves left, as on the other notices.
    Theme::mirrorWithDirection(this);

    loadTexts(
        MacroIniStore::instance().value(QStringLiteral("Language"), QStringLiteral("Language")).toInt());
}

void ExeIsRun::paintEvent(QPaintEvent*) {
    QStyleOption option;
    option.initFrom(this);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
}

ExeIsRun::~ExeIsRun() {
    delete m_ui;
}

int ExeIsRun::legacyNumber(int languageIndex, const QStringList& enabledOptionKeys) {
    static const char* const legacy[] = {"English", "zh-CN", "zh-CNtr", "Korean", "Russian", "Japanese"};
    int position = 0;
    for (const Language::LanguageInfo& l : Language::allLanguages()) {
        if (!enabledOptionKeys.contains(QLatin1String(l.optionKey)))
            continue;
        if (position++ != languageIndex)
            continue;
        for (int n = 0; n < 6; ++n)
            if (qstrcmp(l.optionKey, legacy[n]) == 0)
                return n;
        return -1;
    }
    return -1;
}

QString ExeIsRun::textFile(int legacyNumber) {
    switch (legacyNumber) {
    case 0:
        return QStringLiteral("/Language//en.json");
    case 1:
        return QStringLiteral("/Language//zh-CN.json");
    case 2: // named after the language's "Option" key
        return QStringLiteral("/Language/2-zh-CNtr.xml");
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

QString ExeIsRun::textFileFor(int languageIndex, const QStringList& enabledOptionKeys) {
    const int legacy = legacyNumber(languageIndex, enabledOptionKeys);
    int position = 0;
    for (const Language::LanguageInfo& l : Language::allLanguages()) {
        if (!enabledOptionKeys.contains(QLatin1String(l.optionKey)) || position++ != languageIndex)
            continue;
        return legacy >= 0 ? textFile(legacy) : QString::fromLatin1(l.file);
    }
    return textFile(-1);
}

QHash<QString, QString> ExeIsRun::readTexts(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return parseTexts(file.readAll(), path.endsWith(QLatin1String(".json")));
}

QHash<QString, QString> ExeIsRun::parseTexts(const QByteArray& data, bool json) {
    QHash<QString, QString> texts;
    if (json) {
        const QJsonObject root = QJsonDocument::fromJson(data).object();
        // The mouse texts win over the keyboard section's texts of the same name.
        collectStrings(
            root.value(QStringLiteral("mouse")).toObject().value(QStringLiteral("common")).toObject(), texts);
        collectStrings(root, texts);
        return texts;
    }
    QXmlStreamReader xml(data);
    if (!xml.readNextStartElement() || xml.name() != QLatin1String("ExeIsRun"))
        return texts;
    while (xml.readNextStartElement()) {
        const QString key = xml.name().toString();
        const QString value = xml.readElementText(QXmlStreamReader::SkipChildElements);
        if (!xml.hasError())
            texts.insert(key, value);
    }
    if (xml.hasError()) // a truncated file gives nothing rather than half its texts
        texts.clear();
    return texts;
}

void ExeIsRun::loadTexts(int languageIndex) {
    const QHash<QString, QString> texts =
        readTexts(AppPaths::appDir() + textFileFor(languageIndex, Language::enabledOptionKeys()));
    if (texts.isEmpty())
        return; // no readable file: the built-in defaults stay
    m_texts = texts;
    m_ui->label->setText(m_texts.value(m_shownKey));
    m_ui->NewHong->setText(m_texts.value(QStringLiteral("OK")));
    m_ui->NewHong_2->setText(m_texts.value(QStringLiteral("Cancel")));
}

void ExeIsRun::SlotAllLanguage(int index) {
    loadTexts(index);
}

void ExeIsRun::setNotice(const QString& key) {
    m_shownKey = key;
    if (!m_texts.isEmpty())
        m_ui->label->setText(m_texts.value(key));
}

void ExeIsRun::setNewVersionForm() {
    setNotice(QStringLiteral("CheckUpdate"));
    m_ui->NewHong_2->show();
    m_ui->NewHong->move(50, 110);
    m_ui->NewHong_2->move(160, 110);
    Theme::mirrorWithDirection(this);
}

QString ExeIsRun::labelText() const {
    return m_ui->label->text();
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
