#include "light/LightSections.h"

#include "app/core/AppPaths.h"
#include "app/core/Language.h"
#include "app/core/PostMsg.h"
#include "device/LinkState.h"
#include "device/ReceiverLights.h"
#include "device/SettingWriters.h"
#include "sensor/SensorCapability.h"
#include "sensor/SensorLook.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDateTime>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QTimer>

using namespace LightRules;

namespace {
QString text(const char* key, int index) {
    return Language::text(QStringLiteral("light"), QLatin1String(key), index);
}

void setTextOr(QLabel* label, const QString& t) {
    if (!t.isEmpty())
        label->setText(t);
}

QLabel* caption(QWidget* parent, const char* name, const QString& defaultText) {
    auto* l = new QLabel(defaultText, parent);
    l->setObjectName(QLatin1String(name));
    l->setProperty("role", "caption");
    return l;
}

QComboBox* comboBox(QWidget* parent, const char* name, const QStringList& items) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setView(new QListView(box));
    box->addItems(items);
    box->setFixedHeight(30);
    box->setMinimumWidth(180);
    SensorLook::comboBox(box);
    return box;
}

QSlider* slider(QWidget* parent, const char* name, int max) {
    auto* s = new QSlider(Qt::Horizontal, parent);
    s->setObjectName(QLatin1String(name));
    s->setRange(1, max);
    s->setPageStep(1);
    // One write when the handle is let go, not one per step of a drag.
    s->setTracking(false);
    s->setMinimumWidth(120);
    return s;
}

QSpinBox* valueBox(QWidget* parent, const char* name, int min, int max, bool readOnly) {
    auto* box = new QSpinBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setRange(min, max);
    box->setButtonSymbols(QAbstractSpinBox::NoButtons);
    box->setReadOnly(readOnly);
    // Typed numbers are written when the box is left or Enter is pressed, not per keystroke.
    box->setKeyboardTracking(false);
    box->setFixedSize(52, 28);
    SensorLook::valueField(box);
    return box;
}

QPushButton* stepButton(QWidget* parent, const QString& name, const QString& label) {
    auto* b = new QPushButton(label, parent);
    b->setObjectName(name);
    b->setFixedSize(24, 24);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

void setValueQuietly(QSlider* s, int v) {
    const QSignalBlocker block(s);
    s->setValue(v);
}

void setValueQuietly(QSpinBox* s, int v) {
    const QSignalBlocker block(s);
    s->setValue(v);
}

void setIndexQuietly(QComboBox* box, int i) {
    const QSignalBlocker block(box);
    box->setCurrentIndex(i);
}

QStringList effectTexts(int index) {
    static const char* const defaults[kEffectCount] = {"关闭", "彩色流动", "单色呼吸", "混色常亮",
                                                       "霓虹", "混彩呼吸", "新建项目"};
    QStringList items;
    for (int i = 0; i < kEffectCount; ++i) {
        const QString t = index < 0 ? QString() : text(QByteArray::number(i).constData(), index);
        items << (t.isEmpty() ? QString::fromUtf8(defaults[i]) : t);
    }
    return items;
}

// A preset: a disc of its colour, ringed under the pointer. Painted, so the button keeps the theme's
// palette like every other control.
class SwatchButton : public QPushButton {
public:
    SwatchButton(const QColor& colour, QWidget* parent) : QPushButton(parent), m_colour(colour) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const bool hover = underMouse();
        p.setPen(QPen(hover ? QColor(Qt::white) : QColor(70, 74, 84), hover ? 2 : 1));
        p.setBrush(m_colour);
        const qreal inset = hover ? 1.5 : 1.0;
        p.drawEllipse(QRectF(rect()).adjusted(inset, inset, -inset, -inset));
    }
    void enterEvent(QEvent*) override { update(); }
    void leaveEvent(QEvent*) override { update(); }

private:
    QColor m_colour;
};

void relabel(QComboBox* box, const QStringList& items) {
    for (int i = 0; i < box->count() && i < items.size(); ++i)
        box->setItemText(i, items.at(i));
}
} // namespace

QWidget* lightTitle(QWidget* parent, QLabel*& captionLabel, const char* barName) {
    auto* row = new QWidget(parent);
    auto* h = new QHBoxLayout(row);
    h->setContentsMargins(0, 0, 0, 0);
    h->setSpacing(8);
    auto* bar = new QPushButton(row);
    bar->setObjectName(QLatin1String(barName));
    bar->setFixedSize(6, 22);
    bar->setFocusPolicy(Qt::NoFocus);
    SensorLook::titleBar(bar);
    captionLabel = new QLabel(row);
    SensorLook::setFontSize(captionLabel, 15, true);
    h->addWidget(bar);
    h->addWidget(captionLabel);
    h->addStretch(1);
    return row;
}

