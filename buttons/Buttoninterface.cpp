#include "buttons/Buttoninterface.h"

#include "app/core/AppPaths.h"
#include "app/core/Language.h"
#include "app/core/PostMsg.h"
#include "app/ui/Theme.h"
#include "buttons/ButtonDialogs.h"
#include "buttons/KeySequence.h"
#include "buttons/KeyTables.h"
#include "device/DevicePagesLink.h"
#include "device/DeviceTable.h"
#include "device/LinkState.h"
#include "device/SettingWriters.h"
#include "device/Worker.h"
#include "macro/core/MacroFile.h"
#include "macro/core/MacroNames.h"
#include "macro/core/MacroPacker.h"
#include "profile/ConfigTransfer.h"
#include "sensor/SensorCapability.h"
#include "sensor/SensorLook.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Buttons;

namespace {

constexpr int kPictureSide = 250;
constexpr int kKeyWidth = 160;

// Designer names of the sixteen keys, in key order.
const char* const kKeyNames[kButtonCount] = {
    "LeftKey", "RightKey", "BackKey",  "FireKey",  "StartPause", "TopMusic", "Button7",  "Button8",
    "Button9", "Button10", "Button11", "Button12", "Button13",   "Button14", "Button15", "Button16"};

// Pictures "mouse0" … "mouse8" draw the same shell, so one set of callouts serves every model index.
constexpr int kCalloutPictures = 9;
// Callout centres on the 480 × 480 picture, key order; side keys 4 and 5
// sit lower on the five-key shell ("RealKey" 5), where the front side key is the DPI key.
const QPoint kCallouts[kButtonCount] = {
    {170, 120}, {310, 120}, {240, 90}, {118, 250}, {118, 300}, {240, 230}, {362, 250}, {362, 300},
    {150, 360}, {330, 360}, {200, 40}, {280, 40},  {105, 200}, {375, 200}, {190, 440}, {290, 440}};
const QPoint kFiveKeySide[2] = {{118, 280}, {118, 330}};

const char* const kMultimediaNames[kConsumerFunctionCount] = {
    "Player",       "StartPause_2", "BackMusic_2",   "TopMusic_2",    "Mute",          "VolumeUp",
    "VolumeDown",   "VolumeDown_4", "VolumeDown_5",  "VolumeDown_6",  "VolumeDown_3",  "VolumeDown_8",
    "VolumeDown_9", "VolumeDown_7", "VolumeDown_10", "VolumeDown_12", "VolumeDown_13", "VolumeDown_11"};
const char* const kDpiLockNames[DpiLock::kValueCount] = {
    "VolumeUp_11", "VolumeUp_12", "VolumeUp_16", "VolumeUp_13", "VolumeUp_15", "VolumeUp_19",
    "VolumeUp_20", "VolumeUp_22", "VolumeUp_18", "VolumeUp_24", "VolumeUp_23", "VolumeUp_21"};

// Sub-pages of the menu.
enum Page {
    ListPage = 0,
    MousePage,
    WheelPage,
    HWheelPage,
    DpiPage,
    LockPage,
    LightPage,
    MediaPage,
    MacroPage
};

// Re-download of a saved macro: after the macro page has finished writing its file.
constexpr int kMacroReloadMs = 1500;

// A row button as wide as its text needs, between `least` and `most` pixels; beyond that its font
// shrinks, so the row keeps to the page in every language.
void sizeToText(QPushButton* b, int least, int most) {
    constexpr int kPadding = 30; // the role's padding and border
    b->setFont(b->parentWidget()->font());
    b->setProperty("zfBasePixelSize", QVariant());
    b->ensurePolished();
    const int wanted = b->fontMetrics().horizontalAdvance(b->text()) + kPadding + 8;
    b->setFixedWidth(qBound(least, wanted, most));
    Theme::fitText(b, kPadding);
}

QString keyText(const char* key, int index) {
    return Language::text(QStringLiteral("key"), QLatin1String(key), index);
}

// The DPI rule of the selected mouse: the sensor page's when it has loaded that model, else the row's.
const SensorCapability& rowSensor() {
    const SensorCapability& current = SensorCapability::current();
    const ModelRow row = DeviceTable::row(SelectedDevice::get().row);
    if (!row.present || row.sensor.isEmpty() || current.SensorModel == row.sensor)
        return current;
    static SensorCapability own;
    own = current;
    own.loadRow(row);
    return own;
}

// Settles a combo box after its one write: the choice becomes the accepted one, or, refused, the box
// goes back to the accepted one with its signals blocked, so no second write follows.
bool settle(QComboBox* box, int& accepted, int index, bool written) {
    if (written) {
        accepted = index;
        return true;
    }
    const QSignalBlocker block(box);
    box->setCurrentIndex(accepted);
    return false;
}

} // namespace

