#include "playback/peak_cache.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "document/atomic_file.h"
#include "document/checksum.h"

namespace vantorelle {
namespace {

namespace fs = std::filesystem;

constexpr char kMagic[8] = {'V', 'R', 'P', 'E', 'A', 'K', 'S', '\0'};
constexpr std::uint32_t kVersion = 1;
constexpr std::size_t kPairBytes = 4;
// Longer than any path the system takes: a header naming one is damaged.
constexpr std::uint32_t kLongestPath = 1 << 16;

void Put(std::vector<std::uint8_t>& out, std::uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

class ByteReader {
 public:
  explicit ByteReader(const std::vector<std::uint8_t>& bytes) : bytes_(bytes) {}
  bool Take(std::uint64_t& value, int count) {
    if (Left() < static_cast<std::size_t>(count)) return false;
    value = 0;
    for (int i = 0; i < count; ++i) value |= static_cast<std::uint64_t>(bytes_[at_ + i]) << (8 * i);
    at_ += static_cast<std::size_t>(count);
    return true;
  }
  bool Matches(const void* expected, std::size_t count) {
    if (Left() < count || std::memcmp(bytes_.data() + at_, expected, count) != 0) return false;
    at_ += count;
    return true;
  }
  std::size_t Left() const { return bytes_.size() - at_; }
  const std::uint8_t* Here() const { return bytes_.data() + at_; }

 private:
  const std::vector<std::uint8_t>& bytes_;
  std::size_t at_ = 0;
};

std::uint64_t Fnv1a(std::uint64_t hash, const void* data, std::size_t size) {
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  for (std::size_t i = 0; i < size; ++i) hash = (hash ^ bytes[i]) * 0x100000001B3ull;
  return hash;
}

}  // namespace

std::optional<SourceFileIdentity> IdentityOf(const std::string& path) {
  struct stat facts {};
  if (::stat(path.c_str(), &facts) != 0 || !S_ISREG(facts.st_mode)) return std::nullopt;
  return SourceFileIdentity{static_cast<std::uint64_t>(facts.st_size),
                            static_cast<std::int64_t>(facts.st_mtim.tv_sec) * 1'000'000'000 + facts.st_mtim.tv_nsec};
}

std::string PeakCacheFolderFor(const EnvironmentLookup& environment) {
  const std::string cache = EditorCacheFolderFor(environment);
  return cache.empty() ? cache : (fs::path(cache) / "peaks").string();
}

std::vector<std::uint8_t> EncodePeakFile(const std::string& sourcePath, const SourceFileIdentity& identity,
                                         const WaveformPeaks& peaks) {
  const std::vector<PeakPair>& blocks = peaks.Blocks();
  std::vector<std::uint8_t> payload;
  payload.reserve(blocks.size() * kPairBytes);
  for (const PeakPair& pair : blocks) {
    Put(payload, static_cast<std::uint16_t>(pair.low), 2);
    Put(payload, static_cast<std::uint16_t>(pair.high), 2);
  }
  std::vector<std::uint8_t> out(kMagic, kMagic + sizeof kMagic);
  Put(out, kVersion, 4);
  Put(out, kPeakSampleRate, 4);
  Put(out, kPeakBlockFrames, 4);
  Put(out, identity.size, 8);
  Put(out, static_cast<std::uint64_t>(identity.modifiedNs), 8);
  Put(out, sourcePath.size(), 4);
  out.insert(out.end(), sourcePath.begin(), sourcePath.end());
  Put(out, blocks.size(), 8);
  Put(out, Crc32(payload.data(), payload.size()), 4);
  out.insert(out.end(), payload.begin(), payload.end());
  return out;
}

std::optional<WaveformPeaks> DecodePeakFile(const std::vector<std::uint8_t>& bytes, const std::string& sourcePath,
                                            const SourceFileIdentity& identity) {
  ByteReader in(bytes);
  std::uint64_t version = 0, rate = 0, blockFrames = 0, size = 0, modified = 0, pathLength = 0, count = 0, crc = 0;
  if (!in.Matches(kMagic, sizeof kMagic) || !in.Take(version, 4) || version != kVersion || !in.Take(rate, 4) ||
      rate != kPeakSampleRate || !in.Take(blockFrames, 4) || blockFrames != kPeakBlockFrames || !in.Take(size, 8) ||
      size != identity.size || !in.Take(modified, 8) || static_cast<std::int64_t>(modified) != identity.modifiedNs ||
      !in.Take(pathLength, 4) || pathLength != sourcePath.size() || pathLength > kLongestPath ||
      !in.Matches(sourcePath.data(), sourcePath.size()) || !in.Take(count, 8) || !in.Take(crc, 4) ||
      in.Left() / kPairBytes != count || in.Left() % kPairBytes != 0 ||
      Crc32(in.Here(), in.Left()) != static_cast<std::uint32_t>(crc)) {
    return std::nullopt;
  }
  std::vector<PeakPair> blocks(static_cast<std::size_t>(count));
  for (PeakPair& pair : blocks) {
    std::uint64_t low = 0, high = 0;
    in.Take(low, 2);
    in.Take(high, 2);
    pair = PeakPair{static_cast<std::int16_t>(low), static_cast<std::int16_t>(high)};
    if (pair.low > pair.high) return std::nullopt;
  }
  WaveformPeaks peaks(std::move(blocks));
  peaks.MarkComplete();
  return peaks;
}

std::string PeakCache::FileFor(const std::string& sourcePath, const SourceFileIdentity& identity) const {
  if (folder_.empty()) return {};
  std::uint64_t hash = Fnv1a(0xCBF29CE484222325ull, sourcePath.data(), sourcePath.size());
  hash = Fnv1a(hash, &identity.size, sizeof identity.size);
  hash = Fnv1a(hash, &identity.modifiedNs, sizeof identity.modifiedNs);
  char name[32];
  std::snprintf(name, sizeof name, "%016llx.peaks", static_cast<unsigned long long>(hash));
  return (fs::path(folder_) / name).string();
}

std::optional<WaveformPeaks> PeakCache::Load(const std::string& sourcePath, const SourceFileIdentity& identity) const {
  const std::string file = FileFor(sourcePath, identity);
  if (file.empty()) return std::nullopt;
  std::error_code error;
  if (!fs::is_regular_file(file, error)) return std::nullopt;
  const std::uintmax_t length = fs::file_size(file, error);
  if (error) return std::nullopt;
  std::ifstream in(file, std::ios::binary);
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(length));
  if (!in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()))) return std::nullopt;
  return DecodePeakFile(bytes, sourcePath, identity);
}

bool PeakCache::Save(const std::string& sourcePath, const SourceFileIdentity& identity,
                     const WaveformPeaks& peaks) const {
  const std::string file = FileFor(sourcePath, identity);
  if (file.empty() || !peaks.Complete()) return false;
  std::error_code error;
  fs::create_directories(folder_, error);
  if (error) return false;
  return WriteFileAtomically(file, EncodePeakFile(sourcePath, identity, peaks)).ok;
}

}  // namespace vantorelle
