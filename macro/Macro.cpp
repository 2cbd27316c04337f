#include "macro/Macro.h"

#include "app/core/AppPaths.h"
#include "app/core/Language.h"
#include "app/core/Logging.h"
#include "app/core/PostMsg.h"
#include "app/notices/QuestionDialog.h"
#include "app/notices/SimpleNotices.h"
#include "app/ui/Theme.h"
#include "device/LinkState.h"
#include "device/SettingWriters.h"
#include "macro/MacroDialogs.h"
#include "macro/core/MacroExport.h"
#include "macro/core/MacroNames.h"
#include "macro/core/MacroPacker.h"
#include "macro/core/MacroReconcile.h"
#include "platform/input/KeyboardHook.h"
#include "sensor/SensorLook.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

using MacroFormat::MacroData;
using MacroFormat::MacroItem;

namespace {

constexpr int kDefaultDelayMs = 10;
constexpr qint64 kMaxImportBytes = 16 << 20;
// Mouse-button codes of the insert entries 4 … 8: left, right, middle, forward, back.
const uint8_t kInsertedButtons[5] = {0x01, 0x02, 0x04, 0x10, 0x08};

QString macroText(const char* key, int index, const char* fallback) {
    const QString t = Language::text(QStringLiteral("macro"), QLatin1String(key), index);
    return t.isEmpty() ? QString::fromUtf8(fallback) : t;
}

// " ms" in the language's own words, for the delay fields.
QString msSuffix(int index) {
    const QString unit = Language::text(QStringLiteral("common"), QStringLiteral("UnitMs"), index);
    return QLatin1Char(' ') + (unit.isEmpty() ? QStringLiteral("ms") : unit);
}

QIcon itemIcon(const MacroItem& item) {
    const QString dir = AppPaths::appDir() + QStringLiteral("/Picture/Macro/");
    if (!item.isKey())
        return QIcon(dir + QStringLiteral("MacroTime.png"));
    return QIcon(dir + (item.release ? QStringLiteral("MacroUp.png") : QStringLiteral("MacroDown.png")));
}

} // namespace

Macro::Macro(QWidget* parent) : QWidget(parent), m_folder(MacroNames::folder()) {
    setObjectName(QStringLiteral("Macro"));
    setFixedSize(883, 560);
    setStyleSheet(Theme::controlRules() + Theme::roleRules() +
                  QStringLiteral("QListWidget{border:1px solid %1;border-radius:5px;background:%2;}"
                                 "QGroupBox{border:1px solid %1;border-radius:5px;margin-top:14px;"
                                 "padding:8px 6px 6px 6px;}"
                                 "QGroupBox::title{subcontrol-origin:margin;left:10px;padding:0 4px;}")
                      .arg(Theme::rgb(Theme::border()), Theme::rgb(Theme::base())));
    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(16, 12, 16, 12);
    outer->setSpacing(16);
    outer->addWidget(buildLists(), 1);
    QWidget* options = buildOptions();
    options->setFixedWidth(340); // the lists keep their width whatever the language's texts
    outer->addWidget(options);

    PostMsg* hub = PostMsg::instance();
    connect(hub, &PostMsg::SigAllLanguage, this, &Macro::SlotAllLanguage);
    connect(hub, &PostMsg::SigSetMacroPage, this, &Macro::SlotSetMacroPage);
    connect(hub, &PostMsg::SigButtonToMacro, this, &Macro::SlotButtonToMacro);
    connect(hub, &PostMsg::SigMacroDownLoadData, this, &Macro::SlotMacroDownLoadData);
    QMetaObject::connectSlotsByName(this);
    QDir().mkpath(m_folder);
    refreshMacroList(QString());
    setEditing(true);
    m_save->setEnabled(false);
    applyTexts(Language::currentIndex());
    Theme::mirrorWithDirection(this);
}

Macro::~Macro() {
    if (m_recorder.active())
        LinkFlags::Recording = false;
}

