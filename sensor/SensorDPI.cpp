#include "sensor/SensorDPI.h"

#include "ui_SensorDPI.h"

#include "app/core/Language.h"
#include "app/core/PostMsg.h"
#include "app/ui/Theme.h"
#include "device/LinkState.h"
#include "device/SettingWriters.h"
#include "sensor/DpiCodec.h"
#include "sensor/SensorCapability.h"
#include "sensor/SensorLook.h"
#include "sensor/SensorRules.h"

#include <QApplication>
#include <QButtonGroup>
#include <QColorDialog>
#include <QKeyEvent>
#include <QListView>
#include <QMouseEvent>
#include <QStyle>
#include <QWheelEvent>

#include <algorithm>

namespace {

constexpr int kMarkerX[SensorDPI::kLevels] = {27, 118, 209, 300, 391, 483, 573, 664};
constexpr int kMarkerY = 154;
constexpr int kXYShift = 71;
constexpr int kWidth = 744;
constexpr int kRowBottom = 180; // below the level row and its marker, while X–Y editing is off
const char* const kLtrProperty = "zfLeftToRightGeometry";
// Drop positions of the dragged marker: slot i ends where slot i + 1 begins.
constexpr int kSlotBoundary[SensorDPI::kLevels - 1] = {69, 160, 251, 342, 433, 524, 612};
constexpr int kDragLeft = 15;
constexpr int kDragRight = 707;

const char* const kDefaultColours[SensorDPI::kLevels] = {
    "255,0,0", "0,0,255", "0,255,0", "255,255,0", "0,255,255", "255,0,255", "159,0,0", "0,212,252",
};

bool editing() {
    return SensorFlags::Armed && !LinkFlags::SensorLoading;
}

// "r,g,b" from "#rrggbb"; empty when the text is not a colour.
QString decimalColour(const QString& hex) {
    const QColor c(hex);
    if (!c.isValid())
        return QString();
    return QStringLiteral("%1,%2,%3").arg(c.red()).arg(c.green()).arg(c.blue());
}

// Values of a level text: "400", or "X 400\nY 800".
bool parseLevelText(const QString& text, int* x, int* y) {
    bool ok = false;
    const int plain = text.trimmed().toInt(&ok);
    if (ok) {
        *x = *y = plain;
        return true;
    }
    const QStringList lines = text.split('\n');
    if (lines.size() != 2 || !lines[0].startsWith(QLatin1String("X ")) ||
        !lines[1].startsWith(QLatin1String("Y ")))
        return false;
    bool okX = false, okY = false;
    const int vx = lines[0].mid(2).trimmed().toInt(&okX);
    const int vy = lines[1].mid(2).trimmed().toInt(&okY);
    if (!okX || !okY)
        return false;
    *x = vx;
    *y = vy;
    return true;
}

} // namespace

