// The "Source File Properties" window without its drawing: every field text,
// read from the source and, for movie files, from the movie component. The
// window's failures are not shown; they leave "No info".
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "model/src.h"
#include "playback/klp_interfaces.h"

namespace vantorelle {

struct SourcePropertyTexts {
  std::string fileName;
  std::string fileSize;
  std::string modified;
  std::string frameWidth;
  std::string frameHeight;
  std::string frameRate;
  std::string videoDuration;
  std::string audioDuration;
  std::string sampleRate;
  std::string bits;
  // What the file's streams are, looked up in the file itself.
  std::string videoCodec;
  std::string pixelAspect;
  std::string colourMatrix;
  std::string audioCodec;
  std::string channelLayout;
  bool thumbnailAvailable = false;
};

// Measures the width of a text in the window's font; the default counts characters.
using TextWidth = std::function<int(std::string_view)>;

SourcePropertyTexts SourceProperties(const CSrc& source, IKlpComponentFactory& factory,
                                     int fileNameFieldWidth = 1 << 30, const TextWidth& width = {});

// The path shortened to fit: the drive, share or root prefix stays and leading
// folders give way to "..." until the rest fits (or only the name is left).
std::string ShortenPathToFit(std::string_view path, int fieldWidth, const TextWidth& width = {});

}  // namespace vantorelle
