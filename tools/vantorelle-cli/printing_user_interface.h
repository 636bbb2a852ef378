// The user interface of scripted runs: every message goes to stderr as
// "caption: text", questions take their default answer and file dialogs are
// cancelled, so nothing ever waits for a person.
#pragma once

#include <cstdio>
#include <string>

#include "model/user_interface.h"

namespace vantorelle::cli {

class PrintingUserInterface : public IUserInterface {
 public:
  MessageAnswer ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon,
                            MessageButtons buttons) override {
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    ++messageCount;
    if (icon == MessageIcon::Warning || icon == MessageIcon::Error) ++warningCount;
    switch (buttons) {
      case MessageButtons::Ok:
      case MessageButtons::OkCancel: return MessageAnswer::Ok;
      case MessageButtons::YesNo:
      case MessageButtons::YesNoCancel: return MessageAnswer::Yes;
      case MessageButtons::RetryCancel: return MessageAnswer::Cancel;  // retrying could go on forever
    }
    return MessageAnswer::Ok;
  }
  std::optional<std::string> AskOpenFileName(const FileDialogRequest&) override { return std::nullopt; }
  std::optional<std::string> AskSaveFileName(const FileDialogRequest&) override { return std::nullopt; }
  MissingSourceAnswer AskMissingSource(const MissingSourceRequest& request) override {
    std::fprintf(stderr, "vantorelle-cli: offline source (file not found): %s\n", request.location.c_str());
    return {};
  }

  int messageCount = 0;
  int warningCount = 0;  // the messages that say something could not be done
};

}  // namespace vantorelle::cli