// ---------------------------------------------------------------------------------------------------

EffectPreview::EffectPreview(Shape shape, QWidget* parent) : QWidget(parent), m_shape(shape) {
    m_picture.load(AppPaths::appDir() + (shape == Shape::Mouse
                                             ? QStringLiteral("/Picture/LampLight/Mouse.png")
                                             : QStringLiteral("/Picture/LampLight/Receiver.png")));
    m_timer = new QTimer(this);
    m_timer->setInterval(40);
    connect(m_timer, &QTimer::timeout, this, &EffectPreview::tick);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize EffectPreview::sizeHint() const {
    return m_shape == Shape::Mouse ? QSize(150, 188) : QSize(200, 80);
}

void EffectPreview::setLight(int effect, const QColor& colour, int brightnessStep, int speedStep) {
    const bool changed =
        effect != m_effect || colour != m_colour || brightnessStep != m_brightness || speedStep != m_speed;
    m_effect = effect;
    m_colour = colour;
    m_brightness = brightnessStep;
    m_speed = speedStep;
    // A refill with the same light does not restart a preview that has come to rest.
    if (changed || !previewMoves(m_effect))
        play();
    update();
}

bool EffectPreview::animating() const {
    return m_timer->isActive();
}

void EffectPreview::play() {
    if (!isVisible() || !isEnabled() || !previewMoves(m_effect)) {
        m_timer->stop();
        return;
    }
    m_playMs = qMax<qint64>(kMinPlayMs, qint64(kCycles * previewPeriodMs(m_speed)));
    m_playing.start();
    m_timer->start();
}

void EffectPreview::tick() {
    if (m_playing.elapsed() >= m_playMs && !underMouse())
        m_timer->stop(); // the last frame stays
    update();
}

void EffectPreview::showEvent(QShowEvent*) {
    play();
}

void EffectPreview::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange) {
        play(); // a light that cannot be set now does not move
        update();
    }
    QWidget::changeEvent(event);
}

void EffectPreview::enterEvent(QEvent*) {
    if (!m_timer->isActive())
        play();
}

void EffectPreview::hideEvent(QHideEvent*) {
    m_timer->stop();
}

void EffectPreview::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QSizeF pictureSize = m_shape == Shape::Mouse ? QSizeF(240, 300) : QSizeF(300, 120);
    const double scale = qMin(width() / pictureSize.width(), height() / pictureSize.height());
    const QPointF origin((width() - pictureSize.width() * scale) / 2,
                         (height() - pictureSize.height() * scale) / 2);
    p.translate(origin);
    p.scale(scale, scale);
    if (!m_picture.isNull())
        p.drawPixmap(QRectF(QPointF(0, 0), pictureSize), m_picture, QRectF(m_picture.rect()));
    // The bar in picture coordinates: a curve under the mouse's palm, a straight window on the receiver.
    const QPointF a = m_shape == Shape::Mouse ? QPointF(62, 236) : QPointF(112, 60);
    const QPointF c = m_shape == Shape::Mouse ? QPointF(120, 276) : QPointF(187, 60);
    const QPointF b = m_shape == Shape::Mouse ? QPointF(178, 236) : QPointF(262, 60);
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    constexpr int kDots = 24;
    p.setPen(Qt::NoPen);
    for (int i = 0; i < kDots; ++i) {
        const double t = i / double(kDots - 1);
        const QPointF at = (1 - t) * (1 - t) * a + 2 * (1 - t) * t * c + t * t * b;
        QColor col = previewColour(m_effect, m_colour, m_brightness, m_speed, now, t);
        if (m_effect == 0)
            col = QColor(40, 43, 50);
        if (!isEnabled())
            col = QColor::fromHsvF(0, 0, col.valueF() * 0.45); // greyed like the section's controls
        QColor glow = col;
        glow.setAlpha(70);
        p.setBrush(glow);
        p.drawEllipse(at, 9, 9);
        p.setBrush(col);
        p.drawEllipse(at, 5, 5);
    }
}

// ---------------------------------------------------------------------------------------------------

