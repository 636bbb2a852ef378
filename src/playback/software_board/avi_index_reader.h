// Reads an AVI file's headers and frame indexes: the RIFF 'AVI ' header list,
// the legacy idx1 index and OpenDML super and standard indexes. Nothing in the
// file is trusted: sizes are clamped to the enclosing list and the file, and
// allocations are bounded by the bytes actually present.
#pragma once

#include "playback/klp_result.h"
#include "playback/software_board/avi_byte_source.h"
#include "playback/software_board/avi_layout.h"

namespace vantorelle {

// KlpBadFormat when the bytes are not an AVI file, KlpReadFault when reading fails.
KlpResult ReadAviLayout(AviByteSource& source, AviLayout& layout);

}  // namespace vantorelle
