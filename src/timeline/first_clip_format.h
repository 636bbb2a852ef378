// The first clip of a new project whose format nobody chose may give the
// project its own: the clip's frame size and the supported rate nearest to
// its own, offered as a question before the clip is placed.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "document/vantorelle_doc.h"
#include "model/video_format.h"

namespace vantorelle {

// The supported rate (frames per 1000 s) nearest to a rate in frames per second.
std::int32_t NearestSupportedFrameRate(double framesPerSecond);

// The format of a movie file's first picture stream at the nearest
// supported rate; none for a file without pictures or of a size no project
// can have.
std::optional<VideoFormat> MovieFormatOf(const std::string& path);

// Asks (Yes/No) only while the project holds no clip, its format was left at
// its default and the source's format differs from it. Yes switches the
// format. Answers whether it switched.
bool OfferClipFormat(CVantorelleDoc& doc, const CSrc& source);

}  // namespace vantorelle
