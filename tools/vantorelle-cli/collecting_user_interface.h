// The tool's user interface: it asks nobody; it keeps what the editor would
// have shown so the tool can print it.
#pragma once

#include <string>
#include <vector>

#include "model/user_interface.h"

namespace vantorelle::cli {

class CollectingUserInterface : public IUserInterface {
 public:
  MessageAnswer ShowMessage(const std::string& text, const std::string& caption, MessageIcon,
                            MessageButtons buttons) override {
    messages.push_back({text, caption});
    return buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::Cancel;
  }
  std::optional<std::string> AskOpenFileName(const FileDialogRequest&) override { return std::nullopt; }
  std::optional<std::string> AskSaveFileName(const FileDialogRequest&) override { return std::nullopt; }
  MissingSourceAnswer AskMissingSource(const MissingSourceRequest&) override { return {}; }

  struct Message {
    std::string text;
    std::string caption;
  };
  std::vector<Message> messages;
};

}  // namespace vantorelle::cli
