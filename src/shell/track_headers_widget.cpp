#include "track_headers_widget.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QSpinBox>
#include <QFormLayout>
#include <QInputDialog>
#include <QPainter>

#include "time_edit_widget.h"
#include "timeline/audio_track_properties.h"

namespace vantorelle::shell {

TrackHeadersWidget::TrackHeadersWidget(CVantorelleDoc& doc, std::function<void(std::uint32_t)> repaintViews,
                                       std::function<void(const std::string&)> statusText, QWidget* parent)
    : QWidget(parent),
      doc_(doc),
      host_(*this, std::move(repaintViews), statusText),
      statusText_(std::move(statusText)),
      scrollBar_(new QScrollBar(Qt::Vertical, this)) {
  setMouseTracking(true);
  setMinimumWidth(200);
  connect(scrollBar_, &QScrollBar::actionTriggered, this, [this](int action) {
    if (!headers_ || settingRange_) return;
    switch (action) {
      case QAbstractSlider::SliderSingleStepAdd: headers_->OnVScroll(TrackScrollCode::LineDown); break;
      case QAbstractSlider::SliderSingleStepSub: headers_->OnVScroll(TrackScrollCode::LineUp); break;
      case QAbstractSlider::SliderPageStepAdd: headers_->OnVScroll(TrackScrollCode::PageDown); break;
      case QAbstractSlider::SliderPageStepSub: headers_->OnVScroll(TrackScrollCode::PageUp); break;
      case QAbstractSlider::SliderMove:
        headers_->OnVScroll(TrackScrollCode::ThumbTrack, scrollBar_->sliderPosition());
        break;
      default: break;
    }
  });
}

void TrackHeadersWidget::Attach(CTrackStatusView& headers) {
  headers_ = &headers;
  headers_->SetScrollBarWidth(scrollBar_->sizeHint().width());
  headers_->SetClientSize(width(), height());
  headers_->OnInitialUpdate();
}

void TrackHeadersWidget::SetTrackScrollRange(const TrackScrollRange& range) {
  settingRange_ = true;
  scrollBar_->setRange(range.minimum, std::max(range.minimum, range.maximum - range.page + 1));
  scrollBar_->setPageStep(range.page);
  scrollBar_->setValue(range.position);
  settingRange_ = false;
}

void TrackHeadersWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().window());
  if (!headers_) return;
  const TrackHeadersPicture picture = headers_->Draw();
  for (const TrackHeaderRow& row : picture.rows) {
    const QRect header = ToQRect(row.header);
    painter.fillRect(header, palette().button());
    painter.setPen(palette().dark().color());
    painter.drawLine(header.bottomLeft(), header.bottomRight());
    painter.setPen(palette().buttonText().color());
    painter.drawText(ToQRect(row.kindIcon), Qt::AlignCenter, row.kind == TrackKind::Audio ? "A" : row.kind >= TrackKind::TitleMovable ? "T" : "V");
    const QRect nameRect(row.kindIcon.right + 4, row.top, row.stateBlock.left - row.kindIcon.right - 8, row.bottom - row.top);
    painter.drawText(nameRect, Qt::AlignLeft | Qt::AlignVCenter, QString::fromStdString(row.name));
    for (const HeaderButtonPicture* button : {&row.solo, &row.mute}) {
      const QRect r = ToQRect(button->rect);
      painter.fillRect(r, button->lit ? ToQColor(button->colour) : palette().base().color());
      painter.drawRect(r.adjusted(0, 0, -1, -1));
    }
    painter.drawText(ToQRect(row.solo.rect), Qt::AlignCenter, "S");
    painter.drawText(ToQRect(row.mute.rect), Qt::AlignCenter, "M");
  }
}

void TrackHeadersWidget::resizeEvent(QResizeEvent*) {
  const int barWidth = scrollBar_->sizeHint().width();
  scrollBar_->setGeometry(width() - barWidth, 0, barWidth, height());
  if (headers_) headers_->SetClientSize(width(), height());
}

void TrackHeadersWidget::mousePressEvent(QMouseEvent* event) {
  if (headers_ && event->button() == Qt::LeftButton) headers_->OnMouseDown(ToMouseEvent(*event));
}

void TrackHeadersWidget::mouseMoveEvent(QMouseEvent* event) {
  if (headers_) headers_->OnMouseMove(ToMouseEvent(*event));
}

void TrackHeadersWidget::mouseReleaseEvent(QMouseEvent* event) {
  if (headers_ && event->button() == Qt::LeftButton) headers_->OnMouseUp(ToMouseEvent(*event));
}

void TrackHeadersWidget::mouseDoubleClickEvent(QMouseEvent* event) {
  if (headers_ && event->button() == Qt::LeftButton) headers_->OnDoubleClick(ToMouseEvent(*event));
}

void TrackHeadersWidget::contextMenuEvent(QContextMenuEvent* event) {
  if (!headers_) return;
  const int id =
      ExecMenu(headers_->OpenContextMenu(event->pos().x(), event->pos().y()), event->globalPos(), this,
               [this](int highlighted) { statusText_(headers_->MenuStatusText(highlighted)); });
  if (id) headers_->ExecuteMenuCommand(id);
}

void TrackHeadersWidget::OpenAudioTrackProperties(CTrack& track) {
  AudioTrackProperties values(track);
  QDialog dialog(this);
  dialog.setWindowTitle(AudioTrackProperties::kCaption);
  auto* form = new QFormLayout(&dialog);
  auto* fadeIn = new TimeEditWidget(&dialog);
  auto* fadeOut = new TimeEditWidget(&dialog);
  fadeIn->SetValue(values.fadeIn);
  fadeOut->SetValue(values.fadeOut);
  auto* level = new QSpinBox(&dialog);
  level->setObjectName("LevelPercent");
  level->setRange(AudioTrackProperties::kLowestPercent, AudioTrackProperties::kHighestPercent);
  level->setSuffix(" %");
  level->setValue(values.levelPercent);
  form->addRow("Fade in:", fadeIn);
  form->addRow("Fade out:", fadeOut);
  form->addRow("Level:", level);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  form->addRow(buttons);
  connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  if (dialog.exec() != QDialog::Accepted) return;
  values.fadeIn = fadeIn->Value();
  values.fadeOut = fadeOut->Value();
  values.levelPercent = level->value();
  values.Apply(doc_, track);
  update();
}

void TrackHeadersWidget::OpenTitleTrackSettings(CTrack& track) {
  if (openTitleSettings_) openTitleSettings_(track);
}

std::optional<std::string> TrackHeadersWidget::AskTrackName(const std::string& currentName) {
  bool ok = false;
  const QString name = QInputDialog::getText(this, "Track name", "Name:", QLineEdit::Normal,
                                             QString::fromStdString(currentName), &ok);
  if (!ok) return std::nullopt;
  return name.toStdString();
}

}  // namespace vantorelle::shell