QWidget* Macro::buildLists() {
    auto* box = new QWidget(this);
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(8);
    const auto button = [&](const char* name) {
        auto* b = new QPushButton(box);
        b->setObjectName(QLatin1String(name));
        b->setMinimumHeight(30);
        return b;
    };
    m_macroCaption = new QLabel(box);
    m_macroCaption->setProperty("role", "caption");
    m_itemCaption = new QLabel(box);
    m_itemCaption->setProperty("role", "caption");
    m_macros = new QListWidget(box);
    m_macros->setObjectName(QStringLiteral("listWidgetHong"));
    m_macros->setContextMenuPolicy(Qt::CustomContextMenu);
    m_items = new QListWidget(box);
    m_items->setObjectName(QStringLiteral("listWidgetKey"));
    m_items->setIconSize(QSize(16, 16));
    m_new = button("NewHong");
    m_deleteMacro = button("DeleteHong");
    m_chooseEvent = new QComboBox(box);
    m_chooseEvent->setObjectName(QStringLiteral("ChooseEvent"));
    m_chooseEvent->setMinimumHeight(30);
    SensorLook::comboBox(m_chooseEvent);
    m_amend = button("Amend");
    m_deleteKey = button("DeleteKey");

    grid->addWidget(m_macroCaption, 0, 0, 1, 2);
    grid->addWidget(m_macros, 1, 0, 1, 2);
    grid->addWidget(m_new, 2, 0);
    grid->addWidget(m_deleteMacro, 2, 1);
    grid->addWidget(m_itemCaption, 0, 2, 1, 2);
    grid->addWidget(m_items, 1, 2, 1, 2);
    grid->addWidget(m_chooseEvent, 2, 2, 1, 2);
    grid->addWidget(m_amend, 3, 2);
    grid->addWidget(m_deleteKey, 3, 3);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(2, 1);
    grid->setColumnStretch(3, 1);
    return box;
}

