#pragma once
/* The device library's C interface. Every device operation of the program goes through these
 * functions; any library exporting them with these types can replace ours. A device is named by its
 * path, a C string handed out by the finder calls. Functions returning int return 1 (or a count) on
 * success and 0 on failure unless stated; bad arguments (null or unknown paths, short or null buffers,
 * counts out of range) are failures, never crashes. */

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32)
#define HIDUSB_API __declspec(dllexport)
#else
#define HIDUSB_API __attribute__((visibility("default")))
#endif

/* Sizes of the buffers the program hands over. */
#define HIDUSB_RECORD_SIZE 10544      /* the configuration record */
#define HIDUSB_FULL_DATA_SIZE 6988    /* data of the full-data report */
#define HIDUSB_ATTRIBUTE_SIZE 12      /* UsbFinderC_GetUsbDeviceAttribute out: version in bytes 8-9 */
#define HIDUSB_DEVICE_INFO_SIZE 4     /* UsbFinderC_GetDeviceInfo out: CID, MID, connection kind */
#define HIDUSB_ONLINE_ADDRESS_SIZE 10 /* online answer: byte 6 = 1 online, bytes 7-9 receiver address */
#define HIDUSB_BATTERY_SIZE 2         /* level in percent, charging flag */
#define HIDUSB_STATUS_SIZE 7        /* change flags: DPI, rate, reconnect, DPI light, -, light bar, battery */
#define HIDUSB_DONGLE_RGB_SIZE 8    /* receiver status LED: byte 0 behaviour, 0 = none */
#define HIDUSB_DONGLE_BAR_SIZE 7    /* receiver light bar: effect, R, G, B, speed, brightness, on */
#define HIDUSB_DONGLE_LED_SIZE 3    /* receiver indicator LEDs: one mode byte each */
#define HIDUSB_ADJUST_SIZE 10       /* key calibration request */
#define HIDUSB_DONGLE_ID_SIZE 5     /* receiver id written into a cable-connected mouse */
#define HIDUSB_SLAVE_VERSION_SIZE 4 /* UsbFinderC_GetSlaveVersion out */

/* Called on a library thread for every report of a started service. header[1] is the report type,
 * header[3] a qualifier, header[4] a sub-code. Every library function may be called from inside. */
typedef void (*HidReportCallback)(const unsigned char* header, int headerLength, const unsigned char* data,
                                  int dataLength);
/* Called on a library thread after a USB arrival or removal. */
typedef void (*HidUsbChangedCallback)(void);
/* Upgrade progress, on a library thread: status[0] = 7; status[1] = 1 progress (status[2] percent),
 * status[1] = 2 end (status[2] = 1 done, anything else failed). */
typedef void (*HidUpgradeProgressCallback)(const unsigned char* status, int length);

/* Service: one device at a time gets reports through the callback. Starting again replaces it. */
HIDUSB_API int UsbServerC_Start(const char* path, const char* secondPath, HidReportCallback callback);
HIDUSB_API void UsbServer_SetPCDriverStatus(int active);
/* Stops the service; when it returns no report callback is running or will run. */
HIDUSB_API void UsbServer_Exit(void);
HIDUSB_API int StartUsbChanged(HidUsbChangedCallback callback, int periodMs);
/* When it returns no change callback is running or will run. */
HIDUSB_API void StopUsbChanged(void);

/* Finders: return an array of *count paths (owned by the library, valid until the next finder call
 * on any thread); *count is the capacity on entry (preset 5) and the number found on return. */
HIDUSB_API char** UsbFinderC_FindHidDevicesByDeviceId(const char* vid, const char* pid, int usage,
                                                      int maxCount, int* count);
HIDUSB_API char** UsbFinderC_FindHidDevicesByDefaultDeviceId(const char* vid, const char* pid, int* count);
HIDUSB_API int UsbFinderC_GetUsbDeviceAttribute(const char* path, unsigned char* attribute);
/* out[0] CID, out[1] MID, out[2] connection kind; all zero while the device is not ready. */
HIDUSB_API int UsbFinderC_GetDeviceInfo(unsigned char* out, const char* path, int flag);
HIDUSB_API int UsbFinderC_GetDeviceOnLine(const char* path);
HIDUSB_API int UsbFinderC_GetDeviceOnLineWithUsbAddress(const char* path, unsigned char* out);

