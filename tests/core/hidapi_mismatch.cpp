// Must not compile: a loader row whose type differs from the header's (the header returns void).
#include "device/HidApi.h"

ZF_HID_CHECK(int, UsbServer_Exit, (void))
