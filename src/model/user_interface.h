// The one door through which the core talks to the person at the screen:
// message boxes, questions, file dialogs and the missing-source dialogs.
// The desktop shell implements it with its toolkit; tests script it.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vantorelle {

class VideoFormatChooser;

enum class MessageIcon { None, Information, Warning, Error, Question };

enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };

enum class MessageAnswer { Ok, Cancel, Yes, No, Retry };

struct FileDialogRequest {
  std::string title;
  // Pairs of description and pattern, e.g. {"AVI files(*.AVI)", "*.AVI"}.
  std::vector<std::pair<std::string, std::string>> filters;
  std::string initialDirectory;
  std::string initialName;
  std::string defaultExtension;
  // The filter shown first, counted from 1 as the stored filter indexes are.
  std::int32_t filterIndex = 1;
  // When set, an answered dialog writes the filter chosen there (from 1).
  std::int32_t* chosenFilterIndex = nullptr;
};

// What the person decided about a source file that was not found on disk.
struct MissingSourceAnswer {
  enum class Kind { FileChosen = 1, Skip = 2, SkipAll = 55555 };
  Kind kind = Kind::Skip;
  std::string chosenPath;       // with FileChosen
  std::string chosenDirectory;  // the chosen path up to and including the last separator
};

struct MissingSourceRequest {
  std::string location;                 // where the file was looked for
  std::string fileName;                 // its name, the initial name of the Browse dialog
  std::vector<std::string> candidates;  // files of that name found elsewhere
};

class IUserInterface {
 public:
  virtual ~IUserInterface() = default;

  virtual MessageAnswer ShowMessage(const std::string& text, const std::string& caption,
                                    MessageIcon icon, MessageButtons buttons) = 0;

  virtual std::optional<std::string> AskOpenFileName(const FileDialogRequest& request) = 0;
  virtual std::optional<std::string> AskSaveFileName(const FileDialogRequest& request) = 0;

  // The "Load Clip Collection" dialog (no candidates) or "Load Project" dialog.
  virtual MissingSourceAnswer AskMissingSource(const MissingSourceRequest& request) = 0;

  // The video format dialog of New project and Screen size settings: the
  // person picks in the chooser; false on Cancel. Where nobody can be asked
  // the preselected format stands.
  virtual bool AskVideoFormat(const std::string& title, VideoFormatChooser& chooser) {
    (void)title;
    (void)chooser;
    return true;
  }

  // A message with one more button beside OK, e.g. "Open Folder"; true when
  // the person chose it. Where nobody can be asked, OK stands.
  virtual bool ShowMessageOffering(const std::string& text, const std::string& caption, MessageIcon icon,
                                   const std::string& offer) {
    (void)offer;
    ShowMessage(text, caption, icon, MessageButtons::Ok);
    return false;
  }

  // Shorthand for the common warning box with one OK button.
  void Warn(const std::string& text, const std::string& caption) {
    ShowMessage(text, caption, MessageIcon::Warning, MessageButtons::Ok);
  }
};

}  // namespace vantorelle