Buttoninterface::Buttoninterface(QWidget* parent)
    : QWidget(parent), m_types(kButtonCount), m_param1(kButtonCount), m_param2(kButtonCount) {
    setObjectName(QStringLiteral("Buttoninterface"));
    setFixedSize(883, 560);
    // The menu's choice buttons and titles, the keys and callouts: the page's own rules.
    setStyleSheet(
        Theme::controlRules() + Theme::roleRules() +
        QStringLiteral("QPushButton[role=\"choice\"]{text-align:left;padding:4px 10px;border:1px solid %1;"
                       "border-radius:5px;background:%2;color:%3;}"
                       "QPushButton[role=\"choice\"]:hover{border-color:%4;}"
                       "QPushButton[role=\"choice\"]:checked{background:%4;color:white;}"
                       "QPushButton[role=\"key\"]{padding:3px 8px;border:1px solid %1;border-radius:5px;"
                       "background:%2;color:%3;}"
                       "QPushButton[role=\"key\"]:checked{border:2px solid %4;}"
                       "QToolButton[role=\"number\"],QLabel[role=\"callout\"]{border-radius:11px;"
                       "background:%4;color:white;font-weight:bold;font-size:11px;}"
                       "QToolButton[role=\"back\"]{border:0px;color:%4;font-weight:bold;}"
                       "QPushButton[role=\"reset\"]{padding:5px 14px;border:1px solid %4;border-radius:5px;"
                       "color:%3;}")
            .arg(Theme::rgb(Theme::border()), Theme::rgb(Theme::base()), Theme::rgb("LabelColor"),
                 Theme::rgb("SliderColor")));

    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(16, 12, 16, 12);
    outer->setSpacing(18);

    auto* left = new QVBoxLayout;
    m_picture = new QWidget(this);
    m_picture->setObjectName(QStringLiteral("MouseWidget"));
    m_picture->setFixedSize(kPictureSide, kPictureSide);
    auto* keyPanel = new QWidget(this);
    buildKeys(m_picture, keyPanel);
    left->addWidget(m_picture, 0, Qt::AlignHCenter);
    left->addWidget(keyPanel);
    left->addStretch();
    outer->addLayout(left);

    auto* right = new QVBoxLayout;
    right->addWidget(buildMenu(), 1);
    right->addWidget(buildDebounce());
    outer->addLayout(right, 1);

    SlotMouseIndex(0);
    PostMsg* hub = PostMsg::instance();
    PostMsg::connectBlocking(&PostMsg::SigFormReset, this, &Buttoninterface::SlotFormResetButton);
    PostMsg::connectBlocking(&PostMsg::SigUpDataLightUIButton, this,
                             &Buttoninterface::SlotUpDataButtonUIButton);
    connect(hub, &PostMsg::SigUpDataButtonUIC, this, &Buttoninterface::SlotUpDataButtonUIB);
    connect(hub, &PostMsg::SigMouseIndex, this, &Buttoninterface::SlotMouseIndex);
    connect(hub, &PostMsg::SigUpDataConfigUI, this, &Buttoninterface::SlotUpDataConfigUI);
    connect(hub, &PostMsg::SigAllLanguage, this, &Buttoninterface::SlotAllLanguage);
    connect(hub, &PostMsg::SigAddMacroButton, this, &Buttoninterface::SlotAddMacroButton);
    connect(hub, &PostMsg::SigDeleteMacroButton, this, &Buttoninterface::SlotDeleteMacroButton);
    connect(hub, &PostMsg::SigUpDataMacro, this, &Buttoninterface::SlotUpDataMacro);
    connect(hub, &PostMsg::SigMacroRename, this, &Buttoninterface::SlotMacroRename);
    SlotAddMacroButton();
    QMetaObject::connectSlotsByName(this);
    applyTexts(Language::currentIndex());
}

void Buttoninterface::buildKeys(QWidget* picture, QWidget* keyPanel) {
    m_keyGroup = new QButtonGroup(this);
    m_keyGroup->setExclusive(true);
    auto* grid = new QGridLayout(keyPanel);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(5);
    for (int k = 1; k <= kButtonCount; ++k) {
        auto* number = new QToolButton(keyPanel);
        number->setObjectName(QStringLiteral("Number%1").arg(k));
        number->setProperty("role", "number");
        number->setText(QString::number(k));
        number->setFixedSize(22, 22);
        auto* key = new QPushButton(keyPanel);
        key->setObjectName(QLatin1String(kKeyNames[k - 1]));
        key->setProperty("role", "key");
        key->setCheckable(true);
        key->setFixedSize(kKeyWidth, 24);
        m_keyGroup->addButton(key, k);
        const int row = (k - 1) % 8, column = (k - 1) / 8 * 2;
        grid->addWidget(number, row, column);
        grid->addWidget(key, row, column + 1);
        connect(key, &QPushButton::clicked, this, [this, k] { onKeyClicked(k); });
        connect(number, &QToolButton::clicked, this, [this, k] { onNumberClicked(k); });
        m_keys[k - 1] = key;
        m_numbers[k - 1] = number;

        auto* callout = new QLabel(QString::number(k), picture);
        callout->setProperty("role", "callout");
        callout->setAlignment(Qt::AlignCenter);
        callout->setFixedSize(22, 22);
        m_callouts[k - 1] = callout;
    }
}

QWidget* Buttoninterface::addSubPage(const char* titleKey) {
    auto* page = new QWidget;
    auto* box = new QVBoxLayout(page);
    box->setContentsMargins(4, 4, 4, 4);
    box->setSpacing(6);
    auto* back = new QToolButton(page);
    back->setProperty("role", "back");
    back->setText(QStringLiteral("‹"));
    back->setObjectName(QStringLiteral("BackTo%1").arg(m_menu->count()));
    connect(back, &QToolButton::clicked, this, &Buttoninterface::showFunctionList);
    auto* title = new QLabel(page);
    title->setProperty("role", "caption");
    auto* head = new QHBoxLayout;
    head->addWidget(back);
    head->addWidget(title, 1);
    box->addLayout(head);
    title->setProperty("labelKey", QLatin1String(titleKey));
    m_menu->addWidget(page);
    return page;
}

QPushButton* Buttoninterface::addChoice(QWidget* page, const char* objectName, const ButtonFunction& f,
                                        int consumerRow, int dpiValue) {
    auto* control = new QPushButton(page);
    control->setObjectName(QLatin1String(objectName));
    control->setProperty("role", "choice");
    control->setCheckable(true);
    control->setMinimumHeight(28);
    static_cast<QVBoxLayout*>(page->layout())->addWidget(control);
    const int index = m_choices.size();
    m_choices << Choice{control, f, consumerRow, dpiValue};
    if (f.is(ButtonFunctionType::RapidFire) || (f.is(ButtonFunctionType::KeySequence) && consumerRow < 0)) {
        // Dialog choices open on every click, so a key's rapid fire or combination can be edited while
        // its control shows checked.
        connect(control, &QPushButton::clicked, this, [this, control, index] {
            {
                const QSignalBlocker block(control);
                control->setChecked(true);
            }
            onChoiceToggled(index, true);
        });
    } else {
        connect(control, &QPushButton::toggled, this, [this, index](bool on) { onChoiceToggled(index, on); });
    }
    return control;
}

