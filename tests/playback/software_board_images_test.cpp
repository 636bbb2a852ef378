// The software board's image components: image files of every listed type
// decode to RGBA at their size and colours, the import filter lists exactly
// the types that load, and damaged, mislabelled or oversized files are refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "playback/software_board/image_file_decoder.h"
#include "playback/software_board/image_file_types.h"
#include "playback/software_board/still_image_component.h"
#include "playback/software_board/title_image_component.h"
#include "playback/still_image_extensions.h"
#include "support/temp_dir.h"
#include "support/test_media_writer.h"

namespace vantorelle {
namespace {

using testing::ImageAlpha;
using testing::ImageFormat;
using testing::Rgb;
using testing::TempDir;

using Pixel = std::array<std::uint8_t, 4>;

// What a title image component hands out after loading a file.
struct Loaded {
  KlpResult result = KlpFail;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::vector<std::uint8_t> rgba;
};

Loaded LoadTitle(const std::string& path) {
  TitleImageComponent image;
  Loaded loaded;
  loaded.result = image.LoadFromFile(path, 0);
  if (!KlpSucceeded(loaded.result)) return loaded;
  EXPECT_EQ(image.GetImageInfo(loaded.width, loaded.height), KlpOk);
  IKlpTitleImageRGB* rgb = nullptr;
  EXPECT_EQ(image.QueryTitleImageRGB(rgb), KlpOk);
  if (!rgb) return loaded;
  loaded.rgba.assign(static_cast<std::size_t>(loaded.width) * loaded.height * 4, 0);
  EXPECT_EQ(rgb->GetRGBData(loaded.rgba.data(), loaded.rgba.size()), KlpOk);
  return loaded;
}

KlpResult LoadResult(const std::string& path) {
  TitleImageComponent image;
  return image.LoadFromFile(path, 0);
}

Pixel At(const std::vector<std::uint8_t>& rgba, int width, int x, int y) {
  const std::size_t i = (static_cast<std::size_t>(y) * width + x) * 4;
  return {rgba[i], rgba[i + 1], rgba[i + 2], rgba[i + 3]};
}

// Every pixel different from its neighbours in each channel, so that swapped
// channels, mirrored rows or flipped pictures all show.
std::vector<std::uint8_t> Pattern(int width, int height, bool varyAlpha) {
  std::vector<std::uint8_t> rgba(static_cast<std::size_t>(width) * height * 4);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      std::uint8_t* p = &rgba[(static_cast<std::size_t>(y) * width + x) * 4];
      p[0] = static_cast<std::uint8_t>(x * 23 + y * 3);
      p[1] = static_cast<std::uint8_t>(y * 29 + x * 5 + 60);
      p[2] = static_cast<std::uint8_t>(255 - x * 7 - y * 13);
      p[3] = varyAlpha ? static_cast<std::uint8_t>((x * 17 + y * 41) % 256) : 255;
    }
  }
  return rgba;
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

void PutLe16(std::string& out, unsigned value) {
  out.push_back(static_cast<char>(value & 0xFF));
  out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

void PutLe32(std::string& out, std::uint32_t value) {
  PutLe16(out, value & 0xFFFF);
  PutLe16(out, value >> 16);
}

// An 18-byte Targa header; descriptor 0x20 puts the first stored row on top.
std::string TgaHeader(int imageType, int width, int height, int bitsPerPixel, int descriptor) {
  std::string header;
  header.push_back(0);  // no image id
  header.push_back(0);  // no colour map
  header.push_back(static_cast<char>(imageType));
  header.append(5, '\0');  // colour map layout
  PutLe16(header, 0);      // x origin
  PutLe16(header, 0);      // y origin
  PutLe16(header, static_cast<unsigned>(width));
  PutLe16(header, static_cast<unsigned>(height));
  header.push_back(static_cast<char>(bitsPerPixel));
  header.push_back(static_cast<char>(descriptor));
  return header;
}

// An uncompressed 24-bit Targa of one colour, every pixel stored.
std::string SolidTga(int width, int height, Rgb colour) {
  std::string file = TgaHeader(2, width, height, 24, 0x20);
  for (long i = 0; i < static_cast<long>(width) * height; ++i) {
    file.push_back(static_cast<char>(colour.b));
    file.push_back(static_cast<char>(colour.g));
    file.push_back(static_cast<char>(colour.r));
  }
  return file;
}

// A run-length Targa of one colour: complete, yet small for any size.
// width must be a multiple of 128 so that no run crosses a row.
std::string SolidRleTga(int width, int height, Rgb colour) {
  std::string file = TgaHeader(10, width, height, 24, 0x20);
  const long runs = static_cast<long>(width) / 128 * height;
  for (long i = 0; i < runs; ++i) {
    file.push_back(static_cast<char>(0x80 | 127));
    file.push_back(static_cast<char>(colour.b));
    file.push_back(static_cast<char>(colour.g));
    file.push_back(static_cast<char>(colour.r));
  }
  return file;
}

// ---------------------------------------------------------------------------
// Each type loads at its size and colour.

struct FormatCase {
  ImageFormat format;
  const char* extension;
  bool lossless;
};

void PrintTo(const FormatCase& c, std::ostream* out) { *out << c.extension; }

std::string CaseName(const ::testing::TestParamInfo<FormatCase>& info) {
  return info.param.extension;
}

// Instantiated as SoftwareBoardImage/AnyType, /LosslessType and /AlphaType.
class AnyType : public ::testing::TestWithParam<FormatCase> {
 protected:
  TempDir dir_;
};
class LosslessType : public AnyType {};
class AlphaType : public AnyType {};

TEST_P(AnyType, LoadsAtItsSizeAndColour) {
  const FormatCase& c = GetParam();
  const std::string path = dir_.File(std::string("solid.") + c.extension);
  std::string error;
  // Odd sides: no decoder may round them up to its block size.
  ASSERT_TRUE(testing::WriteImage(path, c.format, 37, 23, Rgb{200, 40, 90}, &error)) << error;

  const Loaded loaded = LoadTitle(path);
  ASSERT_EQ(loaded.result, KlpOk);
  EXPECT_EQ(loaded.width, 37);
  EXPECT_EQ(loaded.height, 23);
  ASSERT_EQ(loaded.rgba.size(), 37u * 23u * 4u);
  // JPEG is lossy, and the encoder pads the partial blocks at the right and
  // bottom edges, which bleeds into them: it is judged on its whole 16 × 16
  // blocks. A wrong colour range would still be off by more than the tolerance.
  const int tolerance = c.lossless ? 0 : 6;
  const int checkedWidth = c.lossless ? 37 : 32;
  const int checkedHeight = c.lossless ? 23 : 16;
  int wrong = 0;
  Pixel firstWrong{};
  for (int y = 0; y < checkedHeight; ++y) {
    for (int x = 0; x < checkedWidth; ++x) {
      const Pixel p = At(loaded.rgba, 37, x, y);
      const bool close = std::abs(p[0] - 200) <= tolerance && std::abs(p[1] - 40) <= tolerance &&
                         std::abs(p[2] - 90) <= tolerance && p[3] == 255;
      if (!close && wrong++ == 0) firstWrong = p;
    }
  }
  EXPECT_EQ(wrong, 0) << "first wrong pixel " << int(firstWrong[0]) << "," << int(firstWrong[1])
                      << "," << int(firstWrong[2]) << "," << int(firstWrong[3]);
}

TEST_P(LosslessType, KeepsEveryPixelInRgbaOrder) {
  const FormatCase& c = GetParam();
  const std::string path = dir_.File(std::string("pattern.") + c.extension);
  const std::vector<std::uint8_t> pattern = Pattern(11, 7, false);
  std::string error;
  ASSERT_TRUE(testing::WriteImagePixels(path, c.format, 11, 7, pattern, ImageAlpha::Drop, &error)) << error;

  const Loaded loaded = LoadTitle(path);
  ASSERT_EQ(loaded.result, KlpOk);
  ASSERT_EQ(loaded.width, 11);
  ASSERT_EQ(loaded.height, 7);
  EXPECT_EQ(loaded.rgba, pattern);
}

TEST_P(AlphaType, KeepsTheFilesAlpha) {
  const FormatCase& c = GetParam();
  const std::string path = dir_.File(std::string("alpha.") + c.extension);
  const std::vector<std::uint8_t> pattern = Pattern(13, 9, true);
  std::string error;
  ASSERT_TRUE(testing::WriteImagePixels(path, c.format, 13, 9, pattern, ImageAlpha::Keep, &error)) << error;

  const Loaded loaded = LoadTitle(path);
  ASSERT_EQ(loaded.result, KlpOk);
  ASSERT_EQ(loaded.width, 13);
  ASSERT_EQ(loaded.height, 9);
  EXPECT_EQ(loaded.rgba, pattern);
}

const FormatCase kPng{ImageFormat::Png, "png", true};
const FormatCase kJpeg{ImageFormat::Jpeg, "jpg", false};
const FormatCase kBmp{ImageFormat::Bmp, "bmp", true};
const FormatCase kTga{ImageFormat::Tga, "tga", true};
const FormatCase kTiff{ImageFormat::Tiff, "tif", true};

INSTANTIATE_TEST_SUITE_P(SoftwareBoardImage, AnyType,
                         ::testing::Values(kPng, kJpeg, kBmp, kTga, kTiff), CaseName);
INSTANTIATE_TEST_SUITE_P(SoftwareBoardImage, LosslessType,
                         ::testing::Values(kPng, kBmp, kTga, kTiff), CaseName);
INSTANTIATE_TEST_SUITE_P(SoftwareBoardImage, AlphaType, ::testing::Values(kPng, kTga, kTiff),
                         CaseName);

// ---------------------------------------------------------------------------
// Files made by hand, so that orientation and channel order are checked
// against the file layouts themselves rather than FFmpeg's encoders.

// File and information headers of an uncompressed bitmap; height > 0 stores
// the rows bottom up.
std::string BmpHeaders(int width, int height, int bitsPerPixel, std::uint32_t pixelBytes) {
  std::string file = "BM";
  PutLe32(file, 14 + 40 + pixelBytes);
  PutLe32(file, 0);
  PutLe32(file, 14 + 40);
  PutLe32(file, 40);
  PutLe32(file, static_cast<std::uint32_t>(width));
  PutLe32(file, static_cast<std::uint32_t>(height));
  PutLe16(file, 1);
  PutLe16(file, static_cast<unsigned>(bitsPerPixel));
  PutLe32(file, 0);  // uncompressed
  PutLe32(file, pixelBytes);
  PutLe32(file, 2835);
  PutLe32(file, 2835);
  PutLe32(file, 0);
  PutLe32(file, 0);
  return file;
}

TEST(SoftwareBoardImageLayout, BottomUpBitmapComesOutTopRowFirst) {
  TempDir dir;
  // 2 × 2, 24 bits, rows stored bottom up as B, G, R and padded to 4 bytes.
  std::string file = BmpHeaders(2, 2, 24, 16);
  file += std::string("\x30\x20\x10" "\x60\x50\x40" "\0\0", 8);  // bottom row
  file += std::string("\x03\x02\x01" "\x06\x05\x04" "\0\0", 8);  // top row
  const Loaded loaded = LoadTitle(dir.WriteFile("hand.bmp", file));
  ASSERT_EQ(loaded.result, KlpOk);
  ASSERT_EQ(loaded.width, 2);
  ASSERT_EQ(loaded.height, 2);
  EXPECT_EQ(At(loaded.rgba, 2, 0, 0), (Pixel{1, 2, 3, 255}));
  EXPECT_EQ(At(loaded.rgba, 2, 1, 0), (Pixel{4, 5, 6, 255}));
  EXPECT_EQ(At(loaded.rgba, 2, 0, 1), (Pixel{0x10, 0x20, 0x30, 255}));
  EXPECT_EQ(At(loaded.rgba, 2, 1, 1), (Pixel{0x40, 0x50, 0x60, 255}));
}

TEST(SoftwareBoardImageLayout, UnusedFourthBytesOfABitmapComeOutOpaque) {
  TempDir dir;
  // 32-bit bitmaps mostly leave the fourth byte 0; it is not transparency.
  std::string file = BmpHeaders(2, 1, 32, 8);
  file += std::string("\x03\x02\x01\x00" "\x06\x05\x04\x00", 8);
  const Loaded loaded = LoadTitle(dir.WriteFile("unused.bmp", file));
  ASSERT_EQ(loaded.result, KlpOk);
  ASSERT_EQ(loaded.width, 2);
  ASSERT_EQ(loaded.height, 1);
  EXPECT_EQ(At(loaded.rgba, 2, 0, 0), (Pixel{1, 2, 3, 255}));
  EXPECT_EQ(At(loaded.rgba, 2, 1, 0), (Pixel{4, 5, 6, 255}));
}

TEST(SoftwareBoardImageLayout, TargaOriginDecidesWhichRowIsTop) {
  TempDir dir;
  // 32-bit B, G, R, A pixels; the same bytes once top down, once bottom up.
  const std::string pixels("\x03\x02\x01\x80" "\x06\x05\x04\xff"
                           "\x30\x20\x10\x00" "\x60\x50\x40\x40", 16);
  const Loaded topDown = LoadTitle(dir.WriteFile("top.tga", TgaHeader(2, 2, 2, 32, 0x28) + pixels));
  const Loaded bottomUp = LoadTitle(dir.WriteFile("bottom.tga", TgaHeader(2, 2, 2, 32, 0x08) + pixels));
  ASSERT_EQ(topDown.result, KlpOk);
  ASSERT_EQ(bottomUp.result, KlpOk);
  EXPECT_EQ(At(topDown.rgba, 2, 0, 0), (Pixel{1, 2, 3, 0x80}));
  EXPECT_EQ(At(topDown.rgba, 2, 1, 0), (Pixel{4, 5, 6, 0xff}));
  EXPECT_EQ(At(topDown.rgba, 2, 0, 1), (Pixel{0x10, 0x20, 0x30, 0x00}));
  EXPECT_EQ(At(topDown.rgba, 2, 1, 1), (Pixel{0x40, 0x50, 0x60, 0x40}));
  EXPECT_EQ(At(bottomUp.rgba, 2, 0, 0), (Pixel{0x10, 0x20, 0x30, 0x00}));
  EXPECT_EQ(At(bottomUp.rgba, 2, 0, 1), (Pixel{1, 2, 3, 0x80}));
}

TEST(SoftwareBoardImageLayout, GreyImagesKeepTheirLevels) {
  TempDir dir;
  for (const auto& [format, extension] : {std::pair{ImageFormat::Png, "png"},
                                          std::pair{ImageFormat::Tga, "tga"},
                                          std::pair{ImageFormat::Tiff, "tiff"}}) {
    for (const std::uint8_t level : {std::uint8_t{0}, std::uint8_t{30}, std::uint8_t{128}, std::uint8_t{250}}) {
      SCOPED_TRACE(std::string(extension) + " level " + std::to_string(level));
      const std::string path = dir.File("grey" + std::to_string(level) + "." + extension);
      std::string error;
      ASSERT_TRUE(testing::WriteGreyImage(path, format, 5, 3, level, &error)) << error;
      const Loaded loaded = LoadTitle(path);
      ASSERT_EQ(loaded.result, KlpOk);
      // Grey levels of image files span 0..255; read as video range they would stretch.
      EXPECT_EQ(At(loaded.rgba, 5, 4, 2), (Pixel{level, level, level, 255}));
    }
  }
}

// ---------------------------------------------------------------------------
// The import filter lists exactly the types that load.

TEST(SoftwareBoardImageFilter, ParsesToExactlyTheTableExtensions) {
  TitleImageComponent image;
  std::string filter;
  ASSERT_EQ(image.GetImportFilter(filter), KlpOk);
  StillImageExtensions list;
  list.AddFilter(filter);

  std::vector<std::string> table;
  for (const ImageFileType& type : ImageFileTypes()) table.emplace_back(type.extension);
  EXPECT_EQ(list.extensions, table);
  // The types the editor is told of include the five it promises.
  for (const char* promised : {"bmp", "jpg", "jpeg", "png", "tga", "tif", "tiff"}) {
    EXPECT_NE(std::find(table.begin(), table.end(), promised), table.end()) << promised;
  }
  // Description and pattern alternate; the text ends with a separator.
  ASSERT_FALSE(filter.empty());
  EXPECT_EQ(filter.back(), '|');
  ASSERT_FALSE(list.filterParts.empty());
  EXPECT_EQ(list.filterParts.size() % 2, 0u);
  for (std::size_t i = 1; i < list.filterParts.size(); i += 2) {
    EXPECT_EQ(list.filterParts[i].rfind("*.", 0), 0u) << list.filterParts[i];
  }
}

// The writer for each decoder the table names; a type added to the table
// without one here fails, so every listed type is tried.
bool FormatFor(AVCodecID codec, ImageFormat& format) {
  switch (codec) {
    case AV_CODEC_ID_PNG: format = ImageFormat::Png; return true;
    case AV_CODEC_ID_MJPEG: format = ImageFormat::Jpeg; return true;
    case AV_CODEC_ID_BMP: format = ImageFormat::Bmp; return true;
    case AV_CODEC_ID_TARGA: format = ImageFormat::Tga; return true;
    case AV_CODEC_ID_TIFF: format = ImageFormat::Tiff; return true;
    case AV_CODEC_ID_WEBP: format = ImageFormat::Webp; return true;
    case AV_CODEC_ID_GIF: format = ImageFormat::Gif; return true;
    default: return false;
  }
}

TEST(SoftwareBoardImageFilter, EveryListedExtensionLoadsInAnyCase) {
  TempDir dir;
  TitleImageComponent image;
  std::string filter;
  ASSERT_EQ(image.GetImportFilter(filter), KlpOk);
  StillImageExtensions list;
  list.AddFilter(filter);
  ASSERT_FALSE(list.extensions.empty());
  for (const std::string& extension : list.extensions) {
    SCOPED_TRACE(extension);
    const ImageFileType* type = FindImageFileType(extension);
    ASSERT_NE(type, nullptr);
    ImageFormat format{};
    ASSERT_TRUE(FormatFor(type->codec, format)) << "no test writer for this type";
    for (const std::string& name : {"pic." + extension, "PIC." + Upper(extension)}) {
      const std::string path = dir.File(name);
      std::string error;
      ASSERT_TRUE(testing::WriteImage(path, format, 9, 4, Rgb{10, 200, 30}, &error)) << error;
      const Loaded loaded = LoadTitle(path);
      ASSERT_EQ(loaded.result, KlpOk) << name;
      EXPECT_EQ(loaded.width, 9);
      EXPECT_EQ(loaded.height, 4);
    }
  }
}

TEST(SoftwareBoardImageFilter, UnlistedExtensionsAreNotLoaded) {
  EXPECT_EQ(FindImageFileType("heic"), nullptr);
  EXPECT_EQ(FindImageFileType(""), nullptr);
  EXPECT_EQ(FindImageFileType("pn"), nullptr);
  ASSERT_NE(FindImageFileType("JPEG"), nullptr);
  EXPECT_EQ(FindImageFileType("JPEG")->codec, AV_CODEC_ID_MJPEG);
}

// ---------------------------------------------------------------------------
// Refusals.

class SoftwareBoardImageRefusals : public ::testing::Test {
 protected:
  std::string RealPng() {
    const std::string path = dir_.File("real.png");
    EXPECT_TRUE(testing::WriteImage(path, ImageFormat::Png, 16, 16, Rgb{1, 2, 3}));
    return ReadBytes(path);
  }
  std::string RealJpeg() {
    const std::string path = dir_.File("real.jpg");
    EXPECT_TRUE(testing::WriteImage(path, ImageFormat::Jpeg, 32, 24, Rgb{100, 150, 200}));
    return ReadBytes(path);
  }

  TempDir dir_;
};

TEST_F(SoftwareBoardImageRefusals, MissingFileIsNotFound) {
  EXPECT_EQ(LoadResult(dir_.File("absent.png")), KlpFileNotFound);
  EXPECT_EQ(LoadResult(dir_.File("absent.xyz")), KlpFileNotFound);
  EXPECT_EQ(LoadResult(dir_.File("no/such/folder/a.jpg")), KlpFileNotFound);
  // A folder is not an image file, whatever it is called.
  std::filesystem::create_directories(dir_.File("folder.png"));
  EXPECT_EQ(LoadResult(dir_.File("folder.png")), KlpFileNotFound);
}

TEST_F(SoftwareBoardImageRefusals, UnknownExtensionIsABadFormat) {
  const std::string png = RealPng();
  EXPECT_EQ(LoadResult(dir_.WriteFile("picture.gif", png)), KlpBadFormat);
  EXPECT_EQ(LoadResult(dir_.WriteFile("picture", png)), KlpBadFormat);
  EXPECT_EQ(LoadResult(dir_.WriteFile("picture.png.bak", png)), KlpBadFormat);
  EXPECT_EQ(LoadResult(dir_.WriteFile("picture.png", png)), KlpOk);
}

TEST_F(SoftwareBoardImageRefusals, EmptyAndTextFilesAreBadFormats) {
  const std::string text = "This is not a picture, just some words in a file.\n";
  for (const ImageFileType& type : ImageFileTypes()) {
    SCOPED_TRACE(type.extension);
    const std::string extension(type.extension);
    EXPECT_EQ(LoadResult(dir_.WriteFile("empty." + extension, "")), KlpBadFormat);
    EXPECT_EQ(LoadResult(dir_.WriteFile("text." + extension, text)), KlpBadFormat);
  }
}

TEST_F(SoftwareBoardImageRefusals, AFileHoldingAnotherTypeIsRefused) {
  EXPECT_EQ(LoadResult(dir_.WriteFile("really-jpeg.png", RealJpeg())), KlpBadFormat);
  EXPECT_EQ(LoadResult(dir_.WriteFile("really-png.jpg", RealPng())), KlpBadFormat);
  EXPECT_EQ(LoadResult(dir_.WriteFile("really-png.tga", RealPng())), KlpBadFormat);
  // The JPEG decoder would skip to the first marker it finds; a file that
  // merely holds a JPEG somewhere is not one.
  EXPECT_EQ(LoadResult(dir_.WriteFile("quoted.jpg", "Some notes, then " + RealJpeg())), KlpBadFormat);
}

TEST_F(SoftwareBoardImageRefusals, TruncatedPngIsRefused) {
  const std::string png = RealPng();
  ASSERT_GT(png.size(), 40u);
  // Signature and header chunk, but no picture data.
  EXPECT_EQ(LoadResult(dir_.WriteFile("first40.png", png.substr(0, 40))), KlpBadFormat);
  EXPECT_EQ(LoadResult(dir_.WriteFile("signature.png", png.substr(0, 8))), KlpBadFormat);
  EXPECT_EQ(LoadResult(dir_.WriteFile("seven.png", png.substr(0, 7))), KlpBadFormat);
}

TEST_F(SoftwareBoardImageRefusals, TruncatedFilesOfEveryTypeNeverLoadAsSomethingElse) {
  for (const auto& [format, extension] : {std::pair{ImageFormat::Png, "png"}, std::pair{ImageFormat::Jpeg, "jpg"},
                                          std::pair{ImageFormat::Bmp, "bmp"}, std::pair{ImageFormat::Tga, "tga"},
                                          std::pair{ImageFormat::Tiff, "tif"}}) {
    const std::string full = dir_.File(std::string("full.") + extension);
    ASSERT_TRUE(testing::WriteImagePixels(full, format, 24, 16, Pattern(24, 16, false)));
    const std::string bytes = ReadBytes(full);
    for (std::size_t length : {std::size_t{1}, std::size_t{2}, std::size_t{4}, std::size_t{12},
                               std::size_t{18}, std::size_t{30}, bytes.size() / 2, bytes.size() - 1}) {
      SCOPED_TRACE(std::string(extension) + " cut to " + std::to_string(length));
      const Loaded loaded = LoadTitle(dir_.WriteFile(std::string("cut.") + extension, bytes.substr(0, length)));
      // A decoder may conceal a missing tail, but never invent another picture.
      if (KlpSucceeded(loaded.result)) {
        EXPECT_EQ(loaded.width, 24);
        EXPECT_EQ(loaded.height, 16);
      } else {
        EXPECT_EQ(loaded.result, KlpBadFormat);
      }
    }
  }
}

TEST_F(SoftwareBoardImageRefusals, JpegWithABrokenHeaderIsRefused) {
  std::string jpeg = RealJpeg();
  // The start-of-frame segment says how large the picture is: without it the
  // scan cannot be decoded.
  const std::size_t sof = jpeg.find("\xff\xc0", 2);
  ASSERT_NE(sof, std::string::npos);
  std::string noFrame = jpeg;
  noFrame[sof + 1] = '\xfe';  // now a comment
  EXPECT_EQ(LoadResult(dir_.WriteFile("no-frame.jpg", noFrame)), KlpBadFormat);

  std::string zeroSize = jpeg;
  // Segment length (2 bytes), precision (1), then height and width.
  for (std::size_t i = sof + 5; i < sof + 9; ++i) zeroSize[i] = '\0';
  EXPECT_EQ(LoadResult(dir_.WriteFile("zero-size.jpg", zeroSize)), KlpBadFormat);

  const std::string onlyStart = jpeg.substr(0, 3) + std::string(200, '\xff');
  EXPECT_EQ(LoadResult(dir_.WriteFile("only-start.jpg", onlyStart)), KlpBadFormat);
}

TEST_F(SoftwareBoardImageRefusals, PicturesAboveTheSizeLimitsAreRefused) {
  const Rgb grey{90, 90, 90};
  // Complete files, so that only their size can be why they are refused.
  EXPECT_EQ(LoadResult(dir_.WriteFile("widest.tga", SolidTga(kLargestImageSide, 1, grey))), KlpOk);
  EXPECT_EQ(LoadResult(dir_.WriteFile("too-wide.tga", SolidTga(kLargestImageSide + 1, 1, grey))),
            KlpBadFormat);
  EXPECT_EQ(LoadResult(dir_.WriteFile("too-tall.tga", SolidTga(1, kLargestImageSide + 1, grey))),
            KlpBadFormat);
  // Sides within the limit, 8192 × 8193 pixels in all: one row more than allowed.
  ASSERT_EQ(std::int64_t{8192} * 8192, kLargestImagePixels);
  EXPECT_EQ(LoadResult(dir_.WriteFile("too-many.tga", SolidRleTga(8192, 8193, grey))), KlpBadFormat);
  // Headers that promise far more than the file holds.
  EXPECT_EQ(LoadResult(dir_.WriteFile("huge.tga", TgaHeader(2, 65535, 65535, 24, 0x20) + "abc")),
            KlpBadFormat);
  EXPECT_EQ(LoadResult(dir_.WriteFile("empty-side.tga", TgaHeader(2, 0, 10, 24, 0x20) + "abc")),
            KlpBadFormat);
}

// ---------------------------------------------------------------------------
// The title image component's calls.

class SoftwareBoardImageTitleComponent : public ::testing::Test {
 protected:
  std::string WritePattern(const std::string& name, int width, int height) {
    const std::string path = dir_.File(name);
    EXPECT_TRUE(testing::WriteImagePixels(path, ImageFormat::Png, width, height,
                                          Pattern(width, height, false)));
    return path;
  }

  TempDir dir_;
  TitleImageComponent image_;
};

TEST_F(SoftwareBoardImageTitleComponent, CallsBeforeALoadAreUnexpected) {
  std::int32_t width = -1;
  std::int32_t height = -1;
  EXPECT_EQ(image_.GetImageInfo(width, height), KlpUnexpected);
  EXPECT_EQ(width, -1);
  EXPECT_EQ(height, -1);
  IKlpTitleImageRGB* rgb = nullptr;
  ASSERT_EQ(image_.QueryTitleImageRGB(rgb), KlpOk);
  ASSERT_NE(rgb, nullptr);
  std::vector<std::uint8_t> buffer(64, 0xAB);
  EXPECT_EQ(rgb->GetRGBData(buffer.data(), buffer.size()), KlpUnexpected);
  EXPECT_EQ(buffer, std::vector<std::uint8_t>(64, 0xAB));
  // The filter describes the component, not a picture.
  std::string filter;
  EXPECT_EQ(image_.GetImportFilter(filter), KlpOk);
  EXPECT_FALSE(filter.empty());
}

TEST_F(SoftwareBoardImageTitleComponent, ABufferTooSmallIsRefusedAndLeftAlone) {
  ASSERT_EQ(image_.LoadFromFile(WritePattern("p.png", 6, 5), 0), KlpOk);
  IKlpTitleImageRGB* rgb = nullptr;
  ASSERT_EQ(image_.QueryTitleImageRGB(rgb), KlpOk);
  const std::size_t needed = 6 * 5 * 4;

  std::vector<std::uint8_t> small(needed - 1, 0xAB);
  EXPECT_EQ(rgb->GetRGBData(small.data(), small.size()), KlpInvalidArgument);
  EXPECT_EQ(small, std::vector<std::uint8_t>(needed - 1, 0xAB));
  EXPECT_EQ(rgb->GetRGBData(small.data(), 0), KlpInvalidArgument);
  EXPECT_EQ(rgb->GetRGBData(nullptr, needed), KlpPointer);

  // A larger buffer gets the picture and keeps the rest.
  std::vector<std::uint8_t> large(needed + 8, 0xAB);
  ASSERT_EQ(rgb->GetRGBData(large.data(), large.size()), KlpOk);
  const std::vector<std::uint8_t> pattern = Pattern(6, 5, false);
  EXPECT_TRUE(std::equal(pattern.begin(), pattern.end(), large.begin()));
  EXPECT_EQ(std::vector<std::uint8_t>(large.begin() + needed, large.end()), std::vector<std::uint8_t>(8, 0xAB));
}

TEST_F(SoftwareBoardImageTitleComponent, AFailedLoadDropsThePictureBefore) {
  ASSERT_EQ(image_.LoadFromFile(WritePattern("p.png", 6, 5), 0), KlpOk);
  EXPECT_EQ(image_.LoadFromFile(dir_.File("absent.png"), 0), KlpFileNotFound);
  std::int32_t width = 0;
  std::int32_t height = 0;
  EXPECT_EQ(image_.GetImageInfo(width, height), KlpUnexpected);

  // A later load works again, at the new file's size.
  ASSERT_EQ(image_.LoadFromFile(WritePattern("q.png", 3, 8), 0), KlpOk);
  ASSERT_EQ(image_.GetImageInfo(width, height), KlpOk);
  EXPECT_EQ(width, 3);
  EXPECT_EQ(height, 8);
}

// ---------------------------------------------------------------------------
// The still image component keeps the same picture for the title tasks.

TEST(SoftwareBoardImageStillComponent, OpenFileKeepsThePictureAsRgba) {
  TempDir dir;
  const std::string path = dir.File("still.tga");
  const std::vector<std::uint8_t> pattern = Pattern(10, 6, true);
  ASSERT_TRUE(testing::WriteImagePixels(path, ImageFormat::Tga, 10, 6, pattern, ImageAlpha::Keep));

  StillImageComponent still;
  EXPECT_EQ(still.Picture(), nullptr);
  ASSERT_EQ(still.OpenFile(path, 0), KlpOk);
  const RgbaPicture* picture = still.Picture();
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(picture->width, 10);
  EXPECT_EQ(picture->height, 6);
  EXPECT_EQ(picture->pixels, pattern);
  // The same bytes as the title image component hands out.
  EXPECT_EQ(picture->pixels, LoadTitle(path).rgba);
}

TEST(SoftwareBoardImageStillComponent, RefusesLikeTheTitleImageAndDropsThePicture) {
  TempDir dir;
  const std::string path = dir.File("still.png");
  ASSERT_TRUE(testing::WriteImage(path, ImageFormat::Png, 4, 4, Rgb{5, 6, 7}));
  StillImageComponent still;
  ASSERT_EQ(still.OpenFile(path, 0), KlpOk);
  ASSERT_NE(still.Picture(), nullptr);

  EXPECT_EQ(still.OpenFile(dir.File("absent.png"), 0), KlpFileNotFound);
  EXPECT_EQ(still.Picture(), nullptr);
  EXPECT_EQ(still.OpenFile(dir.WriteFile("words.png", "not a picture"), 0), KlpBadFormat);
  EXPECT_EQ(still.OpenFile(dir.WriteFile("empty.jpg", ""), 0), KlpBadFormat);
  EXPECT_EQ(still.OpenFile(dir.WriteFile("picture.xyz", ReadBytes(path)), 0), KlpBadFormat);
  EXPECT_EQ(still.Picture(), nullptr);
}

}  // namespace
}  // namespace vantorelle