/* Requests answered later as reports of the started service. */
HIDUSB_API int UsbServer_ReadAllFlashData(void);
HIDUSB_API int UsbServer_ReadBatteryLevel(void);
HIDUSB_API int UsbServer_ReadConfig(void);
HIDUSB_API int UsbServer_ReadVersion(void);
HIDUSB_API int UsbServer_ReadCurrentDPI(void);
HIDUSB_API int UsbServer_ReadReportRate(void);
HIDUSB_API int UsbServer_ReadDPILed(void);
HIDUSB_API int UsbServer_ReadLedBar(void);

/* Decoders of report data into the record or small out-buffers; data is read up to the report
 * shape's own length, so callers pass buffers at least that long. */
HIDUSB_API int ProtocolDataParser(const unsigned char* data, unsigned char* record);
HIDUSB_API int BufferToDPILed(const unsigned char* data, unsigned char* recordAt154);
HIDUSB_API int BufferToLedBar(const unsigned char* data, unsigned char* recordAt158);
HIDUSB_API int GetDeviceBatteryStatus(const unsigned char* data, unsigned char* battery);
HIDUSB_API int GetDeviceStatusChanged(const unsigned char* data, unsigned char* status);
/* Mouse firmware version, high byte major; 0 when unknown. */
HIDUSB_API unsigned short UsbFinderC_GetVersion(const char* path);

/* Record: the baseline, and sending what differs from it (then it is the new baseline). */
HIDUSB_API int SetDllProtocolData(const unsigned char* record);
HIDUSB_API int ProtocolDataUpdate(const unsigned char* record);

HIDUSB_API int UsbServer_SetCurrentConfig(int index);
HIDUSB_API int UsbServer_SetClearSetting(void);
HIDUSB_API int UsbServer_SetBatteryOptimizeEnable(int enable);
HIDUSB_API int UsbFinderC_SetLongRangeMode(const char* path, int on);
HIDUSB_API int UsbFinderC_GetLongRangeMode(const char* path, unsigned char* answer);
HIDUSB_API int UsbFinderC_StartAdjustMode(const char* path, const unsigned char* request, int start);

/* Receiver lights. */
HIDUSB_API int UsbFinderC_GetDongleRGBBarMode(const char* path, unsigned char* bar);
HIDUSB_API int UsbFinderC_SetDongleRGBBarMode(const char* path, const unsigned char* bar);
HIDUSB_API int UsbFinderC_GetDongleIndicatorLed(const char* path, unsigned char* leds);
HIDUSB_API int UsbFinderC_SetDongleIndicatorLed(const char* path, const unsigned char* leds);
HIDUSB_API int UsbFinderC_Get4KDongleRGBValue(const char* path, unsigned char* rgb);
HIDUSB_API int UsbFinderC_Set4KDongleRGB(const char* path, const unsigned char* rgb);

/* Pairing: reports arrive through the callback of the service started on the receiver. */
HIDUSB_API int UsbServer_EnterDonglePairOnlyCid(int cid);
HIDUSB_API int UsbServer_ReadDonglePairStatus(void);
HIDUSB_API int UsbFinderC_SetDongleIDToMouse(const char* path, const unsigned char* id);
HIDUSB_API int UsbFinderC_GetSlaveVersion(const char* path, unsigned char* out);

/* Firmware: the image is the whole file; a truncated or foreign image is refused. */
HIDUSB_API int UsbUpgradeC_FindBootDevices(const unsigned char* image, int imageLength, int* count);
HIDUSB_API int UsbUpgrade_Start(const unsigned char* image, int imageLength,
                                HidUpgradeProgressCallback callback, int timeoutMs);

/* Raw access. */
HIDUSB_API int UsbFinderC_OpenDevice(const char* path);
HIDUSB_API int UsbFinderC_ReadWriteDeviceData(const unsigned char* buffer, unsigned char* reply, int length);

#ifdef __cplusplus
}
#endif
