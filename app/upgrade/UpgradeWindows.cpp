#include "app/upgrade/UpgradeWindows.h"

#include "app/core/Language.h"
#include "app/core/PostMsg.h"
#include "app/ui/Theme.h"
#include "device/Discovery.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QShortcut>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
QString updateText(const QString& key) {
    const QString text = Language::text(QStringLiteral("update"), key, Language::currentIndex());
    return text.isEmpty() ? key : text;
}
} // namespace

UpgradeWindow::UpgradeWindow(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("UpgradeWindow"));
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setModal(true);
    setFixedSize(520, 250);
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(
        Theme::controlRules() + Theme::roleRules() +
        QStringLiteral("#UpgradeWindow{background:%1;border:1px solid %2;border-radius:8px;}"
                       "#UpgradeTitle{font-size:16px;font-weight:bold;color:%3;}"
                       "#UpgradeText{font-size:14px;color:%3;}"
                       "QProgressBar{border:1px solid %2;border-radius:4px;background:%4;height:14px;"
                       "text-align:center;color:%3;}"
                       "QProgressBar::chunk{background:%5;border-radius:3px;}"
                       "QToolButton{min-width:110px;min-height:30px;padding:0 12px;border:1px solid %2;"
                       "border-radius:4px;color:%6;background:%4;}"
                       "QToolButton:hover{border-color:%5;}"
                       "QToolButton:disabled{color:%7;}"
                       "#UpgradeClose{min-width:24px;min-height:24px;padding:0;border:none;"
                       "background:transparent;font-size:18px;}")
            .arg(Theme::rgb(Theme::window()), Theme::rgb(Theme::border()), Theme::rgb("LabelColor"),
                 Theme::rgb(Theme::base()), Theme::rgb("SliderColor"), Theme::rgb("ButtonColor"),
                 Theme::rgb(Theme::mutedText())));

    m_title = new QLabel(this);
    m_title->setObjectName(QStringLiteral("UpgradeTitle"));
    m_close = new QToolButton(this);
    m_close->setObjectName(QStringLiteral("UpgradeClose"));
    m_close->setText(QStringLiteral("✕"));
    QSizePolicy keep = m_close->sizePolicy();
    keep.setRetainSizeWhenHidden(true); // the title stays put while the close button is hidden
    m_close->setSizePolicy(keep);
    m_text = new QLabel(this);
    m_text->setObjectName(QStringLiteral("UpgradeText"));
    m_text->setWordWrap(true);
    m_text->setAlignment(Qt::AlignCenter);
    m_bar = new QProgressBar(this);
    m_bar->setRange(0, 100);
    m_bar->setValue(0);
    m_start = new QToolButton(this);
    m_start->setObjectName(QStringLiteral("UpgradeStart"));
    m_cancel = new QToolButton(this);
    m_cancel->setObjectName(QStringLiteral("UpgradeCancel"));

    auto* top = new QHBoxLayout;
    top->addWidget(m_title, 1);
    top->addWidget(m_close);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_start);
    buttons->addWidget(m_cancel);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 12, 20, 18);
    layout->addLayout(top);
    layout->addWidget(m_text, 1);
    layout->addWidget(m_bar);
    layout->addSpacing(8);
    layout->addLayout(buttons);

    connect(m_close, &QToolButton::clicked, this, &UpgradeWindow::reject);
    connect(m_cancel, &QToolButton::clicked, this, &UpgradeWindow::reject);
    connect(m_start, &QToolButton::clicked, this, &UpgradeWindow::startRun);
    // Enter starts, Esc leaves (reject refuses while flashing).
    auto* enter = new QShortcut(QKeySequence(Qt::Key_Return), this);
    connect(enter, &QShortcut::activated, m_start, &QToolButton::click);
    auto* enter2 = new QShortcut(QKeySequence(Qt::Key_Enter), this);
    connect(enter2, &QShortcut::activated, m_start, &QToolButton::click);

    connect(&m_run, &Upgrade::Run::progress, this, [this](int p) { announceProgress(p); });
    connect(&m_run, &Upgrade::Run::warning, this, [this](const QString& key) { setKeyText(key); });
    connect(&m_run, &Upgrade::Run::finished, this, &UpgradeWindow::onFinished);
    connect(Upgrade::FlashWatch::instance(), &Upgrade::FlashWatch::over, this, [this] {
        if (!m_run.running() && m_textKey != QStringLiteral("DialogUpgradeSuccess"))
            offerStart();
    });
    connect(PostMsg::instance(), &PostMsg::SigAllLanguage, this, &UpgradeWindow::SlotAllLanguage);
    m_textKey = QStringLiteral("WarnUpdate");
    applyTexts();
    offerStart();
}

QString UpgradeWindow::text() const {
    return m_text->text();
}

int UpgradeWindow::percent() const {
    return m_bar->value();
}

void UpgradeWindow::placeOver(const QWidget* caller, int dx, int dy) {
    if (!caller)
        return;
    const QPoint centre = caller->mapToGlobal(caller->rect().center());
    move(centre.x() - width() / 2 + dx, centre.y() - height() / 2 + dy);
}