SensorEffect::SensorEffect(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("SensorEffect"));
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(10);
    grid->addWidget(lightTitle(this, m_title, "TitleButton_3"), 0, 0, 1, 3);
    m_title->setText(QStringLiteral("DPI灯效"));
    m_model =
        comboBox(this, "Model", {QStringLiteral("关闭"), QStringLiteral("常亮"), QStringLiteral("呼吸")});
    grid->addWidget(m_model, 1, 0, 1, 3, Qt::AlignLeading);
    m_lightLabel = caption(this, "label_15", QStringLiteral("亮度"));
    m_light = slider(this, "LightH", kStepCount);
    m_lightBox = valueBox(this, "LightSpinBox", 1, kStepCount, true);
    m_speedLabel = caption(this, "label_14", QStringLiteral("速度"));
    m_speed = slider(this, "SpeedH", kDpiSpeedSteps);
    m_speedBox = valueBox(this, "SpeedSpinBox", 1, kDpiSpeedSteps, true);
    grid->addWidget(m_lightLabel, 2, 0);
    grid->addWidget(m_light, 2, 1);
    grid->addWidget(m_lightBox, 2, 2);
    grid->addWidget(m_speedLabel, 3, 0);
    grid->addWidget(m_speed, 3, 1);
    grid->addWidget(m_speedBox, 3, 2);
    grid->setColumnStretch(1, 1);
    QMetaObject::connectSlotsByName(this);
    reset();
}

bool SensorEffect::mayWrite() const {
    return SensorFlags::Armed && !LinkFlags::SensorLoading && !LinkFlags::LightLoading;
}

void SensorEffect::fill(const MouseLightView& v) {
    m_effect = v.dpiEffect;
    setIndexQuietly(m_model, v.dpiEffect);
    setValueQuietly(m_speed, v.dpiSpeed);
    setValueQuietly(m_speedBox, v.dpiSpeed);
    setValueQuietly(m_light, v.dpiBrightness);
    setValueQuietly(m_lightBox, v.dpiBrightness);
    applyVisibility();
}

void SensorEffect::reset() {
    MouseLightView v;
    v.dpiEffect = 1;
    v.dpiBrightness = kStepCount;
    v.dpiSpeed = kDpiSpeedSteps;
    fill(v);
}

void SensorEffect::retranslate(int index) {
    setTextOr(m_title, text("DPILight", index));
    setTextOr(m_lightLabel, text("Brightness", index));
    setTextOr(m_speedLabel, text("Speed", index));
    const QMap<QString, QString> items = Language::options(QStringLiteral("DPIEffectOptions"), index);
    for (int i = 0; i < m_model->count(); ++i)
        if (!items.value(QString::number(i)).isEmpty())
            m_model->setItemText(i, items.value(QString::number(i)));
}

void SensorEffect::applyVisibility() {
    const bool light = dpiShowsBrightness(m_model->currentIndex());
    const bool speed = dpiShowsSpeed(m_model->currentIndex());
    for (QWidget* w : {static_cast<QWidget*>(m_light), static_cast<QWidget*>(m_lightBox),
                       static_cast<QWidget*>(m_lightLabel)})
        w->setVisible(light);
    for (QWidget* w : {static_cast<QWidget*>(m_speed), static_cast<QWidget*>(m_speedBox),
                       static_cast<QWidget*>(m_speedLabel)})
        w->setVisible(speed);
}

void SensorEffect::on_Model_currentIndexChanged(int index) {
    if (index < 0)
        return;
    if (mayWrite()) {
        if (!SetDpiLightEffect(index)) {
            setIndexQuietly(m_model, m_effect);
            return;
        }
    }
    m_effect = index;
    applyVisibility();
}

void SensorEffect::on_LightH_valueChanged(int value) {
    if (mayWrite() && !SetDpiLightBrightness(dpiBrightnessByte(value))) {
        setValueQuietly(m_light, m_lightBox->value());
        return;
    }
    setValueQuietly(m_lightBox, value);
}

void SensorEffect::on_LightH_sliderMoved(int value) {
    setValueQuietly(m_lightBox, value);
}

void SensorEffect::on_SpeedH_valueChanged(int value) {
    if (mayWrite() && !SetDpiLightSpeed(uint8_t(value))) {
        setValueQuietly(m_speed, m_speedBox->value());
        return;
    }
    setValueQuietly(m_speedBox, value);
}

void SensorEffect::on_SpeedH_sliderMoved(int value) {
    setValueQuietly(m_speedBox, value);
}

// ---------------------------------------------------------------------------------------------------

