// The "Source File Properties" window: the texts of SourceProperties, and
// behind the "Thumbnail >>" button the picture of SourceThumbnail with, for
// AVI movies, a slider over the movie's frames.
#pragma once

#include <QDialog>

#include "document/vantorelle_doc.h"
#include "playback/source_properties.h"
#include "playback/source_thumbnail.h"

class QLabel;
class QPushButton;
class QSlider;

namespace vantorelle::shell {

class SourcePropertiesWindow : public QDialog {
 public:
  SourcePropertiesWindow(const CSrc& source, IKlpComponentFactory& factory, QWidget* parent = nullptr);
  ~SourcePropertiesWindow() override;

 protected:
  void done(int result) override;

 private:
  void ToggleThumbnail();
  void ShowPicture();
  void MoveToFrame(int frame);

  SourceThumbnail thumbnail_;
  QPushButton* thumbnailButton_ = nullptr;
  QWidget* thumbnailPane_ = nullptr;
  QLabel* picture_ = nullptr;
  QLabel* frameText_ = nullptr;
  QSlider* frames_ = nullptr;
};

// Opens the window for a source and waits until it is closed.
void ShowSourceProperties(CVantorelleDoc& doc, CSrc& source, QWidget* parent);

}  // namespace vantorelle::shell
