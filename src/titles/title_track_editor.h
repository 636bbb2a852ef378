// The "Add New Title Track" and "Change Title Track Settings" dialog as data:
// name, type, motion (direction, precision, max speed with its seconds per
// screen), track height and slide show fades of one record. The motion
// fields only apply to movable titles and stand empty and disabled for a
// slide title. The record it was opened on is untouched until Result().
#pragma once

#include <cstdint>
#include <string>

#include "titles/title_track_record.h"

namespace vantorelle {

class TitleTrackEditor {
 public:
  static constexpr const char* kAddCaption = "Add New Title Track";
  static constexpr const char* kChangeCaption = "Change Title Track Settings";

  enum class Purpose { Add, Change };

  // What a list field shows: -1 selects nothing.
  struct ChoiceField {
    std::int32_t selection = -1;
    bool enabled = false;
  };
  struct TextField {
    std::string text;
    bool enabled = false;
  };

  TitleTrackEditor(const TitleTrackRecord& record, Purpose purpose);

  const char* Caption() const;
  Purpose GetPurpose() const { return purpose_; }

  std::string name;
  std::int32_t heightChoice;  // index into kTitleTrackHeights
  TimeMs fadeIn;
  TimeMs fadeOut;

  // 0 "Movable", 1 "Slide"; other indexes are refused.
  std::int32_t TypeIndex() const;
  bool SetTypeIndex(std::int32_t index);

  // The motion fields. Setters refuse values outside the lists and every
  // change while the type is slide.
  ChoiceField Direction() const;
  bool SetDirection(std::int32_t direction);
  ChoiceField Precision() const;
  bool SetPrecision(std::int32_t precision);

  // The speed field as typed; its text becomes "%5.2f" of the hundredths
  // when it loses the focus, and the spin control moves it in hundredths.
  TextField Speed() const;
  bool TypeSpeed(const std::string& text);
  void LeaveSpeedField();
  // Moves by so many hundredths from the spin control's position.
  bool SpinSpeed(std::int32_t hundredths);
  std::int32_t SpeedSpinPosition() const { return speedSteps_; }
  // Follows the direction and the typed speed; never editable.
  TextField SecondsPerScreenField() const;

  // The record with this dialog's values; the speed as it is once the field
  // is left. A slide title keeps the motion values it had.
  TitleTrackRecord Result() const;

 private:
  bool Movable() const;

  TitleTrackRecord record_;
  Purpose purpose_;
  std::string speedText_;
  std::int32_t speedSteps_;
};

}  // namespace vantorelle
