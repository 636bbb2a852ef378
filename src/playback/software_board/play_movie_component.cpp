#include "playback/software_board/play_movie_component.h"

#include "playback/software_board/jpeg_image_component.h"
#include "playback/software_board/movie_file_types.h"
#include "playback/software_board/sound_length.h"
#include "playback/software_board/ycrcb_image_component.h"

namespace vantorelle {

std::uint32_t MovieStreamFlags(const MovieFacts& facts) {
  std::uint32_t flags = 0;
  if (facts.hasVideo) {
    if (facts.videoHasAlpha) {
      flags |= KlpStream::AlphaVideo;
    } else if (facts.videoCodec == AV_CODEC_ID_MJPEG) {
      flags |= KlpStream::JpegVideo;
    } else {
      flags |= KlpStream::YCrCbVideo;
    }
  }
  if (facts.hasAudio) flags |= KlpStream::Audio;
  return flags;
}

KlpResult PlayMovieComponent::OpenFile(const std::string& name) {
  const KlpResult result = decoder_.Open(name);
  fileName_ = result == KlpOk ? name : std::string{};
  audioSeconds_ = result == KlpOk ? decoder_.Facts().audioSeconds : 0.0;
  if (result == KlpOk && decoder_.Facts().hasAudio) {
    // Where the sound really ends, from the time the pictures count from.
    const double measured = SoundEndSecondsOf(name);
    if (measured > 0.0) audioSeconds_ = measured;
  }
  return result;
}

KlpResult PlayMovieComponent::GetMovieInfo(std::int32_t, std::uint32_t& streamFlags, std::int32_t& width,
                                           std::int32_t& height, double& videoDurationS,
                                           double& framesPerSecond, double& audioDurationS,
                                           KlpMovieExtraInfo* extra) {
  if (!decoder_.IsOpen()) return KlpUnexpected;
  const MovieFacts& facts = decoder_.Facts();
  streamFlags = MovieStreamFlags(facts);
  width = facts.width;
  height = facts.height;
  videoDurationS = facts.videoSeconds;
  framesPerSecond = facts.framesPerSecond;
  audioDurationS = audioSeconds_;
  if (extra) {
    extra->audioSampleRate = facts.sampleRate;
    extra->audioBitsPerSample = facts.bitsPerSample;
    extra->audioChannels = facts.channels;
  }
  return KlpOk;
}

KlpResult PlayMovieComponent::CopyToYCrCbImage(IKlpPlayYCrCbImage& image, double timeS) {
  auto* target = dynamic_cast<YCrCbImageComponent*>(&image);
  if (!target) return KlpInvalidArgument;
  if (!decoder_.IsOpen()) return KlpUnexpected;
  if (!decoder_.Facts().hasVideo) return KlpBadFormat;
  const AVFrame* frame = decoder_.DecodeFrame(decoder_.FrameAt(timeS));
  if (!frame) return KlpReadFault;
  return target->TakePicture(*frame) ? KlpOk : KlpFail;
}

KlpResult PlayMovieComponent::CopyToJPEGImage(IKlpPlayJPEGImage& image, double timeS) {
  auto* target = dynamic_cast<JpegImageComponent*>(&image);
  if (!target) return KlpInvalidArgument;
  if (!decoder_.IsOpen()) return KlpUnexpected;
  if (!decoder_.Facts().hasVideo || decoder_.Facts().videoCodec != AV_CODEC_ID_MJPEG) return KlpBadFormat;
  std::vector<std::uint8_t> bytes;
  if (!decoder_.ReadFrameBytes(decoder_.FrameAt(timeS), bytes)) return KlpReadFault;
  target->TakeBytes(std::move(bytes));
  return KlpOk;
}

KlpResult PlayMovieComponent::GetImportFilter(std::string& filter) {
  filter = MovieImportFilter();
  return KlpOk;
}

}  // namespace vantorelle
