#pragma once
// The device table of Config.ini: group "Option" names how many rows there are ("DeviceTotal"), each
// row n = 1 … is a group "Drive" + n describing one model. A row is parsed once into a ModelRow, with
// the problems found in it listed; nobody else builds "Drive" + n or reads a row's keys by hand.
//
// Rows are addressed by their 0-based index, as DeviceAllInfo::row holds them. The table is bounded by
// the rows that exist: a "DeviceTotal" larger than the highest "Drive" group in the file counts only
// up to that group.

#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>
#include <cstdint>

class IniStore;

// One DPI range of a model: values min … max in steps of step (0 = no snapping).
struct DpiRange {
    int min = 0;
    int max = 0;
    int step = 0;
};

struct ModelRow {
    static constexpr int kKeyCount = 16; // "KeyParam1" … "KeyParam16"
    static constexpr int kMaxLevels = 8; // DPI level slots of the record
    static constexpr int kMaxRanges = 4;

    int32_t index = -1;    // 0-based row; "Drive" + (index + 1)
    bool present = false;  // the group exists in the file
    bool idsValid = false; // "CID" and "MID" are decimal numbers 0 … 255
    uint8_t cid = 0;
    uint8_t mid = 0;
    QString midText;        // "MID" as written (it names stored values such as the mouse version)
    QString name;           // "Name"
    QString sensor;         // "Sensor": the sensor model name
    int pictureNumber = -1; // "DisOnLine": number of the list pictures, -1 when missing

    // "DPIRange": min, max, step per range (1 … 4 ranges), then the range mode in hexadecimal.
    QVector<DpiRange> dpiRanges;
    QStringList dpiRangeText; // the 3k items of the ranges as written (trimmed)
    int rangeMode = 0;
    int dpiMaxGrade = 0;                // "DPIMaxGrade": DPI level slots, 0 when missing
    int xIn1 = 0;                       // "XIn1"
    int dpiMin = 0, dpiMax = 0;         // "DPIMin", "DPIMax": slider span after a page reset
    int currentPos = 0, currentDpi = 0; // "CurrentPos", "CurrentDPI"
    QVector<int> dpiColor;              // "DPIColor": red, green, blue per level
    QVector<int> dpiGrade;              // "DPIGrade": reset DPI value per level

    QList<QStringList> keyParams; // "KeyParam" + (k + 1), k = 0 … 15, items trimmed; empty when missing
    QStringList adveanced;        // "Adveanced": stored long-range choice, stored receiver RGB value
    int keyNumber = kKeyCount;    // "KeyNumber": programmable buttons, 1 … 16 (16 when missing or outside)
    int realKey = 6;              // "RealKey": 5 or 6 side-key arrangement (6 when missing or other)
    int debounceTime = 0;         // "DebunceTime": key debounce after a restore, 0 when missing
    // Lights the model has, each "1" to show its section on the lighting page (anything else hides it):
    // "MouseLight" (light bar), "RecevieLight" (receiver light bar), "OneLed" (status LED), "ThreeLed".
    bool mouseLight = false;
    bool recevieLight = false;
    bool oneLed = false;
    bool threeLed = false;

    // Firmware image names: "MM" for the mouse, "DM", "D2M", "D4M", "D8M" per receiver class.
    QString mouseImage;
    QString receiverImages[4];

    QStringList problems; // what the checks found; empty for a sound row

    bool valid() const { return present && idsValid; }
    bool matches(uint8_t c, uint8_t m) const { return valid() && cid == c && mid == m; }

    // "Drive" + (index + 1).
    static QString group(int32_t index);

    // "KeyParam" + key, key = 1 … 16; empty when missing or out of range.
    QStringList keyParam(int key) const;
    // True when "KeyParam" + key names a key sequence ("0x05") as its default function.
    bool keyIsSequence(int key) const;
    // Element 0 / 1 of "Adveanced"; -1 when missing or not a number.
    int longRangeChoice() const;
    int receiverRgbValue() const;
    // Receiver image name for receiver class 1, 2, 4 or 8; empty otherwise or when missing.
    QString receiverImage(int receiverClass) const;
    // List pictures: "OnLine"/"DisOnLine" + pictureNumber + ".png", "Unknow.png" without a number.
    QString listPicture(bool online) const;

    // Lowest minimum and highest maximum of the ranges; 0 without ranges.
    int lowestDpi() const;
    int highestDpi() const;
    // True when value lies in one of the ranges (not in a gap between them).
    bool dpiInRange(int value) const;

    // Parses one row from the store. A missing group gives a row that is not present.
    static ModelRow read(const IniStore& store, int32_t index);

private:
    friend class DeviceTable;
    static ModelRow readGroup(const IniStore& store, int32_t index); // the group is known to exist
};

class DeviceTable {
public:
    // The rows of the given store (the program's Config.ini by default). The store is parsed once and again
    // only after it changed; rowCount and row read the same parse.
    static DeviceTable load();
    static DeviceTable load(const IniStore& store);
    // Number of rows: "DeviceTotal", bounded by the highest "Drive" group present (0 when missing).
    static int rowCount(const IniStore& store);
    static int rowCount();
    // One row without parsing the others; a row outside the table is not present.
    static ModelRow row(int32_t index);
    static ModelRow row(const IniStore& store, int32_t index);

    // Number of rows (rowCount); rows missing from the file count but are not present.
    int size() const { return m_count; }
    // The rows present in the file, in row order: what is parsed, however large "DeviceTotal" is.
    const QList<ModelRow>& rows() const { return m_rows; }
    // Row `index`; a row missing from the file or outside the table is not present.
    ModelRow at(int index) const;
    // Index of the row with that CID and MID, -1 when none.
    int find(uint8_t cid, uint8_t mid) const;
    // True when some row carries that CID.
    bool hasCid(uint8_t cid) const;

private:
    static DeviceTable parse(const IniStore& store);
    static int rowCount(const IniStore& store, const QStringList& groups);
    int m_count = 0;
    QList<ModelRow> m_rows;
};
