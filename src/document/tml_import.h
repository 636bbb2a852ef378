// "Import Velmo project...": the clip items of a *.tml file become sources of
// the Clip Collection and picture and sound clips, which are left in the clip
// clipboard on the tracks their slots map to, for the person to Paste or
// Insert. The import records no undo entry and leaves the modified flag alone.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "document/tml_reader.h"
#include "model/film.h"
#include "model/src.h"
#include "model/user_interface.h"
#include "playback/source_reading.h"

namespace vantorelle {

class CVantorelleDoc;

inline constexpr const char* kTmlImportCaption = "Import Velmo Project";

// One side of the import (pictures or sound): how often each slot is used,
// and the clip made last for each slot, keyed by slot number + 1.
struct TmlSlotSide {
  std::array<int, kTmlSlotCount> uses{};
  std::map<int, std::unique_ptr<CFilm>> clips;

  // The used slots (at least one use), in ascending order.
  std::vector<int> UsedSlots() const;
  int UsedCount() const { return static_cast<int>(UsedSlots().size()); }
  // Stores the clip under slot + 1; a clip stored there before is destroyed.
  void Store(int slot, std::unique_ptr<CFilm> clip);
  // Destroys the clips under keys above the limit.
  void DropAbove(int limitKey);
  void DropClipsOf(const CSrc* source);
};

// What one import builds before anything reaches the project.
class TmlImportContext {
 public:
  TmlImportContext() = default;
  ~TmlImportContext() { Clear(); }
  TmlImportContext(const TmlImportContext&) = delete;
  TmlImportContext& operator=(const TmlImportContext&) = delete;

  // Destroys every clip and then every source not yet handed on.
  void Clear();

  // A new source for the file at the full path: read from the media the
  // first time the import names the file, a copy of that reading after, so
  // a file is probed once however many items name it. None for a file that
  // gave no source (its messages were shown the first time).
  std::unique_ptr<CSrc> SourceOf(const SourceReadContext& reading, const std::string& fullPath);

  std::vector<std::unique_ptr<CSrc>> sources;
  TmlSlotSide picture;
  TmlSlotSide sound;

 private:
  std::map<std::string, std::unique_ptr<CSrc>> probed_;  // by full path; none where the file gave no source
};

// One item into a source and its clips (a sound clip for a sound slot, a
// picture clip for a picture slot, linked when both are made). A missing
// file is reported and skipped; a file that makes no source is skipped.
void ConvertTmlItem(const TmlItem& item, const SourceReadContext& reading, IUserInterface& ui,
                    TmlImportContext& context);
void ConvertTmlItems(const TmlProject& project, const SourceReadContext& reading, IUserInterface& ui,
                     TmlImportContext& context);

// The question asked when the file uses more slots of a side than the
// project has tracks of its group; empty when it need not be asked.
std::string TmlSurplusSlotsQuestion(int usedSoundSlots, int usedPictureSlots, int audioTracks, int videoTracks);

// The key (slot + 1) above which a side's clips are dropped when the
// project has trackCount tracks for them.
int TmlSlotLimitKey(const std::vector<int>& usedSlots, int trackCount);

// The main window's parts that the import talks to. The defaults suit a
// window without them: every source is accepted and nothing is shown.
class ITmlImportHost {
 public:
  virtual ~ITmlImportHost() = default;
  virtual void SetWaitCursor(bool /*shown*/) {}
  // The Clip Collection list's registration of a new source; false refuses it.
  virtual bool OfferToClipCollection(CSrc& /*source*/) { return true; }
  // A source with a picture stream, for the track area's frame pictures.
  virtual void AddToFramePictureCache(CSrc& /*source*/) {}
  virtual void Repaint(std::uint32_t /*redrawMask*/) {}
};

enum class TmlImportOutcome {
  NoFileChosen,  // the open-file dialog was cancelled
  Unreadable,    // the file could not be opened or is unusable
  NoSources,     // no item gave a source
  Declined,      // Cancel on the question about surplus slots
  Imported,
};

struct TmlImportResult {
  TmlImportOutcome outcome = TmlImportOutcome::NoFileChosen;
  std::uint32_t status = TmlStatus::Ok;  // the reader's status
  int sourcesAdded = 0;                  // new sources appended to the project
  int clipsPlaced = 0;                   // clips left in the clip clipboard
  std::string reason;                    // why the file could not be read, when the system said
};

// The whole command: asks for the file and imports it.
TmlImportResult ImportVelmoProject(CVantorelleDoc& doc, ITmlImportHost& host);
// The command after the file was chosen.
TmlImportResult ImportVelmoProjectFile(CVantorelleDoc& doc, ITmlImportHost& host, const std::string& path);

}  // namespace vantorelle