QPushButton* Buttoninterface::addGroupEntry(QWidget* list, const char* objectName, const char* labelKey,
                                            int subPage) {
    auto* entry = new QPushButton(list);
    entry->setObjectName(QLatin1String(objectName));
    entry->setProperty("role", "choice");
    entry->setMinimumHeight(28);
    entry->setText(FunctionText(QLatin1String(labelKey)) + QStringLiteral("  ›"));
    entry->setProperty("labelKey", QLatin1String(labelKey));
    static_cast<QVBoxLayout*>(list->layout())->addWidget(entry);
    connect(entry, &QPushButton::clicked, this, [this, subPage] {
        m_menu->setCurrentIndex(subPage);
        m_menuScroll->verticalScrollBar()->setValue(0);
    });
    return entry;
}

QWidget* Buttoninterface::buildMenu() {
    m_menuScroll = new QScrollArea(this);
    m_menuScroll->setObjectName(QStringLiteral("scrollArea"));
    m_menuScroll->setWidgetResizable(true);
    m_menuScroll->setFrameShape(QFrame::NoFrame);
    m_menu = new QStackedWidget;
    m_menu->setObjectName(QStringLiteral("stackedWidget"));
    m_menuScroll->setWidget(m_menu);
    // The menu lies on the page's background, not on a field of its own.
    m_menu->setAutoFillBackground(false);
    m_menuScroll->viewport()->setAutoFillBackground(false);
    // Only the shown sub-page sizes the menu, so the list does not scroll into the longest page's room.
    connect(m_menu, &QStackedWidget::currentChanged, this, [this](int current) {
        for (int i = 0; i < m_menu->count(); ++i)
            m_menu->widget(i)->setSizePolicy(QSizePolicy::Preferred,
                                             i == current ? QSizePolicy::Preferred : QSizePolicy::Ignored);
        m_menu->adjustSize();
    });

    // The function list: groups open a sub-page, the rest are choices themselves (rapid fire and key
    // combinations through their dialogs).
    auto* list = new QWidget;
    list->setObjectName(QStringLiteral("FunctionList"));
    auto* listBox = new QVBoxLayout(list);
    listBox->setContentsMargins(4, 4, 4, 4);
    listBox->setSpacing(6);
    m_menu->addWidget(list);
    addGroupEntry(list, "DPI", "MouseFunction", MousePage);
    addGroupEntry(list, "VolumeUp_3", LabelKeys::kVerticalWheelGroup, WheelPage);
    addGroupEntry(list, "VolumeUp_17", LabelKeys::kHorizontalWheelGroup, HWheelPage);
    addGroupEntry(list, "DPI_4", LabelKeys::kDpiGroup, DpiPage);
    addGroupEntry(list, "DPI_7", LabelKeys::kDpiLock, LockPage);
    addGroupEntry(list, "VolumeUp_25", LabelKeys::kLightingGroup, LightPage);
    addGroupEntry(list, "DPI_9", LabelKeys::kMultimedia, MediaPage);
    addGroupEntry(list, "DPI_10", "MacroFunction", MacroPage);
    addChoice(list, "DPI_6",
              ButtonFunction(ButtonFunctionType::RapidFire, kFireIntervalDefault, kFireCountDefault));
    addChoice(list, "DPI_8", ButtonFunction(ButtonFunctionType::KeySequence));
    addChoice(list, "DPI_2", ButtonFunction(ButtonFunctionType::ReportRateSwitch));
    addChoice(list, "DPI_3", ButtonFunction(ButtonFunctionType::ProfileSwitch));
    addChoice(list, "DPI_5", ButtonFunction(ButtonFunctionType::Disabled));
    listBox->addStretch();

    QWidget* page = addSubPage("MouseFunction");
    const char* const mouseNames[5] = {"LeftKey_3", "RightKey_3", "MidKey", "BackKey_2", "ForWardKey"};
    for (int i = 0; i < 5; ++i)
        addChoice(page, mouseNames[i], ButtonFunction(ButtonFunctionType::MouseButton, kMouseButtonCodes[i]));
    page = addSubPage(LabelKeys::kVerticalWheelGroup);
    addChoice(page, "VolumeUp_14", ButtonFunction(ButtonFunctionType::VerticalWheel, 1));
    addChoice(page, "VolumeDown_14", ButtonFunction(ButtonFunctionType::VerticalWheel, 2));
    page = addSubPage(LabelKeys::kHorizontalWheelGroup);
    addChoice(page, "VolumeUp_2", ButtonFunction(ButtonFunctionType::HorizontalWheel, 1));
    addChoice(page, "VolumeDown_2", ButtonFunction(ButtonFunctionType::HorizontalWheel, 2));
    page = addSubPage(LabelKeys::kDpiGroup);
    const char* const dpiNames[3] = {"VolumeUp_8", "VolumeUp_9", "VolumeUp_10"};
    for (int i = 0; i < 3; ++i)
        addChoice(page, dpiNames[i], ButtonFunction(ButtonFunctionType::DpiAction, uint8_t(i + 1)));
    page = addSubPage(LabelKeys::kDpiLock);
    for (int i = 0; i < DpiLock::kValueCount; ++i)
        addChoice(page, kDpiLockNames[i], ButtonFunction(ButtonFunctionType::DpiLock), -1,
                  DpiLock::kValues[i]);
    page = addSubPage(LabelKeys::kLightingGroup);
    const char* const lightNames[4] = {"VolumeUp_4", "VolumeUp_5", "VolumeUp_6", "VolumeUp_7"};
    const uint8_t lightParams[4] = {0, 1, 3, 4};
    for (int i = 0; i < 4; ++i)
        addChoice(page, lightNames[i], ButtonFunction(ButtonFunctionType::LightingToggle, lightParams[i]));
    page = addSubPage(LabelKeys::kMultimedia);
    for (int row = 0; row < kConsumerFunctionCount; ++row)
        addChoice(page, kMultimediaNames[row], ButtonFunction(ButtonFunctionType::KeySequence), row);
    m_macroPage = addSubPage("MacroFunction"); // one choice per macro file, from SlotAddMacroButton
    for (int i = 1; i < m_menu->count(); ++i)
        static_cast<QVBoxLayout*>(m_menu->widget(i)->layout())->addStretch();
    emit m_menu->currentChanged(ListPage);
    return m_menuScroll;
}

