#include "document/ruler_steps.h"

#include "model/time_base.h"

namespace vantorelle {

std::vector<double> BuildRulerSteps(std::int32_t timeDisplayMode) {
  switch (static_cast<TimeDisplayMode>(timeDisplayMode)) {
    case TimeDisplayMode::Milliseconds:
      return {1,      2,      5,      10,      20,      50,      100,     200,      500,      1000,
              2000,   3000,   5000,   10000,   20000,   30000,   60000,   120000,   180000,   300000,
              600000, 1200000, 1800000, 3600000, 7200000, 10800000, 18000000, 36000000};
    case TimeDisplayMode::Frames:
    case TimeDisplayMode::Smpte: {
      std::vector<double> steps;
      const double frame = CurrentVideoStandard().FrameDelta;
      double power = 1.0;
      for (int k = 0; k <= 6; ++k, power *= 10.0) {
        for (const double factor : {1.0, 2.0, 5.0}) steps.push_back(factor * power * frame);
      }
      return steps;
    }
  }
  return {};
}

}  // namespace vantorelle