SensorDPI::SensorDPI(QWidget* parent) : QWidget(parent), ui(new Ui::SensorDPI) {
    SensorLook::setFontSize(this, 13);
    ui->setupUi(this);
    // The form is drawn left to right; children are placed through placeChild, which mirrors them
    // in a right-to-left language.
    for (QWidget* w : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        w->setProperty(kLtrProperty, w->geometry());
    setFixedSize(kWidth, kRowBottom);
    QPushButton* const buttons[kLevels] = {ui->BlueButton,      ui->BrightRedButton,  ui->RedButton,
                                           ui->YellowButton,    ui->GreenButton,      ui->PurpleButton,
                                           ui->LightBlueButton, ui->LightYellowButton};
    QPushButton* const swatches[kLevels] = {ui->BlueButtonA,      ui->BrightRedButtonA,  ui->RedButtonA,
                                            ui->YellowButtonA,    ui->GreenButtonA,      ui->PurpleButtonA,
                                            ui->LightBlueButtonA, ui->LightYellowButtonA};
    // Level buttons and swatches share a parent, so each row gets its own exclusive group.
    m_levelGroup = new QButtonGroup(this);
    m_swatchGroup = new QButtonGroup(this);
    for (int i = 0; i < kLevels; ++i) {
        m_levelButtons[i] = buttons[i];
        m_swatches[i] = swatches[i];
        m_levelHome[i] = QPoint(kMarkerX[i] - 7, buttons[i]->y());
        m_swatchHome[i] = QPoint(kMarkerX[i] - 5, swatches[i]->y());
        m_levelGroup->addButton(buttons[i], i);
        m_swatchGroup->addButton(swatches[i], i);
        m_colours[i] = QLatin1String(kDefaultColours[i]);
        m_valueX[i] = m_valueY[i] = 400 * (i + 1);
    }

    connect(PostMsg::instance(), &PostMsg::SigTouchkey, this, &SensorDPI::SlotTouchkey);

    ui->label_8->installEventFilter(this);
    ui->label_8->raise();
    for (QSpinBox* spin : {ui->spinBoxA, ui->spinBoxY}) {
        SensorLook::valueField(spin);
        spin->setKeyboardTracking(false);
        spin->installEventFilter(this);
    }
    connect(ui->spinBoxA, &QSpinBox::editingFinished, this, [this] { spinEdited(false); });
    connect(ui->spinBoxY, &QSpinBox::editingFinished, this, [this] { spinEdited(true); });

    // The theme's palette draws the labels, step buttons, spin boxes and the level-count list; sheets
    // only where this editor has rules of its own, and the theme's rules for the sliders in the slider
    // colour.
    SensorLook::setFontSize(ui->label, 16, true);
    for (QWidget* step : std::initializer_list<QWidget*>{ui->ReduceLevelA, ui->AddLevelA, ui->ReduceLevelY,
                                                         ui->AddLevelY, ui->toolButton})
        SensorLook::setFontSize(step, 15);
    SensorLook::setFontSize(ui->SameXY, 12);
    styleSliders();
    // The level count is a drop-down like the page's others: same face, arrow and padding at both ends.
    ui->ChooseEvent->setView(new QListView(ui->ChooseEvent));
    SensorLook::comboBox(ui->ChooseEvent);
    SensorLook::checkBox(ui->XYOpen);
    ui->pushButton->setStyleSheet(QStringLiteral("QPushButton{border:none;border-radius:6px;background:%1;}")
                                      .arg(Theme::window().lighter(125).name()));
    ui->label_8->setStyleSheet(
        QStringLiteral("QLabel{border-image:%1;}").arg(SensorLook::image("DPIChoose.png")));

    // A page built while the language already runs right to left gets no direction change.
    for (QWidget* w : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        placeChild(w, ltrGeometry(w));
    alignXYCaption();
    showYControls(false);
    fillLevelChooser(kLevels);
    setChooserIndex(std::clamp(readLevelIniCount(), 1, kLevels) - 1);
    checkLevelQuietly(0);
    checkSwatchQuietly(0);
    moveMarker(0);
    restyleLevels();
    restyleSwatches();
    SlotAllLanguage(Language::currentIndex());
}

SensorDPI::~SensorDPI() {
    // The spin boxes go with the base class and lose focus then: their "editing finished" must not reach
    // this editor, which is no longer whole.
    for (QSpinBox* spin : {ui->spinBoxA, ui->spinBoxY})
        spin->disconnect(this);
    delete ui;
}

void SensorDPI::placeChild(QWidget* child, const QRect& leftToRight) {
    child->setProperty(kLtrProperty, leftToRight);
    child->setGeometry(QStyle::visualRect(layoutDirection(), QRect(0, 0, kWidth, height()), leftToRight));
}

QRect SensorDPI::ltrGeometry(QWidget* child) const {
    const QVariant v = child->property(kLtrProperty);
    return v.isValid() ? v.toRect() : child->geometry();
}

void SensorDPI::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LayoutDirectionChange) {
        for (QWidget* w : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
            if (w->property(kLtrProperty).isValid())
                placeChild(w, ltrGeometry(w));
        alignXYCaption();
        styleSliders();
    }
    QWidget::changeEvent(event);
}

// A style sheet's sub-page is the groove left of the handle whatever the direction; right to left the
// minimum is on the right, so the filled part is the add-page there.
void SensorDPI::styleSliders() {
    QString sheet = Theme::controlRules();
    if (layoutDirection() == Qt::RightToLeft)
        sheet += QStringLiteral("QSlider::sub-page:horizontal,QSlider::sub-page:horizontal:disabled{"
                                "background:transparent;}"
                                "QSlider::add-page:horizontal{background:%1;border-radius:2px;}"
                                "QSlider::add-page:horizontal:disabled{background:%2;}")
                     .arg(Theme::rgb("SliderColor"), Theme::rgb(Theme::mutedText()));
    for (QSlider* slider : {ui->horizontalSliderC, ui->horizontalSliderY})
        if (slider->styleSheet() != sheet)
            slider->setStyleSheet(sheet);
}

// The caption hugs its check box on the box's side, whichever direction its own text runs.
void SensorDPI::alignXYCaption() {
    const bool rtl = layoutDirection() == Qt::RightToLeft;
    ui->XYLabel->setAlignment((rtl ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter | Qt::AlignAbsolute);
}

// ---------------------------------------------------------------------------------------------------
// Host operations

void SensorDPI::setLevelCount(int count) {
    m_count = std::clamp(count, 1, kLevels);
}

void SensorDPI::setCurrentLevel(int level) {
    if (level >= 0 && level < kLevels)
        m_current = level;
}

void SensorDPI::selectLevel(int level) {
    if (level < 0 || level >= kLevels)
        return;
    checkLevelQuietly(level);
    checkSwatchQuietly(level);
    showLevelValues(level);
}

void SensorDPI::moveMarker(int level) {
    if (level < 0 || level >= kLevels)
        return;
    const int shift = SensorFlags::XYSeparate ? kXYShift : 0;
    placeChild(ui->label_8, QRect(QPoint(kMarkerX[level], kMarkerY + shift), ui->label_8->size()));
}

QString SensorDPI::levelTextFor(int x, int y) {
    if (SensorFlags::XYSeparate)
        return QStringLiteral("X %1\nY %2").arg(x).arg(y);
    return QString::number(x);
}

void SensorDPI::setLevelValues(int level, int x, int y) {
    if (level < 0 || level >= kLevels)
        return;
    m_valueX[level] = x;
    m_valueY[level] = y;
    applyLevelText(level);
}

void SensorDPI::applyLevelText(int level) {
    m_levelButtons[level]->setText(levelTextFor(m_valueX[level], m_valueY[level]));
}

void SensorDPI::setLevelText(int level, const QString& text) {
    if (level < 0 || level >= kLevels)
        return;
    int x = 0, y = 0;
    if (parseLevelText(text, &x, &y)) {
        m_valueX[level] = x;
        m_valueY[level] = y;
    }
    m_levelButtons[level]->setText(text);
}

QString SensorDPI::levelText(int level) const {
    return level >= 0 && level < kLevels ? m_levelButtons[level]->text() : QString();
}

int SensorDPI::levelValueX(int level) const {
    return level >= 0 && level < kLevels ? m_valueX[level] : 0;
}

int SensorDPI::levelValueY(int level) const {
    return level >= 0 && level < kLevels ? m_valueY[level] : 0;
}

void SensorDPI::setLevelColour(int level, const QString& hexColour) {
    if (level < 0 || level >= kLevels)
        return;
    const QString colour = decimalColour(hexColour);
    if (colour.isEmpty())
        return;
    m_colours[level] = colour;
    restyleSwatches();
}

QString SensorDPI::levelColour(int level) const {
    return level >= 0 && level < kLevels ? m_colours[level] : QString();
}

void SensorDPI::clearLevelChooser() {
    const QSignalBlocker block(ui->ChooseEvent);
    ui->ChooseEvent->clear();
}

void SensorDPI::setChooserItem(int index, const QString& text) {
    if (index < 0)
        return;
    const QSignalBlocker block(ui->ChooseEvent);
    while (ui->ChooseEvent->count() <= index)
        ui->ChooseEvent->addItem(QString::number(ui->ChooseEvent->count() + 1));
    ui->ChooseEvent->setItemText(index, text);
}

void SensorDPI::fillLevelChooser(int maxGrade) {
    clearLevelChooser();
    for (int i = 0; i < std::clamp(maxGrade, 1, kLevels); ++i)
        setChooserItem(i, QString::number(i + 1));
}

void SensorDPI::setChooserIndex(int index) {
    if (index < 0 || index >= kLevels)
        return;
    {
        const QSignalBlocker block(ui->ChooseEvent);
        ui->ChooseEvent->setCurrentIndex(std::min(index, ui->ChooseEvent->count() - 1));
    }
    m_chooserIndex = index;
    m_count = index + 1;
    showLevelCount(m_count);
}

void SensorDPI::setSliderRange(int minimum, int maximum) {
    if (maximum < minimum)
        std::swap(minimum, maximum);
    for (QSlider* s : {ui->horizontalSliderC, ui->horizontalSliderY}) {
        const QSignalBlocker block(s);
        s->setRange(minimum, maximum);
    }
}

void SensorDPI::blockSliders(bool block) {
    ui->horizontalSliderC->blockSignals(block);
    ui->horizontalSliderY->blockSignals(block);
}

void SensorDPI::enableSliders(bool enable) {
    ui->horizontalSliderC->setEnabled(enable);
    ui->horizontalSliderY->setEnabled(enable);
}

void SensorDPI::setCurrentValue(int x) {
    {
        const QSignalBlocker block(ui->horizontalSliderC);
        ui->horizontalSliderC->setValue(x);
    }
    ui->spinBoxA->setValue(x);
}

void SensorDPI::setCurrentValueY(int y) {
    {
        const QSignalBlocker block(ui->horizontalSliderY);
        ui->horizontalSliderY->setValue(y);
    }
    ui->spinBoxY->setValue(y);
}

int SensorDPI::currentValue() const {
    return ui->spinBoxA->value();
}

int SensorDPI::currentValueY() const {
    return ui->spinBoxY->value();
}

void SensorDPI::resetToConfiguration(const ModelRow& row) {
    // A short list would leave levels without a colour: all levels take the defaults then.
    const bool colours = row.dpiColor.size() >= 3 * kLevels;
    for (int i = 0; i < kLevels; ++i)
        m_colours[i] = colours ? QStringLiteral("%1,%2,%3")
                                     .arg(row.dpiColor[3 * i])
                                     .arg(row.dpiColor[3 * i + 1])
                                     .arg(row.dpiColor[3 * i + 2])
                               : QLatin1String(kDefaultColours[i]);
    if (row.dpiGrade.size() >= kLevels)
        for (int i = 0; i < kLevels; ++i)
            setLevelValues(i, row.dpiGrade[i], row.dpiGrade[i]);
    restyleSwatches();
}

void SensorDPI::highlightLevel(int level) {
    if (level >= 0 && level < kLevels)
        checkLevelQuietly(level);
}

// ---------------------------------------------------------------------------------------------------
// Value snapping and steps

int SensorDPI::snapValue(int value, int* pageStep) {
    return SensorRules::snapDpi(SensorCapability::current().ranges, value, pageStep);
}

int SensorDPI::stepUp(int value) {
    return SensorRules::stepDpiUp(SensorCapability::current().ranges, value);
}

int SensorDPI::stepDown(int value) {
    return SensorRules::stepDpiDown(SensorCapability::current().ranges, value);
}

void SensorDPI::valueChanged(bool yAxis, int value) {
    QSlider* slider = yAxis ? ui->horizontalSliderY : ui->horizontalSliderC;
    QSpinBox* spin = yAxis ? ui->spinBoxY : ui->spinBoxA;
    const bool armedEdit = editing();
    if (armedEdit && !CheckDeviceOnline()) {
        // Stays blocked and disabled until the next full update.
        slider->blockSignals(true);
        slider->setEnabled(false);
        slider->setValue(spin->value());
        return;
    }
    int pageStep = slider->pageStep();
    const int snapped = snapValue(value, &pageStep);
    slider->setPageStep(pageStep);
    if (snapped != value) {
        const QSignalBlocker block(slider);
        slider->setValue(snapped);
    }
    const int level = m_current;
    const int previous = yAxis ? m_valueY[level] : m_valueX[level];
    const int previousSpin = spin->value();
    if (yAxis)
        m_valueY[level] = snapped;
    else
        m_valueX[level] = snapped;
    if (!SensorFlags::XYSeparate && !yAxis)
        m_valueY[level] = snapped;
    applyLevelText(level);
    spin->setValue(snapped);

    if (!m_writeNext) {
        m_writeNext = true;
        return;
    }
    if (LinkFlags::Restoring || !armedEdit)
        return;
    const bool written = yAxis ? DpiCodec::encodeY(level, snapped)
                               : DpiCodec::encodeX(level, snapped, SensorFlags::XYSeparate);
    if (!written) {
        if (yAxis)
            m_valueY[level] = previous;
        else
            m_valueX[level] = previous;
        if (!SensorFlags::XYSeparate && !yAxis)
            m_valueY[level] = previous;
        applyLevelText(level);
        const QSignalBlocker block(slider);
        slider->setValue(previousSpin);
        spin->setValue(previousSpin);
        return;
    }
    if (!yAxis)
        PostMsg::instance()->SendAddSensor(snapped);
}

void SensorDPI::spinEdited(bool yAxis) {
    QSpinBox* spin = yAxis ? ui->spinBoxY : ui->spinBoxA;
    QSlider* slider = yAxis ? ui->horizontalSliderY : ui->horizontalSliderC;
    const int typed = spin->value();
    const int accepted = yAxis ? m_valueY[m_current] : m_valueX[m_current];
    {
        // The box shows the accepted value until the slider's change has snapped and written it.
        const QSignalBlocker block(spin);
        spin->setValue(accepted);
    }
    if (typed == accepted || !editing())
        return;
    m_writeNext = true;
    slider->setValue(typed); // snaps, writes and shows the value, or puts the box back
}

void SensorDPI::on_horizontalSliderC_valueChanged(int value) {
    valueChanged(false, value);
}

void SensorDPI::on_horizontalSliderC_sliderMoved(int) {}

void SensorDPI::on_horizontalSliderY_valueChanged(int value) {
    valueChanged(true, value);
}

void SensorDPI::on_horizontalSliderY_sliderMoved(int) {}

void SensorDPI::stepClicked(bool yAxis, bool up) {
    if (!SensorFlags::Armed || !CheckDeviceOnline())
        return;
    QSpinBox* spin = yAxis ? ui->spinBoxY : ui->spinBoxA;
    QSlider* slider = yAxis ? ui->horizontalSliderY : ui->horizontalSliderC;
    const int v = spin->value();
    const int next = up ? stepUp(v) : stepDown(v);
    m_writeNext = true;
    slider->setValue(next);
}

void SensorDPI::on_AddLevelA_clicked() {
    stepClicked(false, true);
}

void SensorDPI::on_ReduceLevelA_clicked() {
    stepClicked(false, false);
}

void SensorDPI::on_AddLevelY_clicked() {
    stepClicked(true, true);
}

void SensorDPI::on_ReduceLevelY_clicked() {
    stepClicked(true, false);
}

// ---------------------------------------------------------------------------------------------------
// Levels, swatches, colours

void SensorDPI::checkLevelQuietly(int level) {
    const QSignalBlocker block(m_levelButtons[level]);
    m_levelButtons[level]->setChecked(true);
    restyleLevels();
}

void SensorDPI::checkSwatchQuietly(int level) {
    const QSignalBlocker block(m_swatches[level]);
    m_swatches[level]->setChecked(true);
    restyleSwatches();
}

int SensorDPI::checkedSwatch() const {
    const int id = m_swatchGroup->checkedId();
    return id >= 0 ? id : m_current;
}

void SensorDPI::showLevelValues(int level) {
    setCurrentValue(m_valueX[level]);
    setCurrentValueY(m_valueY[level]);
}

void SensorDPI::levelToggled(int level, bool checked) {
    restyleLevels();
    if (!checked || !editing())
        return;
    m_previous = m_current;
    if (!SetCurrentDpiLevel(uint8_t(level))) {
        checkLevelQuietly(m_previous);
        return;
    }
    m_current = level;
    showLevelValues(level);
    checkSwatchQuietly(level);
    moveMarker(level);
    PostMsg::instance()->SendAddSensor(m_valueX[level]);
}

void SensorDPI::levelClicked(int level) {
    if (m_levelButtons[level]->isChecked() && level == m_current)
        showLevelValues(level);
}

void SensorDPI::swatchToggled(int level, bool checked) {
    restyleSwatches();
    if (!checked)
        return;
    m_levelButtons[level]->setChecked(true);
    if (m_levelGroup->checkedId() != level) { // the level could not be selected
        checkSwatchQuietly(m_current);
        return;
    }
    // Show the level's values without writing them back; the one-shot flag swallows the change the
    // slider reports, and is set again when the slider does not move.
    m_writeNext = false;
    if (ui->horizontalSliderC->value() != m_valueX[level])
        ui->horizontalSliderC->setValue(m_valueX[level]);
    m_writeNext = true;
    setCurrentValue(m_valueX[level]);
    setCurrentValueY(m_valueY[level]);
}

void SensorDPI::swatchClicked(int level) {
    if (!m_swatches[level]->isChecked())
        return;
    if (!m_colourDialog) {
        // Built on first use: most starts never open it, and it is costly to build.
        m_colourDialog = new QColorDialog(this);
        connect(m_colourDialog, &QColorDialog::colorSelected, this, &SensorDPI::SetColor);
    }
    const QStringList rgb = m_colours[level].split(',');
    if (rgb.size() == 3)
        m_colourDialog->setCurrentColor(QColor(rgb[0].toInt(), rgb[1].toInt(), rgb[2].toInt()));
    m_colourDialog->open();
}

void SensorDPI::SetColor(QColor colour) {
    if (!CheckDeviceOnline())
        return;
    const int level = checkedSwatch();
    const QString previous = m_colours[level];
    m_colours[level] = QStringLiteral("%1,%2,%3").arg(colour.red()).arg(colour.green()).arg(colour.blue());
    if (editing() &&
        !SetDpiLevelColour(level, uint8_t(colour.red()), uint8_t(colour.green()), uint8_t(colour.blue())))
        m_colours[level] = previous;
    restyleSwatches();
}

// A sheet is set only when it changes: each setting re-polishes the button.
static void setSheet(QWidget* w, const QString& sheet) {
    if (w->styleSheet() != sheet)
        w->setStyleSheet(sheet);
}

void SensorDPI::restyleLevels() {
    const int shift = SensorFlags::XYSeparate ? kXYShift : 0;
    const QString buttonColour = Theme::rgb("ButtonColor");
    for (int i = 0; i < kLevels; ++i) {
        QPushButton* b = m_levelButtons[i];
        const QPoint home = m_levelHome[i] + QPoint(0, shift);
        // The checked button is the current level: size and text colour both follow it, so exactly
        // one level looks current.
        const bool big = b->isChecked();
        placeChild(b, big ? QRect(home.x() - 7, home.y() - 7, 68, 70) : QRect(home, QSize(54, 56)));
        // No weight change: a font weight switched through the style sheet is not re-applied reliably,
        // which left a former level bold.
        setSheet(b, QStringLiteral("QPushButton{border-image:%1;color:%2;font-size:%3px;}")
                        .arg(SensorLook::image(big ? "MaxA.png" : "MinA.png"),
                             big ? QStringLiteral("rgb(0,212,252)") : buttonColour,
                             QString::number(SensorFlags::XYSeparate ? 10 : 12)));
        if (big)
            b->raise();
    }
    ui->label_8->raise();
}

void SensorDPI::restyleSwatches() {
    const int shift = SensorFlags::XYSeparate ? kXYShift : 0;
    for (int i = 0; i < kLevels; ++i) {
        QPushButton* s = m_swatches[i];
        const QPoint home = m_swatchHome[i] + QPoint(0, shift);
        const bool big = s->isChecked();
        placeChild(s, big ? QRect(home.x() - 8, home.y() + 6, 66, 14) : QRect(home, QSize(50, 12)));
        setSheet(s, QStringLiteral("QPushButton{border:none;border-image:%1;background-color:rgb(%2);}")
                        .arg(SensorLook::image(big ? "MaxB.png" : "MinB.png"), m_colours[i]));
    }
}

void SensorDPI::showLevelCount(int count) {
    for (int i = 0; i < kLevels; ++i) {
        m_levelButtons[i]->setVisible(i < count);
        m_swatches[i]->setVisible(i < count);
    }
}

#define ZF_LEVEL_SLOTS(name, index)                                                                          \
    void SensorDPI::on_##name##_toggled(bool checked) {                                                      \
        levelToggled(index, checked);                                                                        \
    }                                                                                                        \
    void SensorDPI::on_##name##_clicked() {                                                                  \
        levelClicked(index);                                                                                 \
    }                                                                                                        \
    void SensorDPI::on_##name##A_toggled(bool checked) {                                                     \
        swatchToggled(index, checked);                                                                       \
    }                                                                                                        \
    void SensorDPI::on_##name##A_clicked() {                                                                 \
        swatchClicked(index);                                                                                \
    }
