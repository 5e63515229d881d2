// Security level, algorithm version and resolution of classic and fast templates.
#include "api/TemplateAccessors.h"
#include "ridgecore.h"

using namespace ridgecore::api;

namespace {
uint8_t* bytes(void* t) { return static_cast<uint8_t*>(t); }
const uint8_t* bytes(const void* t) { return static_cast<const uint8_t*>(t); }
}  // namespace

int VD_SetSecurityLevel(tagENROLL* pEnroll, int iSecurityLevel, char* message, int* error) {
  Reply reply(message, error);
  return TemplateAccessor(TemplateKind::Classic, "VD_SetSecurityLevel", reply)
      .setSecurityLevel(bytes(pEnroll), iSecurityLevel);
}

int VD_GetSecurityLevel(const tagENROLL* pEnroll, int* level, char* message, int* error) {
  Reply reply(message, error);
  return TemplateAccessor(TemplateKind::Classic, "VD_GetSecurityLevel", reply).securityLevel(bytes(pEnroll), level);
}

int VD_GetAlgoVer(const tagENROLL* pEnroll, int* version, char* versionText, char* message, int* error) {
  Reply reply(message, error);
  return TemplateAccessor(TemplateKind::Classic, "VD_GetAlgoVer", reply)
      .algorithmVersion(bytes(pEnroll), version, versionText);
}

int VD_GetDPIInfo(const tagENROLL* pEnroll, int* dpi, char* message, int* error) {
  Reply reply(message, error);
  return TemplateAccessor(TemplateKind::Classic, "VD_GetDPIInfo", reply).resolution(bytes(pEnroll), dpi);
}

int VD_FAST_SetSecurityLevel(tagFASTENROLL* pEnroll, int iSecurityLevel, char* message, int* error) {
  Reply reply(message, error);
  return TemplateAccessor(TemplateKind::Fast, "S_F_SSL", reply).setSecurityLevel(bytes(pEnroll), iSecurityLevel);
}

int VD_FAST_GetSecurityLevel(const tagFASTENROLL* pEnroll, int* level, char* message, int* error) {
  Reply reply(message, error);
  return TemplateAccessor(TemplateKind::Fast, "S_F_GSL", reply).securityLevel(bytes(pEnroll), level);
}

int VD_FAST_GetAlgoVer(const tagFASTENROLL* pEnroll, int* version, char* versionText, char* message, int* error) {
  Reply reply(message, error);
  return TemplateAccessor(TemplateKind::Fast, "S_F_GAV", reply).algorithmVersion(bytes(pEnroll), version, versionText);
}

int VD_FAST_GetDPIInfo(const tagFASTENROLL* pEnroll, int* dpi, char* message, int* error) {
  Reply reply(message, error);
  return TemplateAccessor(TemplateKind::Fast, "S_F_GDI", reply).resolution(bytes(pEnroll), dpi);
}
