#include "time_ruler_widget.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

#include "set_range_window.h"
#include "time_edit_widget.h"

namespace vantorelle::shell {

TimeRulerWidget::TimeRulerWidget(CVantorelleDoc& doc, std::function<void(std::uint32_t)> repaintViews,
                                 std::function<void(const std::string&)> statusText, QWidget* parent)
    : QWidget(parent),
      doc_(doc),
      host_(*this, std::move(repaintViews), statusText),
      timers_([this](int id) {
        if (ruler_) ruler_->OnTimer(id);
      }),
      statusText_(std::move(statusText)) {
  setMouseTracking(true);
  setFixedHeight(40);
}

RulerFont TimeRulerWidget::Font() const {
  const QFontMetrics metrics = fontMetrics();
  RulerFont font;
  font.height = metrics.height();
  font.width = [metrics](const std::string& text) {
    return metrics.horizontalAdvance(QString::fromStdString(text));
  };
  return font;
}

void TimeRulerWidget::Attach(CTimeLine& ruler) {
  ruler_ = &ruler;
  ruler_->SetClientSize(width(), height());
}

void TimeRulerWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().window());
  if (!ruler_) return;
  const TimeRulerPicture picture = ruler_->Draw();
  painter.setPen(palette().windowText().color());
  painter.drawLine(0, picture.baselineY, width(), picture.baselineY);
  for (int x : picture.scale.majorTicksX) painter.drawLine(x, TimeRulerGeometry::kMajorTickTop, x, picture.baselineY);
  for (int x : picture.scale.minorTicksX) painter.drawLine(x, TimeRulerGeometry::kMinorTickTop, x, picture.baselineY);
  const int ascent = fontMetrics().ascent();
  for (const RulerTickLabel& label : picture.scale.labels) {
    painter.drawText(label.x, picture.labelTop + ascent, QString::fromStdString(label.text));
  }
  painter.fillRect(ToQRect(picture.rangeStrip), palette().base());
  if (picture.rangeBar) painter.fillRect(ToQRect(*picture.rangeBar), QColor(40, 90, 200));
  for (const RulerMarkPicture& mark : picture.marks) {
    QPolygon triangle;
    for (const RulerPoint& point : mark.triangle) triangle << QPoint(point.x, point.y);
    painter.setBrush(ToQColor(mark.colour));
    painter.drawPolygon(triangle);
    painter.drawText(mark.namePosition.x, mark.namePosition.y + ascent, QString::fromStdString(mark.name));
  }
  if (picture.currentTimeX) {
    painter.setPen(QColor(230, 30, 30));
    painter.drawLine(*picture.currentTimeX, 0, *picture.currentTimeX, height());
  }
}

void TimeRulerWidget::resizeEvent(QResizeEvent*) {
  if (ruler_) ruler_->SetClientSize(width(), height());
}

void TimeRulerWidget::mousePressEvent(QMouseEvent* event) {
  if (ruler_ && event->button() == Qt::LeftButton) ruler_->OnLeftButtonDown(ToMouseEvent(*event));
}

void TimeRulerWidget::mouseMoveEvent(QMouseEvent* event) {
  if (!ruler_) return;
  ruler_->OnMouseMove(ToMouseEvent(*event));
  setCursor(ruler_->TooltipActive() ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

void TimeRulerWidget::mouseReleaseEvent(QMouseEvent* event) {
  if (ruler_ && event->button() == Qt::LeftButton) ruler_->OnLeftButtonUp(ToMouseEvent(*event));
}

void TimeRulerWidget::mouseDoubleClickEvent(QMouseEvent* event) {
  if (ruler_ && event->button() == Qt::LeftButton) ruler_->OnLeftDoubleClick(ToMouseEvent(*event));
}

bool TimeRulerWidget::event(QEvent* event) {
  if (event->type() == QEvent::ToolTip && ruler_) {
    auto* help = static_cast<QHelpEvent*>(event);
    if (ruler_->TooltipActive()) {
      QToolTip::showText(help->globalPos(), QString::fromStdString(ruler_->TooltipText()), this);
    } else {
      QToolTip::hideText();
    }
    return true;
  }
  return QWidget::event(event);
}

void TimeRulerWidget::contextMenuEvent(QContextMenuEvent* event) {
  if (!ruler_) return;
  const int id = ExecMenu(ruler_->OpenContextMenu(event->pos().x(), event->pos().y()), event->globalPos(), this,
                          [this](int highlighted) {
                            statusText_(menuStatus_ ? menuStatus_(highlighted) : std::string("Ready"));
                          });
  if (id) RunCommand(id);
}

void TimeRulerWidget::RunCommand(int id) {
  if (!ruler_) return;
  switch (CTimeLine::ChooseMenuItem(id)) {
    case TimeRulerChoice::SetCurrentTimeDialog: {
      QDialog dialog(this);
      dialog.setWindowTitle("Set current time");
      auto* form = new QFormLayout(&dialog);
      auto* time = new TimeEditWidget(&dialog, doc_.times.projectSize);
      time->SetValue(doc_.times.timeMark);
      form->addRow("Current time:", time);
      auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
      form->addRow(buttons);
      connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
      connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
      if (dialog.exec() == QDialog::Accepted) ruler_->ApplyCurrentTime(time->text().toStdString());
      break;
    }
    case TimeRulerChoice::SetRangeDialog: {
      SetRangeWindow dialog(doc_.times, this);
      if (dialog.exec() == QDialog::Accepted) ruler_->ApplyRange(dialog.Model());
      break;
    }
    case TimeRulerChoice::None: break;
  }
}

}  // namespace vantorelle::shell
