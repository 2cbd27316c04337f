#include "ctl/Settings.h"

#include "ctl/Values.h"

#include "app/core/AppPaths.h"
#include "app/core/IniStores.h"
#include "app/core/Language.h"
#include "buttons/ButtonFunctions.h"
#include "buttons/KeySequence.h"
#include "buttons/KeyTables.h"
#include "device/DeviceSession.h"
#include "device/DeviceTable.h"
#include "device/DpiLightBrightness.h"
#include "device/LinkState.h"
#include "device/SettingWriters.h"
#include "macro/core/MacroFile.h"
#include "macro/core/MacroNames.h"
#include "macro/core/MacroPacker.h"
#include "sensor/DpiCodec.h"
#include "sensor/SensorCapability.h"
#include "sensor/SensorRules.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QRegularExpression>

#include <functional>

namespace Ctl {
namespace {

QString hexColour(int r, int g, int b) {
    return QString::asprintf("#%02x%02x%02x", r & 0xFF, g & 0xFF, b & 0xFF);
}

const SensorCapability& cap() {
    return SensorCapability::current();
}

// The sensor page's visibility rules for the optional sensor controls of a model.
bool switchShown(const QString& flag) {
    const SensorCapability& c = cap();
    if (c.xIn1 == 2 || c.SensorModel == QLatin1String("3315"))
        return false;
    if (flag == QLatin1String("SUPPORT_MOTION_SYNC") && c.SensorModel == QLatin1String("3311"))
        return false;
    return c.isSupported(flag);
}

bool lodSettable() {
    return cap().xIn1 != 2 && cap().SensorModel != QLatin1String("3315") &&
           cap().isSupported(QStringLiteral("SUPPORT_LOD_CAL"));
}

bool lightBarPresent(const DeviceAllInfo& device) {
    return ConfigIniStore::instance().value(ModelRow::group(device.row), QStringLiteral("MouseLight")) ==
           QLatin1String("1");
}

int languageIndex() {
    return Language::loadedCount() > 0 ? 0 : -1;
}

// Button function words of the command line, each with its fixed assignment.
struct FunctionWord {
    const char* word;
    Buttons::ButtonFunction function;
};
const FunctionWord kWords[] = {
    {"disabled", {0, 0}},    {"left", {1, 1}},        {"right", {1, 2}},          {"middle", {1, 4}},
    {"back", {1, 8}},        {"forward", {1, 16}},    {"dpi-cycle", {2, 1}},      {"dpi-up", {2, 2}},
    {"dpi-down", {2, 3}},    {"wheel-left", {3, 1}},  {"wheel-right", {3, 2}},    {"wheel-up", {11, 1}},
    {"wheel-down", {11, 2}}, {"rate-switch", {7, 0}}, {"profile-switch", {9, 0}}, {"lights-all", {8, 0}},
    {"dpi-light", {8, 1}},   {"light-strip", {8, 3}}, {"light-effect", {8, 4}},
};

} // namespace

void prepareRules(const DeviceAllInfo& device) {
    SensorCapability& c = SensorCapability::current();
    c.loadCapabilityHeader();
    c.loadRow(DeviceTable::row(device.row));
    // Labels in English, whatever the program's language: output that scripts can read.
    for (const Language::LanguageInfo& l : Language::allLanguages()) {
        if (QLatin1String(l.code) == QLatin1String("en")) {
            Language::loadFrom(AppPaths::appDir(), {QLatin1String(l.optionKey)});
            Language::setCurrentIndex(0);
        }
    }
}

QString functionToken(const FlashDataMap& record, int index) {
    const std::optional<Buttons::ButtonFunction> f = Buttons::RecordButton(record, index);
    if (!f)
        return QString();
    for (const FunctionWord& w : kWords)
        if (w.function == *f ||
            (w.function.type == f->type && (f->type == 0 || f->type == 7 || f->type == 9)))
            return QLatin1String(w.word);
    switch (Buttons::ButtonFunctionType(f->type)) {
    case Buttons::ButtonFunctionType::RapidFire:
        return QStringLiteral("fire:%1:%2").arg(f->param1).arg(f->param2);
    case Buttons::ButtonFunctionType::DpiLock:
        return QStringLiteral("dpi-lock:%1").arg(Buttons::DpiLock::Decode(cap(), f->param1));
    case Buttons::ButtonFunctionType::Macro:
        // With its cycle always, so a name ending in ":N" reads back as the same macro.
        return QStringLiteral("macro:%1:%2").arg(Buttons::MacroAreaName(record.macros[index])).arg(f->param2);
    case Buttons::ButtonFunctionType::KeySequence: {
        const KeySequenceBlock& block = record.keyBlocks[index];
        if (const std::optional<uint16_t> code = Buttons::BlockConsumerCode(block))
            return QStringLiteral("media:") + Buttons::WideCodeText(*code);
        return QStringLiteral("keys:") + Buttons::CombinationText(block, languageIndex());
    }
    default:
        return QStringLiteral("raw:%1:%2:%3").arg(f->type).arg(f->param1).arg(f->param2);
    }
}

QJsonObject configuration(const Session& session) {
    const DeviceAllInfo device = session.device();
    const ModelRow row = DeviceTable::row(device.row);
    const FlashDataMap r = session.record();
    QJsonObject out;

    QJsonObject dev;
    dev[QStringLiteral("name")] = deviceName(device);
    dev[QStringLiteral("model")] = row.name;
    dev[QStringLiteral("sensor")] = row.sensor;
    dev[QStringLiteral("path")] = device.path;
    dev[QStringLiteral("connection")] = connectionText(device);
    dev[QStringLiteral("online")] = session.online();
    dev[QStringLiteral("fromCache")] = session.fromCache();
    if (session.battery() >= 0) {
        dev[QStringLiteral("battery")] = session.battery();
        dev[QStringLiteral("charging")] = session.charging();
    }
    dev[QStringLiteral("firmware")] = device.firmware;
    if (!device.mouseVersion.isEmpty())
        dev[QStringLiteral("mouseVersion")] = device.mouseVersion;
    out[QStringLiteral("device")] = dev;
    if (session.profile() >= 0) {
        out[QStringLiteral("profile")] = session.profile() + 1;
        out[QStringLiteral("profiles")] = session.profileCount();
    }

    const int rateIndex = SensorRules::rateIndexOfCode(r.reportRate);
    out[QStringLiteral("reportRate")] =
        rateIndex >= 0 ? QJsonValue(SensorRules::rateAt(rateIndex)) : QJsonValue();

    QJsonObject dpi;
    dpi[QStringLiteral("count")] = r.dpiLevelCount;
    dpi[QStringLiteral("current")] = r.currentDpiLevel + 1;
    QJsonArray levels;
    const int slotCount = std::clamp(row.dpiMaxGrade, 0, ModelRow::kMaxLevels);
    for (int i = 0; i < slotCount; ++i) {
        const DpiLevelEntry& e = r.dpiLevels[i];
        QJsonObject level;
        level[QStringLiteral("level")] = i + 1;
        level[QStringLiteral("x")] = DpiCodec::decodeX(cap(), r, i);
        level[QStringLiteral("y")] = DpiCodec::decodeY(cap(), r, i);
        level[QStringLiteral("colour")] = hexColour(e.red, e.green, e.blue);
        level[QStringLiteral("active")] = i < r.dpiLevelCount;
        levels.append(level);
    }
    dpi[QStringLiteral("levels")] = levels;
    out[QStringLiteral("dpi")] = dpi;

    QJsonObject sensor;
    const SensorRules::LodSet lodSet = SensorRules::lodSetForModel(cap().SensorModel);
    const int lodItem = SensorRules::lodCodes(lodSet).indexOf(r.lod);
    sensor[QStringLiteral("lod")] =
        lodItem >= 0 ? QJsonValue(SensorRules::lodTexts(lodSet).at(lodItem)) : QJsonValue();
    sensor[QStringLiteral("sensorMode")] = r.sensorMode;
    sensor[QStringLiteral("fullPerformance")] = r.fullPerformance != 0;
    sensor[QStringLiteral("debounce")] = r.debounceTime;
    sensor[QStringLiteral("sleep")] = r.sleepTime * 10;
    if (switchShown(QStringLiteral("SUPPORT_MOTION_SYNC")))
        sensor[QStringLiteral("motionSync")] = r.motionSync != 0;
    if (switchShown(QStringLiteral("SUPPORT_RIPPLE")))
        sensor[QStringLiteral("ripple")] = r.rippleControl != 0;
    if (switchShown(QStringLiteral("SUPPORT_FIXLINE")))
        sensor[QStringLiteral("angleSnap")] = r.straightLine != 0;
    out[QStringLiteral("sensor")] = sensor;

    QJsonArray buttons;
    Buttons::LabelContext context;
    context.languageIndex = languageIndex();
    for (int key = 1; key <= row.keyNumber; ++key) {
        const int index = Buttons::ButtonIndexForKey(key);
        if (index < 0)
            continue;
        QJsonObject b;
        b[QStringLiteral("key")] = key;
        b[QStringLiteral("function")] = functionToken(r, index);
        b[QStringLiteral("label")] =
            Buttons::AssignmentLabel(index, r.buttons[index], r, context).value_or(QString());
        if (r.buttons[index].bytes[0] == uint8_t(Buttons::ButtonFunctionType::Macro))
            b[QStringLiteral("macro")] = Buttons::MacroAreaName(r.macros[index]);
        buttons.append(b);
    }
    out[QStringLiteral("buttons")] = buttons;

    QJsonObject lighting;
    if (lightBarPresent(device)) {
        QJsonObject bar;
        bar[QStringLiteral("effect")] = r.lightBarOn ? r.lightBarEffect : 0;
        bar[QStringLiteral("colour")] =
            hexColour(r.lightBarColour[0], r.lightBarColour[1], r.lightBarColour[2]);
        bar[QStringLiteral("brightness")] = r.lightBarBrightness + 1;
        bar[QStringLiteral("speed")] = r.lightBarSpeed + 1;
        bar[QStringLiteral("movingOff")] = r.movingOffLight != 0;
        lighting[QStringLiteral("lightBar")] = bar;
    }
    QJsonObject dpiLight;
    dpiLight[QStringLiteral("effect")] = r.dpiLightOn ? r.dpiLightEffect : 0;
    dpiLight[QStringLiteral("brightness")] = DpiLightBrightness::stepOf(r.dpiLightBrightness);
    dpiLight[QStringLiteral("speed")] = r.dpiLightSpeed;
    lighting[QStringLiteral("dpiLight")] = dpiLight;
    out[QStringLiteral("lighting")] = lighting;
    return out;
}

QString configurationText(const QJsonObject& c) {
    QStringList lines;
    const auto line = [&lines](const QString& name, const QString& value) {
        lines.append(QStringLiteral("%1 %2").arg(name + QLatin1Char(':'), -18).arg(value));
    };
    const auto onOff = [](const QJsonValue& v) {
        return v.toBool() ? QStringLiteral("on") : QStringLiteral("off");
    };
    const QJsonObject dev = c.value(QStringLiteral("device")).toObject();
    line(QStringLiteral("device"),
         QStringLiteral("%1 (%2, sensor %3)")
             .arg(dev.value(QStringLiteral("name")).toString(), dev.value(QStringLiteral("model")).toString(),
                  dev.value(QStringLiteral("sensor")).toString()));
    QString state =
        dev.value(QStringLiteral("online")).toBool() ? QStringLiteral("online") : QStringLiteral("offline");
    if (dev.value(QStringLiteral("fromCache")).toBool())
        state += QStringLiteral(" (last settings read)");
    line(QStringLiteral("connection"),
         dev.value(QStringLiteral("connection")).toString() + QStringLiteral(", ") + state);
    if (dev.contains(QStringLiteral("battery")))
        line(QStringLiteral("battery"),
             QStringLiteral("%1%%2")
                 .arg(dev.value(QStringLiteral("battery")).toInt())
                 .arg(dev.value(QStringLiteral("charging")).toBool() ? QStringLiteral(", charging")
                                                                     : QString()));
    line(QStringLiteral("firmware"),
         dev.value(QStringLiteral("firmware")).toString() +
             (dev.contains(QStringLiteral("mouseVersion"))
                  ? QStringLiteral(", mouse ") + dev.value(QStringLiteral("mouseVersion")).toString()
                  : QString()));
    if (c.contains(QStringLiteral("profile")))
        line(QStringLiteral("profile"), QStringLiteral("%1 of %2")
                                            .arg(c.value(QStringLiteral("profile")).toInt())
                                            .arg(c.value(QStringLiteral("profiles")).toInt()));
    const QJsonValue rate = c.value(QStringLiteral("reportRate"));
    line(QStringLiteral("report rate"),
         rate.isNull() ? QStringLiteral("unknown") : QStringLiteral("%1 Hz").arg(rate.toInt()));
    const QJsonObject dpi = c.value(QStringLiteral("dpi")).toObject();
    line(QStringLiteral("dpi levels"), QStringLiteral("%1, current %2")
                                           .arg(dpi.value(QStringLiteral("count")).toInt())
                                           .arg(dpi.value(QStringLiteral("current")).toInt()));
    for (const QJsonValue& v : dpi.value(QStringLiteral("levels")).toArray()) {
        const QJsonObject l = v.toObject();
        const int x = l.value(QStringLiteral("x")).toInt(), y = l.value(QStringLiteral("y")).toInt();
        QString text = x == y ? QStringLiteral("%1 DPI").arg(x) : QStringLiteral("%1 x %2 DPI").arg(x).arg(y);
        text += QStringLiteral("  ") + l.value(QStringLiteral("colour")).toString();
        if (!l.value(QStringLiteral("active")).toBool())
            text += QStringLiteral("  (not in use)");
        line(QStringLiteral("  dpi %1").arg(l.value(QStringLiteral("level")).toInt()), text);
    }
    const QJsonObject s = c.value(QStringLiteral("sensor")).toObject();
    line(QStringLiteral("lift-off"), s.value(QStringLiteral("lod")).isNull()
                                         ? QStringLiteral("unknown")
                                         : s.value(QStringLiteral("lod")).toString());
    line(QStringLiteral("sensor mode"), QString::number(s.value(QStringLiteral("sensorMode")).toInt()));
    line(QStringLiteral("performance"), onOff(s.value(QStringLiteral("fullPerformance"))));
    line(QStringLiteral("debounce"),
         QStringLiteral("%1 ms").arg(s.value(QStringLiteral("debounce")).toInt()));
    line(QStringLiteral("sleep"), QStringLiteral("%1 s").arg(s.value(QStringLiteral("sleep")).toInt()));
    const std::pair<const char*, const char*> switches[] = {
        {"motionSync", "motion sync"}, {"ripple", "ripple"}, {"angleSnap", "angle snap"}};
    for (const auto& sw : switches)
        if (s.contains(QLatin1String(sw.first)))
            line(QLatin1String(sw.second), onOff(s.value(QLatin1String(sw.first))));
    for (const QJsonValue& v : c.value(QStringLiteral("buttons")).toArray()) {
        const QJsonObject b = v.toObject();
        line(QStringLiteral("button %1").arg(b.value(QStringLiteral("key")).toInt()),
             QStringLiteral("%1  (%2)")
                 .arg(b.value(QStringLiteral("function")).toString(), -16)
                 .arg(b.value(QStringLiteral("label")).toString()));
    }
    const QJsonObject lighting = c.value(QStringLiteral("lighting")).toObject();
    if (lighting.contains(QStringLiteral("lightBar"))) {
        const QJsonObject bar = lighting.value(QStringLiteral("lightBar")).toObject();
        line(QStringLiteral("light bar"),
             QStringLiteral("effect %1, colour %2, brightness %3, speed %4, moving-off %5")
                 .arg(bar.value(QStringLiteral("effect")).toInt())
                 .arg(bar.value(QStringLiteral("colour")).toString())
                 .arg(bar.value(QStringLiteral("brightness")).toInt())
                 .arg(bar.value(QStringLiteral("speed")).toInt())
                 .arg(onOff(bar.value(QStringLiteral("movingOff")))));
    }
    const QJsonObject dl = lighting.value(QStringLiteral("dpiLight")).toObject();
    line(QStringLiteral("dpi light"), QStringLiteral("effect %1, brightness %2, speed %3")
                                          .arg(dl.value(QStringLiteral("effect")).toInt())
                                          .arg(dl.value(QStringLiteral("brightness")).toInt())
                                          .arg(dl.value(QStringLiteral("speed")).toInt()));
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

const QList<SettingHelp>& settingHelp() {
    static const QList<SettingHelp> list = {
        {"rate", "HZ", "report rate: 125 250 500 1000, and 2000 4000 8000 where the receiver carries them"},
        {"dpi", "LEVEL DPI", "value of a DPI level (X and Y), snapped to the sensor's steps"},
        {"dpi-y", "LEVEL DPI", "Y value of a DPI level alone"},
        {"dpi-colour", "LEVEL RRGGBB", "indicator colour of a DPI level"},
        {"dpi-level", "LEVEL", "current DPI level"},
        {"dpi-levels", "COUNT", "number of DPI levels in use (1 … the model's maximum)"},
        {"lod", "MM", "lift-off distance, one of the model's choices (1mm, 2mm, 0.7mm …)"},
        {"sensor-mode", "0|1", "sensor mode (receiver connections at up to 1000 Hz)"},
        {"performance", "on|off", "full-performance mode"},
        {"debounce", "MS", "key debounce time, 0 … 30 ms"},
        {"sleep", "TIME", "sleep time: 10s 30s 1min 2min 3min 5min 10min 15min 30min 35min 40min"},
        {"motion-sync", "on|off", "motion sync, where the sensor has it"},
        {"ripple", "on|off", "ripple control, where the sensor has it"},
        {"angle-snap", "on|off", "angle snapping (straight line), where the sensor has it"},
        {"button", "KEY FUNCTION", "assignment of button KEY (1 …); FUNCTION as listed below"},
        {"light-effect", "0-6", "light-bar effect, 0 off"},
        {"light-colour", "RRGGBB", "light-bar colour"},
        {"light-brightness", "1-10", "light-bar brightness"},
        {"light-speed", "1-10", "light-bar speed"},
        {"moving-off", "on|off", "light bar off while the mouse moves"},
        {"dpi-light-effect", "0-2", "DPI indicator: 0 off, 1 steady, 2 breathing"},
        {"dpi-light-brightness", "1-10", "DPI indicator brightness"},
        {"dpi-light-speed", "1-5", "DPI indicator speed"},
    };
    return list;
}

namespace {

struct SetRequest {
    QString name;
    QStringList values;
    DeviceAllInfo device;
    ModelRow row;
    FlashDataMap record;
    QString message;
};

Exit refuse(SetRequest& q, const QString& why) {
    q.message = why;
    return Refused;
}

Exit badValue(SetRequest& q, const QString& expected) {
    return refuse(q, QStringLiteral("bad value for %1: '%2' (expected %3)")
                         .arg(q.name, q.values.join(QLatin1Char(' ')), expected));
}

// A writer's answer: refused with the reason the mouse gave none for.
Exit written(SetRequest& q, bool ok) {
    if (ok)
        return Done;
    if (!DeviceSession::isOnline(q.device.path))
        return refuse(q, QStringLiteral("the mouse is offline; nothing was written"));
    return refuse(q, QStringLiteral("the mouse did not take the change"));
}

bool parseLevel(SetRequest& q, const QString& text, int& level) {
    const int slotCount = std::clamp(q.row.dpiMaxGrade, 0, ModelRow::kMaxLevels);
    return parseInt(text, level) && level >= 1 && level <= slotCount;
}

QString levelRange(const SetRequest& q) {
    return QStringLiteral("a level 1 … %1").arg(std::clamp(q.row.dpiMaxGrade, 0, ModelRow::kMaxLevels));
}

// A DPI value within the sensor's span, snapped as the DPI slider snaps it; -1 when out of span.
int snappedDpi(SetRequest& q, const QString& text) {
    int value = 0;
    const DpiRanges& ranges = cap().ranges;
    if (!parseInt(text, value) || ranges.empty() || value < ranges.lowest() || value > ranges.highest())
        return -1;
    const int snapped = SensorRules::snapDpi(ranges, value);
    if (snapped != value)
        q.message = QStringLiteral("%1 DPI snapped to %2 DPI").arg(value).arg(snapped);
    return snapped;
}

Exit setDpi(SetRequest& q, bool yOnly) {
    int level = 0;
    if (!parseLevel(q, q.values[0], level))
        return badValue(q, levelRange(q));
    const int value = snappedDpi(q, q.values[1]);
    if (value < 0)
        return badValue(q,
                        QStringLiteral("%1 … %2 DPI").arg(cap().ranges.lowest()).arg(cap().ranges.highest()));
    return written(q,
                   yOnly ? DpiCodec::encodeY(level - 1, value) : DpiCodec::encodeX(level - 1, value, false));
}

Exit setLevelCount(SetRequest& q) {
    int count = 0;
    const int slotCount = std::clamp(q.row.dpiMaxGrade, 1, ModelRow::kMaxLevels);
    if (!parseInt(q.values[0], count) || count < 1 || count > slotCount)
        return badValue(q, QStringLiteral("1 … %1").arg(slotCount));
    const int n = count - 1;
    const int current = q.record.currentDpiLevel;
    if (current > n && current < ModelRow::kMaxLevels) {
        // The current level moves into the last level kept, as the DPI editor swaps them.
        const DpiLevelEntry a = q.record.dpiLevels[current], b = q.record.dpiLevels[n];
        return written(q, SetDpiLevelPair(a, b, current, n, uint8_t(n)));
    }
    // The level count has no writer of its own: patched and pushed once the mouse answers.
    if (!CheckDeviceOnline())
        return written(q, false);
    uint8_t before = 0;
    CurrentRecord::modify([&](FlashDataMap& r) {
        before = r.dpiLevelCount;
        r.dpiLevelCount = uint8_t(count);
    });
    if (PushRecord())
        return Done;
    CurrentRecord::modify([&](FlashDataMap& r) {
        if (r.dpiLevelCount == uint8_t(count))
            r.dpiLevelCount = before;
    });
    return written(q, false);
}

Exit setRate(SetRequest& q) {
    int hz = 0;
    int index = -1;
    if (parseInt(q.values[0], hz, QStringLiteral("hz")))
        for (int i = 0; i < SensorRules::kRateCount; ++i)
            if (SensorRules::rateAt(i) == hz)
                index = i;
    const int mode = SensorRules::rateModeForKind(q.device.kind);
    QStringList offered;
    for (int i = 0; i < SensorRules::kRateCount; ++i)
        if (SensorRules::rateOffered(mode, i))
            offered.append(QString::number(SensorRules::rateAt(i)));
    if (index < 0 || !SensorRules::rateOffered(mode, index))
        return badValue(
            q, QStringLiteral("one of %1 Hz on this connection").arg(offered.join(QLatin1Char(' '))));
    return written(q, SetReportRate(uint8_t(SensorRules::rateCodeAt(index))));
}

Exit setLod(SetRequest& q) {
    if (!lodSettable())
        return refuse(q, QStringLiteral("the lift-off distance cannot be chosen on this model"));
    const SensorRules::LodSet set = SensorRules::lodSetForModel(cap().SensorModel);
    const QStringList texts = SensorRules::lodTexts(set);
    QString wanted = q.values[0].toLower();
    if (!wanted.endsWith(QLatin1String("mm")))
        wanted += QStringLiteral("mm");
    const int item = texts.indexOf(wanted);
    if (item < 0)
        return badValue(q, QStringLiteral("one of %1").arg(texts.join(QLatin1Char(' '))));
    return written(q, SetLod(uint8_t(SensorRules::lodCodes(set).at(item))));
}

Exit setSensorMode(SetRequest& q) {
    int mode = 0;
    if (!parseInt(q.values[0], mode) || mode < 0 || mode > 1)
        return badValue(q, QStringLiteral("0 or 1"));
    if (q.row.xIn1 == 2 || cap().SensorModel == QLatin1String("3315") ||
        !cap().isSupported(QStringLiteral("SUPPORT_SENSOR_MODE_SEL")))
        return refuse(q, QStringLiteral("the sensor mode cannot be chosen on this model"));
    const bool fastRate = q.record.reportRate == 16 || q.record.reportRate == 32 || q.record.reportRate == 64;
    if (q.device.wired || fastRate)
        return refuse(q, QStringLiteral("the sensor mode is fixed on the cable and above 1000 Hz"));
    return written(q, SetSensorMode(uint8_t(mode)));
}

Exit setSwitch(SetRequest& q, const char* flag, bool (*writer)(uint8_t)) {
    uint8_t on = 0;
    if (!parseSwitch(q.values[0], on))
        return badValue(q, QStringLiteral("on or off"));
    if (flag && !switchShown(QLatin1String(flag)))
        return refuse(q, QStringLiteral("%1 is not available on this model").arg(q.name));
    return written(q, writer(on));
}

Exit setRanged(SetRequest& q, int low, int high, int offset, bool (*writer)(uint8_t)) {
    int v = 0;
    if (!parseInt(q.values[0], v) || v < low || v > high)
        return badValue(q, QStringLiteral("%1 … %2").arg(low).arg(high));
    return written(q, writer(uint8_t(v + offset)));
}

Exit setSleep(SetRequest& q) {
    int seconds = 0;
    const int index = parseSeconds(q.values[0], seconds) && seconds % 10 == 0
                          ? SensorRules::sleepIndexOfValue(seconds / 10)
                          : -1;
    if (index < 0)
        return badValue(q,
                        QStringLiteral("one of 10s 30s 1min 2min 3min 5min 10min 15min 30min 35min 40min"));
    return written(q, SetSleepTime(uint8_t(SensorRules::sleepValue(index))));
}

bool lightBar(SetRequest& q) {
    if (lightBarPresent(q.device))
        return true;
    refuse(q, QStringLiteral("this model has no light bar"));
    return false;
}

Exit setLightEffect(SetRequest& q) {
    int effect = 0;
    if (!parseInt(q.values[0], effect) || effect < 0 || effect > 6)
        return badValue(q, QStringLiteral("0 … 6"));
    if (!lightBar(q))
        return Refused;
    if (!SetLightBarEffect(effect))
        return written(q, false);
    // Off also ends "off while moving", as the lighting page does.
    return effect == 0 ? written(q, SetMovingOffLight(0)) : Done;
}

Exit setLightColour(SetRequest& q) {
    int rgb[3];
    if (!parseColour(q.values[0], rgb))
        return badValue(q, QStringLiteral("RRGGBB or R,G,B"));
    if (!lightBar(q))
        return Refused;
    return written(q, SetLightBarColour(uint8_t(rgb[0]), uint8_t(rgb[1]), uint8_t(rgb[2])));
}

Exit setDpiColour(SetRequest& q) {
    int level = 0;
    int rgb[3];
    if (!parseLevel(q, q.values[0], level))
        return badValue(q, levelRange(q));
    if (!parseColour(q.values[1], rgb))
        return badValue(q, QStringLiteral("RRGGBB or R,G,B"));
    return written(q, SetDpiLevelColour(level - 1, uint8_t(rgb[0]), uint8_t(rgb[1]), uint8_t(rgb[2])));
}

Exit setDpiLightBrightness(SetRequest& q) {
    int step = 0;
    if (!parseInt(q.values[0], step) || step < 1 || step > 10)
        return badValue(q, QStringLiteral("1 … 10"));
    return written(q, SetDpiLightBrightness(DpiLightBrightness::byteOf(step)));
}

// A macro of the user's macro folder, packed into the button's own area as the button page packs it.
// TEXT is NAME or NAME:CYCLE; a name may hold colons, so only a number after the last one is the
// cycle, and without it the macro file's own rule holds.
Exit setMacro(SetRequest& q, int index, const QString& text) {
    QString name = text;
    int cycle = -1;
    const int colon = text.lastIndexOf(QLatin1Char(':'));
    if (colon >= 0 && parseInt(text.mid(colon + 1), cycle)) {
        name = text.left(colon);
        if (!MacroFormat::validCycle(cycle))
            return badValue(q,
                            QStringLiteral("macro:NAME[:CYCLE], the cycle 1 … 250 times, 253 until pressed "
                                           "again, 254 until released, 255 until any button"));
    }
    if (name.isEmpty())
        return badValue(q, QStringLiteral("macro:NAME[:CYCLE] with a macro's name"));
    const QString file = MacroNames::filePath(name);
    if (!MacroNames::usable(name) || !QFileInfo(file).isFile())
        return refuse(q, QStringLiteral("no macro named '%1' in %2").arg(name, MacroNames::folder()));
    const MacroFormat::MacroData macro = MacroFormat::readFile(file);
    const MacroPacker::Packed packed = MacroPacker::pack(name, macro);
    if (!packed.fits)
        return refuse(q, QStringLiteral("macro '%1' has %2 key events; a button holds at most %3")
                             .arg(name)
                             .arg(macro.keyEvents())
                             .arg(MacroFormat::kMaxEvents));
    if (cycle < 0)
        cycle = MacroFormat::normalisedCycle(macro.cycle);
    const Buttons::ButtonFunction f(Buttons::ButtonFunctionType::Macro, uint8_t(index), uint8_t(cycle));
    return written(q, SetButtonMacro(index, f.assignment(), packed.block));
}

Exit setButton(SetRequest& q) {
    int key = 0;
    if (!parseInt(q.values[0], key) || key < 1 || key > q.row.keyNumber ||
        Buttons::ButtonIndexForKey(key) < 0)
        return badValue(q, QStringLiteral("a button 1 … %1").arg(q.row.keyNumber));
    const int index = Buttons::ButtonIndexForKey(key);
    const QString f = q.values[1];
    const QString word = f.section(QLatin1Char(':'), 0, 0).toLower();
    const QString rest = f.section(QLatin1Char(':'), 1);
    for (const FunctionWord& w : kWords)
        if (f.compare(QLatin1String(w.word), Qt::CaseInsensitive) == 0)
            return written(q, SetButtonAssignment(index, w.function.assignment()));
    if (word == QLatin1String("fire")) {
        const QStringList p = rest.split(QLatin1Char(':'));
        int interval = 0, count = Buttons::kFireCountDefault;
        if (p.size() > 2 || !parseInt(p[0], interval) || interval < Buttons::kFireIntervalMin ||
            interval > Buttons::kFireIntervalMax ||
            (p.size() == 2 && (!parseInt(p[1], count) || count < 0 || count > Buttons::kFireCountMax)))
            return badValue(q, QStringLiteral("fire:INTERVAL[:COUNT], interval 10 … 255 ms, count 0 … 3"));
        return written(q, SetButtonAssignment(index, Buttons::RapidFire({interval, count}).assignment()));
    }
    if (word == QLatin1String("macro"))
        return setMacro(q, index, rest);
    if (word == QLatin1String("dpi-lock")) {
        int value = 0;
        const std::optional<uint8_t> code =
            parseInt(rest, value) ? Buttons::DpiLock::Encode(cap(), value) : std::optional<uint8_t>();
        bool offered = false;
        for (int v : Buttons::DpiLock::kValues)
            offered = offered || v == value;
        if (!code || !offered)
            return badValue(
                q, QStringLiteral("dpi-lock:100 … dpi-lock:1200 in steps of 100 the sensor can hold"));
        return written(q, SetButtonAssignment(index, Buttons::DpiLock::Assignment(*code).assignment()));
    }
    const ButtonAssignment sequence =
        Buttons::ButtonFunction(Buttons::ButtonFunctionType::KeySequence).assignment();
    if (word == QLatin1String("keys")) {
        KeySequenceBlock block{};
        if (rest.isEmpty() || !Buttons::EncodeCombination(rest, block, languageIndex()))
            return badValue(q, QStringLiteral("keys:NAME[+NAME[+NAME]], e.g. keys:Ctrl+C"));
        return written(q, SetButtonKeys(index, sequence, block));
    }
    if (word == QLatin1String("media")) {
        bool ok = false;
        const uint code = rest.toUInt(&ok, 16);
        const int row = ok && code <= 0xFFFF ? Buttons::ConsumerRow(uint16_t(code)) : -1;
        if (row < 0 || Buttons::ConsumerFunctionTable()[row].code != code)
            return badValue(
                q, QStringLiteral("media:CODE, one of the multimedia codes (media:0x00CD play/pause)"));
        return written(q, SetButtonKeys(index, sequence, Buttons::EncodeConsumer(uint16_t(code))));
    }
    return badValue(q, QStringLiteral("a button function (zentrafoxctl set --help)"));
}

struct Setter {
    const char* name;
    int valueCount;
    std::function<Exit(SetRequest&)> apply;
};

const QList<Setter>& setters() {
    static const QList<Setter> list = {
        {"rate", 1, setRate},
        {"dpi", 2, [](SetRequest& q) { return setDpi(q, false); }},
        {"dpi-y", 2, [](SetRequest& q) { return setDpi(q, true); }},
        {"dpi-colour", 2, setDpiColour},
        {"dpi-level", 1,
         [](SetRequest& q) {
             int level = 0;
             if (!parseInt(q.values[0], level) || level < 1 ||
                 level > std::max<int>(q.record.dpiLevelCount, 1) || level > ModelRow::kMaxLevels)
                 return badValue(
                     q,
                     QStringLiteral("a level in use, 1 … %1").arg(std::max<int>(q.record.dpiLevelCount, 1)));
             return written(q, SetCurrentDpiLevel(uint8_t(level - 1)));
         }},
        {"dpi-levels", 1, setLevelCount},
        {"lod", 1, setLod},
        {"sensor-mode", 1, setSensorMode},
        {"performance", 1,
         [](SetRequest& q) {
             if (q.row.xIn1 == 2)
                 return refuse(q, QStringLiteral("full-performance mode is not available on this model"));
             return setSwitch(q, nullptr, SetFullPerformance);
         }},
        {"debounce", 1, [](SetRequest& q) { return setRanged(q, 0, 30, 0, SetDebounceTime); }},
        {"sleep", 1, setSleep},
        {"motion-sync", 1, [](SetRequest& q) { return setSwitch(q, "SUPPORT_MOTION_SYNC", SetMotionSync); }},
        {"ripple", 1, [](SetRequest& q) { return setSwitch(q, "SUPPORT_RIPPLE", SetRippleControl); }},
        {"angle-snap", 1, [](SetRequest& q) { return setSwitch(q, "SUPPORT_FIXLINE", SetStraightLine); }},
        {"button", 2, setButton},
        {"light-effect", 1, setLightEffect},
        {"light-colour", 1, setLightColour},
        {"light-brightness", 1,
         [](SetRequest& q) {
             return lightBar(q) ? setRanged(q, 1, 10, -1, SetLightBarBrightness) : Refused;
         }},
        {"light-speed", 1,
         [](SetRequest& q) { return lightBar(q) ? setRanged(q, 1, 10, -1, SetLightBarSpeed) : Refused; }},
        {"moving-off", 1,
         [](SetRequest& q) { return lightBar(q) ? setSwitch(q, nullptr, SetMovingOffLight) : Refused; }},
        {"dpi-light-effect", 1,
         [](SetRequest& q) {
             int v = 0;
             if (!parseInt(q.values[0], v) || v < 0 || v > 2)
                 return badValue(q, QStringLiteral("0 … 2"));
             return written(q, SetDpiLightEffect(v));
         }},
        {"dpi-light-brightness", 1, setDpiLightBrightness},
        {"dpi-light-speed", 1, [](SetRequest& q) { return setRanged(q, 1, 5, 0, SetDpiLightSpeed); }},
    };
    return list;
}

} // namespace

namespace {
// The setter `args` name with the right number of values; null with the usage message otherwise.
const Setter* setterFor(const QStringList& args, QString& message) {
    if (args.isEmpty()) {
        message = QStringLiteral("set needs a setting name (zentrafoxctl set --help)");
        return nullptr;
    }
    for (const Setter& s : setters()) {
        if (args[0] != QLatin1String(s.name))
            continue;
        if (args.size() - 1 == s.valueCount)
            return &s;
        message = QStringLiteral("set %1 takes %2 value%3 (zentrafoxctl set --help)")
                      .arg(s.name)
                      .arg(s.valueCount)
                      .arg(s.valueCount == 1 ? "" : "s");
        return nullptr;
    }
    message = QStringLiteral("unknown setting '%1' (zentrafoxctl set --help)").arg(args[0]);
    return nullptr;
}
} // namespace

Exit checkSetUsage(const QStringList& args, QString& message) {
    return setterFor(args, message) ? Done : Usage;
}

Exit applySetting(Session& session, const QStringList& args, QString& message) {
    const Setter* setter = setterFor(args, message);
    if (!setter)
        return Usage;
    SetRequest q;
    q.name = args[0];
    q.values = args.mid(1);
    q.device = session.device();
    q.row = DeviceTable::row(q.device.row);
    q.record = session.record();
    const Exit e = setter->apply(q);
    message = q.message;
    return e;
}

} // namespace Ctl
