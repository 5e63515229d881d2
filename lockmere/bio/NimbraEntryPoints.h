#pragma once

#include "ridgecore/ridgecore.h"
#include "ridgeport/ridgeport.h"

namespace bio {

// The 15 exports the program binds, as function pointers: 6 of the algorithm
// library, 9 of the sensor library. Empty where a library lacks the name.
struct NimbraTable {
  decltype(&::VD_Enroll) enroll = nullptr;
  decltype(&::VD_Compare) compare = nullptr;
  decltype(&::VD_SetSecurityLevel) setSecurityLevel = nullptr;
  decltype(&::VD_GetSecurityLevel) getSecurityLevel = nullptr;
  decltype(&::VD_GetAlgoVer) getAlgoVer = nullptr;
  decltype(&::VD_GetDPIInfo) getDpiInfo = nullptr;
  decltype(&::VD_OpenSensor) openSensor = nullptr;
  decltype(&::VD_CloseSensor) closeSensor = nullptr;
  decltype(&::VD_SetSensorGain) setSensorGain = nullptr;
  decltype(&::VD_GetSensorGain) getSensorGain = nullptr;
  decltype(&::VD_GetImage) getImage = nullptr;
  decltype(&::VD_DetectFinger) detectFinger = nullptr;
  decltype(&::VD_GetWholeImage) getWholeImage = nullptr;
  decltype(&::VD_DetectWholeFinger) detectWholeFinger = nullptr;
  decltype(&::VD_GetDllVersion) getDllVersion = nullptr;
};

// One method per export, under the export's name and with its arguments in the
// library's order. Self provides invoke(slot, name, arguments...), which calls
// the table entry or throws NimbraError.
template <class Self>
class NimbraEntryPoints {
 public:
  // Ridgecore.
  int VD_Enroll(int iSelection, tagENROLL* pEnroll, unsigned char* pPreview, char* message, int* error) const {
    return self().invoke(&NimbraTable::enroll, "VD_Enroll", iSelection, pEnroll, pPreview, message, error);
  }
  int VD_Compare(const unsigned char* buffer, int iUserCount, int iDataSize, int iHeaderSize, unsigned char* pPreview,
                 int* index, int* score, char* message, int* error) const {
    return self().invoke(&NimbraTable::compare, "VD_Compare", buffer, iUserCount, iDataSize, iHeaderSize, pPreview,
                         index, score, message, error);
  }
  int VD_SetSecurityLevel(tagENROLL* pEnroll, int iSecurityLevel, char* message, int* error) const {
    return self().invoke(&NimbraTable::setSecurityLevel, "VD_SetSecurityLevel", pEnroll, iSecurityLevel, message,
                         error);
  }
  int VD_GetSecurityLevel(const tagENROLL* pEnroll, int* level, char* message, int* error) const {
    return self().invoke(&NimbraTable::getSecurityLevel, "VD_GetSecurityLevel", pEnroll, level, message, error);
  }
  int VD_GetAlgoVer(const tagENROLL* pEnroll, int* version, char* versionText, char* message, int* error) const {
    return self().invoke(&NimbraTable::getAlgoVer, "VD_GetAlgoVer", pEnroll, version, versionText, message, error);
  }
  int VD_GetDPIInfo(const tagENROLL* pEnroll, int* dpi, char* message, int* error) const {
    return self().invoke(&NimbraTable::getDpiInfo, "VD_GetDPIInfo", pEnroll, dpi, message, error);
  }

  // Ridgeport.
  int VD_OpenSensor(char* message, int* error) const {
    return self().invoke(&NimbraTable::openSensor, "VD_OpenSensor", message, error);
  }
  int VD_CloseSensor(char* message, int* error) const {
    return self().invoke(&NimbraTable::closeSensor, "VD_CloseSensor", message, error);
  }
  int VD_SetSensorGain(int gain, char* message, int* error) const {
    return self().invoke(&NimbraTable::setSensorGain, "VD_SetSensorGain", gain, message, error);
  }
  int VD_GetSensorGain(int* gain, char* message, int* error) const {
    return self().invoke(&NimbraTable::getSensorGain, "VD_GetSensorGain", gain, message, error);
  }
  int VD_GetImage(unsigned char* image, char* message, int* error) const {
    return self().invoke(&NimbraTable::getImage, "VD_GetImage", image, message, error);
  }
  int VD_DetectFinger(const unsigned char* image, int* present, char* message, int* error) const {
    return self().invoke(&NimbraTable::detectFinger, "VD_DetectFinger", image, present, message, error);
  }
  int VD_GetWholeImage(unsigned char* image, char* message, int* error) const {
    return self().invoke(&NimbraTable::getWholeImage, "VD_GetWholeImage", image, message, error);
  }
  int VD_DetectWholeFinger(const unsigned char* image, int* present, char* message, int* error) const {
    return self().invoke(&NimbraTable::detectWholeFinger, "VD_DetectWholeFinger", image, present, message, error);
  }
  int VD_GetDllVersion(int* version) const {
    return self().invoke(&NimbraTable::getDllVersion, "VD_GetDllVersion", version);
  }

 private:
  const Self& self() const { return static_cast<const Self&>(*this); }
};

}  // namespace bio
