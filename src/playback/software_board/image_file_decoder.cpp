#include "playback/software_board/image_file_decoder.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <optional>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libswscale/swscale.h>
}

#include "model/regular_file.h"
#include "model/source_paths.h"
#include "playback/ffmpeg_handles.h"
#include "playback/software_board/image_file_types.h"
#include "playback/software_board/picture_colour.h"

namespace vantorelle {
namespace {

// An image file is read whole; anything larger is not a picture we would hold.
constexpr std::int64_t kLargestFileBytes = std::int64_t{1} << 30;

bool SizeAllowed(int width, int height) {
  return width > 0 && height > 0 && width <= kLargestImageSide && height <= kLargestImageSide &&
         static_cast<std::int64_t>(width) * height <= kLargestImagePixels;
}

// An open regular file (never a pipe, which would block, nor a device); its
// size bounds everything read from it.
KlpResult OpenImageFile(const std::string& path, std::optional<RegularFile>& file) {
  std::string reason;
  file = RegularFile::Open(path, reason);
  if (!file) return KlpFileNotFound;
  if (file->Size() == 0 || file->Size() > static_cast<std::uint64_t>(kLargestFileBytes)) return KlpBadFormat;
  return KlpOk;
}

// Enough of the front of a file for every type's signature test.
constexpr std::size_t kSignatureBytes = 18;

// The whole file in a packet, whose zeroed padding the decoders rely on.
KlpResult ReadWholeFile(RegularFile& file, AVPacket& packet) {
  if (av_new_packet(&packet, static_cast<int>(file.Size())) < 0) return KlpOutOfMemory;
  std::string reason;
  if (!file.ReadAt(0, packet.data, static_cast<std::size_t>(file.Size()), reason)) return KlpReadFault;
  return KlpOk;
}

// Decoders make what they can of any bytes; the first bytes must be those
// every file of the type starts with, so that a file named for one type but
// holding another, or text, is refused.
bool StartsLike(AVCodecID codec, const std::uint8_t* data, std::size_t size) {
  auto startsWith = [&](const char* magic, std::size_t length) {
    return size >= length && std::memcmp(data, magic, length) == 0;
  };
  switch (codec) {
    case AV_CODEC_ID_PNG: return startsWith("\x89PNG\r\n\x1a\n", 8);
    case AV_CODEC_ID_MJPEG: return startsWith("\xff\xd8\xff", 3);
    case AV_CODEC_ID_BMP: return startsWith("BM", 2);
    case AV_CODEC_ID_TIFF: return startsWith("II*\0", 4) || startsWith("MM\0*", 4);
    case AV_CODEC_ID_WEBP: return size >= 12 && startsWith("RIFF", 4) && std::memcmp(data + 8, "WEBP", 4) == 0;
    case AV_CODEC_ID_GIF: return startsWith("GIF87a", 6) || startsWith("GIF89a", 6);
    case AV_CODEC_ID_TARGA: {
      // Targa has no magic: its 18-byte header must hold values it allows.
      if (size < 18) return false;
      const std::uint8_t colourMapType = data[1];
      const std::uint8_t imageType = data[2];
      const std::uint8_t bitsPerPixel = data[16];
      const bool knownType = imageType == 1 || imageType == 2 || imageType == 3 ||
                             imageType == 9 || imageType == 10 || imageType == 11;
      const bool knownDepth = bitsPerPixel == 8 || bitsPerPixel == 15 || bitsPerPixel == 16 ||
                              bitsPerPixel == 24 || bitsPerPixel == 32;
      return colourMapType <= 1 && knownType && knownDepth;
    }
    default: return false;
  }
}

// Refuses a picture the editor will not hold before the decoder allocates
// room for it (max_pixels alone lets very long, thin pictures through).
int GetBufferWithinLimits(AVCodecContext* context, AVFrame* frame, int flags) {
  if (!SizeAllowed(frame->width, frame->height)) return AVERROR_INVALIDDATA;
  return avcodec_default_get_buffer2(context, frame, flags);
}

KlpResult DecodePacket(AVCodecID codecId, AVPacket& packet, AVFrame& frame) {
  const AVCodec* decoder = avcodec_find_decoder(codecId);
  if (!decoder) return KlpBadFormat;
  AvCodecContextPtr codec(avcodec_alloc_context3(decoder));
  if (!codec) return KlpOutOfMemory;
  codec->max_pixels = kLargestImagePixels;
  codec->get_buffer2 = GetBufferWithinLimits;
  // One picture: threads would only add start-up cost and hold the frame back.
  codec->thread_count = 1;
  codec->thread_type = FF_THREAD_SLICE;
  if (avcodec_open2(codec.get(), decoder, nullptr) < 0) return KlpFail;
  packet.flags |= AV_PKT_FLAG_KEY;
  if (avcodec_send_packet(codec.get(), &packet) < 0) return KlpBadFormat;
  // End of input, so that a decoder that holds pictures back gives this one up.
  avcodec_send_packet(codec.get(), nullptr);
  if (avcodec_receive_frame(codec.get(), &frame) < 0) return KlpBadFormat;
  return KlpOk;
}

KlpResult ConvertToRgba(const AVFrame& frame, RgbaPicture& picture) {
  if (!SizeAllowed(frame.width, frame.height)) return KlpBadFormat;
  const PictureColour colour = ColourOf(frame);
  const AVPixelFormat source = colour.format;
  if (source == AV_PIX_FMT_NONE || !sws_isSupportedInput(source)) return KlpBadFormat;
  SwsContextPtr scaler(
      sws_getContext(frame.width, frame.height, source, frame.width, frame.height, AV_PIX_FMT_RGBA,
                     SWS_BICUBIC | SWS_ACCURATE_RND, nullptr, nullptr, nullptr));
  if (!scaler) return KlpBadFormat;
  ApplySourceColour(*scaler, colour);

  RgbaPicture converted;
  converted.width = frame.width;
  converted.height = frame.height;
  try {
    converted.pixels.assign(static_cast<std::size_t>(frame.width) * frame.height * 4, 0);
  } catch (const std::bad_alloc&) {
    return KlpOutOfMemory;
  }
  std::uint8_t* planes[4] = {converted.pixels.data(), nullptr, nullptr, nullptr};
  int strides[4] = {frame.width * 4, 0, 0, 0};
  if (sws_scale(scaler.get(), frame.data, frame.linesize, 0, frame.height, planes, strides) <= 0) {
    return KlpBadFormat;
  }
  picture = std::move(converted);
  return KlpOk;
}

}  // namespace

KlpResult DecodeImageFile(const std::string& path, RgbaPicture& picture) {
  // A missing file is reported as such whatever its name says.
  std::optional<RegularFile> file;
  const KlpResult opened = OpenImageFile(path, file);
  if (!KlpSucceeded(opened)) return opened;
  const ImageFileType* type = FindImageFileType(ExtensionOf(FileNameOf(path)));
  if (!type) return KlpBadFormat;
  // The signature first: a large file of anything else costs a few bytes.
  std::uint8_t front[kSignatureBytes] = {};
  const std::size_t frontBytes = static_cast<std::size_t>(std::min<std::uint64_t>(file->Size(), kSignatureBytes));
  std::string reason;
  if (!file->ReadAt(0, front, frontBytes, reason)) return KlpReadFault;
  if (!StartsLike(type->codec, front, frontBytes)) return KlpBadFormat;

  AvPacketPtr packet(av_packet_alloc());
  AvFramePtr frame(av_frame_alloc());
  if (!packet || !frame) return KlpOutOfMemory;
  const KlpResult read = ReadWholeFile(*file, *packet);
  if (!KlpSucceeded(read)) return read;
  file.reset();
  const KlpResult decoded = DecodePacket(type->codec, *packet, *frame);
  if (!KlpSucceeded(decoded)) return decoded;
  return ConvertToRgba(*frame, picture);
}

}  // namespace vantorelle
