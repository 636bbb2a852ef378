#include "media_info_command.h"

#include <cstdio>
#include <filesystem>
#include <string>

#include "collecting_user_interface.h"
#include "json_output.h"
#include "model/file_facts.h"
#include "model/src.h"
#include "playback/media_info.h"
#include "playback/media_probe.h"
#include "playback/source_reading.h"

namespace vantorelle::cli {
namespace {

// What the board plays of the file: its first picture and sound stream.
void AddStreamDetails(Json& out, const MediaProbe& probe) {
  PutText(out, "container", probe.container);
  if (!probe.video.empty()) {
    const ProbedVideoStream& video = probe.video.front();
    PutText(out, "videoCodec", video.codec);
    out["frameRate"] = video.framesPerSecond;
    PutText(out, "pixelAspect", std::to_string(video.pixelAspectNum) + ":" + std::to_string(video.pixelAspectDen));
    PutText(out, "colourMatrix", video.colourMatrix);
  }
  if (!probe.audio.empty()) {
    const ProbedAudioStream& audio = probe.audio.front();
    PutText(out, "audioCodec", audio.codec);
    out["sampleRate"] = audio.sampleRate;
    out["channels"] = audio.channels;
    PutText(out, "channelLayout", audio.channelLayout);
    PutText(out, "sampleFormat", audio.sampleFormat);
  }
}

Json Describe(const CSrc& source) {
  Json out;
  PutText(out, "path", source.path);
  PutText(out, "name", source.name);
  out["flags"] = source.flags;
  out["duration"] = source.duration;
  out["width"] = source.frameWidth;
  out["height"] = source.frameHeight;
  out["size"] = source.size;
  PutText(out, "modified", source.modified);
  PutText(out, "type", SourceTypeDescription(source.name));
  if (source.flags & SourceFlags::MovieFile) AddStreamDetails(out, ProbeMediaFile(source.path));
  return out;
}

// Why a file was refused: what the editor showed (on one line), or a plain reason.
std::string WhyRefused(const std::string& path, const CollectingUserInterface& ui, std::size_t firstMessage) {
  if (ui.messages.size() > firstMessage) {
    const auto& message = ui.messages.back();
    const std::string prefix = "Error -- ";
    if (message.caption.rfind(prefix, 0) == 0) {
      return message.caption.substr(prefix.size()) + ": " + message.text;
    }
    std::string text = message.text;
    for (char& c : text) {
      if (c == '\n') c = ' ';
    }
    return text;
  }
  std::error_code error;
  const auto status = std::filesystem::status(path, error);
  if (status.type() == std::filesystem::file_type::not_found) return "file not found";
  if (status.type() == std::filesystem::file_type::directory) return "is a folder, not a file";
  if (status.type() != std::filesystem::file_type::regular && !error) return "not a regular file";
  if (!ReadFileFacts(path)) return error ? "cannot be read: " + error.message() : "cannot be read";
  return "no playable stream";
}

}  // namespace

int RunMediaInfo(IKlpComponentFactory& factory, const std::vector<std::string>& files) {
  CollectingUserInterface ui;
  const StillImageExtensions images = LoadImportFilter(factory, ui);
  const SourceReadContext context{MediaReadContext{factory, ui, FrameSizeRule{}}, images, nullptr};
  bool anyRefused = false;
  Json out = Json::array();
  for (const std::string& file : files) {
    const std::size_t firstMessage = ui.messages.size();
    const auto source = MakeSourceFromFile(context, file);
    if (source) {
      out.push_back(Describe(*source));
    } else {
      anyRefused = true;
      const std::string reason = WhyRefused(file, ui, firstMessage);
      std::fprintf(stderr, "vantorelle-cli: %s: %s\n", file.c_str(), reason.c_str());
      Json refused;
      PutText(refused, "path", file);
      PutText(refused, "error", reason);
      out.push_back(std::move(refused));
    }
  }
  PrintJson(out);
  return anyRefused ? 1 : 0;
}

}  // namespace vantorelle::cli
