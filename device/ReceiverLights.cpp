#include "device/ReceiverLights.h"

#include "app/core/PostMsg.h"
#include "device/HidApi.h"
#include "device/LinkState.h"

namespace ReceiverLights {

namespace {
void offlineNotice() {
    if (!LinkFlags::anyPageLoading())
        PostMsg::instance()->SendMouseOffLineo(0);
}

// Online test, then the command on the selected path; a zero answer is a failure like silence.
template <typename Call> bool command(Call&& call) {
    const QByteArray path = SelectedDevice::pathLatin1();
    if (hid().UsbFinderC_GetDeviceOnLine(path.constData()) == 0 || call(path.constData()) == 0) {
        offlineNotice();
        return false;
    }
    return true;
}

// Reads go into a scratch buffer so that a failed read cannot leave half an answer in the caller's.
template <typename Buffer, typename Get> bool read(Buffer& out, Get get) {
    Buffer scratch = out;
    if (!command([&](const char* path) { return get(path, scratch.data()); }))
        return false;
    out = scratch;
    return true;
}
} // namespace

bool readBar(Bar& out) {
    return read(out, [](const char* p, uint8_t* b) { return hid().UsbFinderC_GetDongleRGBBarMode(p, b); });
}

bool readLeds(Leds& out) {
    return read(out, [](const char* p, uint8_t* b) { return hid().UsbFinderC_GetDongleIndicatorLed(p, b); });
}

bool readStatus(DongleRGB& out) {
    std::array<uint8_t, sizeof out.bytes> bytes;
    std::copy(std::begin(out.bytes), std::end(out.bytes), bytes.begin());
    if (!read(bytes, [](const char* p, uint8_t* b) { return hid().UsbFinderC_Get4KDongleRGBValue(p, b); }))
        return false;
    std::copy(bytes.begin(), bytes.end(), out.bytes);
    return true;
}

bool sendBar(const Bar& bar) {
    return command([&](const char* p) { return hid().UsbFinderC_SetDongleRGBBarMode(p, bar.data()); });
}

bool sendLeds(const Leds& leds) {
    return command([&](const char* p) { return hid().UsbFinderC_SetDongleIndicatorLed(p, leds.data()); });
}

bool sendStatus(const DongleRGB& value) {
    const DongleRGB copy = value;
    return command([&](const char* p) { return hid().UsbFinderC_Set4KDongleRGB(p, copy.bytes); });
}

} // namespace ReceiverLights