QWidget* Macro::buildOptions() {
    auto* box = new QWidget(this);
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(10);

    m_delayBox = new QGroupBox(box);
    m_delayBox->setObjectName(QStringLiteral("DelayGroup"));
    auto* delay = new QGridLayout(m_delayBox);
    delay->setHorizontalSpacing(8);
    m_autoDelay = new QCheckBox(m_delayBox);
    m_autoDelay->setObjectName(QStringLiteral("AutoInsertDelay"));
    m_defaultDelay = new QCheckBox(m_delayBox);
    m_defaultDelay->setObjectName(QStringLiteral("DefaultDelay"));
    m_delayTime = new QSpinBox(m_delayBox);
    m_delayTime->setObjectName(QStringLiteral("DelayTime"));
    m_delayTime->setRange(10, 99999);
    m_delayTime->setValue(kDefaultDelayMs);
    m_easyDelay = new QCheckBox(m_delayBox);
    m_easyDelay->setObjectName(QStringLiteral("EasyDelay"));
    m_chooseMode = new QComboBox(m_delayBox);
    m_chooseMode->setObjectName(QStringLiteral("ChooseMode"));
    SensorLook::comboBox(m_chooseMode);
    SensorLook::valueField(m_delayTime);
    for (QCheckBox* c : {m_autoDelay, m_defaultDelay, m_easyDelay})
        SensorLook::checkBox(c);
    // Each value sits under its box, so a long caption (Russian) never pushes it out.
    delay->addWidget(m_autoDelay, 0, 0, 1, 2);
    delay->addWidget(m_defaultDelay, 1, 0, 1, 2);
    delay->addWidget(m_delayTime, 2, 1);
    delay->addWidget(m_easyDelay, 3, 0, 1, 2);
    delay->addWidget(m_chooseMode, 4, 1);
    delay->setColumnMinimumWidth(0, 24);
    delay->setColumnStretch(1, 1);
    m_delayGroup = new QButtonGroup(this);
    m_delayGroup->addButton(m_autoDelay);
    m_delayGroup->addButton(m_defaultDelay);
    m_delayGroup->addButton(m_easyDelay);
    m_autoDelay->setChecked(true);

    m_repeatBox = new QGroupBox(box);
    m_repeatBox->setObjectName(QStringLiteral("RepeatGroup"));
    auto* repeat = new QGridLayout(m_repeatBox);
    m_reNumber = new QCheckBox(m_repeatBox);
    m_reNumber->setObjectName(QStringLiteral("ReNumber"));
    m_numberEdit = new QSpinBox(m_repeatBox);
    m_numberEdit->setObjectName(QStringLiteral("NumberEdit"));
    m_numberEdit->setRange(1, MacroFormat::kCycleCountMax);
    SensorLook::valueField(m_numberEdit);
    m_reUntil = new QCheckBox(m_repeatBox);
    m_reUntil->setObjectName(QStringLiteral("ReUntil"));
    m_reUntilLoose = new QCheckBox(m_repeatBox);
    m_reUntilLoose->setObjectName(QStringLiteral("ReUntilLoose"));
    m_reUntilClick = new QCheckBox(m_repeatBox);
    m_reUntilClick->setObjectName(QStringLiteral("ReUntilClick"));
    repeat->addWidget(m_reNumber, 0, 0);
    repeat->addWidget(m_numberEdit, 0, 1);
    repeat->addWidget(m_reUntil, 1, 0, 1, 2);
    repeat->addWidget(m_reUntilLoose, 2, 0, 1, 2);
    repeat->addWidget(m_reUntilClick, 3, 0, 1, 2);
    repeat->setColumnStretch(0, 1);
    m_repeatGroup = new QButtonGroup(this);
    for (QCheckBox* c : {m_reNumber, m_reUntil, m_reUntilLoose, m_reUntilClick}) {
        SensorLook::checkBox(c);
        m_repeatGroup->addButton(c);
    }
    m_reNumber->setChecked(true);
    // Another rule is a change of the stored cycle value: it is saved and sent like a new count.
    connect(m_repeatGroup, QOverload<QAbstractButton*, bool>::of(&QButtonGroup::buttonToggled), this,
            [this](QAbstractButton*, bool on) {
                if (on && !m_current.isEmpty())
                    markChanged(false);
            });

    m_start = new QPushButton(box);
    m_start->setObjectName(QStringLiteral("StartRecord"));
    m_stop = new QPushButton(box);
    m_stop->setObjectName(QStringLiteral("StopRecord"));
    m_stop->hide();
    m_save = new QPushButton(box);
    m_save->setObjectName(QStringLiteral("Save"));
    for (QPushButton* b : {m_start, m_stop, m_save})
        b->setMinimumHeight(34);

    column->addWidget(m_delayBox);
    column->addWidget(m_repeatBox);
    column->addStretch();
    column->addWidget(m_start);
    column->addWidget(m_stop);
    column->addWidget(m_save);
    return box;
}

QString Macro::filePath(const QString& name) const {
    return MacroNames::filePath(name, m_folder);
}