LightBarSection::LightBarSection(const QString& suffix, EffectPreview::Shape shape, QWidget* parent)
    : QWidget(parent) {
    const auto name = [&](const char* base) { return QLatin1String(base) + suffix; };
    m_grid = new QGridLayout(this);
    m_grid->setContentsMargins(0, 0, 0, 0);
    m_grid->setHorizontalSpacing(12);
    m_grid->setVerticalSpacing(10);
    m_grid->addWidget(lightTitle(this, m_title, qPrintable(name("TitleButton"))), 0, 0, 1, 4);

    m_effectLabel = caption(this, qPrintable(name("labelEffect")), QStringLiteral("灯效"));
    m_mode = comboBox(this, qPrintable(name("LightMod")), effectTexts(-1));
    m_lightLabel = caption(this, qPrintable(name("labelLight")), QStringLiteral("亮度"));
    m_light = slider(this, qPrintable(name("horizontalLight")), kStepCount);
    m_speedLabel = caption(this, qPrintable(name("labelSpeed")), QStringLiteral("速度"));
    m_speed = slider(this, qPrintable(name("horizontalSpeed")), kStepCount);
    // The mouse bar's boxes are LightSpinBox_2 / SpeedSpinBox_2 (the DPI light has the plain names).
    const QString boxSuffix = suffix.isEmpty() ? QStringLiteral("_2") : QStringLiteral("_3");
    m_lightBox = valueBox(this, qPrintable(QStringLiteral("LightSpinBox") + boxSuffix), 1, kStepCount, true);
    m_speedBox = valueBox(this, qPrintable(QStringLiteral("SpeedSpinBox") + boxSuffix), 1, kStepCount, true);

    m_preview = new EffectPreview(shape, this);
    m_preview->setObjectName(name("effectPreview"));
    m_preview->setFixedSize(m_preview->sizeHint());

    m_grid->addWidget(m_effectLabel, 1, 0);
    m_grid->addWidget(m_mode, 1, 1, 1, 2, Qt::AlignLeading);
    m_grid->addWidget(m_lightLabel, 2, 0);
    m_grid->addWidget(m_light, 2, 1);
    m_grid->addWidget(m_lightBox, 2, 2);
    m_grid->addWidget(m_speedLabel, 3, 0);
    m_grid->addWidget(m_speed, 3, 1);
    m_grid->addWidget(m_speedBox, 3, 2);
    m_grid->addWidget(m_preview, 1, 3, 4, 1, Qt::AlignCenter);
    m_grid->setColumnStretch(1, 1);

    // Colour: R, G and B boxes with their steppers, the chosen colour, the presets.
    m_colourRow = new QWidget(this);
    auto* colour = new QGridLayout(m_colourRow);
    colour->setContentsMargins(0, 0, 0, 0);
    colour->setHorizontalSpacing(6);
    colour->setVerticalSpacing(8);
    m_colourLabel = caption(m_colourRow, qPrintable(name("labelColour")), QStringLiteral("自定义颜色"));
    colour->addWidget(m_colourLabel, 0, 0, 1, 12);
    m_swatch = new QLabel(m_colourRow);
    m_swatch->setObjectName(name("labelPreView"));
    m_swatch->setFixedSize(44, 28);
    m_swatch->setCursor(Qt::PointingHandCursor);
    m_swatch->installEventFilter(this);
    QSpinBox** boxes[3] = {&m_r, &m_g, &m_b};
    QPushButton** adds[3] = {&m_addR, &m_addG, &m_addB};
    QPushButton** reduces[3] = {&m_reduceR, &m_reduceG, &m_reduceB};
    QLabel** labels[3] = {&m_rLabel, &m_gLabel, &m_bLabel};
    const char* const channels[3] = {"R", "G", "B"};
    for (int c = 0; c < 3; ++c) {
        *labels[c] = caption(m_colourRow, qPrintable(name("label") + QLatin1String(channels[c])),
                             QLatin1String(channels[c]) + QLatin1Char(':'));
        *reduces[c] = stepButton(m_colourRow, QStringLiteral("Reduce") + QLatin1String(channels[c]) + suffix,
                                 QStringLiteral("-"));
        *boxes[c] =
            valueBox(m_colourRow, qPrintable(QLatin1String(channels[c]) + QStringLiteral("SpinBox") + suffix),
                     0, 255, false);
        *adds[c] = stepButton(m_colourRow, QStringLiteral("Add") + QLatin1String(channels[c]) + suffix,
                              QStringLiteral("+"));
        colour->addWidget(*labels[c], 1, c * 4);
        colour->addWidget(*reduces[c], 1, c * 4 + 1);
        colour->addWidget(*boxes[c], 1, c * 4 + 2);
        colour->addWidget(*adds[c], 1, c * 4 + 3);
    }
    colour->addWidget(m_swatch, 1, 12);
    colour->setColumnStretch(13, 1);
    m_presetLabel = caption(m_colourRow, qPrintable(name("labelPreset")), QStringLiteral("预设"));
    colour->addWidget(m_presetLabel, 2, 0, 1, 12);
    auto* presets = new QHBoxLayout;
    presets->setSpacing(8);
    for (int i = 0; i < kPresetCount; ++i) {
        auto* b = new SwatchButton(presetColour(i), m_colourRow);
        b->setObjectName(QStringLiteral("toolButtonColor") + QChar('A' + i) + suffix);
        b->setFixedSize(24, 24);
        b->setCursor(Qt::PointingHandCursor);
        b->setToolTip(QStringLiteral("%1, %2, %3")
                          .arg(presetColour(i).red())
                          .arg(presetColour(i).green())
                          .arg(presetColour(i).blue()));
        connect(b, &QPushButton::clicked, this, [this, i] { preset(i); });
        m_presets[i] = b;
        presets->addWidget(b);
    }
    presets->addStretch(1);
    colour->addLayout(presets, 3, 0, 1, 14);
    m_grid->addWidget(m_colourRow, 5, 0, 1, 4);
    showColour(QColor(255, 0, 0));
}

