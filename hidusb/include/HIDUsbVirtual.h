#pragma once
/* Control of the virtual devices behind libHIDUsb.so, for tests and the zentrafox-mouse tool. Devices are
 * named as in the description file (default: "mouse0" behind "receiver0"). Functions return 1 on success and
 * 0 for an unknown name or a bad argument. Firmware events (button presses, battery, link changes) reach the
 * started service as status reports, as real hardware would send them. */

#include "HIDUsb.h"

#ifdef __cplusplus
extern "C" {
#endif

#define HIDVIRT_LINK_OFF 0      /* switched off, or its cable pulled */
#define HIDVIRT_LINK_CABLE 1    /* on the cable: found under the cable PID */
#define HIDVIRT_LINK_RECEIVER 2 /* wireless, answering through its receiver */

/* Forgets all device state held in memory and reads the description and state files again; 0 when the
 * description was unusable (the default pair is then used). */
HIDUSB_API int HidVirt_Reload(void);
/* Writes one line per device ("mouse NAME link=cable battery=80 ..." / "receiver NAME plugged=1 ...") into
 * buffer, NUL-terminated; returns the length the full text needs (without the NUL). */
HIDUSB_API int HidVirt_List(char* buffer, int size);
/* Plugs or unplugs a receiver, or a mouse's cable (a mouse unplugged from the cable is off). */
HIDUSB_API int HidVirt_Plug(const char* name, int plugged);
HIDUSB_API int HidVirt_SetLink(const char* mouse, int link);
/* The mouse's own buttons: next DPI level / next report rate; status report with the matching flag. */
HIDUSB_API int HidVirt_PressDpiButton(const char* mouse);
HIDUSB_API int HidVirt_PressRateButton(const char* mouse);
/* Holding the DPI button switches the DPI light to its next effect (off, steady, breathing); status report
 * with the DPI-light flag. */
HIDUSB_API int HidVirt_HoldDpiButton(const char* mouse);
/* Main keys during key calibration: side 0 left, 1 right. */
HIDUSB_API int HidVirt_PressKey(const char* mouse, int side, int down);
HIDUSB_API int HidVirt_SetBattery(const char* mouse, int level, int charging);
HIDUSB_API int HidVirt_FailNextPairing(void);
/* The next pairing never ends: the receiver keeps reporting that it is pairing. */
HIDUSB_API int HidVirt_HangNextPairing(void);
/* The next upgrade fails when its progress reaches percent (0-100). */
HIDUSB_API int HidVirt_FailNextUpgrade(int percent);
/* Link counters: reports from the device, bytes from the device, reports to it, bytes to it, packets. */
HIDUSB_API int HidVirt_GetCounters(unsigned long long* out5);
HIDUSB_API void HidVirt_ResetCounters(void);
/* Copies stored configuration `profile` (-1 = the active one) of a mouse: HIDUSB_RECORD_SIZE bytes. */
HIDUSB_API int HidVirt_ReadFlash(const char* mouse, int profile, unsigned char* out);
/* Mouse firmware version, 0 for an unknown name. */
HIDUSB_API int HidVirt_MouseVersion(const char* mouse);
/* Emulated link time per 64-byte packet in microseconds, overriding ZF_HIDUSB_PACKET_US; -1 goes back to
 * the environment (default 1000). */
HIDUSB_API int HidVirt_SetPacketTime(int microseconds);
/* Battery clock, in milliseconds per percent: a wireless mouse drains (ZF_HIDUSB_DRAIN_MS, default 60000),
 * one on its cable charges (ZF_HIDUSB_CHARGE_MS, default 6000); 0 holds the level, -1 goes back to the
 * environment. Every step sends a battery status report; an empty mouse stops answering. */
HIDUSB_API int HidVirt_SetBatteryTiming(int drainMsPerPercent, int chargeMsPerPercent);
/* The library hangs: from now on every device function (and every HidVirt_ function but this one) blocks
 * until `milliseconds` (1 to 600000) have passed, as a driver stuck in a call would. Returns at once. */
HIDUSB_API int HidVirt_Hang(int milliseconds);

#ifdef __cplusplus
}
#endif
