#include "playback/source_properties.h"

#include <cmath>
#include <cstdio>

#include "playback/media_probe.h"

namespace vantorelle {
namespace {

constexpr const char* kNoInfo = "No info";
constexpr const char* kNoVideo = "No video";
constexpr const char* kNoAudio = "No audio";

int CountCharacters(std::string_view text) { return static_cast<int>(text.size()); }

template <typename... Args>
std::string Format(const char* pattern, Args... args) {
  char text[96];
  std::snprintf(text, sizeof text, pattern, args...);
  return text;
}

// The part of a path that must stay in front: "C:\", "\\server\share\" or "/".
std::size_t PrefixLength(std::string_view path) {
  if (path.size() >= 3 && path[1] == ':' && (path[2] == '\\' || path[2] == '/')) return 3;
  if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') {
    const std::size_t server = path.find('\\', 2);
    if (server == std::string_view::npos) return path.size();
    const std::size_t share = path.find('\\', server + 1);
    return share == std::string_view::npos ? path.size() : share + 1;
  }
  return !path.empty() && path[0] == '/' ? 1 : 0;
}

std::int32_t Truncate(double value) {
  if (!std::isfinite(value) || std::fabs(value) > 2.0e9) return 0;
  return static_cast<std::int32_t>(value);
}

// The codecs and formats of the streams the source plays; "No info" where the
// file cannot be looked into.
void DescribeStreams(const MediaProbe& probe, bool picture, bool sound, SourcePropertyTexts& texts) {
  if (picture) {
    texts.videoCodec = texts.pixelAspect = texts.colourMatrix = kNoInfo;
    if (!probe.video.empty()) {
      const ProbedVideoStream& video = probe.video.front();
      texts.videoCodec = video.codec;
      texts.pixelAspect = Format("%d:%d", video.pixelAspectNum, video.pixelAspectDen);
      texts.colourMatrix = video.colourMatrix;
    }
  }
  if (sound) {
    texts.audioCodec = texts.channelLayout = kNoInfo;
    if (!probe.audio.empty()) {
      const ProbedAudioStream& audio = probe.audio.front();
      texts.audioCodec = audio.codec;
      texts.channelLayout = audio.channelLayout;
    }
  }
}

}  // namespace

std::string ShortenPathToFit(std::string_view path, int fieldWidth, const TextWidth& width) {
  const TextWidth measure = width ? width : TextWidth(CountCharacters);
  if (measure(path) <= fieldWidth) return std::string(path);
  const std::size_t prefixLength = PrefixLength(path);
  const std::string_view prefix = path.substr(0, prefixLength);
  std::string_view rest = path.substr(prefixLength);
  std::string candidate;
  for (;;) {
    const std::size_t separator = rest.find_first_of("/\\");
    if (separator == std::string_view::npos) break;  // only the name is left
    const char slash = rest[separator];
    rest = rest.substr(separator + 1);
    candidate = std::string(prefix) + "..." + slash + std::string(rest);
    if (measure(candidate) <= fieldWidth) return candidate;
  }
  return candidate.empty() ? std::string(path) : candidate;
}

SourcePropertyTexts SourceProperties(const CSrc& source, IKlpComponentFactory& factory,
                                     int fileNameFieldWidth, const TextWidth& width) {
  SourcePropertyTexts texts;
  texts.fileName = ShortenPathToFit(source.path, fileNameFieldWidth, width);
  texts.fileSize = source.size < 1024 ? Format("%u Bytes", source.size)
                                      : Format("%u Kb", source.size / 1024);
  texts.modified = source.modified;
  const bool picture = HasPicture(source.flags);
  texts.frameWidth = picture ? Format("%d pixels.", source.frameWidth) : "No width";
  texts.frameHeight = picture ? Format("%d pixels.", source.frameHeight) : "No height";
  texts.frameRate = texts.videoDuration = kNoVideo;
  texts.videoCodec = texts.pixelAspect = texts.colourMatrix = kNoVideo;
  texts.audioDuration = texts.sampleRate = texts.bits = kNoAudio;
  texts.audioCodec = texts.channelLayout = kNoAudio;
  texts.thumbnailAvailable = picture || !(source.flags & SourceFlags::AudioStream);
  if (!(source.flags & SourceFlags::MovieFile)) return texts;

  std::unique_ptr<IKlpPlayMovie> movie;
  std::uint32_t streamFlags = 0;
  std::int32_t movieWidth = 0;
  std::int32_t movieHeight = 0;
  double videoSeconds = 0.0;
  double framesPerSecond = 0.0;
  double audioSeconds = 0.0;
  KlpMovieExtraInfo extra;
  const bool read = KlpSucceeded(factory.CreatePlayMovie(movie)) && movie &&
                    KlpSucceeded(movie->OpenFile(source.path)) &&
                    KlpSucceeded(movie->GetMovieInfo(0, streamFlags, movieWidth, movieHeight,
                                                     videoSeconds, framesPerSecond, audioSeconds,
                                                     &extra));
  if (!read) {
    texts.frameRate = texts.videoDuration = kNoInfo;
    texts.videoCodec = texts.pixelAspect = texts.colourMatrix = kNoInfo;
    texts.audioDuration = texts.sampleRate = texts.bits = kNoInfo;
    texts.audioCodec = texts.channelLayout = kNoInfo;
    return texts;
  }
  DescribeStreams(ProbeMediaFile(source.path), picture, (source.flags & SourceFlags::AudioStream) != 0, texts);
  if (picture) {
    texts.frameRate = Format("%5.3f frames / second", framesPerSecond);
    texts.videoDuration = FormatTimeFull(videoSeconds * 1000.0);
  }
  if (source.flags & SourceFlags::AudioStream) {
    texts.audioDuration = FormatTimeFull(audioSeconds * 1000.0);
    texts.sampleRate = Format("%d Hz", Truncate(extra.audioSampleRate));
    texts.bits = Format("%d", extra.audioBitsPerSample);
  }
  return texts;
}

}  // namespace vantorelle