bool LightBarSection::deviceAnswers() {
    return CheckDeviceOnline();
}

QColor LightBarSection::colour() const {
    return QColor(m_r->value(), m_g->value(), m_b->value());
}

int LightBarSection::brightness() const {
    return m_light->value();
}

int LightBarSection::speed() const {
    return m_speed->value();
}

void LightBarSection::retranslate(int index) {
    relabel(m_mode, effectTexts(index));
    setTextOr(m_title, text(m_titleKey, index));
    setTextOr(m_effectLabel, text("Effect", index));
    setTextOr(m_lightLabel, text("Brightness", index));
    setTextOr(m_speedLabel, text("Speed", index));
    setTextOr(m_colourLabel, text("CustomColor", index));
    setTextOr(m_presetLabel, text("Preset", index));
    setTextOr(m_rLabel, text("R:", index));
    setTextOr(m_gLabel, text("G:", index));
    setTextOr(m_bLabel, text("B:", index));
    const QString preview = text("Preview", index);
    m_swatch->setToolTip(text("CustomColor", index));
    m_preview->setToolTip(preview);
}

void LightBarSection::showColour(const QColor& c) {
    for (auto pair :
         {std::make_pair(m_r, c.red()), std::make_pair(m_g, c.green()), std::make_pair(m_b, c.blue())})
        setValueQuietly(pair.first, pair.second);
    m_accepted = c;
    m_swatch->setStyleSheet(
        QStringLiteral("QLabel{background-color:rgb(%1,%2,%3);border:2px solid rgb(211,211,211);"
                       "border-radius:4px;}")
            .arg(c.red())
            .arg(c.green())
            .arg(c.blue()));
    updatePreview();
}

void LightBarSection::showValues(int effect, const QColor& c, int brightnessStep, int speedStep) {
    m_effect = qBound(0, effect, kEffectCount - 1);
    setIndexQuietly(m_mode, m_effect);
    setValueQuietly(m_light, brightnessStep);
    setValueQuietly(m_lightBox, brightnessStep);
    setValueQuietly(m_speed, speedStep);
    setValueQuietly(m_speedBox, speedStep);
    showColour(c);
    applyVisibility();
}

void LightBarSection::enableSliders(bool on) {
    m_light->setEnabled(on);
    m_speed->setEnabled(on);
}