QWidget* Buttoninterface::buildDebounce() {
    auto* box = new QWidget(this);
    box->setObjectName(QStringLiteral("DebounceBox"));
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(4, 8, 4, 0);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(8);
    const auto caption = [&](const char* key, const char* name) {
        auto* label = new QLabel(box);
        label->setObjectName(QLatin1String(name));
        label->setProperty("role", "caption");
        m_captions << qMakePair(label, key);
        return label;
    };
    m_keyDebounceBox = new QCheckBox(box);
    m_keyDebounceBox->setObjectName(QStringLiteral("KeyDebunce"));
    m_keyDebounceBox->setChecked(true);
    SensorLook::checkBox(m_keyDebounceBox);
    m_keyDebounce = new QSpinBox(box);
    m_keyDebounce->setObjectName(QStringLiteral("KeyDebunceValue"));
    m_keyDebounce->setRange(0, 255);
    m_keyDebounce->setReadOnly(true); // the sensor page's debounce control writes this byte
    m_keyDebounce->setButtonSymbols(QAbstractSpinBox::NoButtons);
    m_keyDebounce->setFixedSize(64, 30);
    SensorLook::valueField(m_keyDebounce);
    m_release = new QComboBox(box);
    m_release->setObjectName(QStringLiteral("DebunceRelease"));
    for (int i = 0; i < Debounce::kReleaseItems; ++i)
        m_release->addItem(QString::number(i) + QStringLiteral("ms"));
    m_wheelDebounceBox = new QCheckBox(box);
    m_wheelDebounceBox->setObjectName(QStringLiteral("WheelDebunce_2"));
    m_wheelDebounceBox->setChecked(true);
    SensorLook::checkBox(m_wheelDebounceBox);
    m_wheel = new QComboBox(box);
    m_wheel->setObjectName(QStringLiteral("WheelDebunce"));
    for (int i = 0; i < Debounce::kWheelItems; ++i)
        m_wheel->addItem(QString::number((i + 1) * 10) + QStringLiteral("ms"));
    m_profile = new QComboBox(box);
    m_profile->setObjectName(QStringLiteral("ProjectChoose"));
    m_profile->setEnabled(false); // until the mouse reports its profiles
    // The three combos share the right-hand column, as wide as the widest entry needs (a profile name).
    for (QComboBox* combo : {m_release, m_wheel, m_profile}) {
        combo->setSizeAdjustPolicy(QComboBox::AdjustToContents);
        combo->setMinimumWidth(96);
        combo->setFixedHeight(30);
        SensorLook::comboBox(combo);
    }

    // Column 0 the check boxes, 1 the captions (they take what is left and wrap), 2 the combos.
    grid->addWidget(m_keyDebounceBox, 0, 0);
    grid->addWidget(caption("KeyDebounceTime", "KeyDebounceLabel"), 0, 1, 1, 2);
    auto* press = new QHBoxLayout;
    press->setSpacing(8);
    press->addWidget(caption("ButtonDown", "ButtonDownLabel"));
    press->addWidget(m_keyDebounce);
    press->addStretch();
    press->addWidget(caption("ButtonUp", "ButtonUpLabel"));
    grid->addLayout(press, 1, 1);
    grid->addWidget(m_release, 1, 2);
    grid->addWidget(m_wheelDebounceBox, 2, 0);
    grid->addWidget(caption("RollerDebounceTime", "WheelDebounceLabel"), 2, 1);
    grid->addWidget(m_wheel, 2, 2);
    m_profileCaption = caption("Profile", "ProfileLabel");
    grid->addWidget(m_profileCaption, 3, 1);
    grid->addWidget(m_profile, 3, 2);
    for (const auto& c : qAsConst(m_captions))
        if (c.first->objectName() != QLatin1String("ButtonDownLabel") &&
            c.first->objectName() != QLatin1String("ButtonUpLabel"))
            c.first->setWordWrap(true);
    grid->setColumnStretch(1, 1);

    // Export and import of the whole configuration share the reset button's look; the reset button ends
    // the row. Their widths follow the texts (applyTexts).
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(8);
    for (const char* name : {"ImportData", "OutputData"}) {
        auto* b = new QPushButton(box);
        b->setObjectName(QLatin1String(name));
        b->setProperty("role", "reset");
        b->setFixedHeight(30);
        buttons->addWidget(b);
        m_transferButtons.append(b);
    }
    buttons->addStretch();
    m_resetButton = new QPushButton(box);
    m_resetButton->setObjectName(QStringLiteral("Reset"));
    m_resetButton->setProperty("role", "reset");
    m_resetButton->setFixedHeight(30);
    buttons->addWidget(m_resetButton);
    grid->addLayout(buttons, 4, 0, 1, 3);
    return box;
}

QPushButton* Buttoninterface::key(int k) const {
    return k >= 1 && k <= kButtonCount ? m_keys[k - 1] : nullptr;
}

