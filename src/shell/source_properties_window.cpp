#include "source_properties_window.h"

#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

namespace vantorelle::shell {
namespace {

// Wide enough for most paths; longer ones lose leading folders to "...".
constexpr int kFileNameFieldWidth = 360;

QImage ToImage(const ThumbnailPicture& picture) {
  if (picture.Empty() || picture.width <= 0 || picture.height <= 0) return {};
  const QImage::Format format = picture.bytesPerPixel == 4 ? QImage::Format_RGBX8888 : QImage::Format_RGB888;
  const std::int32_t stride = picture.stride > 0 ? picture.stride : picture.width * picture.bytesPerPixel;
  if (static_cast<std::size_t>(stride) * static_cast<std::size_t>(picture.height) > picture.pixels.size()) return {};
  // The picture changes with the next frame; the image keeps its own copy.
  return QImage(picture.pixels.data(), picture.width, picture.height, stride, format).copy();
}

QLabel* AddField(QFormLayout& form, const char* label, const std::string& text, QWidget* parent) {
  auto* field = new QLabel(QString::fromStdString(text), parent);
  field->setTextInteractionFlags(Qt::TextSelectableByMouse);
  form.addRow(label, field);
  return field;
}

}  // namespace

SourcePropertiesWindow::SourcePropertiesWindow(const CSrc& source, IKlpComponentFactory& factory, QWidget* parent)
    : QDialog(parent), thumbnail_(source, factory) {
  setWindowTitle("Source File Properties");
  const QFontMetrics metrics(font());
  const TextWidth measure = [&metrics](std::string_view text) {
    return metrics.horizontalAdvance(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
  };
  const SourcePropertyTexts texts = SourceProperties(source, factory, kFileNameFieldWidth, measure);

  auto* layout = new QHBoxLayout(this);
  auto* general = new QVBoxLayout;
  layout->addLayout(general);
  auto* form = new QFormLayout;
  general->addLayout(form);
  QLabel* fileName = AddField(*form, "File name:", texts.fileName, this);
  fileName->setMinimumWidth(kFileNameFieldWidth);
  fileName->setToolTip(QString::fromStdString(source.path));
  AddField(*form, "File size:", texts.fileSize, this);
  AddField(*form, "Modified:", texts.modified, this);
  AddField(*form, "Width:", texts.frameWidth, this);
  AddField(*form, "Height:", texts.frameHeight, this);
  AddField(*form, "Frame rate:", texts.frameRate, this);
  AddField(*form, "Video codec:", texts.videoCodec, this);
  AddField(*form, "Pixel aspect:", texts.pixelAspect, this);
  AddField(*form, "Colour matrix:", texts.colourMatrix, this);
  AddField(*form, "Video duration:", texts.videoDuration, this);
  AddField(*form, "Audio duration:", texts.audioDuration, this);
  AddField(*form, "Sample rate:", texts.sampleRate, this);
  AddField(*form, "Bits:", texts.bits, this);
  AddField(*form, "Audio codec:", texts.audioCodec, this);
  AddField(*form, "Channels:", texts.channelLayout, this);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  thumbnailButton_ = buttons->addButton(thumbnail_.ButtonText(), QDialogButtonBox::ActionRole);
  thumbnailButton_->setEnabled(thumbnail_.ButtonAvailable() && texts.thumbnailAvailable);
  connect(thumbnailButton_, &QPushButton::clicked, this, [this] { ToggleThumbnail(); });
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  general->addStretch();
  general->addWidget(buttons);

  thumbnailPane_ = new QWidget(this);
  auto* pane = new QVBoxLayout(thumbnailPane_);
  pane->setContentsMargins(0, 0, 0, 0);
  picture_ = new QLabel(thumbnailPane_);
  picture_->setFixedSize(kThumbnailBoxWidth, kThumbnailBoxHeight);
  picture_->setAlignment(Qt::AlignCenter);
  picture_->setStyleSheet("background: black;");
  pane->addWidget(picture_);
  frameText_ = new QLabel(thumbnailPane_);
  pane->addWidget(frameText_);
  frames_ = new QSlider(Qt::Horizontal, thumbnailPane_);
  pane->addWidget(frames_);
  pane->addStretch();
  connect(frames_, &QSlider::valueChanged, this, [this](int frame) { MoveToFrame(frame); });
  thumbnailPane_->hide();
  layout->addWidget(thumbnailPane_);
}

SourcePropertiesWindow::~SourcePropertiesWindow() { thumbnail_.Close(); }

void SourcePropertiesWindow::done(int result) {
  // Closing ends decoding and gives the file and buffers back at once.
  thumbnail_.Close();
  QDialog::done(result);
}

void SourcePropertiesWindow::ToggleThumbnail() {
  thumbnail_.Toggle();
  thumbnailButton_->setText(thumbnail_.ButtonText());
  if (thumbnail_.Shown()) {
    const bool frames = thumbnail_.HasFramePosition();
    frames_->setVisible(frames);
    frameText_->setVisible(frames);
    if (frames) {
      const QSignalBlocker block(frames_);
      frames_->setRange(0, std::max(0, thumbnail_.FrameCount() - 1));
      frames_->setValue(thumbnail_.Position());
      frameText_->setText(QString::fromStdString(thumbnail_.CurrentFrameText()));
    }
    ShowPicture();
    thumbnailPane_->show();
  } else {
    thumbnailPane_->hide();
  }
  adjustSize();
}

void SourcePropertiesWindow::MoveToFrame(int frame) {
  thumbnail_.SetPosition(frame);
  frameText_->setText(QString::fromStdString(thumbnail_.CurrentFrameText()));
  ShowPicture();
}

void SourcePropertiesWindow::ShowPicture() {
  const QImage image = ToImage(thumbnail_.Picture());
  if (image.isNull()) {
    picture_->clear();
    return;
  }
  picture_->setPixmap(QPixmap::fromImage(
      image.scaled(kThumbnailBoxWidth, kThumbnailBoxHeight, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
}

void ShowSourceProperties(CVantorelleDoc& doc, CSrc& source, QWidget* parent) {
  SourcePropertiesWindow window(source, doc.Board(), parent);
  window.exec();
}

}  // namespace vantorelle::shell