void LightBarSection::applyVisibility() {
    const EffectLook look = effectLook(m_mode->currentIndex());
    for (QWidget* w : {static_cast<QWidget*>(m_light), static_cast<QWidget*>(m_lightBox),
                       static_cast<QWidget*>(m_lightLabel)})
        w->setVisible(look.brightness);
    for (QWidget* w : {static_cast<QWidget*>(m_speed), static_cast<QWidget*>(m_speedBox),
                       static_cast<QWidget*>(m_speedLabel)})
        w->setVisible(look.speed);
    m_colourRow->setVisible(look.colour || look.lastPresetOnly);
    for (QWidget* w :
         {static_cast<QWidget*>(m_colourLabel), static_cast<QWidget*>(m_swatch), static_cast<QWidget*>(m_r),
          static_cast<QWidget*>(m_g), static_cast<QWidget*>(m_b), static_cast<QWidget*>(m_rLabel),
          static_cast<QWidget*>(m_gLabel), static_cast<QWidget*>(m_bLabel), static_cast<QWidget*>(m_addR),
          static_cast<QWidget*>(m_addG), static_cast<QWidget*>(m_addB), static_cast<QWidget*>(m_reduceR),
          static_cast<QWidget*>(m_reduceG), static_cast<QWidget*>(m_reduceB)})
        w->setVisible(look.colour);
    for (int i = 0; i < kPresetCount; ++i)
        m_presets[i]->setVisible(look.colour || (look.lastPresetOnly && i == kPresetCount - 1));
    updatePreview();
    effectShown(m_mode->currentIndex());
}

void LightBarSection::updatePreview() {
    m_preview->setLight(m_mode->currentIndex(), colour(), m_light->value(), m_speed->value());
}

void LightBarSection::effectChanged(int index) {
    if (index < 0)
        return;
    if (mayWrite() && !writeEffect(index)) {
        setIndexQuietly(m_mode, m_effect);
        return;
    }
    m_effect = index;
    applyVisibility();
}

void LightBarSection::sliderChanged(QSlider* s, QSpinBox* box, int value,
                                    bool (LightBarSection::*write)(int)) {
    if (!s->isEnabled()) {
        setValueQuietly(s, box->value());
        return;
    }
    if (mayWrite() && !(this->*write)(value)) {
        const QSignalBlocker block(s);
        s->setEnabled(false);
        s->setValue(box->value());
        return;
    }
    setValueQuietly(box, value);
    updatePreview();
}

void LightBarSection::sliderMoved(QSlider* s, QSpinBox* box, int value) {
    if (mayWrite()) {
        s->setEnabled(false);
        if (!deviceAnswers()) {
            setValueQuietly(s, box->value());
            return; // left disabled until the next record
        }
        s->setEnabled(true);
    }
    setValueQuietly(box, value);
}

void LightBarSection::brightnessChanged(int value) {
    sliderChanged(m_light, m_lightBox, value, &LightBarSection::writeBrightnessStep);
}

void LightBarSection::brightnessMoved(int value) {
    sliderMoved(m_light, m_lightBox, value);
}

void LightBarSection::speedChanged(int value) {
    sliderChanged(m_speed, m_speedBox, value, &LightBarSection::writeSpeedStep);
}

void LightBarSection::speedMoved(int value) {
    sliderMoved(m_speed, m_speedBox, value);
}

void LightBarSection::colourBoxChanged() {
    const QColor c = colour();
    if (mayWrite() && !writeColour(c)) {
        showColour(m_accepted);
        return;
    }
    showColour(c);
}

void LightBarSection::step(QSpinBox* box, int delta) {
    if (mayWrite() && !deviceAnswers())
        return;
    box->setValue(box->value() + delta); // the box clamps to 0 … 255; an unchanged value writes nothing
}

void LightBarSection::preset(int index) {
    if (mayWrite() && !deviceAnswers())
        return;
    setColour(presetColour(index));
}

void LightBarSection::setColour(const QColor& c) {
    for (auto pair :
         {std::make_pair(m_r, c.red()), std::make_pair(m_g, c.green()), std::make_pair(m_b, c.blue())})
        setValueQuietly(pair.first, pair.second);
    colourBoxChanged();
}

void LightBarSection::pickColour() {
    if (mayWrite() && !deviceAnswers())
        return;
    const QColor c = QColorDialog::getColor(colour(), this, m_colourLabel->text());
    if (c.isValid() && c != colour())
        setColour(c);
}

