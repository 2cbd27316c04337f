#include "sensor/AdvancedSections.h"

#include "app/core/AppPaths.h"
#include "app/core/IniStores.h"
#include "app/core/Language.h"
#include "app/ui/Theme.h"
#include "device/LinkState.h"
#include "device/SettingWriters.h"
#include "device/Worker.h"
#include "sensor/SensorCapability.h"
#include "sensor/SensorLook.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QToolButton>
#include <QTransform>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

using namespace AdvancedModel;

namespace {
const QString kGroup = QStringLiteral("AdvancedSettings");

QString text(const char* key, int index) {
    return Language::text(kGroup, QLatin1String(key), index);
}

QString picture(const char* name) {
    return AppPaths::appDir() + QStringLiteral("/Picture/Adveanced/") + QLatin1String(name);
}

QSlider* makeSlider(QWidget* parent, const char* name, Qt::Orientation o, int min, int max) {
    auto* s = new QSlider(o, parent);
    s->setObjectName(QLatin1String(name));
    s->setRange(min, max);
    // One write when the handle is let go, not one per step of a drag.
    s->setTracking(false);
    return s;
}

QCheckBox* makeToggle(QWidget* parent, const char* name) {
    auto* b = new QCheckBox(parent);
    b->setObjectName(QLatin1String(name));
    SensorLook::checkBox(b);
    return b;
}

void setQuietly(QAbstractButton* b, bool on) {
    const QSignalBlocker block(b);
    b->setChecked(on);
}
void setQuietly(QAbstractSlider* s, int v) {
    const QSignalBlocker block(s);
    s->setValue(v);
    s->setSliderPosition(v);
}
void setQuietly(QComboBox* c, int i) {
    const QSignalBlocker block(c);
    c->setCurrentIndex(i);
}
} // namespace

bool advancedWritesAllowed() {
    return SensorFlags::Armed && !LinkFlags::anyPageLoading();
}

AdvancedSection::AdvancedSection(const char* objectName, const char* titleKey, const char* tipKey,
                                 QWidget* parent)
    : QFrame(parent), m_titleKey(titleKey), m_tipKey(tipKey) {
    setObjectName(QLatin1String(objectName));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 4, 0, 8);
    layout->setSpacing(6);
    auto* head = m_head = new QHBoxLayout;
    auto* bar = new QPushButton(this);
    bar->setFixedSize(6, 22);
    bar->setFocusPolicy(Qt::NoFocus);
    SensorLook::titleBar(bar);
    m_title = new QLabel(this);
    m_title->setProperty("role", "caption");
    SensorLook::setFontSize(m_title, 15, true);
    m_tip = new QLabel(this);
    m_tip->setFixedSize(18, 18);
    SensorLook::tipIcon(m_tip);
    m_tip->setVisible(tipKey != nullptr);
    head->addWidget(bar);
    head->addWidget(m_title);
    head->addWidget(m_tip);
    head->addStretch();
    layout->addLayout(head);
    m_body = new QWidget(this);
    layout->addWidget(m_body);
}

void AdvancedSection::addToHeader(QWidget* w) {
    m_head->insertWidget(m_head->count() - 1, w);
    m_head->insertSpacing(m_head->count() - 2, 12);
}

QLabel* AdvancedSection::caption(const char* key, QWidget* parent) {
    auto* l = new QLabel(parent);
    l->setProperty("role", "caption");
    m_captions.append({l, key});
    return l;
}

void AdvancedSection::relabel(int languageIndex) {
    if (const QString t = text(m_titleKey, languageIndex); !t.isEmpty())
        m_title->setText(t);
    if (m_tipKey)
        m_tip->setToolTip(text(m_tipKey, languageIndex));
    for (const auto& c : qAsConst(m_captions))
        if (const QString t = text(c.second, languageIndex); !t.isEmpty())
            c.first->setText(t);
    for (const auto& b : qAsConst(m_buttonTexts))
        if (const QString t = text(b.second, languageIndex); !t.isEmpty()) {
            b.first->setText(t);
            Theme::fitText(b.first, 24);
        }
}

