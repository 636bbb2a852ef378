// The "Title Track Settings" dialog and its "Add"/"Change" editor, over the
// title track models.
#pragma once

#include <QDialog>

#include "titles/title_track_settings.h"

class QSpinBox;
class QTreeWidget;

namespace vantorelle::shell {

class TitleSettingsWindow : public QDialog {
 public:
  TitleSettingsWindow(CVantorelleDoc& doc, IUserInterface& ui, const CTrack* selectTrack, QWidget* parent = nullptr);

 private:
  void RefreshList();
  void RefreshFields();
  bool EditRecord(TitleTrackEditor& editor);

  CVantorelleDoc& doc_;
  IUserInterface& ui_;
  TitleTrackSettingsModel model_;
  QTreeWidget* list_ = nullptr;
  QWidget* preview_ = nullptr;
  std::array<QSpinBox*, 6> fields_{};
  bool refreshing_ = false;
};

}  // namespace vantorelle::shell