bool LightBarSection::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_swatch && event->type() == QEvent::MouseButtonRelease && m_swatch->isEnabled()) {
        pickColour();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------------------------------

MouseLight::MouseLight(QWidget* parent) : LightBarSection(QString(), EffectPreview::Shape::Mouse, parent) {
    setObjectName(QStringLiteral("MouseLight"));
    m_title->setText(QStringLiteral("灯带"));
    m_movingOff = new QCheckBox(QStringLiteral("移动时关灯"), this);
    m_movingOff->setObjectName(QStringLiteral("RippeControl"));
    SensorLook::checkBox(m_movingOff);
    m_grid->addWidget(m_movingOff, 4, 0, 1, 3);
    QMetaObject::connectSlotsByName(this);
}

bool MouseLight::mayWrite() const {
    return SensorFlags::Armed && !LinkFlags::LightLoading;
}

void MouseLight::fill(const MouseLightView& v) {
    {
        const QSignalBlocker block(m_movingOff);
        m_movingOff->setChecked(v.movingOff);
    }
    showValues(v.barEffect, v.barColour, v.barBrightness, v.barSpeed);
}

void MouseLight::reset() {
    const QSignalBlocker block(m_movingOff);
    m_movingOff->setChecked(false);
    showValues(1, colour(), kStepCount, 8);
}

void MouseLight::retranslateAll(int index) {
    retranslate(index);
    const QString moving = text("MovingOffLight", index);
    if (!moving.isEmpty())
        m_movingOff->setText(moving);
}

bool MouseLight::writeEffect(int effect) {
    if (!SetLightBarEffect(effect))
        return false;
    if (effect == 0) {
        // A dark bar has nothing to switch off while moving.
        const QSignalBlocker block(m_movingOff);
        const bool was = m_movingOff->isChecked();
        m_movingOff->setChecked(false);
        if (!SetMovingOffLight(0))
            m_movingOff->setChecked(was);
    }
    return true;
}

bool MouseLight::writeBrightness(int step) {
    return SetLightBarBrightness(uint8_t(step - 1));
}

bool MouseLight::writeSpeed(int step) {
    return SetLightBarSpeed(uint8_t(step - 1));
}

bool MouseLight::writeColour(const QColor& c) {
    return SetLightBarColour(uint8_t(c.red()), uint8_t(c.green()), uint8_t(c.blue()));
}

void MouseLight::on_RippeControl_clicked(bool checked) {
    if (!mayWrite())
        return;
    if (!SetMovingOffLight(checked ? 1 : 0)) {
        const QSignalBlocker block(m_movingOff);
        m_movingOff->setChecked(!checked);
    }
}

// ---------------------------------------------------------------------------------------------------

ReceiveLight::ReceiveLight(QWidget* parent)
    : LightBarSection(QStringLiteral("_2"), EffectPreview::Shape::Receiver, parent) {
    setObjectName(QStringLiteral("ReceiveLight"));
    m_title->setText(QStringLiteral("接收器灯效"));
    m_titleKey = "ReceiverLight";
    QMetaObject::connectSlotsByName(this);
}

bool ReceiveLight::mayWrite() const {
    return SensorFlags::Armed && !LinkFlags::LightLoading && m_loaded;
}

bool ReceiveLight::load() {
    ReceiverBar bar;
    m_loaded = ReceiverLights::readBar(bar.bytes);
    setEnabled(m_loaded);
    if (!m_loaded)
        return false;
    m_bar = bar;
    showValues(bar.shownEffect(), bar.colour(), bar.brightnessStep(), bar.speedStep());
    return true;
}

void ReceiveLight::reset() {
    showValues(1, colour(), kStepCount, 8);
}

template <typename Change> bool ReceiveLight::send(Change&& change) {
    ReceiverBar next = m_bar;
    change(next);
    if (!ReceiverLights::sendBar(next.bytes))
        return false;
    m_bar = next;
    return true;
}

bool ReceiveLight::writeEffect(int effect) {
    return send([&](ReceiverBar& b) { b.setEffect(effect); });
}

bool ReceiveLight::writeBrightness(int step) {
    return send([&](ReceiverBar& b) { b.setBrightnessStep(step); });
}

bool ReceiveLight::writeSpeed(int step) {
    return send([&](ReceiverBar& b) { b.setSpeedStep(step); });
}

bool ReceiveLight::writeColour(const QColor& c) {
    return send([&](ReceiverBar& b) { b.setColour(c); });
}

// ---------------------------------------------------------------------------------------------------

OneLed::OneLed(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("OneLed"));
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(10);
    v->addWidget(lightTitle(this, m_title, "TitleButton_5"));
    m_title->setText(QStringLiteral("状态灯"));
    const char* const names[kStatusBehaviours] = {"ReUntil", "ReUntil_2", "ReUntil_3"};
    const char* const defaults[kStatusBehaviours] = {"连接状态", "电量状态", "关闭"};
    for (int i = 0; i < kStatusBehaviours; ++i) {
        m_boxes[i] = new QCheckBox(QString::fromUtf8(defaults[i]), this);
        m_boxes[i]->setObjectName(QLatin1String(names[i]));
        SensorLook::checkBox(m_boxes[i]);
        v->addWidget(m_boxes[i]);
    }
    QMetaObject::connectSlotsByName(this);
}

