// Sets the process-wide video standard for one test and restores it after.
#pragma once

#include "model/time_base.h"

namespace vantorelle::testing {

class VideoStandardScope {
 public:
  explicit VideoStandardScope(const VideoStandard& standard) : saved_(CurrentVideoStandard()) {
    SetVideoStandard(standard);
  }
  ~VideoStandardScope() { SetVideoStandard(saved_); }
  VideoStandardScope(const VideoStandardScope&) = delete;
  VideoStandardScope& operator=(const VideoStandardScope&) = delete;

  static VideoStandard Ntsc() { return VideoStandard::FromBoard(720, 480, 29.97); }
  static VideoStandard WithFrameDelta(double delta) {
    VideoStandard standard;
    standard.FrameDelta = delta;
    return standard;
  }

 private:
  VideoStandard saved_;
};

}  // namespace vantorelle::testing
