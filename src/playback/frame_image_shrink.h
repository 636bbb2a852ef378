// The thumbnail shrink: any 24-bit picture to kFrameImageWidth ×
// kFrameImageHeight by area averaging.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace vantorelle {

// Each target pixel is the average of the source rectangle it covers, the
// edge source pixels weighted by the covered fraction; channels rounded and
// clamped to 0..255. The source holds width × height pixels of 3 bytes, rows
// stride bytes apart; the result has rows of FrameImageRowBytes(targetWidth).
// None when the picture is empty or the buffer too short for it.
std::optional<std::vector<std::uint8_t>> ShrinkByAreaAveraging(const std::uint8_t* pixels, std::size_t byteCount,
                                                               std::int32_t width, std::int32_t height,
                                                               std::int32_t stride, std::int32_t targetWidth,
                                                               std::int32_t targetHeight);

// The same to the thumbnail size.
std::optional<std::vector<std::uint8_t>> ShrinkToFrameImage(const std::uint8_t* pixels, std::size_t byteCount,
                                                            std::int32_t width, std::int32_t height,
                                                            std::int32_t stride);

}  // namespace vantorelle
