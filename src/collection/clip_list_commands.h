// The Clip Collection list's commands on the document: adding a source file,
// deleting one with the clips made from it, selecting those clips, the
// properties of a source, and dragging sources out of the list or dropping
// a file onto it.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "collection/clip_list_model.h"
#include "document/vantorelle_doc.h"

namespace vantorelle {

class FileInWork;

// What the list hands on to the playback side and the track area.
class IClipCollectionHost {
 public:
  virtual ~IClipCollectionHost() = default;
  // Opens a new source in the playback engine's movie map. False (after the
  // engine's own message) discards the source.
  virtual bool RegisterSource(const CSrc& source) = 0;
  // The track area's frame-image cache: a picture source joins it once
  // added, and every source leaves it before it is destroyed.
  virtual void CacheFrameImages(CSrc& source) = 0;
  virtual void ForgetFrameImages(const CSrc& source) = 0;
  // Repaints the views of a redraw mask (2 the track area, 4 this list).
  virtual void Repaint(std::int32_t mask) = 0;
};

inline constexpr const char* kOpenClipTitle = "Open Clip";
inline constexpr const char* kDeleteSourceCaption = "Delete File From Clip Collection";
inline constexpr const char* kDropOntoItself = "An item can't be dropped onto itself";
inline constexpr const char* kDropSourceNotDefined = "List -- Source control not defined";
inline constexpr const char* kClipListMessageCaption = "Vantorelle";
// After a deletion: the track area and this list.
inline constexpr std::int32_t kClipListDeleteRedrawMask = 6;

// "File %s \nwas already opened in Clip Collection".
std::string DuplicateSourceMessage(const std::string& path);
// The two delete questions, for a source used by clips and for one that is not.
std::string DeleteUsedSourceQuestion(const std::string& name, const std::string& folder);
std::string DeleteUnusedSourceQuestion(const std::string& name, const std::string& folder);

enum class AddSourceOutcome { Cancelled, Duplicate, NotReadable, NotRegistered, Added };

enum class DropOutcome {
  OntoItself,        // onto a row of this list's own drag
  NotDefined,        // not a file from the file viewer
  Malformed,         // a file viewer payload whose bytes do not hold together
  AlreadyCollected,  // its path is in the collection: ignored without a word
  NotAdded,          // the file could not be made a source
  Added,
};

class ClipListCommands {
 public:
  // The document, list and host outlive the commands. Sources made here are
  // guarded by fileInWork (may be none).
  ClipListCommands(CVantorelleDoc& doc, CClipList& list, IClipCollectionHost& host,
                   const FileInWork* fileInWork = nullptr);

  // The list's rows from the document's sources, in their order.
  void Rebuild();

  // The list's own add command: asks for a file in the "Open Clip" dialog.
  AddSourceOutcome AddSourceFile();
  // Steps after the dialog: the duplicate check (with its warning when
  // warnDuplicate), reading the file, registering, appending, rebuilding.
  AddSourceOutcome AddSourceFromPath(const std::string& path, bool warnDuplicate);

  bool CanDeleteSourceFile() const;
  // The selected row's source, after its question; its clips go with it and
  // the undo history is emptied. False when nothing changed.
  bool DeleteSourceFile();

  bool CanSelectClipsOfSource() const;
  // Deselects every clip, then selects those made from the focused row's source.
  bool SelectClipsOfSource();

  // The source whose properties the properties command opens; none without
  // a focused row.
  CSrc* PropertiesSource() const { return list_.FocusedSource(); }

  // Begins dragging the row under the mouse: the payload of every selected
  // row, or none when the drag may not start (after the frame-size warning,
  // or when no shown track takes any of the source's kinds).
  std::optional<std::vector<std::uint8_t>> BeginDrag(int row);
  void EndDrag() { list_.EndRowDrag(); }

  // A drop onto the list at a row (-1 when over no row). The drop
  // highlight is cleared whatever it comes to.
  DropOutcome Drop(std::span<const std::uint8_t> payload, int rowUnderPointer);

 private:
  CSrc* CollectedSource(const std::string& path) const;
  void RemoveClipsOf(const CSrc& source);
  bool HistoryHolds(const CSrc& source) const;

  CVantorelleDoc& doc_;
  CClipList& list_;
  IClipCollectionHost& host_;
  const FileInWork* fileInWork_;
};

}  // namespace vantorelle