void Macro::applyTexts(int index) {
    m_language = index;
    m_macroCaption->setText(macroText("MacroList", index, "宏列表"));
    m_itemCaption->setText(macroText("KeyList", index, "按键列表"));
    m_new->setText(macroText("NewMacro", index, "新建宏"));
    m_deleteMacro->setText(macroText("Delete", index, "删除"));
    m_amend->setText(macroText("Modify", index, "修改"));
    m_deleteKey->setText(macroText("Delete", index, "删除"));
    m_save->setText(macroText("Save", index, "Save"));
    m_start->setText(macroText("StartRecord", index, "开始录制宏"));
    m_stop->setText(macroText("StopRecord", index, "停止录制宏"));
    m_delayBox->setTitle(macroText("DelayMode", index, "延时设置"));
    m_repeatBox->setTitle(macroText("RepeatMode", index, "循环设置"));
    m_autoDelay->setText(macroText("AutoDelay", index, "自动插入延时"));
    m_defaultDelay->setText(macroText("DefaultDelay", index, "默认延时"));
    m_easyDelay->setText(macroText("randomDelay", index, "随机延时"));
    m_reNumber->setText(macroText("CycleTimes", index, "循环次数"));
    m_reUntil->setText(macroText("UntilThisPressed", index, "循环直到此键再次按下"));
    m_reUntilLoose->setText(macroText("UntilThisReleased", index, "循环直到此键松开"));
    m_reUntilClick->setText(macroText("UntilAnyPressed", index, "循环直到任意键按下"));
    m_delayTime->setSuffix(msSuffix(index));
    for (QAbstractButton* b :
         {static_cast<QAbstractButton*>(m_reUntil), static_cast<QAbstractButton*>(m_reUntilLoose),
          static_cast<QAbstractButton*>(m_reUntilClick)})
        b->setToolTip(b->text());

    const int mode = qMax(0, m_chooseMode->currentIndex());
    m_chooseMode->clear();
    const QVector<Language::DelayEntry> grades = Language::randomDelays(index);
    for (int g = 0; g < 10; ++g) {
        const QString builtIn = QStringLiteral("%1档").arg(g);
        m_chooseMode->addItem(g < grades.size() && !grades.at(g).option.isEmpty() ? grades.at(g).option
                                                                                  : builtIn);
    }
    m_chooseMode->setCurrentIndex(mode);

    const QMap<QString, QString> events = Language::options(QStringLiteral("InsertEventOptions"), index);
    const char* const builtInEvents[8] = {"按键按下", "按键释放", "延时",   "左键",
                                          "右键",     "中键",     "前进键", "后退键"};
    m_chooseEvent->clear();
    m_chooseEvent->addItem(macroText("InsertEvent", index, "插入事件"));
    for (int e = 1; e <= 8; ++e) {
        const QString text = events.value(QString::number(e));
        m_chooseEvent->addItem(text.isEmpty() ? QString::fromUtf8(builtInEvents[e - 1]) : text);
    }
    fitButtons();
    showItems(m_items->currentRow()); // mouse-button names follow the language
}

void Macro::fitButtons() {
    // Long words (Russian) shrink rather than lose their ends; the widths are known once laid out.
    for (QPushButton* b : {m_new, m_deleteMacro, m_amend, m_deleteKey, m_save, m_start, m_stop}) {
        b->setFont(font());
        Theme::fitText(b, 16);
    }
}

void Macro::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    fitButtons();
}

void Macro::SlotAllLanguage(int index) {
    applyTexts(index);
    Theme::mirrorWithDirection(this);
}

void Macro::refreshMacroList(const QString& select) {
    const QSignalBlocker block(m_macros);
    m_macros->clear();
    m_macros->addItems(MacroNames::list(m_folder));
    const QList<QListWidgetItem*> found = m_macros->findItems(select, Qt::MatchExactly);
    m_macros->setCurrentItem(found.isEmpty() ? nullptr : found.first());
}

void Macro::showItems(int current) {
    m_items->clear();
    for (const MacroItem& item : qAsConst(m_macro.items))
        m_items->addItem(new QListWidgetItem(itemIcon(item), MacroKeys::displayText(item, m_language)));
    if (current >= 0 && current < m_items->count())
        m_items->setCurrentRow(current);
}

void Macro::showCycle(int cycle) {
    const QSignalBlocker a(m_repeatGroup), b(m_numberEdit);
    switch (cycle) {
    case MacroFormat::kUntilPressedAgain:
        m_reUntil->setChecked(true);
        break;
    case MacroFormat::kUntilReleased:
        m_reUntilLoose->setChecked(true);
        break;
    case MacroFormat::kUntilAnyPressed:
        m_reUntilClick->setChecked(true);
        break;
    default:
        m_reNumber->setChecked(true);
        m_numberEdit->setValue(MacroFormat::normalisedCycle(cycle));
    }
}

int Macro::checkedCycle() const {
    if (m_reUntilLoose->isChecked())
        return MacroFormat::kUntilReleased;
    if (m_reUntilClick->isChecked())
        return MacroFormat::kUntilAnyPressed;
    if (m_reUntil->isChecked())
        return MacroFormat::kUntilPressedAgain;
    return m_numberEdit->value();
}

void Macro::setEditing(bool enabled) {
    for (QWidget* w : std::initializer_list<QWidget*>{m_delayBox, m_repeatBox, m_macros, m_new, m_deleteMacro,
                                                      m_amend, m_deleteKey, m_chooseEvent, m_save})
        w->setEnabled(enabled);
}