QToolButton* Buttoninterface::numberLabel(int k) const {
    return k >= 1 && k <= kButtonCount ? m_numbers[k - 1] : nullptr;
}

int Buttoninterface::checkedButtonIndex() const {
    return ButtonIndexForKey(m_keyGroup->checkedId());
}

ButtonFunction Buttoninterface::stored(int i) const {
    if (i < 0 || i >= kButtonCount)
        return {};
    return ButtonFunction(uint8_t(m_types[i]), uint8_t(m_param1[i]), uint8_t(m_param2[i]));
}

void Buttoninterface::SlotUpDataButtonUIButton(FlashDataMap DataMap) {
    LinkFlags::ButtonFilled = false;
    refill(DataMap);
    LinkFlags::ButtonFilled = true;
}

void Buttoninterface::SlotUpDataButtonUIB(FlashDataMap DataMap) {
    refill(DataMap);
}

void Buttoninterface::refill(const FlashDataMap& record) {
    LinkFlags::ButtonLoading = true;
    m_record = record;
    PostMsg::instance()->SendLightToFrom(reinterpret_cast<const uint8_t*>(&record)[8] * 10);

    const ModelRow row = DeviceTable::row(SelectedDevice::get().row);
    m_sensorName = row.sensor;
    m_keyNumber = row.present ? BoundedKeyNumber(row.keyNumber) : kButtonCount;
    m_realKey = row.present ? row.realKey : 6;
    for (int i = 0; i < kButtonCount; ++i) {
        const ButtonFunction f = i < m_keyNumber ? *RecordButton(record, i) : ButtonFunction();
        m_types[i] = f.type;
        m_param1[i] = f.param1;
        m_param2[i] = f.param2;
    }
    for (int k = 1; k <= kButtonCount; ++k) {
        const int i = ButtonIndexForKey(k);
        const bool present = i < m_keyNumber;
        m_keys[k - 1]->setVisible(present);
        m_numbers[k - 1]->setVisible(present);
        if (present)
            setKeyText(i, record);
    }
    for (int i = 0; i < m_keyNumber; ++i)
        if (m_types[i] == int(ButtonFunctionType::Macro))
            PostMsg::instance()->SendButtonToMacro(record, i); // the macro page files what it lacks
    placeCallouts();
    dpiLockTexts();

    m_keyDebounce->setValue(record.debounceTime);
    const int release = Debounce::ReleaseIndex(record.buttonOptionB);
    const int wheel = Debounce::WheelIndex(record.buttonOptionA);
    {
        const QSignalBlocker a(m_release), b(m_wheel);
        if (release >= 0)
            m_release->setCurrentIndex(m_releaseIndex = release);
        if (wheel >= 0)
            m_wheel->setCurrentIndex(m_wheelIndex = wheel);
    }
    PostMsg::instance()->SendDebunce(QString::number(record.debounceTime) + QStringLiteral("ms"));
    LinkFlags::ButtonLoading = false;
}

void Buttoninterface::setKeyText(int buttonIndex, const FlashDataMap& record) {
    QPushButton* k = key(KeyForButtonIndex(buttonIndex));
    if (!k)
        return;
    LabelContext context;
    context.sensor = &rowSensor();
    const std::optional<QString> text =
        AssignmentLabel(buttonIndex, record.buttons[buttonIndex], record, context);
    if (text) {
        // Right to left, a label in Latin letters ends in a left-to-right mark, so a trailing sign stays
        // behind ("DPI+", not "+DPI"). By the language: its pass may reach this page before the
        // application's direction follows.
        const bool latinInRtl = Theme::isRightToLeft(Language::currentIndex()) && !text->isRightToLeft();
        k->setText(latinInRtl ? *text + QChar(0x200E) : *text);
    } else if (k->text().isEmpty())
        k->setText(QStringLiteral("--"));
    k->setFont(font());
    Theme::fitText(k, 18); // long labels (Russian, macro names) shrink rather than lose their ends
    k->setToolTip(k->text());
}

void Buttoninterface::SlotMouseIndex(int index) {
    m_mouseIndex = index;
    m_picture->setStyleSheet(
        QStringLiteral("#MouseWidget{border-image:url(%1/Picture/Buttoninterface/mouse%2.png);}")
            .arg(AppPaths::appDir())
            .arg(index));
    placeCallouts();
}

void Buttoninterface::placeCallouts() {
    // An index without a shipped picture shows no callouts: they would point at nothing.
    const bool known = m_mouseIndex >= 0 && m_mouseIndex < kCalloutPictures;
    const double scale = double(kPictureSide) / 480.0;
    for (int k = 1; k <= kButtonCount; ++k) {
        QLabel* c = m_callouts[k - 1];
        QPoint at = kCallouts[k - 1];
        if (m_realKey == 5 && (k == 4 || k == 5))
            at = kFiveKeySide[k - 4];
        c->move(int(at.x() * scale) - c->width() / 2, int(at.y() * scale) - c->height() / 2);
        c->setVisible(known && ButtonIndexForKey(k) < m_keyNumber);
    }
}

void Buttoninterface::onNumberClicked(int k) {
    CheckDeviceOnline(); // raises the offline notice when the mouse is gone
    const QSignalBlocker block(m_keys[k - 1]);
    m_keys[k - 1]->setChecked(true);
    m_menuScroll->verticalScrollBar()->setValue(0);
}

void Buttoninterface::onKeyClicked(int k) {
    const int i = ButtonIndexForKey(k);
    const ButtonFunction leftClick(ButtonFunctionType::MouseButton, 1);
    if (stored(i) == leftClick) {
        int holders = 0;
        for (int b = 0; b < m_keyNumber; ++b)
            holders += stored(b) == leftClick;
        if (holders == 1) {
            // The last left click stays: a mouse without one cannot be used to put it back.
            m_keyGroup->setExclusive(false);
            for (QPushButton* key : m_keys)
                key->setChecked(false);
            m_keyGroup->setExclusive(true);
            showFunctionList();
            LeftButtonOnly notice(this);
            notice.placeOver(this, -50, -70);
            notice.exec();
            return;
        }
    }
    m_menuScroll->verticalScrollBar()->hide();
    showCurrentFunction(i);
}

