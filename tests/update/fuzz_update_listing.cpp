// Fuzz target for what the update server sends back: the directory listing and the checksum file. The
// chosen installer must be a name the pattern matches and no listed version may be newer than it.
#include "app/update/UpdateRules.h"

#include <QRegularExpression>

#include <cstdio>
#include <cstdlib>

static void check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "broken: %s\n", what);
        std::abort();
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray body(reinterpret_cast<const char*>(data), int(size));
    const UpdateRules::Listing kept = UpdateRules::parseListing(body);
    if (!kept.empty()) {
        static const QRegularExpression whole("^" + UpdateRules::fileNamePattern() + "$",
                                              QRegularExpression::CaseInsensitiveOption);
        check(whole.match(kept.fileName).hasMatch(), "kept name matches the pattern");
        check(!UpdateRules::isNewerVersion(kept.version, kept.version), "a version is not newer than itself");
    }
    const QByteArray digest = UpdateRules::parseChecksum(body, kept.fileName);
    check(digest.isEmpty() || digest.size() == 32, "a digest is 32 bytes");
    const QStringList halves = QString::fromUtf8(body).split('|');
    if (halves.size() == 2) {
        const bool ab = UpdateRules::isNewerVersion(halves[0], halves[1]);
        const bool ba = UpdateRules::isNewerVersion(halves[1], halves[0]);
        check(!(ab && ba), "the version order is antisymmetric");
    }
    return 0;
}
