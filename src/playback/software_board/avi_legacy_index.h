// The AVI 1.0 index (idx1) at the end of the first RIFF: one 16-byte entry a
// chunk, offsets either from the 'movi' list type or from the file start.
#pragma once

#include "playback/software_board/avi_byte_source.h"
#include "playback/software_board/avi_index_budget.h"
#include "playback/software_board/avi_layout.h"

namespace vantorelle {

// Fills the streams that have no OpenDML index from idx1.
void ReadAviIdx1(AviByteSource& source, AviLayout& layout, AviIndexBudget& budget);

}  // namespace vantorelle
