#include "Protocol.h"

#include <cstring>

namespace zf {

void packFullData(const uint8_t* record, uint8_t* data) {
    std::memcpy(data, record, kSettingsBlock);
    std::memcpy(data + kSettingsBlock, record + kTailOffset, kTailSize);
    std::memcpy(data + kSettingsBlock + kTailSize, record + kMacroOffset, kMacroInReport);
}

void unpackFullData(const uint8_t* data, uint8_t* record) {
    std::memcpy(record, data, kSettingsBlock);
    std::memcpy(record + kTailOffset, data + kSettingsBlock, kTailSize);
    std::memcpy(record + kMacroOffset, data + kSettingsBlock + kTailSize, kMacroInReport);
}

// DPI light on the wire: on, effect, brightness, speed, four reserved bytes.
void packDpiLight(const uint8_t* r, uint8_t* d) {
    std::memset(d, 0, kDpiLightDataSize);
    d[0] = r[3];
    d[1] = r[0];
    d[2] = r[1];
    d[3] = r[2];
}

void unpackDpiLight(const uint8_t* d, uint8_t* r) {
    r[0] = d[1];
    r[1] = d[2];
    r[2] = d[3];
    r[3] = d[0] ? 1 : 0;
}

// Light bar on the wire: on, effect, red, green, blue, speed, brightness, two reserved bytes.
void packLightBar(const uint8_t* r, uint8_t* d) {
    std::memset(d, 0, kLightBarDataSize);
    d[0] = r[6];
    d[1] = r[0];
    std::memcpy(d + 2, r + 1, 3);
    d[5] = r[4];
    d[6] = r[5];
}

void unpackLightBar(const uint8_t* d, uint8_t* r) {
    r[0] = d[1];
    std::memcpy(r + 1, d + 2, 3);
    r[4] = d[5];
    r[5] = d[6];
    r[6] = d[0] ? 1 : 0;
}

std::vector<Run> diffRuns(const uint8_t* before, const uint8_t* after, int size) {
    std::vector<Run> runs;
    int i = 0;
    while (i < size) {
        if (before[i] == after[i]) {
            ++i;
            continue;
        }
        int start = i;
        while (i < size && before[i] != after[i])
            ++i;
        runs.push_back({start, i - start});
    }
    return runs;
}

} // namespace zf
