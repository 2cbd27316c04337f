#include "app/notices/NoticeBase.h"

#include "app/core/AppPaths.h"
#include "app/core/IniStores.h"
#include "app/core/Language.h"
#include "app/core/PostMsg.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPixmap>
#include <QScreen>
#include <QToolButton>

QString noticeText(const QString& key, int index) {
    return Language::text(QStringLiteral("common"), key, index);
}

NoticeBase::NoticeBase(QWidget* parent) : QDialog(parent) {
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setModal(true);
    setFixedSize(300, 170);
    const QString dir = pictureDir();

    auto* bg = new QLabel(this);
    bg->setObjectName("BackGround");
    bg->setGeometry(0, 0, 300, 170);
    bg->setPixmap(QPixmap(dir + "BackGround.png")); // a missing picture shows no image
    bg->setScaledContents(true);
    setStyleSheet("QDialog{background-color: rgb(30,30,34);}");

    m_label = new QLabel(this);
    m_label->setObjectName("label");
    m_label->setGeometry(20, 35, 260, 60);
    m_label->setAlignment(Qt::AlignCenter);
    m_label->setWordWrap(true);
    const QString labelSheet = colourSheet("QLabel", "LabelColor");
    m_label->setStyleSheet(labelSheet.isEmpty() ? "QLabel{color: rgb(230,230,230);}" : labelSheet);

    m_ok = new QToolButton(this);
    m_ok->setObjectName("NewHong");
    m_ok->setGeometry(105, 110, 90, 32);
    m_ok->setToolButtonStyle(Qt::ToolButtonTextOnly);
    const QString buttonSheet = colourSheet("QToolButton", "ButtonColor");
    m_ok->setStyleSheet(QString("QToolButton{border-image: url(%1Confirm.png); border: none; %2}"
                                "QToolButton:pressed{border-image: url(%1ConfirmClick.png);}")
                            .arg(dir, buttonSheet.isEmpty() ? "color: rgb(255,255,255);" : QString()) +
                        buttonSheet);
    m_ok->setText("OK");

    m_close = new QToolButton(this);
    m_close->setObjectName("CloseButton");
    m_close->setGeometry(270, 6, 24, 24);
    m_close->setStyleSheet(QString("QToolButton{border-image: url(%1Close.png); border: none;}"
                                   "QToolButton:hover{border-image: url(%1CloseHover.png);}"
                                   "QToolButton:pressed{border-image: url(%1CloseClick.png);}")
                               .arg(dir));

    connect(m_ok, &QToolButton::clicked, this, &NoticeBase::on_NewHong_clicked);
    connect(m_close, &QToolButton::clicked, this, &NoticeBase::on_CloseButton_clicked);
    connect(PostMsg::instance(), &PostMsg::SigAllLanguage, this, &NoticeBase::SlotAllLanguage);
}

QString NoticeBase::pictureDir() {
    return AppPaths::appDir() + "/Picture/WarningDialog/";
}

QString NoticeBase::colourSheet(const QString& selector, const QString& key) {
    const QStringList rgb = ConfigIniStore::instance().list("Option", key);
    if (rgb.size() < 3)
        return QString();
    return selector + "{color: rgb(" + rgb[0].trimmed() + "," + rgb[1].trimmed() + "," + rgb[2].trimmed() +
           ");}";
}

QString NoticeBase::labelText() const {
    return m_label->text();
}
QString NoticeBase::buttonText() const {
    return m_ok->text();
}
void NoticeBase::setLabelText(const QString& text) {
    m_label->setText(text);
}
void NoticeBase::setButtonText(const QString& text) {
    m_ok->setText(text);
}

void NoticeBase::SlotAllLanguage(int index) {
    applyTexts(index);
}

void NoticeBase::on_NewHong_clicked() {
    m_result = true;
    close();
}

void NoticeBase::on_CloseButton_clicked() {
    m_result = false;
    close();
}

void NoticeBase::placeOver(const QWidget* caller, int dx, int dy) {
    QRect area = caller ? QRect(caller->mapToGlobal(QPoint(0, 0)), caller->size())
                        : QGuiApplication::primaryScreen()->availableGeometry();
    move(area.center().x() - width() / 2 + dx, area.center().y() - height() / 2 + dy);
}
