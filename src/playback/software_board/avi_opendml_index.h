// OpenDML (AVI 2.0) indexes: the super index (indx) in a stream list names
// standard index chunks (ix##), each listing chunks as offsets from a base.
#pragma once

#include "playback/software_board/avi_chunks.h"
#include "playback/software_board/avi_index_budget.h"
#include "playback/software_board/avi_layout.h"

namespace vantorelle {

// Records the super index entries of an indx chunk in the stream. An indx that
// is itself a standard index is recorded as a super index naming itself.
void ReadAviSuperIndexChunk(AviByteSource& source, const AviChunk& indx, AviStream& stream);

// Fills the frame index of every stream that has a super index from the
// standard index chunks it names. A stream whose chunks give no entries is
// left without index source, for the legacy index to fill.
void ReadAviOpenDmlIndexes(AviByteSource& source, AviLayout& layout, AviIndexBudget& budget);

}  // namespace vantorelle
