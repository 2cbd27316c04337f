// Writes the firmware images named in a description file: an 856-byte header (version at 16, type at 20,
// CID 21, MID 22, whole length at 24, payload CRC-32 at 28, model name at 87) and a payload that
// depends on the name only, so a rebuild gives the same bytes.
//
//   fwimage DESCRIPTION OUTDIR

#include "hidusb/src/Crc32.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {
constexpr size_t kHeaderSize = 856;
constexpr size_t kNameOffset = 87;
constexpr size_t kNameSize = 64;

void put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + size_t(i)] = uint8_t(v >> (8 * i));
}

bool parseHex(const std::string& text, unsigned long max, unsigned long& out) {
    if (text.empty() || text.size() > 8)
        return false;
    char* end = nullptr;
    out = std::strtoul(text.c_str(), &end, 16);
    return end && *end == '\0' && out <= max;
}
} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: fwimage DESCRIPTION OUTDIR\n");
        return 2;
    }
    std::ifstream in(argv[1]);
    if (!in) {
        std::fprintf(stderr, "fwimage: cannot read %s\n", argv[1]);
        return 1;
    }
    std::string line;
    int lineNo = 0;
    while (std::getline(in, line)) {
        ++lineNo;
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream words(line);
        std::string file, type, name, cid, mid, version;
        unsigned long size = 0, c = 0, m = 0, v = 0;
        if (!(words >> file >> type >> name >> cid >> mid >> version >> size) || name.size() >= kNameSize ||
            (type != "mouse" && type != "receiver") || !parseHex(cid, 0xFF, c) || !parseHex(mid, 0xFF, m) ||
            !parseHex(version, 0xFFFF, v) || size <= kHeaderSize || size > (1u << 24) ||
            file.find('/') != std::string::npos) {
            std::fprintf(stderr, "%s:%d: bad image line\n", argv[1], lineNo);
            return 1;
        }
        std::vector<uint8_t> image(size, 0);
        image[16] = uint8_t(v);
        image[17] = uint8_t(v >> 8);
        image[20] = type == "mouse" ? 0xD3 : 0xD2;
        image[21] = uint8_t(c);
        image[22] = uint8_t(m);
        put32(image, 24, uint32_t(size));
        std::memcpy(&image[kNameOffset], name.data(), name.size());
        uint32_t state = zf::crc32(reinterpret_cast<const uint8_t*>(name.data()), name.size()) | 1u;
        for (size_t i = kHeaderSize; i < size; ++i) { // xorshift32: filler that is not all one byte
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            image[i] = uint8_t(state);
        }
        put32(image, 28, zf::crc32(image.data() + kHeaderSize, size - kHeaderSize));
        const std::string path = std::string(argv[2]) + "/" + file;
        const std::string temp = path + ".part";
        {
            std::ofstream out(temp, std::ios::binary | std::ios::trunc);
            out.write(reinterpret_cast<const char*>(image.data()), std::streamsize(image.size()));
            if (!out.flush()) {
                std::fprintf(stderr, "fwimage: cannot write %s\n", temp.c_str());
                return 1;
            }
        }
        if (std::rename(temp.c_str(), path.c_str()) != 0) {
            std::fprintf(stderr, "fwimage: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