void Buttoninterface::showCurrentFunction(int i) {
    const ButtonFunction f = stored(i);
    int match = -1;
    for (int c = 0; c < m_choices.size() && match < 0; ++c) {
        const Choice& choice = m_choices.at(c);
        if (choice.function.type != f.type)
            continue;
        if (choice.consumerRow >= 0) {
            const std::optional<uint16_t> code = BlockConsumerCode(m_record.keyBlocks[i]);
            if (code && ConsumerRow(*code) == choice.consumerRow)
                match = c;
        } else if (choice.dpiValue > 0) {
            if (DpiLock::Decode(rowSensor(), f.param1) == choice.dpiValue)
                match = c;
        } else if (f.is(ButtonFunctionType::Macro)) {
            if (choice.control->text() == MacroPacker::name(m_record.macros[i]))
                match = c;
        } else if (f.is(ButtonFunctionType::KeySequence)) {
            if (!BlockConsumerCode(m_record.keyBlocks[i]))
                match = c; // a combination
        } else if (FindFixedFunction(f) == FindFixedFunction(choice.function)) {
            match = c;
        }
    }
    QPushButton* control = match >= 0 ? m_choices.at(match).control : nullptr;
    uncheckChoices(control);
    if (!control) {
        showFunctionList();
        return;
    }
    {
        const QSignalBlocker block(control);
        control->setChecked(true);
    }
    QWidget* page = control->parentWidget();
    m_menu->setCurrentWidget(page);
}

void Buttoninterface::uncheckChoices(const QPushButton* except) {
    for (const Choice& c : qAsConst(m_choices))
        if (c.control != except && c.control->isChecked()) {
            const QSignalBlocker block(c.control);
            c.control->setChecked(false);
        }
}

void Buttoninterface::showFunctionList() {
    m_menu->setCurrentIndex(ListPage);
    m_menuScroll->verticalScrollBar()->show();
}

void Buttoninterface::onChoiceToggled(int index, bool checked) {
    if (!checked)
        return;
    const Choice& choice = m_choices.at(index);
    uncheckChoices(choice.control);
    const int i = checkedButtonIndex();
    if (i < 0) {
        const QSignalBlocker block(choice.control);
        choice.control->setChecked(false);
        return;
    }
    ButtonFunction f = choice.function;
    bool written = false;
    if (f.is(ButtonFunctionType::RapidFire)) {
        const auto cancel = [&] {
            const QSignalBlocker block(choice.control);
            choice.control->setChecked(false);
            showFunctionList();
        };
        if (!LinkFlags::DeviceOnline && !LinkFlags::ButtonLoading)
            return cancel();
        FireKey dialog(RapidFireStart(stored(i)), this);
        dialog.placeOver(this);
        dialog.exec();
        if (!dialog.result())
            return cancel();
        f = RapidFire(dialog.setting());
        written = SetButtonAssignment(i, f.assignment());
    } else if (f.is(ButtonFunctionType::KeySequence) && choice.consumerRow < 0) {
        GroupKey dialog(this);
        dialog.placeOver(this);
        dialog.exec();
        KeySequenceBlock block{};
        if (!dialog.result() || !EncodeCombination(dialog.text(), block)) {
            const QSignalBlocker blocker(choice.control);
            choice.control->setChecked(false);
            showFunctionList();
            return;
        }
        written = SetButtonKeys(i, f.assignment(), block);
    } else if (choice.consumerRow >= 0) {
        const KeySequenceBlock block = EncodeConsumer(ConsumerFunctionTable()[choice.consumerRow].code);
        written = SetButtonKeys(i, f.assignment(), block);
    } else if (f.is(ButtonFunctionType::Macro)) {
        if (!assignMacro(i, choice.control->text())) {
            const QSignalBlocker block(choice.control);
            choice.control->setChecked(false);
            showCurrentFunction(i);
        }
        return;
    } else if (choice.dpiValue > 0) {
        const std::optional<uint8_t> code = DpiLock::Encode(rowSensor(), choice.dpiValue);
        if (code) {
            f = DpiLock::Assignment(*code);
            written = SetButtonAssignment(i, f.assignment());
        }
    } else {
        written = SetButtonAssignment(i, f.assignment());
    }
    if (!written) {
        // The mouse did not take it: the menu goes back to what the key holds, nothing else is sent.
        const QSignalBlocker block(choice.control);
        choice.control->setChecked(false);
        showCurrentFunction(i);
        return;
    }
    m_types[i] = f.type;
    m_param1[i] = f.param1;
    m_param2[i] = f.param2;
    m_record = CurrentRecord::snapshot();
    setKeyText(i, m_record);
    showFunctionList();
}

void Buttoninterface::on_DebunceRelease_currentIndexChanged(int index) {
    settle(m_release, m_releaseIndex, index, SetButtonOptionB(Debounce::ReleaseByte(index)));
}

void Buttoninterface::on_WheelDebunce_currentIndexChanged(int index) {
    settle(m_wheel, m_wheelIndex, index, SetButtonOptionA(Debounce::WheelByte(index)));
}

void Buttoninterface::on_KeyDebunce_clicked(bool checked) {
    m_keyDebounce->setEnabled(checked);
    m_release->setEnabled(checked);
}

void Buttoninterface::on_WheelDebunce_2_clicked(bool checked) {
    m_wheel->setEnabled(checked);
}

