// The monitor: a dock of the main window with the board's picture scaled to
// fit (black around) and, under it, the transport bar (previous frame,
// play, stop, next frame and the time under the mark). The bar draws what
// the core's MonitorTransport says and hands its buttons' commands to the
// window, which runs them through the command hub.
#pragma once

#include <QDockWidget>
#include <functional>
#include <vector>

#include "timeline/monitor_transport.h"

class QLabel;
class QToolButton;

namespace vantorelle::shell {

class PreviewWindow;

class MonitorDock : public QDockWidget {
 public:
  // The dock takes the picture widget over.
  MonitorDock(PreviewWindow& picture, const CVantorelleDoc& doc, const CommandHub& hub,
              std::function<void(int)> runCommand, QWidget* parent);

  PreviewWindow& Picture() { return picture_; }
  // Redraws the bar where the transport's state changed.
  void Refresh();
  // A button of the bar by its command; null for none.
  QToolButton* ButtonFor(int commandId) const;
  QString TimeText() const;

 private:
  PreviewWindow& picture_;
  MonitorTransport transport_;
  std::function<void(int)> runCommand_;
  std::vector<QToolButton*> buttons_;
  QLabel* time_ = nullptr;
};

}  // namespace vantorelle::shell
