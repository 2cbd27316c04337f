#include "ctl/Values.h"

#include <QRegularExpression>
#include <QStringList>

namespace Ctl {

bool parseSwitch(const QString& text, uint8_t& out) {
    const QString t = text.toLower();
    if (t == QLatin1String("on") || t == QLatin1String("1") || t == QLatin1String("true")) {
        out = 1;
        return true;
    }
    if (t == QLatin1String("off") || t == QLatin1String("0") || t == QLatin1String("false")) {
        out = 0;
        return true;
    }
    return false;
}

bool parseInt(QString text, int& out, const QString& unit) {
    text = text.trimmed();
    if (!unit.isEmpty() && text.endsWith(unit, Qt::CaseInsensitive))
        text.chop(unit.size());
    bool ok = false;
    out = text.toInt(&ok, 10);
    return ok;
}

bool parseColour(const QString& text, int rgb[3]) {
    static const QRegularExpression hex(QStringLiteral("^#?([0-9a-fA-F]{6})$"));
    const QRegularExpressionMatch m = hex.match(text);
    if (m.hasMatch()) {
        const uint v = m.captured(1).toUInt(nullptr, 16);
        rgb[0] = int(v >> 16) & 0xFF;
        rgb[1] = int(v >> 8) & 0xFF;
        rgb[2] = int(v) & 0xFF;
        return true;
    }
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 3)
        return false;
    for (int i = 0; i < 3; ++i)
        if (!parseInt(parts[i], rgb[i]) || rgb[i] < 0 || rgb[i] > 255)
            return false;
    return true;
}

bool parseSeconds(const QString& text, int& seconds) {
    int n = 0;
    if (text.endsWith(QLatin1String("min"), Qt::CaseInsensitive) &&
        parseInt(text, n, QStringLiteral("min"))) {
        if (n > 1000000 || n < -1000000)
            return false; // would overflow as seconds
        seconds = n * 60;
        return true;
    }
    if (parseInt(text, n, QStringLiteral("s"))) {
        seconds = n;
        return true;
    }
    return false;
}

} // namespace Ctl
