#pragma once
// Firmware images in the program's "/bin" folder: "*.bin" files whose 856-byte header names the image
// type, the model's CID and MID, its name and its version.

#include <QByteArray>
#include <QString>
#include <cstdint>

namespace FirmwareImage {
constexpr uint8_t kMouseImage = 211;
constexpr uint8_t kReceiverImage = 210;
constexpr int kHeaderSize = 856;
constexpr int kNameOffset = 87;
constexpr int kNameSize = 64;

struct Header {
    uint8_t type = 0;
    uint8_t cid = 0;
    uint8_t mid = 0;
    uint16_t version = 0; // high byte major, low byte minor
    QString name;         // model name, read within its 64 bytes up to the first NUL
};

// False for anything shorter than the header; no field is read before that check.
bool parseHeader(const QByteArray& image, Header& out);
// "1.06": major in decimal, minor as two upper-case hexadecimal digits (no "v").
QString versionText(uint16_t version);
// "v1.06" and "1.06" alike; an empty text stays empty.
QString normalisedVersion(const QString& version);

QString folder(); // the program's "/bin"
// The last file in listing order (sorted by name) whose header has the type, CID, MID and model name and
// whose version differs from `currentVersion` ("v1.05" or "1.05"; any version when it is empty). Empty
// when there is none, no folder, or no model name.
QString find(uint8_t type, const QString& modelName, uint8_t cid, uint8_t mid, const QString& currentVersion);

struct Image {
    QString path;
    QByteArray data; // the whole file: what the library receives
    Header header;
    bool isNull() const { return data.isEmpty(); }
};
// find() and the file's bytes; null when there is none or it cannot be read again.
Image load(uint8_t type, const QString& modelName, uint8_t cid, uint8_t mid, const QString& currentVersion);
} // namespace FirmwareImage