ZF_LEVEL_SLOTS(BlueButton, 0)
ZF_LEVEL_SLOTS(BrightRedButton, 1)
ZF_LEVEL_SLOTS(RedButton, 2)
ZF_LEVEL_SLOTS(YellowButton, 3)
ZF_LEVEL_SLOTS(GreenButton, 4)
ZF_LEVEL_SLOTS(PurpleButton, 5)
ZF_LEVEL_SLOTS(LightBlueButton, 6)
ZF_LEVEL_SLOTS(LightYellowButton, 7)
#undef ZF_LEVEL_SLOTS

// ---------------------------------------------------------------------------------------------------
// Level count

void SensorDPI::on_ChooseEvent_currentIndexChanged(int index) {
    if (index < 0 || index >= kLevels)
        return;
    const bool user = editing();
    auto revert = [this] {
        const QSignalBlocker block(ui->ChooseEvent);
        ui->ChooseEvent->setCurrentIndex(m_chooserIndex);
    };
    if (user && !CheckDeviceOnline()) {
        revert();
        return;
    }
    bool written = false;
    const int level = m_current;
    if (user && level > index) {
        // The current level would be hidden: it trades places with the new last level.
        const FlashDataMap record = CurrentRecord::snapshot();
        if (!SetDpiLevelPair(record.dpiLevels[level], record.dpiLevels[index], level, index,
                             uint8_t(index))) {
            revert();
            return;
        }
        written = true;
        std::swap(m_valueX[level], m_valueX[index]);
        std::swap(m_valueY[level], m_valueY[index]);
        std::swap(m_colours[level], m_colours[index]);
        applyLevelText(level);
        applyLevelText(index);
        m_current = index;
        selectLevel(index);
        moveMarker(index);
    }
    const int previousIndex = m_chooserIndex;
    m_chooserIndex = index;
    m_count = index + 1;
    showLevelCount(m_count);
    restyleSwatches();
    if (!user || written)
        return;
    // The level count has no writer of its own: patch the record and push it.
    uint8_t before = 0;
    CurrentRecord::modify([&](FlashDataMap& r) {
        before = r.dpiLevelCount;
        r.dpiLevelCount = uint8_t(index + 1);
    });
    if (!PushRecord()) {
        CurrentRecord::modify([&](FlashDataMap& r) {
            if (r.dpiLevelCount == uint8_t(index + 1))
                r.dpiLevelCount = before;
        });
        m_chooserIndex = previousIndex;
        m_count = previousIndex + 1;
        revert();
        showLevelCount(m_count);
    }
}

