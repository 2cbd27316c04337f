#pragma once
// The advanced page's rules without widgets: curve points, the virtual-point marker, the device
// section's switches and the calibration states.
#include "app/core/FlashDataMap.h"

#include <QPointF>
#include <QString>
#include <QStringList>
#include <QVector>
#include <array>

namespace AdvancedModel {

constexpr int kCurvePoints = 5;
constexpr int kPresetCount = 4; // 0-2 fixed, 3 the user's curve
constexpr int kUserPreset = 3;
constexpr int kAngleMin = -30, kAngleMax = 30;
constexpr int kVirtualMin = -100, kVirtualMax = 100;
constexpr int kCalibrationMs = 18000;

using Curve = std::array<CurvePoint, kCurvePoints>;

// A point (x, factor) as the record holds it: factor × 100 rounded to the nearest whole number and
// kept to 0 … 65535, x truncated and kept to 0 … 255.
CurvePoint toRecordPoint(double x, double factor);
// Points of preset 0 … 2 as (x, factor); an empty list outside.
QVector<QPointF> presetPoints(int preset);
// The record's points of a preset: the fixed table, or for preset 3 the user's points when there are
// five of them (else preset 0's).
Curve curveFor(int preset, const QVector<QPointF>& userPoints);
// The record's five points as (x, factor), for drawing and for the user's curve after a restart.
QVector<QPointF> recordPoints(const FlashDataMap& record);

// The marker's y on the virtual-point picture for slider value v.
int virtualPointY(int v);
// Angle byte 0x0F as a signed value, kept to the slider's span.
int angleFromRecord(uint8_t byte);

// "20KPS" of the device section: only "1" shows the 20K section.
bool shows20K(const QString& value);
// "Adveanced": a first item "-1" hides long range; a missing or empty list keeps it.
bool showsLongRange(const QStringList& adveanced);

// Main-button calibration: start, presses reported by the mouse, a second start or the time-out.
class Calibration {
public:
    enum Picture { Start, Running, LeftDone, RightDone, BothDone, LeftFailed, RightFailed, BothFailed };
    bool running() const { return m_running; }
    Picture picture() const { return m_picture; }
    void start();
    void stop(); // second press: no failure shown
    // Side 0 left, 1 right; true when this press completed the calibration.
    bool keyDone(int side);
    void timeout(); // a button not done shows its failure
    static const char* pictureFile(Picture p);

private:
    bool m_running = false;
    bool m_left = false, m_right = false;
    Picture m_picture = Start;
};

} // namespace AdvancedModel
