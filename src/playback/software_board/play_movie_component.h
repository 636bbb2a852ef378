// The software board's movie: a movie or sound file opened once, measured, and
// asked for exact frames by time.
#pragma once

#include "playback/klp_interfaces.h"
#include "playback/software_board/movie_file_decoder.h"

namespace vantorelle {

// Stream flags for what a movie file holds.
std::uint32_t MovieStreamFlags(const MovieFacts& facts);

class PlayMovieComponent final : public IKlpPlayMovie {
 public:
  KlpResult OpenFile(const std::string& name) override;
  KlpResult GetMovieInfo(std::int32_t reserved, std::uint32_t& streamFlags, std::int32_t& width,
                         std::int32_t& height, double& videoDurationS, double& framesPerSecond,
                         double& audioDurationS, KlpMovieExtraInfo* extra) override;
  // The image must be the software board's own (KlpInvalidArgument otherwise).
  KlpResult CopyToJPEGImage(IKlpPlayJPEGImage& image, double timeS) override;
  KlpResult CopyToYCrCbImage(IKlpPlayYCrCbImage& image, double timeS) override;
  KlpResult GetImportFilter(std::string& filter) override;

  // For the board's own playback.
  MovieFileDecoder& Decoder() { return decoder_; }
  // The file last opened with success; the board's play-out opens it again on
  // its own decoding threads.
  const std::string& FileName() const { return fileName_; }
  bool HasTransparency() const override { return decoder_.Facts().hasVideo && decoder_.Facts().videoHasAlpha; }

 private:
  MovieFileDecoder decoder_;
  std::string fileName_;
  double audioSeconds_ = 0.0;  // measured from the packets, not the header
};

}  // namespace vantorelle
