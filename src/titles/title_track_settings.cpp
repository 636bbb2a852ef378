#include "titles/title_track_settings.h"

#include "document/vantorelle_doc.h"
#include "model/user_interface.h"
#include "playback/software_board/title_picture_fit.h"
#include "titles/title_track_apply.h"

namespace vantorelle {

TitleTrackSettingsModel::TitleTrackSettingsModel(const CVantorelleDoc& doc, const CTrack* selectTrack)
    : frame_(CurrentFrameSize()), timeMark_(doc.times.timeMark), fills_(doc.colours.fill) {
  for (const auto& track : doc.timeline.tracks) {
    if (track->Group() != TrackGroup::Title) continue;
    if (track->shown) titleTrackShown_ = true;
    if (track.get() == selectTrack) selected_ = static_cast<std::int32_t>(records_.size());
    records_.push_back(TitleTrackRecord::FromTrack(*track));
  }
  if (selected_ < 0 && !records_.empty()) selected_ = 0;
}

std::vector<TitleTrackSettingsModel::ListRow> TitleTrackSettingsModel::ListRows() const {
  std::vector<ListRow> rows;
  rows.reserve(records_.size());
  for (const auto& record : records_) rows.push_back({record.name, TitleTrackInfoText(record)});
  return rows;
}

bool TitleTrackSettingsModel::Select(std::int32_t index) {
  if (index < 0 || index >= static_cast<std::int32_t>(records_.size())) return false;
  selected_ = index;
  return true;
}

TitleTrackEditor TitleTrackSettingsModel::BeginAdd() const {
  return TitleTrackEditor(TitleTrackRecord::New(static_cast<int>(records_.size()) + 1),
                          TitleTrackEditor::Purpose::Add);
}

void TitleTrackSettingsModel::FinishAdd(const TitleTrackEditor& editor) {
  // Whatever record the editor was opened on, an added one is new: no track,
  // no clips, the default region.
  const TitleTrackRecord edited = editor.Result();
  TitleTrackRecord record = TitleTrackRecord::New(static_cast<int>(records_.size()) + 1);
  record.name = edited.name;
  record.type = edited.type;
  record.direction = edited.direction;
  record.precision = edited.precision;
  record.maxSpeed = edited.maxSpeed;
  record.trackHeight = edited.trackHeight;
  record.fadeIn = edited.fadeIn;
  record.fadeOut = edited.fadeOut;
  records_.push_back(record);
  selected_ = static_cast<std::int32_t>(records_.size()) - 1;
  damage_.push_back(PreviewRect(record.region));
}

TitleTrackEditor TitleTrackSettingsModel::BeginChange() const {
  if (selected_ < 0) return TitleTrackEditor(TitleTrackRecord::New(1), TitleTrackEditor::Purpose::Change);
  return TitleTrackEditor(records_[static_cast<std::size_t>(selected_)], TitleTrackEditor::Purpose::Change);
}

void TitleTrackSettingsModel::FinishChange(const TitleTrackEditor& editor) {
  if (selected_ < 0) return;
  TitleTrackRecord& record = records_[static_cast<std::size_t>(selected_)];
  const TitleTrackRecord edited = editor.Result();
  record.name = edited.name;
  record.type = edited.type;
  record.direction = edited.direction;
  record.precision = edited.precision;
  record.maxSpeed = edited.maxSpeed;
  record.trackHeight = edited.trackHeight;
  record.fadeIn = edited.fadeIn;
  record.fadeOut = edited.fadeOut;
  damage_.push_back(PreviewRect(record.region));  // its fill follows the type
}

bool TitleTrackSettingsModel::DeleteSelected(IUserInterface& ui) {
  if (selected_ < 0) return false;
  const auto at = records_.begin() + selected_;
  // The clips are looked at again as well: a track that gained clips since
  // the settings opened must not be destroyed with them.
  if (at->hasClips || (at->track && !at->track->clips.empty())) {
    ui.ShowMessage(kDeleteRefusal, kDeleteCaption, MessageIcon::Warning, MessageButtons::Ok);
    return false;
  }
  damage_.push_back(PreviewRect(at->region));
  records_.erase(at);
  selected_ = records_.empty() ? -1 : 0;
  return true;
}

TitleTrackSettingsModel::RegionFields TitleTrackSettingsModel::Fields() const {
  if (selected_ < 0) return {};
  const TitleRegion& region = records_[static_cast<std::size_t>(selected_)].region;
  return {region.left, region.top, region.width, region.height, region.Right(), region.Bottom()};
}

bool TitleTrackSettingsModel::ChangeRegion(const TitleRegion& region) {
  TitleRegion& current = records_[static_cast<std::size_t>(selected_)].region;
  if (region == current) return false;
  damage_.push_back(PreviewRect(current));
  damage_.push_back(PreviewRect(region));
  current = region;
  return true;
}

bool TitleTrackSettingsModel::SetLeft(std::int32_t left) {
  if (selected_ < 0) return false;
  return ChangeRegion(WithLeft(records_[static_cast<std::size_t>(selected_)].region, left, frame_));
}

bool TitleTrackSettingsModel::SetTop(std::int32_t top) {
  if (selected_ < 0) return false;
  return ChangeRegion(WithTop(records_[static_cast<std::size_t>(selected_)].region, top, frame_));
}

bool TitleTrackSettingsModel::SetWidth(std::int32_t width) {
  if (selected_ < 0) return false;
  return ChangeRegion(WithWidth(records_[static_cast<std::size_t>(selected_)].region, width, frame_));
}

bool TitleTrackSettingsModel::SetHeight(std::int32_t height) {
  if (selected_ < 0) return false;
  return ChangeRegion(WithHeight(records_[static_cast<std::size_t>(selected_)].region, height, frame_));
}

bool TitleTrackSettingsModel::SetRight(std::int32_t right) {
  if (selected_ < 0) return false;
  return ChangeRegion(WithRight(records_[static_cast<std::size_t>(selected_)].region, right, frame_));
}

bool TitleTrackSettingsModel::SetBottom(std::int32_t bottom) {
  if (selected_ < 0) return false;
  return ChangeRegion(WithBottom(records_[static_cast<std::size_t>(selected_)].region, bottom, frame_));
}

ColourRef TitleTrackSettingsModel::FillOf(const TitleTrackRecord& record) const {
  const int index = ClipColours::IndexOfKind(record.type & 0xFF);
  return index < 0 ? 0 : fills_[static_cast<std::size_t>(index)];
}

std::vector<TitleTrackSettingsModel::PreviewRegion> TitleTrackSettingsModel::Preview() const {
  std::vector<PreviewRegion> regions;
  regions.reserve(records_.size());
  for (const auto& record : records_) {
    PreviewRegion region{PreviewRect(record.region), FillOf(record), {}, {}};
    PlacePicture(record, region);
    regions.push_back(std::move(region));
  }
  return regions;
}

void TitleTrackSettingsModel::PlacePicture(const TitleTrackRecord& record, PreviewRegion& region) const {
  if (!record.track || record.IsMovable()) return;  // a crawl has no one place to show
  const CFilm* shown = nullptr;
  for (const auto& clip : record.track->clips) {
    if (!clip->source || clip->source->frameWidth <= 0 || clip->source->frameHeight <= 0) continue;
    if (!shown) shown = clip.get();
    if (clip->start <= timeMark_ && timeMark_ < clip->End()) {
      shown = clip.get();
      break;
    }
  }
  if (!shown) return;
  const TitleRegion& r = record.region;
  const TitleRect place =
      TitlePicturePlace(shown->source->frameWidth, shown->source->frameHeight, TitleRect{r.left, r.top, r.width, r.height});
  region.picture = shown->source->path;
  region.pictureRect = PixelRect{place.left / 2, place.top / 2, (place.left + place.width) / 2,
                                 (place.top + place.height) / 2};
}

std::vector<PixelRect> TitleTrackSettingsModel::TakePreviewDamage() {
  std::vector<PixelRect> taken;
  taken.swap(damage_);
  return taken;
}

bool TitleTrackSettingsModel::FindIntersection(std::int32_t& first, std::int32_t& second) const {
  for (std::size_t a = 0; a < records_.size(); ++a) {
    for (std::size_t b = a + 1; b < records_.size(); ++b) {
      if (records_[a].region.Intersects(records_[b].region)) {
        first = static_cast<std::int32_t>(a);
        second = static_cast<std::int32_t>(b);
        return true;
      }
    }
  }
  return false;
}

bool TitleTrackSettingsModel::Ok(CVantorelleDoc& doc) {
  std::int32_t first = -1;
  std::int32_t second = -1;
  if (FindIntersection(first, second)) {
    doc.Ui().ShowMessage(kIntersectionRefusal, kIntersectionCaption, MessageIcon::Error, MessageButtons::Ok);
    return false;
  }
  ApplyTitleTrackRecords(doc, records_, titleTrackShown_);
  return true;
}

}  // namespace vantorelle
