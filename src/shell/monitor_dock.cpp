#include "monitor_dock.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include "preview_window.h"

namespace vantorelle::shell {
namespace {

QStyle::StandardPixmap PictureOf(TransportSymbol symbol) {
  switch (symbol) {
    case TransportSymbol::PreviousFrame: return QStyle::SP_MediaSeekBackward;
    case TransportSymbol::Play: return QStyle::SP_MediaPlay;
    case TransportSymbol::Stop: return QStyle::SP_MediaStop;
    case TransportSymbol::NextFrame: return QStyle::SP_MediaSeekForward;
  }
  return QStyle::SP_MediaPlay;
}

}  // namespace

MonitorDock::MonitorDock(PreviewWindow& picture, const CVantorelleDoc& doc, const CommandHub& hub,
                         std::function<void(int)> runCommand, QWidget* parent)
    : QDockWidget("Monitor", parent), picture_(picture), transport_(doc, hub), runCommand_(std::move(runCommand)) {
  setObjectName("Monitor");
  auto* body = new QWidget(this);
  auto* column = new QVBoxLayout(body);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(2);
  picture_.setParent(body);
  column->addWidget(&picture_, 1);

  auto* bar = new QHBoxLayout;
  bar->setContentsMargins(4, 0, 4, 2);
  for (const TransportButton& look : transport_.Current().buttons) {
    auto* button = new QToolButton(body);
    button->setIcon(style()->standardIcon(PictureOf(look.symbol)));
    button->setToolTip(QString::fromStdString(look.tip));
    button->setAutoRaise(true);
    button->setProperty("command", look.commandId);
    connect(button, &QToolButton::clicked, this, [this, id = look.commandId] { runCommand_(id); });
    bar->addWidget(button);
    buttons_.push_back(button);
  }
  bar->addStretch(1);
  time_ = new QLabel(body);
  QFont fixed = time_->font();
  fixed.setFamily("monospace");
  fixed.setStyleHint(QFont::TypeWriter);
  time_->setFont(fixed);
  time_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  bar->addWidget(time_);
  column->addLayout(bar);
  setWidget(body);
  Refresh();
}

void MonitorDock::Refresh() {
  if (!transport_.Refresh()) return;
  const TransportState& state = transport_.Shown();
  for (std::size_t i = 0; i < buttons_.size() && i < state.buttons.size(); ++i) {
    buttons_[i]->setEnabled(state.buttons[i].enabled);
  }
  time_->setText(QString::fromStdString(state.timeText));
}

QToolButton* MonitorDock::ButtonFor(int commandId) const {
  for (QToolButton* button : buttons_) {
    if (button->property("command").toInt() == commandId) return button;
  }
  return nullptr;
}

QString MonitorDock::TimeText() const { return time_->text(); }

}  // namespace vantorelle::shell
