// The small media that the document and edit harnesses work over, made with
// the test writers, and the tiny video standard they run under so that a
// rendered frame costs next to nothing. The seed writer uses the same files,
// so the projects it writes find them unchanged wherever the harness puts them.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "model/src.h"
#include "model/time_base.h"
#include "playback/klp_interfaces.h"
#include "playback/software_board/software_board_format.h"
#include "playback/still_image_extensions.h"

namespace vantorelle {
class IUserInterface;
}

namespace vantorelle::fuzzing {

// Quiets FFmpeg's console messages, which a fuzzer would print by the million.
void QuietMediaLibraries();
// Whether VANTORELLE_FUZZ_VERBOSE is set: the harnesses then say what each input did.
bool Verbose();

VideoStandard FuzzVideoStandard();
SoftwareBoardFormat FuzzBoardFormat();

// Writes the media files into folder (made when missing), each with one fixed
// last-write time. Returns their names, movies first; empty on failure, with
// the reason on stderr.
std::vector<std::string> WriteFuzzMedia(const std::filesystem::path& folder);

// Sources read from the named files of folder, as the Clip Collection reads
// them. Empty on failure.
std::vector<std::unique_ptr<CSrc>> ReadFuzzSources(const std::filesystem::path& folder,
                                                   const std::vector<std::string>& names,
                                                   IKlpComponentFactory& factory, IUserInterface& ui,
                                                   const StillImageExtensions& stillImages);

// A fresh source with every field of the original (sources cannot be copied).
std::unique_ptr<CSrc> CloneSource(const CSrc& original);

// A folder of its own in memory (or the temporary folder), removed at exit.
std::filesystem::path MakeScratchFolder(const std::string& stem);

}  // namespace vantorelle::fuzzing
