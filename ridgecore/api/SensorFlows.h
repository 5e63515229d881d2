#pragma once

#include <cstdint>

#include "api/Capture.h"
#include "ridgecore.h"

// VD_Enroll and VD_Compare with the capture device as an argument.
namespace ridgecore::api {

int enrollFromSensor(const CaptureDevice& device, int iSelection, tagENROLL* pEnroll, unsigned char* pPreview,
                     char* message, int* error);

int compareFromSensor(const CaptureDevice& device, const unsigned char* buffer, int iUserCount, int iDataSize,
                      int iHeaderSize, unsigned char* pPreview, int* index, int* score, char* message, int* error);

}  // namespace ridgecore::api
