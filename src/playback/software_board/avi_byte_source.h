// Random access to the bytes of an AVI file. The parser reads through this so
// that it can be fed a file on disk or bytes built in memory, and so that every
// read is checked against the real size of the data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace vantorelle {

class AviByteSource {
 public:
  virtual ~AviByteSource() = default;
  virtual std::uint64_t Size() const = 0;
  // Reads exactly count bytes at offset; false (and nothing promised about the
  // buffer) when any of them lies outside the data or the read fails.
  virtual bool ReadAt(std::uint64_t offset, std::uint8_t* buffer, std::size_t count) = 0;
};

// A file opened for reading; its size is taken once, when it is opened.
class AviFileSource final : public AviByteSource {
 public:
  // Null when the file cannot be opened or is not a regular file.
  static std::unique_ptr<AviFileSource> Open(const std::string& path);
  ~AviFileSource() override;
  AviFileSource(const AviFileSource&) = delete;
  AviFileSource& operator=(const AviFileSource&) = delete;

  std::uint64_t Size() const override { return size_; }
  bool ReadAt(std::uint64_t offset, std::uint8_t* buffer, std::size_t count) override;

 private:
  AviFileSource(std::FILE* file, std::uint64_t size) : file_(file), size_(size) {}
  std::FILE* file_;
  std::uint64_t size_;
};

class AviMemorySource final : public AviByteSource {
 public:
  explicit AviMemorySource(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}
  std::uint64_t Size() const override { return bytes_.size(); }
  bool ReadAt(std::uint64_t offset, std::uint8_t* buffer, std::size_t count) override;

 private:
  std::vector<std::uint8_t> bytes_;
};

}  // namespace vantorelle
