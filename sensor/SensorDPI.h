#pragma once
// The DPI section of the sensor page: up to eight levels with value (or X and Y values) and colour,
// the level-count chooser, the current level and its marker, sliders, spin boxes and step buttons.
// Every user edit is one setting-writer call through DpiCodec; the host page fills it from the record.

#include <QColor>
#include <QPoint>
#include <QString>
#include <QWidget>

struct ModelRow;
class QButtonGroup;
class QColorDialog;
class QPushButton;
class QSlider;
class QSpinBox;

namespace Ui {
class SensorDPI;
}

class SensorDPI : public QWidget {
    Q_OBJECT
public:
    static constexpr int kLevels = 8;

    explicit SensorDPI(QWidget* parent = nullptr);
    ~SensorDPI() override;

    // --- Operations of the host page (none of them writes to the device) ---
    void setLevelCount(int count); // 1 … 8; shows levels 0 … count - 1
    int levelCount() const { return m_count; }
    void setCurrentLevel(int level); // remembered only
    int currentLevel() const { return m_current; }
    void selectLevel(int level); // checks its button and shows its values in the sliders
    void moveMarker(int level);  // places the current-level marker; outside 0 … 7 it stays
    // The level's values; the button text follows (plain, or the X–Y text while X–Y editing is on).
    void setLevelValues(int level, int x, int y);
    static QString levelTextFor(int x, int y); // plain, or the X–Y text while X–Y editing is on
    void setLevelText(int level, const QString& text);
    QString levelText(int level) const;
    int levelValueX(int level) const;
    int levelValueY(int level) const;
    void setLevelColour(int level, const QString& hexColour); // "#rrggbb"
    QString levelColour(int level) const;                     // "r,g,b"
    void clearLevelChooser();
    void setChooserItem(int index, const QString& text);
    void fillLevelChooser(int maxGrade); // items "1" … maxGrade
    void setChooserIndex(int index);     // shows index + 1 levels, writes nothing
    void setSliderRange(int minimum, int maximum);
    void blockSliders(bool block);
    void enableSliders(bool enable);
    void setCurrentValue(int x);  // X slider and spin box, without writing
    void setCurrentValueY(int y); // Y slider and spin box, without writing
    int currentValue() const;
    int currentValueY() const;
    // Colours from "DPIColor" and level values from "DPIGrade" of the model's row.
    void resetToConfiguration(const ModelRow& row);
    void highlightLevel(int level); // checks the level's button quietly: the checked level looks current
    // X–Y separate editing as the record has it: the check box, the Y controls and the level row,
    // without writing.
    void showSeparateXY(bool on);
    bool isSeparateXYShown() const;
    // Places a child by its left-to-right geometry, mirrored while the layout runs right to left.
    void placeChild(QWidget* child, const QRect& leftToRight);

    // Value snapping on the DPI ranges; pageStep receives the step of the range used (when not null).
    static int snapValue(int value, int* pageStep = nullptr);
    // The next value up or down from value, by the step rules of the step buttons.
    static int stepUp(int value);
    static int stepDown(int value);

public slots:
    void on_ChooseEvent_currentIndexChanged(int index);
    void on_horizontalSliderC_valueChanged(int value);
    void on_horizontalSliderC_sliderMoved(int value);
    void on_horizontalSliderY_valueChanged(int value);
    void on_horizontalSliderY_sliderMoved(int value);
    void on_AddLevelA_clicked();
    void on_ReduceLevelA_clicked();
    void on_AddLevelY_clicked();
    void on_ReduceLevelY_clicked();

    void on_BlueButton_toggled(bool checked);
    void on_BlueButton_clicked();
    void on_BlueButtonA_toggled(bool checked);
    void on_BlueButtonA_clicked();
    void on_BrightRedButton_toggled(bool checked);
    void on_BrightRedButton_clicked();
    void on_BrightRedButtonA_toggled(bool checked);
    void on_BrightRedButtonA_clicked();
    void on_RedButton_toggled(bool checked);
    void on_RedButton_clicked();
    void on_RedButtonA_toggled(bool checked);
    void on_RedButtonA_clicked();
    void on_YellowButton_toggled(bool checked);
    void on_YellowButton_clicked();
    void on_YellowButtonA_toggled(bool checked);
    void on_YellowButtonA_clicked();
    void on_GreenButton_toggled(bool checked);
    void on_GreenButton_clicked();
    void on_GreenButtonA_toggled(bool checked);
    void on_GreenButtonA_clicked();
    void on_PurpleButton_toggled(bool checked);
    void on_PurpleButton_clicked();
    void on_PurpleButtonA_toggled(bool checked);
    void on_PurpleButtonA_clicked();
    void on_LightBlueButton_toggled(bool checked);
    void on_LightBlueButton_clicked();
    void on_LightBlueButtonA_toggled(bool checked);
    void on_LightBlueButtonA_clicked();
    void on_LightYellowButton_toggled(bool checked);
    void on_LightYellowButton_clicked();
    void on_LightYellowButtonA_toggled(bool checked);
    void on_LightYellowButtonA_clicked();

    void SetColor(QColor colour);
    void on_XYOpen_toggled(bool on);
    void on_SameXY_clicked();
    void on_toolButton_clicked();
    void SlotTouchkey();
    void on_pushButton_clicked();
    void SlotAllLanguage(int index);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void levelToggled(int level, bool checked);
    void levelClicked(int level);
    void swatchToggled(int level, bool checked);
    void swatchClicked(int level);
    void valueChanged(bool yAxis, int value);
    void stepClicked(bool yAxis, bool up);
    void spinEdited(bool yAxis); // a typed value: snapped and written as a slider change
    void showLevelCount(int count);
    void applyLevelText(int level);
    void restyleLevels();
    void restyleSwatches();
    void placeLevelRow();
    void showYControls(bool on);
    bool copyXToY();
    void showLevelValues(int level);
    void checkLevelQuietly(int level);
    void checkSwatchQuietly(int level);
    int checkedSwatch() const;
    int levelAtX(int x) const;
    void passClickThrough(const QPoint& at);
    QRect ltrGeometry(QWidget* child) const;
    void alignXYCaption();
    void styleSliders();

    Ui::SensorDPI* ui;
    QPushButton* m_levelButtons[kLevels];
    QPushButton* m_swatches[kLevels];
    QPoint m_levelHome[kLevels];  // level button places while X–Y editing is off
    QPoint m_swatchHome[kLevels]; // swatch places while X–Y editing is off
    QColorDialog* m_colourDialog = nullptr;
    QButtonGroup* m_levelGroup = nullptr;
    QButtonGroup* m_swatchGroup = nullptr;

    int m_current = 0;
    int m_previous = 0;
    int m_count = 1;
    int m_chooserIndex = 0;
    int m_valueX[kLevels] = {};
    int m_valueY[kLevels] = {};
    QString m_colours[kLevels];
    bool m_writeNext = true;      // one-shot suppression: clear = the next slider change only displays
    bool m_markerPressed = false; // pressed and not moved yet: a click for what lies beneath
    bool m_dragging = false;
    QPoint m_dragOffset;
};