void Macro::markChanged(bool items) {
    (items ? m_itemsChanged : m_countChanged) = true;
    m_save->setEnabled(!m_current.isEmpty());
}

bool Macro::refusedWhileRecording() {
    if (!m_recorder.active())
        return false;
    MacroNotice::show("DialogStopRecordFirst", this);
    return true;
}

bool Macro::checkNewName(const QString& name) {
    if (!MacroNames::usable(name)) {
        MacroNotice::show("DialogBadMacroName", this);
        return false;
    }
    if (!m_macros->findItems(name, Qt::MatchExactly).isEmpty()) {
        SameMacro notice(this);
        MacroNotice::run(notice, this);
        return false;
    }
    return true;
}

bool Macro::selectMacro(const QString& name) {
    const QList<QListWidgetItem*> found = m_macros->findItems(name, Qt::MatchExactly);
    if (found.isEmpty())
        return false;
    m_macros->setCurrentItem(found.first());
    on_listWidgetHong_clicked(m_macros->currentIndex());
    return true;
}

void Macro::on_listWidgetHong_clicked(const QModelIndex& index) {
    if (!index.isValid() || m_recorder.active())
        return;
    m_current = index.data().toString();
    m_macro = MacroFormat::readFile(filePath(m_current));
    showItems(-1);
    showCycle(m_macro.cycle);
    m_itemsChanged = m_countChanged = false;
    m_save->setEnabled(false);
}

void Macro::on_listWidgetHong_customContextMenuRequested(const QPoint& pos) {
    QMenu menu(this);
    if (m_macros->itemAt(pos)) {
        menu.addAction(macroText("MacroExport", m_language, "导出宏"), this, &Macro::ExPortMacro);
        menu.addAction(macroText("Rename", m_language, "重命名"), this, &Macro::RenameMacro);
        menu.addAction(macroText("Delete", m_language, "删除"), this, &Macro::DeleteMacro);
    }
    menu.addAction(macroText("NewMacro", m_language, "新建宏"), this, &Macro::CreateMewMacro);
    menu.addAction(macroText("MacroImport", m_language, "导入宏"), this, &Macro::InPortMacro);
    menu.exec(m_macros->viewport()->mapToGlobal(pos));
}

void Macro::on_NewHong_clicked() {
    CreateMewMacro();
}

void Macro::on_DeleteHong_clicked() {
    DeleteMacro();
}

void Macro::CreateMewMacro() {
    if (refusedWhileRecording())
        return;
    QuestionDialog ask(this);
    ask.placeOver(this);
    ask.exec();
    const QString name = ask.name();
    if (name.isEmpty() || !checkNewName(name))
        return;
    QDir().mkpath(m_folder);
    if (!MacroFormat::writeFile(filePath(name), MacroData{})) {
        MacroNotice::show("DialogMacroWriteFailed", this);
        return;
    }
    refreshMacroList(name);
    selectMacro(name);
    PostMsg::instance()->SendAddMacroButton();
}

void Macro::RenameMacro() {
    if (refusedWhileRecording() || !m_macros->currentItem())
        return;
    const QString old = m_macros->currentItem()->text();
    QuestionDialog ask(this);
    ask.placeOver(this);
    ask.exec();
    const QString name = ask.name();
    if (name.isEmpty() || !checkNewName(name))
        return;
    // A rename never replaces another file: the same-name check above saw the list, this sees the disk.
    if (QFileInfo::exists(filePath(name)) || !QFile::rename(filePath(old), filePath(name))) {
        MacroNotice::show("DialogMacroWriteFailed", this);
        return;
    }
    m_macros->currentItem()->setText(name);
    if (m_current == old)
        m_current = name;
    PostMsg::instance()->SendMacroRename(old, name);
}