void OneLed::retranslate(int index) {
    setTextOr(m_title, text("StatusLed", index));
    for (int i = 0; i < kStatusBehaviours; ++i) {
        const QString t = text(QByteArray("StatusLed" + QByteArray::number(i + 1)).constData(), index);
        if (!t.isEmpty())
            m_boxes[i]->setText(t);
    }
}

int OneLed::checkedBehaviour() const {
    for (int i = 0; i < kStatusBehaviours; ++i)
        if (m_boxes[i]->isChecked())
            return i + 1;
    return 0;
}

void OneLed::check(int behaviour) {
    for (int i = 0; i < kStatusBehaviours; ++i) {
        const QSignalBlocker block(m_boxes[i]);
        m_boxes[i]->setChecked(i + 1 == behaviour);
    }
}

void OneLed::showValue(const DongleRGB& value) {
    m_value = value;
    m_known = true;
    check(statusBoxOf(value.bytes[0]) + 1);
}

void OneLed::forget() {
    m_known = false;
    check(0);
}

void OneLed::choose(int behaviour, bool checked) {
    const int before = statusBoxOf(m_value.bytes[0]) + 1;
    if (!checked) {
        // The boxes act as one choice: the chosen one cannot be cleared by clicking it again.
        if (behaviour == before)
            check(before);
        return;
    }
    if (!SensorFlags::Armed)
        return check(before);
    // The bytes besides the behaviour are the receiver's own: read them unless this device sent them.
    DongleRGB next = m_value;
    if (!m_known && !ReceiverLights::readStatus(next))
        return check(before);
    next.bytes[0] = uint8_t(behaviour);
    if (!ReceiverLights::sendStatus(next))
        return check(m_known ? before : 0);
    m_value = next;
    m_known = true;
    check(behaviour);
}

// ---------------------------------------------------------------------------------------------------

ThreeLed::ThreeLed(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("ThreeLed"));
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(10);
    grid->addWidget(lightTitle(this, m_title, "TitleButton_6"), 0, 0, 1, 2);
    m_title->setText(QStringLiteral("指示灯"));
    const char* const boxes[3] = {"LightMod_3", "LightMod_4", "LightMod_5"};
    for (int i = 0; i < 3; ++i) {
        m_labels[i] = caption(this, qPrintable(QStringLiteral("labelLed%1").arg(i + 1)),
                              QStringLiteral("LED%1").arg(i + 1));
        m_boxes[i] = comboBox(this, boxes[i],
                              {QStringLiteral("关闭"), QStringLiteral("常亮"), QStringLiteral("闪烁")});
        grid->addWidget(m_labels[i], i + 1, 0);
        grid->addWidget(m_boxes[i], i + 1, 1, Qt::AlignLeading);
    }
    grid->setColumnStretch(1, 1);
    QMetaObject::connectSlotsByName(this);
}

void ThreeLed::retranslate(int index) {
    setTextOr(m_title, text("IndicatorLed", index));
    for (int i = 0; i < 3; ++i) {
        setTextOr(m_labels[i], text(QByteArray("LED" + QByteArray::number(i + 1)).constData(), index));
        for (int m = 0; m < kLedModeCount; ++m) {
            const QString t = text(QByteArray("LedMode" + QByteArray::number(m)).constData(), index);
            if (!t.isEmpty())
                m_boxes[i]->setItemText(m, t);
        }
    }
}

void ThreeLed::showLeds() {
    for (int i = 0; i < 3; ++i)
        setIndexQuietly(m_boxes[i], ledModeOf(m_leds[size_t(i)]));
}

bool ThreeLed::load() {
    std::array<uint8_t, 3> leds{};
    const bool ok = ReceiverLights::readLeds(leds);
    setEnabled(ok);
    if (ok) {
        m_leds = leds;
        showLeds();
    }
    return ok;
}

void ThreeLed::choose(int led, int index) {
    if (index < 0)
        return;
    if (!SensorFlags::Armed || LinkFlags::LightLoading || !isEnabled())
        return;
    std::array<uint8_t, 3> next = m_leds;
    next[size_t(led)] = uint8_t(index);
    if (!ReceiverLights::sendLeds(next)) {
        setIndexQuietly(m_boxes[led], ledModeOf(m_leds[size_t(led)]));
        return;
    }
    m_leds = next;
    PushRecord();
}
