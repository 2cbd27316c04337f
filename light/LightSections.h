#pragma once
// The sections of the lighting page: the DPI light (SensorEffect), the mouse light bar (MouseLight),
// the receiver light bar (ReceiveLight), the receiver's status LED (OneLed) and its indicator LEDs
// (ThreeLed). Each builds its own widgets under the form's object names and connects its on_… slots by
// name. Filling from a record or a receiver read happens with the controls' signals blocked, so it never
// writes; every user change is one write, and a refused write puts the control back.

#include "app/core/DongleRGB.h"
#include "light/LightRules.h"

#include <QColor>
#include <QElapsedTimer>
#include <QWidget>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGridLayout;
class QLabel;
class QPushButton;
class QSlider;
class QSpinBox;
class QTimer;

// The animated picture of a light: the mouse's bar or the receiver's, drawn from the effect rules. It
// animates only while it is visible and its effect moves.
class EffectPreview : public QWidget {
    Q_OBJECT
public:
    enum class Shape { Mouse, Receiver };
    explicit EffectPreview(Shape shape, QWidget* parent = nullptr);
    void setLight(int effect, const QColor& colour, int brightnessStep, int speedStep);
    bool animating() const;
    QSize sizeHint() const override;

    // A moving preview plays a few cycles after it is shown, changed or pointed at, and while the
    // pointer rests on it; then it holds still, so a page left open wakes nobody.
    static constexpr int kCycles = 3;
    static constexpr int kMinPlayMs = 2000;

protected:
    void paintEvent(QPaintEvent*) override;
    void showEvent(QShowEvent*) override;
    void hideEvent(QHideEvent*) override;
    void enterEvent(QEvent*) override;
    void changeEvent(QEvent* event) override;

private:
    void play();
    void tick();
    Shape m_shape;
    QPixmap m_picture;
    QTimer* m_timer;
    QElapsedTimer m_playing;
    qint64 m_playMs = 0;
    int m_effect = 0;
    QColor m_colour;
    int m_brightness = 10;
    int m_speed = 8;
};

// A caption with the green title mark before it.
QWidget* lightTitle(QWidget* parent, QLabel*& caption, const char* barName);

class SensorEffect : public QWidget {
    Q_OBJECT
public:
    explicit SensorEffect(QWidget* parent = nullptr);
    // Shows the record's DPI light without writing.
    void fill(const LightRules::MouseLightView& view);
    void reset();
    void retranslate(int index);
    int effect() const { return m_effect; }

public slots:
    void on_Model_currentIndexChanged(int index);
    void on_SpeedH_valueChanged(int value);
    void on_SpeedH_sliderMoved(int value);
    void on_LightH_valueChanged(int value);
    void on_LightH_sliderMoved(int value);

private:
    void applyVisibility();
    bool mayWrite() const;
    QComboBox* m_model;
    QSlider *m_speed, *m_light;
    QSpinBox *m_speedBox, *m_lightBox;
    QLabel *m_title, *m_speedLabel, *m_lightLabel;
    int m_effect = 0;
};

// What the two light bars share: effect, brightness and speed sliders with their read-only boxes,
// colour boxes with steppers, the preview and the fourteen presets. Object names carry `suffix`.
class LightBarSection : public QWidget {
    Q_OBJECT
public:
    int effect() const { return m_effect; }
    QColor colour() const;
    int brightness() const;
    int speed() const;
    EffectPreview* preview() const { return m_preview; }
    void retranslate(int index);
    // Shows values without writing; they become the last accepted ones.
    void showValues(int effect, const QColor& colour, int brightnessStep, int speedStep);
    void enableSliders(bool on);

protected:
    LightBarSection(const QString& suffix, EffectPreview::Shape shape, QWidget* parent);
    // The writes of each bar; false when the device refused (the control is then put back).
    virtual bool writeEffect(int effect) = 0;
    virtual bool writeBrightness(int step) = 0;
    virtual bool writeSpeed(int step) = 0;
    virtual bool writeColour(const QColor& colour) = 0;
    virtual bool mayWrite() const = 0;
    // Called after the effect changed (accepted or shown).
    virtual void effectShown(int) {}
    // The online test before steppers, presets and drags; it raises the offline notice itself.
    bool deviceAnswers();

    void effectChanged(int index);
    void brightnessChanged(int value);
    void brightnessMoved(int value);
    void speedChanged(int value);
    void speedMoved(int value);
    void colourBoxChanged();
    void step(QSpinBox* box, int delta);
    void preset(int index);
    // The colour chooser opened from the chosen-colour swatch.
    void pickColour();
    bool eventFilter(QObject* watched, QEvent* event) override;

    QComboBox* m_mode;
    QSlider *m_light, *m_speed;
    QSpinBox *m_lightBox, *m_speedBox;
    QSpinBox *m_r, *m_g, *m_b;
    QPushButton *m_addR, *m_addG, *m_addB, *m_reduceR, *m_reduceG, *m_reduceB;
    QPushButton* m_presets[LightRules::kPresetCount];
    QLabel* m_swatch; // labelPreView: the chosen colour
    EffectPreview* m_preview;
    QLabel *m_title, *m_effectLabel, *m_lightLabel, *m_speedLabel, *m_colourLabel, *m_presetLabel;
    QLabel *m_rLabel, *m_gLabel, *m_bLabel;
    QGridLayout* m_grid;
    QWidget* m_colourRow;
    const char* m_titleKey = "LightBar";

private:
    void applyVisibility();
    void updatePreview();
    void showColour(const QColor& c);
    void setColour(const QColor& c); // all three boxes, then one write
    void sliderChanged(QSlider* slider, QSpinBox* box, int value, bool (LightBarSection::*write)(int));
    void sliderMoved(QSlider* slider, QSpinBox* box, int value);
    bool writeBrightnessStep(int v) { return writeBrightness(v); }
    bool writeSpeedStep(int v) { return writeSpeed(v); }
    int m_effect = 0;
    QColor m_accepted; // last accepted colour
};

