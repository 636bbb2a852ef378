// Writes what bench/compare/run plays and opens, into one folder:
//   render/        the 60 s render project's media, render.vrp, render.mlt and
//                  render-composite.mlt (composite transitions instead of affine)
//   transcode.avi  60 s of 720 × 576 MJPEG with PCM sound, for a transcoder alone
//   large/         1 000 tiny sound files, large.vrp and large.mlt (10 000 clips)
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>

#include "compare_projects.h"
#include "mlt_xml.h"

namespace {

using namespace vantorelle::compare;

void WriteText(const std::filesystem::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
  if (!out.flush()) throw std::runtime_error("cannot write " + path.string());
}

int ClipCount(const Composition& composition) {
  int clips = 0;
  for (const LayerTrack& track : composition.tracks) clips += static_cast<int>(track.clips.size());
  return clips;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_compare_media FOLDER\n");
    return 2;
  }
  try {
    const std::filesystem::path folder = std::filesystem::absolute(argv[1]);
    const std::filesystem::path render = folder / "render";
    const std::filesystem::path large = folder / "large";
    std::filesystem::create_directories(render);
    std::filesystem::create_directories(large);

    const Composition shown = WriteRenderProject(render.string(), (render / "render.vrp").string());
    WriteText(render / "render.mlt", MltXml(shown));
    WriteText(render / "render-composite.mlt", MltXml(shown, PictureTransition::Composite));
    WriteTranscodeSource((folder / "transcode.avi").string());
    const Composition opened = WriteLargeProject(large.string(), (large / "large.vrp").string());
    WriteText(large / "large.mlt", MltXml(opened));
    std::printf("render project: %d clips on %zu tracks; large project: %d clips on %zu tracks\n", ClipCount(shown),
                shown.tracks.size(), ClipCount(opened), opened.tracks.size());
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "make_compare_media: %s\n", error.what());
    return 1;
  }
}
