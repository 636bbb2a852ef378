// The projects the comparison plays and opens, each written as a project
// file with its media beside it and described as a composition for the
// other editor: the 60 s render project (two 720 × 576 MJPEG picture tracks,
// four sound tracks, a slide and a crawl title track) and the 10 000-clip
// project on 8 tracks whose 1 000 sources are tiny sound files.
#pragma once

#include <string>

#include "composition.h"

namespace vantorelle::compare {

// Both fail with std::runtime_error when a file cannot be written.
Composition WriteRenderProject(const std::string& folder, const std::string& projectPath);
Composition WriteLargeProject(const std::string& folder, const std::string& projectPath);

// One 60 s 720 × 576 MJPEG movie with 48 kHz stereo PCM sound: what a
// transcoder alone does with as many frames as the render project makes.
void WriteTranscodeSource(const std::string& path);

}  // namespace vantorelle::compare