class MouseLight : public LightBarSection {
    Q_OBJECT
public:
    explicit MouseLight(QWidget* parent = nullptr);
    void fill(const LightRules::MouseLightView& view);
    void reset();
    void retranslateAll(int index);
    QCheckBox* movingOff() const { return m_movingOff; }

public slots:
    void on_LightMod_currentIndexChanged(int index) { effectChanged(index); }
    void on_horizontalLight_valueChanged(int value) { brightnessChanged(value); }
    void on_horizontalLight_sliderMoved(int value) { brightnessMoved(value); }
    void on_horizontalSpeed_valueChanged(int value) { speedChanged(value); }
    void on_horizontalSpeed_sliderMoved(int value) { speedMoved(value); }
    void on_RSpinBox_valueChanged(int) { colourBoxChanged(); }
    void on_GSpinBox_valueChanged(int) { colourBoxChanged(); }
    void on_BSpinBox_valueChanged(int) { colourBoxChanged(); }
    void on_AddR_clicked() { step(m_r, 1); }
    void on_AddG_clicked() { step(m_g, 1); }
    void on_AddB_clicked() { step(m_b, 1); }
    void on_ReduceR_clicked() { step(m_r, -1); }
    void on_ReduceG_clicked() { step(m_g, -1); }
    void on_ReduceB_clicked() { step(m_b, -1); }
    void on_RippeControl_clicked(bool checked);

protected:
    bool writeEffect(int effect) override;
    bool writeBrightness(int step) override;
    bool writeSpeed(int step) override;
    bool writeColour(const QColor& colour) override;
    bool mayWrite() const override;

private:
    QCheckBox* m_movingOff;
};

class ReceiveLight : public LightBarSection {
    Q_OBJECT
public:
    explicit ReceiveLight(QWidget* parent = nullptr);
    // Reads the receiver's bar and shows it; false (section disabled) when it did not answer.
    bool load();
    void reset();
    const LightRules::ReceiverBar& bar() const { return m_bar; }

public slots:
    void on_LightMod_2_currentIndexChanged(int index) { effectChanged(index); }
    void on_horizontalLight_2_valueChanged(int value) { brightnessChanged(value); }
    void on_horizontalLight_2_sliderMoved(int value) { brightnessMoved(value); }
    void on_horizontalSpeed_2_valueChanged(int value) { speedChanged(value); }
    void on_horizontalSpeed_2_sliderMoved(int value) { speedMoved(value); }
    void on_RSpinBox_2_valueChanged(int) { colourBoxChanged(); }
    void on_GSpinBox_2_valueChanged(int) { colourBoxChanged(); }
    void on_BSpinBox_2_valueChanged(int) { colourBoxChanged(); }
    void on_AddR_2_clicked() { step(m_r, 1); }
    void on_AddG_2_clicked() { step(m_g, 1); }
    void on_AddB_2_clicked() { step(m_b, 1); }
    void on_ReduceR_2_clicked() { step(m_r, -1); }
    void on_ReduceG_2_clicked() { step(m_g, -1); }
    void on_ReduceB_2_clicked() { step(m_b, -1); }

protected:
    bool writeEffect(int effect) override;
    bool writeBrightness(int step) override;
    bool writeSpeed(int step) override;
    bool writeColour(const QColor& colour) override;
    bool mayWrite() const override;

private:
    // Sends the bar with one change; the buffer keeps what the receiver holds, so a refusal leaves it.
    template <typename Change> bool send(Change&& change);
    LightRules::ReceiverBar m_bar;
    bool m_loaded = false;
};

class OneLed : public QWidget {
    Q_OBJECT
public:
    explicit OneLed(QWidget* parent = nullptr);
    // The receiver's status value for the selected device: the box of its behaviour is checked.
    void showValue(const DongleRGB& value);
    // The value no longer belongs to the selected device.
    void forget();
    void retranslate(int index);
    int checkedBehaviour() const; // 1 … 3, 0 when none

public slots:
    void on_ReUntil_toggled(bool checked) { choose(1, checked); }
    void on_ReUntil_2_toggled(bool checked) { choose(2, checked); }
    void on_ReUntil_3_toggled(bool checked) { choose(3, checked); }

private:
    void choose(int behaviour, bool checked);
    void check(int behaviour);
    QCheckBox* m_boxes[LightRules::kStatusBehaviours];
    QLabel* m_title;
    DongleRGB m_value{};
    bool m_known = false; // m_value came from this device
};

class ThreeLed : public QWidget {
    Q_OBJECT
public:
    explicit ThreeLed(QWidget* parent = nullptr);
    bool load();
    void retranslate(int index);
    QComboBox* box(int led) const { return m_boxes[led]; }

public slots:
    void on_LightMod_3_currentIndexChanged(int index) { choose(0, index); }
    void on_LightMod_4_currentIndexChanged(int index) { choose(1, index); }
    void on_LightMod_5_currentIndexChanged(int index) { choose(2, index); }

private:
    void choose(int led, int index);
    void showLeds();
    QComboBox* m_boxes[3];
    QLabel* m_labels[3];
    QLabel* m_title;
    std::array<uint8_t, 3> m_leds{}; // what the receiver holds
};
