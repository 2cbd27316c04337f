#include "buttons/ButtonFunctions.h"
#include "app/core/Language.h"
#include "sensor/SensorCapability.h"

#include <QHash>

namespace Buttons {

namespace {

const FunctionRow kFixed[] = {
    {{0, 0}, "0", "待定义按键"},
    {{1, 1}, "0x0100", "左键"},
    {{1, 2}, "0x0200", "右键"},
    {{1, 4}, "0x0400", "中键"},
    {{1, 8}, "0x0800", "后退键"},
    {{1, 16}, "0x1000", "前进键"},
    {{2, 1}, "2-1", "DPI循环"},
    {{2, 2}, "2-2", "DPI+"},
    {{2, 3}, "2-3", "DPI-"},
    {{3, 1}, "3-1", "左滚"},
    {{3, 2}, "3-2", "右滚"},
    {{7, 0}, "7", "切换报告率"},
    {{8, 0}, "8-0", "开/关所有装饰灯"},
    {{8, 1}, "8-1", "开/关DPI指示灯"},
    {{8, 3}, "8-3", "开/关灯带"},
    {{8, 4}, "8-4", "循环切换灯带效果"},
    {{9, 0}, "9", "配置切换"},
    {{11, 1}, "B-1", "上滚"},
    {{11, 2}, "B-2", "下滚"},
};

// Built-in texts of the keys that are not rows of the fixed table.
const QHash<QString, QString>& groupTexts() {
    static const QHash<QString, QString> map = {
        {QStringLiteral("2"), QStringLiteral("DPI切换")},
        {QStringLiteral("3"), QStringLiteral("鼠标左/右滚")},
        {QStringLiteral("4"), QStringLiteral("火力键")},
        {QStringLiteral("5"), QStringLiteral("组合键")},
        {QStringLiteral("1005"), QStringLiteral("多媒体功能")},
        {QStringLiteral("6"), QStringLiteral("宏定义")},
        {QStringLiteral("8"), QStringLiteral("开关装饰灯")},
        {QStringLiteral("DPI Lock"), QStringLiteral("DPI锁定")},
        {QStringLiteral("B"), QStringLiteral("鼠标上/下滚")},
    };
    return map;
}

const ButtonFunction kDefaults[kButtonCount] = {
    {1, 1}, {1, 2}, {1, 4},  {1, 8}, {1, 16}, {2, 1}, {2, 2}, {2, 3},
    {7, 0}, {7, 0}, {4, 10}, {0, 0}, {2, 1},  {2, 1}, {2, 1}, {2, 1},
};

int languageOrCurrent(int index) {
    return index < 0 ? Language::currentIndex() : index;
}

// The code ("en", "cn", …) of a loaded language index; empty when none is loaded there.
QString languageCode(int index) {
    const QStringList boxes = Language::boxNames();
    if (index < 0 || index >= boxes.size())
        return QString();
    for (const Language::LanguageInfo& l : Language::allLanguages())
        if (l.boxName == boxes.at(index))
            return QLatin1String(l.code);
    return QString();
}

bool matchesAnyParam(uint8_t type) {
    return type == 0 || type == 7 || type == 9;
}

} // namespace

int ButtonIndexForKey(int key) {
    if (key < 1 || key > kButtonCount)
        return -1;
    if (key == 4)
        return 4;
    if (key == 5)
        return 3;
    return key - 1;
}

int KeyForButtonIndex(int index) {
    if (index < 0 || index >= kButtonCount)
        return -1;
    if (index == 3)
        return 5;
    if (index == 4)
        return 4;
    return index + 1;
}

int BoundedKeyNumber(int keyNumber) {
    return qBound(0, keyNumber, kButtonCount);
}

std::optional<ButtonFunction> RecordButton(const FlashDataMap& record, int index) {
    if (index < 0 || index >= kButtonCount)
        return std::nullopt;
    return ButtonFunction::from(record.buttons[index]);
}

const FunctionRow* FixedFunctionTable() {
    return kFixed;
}
int FixedFunctionCount() {
    return int(sizeof(kFixed) / sizeof(kFixed[0]));
}

const FunctionRow* FindFixedFunction(const ButtonFunction& f) {
    for (const FunctionRow& row : kFixed)
        if (row.function.type == f.type && (matchesAnyParam(f.type) || row.function.param1 == f.param1))
            return &row;
    return nullptr;
}

QString FunctionText(const QString& labelKey, int languageIndex) {
    const QString text =
        Language::options(QStringLiteral("KeyOptions"), languageOrCurrent(languageIndex)).value(labelKey);
    if (!text.isEmpty())
        return text;
    for (const FunctionRow& row : kFixed)
        if (labelKey == QLatin1String(row.labelKey))
            return QString::fromUtf8(row.defaultText);
    for (int i = 0; i < kConsumerFunctionCount; ++i)
        if (labelKey == ConsumerKey(i))
            return QString::fromUtf8(ConsumerFunctionTable()[i].defaultText);
    return groupTexts().value(labelKey);
}

QString DpiLockText(int languageIndex) {
    const int lang = languageOrCurrent(languageIndex);
    const QString code = languageCode(lang);
    if (!code.isEmpty() && code != QLatin1String("cn") && code != QLatin1String("cntr"))
        return QStringLiteral("DPI Lock");
    return FunctionText(QLatin1String(LabelKeys::kDpiLock), lang);
}

QString MacroPrefix(int languageIndex) {
    const QString text =
        Language::text(QStringLiteral("key"), QStringLiteral("MacroSeond"), languageOrCurrent(languageIndex));
    return text.isEmpty() ? QStringLiteral("宏：") : text;
}

ButtonFunction RapidFire(const RapidFireSetting& s) {
    return ButtonFunction(ButtonFunctionType::RapidFire,
                          uint8_t(qBound(kFireIntervalMin, s.interval, kFireIntervalMax)),
                          uint8_t(qBound(0, s.count, kFireCountMax)));
}

RapidFireSetting RapidFireStart(const ButtonFunction& current) {
    if (!current.is(ButtonFunctionType::RapidFire))
        return RapidFireSetting();
    return {qBound(kFireIntervalMin, int(current.param1), kFireIntervalMax),
            qBound(0, int(current.param2), kFireCountMax)};
}

namespace DpiLock {

namespace {

// The formula half of the rule, for sensors without a DPI table: code -> DPI and DPI -> code.
int formulaDecode(const QString& model, int code) {
    if (model == QLatin1String("3955"))
        return code + 1;
    if (model == QLatin1String("S312"))
        return code * 50;
    if (model == QLatin1String("OM76"))
        return (code + 1) * 10;
    return (code + 1) * 50;
}

int formulaEncode(const QString& model, int value) {
    if (model == QLatin1String("3955"))
        return value - 1;
    if (model == QLatin1String("S312"))
        return value / 50;
    if (model == QLatin1String("OM76"))
        return value / 10 - 1;
    return value / 50 - 1;
}

} // namespace

int Decode(const SensorCapability& sensor, int code) {
    if (sensor.hasDpiTable())
        return sensor.tableValuesForCode(code).value(0, 0);
    return formulaDecode(sensor.SensorModel, code);
}

std::optional<uint8_t> Encode(const SensorCapability& sensor, int value) {
    int code = -1;
    if (sensor.hasDpiTable()) {
        const std::optional<qint32> c = sensor.tableCode(value);
        if (c)
            code = *c;
    } else {
        code = formulaEncode(sensor.SensorModel, value);
    }
    // A code that does not fit the byte, or that reads back as another value, would show a DPI the
    // button does not lock.
    if (code < 0 || code > 0xFF || Decode(sensor, code) != value)
        return std::nullopt;
    return uint8_t(code);
}

ButtonFunction Assignment(uint8_t code) {
    return ButtonFunction(ButtonFunctionType::DpiLock, code);
}

} // namespace DpiLock

namespace Debounce {

uint8_t ReleaseByte(int index) {
    return uint8_t(qBound(0, index, kReleaseItems - 1));
}
int ReleaseIndex(uint8_t byte) {
    return byte < kReleaseItems ? byte : -1;
}
uint8_t WheelByte(int index) {
    return uint8_t((qBound(0, index, kWheelItems - 1) + 1) * 10);
}
int WheelIndex(uint8_t byte) {
    const int index = byte / 10 - 1;
    return index >= 0 && index < kWheelItems ? index : -1;
}

} // namespace Debounce

const ButtonFunction* DefaultAssignments() {
    return kDefaults;
}

std::optional<QString> AssignmentLabel(int buttonIndex, const ButtonAssignment& assignment,
                                       const FlashDataMap& record, const LabelContext& context) {
    if (buttonIndex < 0 || buttonIndex >= kButtonCount)
        return std::nullopt;
    const int lang = languageOrCurrent(context.languageIndex);
    const ButtonFunction f = ButtonFunction::from(assignment);
    switch (ButtonFunctionType(f.type)) {
    case ButtonFunctionType::RapidFire:
        return FunctionText(QLatin1String(LabelKeys::kRapidFire), lang);
    case ButtonFunctionType::KeySequence: {
        const KeySequenceBlock& block = record.keyBlocks[buttonIndex];
        if (const auto code = BlockConsumerCode(block)) {
            const int row = ConsumerRow(*code);
            if (row < 0)
                return WideCodeText(*code);
            return FunctionText(ConsumerKey(row), lang);
        }
        const QString text = CombinationText(block, lang);
        // A block without a press names its function rather than showing nothing.
        return text.isEmpty() ? FunctionText(QLatin1String(LabelKeys::kCombination), lang) : text;
    }
    case ButtonFunctionType::Macro: {
        const QString prefix = context.macroPrefix.isEmpty() ? MacroPrefix(lang) : context.macroPrefix;
        return prefix + MacroAreaName(record.macros[buttonIndex]);
    }
    case ButtonFunctionType::DpiLock: {
        const SensorCapability& sensor = context.sensor ? *context.sensor : SensorCapability::current();
        return DpiLockText(lang) + QLatin1Char('-') + QString::number(DpiLock::Decode(sensor, f.param1));
    }
    default:
        break;
    }
    if (const FunctionRow* row = FindFixedFunction(f))
        return FunctionText(QLatin1String(row->labelKey), lang);
    return std::nullopt;
}

} // namespace Buttons