// ---------------------------------------------------------------------------------------------------
// X–Y separate editing

void SensorDPI::showYControls(bool on) {
    for (QWidget* w :
         std::initializer_list<QWidget*>{ui->LabelX, ui->LabelY, ui->horizontalSliderY, ui->spinBoxY,
                                         ui->ReduceLevelY, ui->AddLevelY, ui->SameXY, ui->toolButton})
        w->setVisible(on);
}

void SensorDPI::placeLevelRow() {
    const int shift = SensorFlags::XYSeparate ? kXYShift : 0;
    setFixedHeight(kRowBottom + shift);
    placeChild(ui->pushButton,
               QRect(QPoint(ltrGeometry(ui->pushButton).x(), 84 + shift), ui->pushButton->size()));
    restyleLevels();
    restyleSwatches();
    moveMarker(m_current);
    for (int i = 0; i < kLevels; ++i)
        applyLevelText(i);
}

bool SensorDPI::copyXToY() {
    if (!editing())
        return false;
    const bool wide = DpiCodec::usesWideCodes(SensorCapability::current());
    if (!(wide ? LinkDpiYToXValue() : LinkDpiYToXCode()))
        return false;
    for (int i = 0; i < kLevels; ++i)
        m_valueY[i] = m_valueX[i];
    setCurrentValueY(m_valueX[m_current]);
    return true;
}

