#include "sensor/AdvancedModel.h"

#include <algorithm>
#include <cmath>

namespace AdvancedModel {

CurvePoint toRecordPoint(double x, double factor) {
    CurvePoint p{};
    const double scaled = std::isfinite(factor) ? std::round(factor * 100.0) : 0.0;
    p.value = uint16_t(std::clamp(scaled, 0.0, 65535.0));
    const double whole = std::isfinite(x) ? std::trunc(x) : 0.0;
    p.byte = uint8_t(std::clamp(whole, 0.0, 255.0));
    return p;
}

QVector<QPointF> presetPoints(int preset) {
    switch (preset) {
    case 0:
        return {{0, 1.0}, {10, 1.1}, {20, 1.2}, {50, 1.5}, {70, 1.6}};
    case 1:
        return {{0, 1.0}, {10, 1.4}, {20, 1.5}, {40, 1.5}, {70, 1.5}};
    case 2:
        return {{0, 1.0}, {10, 1.0}, {20, 1.5}, {40, 1.5}, {70, 1.5}};
    default:
        return {};
    }
}

Curve curveFor(int preset, const QVector<QPointF>& userPoints) {
    // The user's curve until it has its five points, and anything unknown, fall back to preset 0.
    QVector<QPointF> points = preset == kUserPreset ? userPoints : presetPoints(preset);
    if (points.size() < kCurvePoints)
        points = presetPoints(0);
    Curve curve{};
    for (int i = 0; i < kCurvePoints; ++i)
        curve[size_t(i)] = toRecordPoint(points[i].x(), points[i].y());
    return curve;
}

QVector<QPointF> recordPoints(const FlashDataMap& record) {
    QVector<QPointF> points;
    for (const CurvePoint& p : record.curve)
        points.append(QPointF(p.byte, p.value / 100.0));
    return points;
}

int virtualPointY(int v) {
    return int(std::lround((std::clamp(v, kVirtualMin, kVirtualMax) + 100) * 0.65 + 12));
}

int angleFromRecord(uint8_t byte) {
    return std::clamp(int(int8_t(byte)), kAngleMin, kAngleMax);
}

bool shows20K(const QString& value) {
    return value.trimmed() == QLatin1String("1");
}

bool showsLongRange(const QStringList& adveanced) {
    return adveanced.isEmpty() || adveanced.first().trimmed() != QLatin1String("-1");
}

void Calibration::start() {
    m_running = true;
    m_left = m_right = false;
    m_picture = Running;
}

void Calibration::stop() {
    m_running = false;
    m_left = m_right = false;
    m_picture = Start;
}

bool Calibration::keyDone(int side) {
    if (!m_running || (side != 0 && side != 1))
        return false;
    (side == 0 ? m_left : m_right) = true;
    if (m_left && m_right) {
        m_running = false;
        m_left = m_right = false;
        m_picture = BothDone;
        return true;
    }
    m_picture = m_left ? LeftDone : RightDone;
    return false;
}

void Calibration::timeout() {
    if (!m_running)
        return;
    m_picture = (!m_left && !m_right) ? BothFailed : !m_left ? LeftFailed : RightFailed;
    m_running = false;
    m_left = m_right = false;
}

const char* Calibration::pictureFile(Picture p) {
    switch (p) {
    case Running:
        return "Calibrating.png";
    case LeftDone:
        return "Li.png";
    case RightDone:
        return "Ri.png";
    case BothDone:
        return "Allin.png";
    case LeftFailed:
        return "LF.png";
    case RightFailed:
        return "RF.png";
    case BothFailed:
        return "AllFail.png";
    case Start:
    default:
        return "StartPair.png";
    }
}

} // namespace AdvancedModel
