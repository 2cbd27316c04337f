#include "device/ReceiverLights.h"

#include "app/core/PostMsg.h"
#include "device/DeviceSession.h"
#include "device/HidApi.h"
#include "device/LinkState.h"

namespace ReceiverLights {

namespace {
void offlineNotice() {
    if (!LinkFlags::anyPageLoading())
        PostMsg::instance()->SendMouseOffLineo(0);
}

// Online test, then the command on the selected path; a zero answer, or none in time, is a failure like
// silence. `buffer` travels with the call (it may end after its caller gave up) and comes back filled.
template <typename Buffer, typename Call> bool command(Buffer& buffer, Call call) {
    const QByteArray path = SelectedDevice::pathLatin1();
    struct Answer {
        bool ok = false;
        Buffer bytes;
    };
    Answer answer{false, buffer};
    const bool ended = DeviceSession::askFor(answer, [path, call, answer]() mutable {
        answer.ok = hid().UsbFinderC_GetDeviceOnLine(path.constData()) != 0 &&
                    call(path.constData(), answer.bytes) != 0;
        return answer;
    });
    if (!ended || !answer.ok) {
        offlineNotice();
        return false;
    }
    buffer = answer.bytes;
    return true;
}
} // namespace

bool readBar(Bar& out) {
    return command(out,
                   [](const char* p, Bar& b) { return hid().UsbFinderC_GetDongleRGBBarMode(p, b.data()); });
}

bool readLeds(Leds& out) {
    return command(
        out, [](const char* p, Leds& b) { return hid().UsbFinderC_GetDongleIndicatorLed(p, b.data()); });
}

bool readStatus(DongleRGB& out) {
    return command(
        out, [](const char* p, DongleRGB& b) { return hid().UsbFinderC_Get4KDongleRGBValue(p, b.bytes); });
}

bool sendBar(const Bar& bar) {
    Bar copy = bar;
    return command(copy,
                   [](const char* p, Bar& b) { return hid().UsbFinderC_SetDongleRGBBarMode(p, b.data()); });
}

bool sendLeds(const Leds& leds) {
    Leds copy = leds;
    return command(
        copy, [](const char* p, Leds& b) { return hid().UsbFinderC_SetDongleIndicatorLed(p, b.data()); });
}

bool sendStatus(const DongleRGB& value) {
    DongleRGB copy = value;
    return command(copy,
                   [](const char* p, DongleRGB& b) { return hid().UsbFinderC_Set4KDongleRGB(p, b.bytes); });
}

} // namespace ReceiverLights