void SensorDPI::showSeparateXY(bool on) {
    {
        const QSignalBlocker block(ui->XYOpen);
        ui->XYOpen->setChecked(on);
    }
    SensorFlags::XYSeparate = on;
    showYControls(on);
    placeLevelRow();
}

bool SensorDPI::isSeparateXYShown() const {
    return ui->XYOpen->isChecked();
}

// Wide codes keep their joint flags in byte 10 but per-axis flags in byte 2: before the axes are edited
// apart, byte 2 takes the joint flags, so each axis starts from the value the level shows.
static bool handJointFlagsToAxes() {
    if (!DpiCodec::usesWideCodes(SensorCapability::current()))
        return true;
    const FlashDataMap r = CurrentRecord::snapshot();
    bool differs = false;
    for (const DpiLevelEntry& e : r.dpiLevels)
        differs = differs || e.nibbles != e.wideFlags;
    if (!differs)
        return true;
    if (!CheckDeviceOnline())
        return false;
    CurrentRecord::modify([](FlashDataMap& rec) {
        for (DpiLevelEntry& e : rec.dpiLevels)
            e.nibbles = e.wideFlags;
    });
    return PushRecord();
}

void SensorDPI::on_XYOpen_toggled(bool on) {
    if (on && editing() && !handJointFlagsToAxes()) {
        const QSignalBlocker block(ui->XYOpen);
        ui->XYOpen->setChecked(false);
        return;
    }
    if (!on && editing() && !copyXToY()) {
        // The record still holds separate values: stay in X–Y mode.
        const QSignalBlocker block(ui->XYOpen);
        ui->XYOpen->setChecked(true);
        return;
    }
    SensorFlags::XYSeparate = on;
    showYControls(on);
    placeLevelRow();
    PostMsg::instance()->SendReadYValue();
}

