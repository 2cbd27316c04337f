#pragma once
// What the selected mouse's sensor supports: the define table and support flags of "driver_sensor.h",
// and the sensor model and DPI ranges of the device's row in Config.ini. One process-wide instance
// (current()), filled by the sensor page and read by the DPI editor and the codec; tests build their own.

#include "device/DeviceTable.h"

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <QStringList>
#include <QVector>
#include <atomic>
#include <optional>

// The ordered define table: names and values appended in file order.
struct SensorDefines {
    QStringList names;
    QVector<qint32> values;
};

// The six support flags, each a free-text list of model names; empty until the header sets it.
struct SupportFlags {
    static constexpr int kCount = 6;
    // In the order in which a header line is tested for them.
    static const char* const kNames[kCount];
    QString values[kCount];

    // The flag's value, empty for an unknown name.
    QString value(const QString& flag) const;
};

struct DpiRanges {
    QStringList triplesText; // min 1, max 1, step 1, … as written
    QVector<int> triples;    // the same as integers (0 when unparsable)
    QVector<int> minimums;   // per range
    QVector<int> maximums;   // per range
    QVector<int> steps;      // per range; 0 means no snapping in that range
    int count = 0;           // k, 0 … 4
    int mode = 0;            // range mode, read as hexadecimal

    void parse(const QStringList& items);
    void clear();
    bool empty() const { return count == 0; }
    int lowest() const { return count ? minimums.first() : 0; }
    int highest() const { return count ? maximums.last() : 0; }
};

class SensorCapability {
public:
    SensorDefines defines;
    SupportFlags flags;
    QString SensorModel;
    DpiRanges ranges;
    int dpiMaxGrade = 0; // "DPIMaxGrade"
    int xIn1 = 0;        // "XIn1"

    static SensorCapability& current();

    // Parses header text line by line into the define table and the flags (appending).
    void parseHeader(const QByteArray& text);
    // Reads "driver_sensor.h" from the application folder into the define table and flags, in place of
    // what they held; a missing file leaves the tables as they are.
    bool loadCapabilityHeader();
    // Takes the model name, level count, "XIn1" and DPI ranges of a device-table row.
    void loadRow(const ModelRow& row);

    // True when the flag's value lists the current model. An empty model supports nothing.
    bool isSupported(const QString& flag) const;

    // True when some define name contains "SENSOR_" + model + "_DPI".
    bool hasDpiTable() const;
    // The define named exactly "SENSOR_" + model + "_DPI_" + value.
    std::optional<qint32> tableCode(int value) const;
    // DPI numbers of the model's table entries whose code equals code, in file order.
    QVector<int> tableValuesForCode(qint32 code) const;

private:
    int defineIndex(const QString& name) const;
};

// "Level.ini" of UserDataRoot + "/usersetting/SensorPage" (the folder is created): its first line as
// a decimal number, 1 when the file is missing, empty or unreadable.
int readLevelIniCount();
// The same over the opened file, from where it stands (1 to 8: the editor holds eight levels).
int levelIniCount(QIODevice& file);

// Process-wide flags shared by the sensor page, the DPI editor and the codec (GUI thread).
namespace SensorFlags {
// Set once the home window talks to the device; user handlers of the sensor pages do nothing while it
// is clear. The sensor page clears it only while it applies a device-reported DPI level.
extern std::atomic<bool> Armed;
// X and Y DPI edited separately (XYOpen checked).
extern std::atomic<bool> XYSeparate;
} // namespace SensorFlags