void Macro::DeleteMacro() {
    if (refusedWhileRecording() || !m_macros->currentItem())
        return;
    DeleteConfirm confirm(this);
    confirm.placeOver(this);
    confirm.exec();
    if (!confirm.result())
        return;
    const QString name = m_macros->currentItem()->text();
    if (QFileInfo::exists(filePath(name)) && !QFile::remove(filePath(name))) {
        MacroNotice::show("DialogMacroWriteFailed", this);
        return;
    }
    PostMsg::instance()->SendDeleteMacroButton(name);
    delete m_macros->takeItem(m_macros->row(m_macros->currentItem()));
    m_macros->setCurrentItem(nullptr);
    m_current.clear();
    m_macro = MacroData{};
    m_itemsChanged = m_countChanged = false;
    showItems(-1);
    m_save->setEnabled(false);
}

void Macro::ExPortMacro() {
    if (refusedWhileRecording() || m_current.isEmpty())
        return;
    const QString path = QFileDialog::getSaveFileName(
        this, QString(), QDir::homePath() + QLatin1Char('/') + m_current + QStringLiteral(".ini"),
        QStringLiteral("File(*.ini)"));
    if (!path.isEmpty() && !exportTo(path))
        MacroNotice::show("DialogMacroWriteFailed", this);
}

bool Macro::exportTo(const QString& path) {
    if (m_current.isEmpty())
        return false;
    MacroData shown = m_macro;
    shown.cycle = checkedCycle();
    return MacroFormat::writeBytes(path,
                                   MacroExport::write(MacroKeys::toExport(m_current, shown, m_language)));
}

void Macro::InPortMacro() {
    if (refusedWhileRecording())
        return;
    const QString path =
        QFileDialog::getOpenFileName(this, QString(), QDir::homePath(), QStringLiteral("File(*.ini)"));
    if (!path.isEmpty())
        importFrom(path);
}

bool Macro::importFrom(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly) || f.size() > kMaxImportBytes)
        return false;
    MacroExport::Record record;
    const MacroExport::ReadResult read = MacroExport::read(f.readAll(), record);
    if (read == MacroExport::ReadResult::Foreign)
        return false; // not an export file at all: nothing to say
    if (read != MacroExport::ReadResult::Ok) {
        MacroNotice::show("DialogMacroFileBroken", this);
        return false;
    }
    if (!checkNewName(record.name))
        return false;
    int dropped = 0;
    const MacroData macro = MacroKeys::fromExport(record, &dropped);
    if (dropped > 0)
        qCWarning(lcMacro) << "import:" << dropped << "items with unknown names left out";
    if (macro.keyEvents() > MacroFormat::kMaxEvents) {
        KeyNumberLimit notice(this);
        MacroNotice::run(notice, this);
        return false;
    }
    QDir().mkpath(m_folder);
    if (!MacroFormat::writeFile(filePath(record.name), macro)) {
        MacroNotice::show("DialogMacroWriteFailed", this);
        return false;
    }
    refreshMacroList(record.name);
    selectMacro(record.name);
    PostMsg::instance()->SendAddMacroButton();
    return true;
}

void Macro::on_Save_clicked() {
    if (refusedWhileRecording() || m_current.isEmpty())
        return;
    m_macro.cycle = checkedCycle();
    if (!MacroFormat::writeFile(filePath(m_current), m_macro)) {
        MacroNotice::show("DialogMacroWriteFailed", this);
        return; // Save stays enabled: nothing was stored
    }
    m_save->setEnabled(false);
    if (m_itemsChanged) {
        m_itemsChanged = false;
        PostMsg::instance()->SendUpDataMacro(m_current, 0);
    }
    if (m_countChanged) {
        m_countChanged = false;
        PostMsg::instance()->SendUpDataMacro(m_current, 1);
    }
}

void Macro::on_NumberEdit_valueChanged(int) {
    if (!m_current.isEmpty())
        markChanged(false);
}

void Macro::on_StartRecord_clicked() {
    if (m_recorder.active())
        return;
    if (m_current.isEmpty()) {
        MacroNotice::show("DialogSelectMacroFirst", this);
        return;
    }
    if (m_macro.keyEvents() >= MacroFormat::kMaxEvents) {
        KeyNumberLimit notice(this);
        MacroNotice::run(notice, this);
        return;
    }
    setEditing(false);
    PostMsg::instance()->SendStartRecord(0);
    m_itemsChanged = true;
    m_recorder.start(m_autoDelay->isChecked(), m_delayTime->value());
    m_hook = std::make_unique<KeyboardHook>(
        [this](int vk, bool down, bool repeat) { UpdateCapslockTip(vk, down, repeat); });
    LinkFlags::Recording = true;
    m_start->hide();
    m_stop->show();
    layout()->activate();
    fitButtons();
    m_stop->setFocus();
}

