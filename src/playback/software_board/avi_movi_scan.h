// Rebuilds a frame index by walking the movie lists, for files that lost their
// index (a capture that stopped before writing it, a truncated copy).
#pragma once

#include "playback/software_board/avi_byte_source.h"
#include "playback/software_board/avi_index_budget.h"
#include "playback/software_board/avi_layout.h"

namespace vantorelle {

// Fills the streams that still have no index source. Without an index there is
// no key-frame information: only a stream's first chunk is marked as a key
// frame, so a reader that honours the flags decodes from the start and gets
// the right picture, if slowly. Chunks cut off by the end of the file are left
// out.
void ScanAviMoviLists(AviByteSource& source, AviLayout& layout, AviIndexBudget& budget);

}  // namespace vantorelle
