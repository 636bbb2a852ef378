#include "document/file_settings_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <system_error>

#include "document/checksum.h"

namespace vantorelle {

namespace {

constexpr std::array<std::uint8_t, 4> kMagic = {'V', 'R', 'S', 'T'};
constexpr std::uint8_t kTypeNumber = 1;
constexpr std::uint8_t kTypeBytes = 2;
constexpr std::size_t kMaxNameLength = std::numeric_limits<std::uint16_t>::max();

void PutU16(SettingsBytes& out, std::uint16_t value) {
  out.push_back(static_cast<std::uint8_t>(value));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void PutU32(SettingsBytes& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void PutName(SettingsBytes& out, const std::string& name) {
  // Longer names are never written by the program; cut rather than write a
  // file its own reader would refuse.
  const std::size_t length = std::min(name.size(), kMaxNameLength);
  PutU16(out, static_cast<std::uint16_t>(length));
  out.insert(out.end(), name.begin(), name.begin() + static_cast<std::ptrdiff_t>(length));
}

// Reads the payload; every length is checked against what is left before
// anything is allocated for it.
class PayloadReader {
 public:
  PayloadReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  bool U8(std::uint8_t& value) {
    if (Remaining() < 1) return false;
    value = data_[offset_++];
    return true;
  }
  bool U16(std::uint16_t& value) {
    if (Remaining() < 2) return false;
    value = static_cast<std::uint16_t>(data_[offset_] | (data_[offset_ + 1] << 8));
    offset_ += 2;
    return true;
  }
  bool U32(std::uint32_t& value) {
    if (Remaining() < 4) return false;
    value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | data_[offset_ + static_cast<std::size_t>(i)];
    offset_ += 4;
    return true;
  }
  bool Name(std::string& name) {
    std::uint16_t length = 0;
    if (!U16(length) || Remaining() < length) return false;
    name.assign(reinterpret_cast<const char*>(data_ + offset_), length);
    offset_ += length;
    return true;
  }
  bool Data(std::uint32_t length, SettingsBytes& bytes) {
    if (Remaining() < length) return false;
    bytes.assign(data_ + offset_, data_ + offset_ + length);
    offset_ += length;
    return true;
  }
  std::size_t Remaining() const { return size_ - offset_; }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t offset_ = 0;
};

std::uint32_t GetU32(const std::uint8_t* data) {
  return static_cast<std::uint32_t>(data[0]) | (static_cast<std::uint32_t>(data[1]) << 8) |
         (static_cast<std::uint32_t>(data[2]) << 16) | (static_cast<std::uint32_t>(data[3]) << 24);
}

std::optional<SettingsSections> DecodePayload(const std::uint8_t* data, std::size_t size) {
  PayloadReader reader(data, size);
  std::uint32_t sectionCount = 0;
  if (!reader.U32(sectionCount)) return std::nullopt;
  SettingsSections sections;
  for (std::uint32_t s = 0; s < sectionCount; ++s) {
    std::string sectionName;
    std::uint32_t valueCount = 0;
    if (!reader.Name(sectionName) || !reader.U32(valueCount)) return std::nullopt;
    auto [section, inserted] = sections.try_emplace(sectionName);
    if (!inserted) return std::nullopt;
    for (std::uint32_t v = 0; v < valueCount; ++v) {
      std::string valueName;
      std::uint8_t type = 0;
      std::uint32_t length = 0;
      if (!reader.Name(valueName) || !reader.U8(type) || !reader.U32(length)) return std::nullopt;
      if (section->second.count(valueName) != 0) return std::nullopt;
      if (type == kTypeNumber) {
        std::uint32_t number = 0;
        if (length != 4 || !reader.U32(number)) return std::nullopt;
        section->second.emplace(valueName, static_cast<std::int32_t>(number));
      } else if (type == kTypeBytes) {
        SettingsBytes bytes;
        if (!reader.Data(length, bytes)) return std::nullopt;
        section->second.emplace(valueName, std::move(bytes));
      } else {
        return std::nullopt;
      }
    }
  }
  if (reader.Remaining() != 0) return std::nullopt;
  return sections;
}

// Writes every byte, retrying after interruptions.
bool WriteAll(int fd, const std::uint8_t* data, std::size_t size) {
  while (size > 0) {
    const ssize_t written = ::write(fd, data, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

bool SyncFolder(const std::filesystem::path& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool synced = ::fsync(fd) == 0;
  ::close(fd);
  return synced;
}

const char* NonEmptyVariable(const char* name) {
  const char* value = std::getenv(name);
  return value && *value ? value : nullptr;
}

}  // namespace

std::filesystem::path SettingsFolderFromEnvironment() {
  if (const char* folder = NonEmptyVariable("VANTORELLE_CONFIG_DIR")) return std::filesystem::path(folder);
  std::filesystem::path base;
  // A relative XDG_CONFIG_HOME is to be ignored: it would move with the
  // working folder.
  if (const char* xdg = NonEmptyVariable("XDG_CONFIG_HOME"); xdg && std::filesystem::path(xdg).is_absolute()) {
    base = xdg;
  } else if (const char* home = NonEmptyVariable("HOME")) {
    base = std::filesystem::path(home) / ".config";
  } else {
    return {};
  }
  return base / "Quorvan-Ixt" / "Vantorelle";
}

SettingsBytes EncodeSettingsFile(const SettingsSections& sections) {
  SettingsBytes payload;
  PutU32(payload, static_cast<std::uint32_t>(sections.size()));
  for (const auto& [sectionName, values] : sections) {
    PutName(payload, sectionName);
    PutU32(payload, static_cast<std::uint32_t>(values.size()));
    for (const auto& [valueName, value] : values) {
      PutName(payload, valueName);
      if (const auto* number = std::get_if<std::int32_t>(&value)) {
        payload.push_back(kTypeNumber);
        PutU32(payload, 4);
        PutU32(payload, static_cast<std::uint32_t>(*number));
      } else {
        const auto& bytes = std::get<SettingsBytes>(value);
        payload.push_back(kTypeBytes);
        PutU32(payload, static_cast<std::uint32_t>(bytes.size()));
        payload.insert(payload.end(), bytes.begin(), bytes.end());
      }
    }
  }
  SettingsBytes file(kMagic.begin(), kMagic.end());
  file.reserve(kSettingsFileHeaderSize + payload.size());
  PutU16(file, kSettingsFileVersion);
  PutU16(file, 0);
  PutU32(file, static_cast<std::uint32_t>(payload.size()));
  PutU32(file, Crc32(payload.data(), payload.size()));
  file.insert(file.end(), payload.begin(), payload.end());
  return file;
}

std::optional<SettingsSections> DecodeSettingsFile(const SettingsBytes& bytes) {
  if (bytes.size() < kSettingsFileHeaderSize || bytes.size() > kSettingsFileMaxSize) return std::nullopt;
  if (!std::equal(kMagic.begin(), kMagic.end(), bytes.begin())) return std::nullopt;
  const std::uint16_t version = static_cast<std::uint16_t>(bytes[4] | (bytes[5] << 8));
  const std::uint16_t reserved = static_cast<std::uint16_t>(bytes[6] | (bytes[7] << 8));
  if (version != kSettingsFileVersion || reserved != 0) return std::nullopt;
  const std::uint32_t payloadLength = GetU32(bytes.data() + 8);
  const std::uint32_t crc = GetU32(bytes.data() + 12);
  if (payloadLength != bytes.size() - kSettingsFileHeaderSize) return std::nullopt;
  const std::uint8_t* payload = bytes.data() + kSettingsFileHeaderSize;
  if (Crc32(payload, payloadLength) != crc) return std::nullopt;
  return DecodePayload(payload, payloadLength);
}

FileSettingsStore::FileSettingsStore(std::filesystem::path folder) : folder_(std::move(folder)) {
  try {
    Load();
  } catch (...) {
    // Out of memory while reading: start empty, as with any damaged file.
    sections_.clear();
    keyExists_ = false;
    loadResult_ = LoadResult::Damaged;
  }
}

FileSettingsStore::FileSettingsStore() : FileSettingsStore(SettingsFolderFromEnvironment()) {}

FileSettingsStore::~FileSettingsStore() { Flush(); }

std::filesystem::path FileSettingsStore::FilePath() const {
  return folder_.empty() ? std::filesystem::path() : folder_ / kSettingsFileName;
}

void FileSettingsStore::Load() {
  const std::filesystem::path path = FilePath();
  if (path.empty()) return;
  std::error_code error;
  const auto status = std::filesystem::status(path, error);
  if (status.type() == std::filesystem::file_type::not_found) return;
  loadResult_ = LoadResult::Damaged;
  if (error) return;

  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return;
  struct stat info {};
  SettingsBytes bytes;
  bool readWhole = false;
  // The size is bounded before the buffer is made; a file that grows while
  // it is read shows up as a length mismatch.
  if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size >= 0 &&
      static_cast<std::uint64_t>(info.st_size) <= kSettingsFileMaxSize) {
    bytes.resize(static_cast<std::size_t>(info.st_size));
    std::size_t done = 0;
    readWhole = true;
    while (done < bytes.size()) {
      const ssize_t got = ::read(fd, bytes.data() + done, bytes.size() - done);
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) {
        readWhole = false;
        break;
      }
      done += static_cast<std::size_t>(got);
    }
  }
  ::close(fd);
  if (!readWhole) return;
  auto sections = DecodeSettingsFile(bytes);
  if (!sections) return;
  sections_ = std::move(*sections);
  keyExists_ = true;
  loadResult_ = LoadResult::Loaded;
}

bool FileSettingsStore::SectionExists(const std::string& section) const { return sections_.count(section) != 0; }

std::optional<SettingsValue> FileSettingsStore::Read(const std::string& section, const std::string& name) const {
  try {
    const auto found = sections_.find(section);
    if (found == sections_.end()) return std::nullopt;
    const auto value = found->second.find(name);
    if (value == found->second.end()) return std::nullopt;
    return value->second;
  } catch (...) {
    return std::nullopt;
  }
}

void FileSettingsStore::Write(const std::string& section, const std::string& name, SettingsValue value) {
  try {
    auto& values = sections_[section];
    const auto found = values.find(name);
    if (found != values.end() && found->second == value && keyExists_) return;
    values[name] = std::move(value);
    keyExists_ = true;
    dirty_ = true;
  } catch (...) {
    // Settings writes ignore their failures.
  }
}

bool FileSettingsStore::Flush() {
  if (!dirty_) return true;
  if (folder_.empty()) return false;
  try {
    if (!WriteFileAtomically(EncodeSettingsFile(sections_))) return false;
    dirty_ = false;
    return true;
  } catch (...) {
    return false;
  }
}

bool FileSettingsStore::WriteFileAtomically(const SettingsBytes& bytes) const {
  std::error_code error;
  std::filesystem::create_directories(folder_, error);
  if (error) return false;
  // A unique name, so two programs flushing at once never share a
  // temporary; mkstemp makes it readable by the user only.
  std::string temporary = (folder_ / (std::string(".") + kSettingsFileName + ".XXXXXX")).string();
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) return false;
  const bool written = WriteAll(fd, bytes.data(), bytes.size()) && ::fsync(fd) == 0;
  const bool closed = ::close(fd) == 0;
  if (!written || !closed || ::rename(temporary.c_str(), FilePath().c_str()) != 0) {
    ::unlink(temporary.c_str());
    return false;
  }
  // The rename itself reaches the disk only with its folder.
  SyncFolder(folder_);
  return true;
}

}  // namespace vantorelle