// 20K frame-rate mode.
KFPS20::KFPS20(QWidget* parent) : AdvancedSection("FrameFPS", "Scanning", "scanningTips", parent) {
    m_box = makeToggle(this, "KFPS");
    addToHeader(m_box);
    body()->hide();
    QMetaObject::connectSlotsByName(this);
}

void KFPS20::showRecord(const FlashDataMap& r) {
    setQuietly(m_box, r.fps20k != 0);
}

void KFPS20::on_KFPS_clicked(bool checked) {
    if (!advancedWritesAllowed() || !SetFps20K(checked ? 1 : 0))
        setQuietly(m_box, !checked);
}

// Long-range wireless mode: a command of the library, not a record byte.
LongMode::LongMode(QWidget* parent)
    : AdvancedSection("FrameLongMode", "LongDistance", "LongDistanceTips", parent) {
    m_box = makeToggle(this, "checkBox");
    addToHeader(m_box);
    body()->hide();
    QMetaObject::connectSlotsByName(this);
}

void LongMode::showState(bool on) {
    setQuietly(m_box, on);
}

void LongMode::on_checkBox_toggled(bool on) {
    if (!advancedWritesAllowed() || !SetLongRangeMode(on)) {
        setQuietly(m_box, !on);
        return;
    }
    // The mouse does not report the mode in its record: the device section keeps the last choice
    // (first "Adveanced" item; the second belongs to the lighting page).
    IniStore& ini = ConfigIniStore::instance();
    const QString group = QStringLiteral("Drive%1").arg(SelectedDevice::get().row + 1);
    QStringList items = ini.list(group, QStringLiteral("Adveanced"));
    if (items.isEmpty())
        items.append(QString());
    items[0] = on ? QStringLiteral("1") : QStringLiteral("0");
    ini.setList(group, QStringLiteral("Adveanced"), items);
}

// Angle tuning: −30 … 30 degrees, with a preview of the mouse turned by that angle.
AngleMove::AngleMove(QWidget* parent)
    : AdvancedSection("FrameAngle", "AngularMode", "AngularModeTips", parent) {
    auto* row = new QHBoxLayout(body());
    row->setContentsMargins(16, 0, 0, 0);
    m_preview = new QLabel(body());
    m_preview->setObjectName(QStringLiteral("AnglePreview"));
    m_preview->setFixedSize(64, 64);
    m_preview->setAlignment(Qt::AlignCenter);
    m_slider = makeSlider(body(), "AngleSet", Qt::Horizontal, kAngleMin, kAngleMax);
    m_slider->setFixedWidth(220);
    m_value = new QLabel(body());
    m_value->setProperty("role", "value");
    m_value->setMinimumWidth(56);
    row->addWidget(m_preview);
    row->addWidget(m_slider);
    row->addWidget(m_value);
    row->addStretch();
    showAngle(0);
    QMetaObject::connectSlotsByName(this);
}