void SensorDPI::on_SameXY_clicked() {
    if (copyXToY())
        placeLevelRow();
    PostMsg::instance()->SendReadYValue();
}

void SensorDPI::on_toolButton_clicked() {
    on_SameXY_clicked();
}

void SensorDPI::SlotTouchkey() {
    {
        const QSignalBlocker block(ui->XYOpen);
        ui->XYOpen->setChecked(false);
    }
    SensorFlags::XYSeparate = false;
    showYControls(false);
    placeLevelRow();
}

void SensorDPI::on_pushButton_clicked() {}

void SensorDPI::SlotAllLanguage(int index) {
    const QString title = Language::text(QStringLiteral("sensor"), QStringLiteral("DPISetting"), index);
    if (!title.isEmpty())
        ui->label->setText(title);
    const QString xy = Language::text(QStringLiteral("sensor"), QStringLiteral("XYSeparate"), index);
    if (!xy.isEmpty())
        ui->XYLabel->setText(xy);
}

// ---------------------------------------------------------------------------------------------------
// Marker drag

int SensorDPI::levelAtX(int x) const {
    int level = 0;
    while (level < kLevels - 1 && x >= kSlotBoundary[level])
        ++level;
    return std::min(level, m_count - 1);
}

// A click on the marker that was no drag goes to the swatch (or level button) beneath it.
void SensorDPI::passClickThrough(const QPoint& at) {
    for (int i = 0; i < kLevels; ++i) {
        for (QPushButton* b : {m_swatches[i], m_levelButtons[i]}) {
            if (b->isVisible() && b->geometry().contains(at)) {
                b->click();
                return;
            }
        }
    }
}