void Macro::on_StopRecord_clicked() {
    stopRecording(false);
}

void Macro::stopRecording(bool notifyLimit) {
    if (!m_recorder.active())
        return;
    // The limit stops a recording from inside the hook's own callback: the hook goes once that returns.
    if (m_hook)
        m_hook.release()->deleteLater();
    m_recorder.stop();
    LinkFlags::Recording = false;
    setEditing(true);
    PostMsg::instance()->SendStartRecord(1);
    m_stop->hide();
    m_start->show();
    layout()->activate();
    fitButtons();
    m_save->setEnabled(true);
    if (notifyLimit) {
        KeyNumberLimit notice(this);
        MacroNotice::run(notice, this);
    }
}

void Macro::SlotSetMacroPage() {
    stopRecording(false);
}

void Macro::UpdateCapslockTip(int keyCode, bool downOrUp, bool aotu) {
    if (m_recorder.active())
        appendRecorded(m_recorder.onKey(keyCode, downOrUp, aotu));
}

void Macro::appendRecorded(const QVector<MacroItem>& items) {
    if (items.isEmpty() || m_macro.keyEvents() >= MacroFormat::kMaxEvents)
        return;
    m_macro.items += items;
    showItems(m_macro.items.size() - 1);
    if (m_macro.keyEvents() >= MacroFormat::kMaxEvents)
        stopRecording(true); // the 70th event stays
}

void Macro::keyPressEvent(QKeyEvent* event) {
    // Escape would close a dialog the page sits in, F12 is a recording key like any other.
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_F12)
        return;
    QWidget::keyPressEvent(event);
}

void Macro::mousePressEvent(QMouseEvent* event) {
    if (m_recorder.active()) {
        int code = 0;
        if (event->button() == Qt::LeftButton)
            code = 0x01;
        else if (event->button() == Qt::RightButton)
            code = 0x02;
        else if (event->button() == Qt::MiddleButton)
            code = 0x04;
        if (code && m_macro.keyEvents() + 2 <= MacroFormat::kMaxEvents) {
            QVector<MacroItem> items = m_recorder.onEvent(MacroItem::key(4, uint8_t(code), false));
            items << MacroItem::pause(uint32_t(m_delayTime->value()))
                  << MacroItem::key(4, uint8_t(code), true);
            // The release closes the click; the next event measures its gap from here.
            m_recorder.onEvent(MacroItem());
            appendRecorded(items);
        } else if (code) {
            stopRecording(true);
        }
    }
    QWidget::mousePressEvent(event);
}

bool Macro::insertItems(const QVector<MacroItem>& items) {
    int keys = 0;
    for (const MacroItem& i : items)
        keys += i.isKey();
    if (m_macro.keyEvents() + keys > MacroFormat::kMaxEvents) {
        KeyNumberLimit notice(this);
        MacroNotice::run(notice, this);
        return false;
    }
    const int row = m_items->currentRow();
    const int at = row < 0 ? m_macro.items.size() : row + 1;
    for (int k = 0; k < items.size(); ++k)
        m_macro.items.insert(at + k, items.at(k));
    showItems(at + items.size() - 1);
    markChanged(true);
    return true;
}