void AngleMove::showAngle(int v) {
    QPixmap mouse(picture("AngleMouse.png"));
    if (!mouse.isNull()) {
        QTransform turn;
        turn.rotate(v);
        m_preview->setPixmap(mouse.transformed(turn, Qt::SmoothTransformation)
                                 .scaled(m_preview->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
    }
    m_value->setText(QString::number(v) + QStringLiteral("°"));
}

void AngleMove::showRecord(const FlashDataMap& r) {
    m_accepted = angleFromRecord(r.angle);
    m_slider->setEnabled(true);
    setQuietly(m_slider, m_accepted);
    showAngle(m_accepted);
}

void AngleMove::on_AngleSet_sliderMoved(int v) {
    showAngle(v); // follows the drag; the write waits for the release
}

void AngleMove::on_AngleSet_valueChanged(int v) {
    showAngle(v);
    if (!m_slider->isEnabled() || !advancedWritesAllowed() || LinkFlags::SensorLoading) {
        setQuietly(m_slider, m_accepted);
        showAngle(m_accepted);
        return;
    }
    if (SetAngle(uint8_t(int8_t(v)))) {
        m_accepted = v;
        return;
    }
    // Refused: the slider rests until the next record from the mouse enables it again.
    m_slider->setEnabled(false);
    setQuietly(m_slider, m_accepted);
    showAngle(m_accepted);
}

// Trigger point of the two main buttons: bit 0 left, bit 1 right of byte 0x04.
FastClick::FastClick(QWidget* parent) : AdvancedSection("FrameFastClick", "TriggerPoint", nullptr, parent) {
    auto* grid = new QGridLayout(body());
    grid->setContentsMargins(16, 0, 0, 0);
    grid->setHorizontalSpacing(10);
    const char* names[4] = {"ReUntilClick", "ReUntilClick_2", "ReUntilClick_3", "ReUntilClick_4"};
    const char* keys[4] = {"TriggerOnPress", "TriggerAtBottom", "TriggerOnPress", "TriggerAtBottom"};
    for (int i = 0; i < 4; ++i) {
        m_choices[i] = new QPushButton(body());
        m_choices[i]->setObjectName(QLatin1String(names[i]));
        m_choices[i]->setCheckable(true);
        m_choices[i]->setProperty("role", "choice");
        m_choices[i]->setMinimumSize(170, 34);
    }
    // Left button: on press (ReUntilClick) or at the bottom (_4); right: on press (_3) or at the bottom (_2).
    grid->addWidget(caption("LeftButton", body()), 0, 0);
    grid->addWidget(m_choices[0], 0, 1);
    grid->addWidget(m_choices[3], 0, 2);
    grid->addWidget(caption("RightButton", body()), 1, 0);
    grid->addWidget(m_choices[2], 1, 1);
    grid->addWidget(m_choices[1], 1, 2);
    grid->setColumnStretch(3, 1);
    for (int i = 0; i < 4; ++i)
        m_buttonTexts.append({m_choices[i], keys[i]});
    showBits(0);
    QMetaObject::connectSlotsByName(this);
}

void FastClick::showBits(uint8_t bits) {
    m_bits = bits;
    setQuietly(m_choices[0], !(bits & 1));
    setQuietly(m_choices[3], bits & 1);
    setQuietly(m_choices[2], !(bits & 2));
    setQuietly(m_choices[1], bits & 2);
}

void FastClick::showRecord(const FlashDataMap& r) {
    showBits(r.triggerBits);
}

void FastClick::choose(int bit, bool atBottom, bool checked) {
    if (checked && advancedWritesAllowed() && SetTriggerBit(bit, atBottom)) {
        showBits(CurrentRecord::snapshot().triggerBits);
        return;
    }
    showBits(m_bits); // refused, offline or a click on the choice already made
}

void FastClick::on_ReUntilClick_clicked(bool checked) {
    choose(0, false, checked);
}
void FastClick::on_ReUntilClick_4_clicked(bool checked) {
    choose(0, true, checked);
}
void FastClick::on_ReUntilClick_3_clicked(bool checked) {
    choose(1, false, checked);
}
void FastClick::on_ReUntilClick_2_clicked(bool checked) {
    choose(1, true, checked);
}

// Touch keys: target (entry 0, 1 or both) and three rows editing the entry's three bytes.
TouchKeySet::TouchKeySet(QWidget* parent) : AdvancedSection("TouchKeySetTab", "TouchKey", nullptr, parent) {
    auto* grid = new QGridLayout(body());
    grid->setContentsMargins(16, 0, 0, 0);
    grid->setHorizontalSpacing(10);
    m_target = new QComboBox(body());
    m_target->setObjectName(QStringLiteral("comboBoxRL"));
    m_target->addItems({QStringLiteral("L"), QStringLiteral("R"), QStringLiteral("L+R")});
    m_target->setFixedSize(150, 30);
    SensorLook::comboBox(m_target);
    grid->addWidget(caption("TouchTarget", body()), 0, 1);
    grid->addWidget(m_target, 0, 2);

    const char* comboNames[3] = {"comboBox", "comboBox_2", "comboBox_3"};
    const char* sliderNames[3] = {"horizontalLight_2", "horizontalLight_3", "horizontalLight_4"};
    const char* captions[3] = {"TouchLevel", "TouchVibration", "TouchSound"};
    for (int row = 0; row < 3; ++row) {
        m_combos[row] = new QComboBox(body());
        m_combos[row]->setObjectName(QLatin1String(comboNames[row]));
        m_combos[row]->setFixedSize(110, 30);
        SensorLook::comboBox(m_combos[row]);
        if (row == 0) {
            for (int level = 1; level <= 5; ++level)
                m_combos[row]->addItem(QString::number(level));
            m_sliders[row] = makeSlider(body(), sliderNames[row], Qt::Horizontal, 1, 5);
        } else {
            for (int pct = 25; pct <= 100; pct += 25)
                m_combos[row]->addItem(QString::number(pct) + QStringLiteral("%"));
            m_sliders[row] = makeSlider(body(), sliderNames[row], Qt::Horizontal, 0, 100);
            m_toggles[row] = makeToggle(body(), row == 1 ? "StraightLine_2" : "StraightLine_3");
            grid->addWidget(m_toggles[row], row + 1, 0);
            connect(m_toggles[row], &QCheckBox::clicked, this, [this, row](bool on) { toggled(row, on); });
        }
        m_sliders[row]->setFixedWidth(180);
        grid->addWidget(caption(captions[row], body()), row + 1, 1);
        grid->addWidget(m_combos[row], row + 1, 2);
        grid->addWidget(m_sliders[row], row + 1, 3);
        connect(m_combos[row], QOverload<int>::of(&QComboBox::activated), this,
                [this, row](int i) { comboChosen(row, i); });
        connect(m_sliders[row], &QSlider::valueChanged, this, [this, row](int v) { sliderChanged(row, v); });
    }
    grid->setColumnStretch(4, 1);
    QMetaObject::connectSlotsByName(this);
}

void TouchKeySet::relabel(int languageIndex) {
    AdvancedSection::relabel(languageIndex);
    const char* keys[3] = {"LeftButton", "RightButton", "Both"};
    for (int i = 0; i < 3; ++i)
        if (const QString t = text(keys[i], languageIndex); !t.isEmpty())
            m_target->setItemText(i, t);
}

int TouchKeySet::entryIndex() const {
    return std::clamp(m_target->currentIndex(), 0, 2);
}

void TouchKeySet::setRowEnabled(int row, bool on) {
    m_combos[row]->setEnabled(on);
    m_sliders[row]->setEnabled(on);
}

void TouchKeySet::showEntry(const TouchKeyEntry& e) {
    const int values[3] = {std::clamp(int(e.mode), 1, 5), e.a & 0x7F, e.b & 0x7F};
    for (int row = 0; row < 3; ++row) {
        m_accepted[row] = values[row];
        setQuietly(m_sliders[row],
                   std::clamp(values[row], m_sliders[row]->minimum(), m_sliders[row]->maximum()));
        setQuietly(m_combos[row], row == 0 ? values[row] - 1 : std::clamp((values[row] + 12) / 25 - 1, 0, 3));
    }
    setQuietly(m_toggles[1], e.a & 0x80);
    setQuietly(m_toggles[2], e.b & 0x80);
    setRowEnabled(1, e.a & 0x80);
    setRowEnabled(2, e.b & 0x80);
}

void TouchKeySet::showRecord(const FlashDataMap& r) {
    m_record = r;
    showEntry(r.touchKeys[entryIndex() == 1 ? 1 : 0]);
}

void TouchKeySet::on_comboBoxRL_currentIndexChanged(int) {
    showEntry(m_record.touchKeys[entryIndex() == 1 ? 1 : 0]);
}

void TouchKeySet::comboChosen(int row, int index) {
    // The combo moves the slider, whose change is the one write.
    m_sliders[row]->setValue(row == 0 ? index + 1 : (index + 1) * 25);
}

void TouchKeySet::sliderChanged(int row, int value) {
    const int target = entryIndex();
    bool ok = advancedWritesAllowed();
    if (ok)
        ok = row == 0   ? SetTouchKeyMode(target, uint8_t(value))
             : row == 1 ? SetTouchKeyValueA(target, uint8_t(value))
                        : SetTouchKeyValueB(target, uint8_t(value));
    if (ok) {
        m_record = CurrentRecord::snapshot();
        m_accepted[row] = value;
        setQuietly(m_combos[row], row == 0 ? value - 1 : std::clamp((value + 12) / 25 - 1, 0, 3));
        return;
    }
    setQuietly(m_sliders[row], m_accepted[row]);
    setQuietly(m_combos[row],
               row == 0 ? m_accepted[row] - 1 : std::clamp((m_accepted[row] + 12) / 25 - 1, 0, 3));
}

void TouchKeySet::toggled(int row, bool on) {
    const int target = entryIndex();
    const bool ok = advancedWritesAllowed() &&
                    (row == 1 ? SetTouchKeySwitchA(target, on) : SetTouchKeySwitchB(target, on));
    if (!ok) {
        setQuietly(m_toggles[row], !on);
        return;
    }
    m_record = CurrentRecord::snapshot();
    setRowEnabled(row, on);
}

// Main-button calibration: 18 s for the user to press both buttons to the bottom.
KeyVoice::KeyVoice(QWidget* parent) : AdvancedSection("KeyVoiceTab", "Calibration", nullptr, parent) {
    auto* row = new QHBoxLayout(body());
    row->setContentsMargins(16, 0, 0, 0);
    m_picture = new QLabel(body());
    m_picture->setObjectName(QStringLiteral("PairPicture"));
    m_picture->setFixedSize(180, 150);
    m_picture->setScaledContents(true);
    auto* steps = new QVBoxLayout;
    m_button = new QToolButton(body());
    m_button->setObjectName(QStringLiteral("toolButton"));
    m_button->setProperty("role", "reset");
    m_button->setMinimumSize(150, 32);
    steps->addWidget(m_button, 0, Qt::AlignLeft);
    for (const char* key : {"CalibrationSteps", "CalibrationStep1", "CalibrationStep2", "CalibrationStep3",
                            "CalibrationStep4"}) {
        QLabel* l = caption(key, body());
        l->setWordWrap(true);
        steps->addWidget(l);
    }
    steps->addStretch();
    row->addWidget(m_picture);
    row->addLayout(steps, 1);
    m_timer.setSingleShot(true);
    m_timer.setInterval(kCalibrationMs);
    connect(&m_timer, &QTimer::timeout, this, &KeyVoice::onPairKeyTimer);
    showPicture();
    QMetaObject::connectSlotsByName(this);
}

void KeyVoice::relabel(int languageIndex) {
    AdvancedSection::relabel(languageIndex);
    if (const QString t = text("StartCalibration", languageIndex); !t.isEmpty())
        m_button->setText(t);
}

QString KeyVoice::pictureName() const {
    return QLatin1String(Calibration::pictureFile(m_state.picture()));
}

void KeyVoice::showPicture() {
    m_picture->setPixmap(QPixmap(picture(Calibration::pictureFile(m_state.picture()))));
}

void KeyVoice::on_toolButton_clicked() {
    if (m_state.running()) {
        m_timer.stop();
        m_state.stop();
        finish();
        return;
    }
    if (!SetAdjustMode(true))
        return; // offline: the writer's notice says so
    DeviceReports::LeftKeyPressed = false;
    DeviceReports::RightKeyPressed = false;
    DeviceReports::KeyAdjustActive = true;
    m_state.start();
    m_timer.start();
    showPicture();
}

void KeyVoice::SlotPairKey(int ROL, int State) {
    // A button counts once it has been pressed to the bottom and let go.
    if (!m_state.running() || State != 1)
        return;
    if (m_state.keyDone(ROL)) {
        m_timer.stop();
        finish();
    }
    showPicture();
}

void KeyVoice::onPairKeyTimer() {
    m_state.timeout();
    finish();
}

void KeyVoice::finish() {
    DeviceReports::KeyAdjustActive = false;
    SetAdjustMode(false);
    showPicture();
}

// The response curve: axes speed (x) against factor; the user's curve can be shaped by dragging.
CurvePlotWidget::CurvePlotWidget(int preset, QWidget* parent) : QWidget(parent), m_preset(preset) {
    setMinimumSize(360, 190);
    setCursor(preset == kUserPreset ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

QVector<QPointF>& CurvePlotWidget::userPoints() {
    static QVector<QPointF> points = presetPoints(0);
    return points;
}

QVector<QPointF> CurvePlotWidget::points() const {
    return m_preset == kUserPreset ? userPoints() : presetPoints(m_preset);
}

namespace {
constexpr double kMaxX = 100, kMaxFactor = 2.0;
}

QPointF CurvePlotWidget::toScreen(const QPointF& p) const {
    const QRectF area = QRectF(rect()).adjusted(36, 12, -14, -26);
    return {area.left() + p.x() / kMaxX * area.width(), area.bottom() - p.y() / kMaxFactor * area.height()};
}

QPointF CurvePlotWidget::fromScreen(const QPointF& s) const {
    const QRectF area = QRectF(rect()).adjusted(36, 12, -14, -26);
    return {(s.x() - area.left()) / area.width() * kMaxX,
            (area.bottom() - s.y()) / area.height() * kMaxFactor};
}

void CurvePlotWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    // Axes run left to right in every language: the curve is a graph, not text.
    const QColor line = Theme::border();
    const QColor accent = Theme::colour("SliderColor");
    p.setPen(QPen(line, 1));
    for (int f = 0; f <= 4; ++f) {
        const QPointF a = toScreen({0, f * 0.5}), b = toScreen({kMaxX, f * 0.5});
        p.drawLine(a, b);
        p.setPen(Theme::mutedText());
        p.drawText(QRectF(0, a.y() - 8, 32, 16), Qt::AlignRight | Qt::AlignVCenter,
                   QString::number(f * 0.5, 'f', 1));
        p.setPen(QPen(line, 1));
    }
    for (int x = 0; x <= 100; x += 20) {
        const QPointF a = toScreen({double(x), 0});
        p.setPen(Theme::mutedText());
        p.drawText(QRectF(a.x() - 16, a.y() + 4, 32, 16), Qt::AlignCenter, QString::number(x));
    }
    const QVector<QPointF> pts = points();
    if (pts.isEmpty())
        return;
    QPainterPath path(toScreen({0, pts.first().y()}));
    for (const QPointF& pt : pts)
        path.lineTo(toScreen(pt));
    path.lineTo(toScreen({kMaxX, pts.last().y()}));
    p.setPen(QPen(accent, 2.5));
    p.drawPath(path);
    p.setBrush(accent);
    p.setPen(Qt::white);
    for (const QPointF& pt : pts)
        p.drawEllipse(toScreen(pt), 5, 5);
}

void CurvePlotWidget::mousePressEvent(QMouseEvent* e) {
    if (m_preset != kUserPreset || !isEnabled())
        return;
    const QVector<QPointF> pts = points();
    for (int i = 0; i < pts.size(); ++i)
        if (QLineF(toScreen(pts[i]), e->localPos()).length() < 10)
            m_dragging = i;
}

void CurvePlotWidget::mouseMoveEvent(QMouseEvent* e) {
    if (m_dragging < 0)
        return;
    QVector<QPointF>& pts = userPoints();
    QPointF p = fromScreen(e->localPos());
    // Points stay in x order, between their neighbours; the first stays at x 0.
    const double lo = m_dragging == 0 ? 0 : pts[m_dragging - 1].x() + 1;
    const double hi = m_dragging == 0 ? 0 : m_dragging + 1 < pts.size() ? pts[m_dragging + 1].x() - 1 : kMaxX;
    p.setX(std::round(std::clamp(p.x(), lo, std::max(lo, hi))));
    p.setY(std::round(std::clamp(p.y(), 0.1, kMaxFactor) * 100) / 100);
    pts[m_dragging] = p;
    update();
}

void CurvePlotWidget::mouseReleaseEvent(QMouseEvent*) {
    if (m_dragging < 0)
        return;
    m_dragging = -1;
    emit userCurveEdited();
}

// Virtual centre point: a switch and a value −100 … 100 moving the marker on the sensor picture.
VirtualPoint::VirtualPoint(QWidget* parent)
    : AdvancedSection("frame", "VirtualPoint", "VirtualPointTips", parent) {
    auto* row = new QHBoxLayout(body());
    row->setContentsMargins(16, 0, 0, 0);
    m_toggle = makeToggle(this, "StraightLine_2");
    addToHeader(m_toggle);
    auto* view = new QLabel(body());
    view->setObjectName(QStringLiteral("VirtualView"));
    view->setFixedSize(100, 156);
    view->setPixmap(QPixmap(picture("VirtualPoint.png")));
    view->setScaledContents(true);
    m_marker = new QLabel(view);
    m_marker->setObjectName(QStringLiteral("VirtualMarker"));
    m_marker->setFixedSize(12, 12);
    m_marker->setStyleSheet(
        QStringLiteral("QLabel{border-radius:6px;background:%1;}").arg(Theme::rgb("SliderColor")));
    m_slider = makeSlider(body(), "verticalSlider", Qt::Vertical, kVirtualMin, kVirtualMax);
    m_slider->setFixedHeight(156);
    m_slider->setInvertedAppearance(true); // up on the slider moves the point up the picture
    auto* amounts = new QGridLayout;
    m_up = new QSpinBox(body());
    m_down = new QSpinBox(body());
    for (QSpinBox* s : {m_up, m_down}) {
        s->setRange(0, 100);
        s->setReadOnly(true);
        s->setButtonSymbols(QAbstractSpinBox::NoButtons);
        s->setFixedSize(70, 30);
        SensorLook::valueField(s);
    }
    amounts->addWidget(caption("Up", body()), 0, 0);
    amounts->addWidget(m_up, 0, 1);
    amounts->addWidget(caption("Down", body()), 1, 0);
    amounts->addWidget(m_down, 1, 1);
    row->addWidget(view);
    row->addWidget(m_slider);
    row->addLayout(amounts);
    row->addStretch();
    m_slider->setEnabled(false);
    // The marker follows the drag; the write waits for the release.
    connect(m_slider, &QSlider::sliderMoved, this, [this](int v) { showValue(v); });
    showValue(0);
    QMetaObject::connectSlotsByName(this);
}

void VirtualPoint::showValue(int v) {
    m_marker->move(44, virtualPointY(v));
    m_up->setValue(v < 0 ? -v : 0);
    m_down->setValue(v > 0 ? v : 0);
}

void VirtualPoint::showRecord(const FlashDataMap& r) {
    const bool on = r.virtualPointValue != 0;
    setQuietly(m_toggle, on);
    m_slider->setEnabled(on);
    m_accepted = std::clamp(int(int8_t(r.virtualPointLevel)), kVirtualMin, kVirtualMax);
    setQuietly(m_slider, m_accepted);
    showValue(m_accepted);
}

void VirtualPoint::on_StraightLine_2_toggled(bool on) {
    if (!advancedWritesAllowed() || !SetVirtualPoint(on ? 1 : 0, false, 0)) {
        setQuietly(m_toggle, !on);
        return;
    }
    m_slider->setEnabled(on);
}

void VirtualPoint::on_verticalSlider_valueChanged(int v) {
    if (advancedWritesAllowed() && SetVirtualPoint(m_toggle->isChecked() ? 1 : 0, true, uint8_t(int8_t(v)))) {
        m_accepted = v;
        showValue(v);
        return;
    }
    setQuietly(m_slider, m_accepted);
    showValue(m_accepted);
}
