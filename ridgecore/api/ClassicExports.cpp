// The classic family: capture through Ridgeport included.
#include "api/SensorFlows.h"
#include "ridgecore.h"

int VD_Enroll(int iSelection, tagENROLL* pEnroll, unsigned char* pPreview, char* message, int* error) {
  using namespace ridgecore::api;
  return enrollFromSensor(ridgeportCapture(), iSelection, pEnroll, pPreview, message, error);
}

int VD_Compare(const unsigned char* buffer, int iUserCount, int iDataSize, int iHeaderSize, unsigned char* pPreview,
               int* index, int* score, char* message, int* error) {
  using namespace ridgecore::api;
  return compareFromSensor(ridgeportCapture(), buffer, iUserCount, iDataSize, iHeaderSize, pPreview, index, score,
                           message, error);
}
