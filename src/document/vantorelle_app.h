// The application object: start-up and shutdown of the program as far as
// they are not window plumbing, the version texts and the key capture of
// the shortcut editor.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "document/settings_store.h"
#include "model/virtual_keys.h"
#include "playback/klp_interfaces.h"

namespace vantorelle {

// Windows virtual-key codes of the keys the capture passes over.
// A key press as the core sees it.
struct KeyDown {
  std::uint32_t virtualKey = 0;
  bool shift = false;
  bool ctrl = false;
};

// The window that wants every key pressed inside it (the shortcut editor).
class IKeyCaptureWindow {
 public:
  virtual ~IKeyCaptureWindow() = default;
  // modifiers: 0x10000 with Shift, plus 1 with Ctrl.
  virtual void OnCapturedKey(std::uint32_t modifiers, std::uint32_t virtualKey) = 0;
};

// What start-up does once the main window exists.
struct StartAction {
  bool openProject = false;
  std::string projectPath;  // with openProject
};

class CVantorelleApp {
 public:
  static constexpr std::int32_t kVersionMajor = 1;
  static constexpr std::int32_t kVersionMinor = 1;
  static constexpr std::int32_t kBuildDay = 30;
  static constexpr std::int32_t kBuildMonth = 1;
  static constexpr std::int32_t kBuildYear = 3;
  static constexpr const char* kDocumentTemplate =
      "Vantorelle\n\nVantorelle\nVantorelle Files (*.vrp)\n.vrp\nVantorelle.Document\nVantorelle Document";
  static constexpr const char* kProfileRoot = "Quorvan-Ixt";
  static constexpr int kRecentFileCount = 4;

  // "Vantorelle Version 1.1.300103".
  static std::string AboutText();
  // The parts of the document template: window title, document name,
  // filter name, filter extension, file type id, file type name.
  static std::vector<std::string> DocumentTemplateParts();
  // No argument: a new empty project; otherwise the first argument that is
  // not a switch names the project to open.
  static StartAction ParseCommandLine(const std::vector<std::string>& arguments);

  // Start-up steps before any window: a missing settings key marks a first
  // run; the board is asked for the video standard and, when it does not
  // answer on a later run, the stored one is taken.
  void Start(const ISettingsStore& store, IKlpComponentFactory& board);
  // The video standard in force is kept for the next run.
  void Shutdown(ISettingsStore& store) const;

  bool FirstRun() const { return firstRun_; }
  bool BoardAnswered() const { return boardAnswered_; }

  void SetKeyCaptureWindow(IKeyCaptureWindow* window) { keyCaptureWindow_ = window; }
  IKeyCaptureWindow* KeyCaptureWindow() const { return keyCaptureWindow_; }
  // A key press addressed to the capture window or one of its children is
  // also sent to it, unless it is Ctrl, Shift, Alt, Escape, Tab or Enter.
  // The press is then handled as usual. Answers whether it was sent.
  bool RouteKeyDown(const KeyDown& key, bool addressedToCaptureWindow) const;

 private:
  bool firstRun_ = true;
  bool boardAnswered_ = false;
  IKeyCaptureWindow* keyCaptureWindow_ = nullptr;
};

}  // namespace vantorelle