void Buttoninterface::SlotUpDataConfigUI(int ToTalItem, int SelectIndex, bool ItemEnable) {
    m_profileCount = qBound(0, ToTalItem, 255);
    {
        const QSignalBlocker block(m_profile);
        m_profile->clear();
        QString prefix = Language::options(QStringLiteral("ProfileOptions")).value(QStringLiteral("0"));
        prefix.remove(QLatin1Char('1'));
        // A mouse that reports no profiles still shows its one configuration.
        for (int k = 0; k < qMax(1, m_profileCount); ++k)
            m_profile->addItem(prefix + QString::number(k + 1));
        if (m_profileCount > 0 && SelectIndex >= 0 && SelectIndex < m_profileCount)
            m_profile->setCurrentIndex(SelectIndex);
    }
    m_profile->setEnabled(ItemEnable);
    m_profileIndex = m_profile->currentIndex();
    PostMsg::instance()->SendAddConfig(m_profile->currentText());
}

void Buttoninterface::on_ProjectChoose_activated(int index) {
    // The writer raises the offline notice (unless the page is loading); the mouse then reports its
    // new profile and settings, which rebuild the chooser and refill the pages.
    if (settle(m_profile, m_profileIndex, index, SwitchProfile(index)))
        PostMsg::instance()->SendAddConfig(m_profile->currentText());
}

void Buttoninterface::on_ImportData_clicked() {
    ConfigTransfer::importConfiguration(this);
}

void Buttoninterface::on_OutputData_clicked() {
    ConfigTransfer::exportConfiguration(this);
}

void Buttoninterface::dpiLockTexts() {
    // Only the values the sensor's rule can lock are offered.
    const SensorCapability& sensor = rowSensor();
    for (const Choice& c : qAsConst(m_choices))
        if (c.dpiValue > 0) {
            c.control->setText(QString::number(c.dpiValue));
            c.control->setVisible(DpiLock::Encode(sensor, c.dpiValue).has_value());
        }
}

void Buttoninterface::applyTexts(int index) {
    for (const Choice& c : qAsConst(m_choices)) {
        if (c.dpiValue > 0)
            continue;
        if (c.consumerRow >= 0)
            c.control->setText(FunctionText(ConsumerKey(c.consumerRow), index));
        else if (c.function.is(ButtonFunctionType::RapidFire))
            c.control->setText(FunctionText(LabelKeys::kRapidFire, index));
        else if (c.function.is(ButtonFunctionType::KeySequence))
            c.control->setText(FunctionText(LabelKeys::kCombination, index));
        else if (const FunctionRow* row = FindFixedFunction(c.function))
            c.control->setText(FunctionText(QLatin1String(row->labelKey), index));
    }
    // Chevrons point the reading way: into a group, and back out of it.
    const bool rtl = Theme::isRightToLeft(index);
    const QString into = rtl ? QStringLiteral("  ‹") : QStringLiteral("  ›");
    for (QWidget* w : m_menu->findChildren<QWidget*>()) {
        if (auto* back = qobject_cast<QToolButton*>(w); back && back->property("role") == "back")
            back->setText(rtl ? QStringLiteral("›") : QStringLiteral("‹"));
        const QString labelKey = w->property("labelKey").toString();
        if (labelKey.isEmpty())
            continue;
        QString text = keyText(qPrintable(labelKey), index);
        if (text.isEmpty())
            text = FunctionText(labelKey, index);
        if (auto* label = qobject_cast<QLabel*>(w))
            label->setText(text);
        else if (auto* button = qobject_cast<QPushButton*>(w))
            button->setText(text + into);
    }
    for (QPushButton* b : qAsConst(m_transferButtons)) {
        const QString text = keyText(qPrintable(b->objectName()), index);
        if (!text.isEmpty())
            b->setText(text);
        sizeToText(b, 90, 120);
    }
    if (const QString reset = keyText("Reset", index); !reset.isEmpty())
        m_resetButton->setText(reset);
    sizeToText(m_resetButton, 110, 170);
    // The unit in the language's own words; the field grows to keep the largest value whole.
    const QString unit = Language::text(QStringLiteral("common"), QStringLiteral("UnitMs"), index);
    m_keyDebounce->setSuffix(QLatin1Char(' ') + (unit.isEmpty() ? QStringLiteral("ms") : unit));
    m_keyDebounce->ensurePolished();
    const int needed =
        m_keyDebounce->fontMetrics().horizontalAdvance(QStringLiteral("255") + m_keyDebounce->suffix()) + 20;
    m_keyDebounce->setFixedWidth(qMax(64, needed));
    for (const auto& caption : qAsConst(m_captions)) {
        const QString text = keyText(caption.second, index);
        if (!text.isEmpty())
            caption.first->setText(text);
    }
    dpiLockTexts();
}

void Buttoninterface::SlotAllLanguage(int index) {
    applyTexts(index);
    for (int i = 0; i < m_keyNumber; ++i)
        setKeyText(i, m_record);
    placeCallouts();
    if (m_profile->count() > 0) // rebuilt in the new language once the mouse has reported its profiles
        SlotUpDataConfigUI(m_profileCount, m_profile->currentIndex(), m_profile->isEnabled());
}

void Buttoninterface::on_Reset_clicked() {
    if (!CheckDeviceOnline())
        return; // the writer's check has raised the offline notice
    ContainReset question(this);
    question.placeOver(this);
    question.exec();
    if (!question.result())
        return;
    if (Worker* worker = DevicePagesLink::currentWorker())
        worker->restoreDefaults([] { PostMsg::instance()->SendUpDataParam(1); });
}