bool SensorDPI::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui->spinBoxA || watched == ui->spinBoxY) {
        // Arrow and page keys and the wheel step like the + and - buttons, on the range steps.
        const bool yAxis = watched == ui->spinBoxY;
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Up || key == Qt::Key_PageUp || key == Qt::Key_Down ||
                key == Qt::Key_PageDown) {
                stepClicked(yAxis, key == Qt::Key_Up || key == Qt::Key_PageUp);
                return true;
            }
        } else if (event->type() == QEvent::Wheel) {
            const int dy = static_cast<QWheelEvent*>(event)->angleDelta().y();
            if (dy != 0)
                stepClicked(yAxis, dy > 0);
            return true;
        }
        return QWidget::eventFilter(watched, event);
    }
    if (watched != ui->label_8)
        return QWidget::eventFilter(watched, event);
    // The marker sits over the lower part of the current level's swatch: a press becomes a drag only
    // once the pointer moves; a press and release in place is a click on whatever lies beneath.
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* e = static_cast<QMouseEvent*>(event);
        m_markerPressed = e->button() == Qt::LeftButton;
        m_dragging = false;
        m_dragOffset = e->pos();
        return true;
    }
    case QEvent::MouseMove: {
        auto* e = static_cast<QMouseEvent*>(event);
        if (!m_dragging) {
            if (!m_markerPressed ||
                (e->pos() - m_dragOffset).manhattanLength() < QApplication::startDragDistance())
                return true;
            m_markerPressed = false;
            if (!editing() || !CheckDeviceOnline())
                return true;
            m_dragging = true;
        }
        int x = ui->label_8->mapToParent(e->pos()).x() - m_dragOffset.x();
        if (layoutDirection() == Qt::RightToLeft) // drop positions count from the row's start
            x = width() - x - ui->label_8->width();
        const QRect at = ltrGeometry(ui->label_8);
        placeChild(ui->label_8, QRect(QPoint(std::clamp(x, kDragLeft, kDragRight), at.y()), at.size()));
        return true;
    }
    case QEvent::MouseButtonRelease: {
        auto* e = static_cast<QMouseEvent*>(event);
        if (m_markerPressed && e->button() == Qt::LeftButton) {
            m_markerPressed = false;
            passClickThrough(ui->label_8->mapToParent(e->pos()));
            return true;
        }
        if (!m_dragging)
            return true;
        m_dragging = false;
        const int x = ltrGeometry(ui->label_8).x();
        if (x >= kDragLeft && x <= kDragRight) {
            const int level = levelAtX(x);
            if (level != m_current)
                m_levelButtons[level]->setChecked(true); // selects and writes through the toggled slot
        }
        moveMarker(m_current);
        return true;
    }
    default:
        return QWidget::eventFilter(watched, event);
    }
}
