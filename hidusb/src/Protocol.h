#pragma once
// Wire protocol shared by the host side of the library and the virtual firmware: report headers, the
// layout of the full-data report, and the run-length diff that turns a record change into write reports.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace zf {

constexpr int kRecordSize = 10544;
constexpr int kFullDataSize = 6988;
constexpr int kHeaderSize = 5;
constexpr int kPacketSize = 64;
constexpr uint8_t kHeaderMagic = 0x5A;

// Report types the device sends.
enum ReportType : uint8_t {
    kPairing = 6,
    kAnswer = 8,
    kReset = 9,
    kStatus = 10,
    kProfile = 14,
    kVersion = 18,
    kReceiverRgb = 21,
    kLongRange = 23,
    kBattery = 4,
};

// Sub-codes of type-8 answers.
enum AnswerCode : uint8_t {
    kFullOrRate = 0x00,
    kCurrentDpi = 0x04,
    kDpiLight = 0x4C,
    kLightBar = 0xA0,
};

// Bits of the status report's first data byte; positions equal the decoded flag indexes.
enum StatusBit : uint8_t {
    kStatusDpi = 1 << 0,
    kStatusRate = 1 << 1,
    kStatusReconnect = 1 << 2,
    kStatusDpiLight = 1 << 3,
    kStatusLightBar = 1 << 5,
    kStatusBattery = 1 << 6,
};
constexpr int kStatusDataSize = 10; // flags, reserved, key bytes 8 and 9
constexpr int kDpiLightDataSize = 8;
constexpr int kLightBarDataSize = 9;
constexpr int kLongRangeDataSize = 10;

// Full data carries the settings block, the advanced tail and the leading part of the macro area. The rest
// of the macro area travels in an extension transfer that the host keeps beside the report.
constexpr int kSettingsBlock = 1048; // record [0, 1048)
constexpr int kTailOffset = 10520;   // record [10520, 10544)
constexpr int kTailSize = 24;
constexpr int kMacroOffset = 1048;
constexpr int kMacroInReport = kFullDataSize - kSettingsBlock - kTailSize; // 5916 bytes of the macro area
constexpr int kExtensionOffset = kMacroOffset + kMacroInReport;            // record offset 6964
constexpr int kExtensionSize = kTailOffset - kExtensionOffset;             // 3556 bytes

void packFullData(const uint8_t* record, uint8_t* data);
// Fills the record parts the report carries; extension bytes are left as they are.
void unpackFullData(const uint8_t* data, uint8_t* record);

void packDpiLight(const uint8_t* recordAt154, uint8_t* data);
void unpackDpiLight(const uint8_t* data, uint8_t* recordAt154);
void packLightBar(const uint8_t* recordAt158, uint8_t* data);
void unpackLightBar(const uint8_t* data, uint8_t* recordAt158);

struct Run {
    int offset;
    int length;
};
// Maximal runs of differing bytes between two records.
std::vector<Run> diffRuns(const uint8_t* before, const uint8_t* after, int size);

inline int packetsFor(int bytes) {
    return bytes <= 0 ? 1 : (bytes + kPacketSize - 1) / kPacketSize;
}

} // namespace zf
