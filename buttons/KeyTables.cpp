#include "buttons/KeyTables.h"
#include "app/core/Language.h"

#include <QHash>

namespace Buttons {

namespace {

const KeyCodeEntry kKeyCodes[] = {
    {0x00, ""},         {0x04, "A"},        {0x05, "B"},        {0x06, "C"},        {0x07, "D"},
    {0x08, "E"},        {0x09, "F"},        {0x0A, "G"},        {0x0B, "H"},        {0x0C, "I"},
    {0x0D, "J"},        {0x0E, "K"},        {0x0F, "L"},        {0x10, "M"},        {0x11, "N"},
    {0x12, "O"},        {0x13, "P"},        {0x14, "Q"},        {0x15, "R"},        {0x16, "S"},
    {0x17, "T"},        {0x18, "U"},        {0x19, "V"},        {0x1A, "W"},        {0x1B, "X"},
    {0x1C, "Y"},        {0x1D, "Z"},        {0x1E, "1"},        {0x1F, "2"},        {0x20, "3"},
    {0x21, "4"},        {0x22, "5"},        {0x23, "6"},        {0x24, "7"},        {0x25, "8"},
    {0x26, "9"},        {0x27, "0"},        {0x28, "Enter"},    {0x29, "Esc"},      {0x2A, "BackSpace"},
    {0x2B, "Tab"},      {0x2C, "Space"},    {0x2D, "-"},        {0x2E, "="},        {0x2F, "["},
    {0x30, "]"},        {0x31, "\\"},       {0x33, ";"},        {0x34, "'"},        {0x35, "`"},
    {0x36, ","},        {0x37, "."},        {0x38, "/"},        {0x39, "CapsLock"}, {0x3A, "F1"},
    {0x3B, "F2"},       {0x3C, "F3"},       {0x3D, "F4"},       {0x3E, "F5"},       {0x3F, "F6"},
    {0x40, "F7"},       {0x41, "F8"},       {0x42, "F9"},       {0x43, "F10"},      {0x44, "F11"},
    {0x45, "F12"},      {0x46, "Screen"},   {0x47, "Scroll"},   {0x48, "Pause"},    {0x49, "Insert"},
    {0x4A, "Home"},     {0x4B, "PgUp"},     {0x4C, "Del"},      {0x4D, "End"},      {0x4E, "PgDn"},
    {0x4F, u8"\u2192"}, {0x50, u8"\u2190"}, {0x51, u8"\u2193"}, {0x52, u8"\u2191"}, {0x53, "NumLock"},
    {0x54, "Num/"},     {0x55, "Num*"},     {0x56, "Num-"},     {0x57, "Num+"},     {0x59, "Num1"},
    {0x5A, "Num2"},     {0x5B, "Num3"},     {0x5C, "Num4"},     {0x5D, "Num5"},     {0x5E, "Num6"},
    {0x5F, "Num7"},     {0x60, "Num8"},     {0x61, "Num9"},     {0x62, "Num0"},     {0x63, "Num."},
    {0x65, "APPs"},
};

const ModifierEntry kModifiers[kModifierCount] = {
    {0x01, "LCtrl"}, {0x02, "LShift"}, {0x04, "LAlt"}, {0x08, "LWin"},
    {0x10, "RCtrl"}, {0x20, "RShift"}, {0x40, "RAlt"}, {0x80, "RWin"},
};

const ConsumerFunction kConsumers[kConsumerFunctionCount] = {
    {0x0183, "播放器"},   {0x00CD, "播放/暂停"}, {0x00B5, "下一曲"}, {0x00B6, "上一曲"}, {0x00B7, "停止播放"},
    {0x00E2, "静音"},     {0x00E9, "音量加"},    {0x00EA, "音量减"}, {0x018A, "邮件"},   {0x0192, "计算器"},
    {0x0194, "我的电脑"}, {0x0223, "主页"},      {0x0221, "搜索"},   {0x0225, "前进"},   {0x0224, "后退"},
    {0x0226, "停止网页"}, {0x0227, "刷新"},      {0x022A, "收藏夹"},
};

// The macro editor's entries for the mouse buttons, in kMouseButtonCodes order: language key and
// built-in text.
const char* const kMouseKeys[5] = {"2", "3", "4", "6", "5"};
const char* const kMouseTexts[5] = {"左键", "右键", "中键", "后退键", "前进键"};

struct VirtualKey {
    int vk;
    const char* name;
};
const VirtualKey kVirtualKeys[] = {
    {8, "BackSpace"}, {9, "Tab"},       {13, "Enter"},    {19, "Pause"},  {20, "CapsLock"}, {27, "Esc"},
    {32, "Space"},    {33, "PgUp"},     {34, "PgDn"},     {35, "End"},    {36, "Home"},     {37, u8"\u2190"},
    {38, u8"\u2191"}, {39, u8"\u2192"}, {40, u8"\u2193"}, {44, "Screen"}, {45, "Insert"},   {46, "Del"},
    {93, "APPs"},     {106, "Num*"},    {107, "Num+"},    {109, "Num-"},  {110, "Num."},    {111, "Num/"},
    {144, "NumLock"}, {145, "Scroll"},  {186, ";"},       {187, "="},     {188, ","},       {189, "-"},
    {190, "."},       {191, "/"},       {192, "`"},       {219, "["},     {220, "\\"},      {221, "]"},
    {222, "'"},
};

int languageOrCurrent(int index) {
    return index < 0 ? Language::currentIndex() : index;
}

const QHash<QString, uint8_t>& keyCodesByName() {
    static const QHash<QString, uint8_t> map = [] {
        QHash<QString, uint8_t> m;
        for (const KeyCodeEntry& e : kKeyCodes)
            if (e.name[0] != '\0')
                m.insert(QString::fromUtf8(e.name), e.code);
        return m;
    }();
    return map;
}

const QHash<QString, uint8_t>& keyCodesByText() {
    static const QHash<QString, uint8_t> map = [] {
        QHash<QString, uint8_t> m;
        for (const KeyCodeEntry& e : kKeyCodes)
            m.insert(CodeText(e.code), e.code);
        return m;
    }();
    return map;
}

const char* keyCodeName(uint8_t code) {
    for (const KeyCodeEntry& e : kKeyCodes)
        if (e.code == code)
            return e.name;
    return nullptr;
}

} // namespace

const KeyCodeEntry* KeyCodeTable() {
    return kKeyCodes;
}
int KeyCodeTableSize() {
    return int(sizeof(kKeyCodes) / sizeof(kKeyCodes[0]));
}
const ModifierEntry* ModifierBits() {
    return kModifiers;
}
const ConsumerFunction* ConsumerFunctionTable() {
    return kConsumers;
}

int ConsumerRow(uint16_t code) {
    for (int i = 0; i < kConsumerFunctionCount; ++i)
        if ((kConsumers[i].code & 0xFF) == (code & 0xFF))
            return i;
    return -1;
}

QString ConsumerKey(int row) {
    if (row < 0 || row >= kConsumerFunctionCount)
        return QString();
    return WideCodeText(kConsumers[row].code);
}

QStringList MouseButtonNames(int languageIndex) {
    const int lang = languageOrCurrent(languageIndex);
    QStringList names;
    for (int i = 0; i < 5; ++i) {
        const QString t = Language::text(QStringLiteral("macro"), QLatin1String(kMouseKeys[i]), lang);
        names << (t.isEmpty() ? QString::fromUtf8(kMouseTexts[i]) : t);
    }
    return names;
}

QString CodeText(int code) {
    return QStringLiteral("0x") + QString::number(code, 16).rightJustified(2, QLatin1Char('0')).toUpper();
}

QString WideCodeText(int code) {
    return QStringLiteral("0x") + QString::number(code, 16).rightJustified(4, QLatin1Char('0')).toUpper();
}

QString KeyName(const QString& codeText, KeyEventKind kind, int languageIndex) {
    switch (kind) {
    case KeyEventKind::Keyboard: {
        const auto it = keyCodesByText().constFind(codeText);
        return it == keyCodesByText().constEnd() ? QString() : QString::fromUtf8(keyCodeName(*it));
    }
    case KeyEventKind::Modifier:
        for (const ModifierEntry& m : kModifiers)
            if (CodeText(m.bit) == codeText)
                return QLatin1String(m.name);
        return QString();
    case KeyEventKind::MouseButton:
        for (int i = 0; i < 5; ++i)
            if (CodeText(kMouseButtonCodes[i]) == codeText)
                return MouseButtonNames(languageIndex).at(i);
        return QString();
    case KeyEventKind::Consumer:
        break;
    }
    return QString();
}

QString KeyName(const QString& codeText, int kind, int languageIndex) {
    switch (kind) {
    case 0:
    case 1:
    case 4:
        return KeyName(codeText, KeyEventKind(kind), languageIndex);
    default:
        return QString();
    }
}

std::optional<KeyCodeResult> KeyCode(const QString& name, int languageIndex) {
    const auto it = keyCodesByName().constFind(name);
    if (it != keyCodesByName().constEnd())
        return KeyCodeResult{KeyEventKind::Keyboard, *it};
    for (const ModifierEntry& m : kModifiers)
        if (name == QLatin1String(m.name))
            return KeyCodeResult{KeyEventKind::Modifier, m.bit};
    if (name.isEmpty())
        return std::nullopt;
    const QStringList mouse = MouseButtonNames(languageIndex);
    for (int i = 0; i < 5; ++i)
        if (name == mouse.at(i))
            return KeyCodeResult{KeyEventKind::MouseButton, kMouseButtonCodes[i]};
    return std::nullopt;
}

QString VirtualKeyName(int vk) {
    if (vk >= 48 && vk <= 57)
        return QString(QChar('0' + (vk - 48)));
    if (vk >= 65 && vk <= 90)
        return QString(QChar('A' + (vk - 65)));
    if (vk >= 96 && vk <= 105)
        return QStringLiteral("Num") + QChar('0' + (vk - 96));
    if (vk >= 112 && vk <= 123)
        return QStringLiteral("F") + QString::number(vk - 111);
    for (const VirtualKey& k : kVirtualKeys)
        if (k.vk == vk)
            return QString::fromUtf8(k.name);
    return QString();
}

} // namespace Buttons
