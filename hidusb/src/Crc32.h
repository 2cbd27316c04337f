#pragma once
// CRC-32 (IEEE 802.3, reflected, as zlib) of firmware image payloads: the library checks it before a
// flash takes, tools/fwimage writes it into the images it builds. Header-only, so the tool shares it
// without linking the library.
#include <cstddef>
#include <cstdint>

namespace zf {

inline uint32_t crc32(const uint8_t* data, size_t length) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < length; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

} // namespace zf
