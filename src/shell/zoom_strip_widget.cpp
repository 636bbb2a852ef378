#include "zoom_strip_widget.h"

#include <QHBoxLayout>
#include <QToolButton>

#include "timeline/command_ids.h"

namespace vantorelle::shell {

ZoomStripWidget::ZoomStripWidget(std::function<void(int)> runCommand, QWidget* parent)
    : QWidget(parent), scrollBar_(new QScrollBar(Qt::Horizontal, this)), start_(new QLabel(this)),
      stop_(new QLabel(this)) {
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);
  const std::pair<int, const char*> buttons[] = {{CommandId::ZoomIn, "+"},
                                                 {CommandId::ZoomOut, "-"},
                                                 {CommandId::ZoomToProject, "[ ]"},
                                                 {CommandId::ZoomToRange, "|<>|"}};
  const char* tips[] = {"Zoom in", "Zoom out", "Zoom to project", "Zoom to range"};
  int tip = 0;
  for (const auto& [id, text] : buttons) {
    auto* button = new QToolButton(this);
    button->setText(text);
    button->setToolTip(tips[tip++]);
    connect(button, &QToolButton::clicked, this, [runCommand, id = id] { runCommand(id); });
    layout->addWidget(button);
    buttons_.emplace_back(id, button);
  }
  scrollBar_->setToolTip("Scroll the time line");
  start_->setToolTip("Start of the time shown");
  stop_->setToolTip("End of the time shown");
  layout->addWidget(start_);
  layout->addWidget(scrollBar_, 1);
  layout->addWidget(stop_);
  connect(scrollBar_, &QScrollBar::actionTriggered, this, [this](int action) {
    if (!navigator_ || showing_) return;
    switch (action) {
      case QAbstractSlider::SliderSingleStepAdd: navigator_->Scroll(ScrollCode::LineRight); break;
      case QAbstractSlider::SliderSingleStepSub: navigator_->Scroll(ScrollCode::LineLeft); break;
      case QAbstractSlider::SliderPageStepAdd: navigator_->Scroll(ScrollCode::PageRight); break;
      case QAbstractSlider::SliderPageStepSub: navigator_->Scroll(ScrollCode::PageLeft); break;
      case QAbstractSlider::SliderMove: navigator_->Scroll(ScrollCode::ThumbTrack, scrollBar_->sliderPosition()); break;
      default: break;
    }
  });
  connect(scrollBar_, &QScrollBar::sliderReleased, this, [this] {
    if (navigator_) navigator_->Scroll(ScrollCode::ThumbPosition, scrollBar_->sliderPosition());
  });
}

void ZoomStripWidget::ShowKeysInTips(const CShortCutTable& table) {
  for (const auto& [id, button] : buttons_) {
    const std::string tip = table.ShortNameText(id);
    if (!tip.empty()) button->setToolTip(QString::fromStdString(tip));
  }
}

void ZoomStripWidget::ShowWorkArea(const WorkAreaDisplay& display) {
  showing_ = true;
  scrollBar_->setRange(0, std::max(0, display.scrollMax - display.scrollPage + 1));
  scrollBar_->setPageStep(std::max(1, display.scrollPage));
  scrollBar_->setValue(display.scrollPosition);
  showing_ = false;
  start_->setText(QString::fromStdString(display.startText));
  stop_->setText(QString::fromStdString(display.stopText));
}

}  // namespace vantorelle::shell
