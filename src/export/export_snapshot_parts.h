// The inside of an export snapshot, for the export thread: a board of its
// own and copies of everything of the project that the play reads.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "export/export_snapshot.h"
#include "model/src.h"
#include "model/time_base.h"
#include "model/timeline_data.h"
#include "model/user_interface.h"
#include "playback/klp_interfaces.h"
#include "playback/movie_map.h"
#include "playback/play_engine.h"
#include "playback/play_engine_list.h"
#include "playback/software_board/board_clock.h"
#include "playback/software_board/board_output.h"
#include "playback/software_board/software_board_format.h"

namespace vantorelle {

// Asks nobody; keeps the board's warnings for the export's error text.
class ExportUserInterface final : public IUserInterface {
 public:
  MessageAnswer ShowMessage(const std::string& text, const std::string& caption, MessageIcon,
                            MessageButtons buttons) override {
    messages.push_back(caption.empty() ? text : caption + ": " + text);
    return buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::Cancel;
  }
  std::optional<std::string> AskOpenFileName(const FileDialogRequest&) override { return std::nullopt; }
  std::optional<std::string> AskSaveFileName(const FileDialogRequest&) override { return std::nullopt; }
  MissingSourceAnswer AskMissingSource(const MissingSourceRequest&) override { return {}; }

  std::vector<std::string> messages;
};

// Members are destroyed bottom to top: the play's objects before the
// sources they read and the board they live on.
struct ExportSnapshot::Parts {
  ExportRequest request;
  const ExportPreset* preset = nullptr;
  VideoStandard standard;      // the project's, as the snapshot was taken
  SoftwareBoardFormat format;  // what the board makes: the export's size, or
                               // the project's where titles need it (below)
  ExportFrameSize fileSize{0, 0};  // the pictures written; the board's size
                                   // but for half-size exports with titles,
                                   // which the board draws at the project's
                                   // size and the export shrinks
  ExportSpan span;
  std::int64_t framesTotal = 0;

  std::shared_ptr<VirtualBoardClock> clock;
  std::shared_ptr<BoardOutput> output;
  std::unique_ptr<IKlpComponentFactory> factory;
  ExportUserInterface ui;
  std::vector<std::unique_ptr<CSrc>> sources;
  CTimelineData timeline;
  CMovieMap movieMap;
  std::unique_ptr<CPlayEngine> engine;
  CPlayList list;
};

}  // namespace vantorelle
