// Peaks kept on disk between runs, one file per source file, so a sound is
// decoded once. A peak file is named by a hash of the source's path, size and
// last-write time, and repeats the three in its header; a file whose header,
// length or checksum does not fit (a foreign, truncated or damaged file, or
// the peaks of an older version of the source) is never trusted: Load
// answers none and the peaks are made again. Files are replaced at once
// (temporary and rename), so a crash leaves the old file or the new one.
//
// Layout, little-endian: "VRPEAKS\0", version (u32), sample rate (u32), block
// frames (u32), source size (u64), source last-write time in ns (i64), path
// length (u32) and path bytes, block count (u64), CRC-32 of the blocks (u32),
// then the blocks: lowest and highest sample (i16 each) of every block.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "document/autosave.h"
#include "playback/waveform_peaks.h"

namespace vantorelle {

// What tells one version of a source file from another.
struct SourceFileIdentity {
  std::uint64_t size = 0;
  std::int64_t modifiedNs = 0;
  bool operator==(const SourceFileIdentity&) const = default;
};
std::optional<SourceFileIdentity> IdentityOf(const std::string& path);

// "peaks" in the editor's cache folder; empty without one: nothing is kept.
std::string PeakCacheFolderFor(const EnvironmentLookup& environment);

std::vector<std::uint8_t> EncodePeakFile(const std::string& sourcePath, const SourceFileIdentity& identity,
                                         const WaveformPeaks& peaks);
// Complete peaks, or none when the bytes are not the peak file of that
// version of that source.
std::optional<WaveformPeaks> DecodePeakFile(const std::vector<std::uint8_t>& bytes, const std::string& sourcePath,
                                            const SourceFileIdentity& identity);

class PeakCache {
 public:
  explicit PeakCache(std::string folder) : folder_(std::move(folder)) {}

  // The peak file of that version of the source; empty without a folder.
  std::string FileFor(const std::string& sourcePath, const SourceFileIdentity& identity) const;
  std::optional<WaveformPeaks> Load(const std::string& sourcePath, const SourceFileIdentity& identity) const;
  // Only complete peaks are kept. False when they could not be written.
  bool Save(const std::string& sourcePath, const SourceFileIdentity& identity, const WaveformPeaks& peaks) const;

 private:
  std::string folder_;
};

}  // namespace vantorelle
