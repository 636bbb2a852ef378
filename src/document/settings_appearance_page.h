// The "Appearance" page of the "Settings" dialog: how clip pictures are
// drawn, as two groups of radio buttons over the snapshots type bits.
#pragma once

#include <array>
#include <cstdint>

namespace vantorelle {

class CVantorelleDoc;

class CSettings_AppearancePage {
 public:
  static constexpr const char* kTitle = "Appearance";

  static std::array<const char*, 3> MovieChoices() {
    return {"Don't draw", "Draw first and last frames at clip edges", "Draw every frame"};
  }
  static std::array<const char*, 2> SingleImageChoices() { return {"Don't draw", "Draw every frame"}; }

  explicit CSettings_AppearancePage(const CVantorelleDoc& doc);

  std::int32_t MovieIndex() const { return movieIndex_; }
  std::int32_t SingleImageIndex() const { return singleImageIndex_; }
  // Indices outside a group are ignored; true when taken.
  bool ChooseMovie(std::int32_t index);
  bool ChooseSingleImage(std::int32_t index);

  // One bit for the movie choice in the low byte, one for the single-image
  // choice in the high byte.
  std::uint16_t SnapshotsType() const;
  // Stores the snapshots type and repaints every view.
  void Apply(CVantorelleDoc& doc) const;

 private:
  std::int32_t movieIndex_;
  std::int32_t singleImageIndex_;
};

}  // namespace vantorelle
