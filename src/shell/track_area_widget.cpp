#include "track_area_widget.h"

#include <QFontMetrics>
#include <QMimeData>
#include <QPainter>
#include <QUrl>
#include <QWheelEvent>

#include "frame_pictures.h"
#include "offline_clip_drawing.h"
#include "timeline/track_area_picture.h"
#include "waveform_drawing.h"

namespace vantorelle::shell {
namespace {

const QColor kBackground(72, 72, 72);
const QColor kRowBackground(96, 96, 96);
const QColor kRowLine(60, 60, 60);
const QColor kTimeLine(230, 30, 30);
const QColor kSnapLine(40, 200, 255);
const QColor kSyncOffsetLabel(200, 0, 0);

// A small red label in the clip's top right corner: the clip has slipped
// out of step with its linked partners by this much.
void DrawSyncOffset(QPainter& painter, const QRect& clipRect, const std::string& text) {
  painter.save();
  QFont font = painter.font();
  if (font.pointSizeF() > 0) font.setPointSizeF(font.pointSizeF() * 0.85);
  painter.setFont(font);
  const QString label = QString::fromStdString(text);
  const QFontMetrics metrics(font);
  QRect box(0, 0, metrics.horizontalAdvance(label) + 6, metrics.height());
  box.moveTopRight(clipRect.topRight() + QPoint(-2, 2));
  painter.setClipRect(clipRect.adjusted(1, 1, 0, 0));
  painter.fillRect(box, kSyncOffsetLabel);
  painter.setPen(Qt::white);
  painter.drawText(box, Qt::AlignCenter, label);
  painter.restore();
}

}  // namespace

TrackAreaWidget::TrackAreaWidget(CVantorelleDoc& doc, std::function<void(std::uint32_t)> repaintViews,
                                 std::function<void(const std::string&)> statusText, QWidget* parent)
    : QWidget(parent),
      doc_(doc),
      host_(*this, std::move(repaintViews), statusText),
      timers_([this](int id) {
        if (area_) area_->OnTimer(id);
        if (navigator_) navigator_->OnTimer(id);
        if (otherTimers_) otherTimers_(id);
      }),
      statusText_(std::move(statusText)) {
  setMouseTracking(true);
  setAcceptDrops(true);
  setMinimumSize(200, 100);
}

void TrackAreaWidget::Attach(TrackAreaController& area, TrackAreaMenu& menu, WorkAreaNavigator& navigator) {
  area_ = &area;
  menu_ = &menu;
  navigator_ = &navigator;
  area_->SetClientSize(width(), height());
  navigator_->SetClientWidth(width());
}

void TrackAreaWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), kBackground);
  if (!area_) return;
  const TrackAreaPicture picture = PictureTrackArea(doc_, *area_, width(), height());
  for (const RowPicture& row : picture.rows) {
    const QRect rowRect = ToQRect(row.rect);
    painter.fillRect(rowRect, kRowBackground);
    painter.setPen(kRowLine);
    painter.drawLine(rowRect.bottomLeft(), rowRect.bottomRight());
    for (const ClipPicture& clip : row.clips) {
      const QRect clipRect = ToQRect(clip.rect).adjusted(0, 2, -1, -3);
      painter.fillRect(clipRect, ToQColor(clip.fill));
      if (ShowsOffline(clip.clip)) HatchOfflineClip(painter, clipRect);
      // A whole project in view puts thousands of clips a few pixels wide on
      // screen: they get their colour and outline, and no more.
      if (clipRect.width() < 3) continue;
      if (pictures_) DrawClipWaveform(painter, clip, navigator_->View(), pictures_->Waveforms());
      painter.setPen(QPen(clip.selected ? Qt::white : ToQColor(clip.outline), clip.selected ? 2 : 1));
      painter.drawRect(clipRect);
      if (clipRect.width() < 24) continue;
      if (pictures_ && clip.clip && !ShowsOffline(clip.clip)) {
        for (const PictureTile& tile : PictureTilesOf(*clip.clip, clip.rect, navigator_->View(), doc_.preferences.snapshotsType)) {
          const CFrameImage* image = pictures_->Cache().Lookup(*tile.clip->source, tile.sourceTime, false);
          if (!image || image->pixels.size() < FrameImageRowBytes(kFrameImageWidth) * kFrameImageHeight) continue;
          const QImage picture(image->pixels.data(), kFrameImageWidth, kFrameImageHeight,
                               static_cast<qsizetype>(FrameImageRowBytes(kFrameImageWidth)), QImage::Format_RGB888);
          painter.drawImage(ToQRect(tile.rect), picture);
        }
      }
      painter.setPen(Qt::black);
      painter.drawText(clipRect.adjusted(4, 2, -4, -2), Qt::AlignLeft | Qt::AlignTop,
                       ClipLabel(clip.clip, clip.name));
      if (!clip.syncOffset.empty()) DrawSyncOffset(painter, clipRect, clip.syncOffset);
      if (clip.hasFadeHandles) {
        painter.fillRect(ToQRect(clip.fadeInHandle), Qt::yellow);
        painter.fillRect(ToQRect(clip.fadeOutHandle), Qt::yellow);
      }
      DrawLevelLine(painter, clip);
    }
  }
  painter.setPen(QPen(Qt::white, 1, Qt::DashLine));
  painter.setBrush(Qt::NoBrush);
  for (const PixelRect& outline : picture.placementOutlines) painter.drawRect(ToQRect(outline).adjusted(0, 0, -1, -1));
  if (picture.selectionRectangle) {
    painter.setPen(QPen(Qt::white, 1, Qt::DotLine));
    painter.drawRect(ToQRect(*picture.selectionRectangle));
  }
  if (picture.currentTimeX) {
    painter.setPen(QPen(kTimeLine, 1));
    painter.drawLine(*picture.currentTimeX, 0, *picture.currentTimeX, height());
  }
  // Over the time line: a drag drawn to the time mark shows that it is.
  if (picture.snapLineX) {
    painter.setPen(QPen(kSnapLine, 1));
    painter.drawLine(*picture.snapLineX, 0, *picture.snapLineX, height());
  }
}