void Buttoninterface::SlotFormResetButton() {
    LinkFlags::ButtonLoading = true;
    showFunctionList();
    const ModelRow row = DeviceTable::row(SelectedDevice::get().row);
    for (int i = 0; i < kButtonCount; ++i) {
        const ButtonFunction f = DefaultAssignments()[i];
        m_types[i] = f.type;
        m_param1[i] = f.param1;
        m_param2[i] = f.param2;
        m_record.buttons[i] = f.assignment();
    }
    for (int i = 0; i < m_keyNumber; ++i)
        setKeyText(i, m_record);
    m_keyDebounce->setValue(row.debounceTime);
    {
        const QSignalBlocker a(m_release), b(m_wheel);
        m_release->setCurrentIndex(m_releaseIndex = Debounce::kRestoreIndex);
        m_wheel->setCurrentIndex(m_wheelIndex = Debounce::kRestoreIndex);
    }
    PostMsg::instance()->SendLightToFrom(60);
    LinkFlags::ButtonLoading = false;
}

void Buttoninterface::SlotAddMacroButton() {
    // Macro choices are the last of the menu's choices, so the indexes the others hold stay valid.
    while (!m_choices.isEmpty() && m_choices.last().function.is(ButtonFunctionType::Macro))
        delete m_choices.takeLast().control;
    auto* box = static_cast<QVBoxLayout*>(m_macroPage->layout());
    if (QLayoutItem* stretch = box->takeAt(box->count() - 1))
        delete stretch;
    const QStringList names = MacroNames::list();
    for (int n = 0; n < names.size(); ++n) {
        QPushButton* control = addChoice(m_macroPage, qPrintable(QStringLiteral("pushButton %1").arg(n)),
                                         ButtonFunction(ButtonFunctionType::Macro));
        control->setText(names.at(n));
        control->setToolTip(names.at(n));
    }
    box->addStretch();
    // Without macro files the group would open onto an empty page.
    if (QWidget* group = m_menu->widget(ListPage)->findChild<QWidget*>(QStringLiteral("DPI_10")))
        group->setVisible(!names.isEmpty());
    if (m_menu->currentWidget() == m_macroPage)
        emit m_menu->currentChanged(MacroPage);
}

bool Buttoninterface::assignMacro(int i, const QString& name) {
    const QString path = MacroNames::filePath(name);
    if (!MacroNames::usable(name) || !QFileInfo::exists(path))
        return false;
    const MacroFormat::MacroData macro = MacroFormat::readFile(path);
    const MacroPacker::Packed packed = MacroPacker::pack(name, macro);
    if (!packed.fits)
        return false; // more events than the area holds: nothing is written
    const ButtonFunction f(ButtonFunctionType::Macro, uint8_t(i), uint8_t(macro.cycle));
    if (!SetButtonMacro(i, f.assignment(), packed.block))
        return false;
    m_types[i] = f.type;
    m_param1[i] = f.param1;
    m_param2[i] = f.param2;
    m_record = CurrentRecord::snapshot();
    setKeyText(i, m_record);
    showFunctionList();
    return true;
}

QList<int> Buttoninterface::boundTo(const QString& name) const {
    QList<int> bound;
    for (int i = 0; i < m_keyNumber; ++i)
        if (m_types[i] == int(ButtonFunctionType::Macro) && MacroPacker::name(m_record.macros[i]) == name)
            bound << i;
    return bound;
}

void Buttoninterface::SlotUpDataMacro(QString MacroName, int index) {
    const QList<int> bound = boundTo(MacroName);
    if (index == 0) {
        QTimer::singleShot(kMacroReloadMs, this, [MacroName, bound] {
            for (int i : bound)
                PostMsg::instance()->SendMacroDownLoadData(MacroName, i);
        });
        return;
    }
    int cycle = MacroFormat::kDefaultCycle;
    if (!MacroFormat::readCycle(MacroNames::filePath(MacroName), cycle))
        return;
    for (int i : bound) {
        const ButtonFunction f(uint8_t(m_types[i]), uint8_t(m_param1[i]), uint8_t(cycle));
        if (SetButtonMacro(i, f.assignment(), m_record.macros[i]))
            m_param2[i] = f.param2;
    }
    m_record = CurrentRecord::snapshot();
}

void Buttoninterface::SlotMacroRename(QString MacroName, QString NewName) {
    for (int i : boundTo(MacroName)) {
        MacroBlock area = m_record.macros[i];
        MacroPacker::setName(area, NewName);
        SetButtonMacro(i, stored(i).assignment(), area);
    }
    m_record = CurrentRecord::snapshot();
    for (int i = 0; i < m_keyNumber; ++i)
        setKeyText(i, m_record);
    SlotAddMacroButton();
}

void Buttoninterface::SlotDeleteMacroButton(QString MacroName) {
    const ModelRow row = DeviceTable::row(SelectedDevice::get().row);
    for (int i : boundTo(MacroName)) {
        // The button's own default from the device table where it is a key sequence, else left click.
        const QStringList param = row.present ? row.keyParam(i + 1) : QStringList();
        KeySequenceBlock block{};
        bool sequence = false;
        if (param.value(0).compare(QLatin1String("0x05"), Qt::CaseInsensitive) == 0) {
            bool ok = false;
            if (param.size() == 3) {
                const uint code = param.at(1).toUInt(&ok, 16);
                if (ok) {
                    block = EncodeConsumer(uint16_t(code));
                    sequence = true;
                }
            } else if (param.size() == 4) {
                sequence = EncodeCombination(param.at(2), block);
            }
        }
        const ButtonFunction f = sequence ? ButtonFunction(ButtonFunctionType::KeySequence)
                                          : ButtonFunction(ButtonFunctionType::MouseButton, 1);
        const bool written =
            sequence ? SetButtonKeys(i, f.assignment(), block) : SetButtonAssignment(i, f.assignment());
        if (written) {
            m_types[i] = f.type;
            m_param1[i] = f.param1;
            m_param2[i] = f.param2;
        }
    }
    m_record = CurrentRecord::snapshot();
    for (int i = 0; i < m_keyNumber; ++i)
        setKeyText(i, m_record);
    SlotAddMacroButton();
}
