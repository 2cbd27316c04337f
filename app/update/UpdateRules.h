#pragma once
// The update check's rules without network: the installer file names in a directory listing, the
// version order, the addresses asked, and the published checksum.
#include <QByteArray>
#include <QString>
#include <QUrl>

namespace UpdateRules {

// "Zentrafox_v<a.b.c.d>_<x.y.z>_setup.exe", case-insensitive; group 1 is the application version.
QString fileNamePattern();

// True when `candidate` is strictly newer: dotted parts compared as decimal numbers, empty parts dropped,
// missing or non-numeric parts counting 0 (1.0.2 equals 1.0.2.0; 1.0.10.0 is newer than 1.0.9.9).
bool isNewerVersion(const QString& current, const QString& candidate);

struct Listing {
    QString version;
    QString fileName;
    bool empty() const { return version.isEmpty() || fileName.isEmpty(); }
};
// The newest installer named in a listing body (UTF-8); on equal versions the first one stays.
Listing parseListing(const QByteArray& body);

// base + "/": the listing; base + "/" + file name: the installer; + ".sha256": its checksum.
QUrl listingUrl(const QString& base);
QUrl fileUrl(const QString& base, const QString& fileName);
QUrl checksumUrl(const QString& base, const QString& fileName);
// Only the listing may come over plain HTTP: what is run must come over HTTPS.
bool secureForDownload(const QUrl& url);

// The SHA-256 digest (32 bytes) of a checksum file: 64 hexadecimal digits, optionally followed by the
// file name as sha256sum writes it ("<hex>  name" or "<hex> *name"), which must then be `fileName`.
// Empty for anything else.
QByteArray parseChecksum(const QByteArray& body, const QString& fileName);

// Listing and checksum bodies larger than this are refused unread.
constexpr qint64 kMaxListingBytes = 4 * 1024 * 1024;
constexpr qint64 kMaxChecksumBytes = 4096;

} // namespace UpdateRules
