// The "Title Track Settings" dialog as data: one record per title track of
// the project, in track list order, with the list, the selected record's
// region fields, the half-size preview of every region, adding, changing and
// deleting records, and OK, which refuses overlapping regions and applies
// the records to the project. Cancel is dropping the model: the project is
// only touched by Ok.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "model/mark.h"
#include "model/pixel_rect.h"
#include "titles/title_region.h"
#include "titles/title_track_editor.h"
#include "titles/title_track_record.h"

namespace vantorelle {

class CVantorelleDoc;
class IUserInterface;

class TitleTrackSettingsModel {
 public:
  static constexpr const char* kCaption = "Title Track Settings";
  static constexpr const char* kNameColumn = "Track name";
  static constexpr const char* kInfoColumn = "Track Info";
  static constexpr const char* kDeleteRefusal = "Can't delete track, because there are some clips on deleted track";
  static constexpr const char* kDeleteCaption = "Delete title track";
  static constexpr const char* kIntersectionRefusal = "Replace title regions to prevent their intersection! ";
  static constexpr const char* kIntersectionCaption = "Replace Tile Regions";

  struct ListRow {
    std::string name;
    std::string info;
  };
  struct RegionFields {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
    bool operator==(const RegionFields&) const = default;
  };
  struct PreviewRegion {
    PixelRect rect;  // in preview pixels
    ColourRef fill = 0;
    // A slide track's picture as the board places it in the region: the
    // clip's under the time mark, else its first clip's. No path for none.
    std::string picture;
    PixelRect pictureRect;  // in preview pixels
  };

  // Opens on the document's title tracks with the first record selected, or
  // the record of the given track where it is one of them. The frame is that
  // of the current video standard.
  explicit TitleTrackSettingsModel(const CVantorelleDoc& doc, const CTrack* selectTrack = nullptr);

  const std::vector<TitleTrackRecord>& Records() const { return records_; }
  std::vector<ListRow> ListRows() const;
  const FrameSize& Frame() const { return frame_; }

  // -1 while there is no record.
  std::int32_t Selected() const { return selected_; }
  bool Select(std::int32_t index);

  // "Add new track": the editor opens on a new record; after its OK the
  // record is appended and selected.
  TitleTrackEditor BeginAdd() const;
  void FinishAdd(const TitleTrackEditor& editor);
  // "Selected track settings...": false without a selection.
  bool CanChangeSelected() const { return selected_ >= 0; }
  TitleTrackEditor BeginChange() const;
  // Takes name, type, motion, track height and fades; the region stays.
  void FinishChange(const TitleTrackEditor& editor);
  // "Delete selected track": refused with a warning while the track has
  // clips; otherwise the first record becomes the selected one.
  bool DeleteSelected(IUserInterface& ui);

  // The "Placement" fields of the selected record (zeros without one).
  RegionFields Fields() const;
  // Each answers whether the region changed; the value is limited to keep
  // the region in the frame.
  bool SetLeft(std::int32_t left);
  bool SetTop(std::int32_t top);
  bool SetWidth(std::int32_t width);
  bool SetHeight(std::int32_t height);
  bool SetRight(std::int32_t right);
  bool SetBottom(std::int32_t bottom);

  // The preview: the frame at half size, every region in record order.
  FrameSize PreviewFrame() const { return PreviewSize(frame_); }
  std::vector<PreviewRegion> Preview() const;
  // The preview rectangles to redraw since the last call: a changed
  // region's old and new place, an added or deleted region's place.
  std::vector<PixelRect> TakePreviewDamage();

  // The first pair of records whose regions intersect, if any.
  bool FindIntersection(std::int32_t& first, std::int32_t& second) const;
  // Refused with an error while regions intersect (the dialog stays open);
  // otherwise the records are applied to the document.
  bool Ok(CVantorelleDoc& doc);

 private:
  bool ChangeRegion(const TitleRegion& region);
  ColourRef FillOf(const TitleTrackRecord& record) const;
  void PlacePicture(const TitleTrackRecord& record, PreviewRegion& region) const;

  FrameSize frame_;
  TimeMs timeMark_ = 0.0;
  std::vector<TitleTrackRecord> records_;
  std::int32_t selected_ = -1;
  bool titleTrackShown_ = false;
  std::array<ColourRef, 6> fills_{};
  std::vector<PixelRect> damage_;
};

}  // namespace vantorelle
