// The user-interface service implemented with Qt message boxes and dialogs.
#pragma once

#include "model/user_interface.h"

class QWidget;

namespace vantorelle::shell {

class QtUserInterface : public IUserInterface {
 public:
  explicit QtUserInterface(QWidget* parent = nullptr) : parent_(parent) {}
  void SetParent(QWidget* parent) { parent_ = parent; }

  MessageAnswer ShowMessage(const std::string& text, const std::string& caption,
                            MessageIcon icon, MessageButtons buttons) override;
  bool ShowMessageOffering(const std::string& text, const std::string& caption, MessageIcon icon,
                           const std::string& offer) override;
  std::optional<std::string> AskOpenFileName(const FileDialogRequest& request) override;
  std::optional<std::string> AskSaveFileName(const FileDialogRequest& request) override;
  MissingSourceAnswer AskMissingSource(const MissingSourceRequest& request) override;
  bool AskVideoFormat(const std::string& title, VideoFormatChooser& chooser) override;

 private:
  QWidget* parent_;
};

}  // namespace vantorelle::shell