void UpgradeWindow::applyTexts() {
    const QString title = Language::text(m_titleGroup, m_titleKey, Language::currentIndex());
    m_title->setText(title.isEmpty() ? updateText(QStringLiteral("Upgrade")) : title);
    m_text->setText(updateText(m_textKey));
    m_start->setText(updateText(QStringLiteral("DialogUpgradeStart")));
    m_cancel->setText(updateText(QStringLiteral("Cancel")));
    m_close->setToolTip(
        Language::text(QStringLiteral("home"), QStringLiteral("Close"), Language::currentIndex()));
    m_bar->setLayoutDirection(layoutDirection());
}

void UpgradeWindow::setTitle(const QString& group, const QString& key) {
    m_titleGroup = group;
    m_titleKey = key;
    applyTexts();
}

void UpgradeWindow::SlotAllLanguage(int) {
    applyTexts();
}

void UpgradeWindow::setKeyText(const QString& key) {
    m_textKey = key;
    m_text->setText(updateText(key));
}

void UpgradeWindow::setStartEnabled(bool enabled) {
    m_canStart = enabled;
    offerStart();
}

void UpgradeWindow::offerStart() {
    // A flash given up on may still be writing the device: no second one until it is over.
    m_start->setEnabled(m_canStart && !Upgrade::libraryFlashing());
}

bool UpgradeWindow::startRun() {
    if (!m_canStart || m_run.running() || Upgrade::libraryFlashing())
        return false;
    SlotProgress(0, 4);
    setKeyText(QStringLiteral("DialogUpgradeUpgrading"));
    m_start->setEnabled(false);
    m_cancel->setEnabled(false);
    if (!m_run.start(m_plan)) {
        setKeyText(QStringLiteral("ErrorFile"));
        SlotProgress(0, 6);
        return false;
    }
    return true;
}

void UpgradeWindow::onFinished(bool ok) {
    // A warning of the run (no device, no image) stays readable: only a flash's own end overwrites it.
    const QString warning = m_textKey;
    announceEnd(ok);
    if (!ok && warning != QStringLiteral("DialogUpgradeUpgrading"))
        setKeyText(warning);
}

void UpgradeWindow::announceEnd(bool ok) {
    SlotProgress(0, ok ? 2 : 1);
    PostMsg::instance()->SendUpDateButton(ok);
}

void UpgradeWindow::SlotProgress(int schedue, int Discrib) {
    switch (Discrib) {
    case 0:
        m_bar->setValue(qBound(0, schedue, 100));
        break;
    case 1:
    case 5:
    case 6:
        setKeyText(QStringLiteral("DialogUpgradeFail"));
        offerStart();
        m_cancel->setEnabled(true);
        m_close->show();
        if (Discrib == 5)
            m_bar->setValue(50);
        break;
    case 2:
        setKeyText(QStringLiteral("DialogUpgradeSuccess"));
        m_bar->setValue(100);
        m_start->setEnabled(false); // nothing left to flash
        m_cancel->setEnabled(true);
        m_cancel->setText(updateText(QStringLiteral("OK")));
        m_close->show();
        break;
    case 3:
        m_close->hide();
        break;
    case 4:
        m_close->hide();
        m_bar->setValue(0);
        break;
    default:
        break;
    }
}

void UpgradeWindow::SlotAutoRepair(int index) {
    SlotProgress(0, index == 0 ? 2 : 1);
}

void UpgradeWindow::reject() {
    if (m_run.running())
        return; // leaving now would leave a half-flashed device without its record of it
    QDialog::reject();
}

Progress::Progress(const Upgrade::Plan& plan, QWidget* parent) : UpgradeWindow(parent) {
    setObjectName(QStringLiteral("UpgradeWindow"));
    setPlan(plan);
    setStartEnabled(plan.plannedImages() > 0);
}

UpDateRepair::UpDateRepair(QWidget* parent) : UpgradeWindow(parent) {
    setTitle(QStringLiteral("home"), QStringLiteral("FirmwareRepair"));
    PostMsg* hub = PostMsg::instance();
    connect(hub, &PostMsg::SigAutoRepair, this, &UpDateRepair::SlotAutoRepair);
    connect(hub, &PostMsg::SigAutoRepairProgress, this, &UpDateRepair::SlotAutoRepairProgress);
    connect(hub, &PostMsg::SigProgress, this, &UpDateRepair::SlotProgress);
    m_check = Upgrade::checkRepair(Discovery::enumerate(Discovery::Finder::Default));
    setPlan(m_check.plan);
    if (!m_check.needed) {
        setKeyText(QStringLiteral("NoRepair"));
        setStartEnabled(false);
    } else if (!m_check.problem.isEmpty()) {
        setKeyText(m_check.problem);
        setStartEnabled(false);
    } else {
        setKeyText(QStringLiteral("ReadyUpdate"));
    }
}

void UpDateRepair::SlotAutoRepairProgress(int index) {
    SlotProgress(index, 0);
}

void UpDateRepair::announceProgress(int percent) {
    PostMsg::instance()->SendAutoRepairProgress(percent);
}

void UpDateRepair::announceEnd(bool ok) {
    PostMsg* hub = PostMsg::instance();
    hub->SendAutoRepair(ok ? 0 : 1);
    hub->SendUpDateButton(ok);
    hub->SendProgress(0, ok ? 2 : 6);
}
