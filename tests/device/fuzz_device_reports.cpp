// Fuzz target for the report handler with the real device library's decoders behind it. Input: the first
// byte is the header length (0-8), then the header (byte 1 type, 3 qualifier, 4 sub-code), then the data.
// The handler must keep every read inside what it was handed.
#include "app/core/PostMsg.h"
#include "device/HidApi.h"
#include "device/LinkState.h"
#include "device/Worker.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {
QTemporaryDir* g_dir = nullptr;
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    g_dir = new QTemporaryDir; // kept for the whole run
    const QByteArray dir = g_dir->path().toLocal8Bit();
    qputenv("HOME", dir);
    qputenv("ZF_APP_DIR", dir);
    qputenv("ZF_HIDUSB_DEVICES", ZF_DEVICES_FILE);
    qputenv("ZF_HIDUSB_STATE_DIR", dir + "/state");
    qputenv("ZF_HIDUSB_SOCKET", "none");
    qputenv("ZF_HIDUSB_PACKET_US", "0");
    // News goes out on the hub's thread, so every emission is delivered directly.
    new QCoreApplication(*argc, *argv);
    if (!HidLibrary::load(QStringLiteral(ZF_HIDUSB_LIBRARY))) {
        std::fprintf(stderr, "cannot load the device library: %s\n", qPrintable(HidLibrary::errorText()));
        std::exit(1);
    }
    DeviceAllInfo info;
    info.path = QStringLiteral("/virtual/fuzz");
    info.kind = 1;
    SelectedDevice::set(info);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const int headerLength = std::min<int>(data[0] % 9, int(size) - 1);
    // Exact-size copies: a read past either shows under the address sanitizer.
    std::unique_ptr<uint8_t[]> header(new uint8_t[size_t(headerLength)]);
    std::memcpy(header.get(), data + 1, size_t(headerLength));
    const size_t dataLength = size - 1 - size_t(headerLength);
    std::unique_ptr<uint8_t[]> body(new uint8_t[dataLength]);
    std::memcpy(body.get(), data + 1 + headerLength, dataLength);
    DeviceReports::handleReport(headerLength ? header.get() : nullptr, headerLength,
                                dataLength ? body.get() : nullptr, int(dataLength));
    return 0;
}
