// Tiny sound files standing in for the media of a large benchmark project.
// Opening a project takes a source whose last-write text matches the file's
// without reading its media, so the files only have to exist with a known
// time; their records describe movies with sound, as clips on video tracks
// need.
#pragma once

#include <string>

#include "document/vantorelle_doc.h"
#include "model/time_base.h"
#include "support/temp_dir.h"

namespace vantorelle::bench {

inline constexpr TimeMs kBenchSourceDuration = 2000.0;

// dir/media/sound<index>.wav
std::string BenchSourcePath(const testing::TempDir& dir, int index);

// count files of kBenchSourceDuration of 8 kHz mono 8-bit sound (16 KB each).
void WriteBenchSourceFiles(const testing::TempDir& dir, int count);

// Appends a 720 x 576 movie-with-sound record for each of the count files.
void AddBenchSources(CVantorelleDoc& doc, const testing::TempDir& dir, int count);

}  // namespace vantorelle::bench
