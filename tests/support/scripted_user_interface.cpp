#include "support/scripted_user_interface.h"

#include "timeline/video_format_chooser.h"

namespace vantorelle::testing {
namespace {

MessageAnswer DefaultAnswer(MessageButtons buttons) {
  switch (buttons) {
    case MessageButtons::YesNo:
    case MessageButtons::YesNoCancel: return MessageAnswer::Yes;
    case MessageButtons::RetryCancel: return MessageAnswer::Cancel;
    default: return MessageAnswer::Ok;
  }
}

template <typename T>
T PopOr(std::deque<T>& queue, T fallback) {
  if (queue.empty()) return fallback;
  T front = std::move(queue.front());
  queue.pop_front();
  return front;
}

}  // namespace

MessageAnswer ScriptedUserInterface::ShowMessage(const std::string& text,
                                                 const std::string& caption, MessageIcon icon,
                                                 MessageButtons buttons) {
  messages.push_back({text, caption, icon, buttons});
  return PopOr(messageAnswers, DefaultAnswer(buttons));
}

std::optional<std::string> ScriptedUserInterface::AskOpenFileName(
    const FileDialogRequest& request) {
  openRequests.push_back(request);
  std::optional<std::string> answer = PopOr<std::optional<std::string>>(openAnswers, std::nullopt);
  if (answer && request.chosenFilterIndex) {
    *request.chosenFilterIndex = PopOr(chosenOpenFilters, request.filterIndex);
  }
  return answer;
}

std::optional<std::string> ScriptedUserInterface::AskSaveFileName(
    const FileDialogRequest& request) {
  saveRequests.push_back(request);
  return PopOr<std::optional<std::string>>(saveAnswers, std::nullopt);
}

MissingSourceAnswer ScriptedUserInterface::AskMissingSource(const MissingSourceRequest& request) {
  missingSourceRequests.push_back(request);
  return PopOr(missingSourceAnswers, MissingSourceAnswer{});
}

std::vector<std::string> ScriptedUserInterface::MessageTexts() const {
  std::vector<std::string> texts;
  for (const auto& message : messages) texts.push_back(message.text);
  return texts;
}

bool ScriptedUserInterface::AskVideoFormat(const std::string& title, VideoFormatChooser& chooser) {
  formatRequests.push_back({title, chooser.Preselected()});
  if (formatAnswers.empty()) return true;
  const std::optional<VideoFormat> answer = formatAnswers.front();
  formatAnswers.pop_front();
  if (!answer) return false;
  const auto& presets = VideoFormatChooser::Presets();
  for (std::size_t i = 0; i < presets.size(); ++i) {
    if (presets[i].format == *answer) {
      chooser.Select(static_cast<int>(i));
      return true;
    }
  }
  chooser.SetCustomWidth(answer->width);
  chooser.SetCustomHeight(answer->height);
  chooser.SetCustomFrameRate(answer->frameRate);
  return true;
}

}  // namespace vantorelle::testing
