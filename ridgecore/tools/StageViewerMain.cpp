// ridgecore-inspect [--invert] IMAGE OUTDIR: runs one extraction, writes a PNG
// of every stage into OUTDIR and prints the minutiae.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "extract/ExtractFeatures.h"
#include "tools/GreyImageFile.h"
#include "tools/StagePictures.h"

int main(int argc, char** argv) {
  bool invert = false;
  int arg = 1;
  if (arg < argc && std::strcmp(argv[arg], "--invert") == 0) {
    invert = true;
    ++arg;
  }
  if (argc - arg != 2) {
    std::fprintf(stderr,
                 "usage: ridgecore-inspect [--invert] IMAGE OUTDIR\n"
                 "  IMAGE: 300 x 300 binary PGM or raw 90000-byte file, ridges bright as the sensor\n"
                 "         delivers them (--invert for dark-ridge images such as the sample sets)\n");
    return 2;
  }
  std::vector<uint8_t> image;
  std::string error;
  if (!ridgecore::tools::readGreyImage(argv[arg], image, error)) {
    std::fprintf(stderr, "ridgecore-inspect: %s\n", error.c_str());
    return 1;
  }
  if (invert) ridgecore::tools::invertImage(image);

  ridgecore::tools::StagePictures pictures(image);
  tagFDATA record;
  std::memset(&record, 0, sizeof record);
  char message[256] = "";
  const int result = ridgecore::extractFeatures(image.data(), record, message, &pictures);
  if (result == ridgecore::kExtracted) pictures.addMinutiae(record);

  QString failed;
  if (!pictures.save(QString::fromLocal8Bit(argv[arg + 1]), failed)) {
    std::fprintf(stderr, "ridgecore-inspect: cannot write %s\n", failed.toLocal8Bit().constData());
    return 1;
  }
  if (result != ridgecore::kExtracted) {
    std::printf("extraction failed (%d): %s\n", result, message);
    return 3;
  }
  std::printf("%d minutiae\n  #  type         x    y  dir  degrees\n", record.count);
  for (int k = 0; k < record.count; ++k) {
    const tagFMINUTIA& m = record.minutiae[k];
    const int d = m.typeDir >> 1;
    std::printf("%3d  %-11s %4d %4d  %3d  %5.1f\n", k, (m.typeDir & 1) ? "bifurcation" : "ending", m.x * 2, m.y * 2, d,
                d * 360.0 / 128);
  }
  return 0;
}
