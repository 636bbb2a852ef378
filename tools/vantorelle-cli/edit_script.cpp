#include "edit_script.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <optional>
#include <set>
#include <sstream>
#include <vector>

#include "collection/clip_list_commands.h"
#include "commands/command_table.h"
#include "document/tml_import.h"
#include "titles/title_track_settings.h"
#include "titles/title_values.h"
#include "document/headless_views.h"
#include "document/project_storage.h"
#include "document/vantorelle_doc.h"
#include "model/source_paths.h"
#include "playback/source_reading.h"
#include "printing_user_interface.h"
#include "timeline/clip_editor.h"
#include "timeline/command_hub.h"
#include "timeline/command_ids.h"
#include "timeline/source_placement.h"
#include "timeline/undo_history.h"
#include "timeline/work_area_navigator.h"

namespace vantorelle::cli {
namespace {

// A script error: the line is reported and nothing is saved.
struct ScriptError {
  std::string text;
};

class QuietViews : public IViewHost, public ITimerService, public IWorkAreaDisplay {
 public:
  void Repaint(std::uint32_t) override {}
  void RepaintRect(const PixelRect&) override {}
  void SetStatusText(const std::string&) override {}
  void SetMouseCapture(bool) override {}
  void StartTimer(int, int) override {}
  void KillTimer(int) override {}
  void ShowWorkArea(const WorkAreaDisplay&) override {}
  void ShowCurrentTime(TimeMs) override {}
};

// The main commands a script may run: those that open no dialog and need no board.
const std::set<int>& ScriptableMainCommands() {
  using namespace CommandId;
  static const std::set<int> ids{Delete,   Copy,          Cut,           Paste,       Insert,       SplitClip,
                                 SelectAll, DeselectAll,  InvertSelection, Undo,      Redo,         Rewind,
                                 NextFrame, PreviousFrame, ZoomIn,        ZoomOut,     ZoomToProject, ZoomToRange,
                                 TimeInMilliseconds, TimeInFrames, TimeInSmpte};
  return ids;
}

const std::set<int>& ScriptableAreaCommands() {
  using namespace CommandId;
  static const std::set<int> ids{AreaDeleteSelected, AreaCopySelected,     AreaCutSelected,    AreaPaste,
                                 AreaInsert,         AreaDeleteClip,       AreaCutClip,        AreaCopyClip,
                                 AreaSplitClip,      AreaSelectSourceFile, AreaZoomToClip,     AreaSetRangeToClip,
                                 AreaExpandRangeToClip};
  return ids;
}

std::string Trim(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t\r");
  return std::string(text.substr(first, last - first + 1));
}

std::vector<std::string> Words(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> words;
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

std::optional<long long> ParseInteger(const std::string& word) {
  long long value = 0;
  const bool hex = word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X');
  const char* begin = word.data() + (hex ? 2 : 0);
  const char* end = word.data() + word.size();
  const auto [ptr, error] = std::from_chars(begin, end, value, hex ? 16 : 10);
  if (error != std::errc() || ptr != end || begin == end) return std::nullopt;
  return value;
}

long long Integer(const std::string& word, long long min, long long max) {
  const auto value = ParseInteger(word);
  if (!value || *value < min || *value > max) throw ScriptError{"bad number \"" + word + "\""};
  return *value;
}

double Milliseconds(const std::string& word) {
  double value = 0.0;
  const auto [ptr, error] = std::from_chars(word.data(), word.data() + word.size(), value);
  if (error != std::errc() || ptr != word.data() + word.size() || !(value >= 0.0) || value > 86'400'000.0) {
    throw ScriptError{"bad time \"" + word + "\""};
  }
  return value;
}

void ExpectArguments(const std::vector<std::string>& words, std::size_t count) {
  if (words.size() != count + 1) {
    throw ScriptError{"\"" + words[0] + "\" takes " + std::to_string(count) + " argument(s)"};
  }
}

// Collected sources need nothing more without windows: no play components, no pictures.
class HeadlessCollectionHost : public IClipCollectionHost {
 public:
  bool RegisterSource(const CSrc&) override { return true; }
  void CacheFrameImages(CSrc&) override {}
  void ForgetFrameImages(const CSrc&) override {}
  void Repaint(std::int32_t) override {}
};

class EditSession {
 public:
  EditSession(IKlpComponentFactory& factory, const ScriptSettings& settings)
      : factory_(factory),
        doc_(DocumentServices{settings.store, settings.firstRun, ui_, factory, nullptr}),
        editor_(doc_, ui_),
        navigator_(doc_, quiet_, quiet_, quiet_),
        hub_(doc_, editor_, navigator_, quiet_),
        clipList_([](const std::string& text) { return static_cast<int>(text.size()) * 7; }),
        collection_(doc_, clipList_, collectionHost_) {
    doc_.AttachViews(&views_);
    navigator_.SetClientWidth(800);  // a nominal track area, for the zoom and paging commands
  }
  ~EditSession() = default;

  bool Start(const std::string& in) {
    if (in == "new") {
      doc_.NewProject();
    } else if (OpenProjectFile(doc_, in) != ProjectOpenOutcome::Opened) {
      std::fprintf(stderr, "vantorelle-cli: %s: cannot be opened as a project\n", in.c_str());
      return false;
    }
    navigator_.RebuildZoomLadder();
    return true;
  }

  // False when the editor refused the line: it said so, or the edit could not be made.
  bool Execute(const std::string& line) {
    refused_ = false;
    const int warnings = ui_.warningCount;
    Perform(line);
    return !refused_ && ui_.warningCount == warnings;
  }

  bool Save(const std::string& out) { return SaveProjectFile(doc_, out); }

  // The imported clips wait in the clip clipboard, as after the menu's import.
  TmlImportResult Import(const std::string& path) {
    struct QuietHost : ITmlImportHost {} host;
    return ImportVelmoProjectFile(doc_, host, path);
  }

  // Paste, as the track area's, at the frame nearest to the time.
  bool PasteAt(TimeMs at) { return !doc_.timeline.clipboard.empty() && editor_.Paste(SnapToFrameNearest(at)); }

 private:
  void Perform(const std::string& line) {
    const std::vector<std::string> words = Words(line);
    const std::string& verb = words[0];
    if (verb == "time") {
      ExpectArguments(words, 1);
      doc_.times.SetCurrentTime(FormatTimeFull(Milliseconds(words[1])), doc_.timeline.workArea);
    } else if (verb == "range") {
      ExpectArguments(words, 2);
      SetRangeDialog dialog(doc_.times);
      dialog.Enter(FormatTimeFull(Milliseconds(words[1])), FormatTimeFull(Milliseconds(words[2])));
      dialog.Apply(doc_.times);
    } else if (verb == "select") {
      Select(words);
    } else if (verb == "command") {
      RunCommand(Trim(std::string_view(line).substr(line.find("command") + 7)));
    } else if (verb == "add-source") {
      AddSource(Trim(std::string_view(line).substr(line.find("add-source") + 10)));
    } else if (verb == "delete-source") {
      ExpectArguments(words, 1);
      DeleteSource(Integer(words[1], 0, 1'000'000));
    } else if (verb == "import") {
      ImportLine(Trim(std::string_view(line).substr(line.find("import") + 6)));
    } else if (verb == "title-track") {
      ExpectArguments(words, 6);
      AddTitleTrack(words);
    } else if (verb == "drop") {
      ExpectArguments(words, 3);
      Drop(Integer(words[1], 0, 1'000'000), Integer(words[2], 0, 1'000'000), Milliseconds(words[3]));
    } else if (verb == "repeat") {
      ExpectArguments(words, 3);
      Repeat(ClipNumbered(Integer(words[1], 1, 100'000'000)), Integer(words[2], 1, 100'000),
             Milliseconds(words[3]));
    } else if (verb == "tracks") {
      ExpectArguments(words, 2);
      TrackNumbers numbers;
      numbers.video = static_cast<std::int32_t>(Integer(words[1], 1, 4));
      numbers.audio = static_cast<std::int32_t>(Integer(words[2], 1, 4));
      if (!doc_.SetTrackNumbers(numbers, doc_.preferences.exclusiveSolo != 0)) refused_ = true;
    } else {
      throw ScriptError{"unknown command \"" + verb + "\""};
    }
  }

  // Clips numbered as a save would number them now.
  std::vector<CFilm*> NumberedClips() const {
    std::vector<CFilm*> clips;
    for (const auto& track : doc_.timeline.tracks) {
      for (const auto& clip : track->clips) clips.push_back(clip.get());
    }
    return clips;
  }

  CFilm& ClipNumbered(long long number) const {
    const auto clips = NumberedClips();
    if (number < 1 || static_cast<std::size_t>(number) > clips.size()) {
      throw ScriptError{"no clip " + std::to_string(number)};
    }
    return *clips[static_cast<std::size_t>(number - 1)];
  }

  CFilm* FirstSelectedClip() const {
    for (CFilm* clip : NumberedClips()) {
      if (clip->selection) return clip;
    }
    return nullptr;
  }

  void Select(const std::vector<std::string>& words) {
    std::vector<CFilm*> chosen;
    for (std::size_t i = 1; i < words.size(); ++i) chosen.push_back(&ClipNumbered(Integer(words[i], 1, 100'000'000)));
    doc_.RecordUndo(UndoKind::SelectClip);
    for (CFilm* clip : NumberedClips()) clip->selection = 0;
    for (CFilm* clip : chosen) clip->selection = 1;
  }

  int CommandIdFor(const std::string& name) const {
    if (const auto id = ParseInteger(name)) return static_cast<int>(*id);
    const auto table = BuildCommandTable();
    for (CommandGroup group : {CommandGroup::Global, CommandGroup::TracksView}) {
      for (const auto& row : table) {
        if (row.group == group && EqualsIgnoreCase(row.displayName, name)) return row.id;
      }
    }
    throw ScriptError{"unknown command name \"" + name + "\""};
  }

  void RunCommand(const std::string& name) {
    if (name.empty()) throw ScriptError{"\"command\" takes a name or an id"};
    const int id = CommandIdFor(name);
    bool done = false;
    if (ScriptableMainCommands().count(id)) {
      done = hub_.Execute(id);
    } else if (ScriptableAreaCommands().count(id)) {
      done = RunAreaCommand(id);
    } else {
      throw ScriptError{"command \"" + name + "\" needs a dialog or the board"};
    }
    if (!done) {
      std::fprintf(stderr, "vantorelle-cli: \"%s\" is not available now\n", name.c_str());
      refused_ = true;
    }
  }

  // Clip commands of the track area act on the first selected clip, at the current time.
  bool RunAreaCommand(int id) {
    using namespace CommandId;
    const TimeMs mark = doc_.times.timeMark;
    const bool clipboard = !doc_.timeline.clipboard.empty();
    switch (id) {
      case AreaDeleteSelected: return editor_.Delete();
      case AreaCopySelected: editor_.Copy(); return true;
      case AreaCutSelected: return editor_.Cut();
      case AreaPaste: return clipboard && editor_.Paste(SnapToFrameNearest(mark));
      case AreaInsert: return clipboard && editor_.Insert(SnapToFrameFloor(mark));
      default: break;
    }
    CFilm* clip = FirstSelectedClip();
    if (!clip) return false;
    switch (id) {
      case AreaDeleteClip: return editor_.DeleteClip(*clip);
      case AreaCutClip: return editor_.CutClip(*clip);
      case AreaCopyClip: editor_.CopyClip(*clip); return true;
      case AreaSplitClip: return editor_.SplitClip(*clip, mark);
      case AreaSelectSourceFile: editor_.SelectSourceFileInProject(*clip); return true;
      case AreaZoomToClip: navigator_.ZoomToClip(*clip); return true;
      case AreaSetRangeToClip: editor_.SetRangeToClip(*clip); return true;
      case AreaExpandRangeToClip: editor_.ExpandRangeToClip(*clip); return true;
      default: return false;
    }
  }

  // As the Clip Collection's "Add source file...": a file already collected
  // is reported, an unreadable one stops the script.
  void AddSource(const std::string& path) {
    if (path.empty()) throw ScriptError{"\"add-source\" takes a path"};
    collection_.Rebuild();
    const AddSourceOutcome outcome = collection_.AddSourceFromPath(path, true);
    if (outcome == AddSourceOutcome::NotReadable || outcome == AddSourceOutcome::NotRegistered) {
      throw ScriptError{"\"" + path + "\" cannot be added as a source"};
    }
  }

  void DeleteSource(long long index) {
    if (static_cast<std::size_t>(index) >= doc_.sources.size()) throw ScriptError{"no source " + std::to_string(index)};
    collection_.Rebuild();
    clipList_.SelectOnly(clipList_.RowOf(*doc_.sources[static_cast<std::size_t>(index)]));
    collection_.DeleteSourceFile();
  }

  void ImportLine(const std::string& path) {
    if (path.empty()) throw ScriptError{"\"import\" takes a path"};
    const TmlImportResult result = Import(path);
    if (result.outcome == TmlImportOutcome::Unreadable) {
      throw ScriptError{"\"" + path + "\" cannot be imported" + (result.reason.empty() ? "" : ": " + result.reason)};
    }
  }

  // title-track NAME movable|slide LEFT TOP WIDTH HEIGHT, as "Add new track"
  // in the title track settings and OK.
  void AddTitleTrack(const std::vector<std::string>& words) {
    TitleTrackSettingsModel model(doc_);
    TitleTrackEditor editor = model.BeginAdd();
    editor.name = words[1];
    if (words[2] == "movable") editor.SetTypeIndex(kMovableTypeIndex);
    else if (words[2] == "slide") editor.SetTypeIndex(kSlideTypeIndex);
    else throw ScriptError{"a title track is \"movable\" or \"slide\""};
    model.FinishAdd(editor);
    model.SetLeft(static_cast<std::int32_t>(Integer(words[3], 0, 100'000)));
    model.SetTop(static_cast<std::int32_t>(Integer(words[4], 0, 100'000)));
    model.SetWidth(static_cast<std::int32_t>(Integer(words[5], 1, 100'000)));
    model.SetHeight(static_cast<std::int32_t>(Integer(words[6], 1, 100'000)));
    model.Ok(doc_);
  }

  void Drop(long long sourceIndex, long long trackIndex, TimeMs at) {
    if (static_cast<std::size_t>(sourceIndex) >= doc_.sources.size()) {
      throw ScriptError{"no source " + std::to_string(sourceIndex)};
    }
    if (static_cast<std::size_t>(trackIndex) >= doc_.timeline.tracks.size()) {
      throw ScriptError{"no track " + std::to_string(trackIndex)};
    }
    SourcePlacement placement(doc_, *doc_.sources[static_cast<std::size_t>(sourceIndex)]);
    CTrack* track = doc_.timeline.tracks[static_cast<std::size_t>(trackIndex)].get();
    if (!placement.HasCandidates() || !placement.Place(doc_, track, SnapToFrameFloor(at), UndoKind::DropSource)) {
      std::fprintf(stderr, "vantorelle-cli: source %lld cannot be dropped on track %lld at %g ms\n", sourceIndex,
                   trackIndex, at);
      refused_ = true;
    }
  }

  void Repeat(CFilm& clip, long long count, TimeMs pause) {
    RepeatClipDialog dialog(clip, doc_.preferences.repeatClipValue);
    if (dialog.MaximumCount() < 1) {
      std::fprintf(stderr, "vantorelle-cli: no room to repeat the clip\n");
      refused_ = true;
      return;
    }
    dialog.SetCount(static_cast<int>(count));
    dialog.SetPause(pause);
    dialog.Apply(doc_, clip);
  }

  IKlpComponentFactory& factory_;
  PrintingUserInterface ui_;
  HeadlessDocumentViews views_;
  QuietViews quiet_;
  CVantorelleDoc doc_;
  ClipEditor editor_;
  WorkAreaNavigator navigator_;
  CommandHub hub_;
  HeadlessCollectionHost collectionHost_;
  CClipList clipList_;
  ClipListCommands collection_;
  bool refused_ = false;  // the line being run was refused
};

}  // namespace

int RunEditScript(IKlpComponentFactory& factory, const ScriptSettings& settings, const std::string& in,
                  const std::string& out, std::istream& script) {
  EditSession session(factory, settings);
  if (!session.Start(in)) return 1;
  std::vector<std::pair<int, std::string>> refused;
  std::string line;
  for (int number = 1; std::getline(script, line); ++number) {
    const std::string trimmed = Trim(line);
    if (trimmed.empty() || trimmed[0] == '#') continue;
    try {
      if (!session.Execute(trimmed)) refused.emplace_back(number, trimmed);
    } catch (const ScriptError& error) {
      std::fprintf(stderr, "vantorelle-cli: line %d: %s\n", number, error.text.c_str());
      return 1;
    }
  }
  if (!session.Save(out)) return 1;
  for (const auto& [number, text] : refused) {
    std::fprintf(stderr, "vantorelle-cli: line %d refused: %s\n", number, text.c_str());
  }
  return refused.empty() ? 0 : kSomeLinesRefused;
}

int RunTmlImport(IKlpComponentFactory& factory, const ScriptSettings& settings, const TmlImportRequest& request,
                 const std::string& in, const std::string& out) {
  EditSession session(factory, settings);
  if (!session.Start(in)) return 1;
  const TmlImportResult result = session.Import(request.tmlFile);
  if (result.outcome == TmlImportOutcome::Unreadable) {
    std::fprintf(stderr, "vantorelle-cli: %s: cannot be imported%s\n", request.tmlFile.c_str(),
                 result.reason.empty() ? "" : (": " + result.reason).c_str());
    return 1;
  }
  if (result.outcome != TmlImportOutcome::Imported) {
    std::fprintf(stderr, "vantorelle-cli: %s: no item gave a source file; nothing imported\n",
                 request.tmlFile.c_str());
    return 1;
  }
  const bool pasted = !request.pasteAt || session.PasteAt(*request.pasteAt);
  if (!session.Save(out)) return 1;
  if (!pasted) {
    std::fprintf(stderr, "vantorelle-cli: the paste at %g ms was refused; the import is saved without it\n",
                 *request.pasteAt);
    return kSomeLinesRefused;
  }
  return 0;
}

}  // namespace vantorelle::cli
