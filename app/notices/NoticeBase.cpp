#include "app/notices/NoticeBase.h"

#include "app/core/AppPaths.h"
#include "app/core/IniStores.h"
#include "app/core/Language.h"
#include "app/core/PostMsg.h"
#include "app/ui/Theme.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPixmap>
#include <QScreen>
#include <QToolButton>

#include "ui_NoticeDialog.h"

QString noticeText(const QString& key, int index) {
    return Language::text(QStringLiteral("common"), key, index);
}

NoticeBase::NoticeBase(QWidget* parent) : QDialog(parent), m_ui(new Ui::NoticeDialog) {
    // setupUi connects on_NewHong_clicked and on_CloseButton_clicked by name; they are virtual, so the
    // notices' overrides run.
    m_ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setModal(true);
    setFixedSize(300, 170);
    const QString dir = pictureDir();
    m_label = m_ui->label;
    m_ok = m_ui->NewHong;
    m_close = m_ui->CloseButton;

    // The picture's rounded corners are the dialog's outline; a missing picture shows no image.
    m_ui->BackGround->setScaledContents(true);
    m_ui->BackGround->setPixmap(QPixmap(dir + "BackGround.png"));
    Theme::makeTranslucent(this, 10);

    const QString labelSheet = colourSheet("QLabel", "LabelColor");
    m_label->setStyleSheet(labelSheet); // without the key the theme's text colour stays
    const QString buttonSheet = colourSheet("QToolButton", "ButtonColor");
    m_ok->setStyleSheet(
        QString("QToolButton{border-image: url(%1Confirm.png); border: none; %2}"
                "QToolButton:pressed{border-image: url(%1ConfirmClick.png);}")
            .arg(dir, buttonSheet.isEmpty() ? "color: " + Theme::rgb("ButtonColor") + ";" : QString()) +
        buttonSheet);
    m_ok->setText("OK");
    m_close->setStyleSheet(QString("QToolButton{border-image: url(%1Close.png); border: none;}"
                                   "QToolButton:hover{border-image: url(%1CloseHover.png);}"
                                   "QToolButton:pressed{border-image: url(%1CloseClick.png);}")
                               .arg(dir));
    connect(PostMsg::instance(), &PostMsg::SigAllLanguage, this, &NoticeBase::SlotAllLanguage);
    Theme::mirrorWithDirection(this);
}

NoticeBase::~NoticeBase() {
    delete m_ui;
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

KeyNotice::KeyNotice(const char* name, const char* key, QWidget* parent, const char* defaultText,
                     Missing missing)
    : NoticeBase(parent), m_key(key), m_default(defaultText), m_missing(missing) {
    setObjectName(QLatin1String(name));
    if (defaultText)
        setLabelText(QString::fromUtf8(defaultText));
    if (missing == Missing::FormText || Language::loadedCount() > 0)
        applyTexts(Language::currentIndex());
}

void KeyNotice::setKey(const char* key) {
    m_key = key;
    applyTexts(Language::currentIndex());
}

QString KeyNotice::keyText(const char* key, int index, const char* formText) const {
    const QString text = noticeText(QLatin1String(key), index);
    return text.isEmpty() && m_missing == Missing::FormText ? QString::fromUtf8(formText) : text;
}

void KeyNotice::applyTexts(int index) {
    setLabelText(keyText(m_key, index, m_default));
    setButtonText(keyText("OK", index, "确定"));
}

void NoticeBase::placeOver(const QWidget* caller, int dx, int dy) {
    QRect area = caller ? QRect(caller->mapToGlobal(QPoint(0, 0)), caller->size())
                        : QGuiApplication::primaryScreen()->availableGeometry();
    move(area.center().x() - width() / 2 + dx, area.center().y() - height() / 2 + dy);
}
