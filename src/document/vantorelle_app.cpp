#include "document/vantorelle_app.h"

#include <cstdio>

#include "document/layout_settings.h"
#include "model/time_base.h"
#include "model/video_standard_query.h"

namespace vantorelle {

namespace {

std::string TwoDigits(std::int32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, value < 10 ? "0%d" : "%d", value);
  return text;
}

}  // namespace

std::string CVantorelleApp::AboutText() {
  return "Vantorelle Version " + std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor) + "." +
         TwoDigits(kBuildDay) + TwoDigits(kBuildMonth) + TwoDigits(kBuildYear);
}

std::vector<std::string> CVantorelleApp::DocumentTemplateParts() {
  std::vector<std::string> parts;
  std::string text = kDocumentTemplate;
  std::size_t begin = 0;
  for (std::size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n', begin)) {
    parts.push_back(text.substr(begin, end - begin));
    begin = end + 1;
  }
  parts.push_back(text.substr(begin));
  return parts;
}

StartAction CVantorelleApp::ParseCommandLine(const std::vector<std::string>& arguments) {
  for (const auto& argument : arguments) {
    if (argument.empty() || argument[0] == '-') continue;
    return StartAction{true, argument};
  }
  return StartAction{};
}

void CVantorelleApp::Start(const ISettingsStore& store, IKlpComponentFactory& board) {
  keyCaptureWindow_ = nullptr;
  firstRun_ = !store.SettingsKeyExists();
  boardAnswered_ = QueryBoardStandard(board);
  SetBoardPresent(boardAnswered_);
  if (!boardAnswered_ && !firstRun_) LoadVideoStandard(store);
}

void CVantorelleApp::Shutdown(ISettingsStore& store) const { SaveVideoStandard(store); }

bool CVantorelleApp::RouteKeyDown(const KeyDown& key, bool addressedToCaptureWindow) const {
  if (!keyCaptureWindow_ || !addressedToCaptureWindow) return false;
  switch (key.virtualKey) {
    case VirtualKey::Ctrl:
    case VirtualKey::Shift:
    case VirtualKey::Alt:
    case VirtualKey::Escape:
    case VirtualKey::Tab:
    case VirtualKey::Enter:
      return false;
    default:
      break;
  }
  const std::uint32_t modifiers = (key.shift ? 0x10000u : 0u) + (key.ctrl ? 1u : 0u);
  keyCaptureWindow_->OnCapturedKey(modifiers, key.virtualKey);
  return true;
}

}  // namespace vantorelle
