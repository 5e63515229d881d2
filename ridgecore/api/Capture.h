#pragma once

#include <cstdint>

#include "api/Reply.h"

// Capture through the sensor library, for VD_Enroll and VD_Compare. The two
// sensor functions come in as pointers so that the library binds Ridgeport's
// exports (RidgeportCapture.cpp) while tests of the flow can hand in others.
namespace ridgecore::api {

struct CaptureDevice {
  int (*getWholeImage)(unsigned char* image, char* message, int* error);
  int (*detectWholeFinger)(const unsigned char* image, int* present, char* message, int* error);
};

// Ridgeport's VD_GetWholeImage and VD_DetectWholeFinger (only in libRidgecore.so).
const CaptureDevice& ridgeportCapture();

// Rows and columns 100..199 of a 300 x 300 image.
void copyPreviewWindow(const uint8_t* image, uint8_t* preview);

// Captures a 300 x 300 image into `image` and its preview window into
// `preview`. Sensor failures keep the sensor library's code and text; no
// finger gives -7 "(tag) Please input your fingerprint!"; a null preview -1.
bool captureImage(const CaptureDevice& device, uint8_t* image, uint8_t* preview, const char* tag, Reply& reply);

}  // namespace ridgecore::api
