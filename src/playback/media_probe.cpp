#include "playback/media_probe.h"

#include <sys/stat.h>

#include <array>
#include <cstdio>

#include "playback/ffmpeg_handles.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/pixdesc.h>
}

namespace vantorelle {
namespace {

// Bytes of the front of a file looked at to tell a damaged media file from
// something that is no media at all.
constexpr std::size_t kRecogniseBytes = 64 * 1024;
// Content that a container's own test recognises this surely is media.
constexpr int kRecognisedScore = AVPROBE_SCORE_MAX / 4 + 1;
// Packets read to find stored picture or sound data before calling it damaged.
constexpr int kPacketsToFindData = 256;

std::string CodecName(const AVCodecParameters& par) {
  if (par.codec_id != AV_CODEC_ID_NONE) return avcodec_get_name(par.codec_id);
  if (par.codec_tag != 0) {
    char tag[AV_FOURCC_MAX_STRING_SIZE] = {};
    av_fourcc_make_string(tag, par.codec_tag);
    return tag;
  }
  return "unknown";
}

// Whether the front of the file is media FFmpeg knows, judged by content only
// (a text file named .mp4 is not; an MP4 cut short is).
bool LooksLikeMedia(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  std::vector<unsigned char> front(kRecogniseBytes + AVPROBE_PADDING_SIZE, 0);
  const std::size_t read = std::fread(front.data(), 1, kRecogniseBytes, file);
  std::fclose(file);
  if (read == 0) return false;
  AVProbeData data{};
  data.filename = "";
  data.buf = front.data();
  data.buf_size = static_cast<int>(read);
  int score = 0;
  const AVInputFormat* format = av_probe_input_format2(&data, 1, &score);
  return format && score >= kRecognisedScore;
}

// Text turned into pictures by a terminal-capture reader is no picture.
bool IsPictureStream(const AVStream& stream) {
  const AVCodecParameters& par = *stream.codecpar;
  return par.codec_type == AVMEDIA_TYPE_VIDEO && par.codec_id != AV_CODEC_ID_ANSI &&
         !(stream.disposition & AV_DISPOSITION_ATTACHED_PIC);
}

double RateOf(AVFormatContext& input, AVStream& stream) {
  for (AVRational rate : {av_guess_frame_rate(&input, &stream, nullptr), stream.avg_frame_rate, stream.r_frame_rate}) {
    if (rate.num > 0 && rate.den > 0) return av_q2d(rate);
  }
  return 0.0;
}

ProbedVideoStream DescribeVideo(AVFormatContext& input, AVStream& stream) {
  const AVCodecParameters& par = *stream.codecpar;
  ProbedVideoStream video;
  video.codec = CodecName(par);
  video.decodable = par.codec_id != AV_CODEC_ID_NONE && avcodec_find_decoder(par.codec_id) != nullptr;
  video.width = par.width;
  video.height = par.height;
  video.framesPerSecond = RateOf(input, stream);
  const AVRational aspect = av_guess_sample_aspect_ratio(&input, &stream, nullptr);
  if (aspect.num > 0 && aspect.den > 0) {
    video.pixelAspectNum = aspect.num;
    video.pixelAspectDen = aspect.den;
  }
  const char* matrix = av_color_space_name(par.color_space);
  video.colourMatrix = matrix ? matrix : "unknown";
  return video;
}

ProbedAudioStream DescribeAudio(const AVStream& stream) {
  const AVCodecParameters& par = *stream.codecpar;
  ProbedAudioStream audio;
  audio.codec = CodecName(par);
  audio.decodable = par.codec_id != AV_CODEC_ID_NONE && avcodec_find_decoder(par.codec_id) != nullptr;
  audio.sampleRate = par.sample_rate;
  audio.channels = par.ch_layout.nb_channels;
  // A file that only counts its channels plays them in the usual order.
  AVChannelLayout usual{};
  const bool unspecified = par.ch_layout.order == AV_CHANNEL_ORDER_UNSPEC;
  if (unspecified) av_channel_layout_default(&usual, par.ch_layout.nb_channels);
  std::array<char, 64> layout{};
  if (av_channel_layout_describe(unspecified ? &usual : &par.ch_layout, layout.data(), layout.size()) > 0) {
    audio.channelLayout = layout.data();
  }
  av_channel_layout_uninit(&usual);
  const char* format = av_get_sample_fmt_name(static_cast<AVSampleFormat>(par.format));
  audio.sampleFormat = format ? format : "";
  return audio;
}

// Whether the file holds any stored bytes of a picture or sound stream.
bool HoldsMediaData(AVFormatContext& input) {
  AvPacketPtr packet(av_packet_alloc());
  if (!packet) return false;
  for (int i = 0; i < kPacketsToFindData && av_read_frame(&input, packet.get()) >= 0; ++i) {
    const AVStream& stream = *input.streams[packet->stream_index];
    const bool media = IsPictureStream(stream) || stream.codecpar->codec_type == AVMEDIA_TYPE_AUDIO;
    const bool holds = media && packet->size > 0;
    av_packet_unref(packet.get());
    if (holds) return true;
  }
  return false;
}

bool SizesAllowed(const MediaProbe& probe) {
  for (const auto& video : probe.video) {
    if (video.width <= 0 || video.height <= 0) return false;
  }
  for (const auto& audio : probe.audio) {
    if (audio.sampleRate <= 0 || audio.channels <= 0) return false;
  }
  return true;
}

}  // namespace

MediaProbe ProbeMediaFile(const std::string& path) {
  MediaProbe probe;
  struct stat info {};
  if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size <= 0) return probe;
  AVFormatContext* raw = nullptr;
  if (avformat_open_input(&raw, path.c_str(), nullptr, nullptr) < 0) {
    if (LooksLikeMedia(path)) probe.verdict = MediaProbeVerdict::Damaged;
    return probe;
  }
  AvInputPtr input(raw);
  probe.container = input->iformat && input->iformat->name ? input->iformat->name : "";
  if (avformat_find_stream_info(input.get(), nullptr) < 0) {
    probe.verdict = MediaProbeVerdict::Damaged;
    return probe;
  }
  for (unsigned i = 0; i < input->nb_streams; ++i) {
    AVStream& stream = *input->streams[i];
    if (IsPictureStream(stream)) {
      probe.video.push_back(DescribeVideo(*input, stream));
    } else if (stream.codecpar->codec_type == AVMEDIA_TYPE_AUDIO) {
      probe.audio.push_back(DescribeAudio(stream));
    }
  }
  if (probe.video.empty() && probe.audio.empty()) {
    probe.verdict = MediaProbeVerdict::NoMediaStream;
    return probe;
  }
  // The board plays the first picture and the first sound stream: a codec
  // it cannot decode in either refuses the file.
  for (const std::string* codec :
       {probe.video.empty() || probe.video.front().decodable ? nullptr : &probe.video.front().codec,
        probe.audio.empty() || probe.audio.front().decodable ? nullptr : &probe.audio.front().codec}) {
    if (codec) {
      probe.verdict = MediaProbeVerdict::NoDecoder;
      probe.undecodableCodec = *codec;
      return probe;
    }
  }
  probe.verdict = SizesAllowed(probe) && HoldsMediaData(*input) ? MediaProbeVerdict::Usable : MediaProbeVerdict::Damaged;
  return probe;
}

std::string RefusalReason(const MediaProbe& probe) {
  switch (probe.verdict) {
    case MediaProbeVerdict::Usable: return {};
    case MediaProbeVerdict::NoMediaStream: return "no picture or sound stream";
    case MediaProbeVerdict::NoDecoder: return "codec " + probe.undecodableCodec + " cannot be decoded";
    case MediaProbeVerdict::Damaged: return "damaged file";
  }
  return {};
}

}  // namespace vantorelle
