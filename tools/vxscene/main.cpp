// vxscene: the scene authors' and the tests' tool for scene packages.
//
//   vxscene pack [--stub EXE] --out FILE DIR   package a scene folder (behind EXE when given)
//   vxscene unpack FILE DIR                    extract a package as the saver does
//   vxscene list FILE                          the entries of a package
//   vxscene info [--json] FILE                 what a package or project file holds
//   vxscene render FILE --out DIR [...]        frames of a scene on simulated time
//   vxscene gif-frames FILE --out DIR [...]    the paintings of a GIF object's player
//   vxscene sample --out DIR                   write a small sample scene folder
//   vxscene demo --out DIR                     write a full-size demo scene folder
//   vxscene wav FILE.wav                       what the sound reader sees in a WAV file
//   vxscene preview FILE --size WxH --out PNG  the picture of the system's small preview
//   vxscene extract FILE DIR                   open a scene into a folder of plain files
//   vxscene build DIR --out FILE [--stub EXE]  make such a folder into a scene saver
//   vxscene new DIR --background PICTURE       a folder to start a scene from
#include <cstdio>
#include <exception>
#include <string>

#include "Commands.h"

namespace {

constexpr const char* kUsage =
    "usage: vxscene pack [--stub EXE] --out FILE DIR\n"
    "       vxscene unpack FILE DIR\n"
    "       vxscene list FILE\n"
    "       vxscene info [--json] FILE\n"
    "       vxscene render FILE --out DIR [--frames N] [--frame-ms MS] [--seed S] [--time HH:MM:SS]\n"
    "                      [--size WxH --stretch [--proportional]] [--speed PERCENT]\n"
    "                      [--clock [--clock-pos 0..3]] [--no-weather] [--gif FILE [--gif-width W]]\n"
    "                      [--sound-log FILE.json]  (the sounds draw from the objects' random numbers,\n"
    "                      as in the saver, so frames with a sound log can differ from frames without)\n"
    "       vxscene gif-frames FILE.gif --out DIR [--anim-speed N] [--no-transparent]\n"
    "                      [--transparent-type T] [--transparent-color C] [--refresh-frame]\n"
    "                      (a GIF of one frame lists its one painting, at time 0)\n"
    "       vxscene sample --out DIR\n"
    "       vxscene demo --out DIR\n"
    "       vxscene wav FILE.wav\n"
    "       vxscene preview FILE --size WxH --out FILE.png\n"
    "       vxscene new DIR --background PICTURE       (a scene folder to start from)\n"
    "       vxscene extract FILE DIR                   (a scene saver or project file as a scene folder)\n"
    "       vxscene build DIR --out FILE [--stub EXE]  (a scene folder made into a scene saver)\n";

}  // namespace

int main(int argc, char** argv) {
  using namespace lumora::tools;
  if (argc < 2) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  const std::string command = argv[1];
  const Arguments args(argv + 2, argv + argc);
  try {
    if (command == "pack") return RunPack(args);
    if (command == "unpack") return RunUnpack(args);
    if (command == "list") return RunList(args);
    if (command == "info") return RunInfo(args);
    if (command == "render") return RunRender(args);
    if (command == "gif-frames") return RunGifFrames(args);
    if (command == "sample") return RunSample(args);
    if (command == "demo") return RunDemo(args);
    if (command == "wav") return RunWav(args);
    if (command == "preview") return RunPreview(args);
    if (command == "extract") return RunExtract(args);
    if (command == "build") return RunBuild(args);
    if (command == "new") return RunNew(args);
    if (command == "--help" || command == "help") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    throw EUsageError("unknown command '" + command + "'");
  } catch (const EUsageError& error) {
    std::fprintf(stderr, "vxscene: %s\n%s", error.what(), kUsage);
    return 2;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "vxscene: %s\n", error.what());
    return 1;
  }
}