void TrackAreaWidget::resizeEvent(QResizeEvent*) {
  if (!area_) return;
  area_->SetClientSize(width(), height());
  navigator_->SetClientWidth(width());
}

void TrackAreaWidget::UpdateCursor(int x, int y) {
  if (!area_) return;
  if (area_->PlacementPending()) {
    setCursor(area_->PlacementTargets().empty() ? Qt::ForbiddenCursor : Qt::DragCopyCursor);
    return;
  }
  switch (area_->HitTest(x, y).zone) {
    case HitZone::LeftEdge:
    case HitZone::RightEdge: setCursor(Qt::SizeHorCursor); break;
    case HitZone::FadeIn:
    case HitZone::FadeOut: setCursor(Qt::PointingHandCursor); break;
    case HitZone::Volume: setCursor(Qt::SizeVerCursor); break;
    case HitZone::TimeLine: setCursor(Qt::SplitHCursor); break;
    case HitZone::Body: setCursor(Qt::OpenHandCursor); break;
    case HitZone::None: setCursor(Qt::ArrowCursor); break;
  }
}

void TrackAreaWidget::mousePressEvent(QMouseEvent* event) {
  if (!area_) return;
  if (event->button() == Qt::MiddleButton) {
    navigator_->OnMiddleButtonDown();
    return;
  }
  if (event->button() == Qt::LeftButton) area_->OnMouseDown(ToMouseEvent(*event));
}

void TrackAreaWidget::mouseMoveEvent(QMouseEvent* event) {
  if (!area_) return;
  area_->OnMouseMove(ToMouseEvent(*event));
  if (!area_->Dragging()) UpdateCursor(event->position().toPoint().x(), event->position().toPoint().y());
}

void TrackAreaWidget::mouseReleaseEvent(QMouseEvent* event) {
  if (!area_) return;
  if (event->button() == Qt::MiddleButton) {
    navigator_->OnMiddleButtonUp();
    return;
  }
  if (event->button() == Qt::LeftButton) area_->OnMouseUp(ToMouseEvent(*event));
  update();
}

void TrackAreaWidget::wheelEvent(QWheelEvent* event) {
  if (!navigator_) return;
  // The held buttons decide what the wheel does: the middle one sets the
  // shuttle speed, the left or right one (a drag) stops it.
  MouseEvent buttons;
  buttons.leftButton = event->buttons() & Qt::LeftButton;
  buttons.rightButton = event->buttons() & Qt::RightButton;
  buttons.middleButton = event->buttons() & Qt::MiddleButton;
  buttons.ctrl = event->modifiers() & Qt::ControlModifier;
  buttons.shift = event->modifiers() & Qt::ShiftModifier;
  navigator_->OnWheel(event->angleDelta().y(), buttons);
  update();
}

void TrackAreaWidget::contextMenuEvent(QContextMenuEvent* event) {
  if (!menu_) return;
  MouseEvent at;
  at.x = event->pos().x();
  at.y = event->pos().y();
  at.rightButton = true;
  const int id = ExecMenu(menu_->Open(at), event->globalPos(), this, [this](int highlighted) {
    statusText_(menu_->StatusTextFor(highlighted));
  });
  if (id) menu_->Execute(id);
  update();
}

CSrc* TrackAreaWidget::DraggedSource(const QMimeData& data) const {
  if (!sourceLookup_ || !data.hasUrls() || data.urls().isEmpty()) return nullptr;
  return sourceLookup_(data.urls().front().toLocalFile());
}

void TrackAreaWidget::dragEnterEvent(QDragEnterEvent* event) {
  if (DraggedSource(*event->mimeData())) event->acceptProposedAction();
}

void TrackAreaWidget::dragMoveEvent(QDragMoveEvent* event) {
  CSrc* source = DraggedSource(*event->mimeData());
  const QPoint at = event->position().toPoint();
  if (source && area_ && area_->DragOver(*source, at.x(), at.y())) {
    event->acceptProposedAction();
  } else {
    event->ignore();
  }
  update();
}

void TrackAreaWidget::dragLeaveEvent(QDragLeaveEvent*) {
  if (area_) area_->DragLeave();
  update();
}

void TrackAreaWidget::dropEvent(QDropEvent* event) {
  CSrc* source = DraggedSource(*event->mimeData());
  const QPoint at = event->position().toPoint();
  if (source && area_ && area_->Drop(*source, at.x(), at.y())) event->acceptProposedAction();
  update();
}

}  // namespace vantorelle::shell
