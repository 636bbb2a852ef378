// Pictures whose light is not SDR BT.709 as the board shows them: PQ and
// HLG movies (BT.2020 primaries, 10 bits) come out tone-mapped onto the SDR
// output, neither dark nor grey, their colours keeping their hue; movies in
// BT.2020 primaries with an SDR curve come out with BT.709's colours. The
// movies are made by the ffmpeg program with zscale from RGB bars, so what
// each bar should look like is known.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "board_output_rig.h"
#include "board_picture_checks.h"
#include "support/sound_probe.h"
#include "playback/software_board/super_clip.h"
#include "playback/software_board/video_time_line.h"

namespace vantorelle {
namespace {

using testing::At;
using testing::BoardOutputRig;
using testing::HasFfmpegProgram;
using testing::Quoted;
using testing::RenderWholeMovie;
using Rgb = testing::ColourLevels;
using testing::RunFfmpeg;
using testing::Text;
using testing::Within;

class BoardHdrPicture : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HasFfmpegProgram()) GTEST_SKIP() << "no ffmpeg program on PATH";
  }
};

// Four bars side by side: red, green, blue and grey at 192 in BT.709 SDR.
const Rgb kBars[4] = {{192, 0, 0}, {0, 192, 0}, {0, 0, 192}, {192, 192, 192}};

// The bars as full-range planar RGB, 640 × 180.
std::string RgbBarsSource() {
  const std::string size = "160x180";
  return "-f lavfi -i \"color=c=0xC00000:s=" + size + ":d=0.2[a];color=c=0x00C000:s=" + size +
         ":d=0.2[b];color=c=0x0000C0:s=" + size + ":d=0.2[c];color=c=0xC0C0C0:s=" + size +
         ":d=0.2[d];[a][b][c][d]hstack=4,format=gbrp\"";
}

// A 10-bit BT.2020 movie of the bars, with the transfer (an ffmpeg
// -color_trc name) the light is coded with; SDR white is 100 cd/m². YUV
// unless rgb, then planar RGB as some HDR masters are.
bool WriteBt2020Bars(const std::string& path, const std::string& transfer, bool rgb = false) {
  const std::string coding = rgb ? "m=gbr:r=full,format=gbrp10le" : "m=2020_ncl:r=limited,format=yuv444p10le";
  const std::string tags = rgb ? " -colorspace rgb -color_range pc" : " -colorspace bt2020nc -color_range tv";
  return RunFfmpeg(RgbBarsSource() + " -vf \"zscale=tin=709:pin=709:min=gbr:rin=full:t=" + transfer +
                   ":p=2020:npl=100:" + coding + "\" -color_trc " + transfer + " -color_primaries bt2020" + tags +
                   " -c:v ffv1 " + Quoted(path));
}

void ExpectBars(const RgbFrame& frame, int levels) {
  for (int bar = 0; bar < 4; ++bar) {
    const Rgb seen = At(frame, frame.width * (2 * bar + 1) / 8, frame.height / 2);
    EXPECT_TRUE(Within(seen, kBars[bar], levels))
        << "bar " << bar << " shows " << Text(seen) << " for " << Text(kBars[bar]);
  }
}

TEST_F(BoardHdrPicture, HdrBarsAreToneMappedNearTheirSdrLookWithTheirHueKept) {
  struct Case {
    const char* name;
    const char* transfer;
    bool rgb;
  };
  const Case cases[] = {{"pq", "smpte2084", false}, {"hlg", "arib-std-b67", false}, {"pq-rgb", "smpte2084", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    BoardOutputRig rig(SoftwareBoardFormat{320, 90, 25.0});
    const std::string path = rig.Dir().File(std::string("bars-") + c.name + ".mkv");
    ASSERT_TRUE(WriteBt2020Bars(path, c.transfer, c.rgb));
    const std::vector<RgbFrame> frames = RenderWholeMovie(rig, path, 0.2);
    ASSERT_FALSE(frames.empty());
    // Light at or below SDR white is kept nearly as it is: the roll-off
    // towards the highlights takes a little of it.
    ExpectBars(frames.front(), 24);
  }
}

TEST_F(BoardHdrPicture, Bt2020SdrBarsShowBt709Colours) {
  BoardOutputRig rig(SoftwareBoardFormat{320, 90, 25.0});
  const std::string path = rig.Dir().File("bars-2020-sdr.mkv");
  ASSERT_TRUE(WriteBt2020Bars(path, "bt709"));
  const std::vector<RgbFrame> frames = RenderWholeMovie(rig, path, 0.2);
  ASSERT_FALSE(frames.empty());
  // Ten bits near black do not come back exact through the steep foot of
  // the curve: a few levels of the zero channels. Read without the
  // primaries, the red bar would show some 60 levels of green.
  ExpectBars(frames.front(), 8);
}

// The 10-bit limited-range code of PQ light of so many cd/m².
int PqCode(double candelas) {
  const double m1 = 2610.0 / 16384.0;
  const double m2 = 2523.0 / 4096.0 * 128.0;
  const double c1 = 3424.0 / 4096.0;
  const double c2 = 2413.0 / 4096.0 * 32.0;
  const double c3 = 2392.0 / 4096.0 * 32.0;
  const double y = std::pow(candelas / 10000.0, m1);
  const double signal = std::pow((c1 + c2 * y) / (1.0 + c3 * y), m2);
  return static_cast<int>(std::lround(64.0 + 876.0 * signal));
}

TEST_F(BoardHdrPicture, DiffuseWhiteOfHdrComesOutNearSdrWhite) {
  struct Case {
    const char* transfer;
    int code;  // 10-bit luma of diffuse white
  };
  // Diffuse white: 203 cd/m² in PQ, 75 % of the signal in HLG.
  const Case cases[] = {{"smpte2084", PqCode(203.0)}, {"arib-std-b67", 64 + 876 * 3 / 4}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.transfer);
    BoardOutputRig rig(SoftwareBoardFormat{160, 90, 25.0});
    const std::string path = rig.Dir().File(std::string("white-") + c.transfer + ".mkv");
    ASSERT_TRUE(RunFfmpeg("-f lavfi -i color=c=black:s=320x180:d=0.2 -vf \"format=yuv444p10le,geq=lum=" +
                          std::to_string(c.code) + ":cb=512:cr=512\" -color_trc " + c.transfer +
                          " -color_primaries bt2020 -colorspace bt2020nc -color_range tv -c:v ffv1 " +
                          Quoted(path)));
    const std::vector<RgbFrame> frames = RenderWholeMovie(rig, path, 0.2);
    ASSERT_FALSE(frames.empty());
    const Rgb seen = At(frames.front(), 80, 45);
    // Near white and neutral; its code values read as SDR would be a grey.
    EXPECT_GE(std::min({seen.r, seen.g, seen.b}), 215) << Text(seen);
    EXPECT_LE(std::max({seen.r, seen.g, seen.b}) - std::min({seen.r, seen.g, seen.b}), 4) << Text(seen);
  }
}

}  // namespace
}  // namespace vantorelle
