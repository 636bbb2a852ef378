// The board's picture conversion of a 1920 × 1080 YUV 4:2:0 frame into a
// 720 × 576 PAL output (fitted: letterboxed, 16:15 pixels) against a bare
// swscale conversion of the same frame to the same rectangle, in the same
// run; the same with the frame marked interlaced (deinterlaced with bwdif
// before scaling) to show what deinterlacing costs; a packed RGB frame of
// that size; and a 10-bit HDR (PQ, BT.2020) and a 10-bit BT.2020 SDR frame
// of that size, brought onto SDR BT.709 before scaling, to show what tone
// mapping costs. Last, the time line's 64 × 48 frame image of the SDR and
// the HDR frame: the HDR one builds its filter graph for each picture.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "playback/ffmpeg_handles.h"
#include "playback/frame_image_scale.h"
#include "playback/software_board/frame_scaler.h"
#include "playback/software_board/rgb_frame.h"

namespace {

using namespace vantorelle;

constexpr int kSourceWidth = 1920;
constexpr int kSourceHeight = 1080;
constexpr int kOutputWidth = 720;
constexpr int kOutputHeight = 576;
// 16:9 in a 4:3 frame: 432 rows of 576.
constexpr int kFittedHeight = 432;

AvFramePtr MakeFrame(bool interlaced) {
  AvFramePtr frame(av_frame_alloc());
  frame->width = kSourceWidth;
  frame->height = kSourceHeight;
  frame->format = AV_PIX_FMT_YUV420P;
  frame->colorspace = AVCOL_SPC_BT709;
  frame->color_range = AVCOL_RANGE_MPEG;
  frame->interlaced_frame = interlaced ? 1 : 0;
  frame->top_field_first = 1;
  if (av_frame_get_buffer(frame.get(), 0) < 0) return nullptr;
  for (int plane = 0; plane < 3; ++plane) {
    const int rows = plane == 0 ? kSourceHeight : kSourceHeight / 2;
    for (int y = 0; y < rows; ++y) {
      for (int x = 0; x < frame->linesize[plane]; ++x) {
        frame->data[plane][y * frame->linesize[plane] + x] = static_cast<std::uint8_t>(16 + (x + y * 3) % 200);
      }
    }
  }
  return frame;
}

// A packed RGB frame, as lossless and animation codecs give them.
AvFramePtr MakeRgbFrame() {
  AvFramePtr frame(av_frame_alloc());
  frame->width = kSourceWidth;
  frame->height = kSourceHeight;
  frame->format = AV_PIX_FMT_RGB24;
  if (av_frame_get_buffer(frame.get(), 0) < 0) return nullptr;
  for (int y = 0; y < kSourceHeight; ++y) {
    for (int x = 0; x < kSourceWidth * 3; ++x) {
      frame->data[0][y * frame->linesize[0] + x] = static_cast<std::uint8_t>((x + y * 3) % 256);
    }
  }
  return frame;
}

// A 10-bit BT.2020 frame with the given transfer, a gradient of mid tones.
AvFramePtr MakeWideFrame(AVColorTransferCharacteristic transfer) {
  AvFramePtr frame(av_frame_alloc());
  frame->width = kSourceWidth;
  frame->height = kSourceHeight;
  frame->format = AV_PIX_FMT_YUV420P10LE;
  frame->colorspace = AVCOL_SPC_BT2020_NCL;
  frame->color_primaries = AVCOL_PRI_BT2020;
  frame->color_trc = transfer;
  frame->color_range = AVCOL_RANGE_MPEG;
  if (av_frame_get_buffer(frame.get(), 0) < 0) return nullptr;
  for (int plane = 0; plane < 3; ++plane) {
    const int rows = plane == 0 ? kSourceHeight : kSourceHeight / 2;
    const int columns = plane == 0 ? kSourceWidth : kSourceWidth / 2;
    for (int y = 0; y < rows; ++y) {
      auto* row = reinterpret_cast<std::uint16_t*>(frame->data[plane] + y * frame->linesize[plane]);
      for (int x = 0; x < columns; ++x) {
        row[x] = static_cast<std::uint16_t>(plane == 0 ? 64 + (x + y * 3) % 800 : 448 + (x + y) % 128);
      }
    }
  }
  return frame;
}

void RunScaler(benchmark::State& state, AVFrame* frame) {
  if (!frame) {
    state.SkipWithError("no frame");
    return;
  }
  FrameScaler scaler;
  RgbFrame target(kOutputWidth, kOutputHeight);
  ScaleOptions options;
  options.targetPixelAspect = 16.0 / 15.0;
  std::int64_t pts = 0;
  for (auto _ : state) {
    // Frames that follow one another, as a play gives them.
    frame->pts = frame->best_effort_timestamp = pts++;
    frame->pkt_duration = 1;
    if (!scaler.Scale(*frame, target, options)) state.SkipWithError("scale failed");
    benchmark::DoNotOptimize(target.pixels.data());
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_BoardScaleProgressive(benchmark::State& state) { RunScaler(state, MakeFrame(false).get()); }
void BM_BoardScaleInterlaced(benchmark::State& state) { RunScaler(state, MakeFrame(true).get()); }
void BM_BoardScaleRgbSource(benchmark::State& state) { RunScaler(state, MakeRgbFrame().get()); }
void BM_BoardScaleHdrPq(benchmark::State& state) { RunScaler(state, MakeWideFrame(AVCOL_TRC_SMPTE2084).get()); }
void BM_BoardScaleBt2020Sdr(benchmark::State& state) { RunScaler(state, MakeWideFrame(AVCOL_TRC_BT2020_10).get()); }

void BM_BareSwscale(benchmark::State& state) {
  AvFramePtr frame = MakeFrame(false);
  SwsContextPtr scaler;
  RgbFrame target(kOutputWidth, kOutputHeight);
  for (auto _ : state) {
    scaler.reset(sws_getCachedContext(scaler.release(), kSourceWidth, kSourceHeight, AV_PIX_FMT_YUV420P, kOutputWidth,
                                      kFittedHeight, AV_PIX_FMT_RGB24, SWS_BICUBIC, nullptr, nullptr, nullptr));
    std::uint8_t* planes[4] = {target.Pixel(0, (kOutputHeight - kFittedHeight) / 2), nullptr, nullptr, nullptr};
    int strides[4] = {kOutputWidth * 3, 0, 0, 0};
    sws_scale(scaler.get(), frame->data, frame->linesize, 0, kSourceHeight, planes, strides);
    benchmark::DoNotOptimize(target.pixels.data());
  }
  state.SetItemsProcessed(state.iterations());
}

void FrameImage(benchmark::State& state, AVFrame* frame) {
  if (!frame) {
    state.SkipWithError("no frame");
    return;
  }
  SwsContextPtr scaler;
  for (auto _ : state) {
    auto pixels = ScaleToFrameImage(*frame, scaler);
    if (!pixels) state.SkipWithError("scale failed");
    benchmark::DoNotOptimize(pixels);
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_FrameImageSdr(benchmark::State& state) { FrameImage(state, MakeFrame(false).get()); }
void BM_FrameImageHdrPq(benchmark::State& state) { FrameImage(state, MakeWideFrame(AVCOL_TRC_SMPTE2084).get()); }

BENCHMARK(BM_BareSwscale)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BoardScaleProgressive)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BoardScaleInterlaced)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BoardScaleRgbSource)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BoardScaleHdrPq)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BoardScaleBt2020Sdr)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FrameImageSdr)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FrameImageHdrPq)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
