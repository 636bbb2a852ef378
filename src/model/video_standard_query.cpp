#include "model/video_standard_query.h"

#include "model/time_base.h"

namespace vantorelle {

bool QueryBoardStandard(IKlpComponentFactory& factory) {
  SetVideoStandard(VideoStandard{});
  std::unique_ptr<IKlpBoard> board;
  if (!KlpSucceeded(factory.CreateBoard(board)) || !board) return false;
  std::int32_t width = 0;
  std::int32_t height = 0;
  double framesPerSecond = 0.0;
  if (!KlpSucceeded(board->GetVideoFormat(0, width, height, &framesPerSecond))) return false;
  // A negative or absurd answer would give a negative or zero frame length;
  // such a board is treated like one that did not answer.
  const double rate = framesPerSecond * 1000.0;
  if (width <= 0 || height <= 0 || !(rate >= 1.0 && rate < 2.0e9)) return false;
  SetVideoStandard(VideoStandard::FromBoard(width, height, framesPerSecond));
  return true;
}

}  // namespace vantorelle
