// ridgeport-capture: opens the sensor through libRidgeport.so, captures one
// image and writes it as a PGM, with the library's codes and the finger
// detection's verdict. For looking at what the library delivers.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "ridgeport.h"

namespace {

int usage() {
  std::fputs(
      "usage: ridgeport-capture [--whole | --preview | --raw] OUT.pgm\n"
      "  --whole    300 x 300 corrected image (default)\n"
      "  --preview  100 x 100 centre of the corrected frame\n"
      "  --raw      384 x 300 frame as the sensor sent it\n",
      stderr);
  return 2;
}

bool writePgm(const std::string& path, const std::vector<unsigned char>& pixels, int width, int height) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  std::fprintf(f, "P5\n%d %d\n255\n", width, height);
  const bool ok = std::fwrite(pixels.data(), 1, pixels.size(), f) == pixels.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
  std::string kind = "--whole", path;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--whole" || arg == "--preview" || arg == "--raw")
      kind = arg;
    else if (path.empty() && arg[0] != '-')
      path = arg;
    else
      return usage();
  }
  if (path.empty()) return usage();

  char message[256];
  int error = 0;
  if (VD_OpenSensor(message, &error) != 1) {
    std::fprintf(stderr, "VD_OpenSensor: %d %s\n", error, message);
    return 1;
  }
  int width = 300, height = 300, result = 0;
  std::vector<unsigned char> image;
  if (kind == "--raw") {
    width = RIDGEPORT_RAW_WIDTH;
    image.resize(RIDGEPORT_RAW_SIZE);
    result = VD_GetRawImage(image.data(), message, &error);
  } else if (kind == "--preview") {
    width = height = 100;
    image.resize(RIDGEPORT_PREVIEW_SIZE);
    result = VD_GetImage(image.data(), message, &error);
  } else {
    image.resize(RIDGEPORT_IMAGE_SIZE);
    result = VD_GetWholeImage(image.data(), message, &error);
  }
  std::printf("capture: result %d, error %d, \"%s\"\n", result, error, message);
  if (result == 1 && kind != "--raw") {
    int present = 0;
    if (kind == "--preview")
      VD_DetectFinger(image.data(), &present, message, &error);
    else
      VD_DetectWholeFinger(image.data(), &present, message, &error);
    std::printf("finger: %s\n", present ? "present" : "absent");
  }
  VD_CloseSensor(message, &error);
  if (result != 1) return 1;
  if (!writePgm(path, image, width, height)) {
    std::fprintf(stderr, "%s: cannot write: %s\n", path.c_str(), std::strerror(errno));
    return 1;
  }
  return 0;
}
