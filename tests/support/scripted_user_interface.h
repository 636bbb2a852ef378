// A user interface for tests: records every message and dialog, and answers
// from scripts queued by the test (or with defaults when a script runs dry).
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "model/user_interface.h"
#include "model/video_format.h"

namespace vantorelle::testing {

struct RecordedMessage {
  std::string text;
  std::string caption;
  MessageIcon icon = MessageIcon::None;
  MessageButtons buttons = MessageButtons::Ok;
};

class ScriptedUserInterface : public IUserInterface {
 public:
  MessageAnswer ShowMessage(const std::string& text, const std::string& caption,
                            MessageIcon icon, MessageButtons buttons) override;
  std::optional<std::string> AskOpenFileName(const FileDialogRequest& request) override;
  std::optional<std::string> AskSaveFileName(const FileDialogRequest& request) override;
  MissingSourceAnswer AskMissingSource(const MissingSourceRequest& request) override;
  bool AskVideoFormat(const std::string& title, VideoFormatChooser& chooser) override;

  // Scripts, consumed in order.
  std::deque<MessageAnswer> messageAnswers;
  std::deque<std::optional<std::string>> openAnswers;
  // The filter an answered open dialog reports as chosen (from 1); without
  // one the filter it was shown with.
  std::deque<std::int32_t> chosenOpenFilters;
  std::deque<std::optional<std::string>> saveAnswers;
  std::deque<MissingSourceAnswer> missingSourceAnswers;
  // A format to choose (the preset's where one has it, else the custom
  // fields), or none for Cancel; without a script the preselection stands.
  std::deque<std::optional<VideoFormat>> formatAnswers;

  // Records.
  std::vector<RecordedMessage> messages;
  std::vector<FileDialogRequest> openRequests;
  std::vector<FileDialogRequest> saveRequests;
  std::vector<MissingSourceRequest> missingSourceRequests;
  struct FormatRequest {
    std::string title;
    VideoFormat preselected;
  };
  std::vector<FormatRequest> formatRequests;

  // Message texts only, in order: handy for EXPECT_THAT.
  std::vector<std::string> MessageTexts() const;
};

}  // namespace vantorelle::testing
