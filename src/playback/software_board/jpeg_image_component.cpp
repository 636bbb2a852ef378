#include "playback/software_board/jpeg_image_component.h"

#include <climits>
#include <cstring>

#include "playback/software_board/movie_file_decoder.h"
#include "playback/software_board/ycrcb_image_component.h"

namespace vantorelle {

bool JpegImageComponent::OpenDecoder() {
  if (decoder_) return true;
  const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_MJPEG);
  if (!codec) return false;
  AvCodecContextPtr decoder(avcodec_alloc_context3(codec));
  packet_.reset(av_packet_alloc());
  frame_.reset(av_frame_alloc());
  if (!decoder || !packet_ || !frame_) return false;
  decoder->max_pixels = static_cast<std::int64_t>(kLargestMovieSide) * kLargestMovieSide / 4;
  if (avcodec_open2(decoder.get(), codec, nullptr) < 0) return false;
  decoder_ = std::move(decoder);
  return true;
}

KlpResult JpegImageComponent::DecompressToImage(IKlpPlayYCrCbImage& image) {
  auto* target = dynamic_cast<YCrCbImageComponent*>(&image);
  if (!target) return KlpInvalidArgument;
  if (bytes_.empty()) return KlpUnexpected;
  if (bytes_.size() > static_cast<std::size_t>(INT_MAX - AV_INPUT_BUFFER_PADDING_SIZE)) return KlpBadFormat;
  if (!OpenDecoder()) return KlpFail;
  if (av_new_packet(packet_.get(), static_cast<int>(bytes_.size())) < 0) return KlpOutOfMemory;
  std::memcpy(packet_->data, bytes_.data(), bytes_.size());
  packet_->flags |= AV_PKT_FLAG_KEY;
  const int sent = avcodec_send_packet(decoder_.get(), packet_.get());
  av_packet_unref(packet_.get());
  // Each JPEG stands alone: nothing stays in the decoder between pictures.
  const int received = sent < 0 ? sent : avcodec_receive_frame(decoder_.get(), frame_.get());
  if (received < 0) {
    avcodec_flush_buffers(decoder_.get());
    return KlpBadFormat;
  }
  const bool taken = target->TakePicture(*frame_);
  av_frame_unref(frame_.get());
  return taken ? KlpOk : KlpBadFormat;
}

}  // namespace vantorelle
