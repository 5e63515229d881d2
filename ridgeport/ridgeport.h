/*
 * Ridgeport: access to the USB fingerprint sensor.
 *
 * Every function returns 1 when it did its job and 0 on failure, and takes a
 * caller's message buffer and an error code as its last two arguments: on
 * success the message is "Veradynics" and the code 0; on failure a text and a
 * negative code. Message buffers must hold at least 256 bytes; a null message
 * or error pointer is not written, a null image or output buffer is refused
 * with code -1.
 *
 * The library is not reentrant: callers serialise all calls. Only one program
 * at a time uses the sensor (a lock in the runtime folder keeps others off).
 *
 * Export ordinals of the original platform, kept for reference (ELF binds by
 * name; Ridgecore uses 6 and 13):
 *    1 VD_OpenSensor          8 VD_GetDeviceDiscriptor
 *    2 VD_CloseSensor         9 VD_OnReadCMOS
 *    3 VD_SetSensorGain      10 VD_OnWriteCMOS
 *    4 VD_GetSensorGain      11 VD_GetDllVersion
 *    5 VD_GetImage           12 VD_DetectFinger
 *    6 VD_GetWholeImage      13 VD_DetectWholeFinger
 *    7 VD_GetRawImage
 */
#ifndef RIDGEPORT_H
#define RIDGEPORT_H

#if defined(RIDGEPORT_BUILD)
#define RIDGEPORT_API __attribute__((visibility("default")))
#else
#define RIDGEPORT_API
#endif

#define RIDGEPORT_IMAGE_WIDTH 300
#define RIDGEPORT_IMAGE_HEIGHT 300
#define RIDGEPORT_IMAGE_SIZE 90000   /* VD_GetWholeImage */
#define RIDGEPORT_PREVIEW_SIZE 10000 /* VD_GetImage: 100 x 100 */
#define RIDGEPORT_RAW_WIDTH 384
#define RIDGEPORT_RAW_HEIGHT 300
#define RIDGEPORT_RAW_SIZE 115200 /* VD_GetRawImage */
#define RIDGEPORT_DESCRIPTOR_SIZE 18

#ifdef __cplusplus
extern "C" {
#endif

RIDGEPORT_API int VD_OpenSensor(char* message, int* error);
RIDGEPORT_API int VD_CloseSensor(char* message, int* error);
RIDGEPORT_API int VD_SetSensorGain(int gain, char* message, int* error);
RIDGEPORT_API int VD_GetSensorGain(int* gain, char* message, int* error);
RIDGEPORT_API int VD_GetImage(unsigned char* image, char* message, int* error);
RIDGEPORT_API int VD_GetWholeImage(unsigned char* image, char* message, int* error);
RIDGEPORT_API int VD_GetRawImage(unsigned char* frame, char* message, int* error);
RIDGEPORT_API int VD_GetDeviceDiscriptor(unsigned char* descriptor, char* message, int* error);
RIDGEPORT_API int VD_OnReadCMOS(int reg, unsigned char* value, char* message, int* error);
RIDGEPORT_API int VD_OnWriteCMOS(int reg, int value, char* message, int* error);
RIDGEPORT_API int VD_GetDllVersion(int* version);
RIDGEPORT_API int VD_DetectFinger(const unsigned char* image, int* present, char* message, int* error);
RIDGEPORT_API int VD_DetectWholeFinger(const unsigned char* image, int* present, char* message, int* error);

#ifdef __cplusplus
}
#endif

#endif /* RIDGEPORT_H */
