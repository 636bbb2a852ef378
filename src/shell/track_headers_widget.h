// The track headers at the left of the track area: names, kind icons and
// the Solo and Mute buttons, with a vertical scroll bar over the tracks.
#pragma once

#include <QScrollBar>
#include <QWidget>

#include "qt_bridge.h"
#include "timeline/track_headers.h"

namespace vantorelle::shell {

class TrackHeadersWidget : public QWidget, public ITrackScrollBar, public ITrackHeaderRequests {
 public:
  TrackHeadersWidget(CVantorelleDoc& doc, std::function<void(std::uint32_t)> repaintViews,
                     std::function<void(const std::string&)> statusText, QWidget* parent = nullptr);

  IViewHost& Host() { return host_; }
  void Attach(CTrackStatusView& headers);
  CTrackStatusView* Headers() const { return headers_; }
  // Title track settings belong to the main window, which opens the dialog.
  void SetTitleSettingsOpener(std::function<void(CTrack&)> open) { openTitleSettings_ = std::move(open); }

  void SetTrackScrollRange(const TrackScrollRange& range) override;
  void OpenAudioTrackProperties(CTrack& track) override;
  void OpenTitleTrackSettings(CTrack& track) override;
  std::optional<std::string> AskTrackName(const std::string& currentName) override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  CVantorelleDoc& doc_;
  WidgetViewHost host_;
  std::function<void(const std::string&)> statusText_;
  QScrollBar* scrollBar_;
  CTrackStatusView* headers_ = nullptr;
  std::function<void(CTrack&)> openTitleSettings_;
  bool settingRange_ = false;
};

}  // namespace vantorelle::shell