void Macro::on_ChooseEvent_activated(int index) {
    const QSignalBlocker block(m_chooseEvent);
    m_chooseEvent->setCurrentIndex(0);
    if (refusedWhileRecording() || m_current.isEmpty())
        return;
    const MacroItem gap = MacroItem::pause(uint32_t(m_delayTime->value()));
    if (index == 1 || index == 2) {
        AddKey dialog(this);
        dialog.placeOver(this);
        dialog.exec();
        if (!dialog.result())
            return;
        if (const std::optional<MacroItem> key = MacroKeys::keyItem(dialog.keyName(), index == 2))
            insertItems({*key, gap});
    } else if (index == 3) {
        AddDelayTime dialog(m_delayTime->value(), this);
        dialog.placeOver(this);
        dialog.exec();
        if (dialog.result())
            insertItems({MacroItem::pause(uint32_t(dialog.delay()))});
    } else if (index >= 4 && index <= 8) {
        const uint8_t code = kInsertedButtons[index - 4];
        insertItems({MacroItem::key(4, code, false), gap, MacroItem::key(4, code, true), gap});
    }
}

void Macro::on_Amend_clicked() {
    if (refusedWhileRecording())
        return;
    const int row = m_items->currentRow();
    if (row < 0 || row >= m_macro.items.size())
        return;
    MacroItem& item = m_macro.items[row];
    if (!item.isKey()) {
        AddDelayTime dialog(int(qMin<uint32_t>(item.delay, 99999)), this);
        dialog.placeOver(this);
        dialog.exec();
        if (!dialog.result())
            return;
        item.delay = uint32_t(dialog.delay());
    } else {
        AddKey dialog(this);
        dialog.placeOver(this);
        dialog.exec();
        const std::optional<MacroItem> key =
            dialog.result() ? MacroKeys::keyItem(dialog.keyName(), item.release) : std::nullopt;
        if (!key)
            return;
        item = *key;
    }
    showItems(row);
    // A modified item is a changed macro: the buttons holding it get it again after the save.
    markChanged(true);
}

void Macro::on_DeleteKey_clicked() {
    if (refusedWhileRecording() || m_current.isEmpty())
        return;
    const int row = m_items->currentRow();
    const int n = m_macro.items.size();
    if (row < 0 || row >= n)
        return;
    if (n < 4) {
        m_macro.items.clear();
    } else {
        const bool last = row == n - 1;
        int first = row; // the pair removed starts here
        if (!m_macro.items.at(row).isKey() && !last) {
            if (row == 0)
                return; // a leading delay has no item before it
            first = row - 1;
        } else if (last) {
            first = row - 1;
        }
        m_macro.items.remove(first, 2);
    }
    showItems(qMin(row, m_macro.items.size() - 1));
    markChanged(true);
}

void Macro::SlotButtonToMacro(FlashDataMap DataMap, int KeyNumer) {
    if (KeyNumer < 0 || KeyNumer >= 16)
        return;
    const bool busy = m_recorder.active() || m_itemsChanged || m_countChanged;
    const MacroReconcile::Result r = MacroReconcile::fromArea(
        m_folder, DataMap.macros[KeyNumer], DataMap.buttons[KeyNumer].bytes[2], busy ? m_current : QString());
    if (r.outcome == MacroReconcile::Outcome::Created) {
        // The list gains the entry after the selection (or at its end), and nothing else on the page moves.
        if (m_macros->findItems(r.name, Qt::MatchExactly).isEmpty()) {
            const QSignalBlocker block(m_macros);
            const int row = m_macros->currentRow();
            m_macros->insertItem(row < 0 ? m_macros->count() : row + 1, r.name);
        }
        PostMsg::instance()->SendAddMacroButton();
    } else if (r.outcome == MacroReconcile::Outcome::BadName ||
               r.outcome == MacroReconcile::Outcome::WriteFailed) {
        qCWarning(lcMacro) << "macro of button" << KeyNumer << "not written:" << int(r.outcome);
    }
}

void Macro::SlotMacroDownLoadData(QString MacroName, int index) {
    if (index < 0 || index >= 16 || MacroName.isEmpty())
        return;
    // The saved file is what the buttons get; the page's unsaved state is not sent.
    const QString path = filePath(MacroName);
    if (!QFileInfo::exists(path))
        return;
    const MacroPacker::Packed packed = MacroPacker::pack(MacroName, MacroFormat::readFile(path));
    if (!packed.fits)
        return;
    const FlashDataMap record = CurrentRecord::snapshot();
    SetButtonMacro(index, record.buttons[index], packed.block);
}
