#include "media_info_command.h"

#include <cstdio>

#include "collecting_user_interface.h"
#include "json_text.h"
#include "model/file_facts.h"
#include "model/src.h"
#include "playback/media_info.h"
#include "playback/source_reading.h"

namespace vantorelle::cli {
namespace {

std::string Describe(const CSrc& source) {
  return JsonObject()
      .Add("path", source.path)
      .Add("name", source.name)
      .Add("flags", static_cast<long long>(source.flags))
      .Add("duration", source.duration)
      .Add("width", static_cast<long long>(source.frameWidth))
      .Add("height", static_cast<long long>(source.frameHeight))
      .Add("size", static_cast<long long>(source.size))
      .Add("modified", source.modified)
      .Add("type", SourceTypeDescription(source.name))
      .Text();
}

// Why a file was refused: what the editor showed, or a plain reason.
std::string RefusalReason(const std::string& path, const StillImageExtensions& images,
                          const CollectingUserInterface& ui, std::size_t firstMessage) {
  if (ui.messages.size() > firstMessage) {
    const auto& message = ui.messages.back();
    const std::string prefix = "Error -- ";
    if (message.caption.rfind(prefix, 0) == 0) {
      return message.caption.substr(prefix.size()) + ": " + message.text;
    }
    return message.text;
  }
  if (!ReadFileFacts(path)) return "file not found";
  if (!ClassifyFile(path, images)) return "not a movie, sound or image file";
  return "no playable stream";
}

}  // namespace

int RunMediaInfo(IKlpComponentFactory& factory, const std::vector<std::string>& files) {
  CollectingUserInterface ui;
  const StillImageExtensions images = LoadImportFilter(factory, ui);
  const SourceReadContext context{MediaReadContext{factory, ui, FrameSizeRule{}}, images, nullptr};
  bool anyRefused = false;
  std::string out = "[";
  for (std::size_t i = 0; i < files.size(); ++i) {
    const std::size_t firstMessage = ui.messages.size();
    const auto source = MakeSourceFromFile(context, files[i]);
    out += i ? ",\n " : "\n ";
    if (source) {
      out += Describe(*source);
    } else {
      anyRefused = true;
      const std::string reason = RefusalReason(files[i], images, ui, firstMessage);
      std::fprintf(stderr, "vantorelle-cli: %s: %s\n", files[i].c_str(), reason.c_str());
      out += JsonObject().Add("path", files[i]).Add("error", reason).Text();
    }
  }
  out += files.empty() ? "]\n" : "\n]\n";
  std::fputs(out.c_str(), stdout);
  return anyRefused ? 1 : 0;
}

}  // namespace vantorelle::cli
