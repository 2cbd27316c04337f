#include "app/update/UpdateProgress.h"

#include "app/core/AppPaths.h"
#include "app/core/Language.h"
#include "app/core/PostMsg.h"
#include "app/ui/Theme.h"

#include <QLabel>
#include <QPixmap>
#include <QProgressBar>
#include <QToolButton>

UpdateProgress::UpdateProgress(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("UpdateProgress"));
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setFixedSize(320, 160);
    Theme::makeTranslucent(this, 10);
    const QString pics = AppPaths::appDir() + QStringLiteral("/Picture/WarningDialog/");
    auto* bg = new QLabel(this);
    bg->setScaledContents(true);
    bg->setPixmap(QPixmap(pics + QStringLiteral("BackGround.png")));
    bg->setGeometry(rect());

    m_label = new QLabel(this);
    m_label->setObjectName(QStringLiteral("label"));
    m_label->setGeometry(20, 34, 280, 52);
    m_label->setWordWrap(true);
    m_label->setAlignment(Qt::AlignCenter);
    m_label->setStyleSheet(QStringLiteral("QLabel{color: %1;}").arg(Theme::rgb("LabelColor")));
    m_bar = new QProgressBar(this);
    m_bar->setObjectName(QStringLiteral("progressBar"));
    m_bar->setGeometry(30, 100, 260, 18);
    m_bar->setRange(0, 100);
    m_bar->setValue(0);
    m_bar->setTextVisible(true);
    m_bar->setStyleSheet(
        QStringLiteral("QProgressBar{border:1px solid %1;border-radius:4px;text-align:center;"
                       "color:%2;background:%3;}QProgressBar::chunk{background:%4;"
                       "border-radius:3px;}")
            .arg(Theme::rgb(Theme::border()), Theme::rgb("LabelColor"), Theme::rgb(Theme::base()),
                 Theme::rgb("SliderColor")));
    m_close = new QToolButton(this);
    m_close->setObjectName(QStringLiteral("CloseButton"));
    m_close->setGeometry(288, 8, 24, 24);
    m_close->setCursor(Qt::PointingHandCursor);
    m_close->setStyleSheet(QStringLiteral("QToolButton{border-image: url(%1Close.png); border: none;}"
                                          "QToolButton:hover{border-image: url(%1CloseHover.png);}"
                                          "QToolButton:pressed{border-image: url(%1CloseClick.png);}")
                               .arg(pics));
    connect(m_close, &QToolButton::clicked, this, &UpdateProgress::cancelled);
    connect(PostMsg::instance(), &PostMsg::SigAllLanguage, this, &UpdateProgress::SlotAllLanguage);
    Theme::mirrorWithDirection(this);
    SlotAllLanguage(Language::currentIndex());
}

void UpdateProgress::SlotAllLanguage(int index) {
    const QString t = Language::text(QStringLiteral("common"), QStringLiteral("DialogDownloading"), index);
    m_label->setText(t.isEmpty() ? QStringLiteral("Downloading the new version") : t);
}

void UpdateProgress::setProgress(qint64 received, qint64 total) {
    if (total > 0)
        m_bar->setValue(int(std::min<qint64>(100, received * 100 / total)));
}

int UpdateProgress::percent() const {
    return m_bar->value();
}
