#include "time_edit_widget.h"

#include <QKeyEvent>
#include <QMouseEvent>

namespace vantorelle::shell {

TimeEditWidget::TimeEditWidget(QWidget* parent, TimeMs maximum)
    : QLineEdit(parent), model_(maximum) {
  setMaxLength(TimeEdit::kTextLength);
  setContextMenuPolicy(Qt::NoContextMenu);
  Refresh(false);
}

void TimeEditWidget::SetValue(TimeMs value) {
  model_.SetValue(value);
  Refresh(false);
}

void TimeEditWidget::SetTimeText(const std::string& text) {
  model_.SetText(text);
  Refresh(false);
}

void TimeEditWidget::Refresh(bool changed) {
  setText(QString::fromStdString(model_.Text()));
  setSelection(model_.SelectionStart(), model_.SelectionLength());
  if (changed) emit ValueEdited(model_.Value());
}

int TimeEditWidget::CharacterAt(const QPoint& point) { return cursorPositionAt(point); }

void TimeEditWidget::keyPressEvent(QKeyEvent* event) {
  bool changed = false;
  switch (event->key()) {
    case Qt::Key_Left: model_.MoveLeft(); break;
    case Qt::Key_Right: model_.MoveRight(); break;
    case Qt::Key_Up: changed = model_.StepUp(); break;
    case Qt::Key_Down: changed = model_.StepDown(); break;
    case Qt::Key_Backspace: changed = model_.Backspace(); break;
    case Qt::Key_Delete: changed = model_.Delete(); break;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape: QLineEdit::keyPressEvent(event); return;
    default: {
      const QString text = event->text();
      if (text.size() == 1) changed = model_.TypeCharacter(text.at(0).toLatin1());
    }
  }
  Refresh(changed);
}

void TimeEditWidget::mousePressEvent(QMouseEvent* event) {
  const auto button = event->button() == Qt::LeftButton    ? TimeEdit::MouseButton::Left
                      : event->button() == Qt::RightButton ? TimeEdit::MouseButton::Right
                                                           : TimeEdit::MouseButton::Middle;
  setFocus(Qt::MouseFocusReason);
  model_.MousePress(button, CharacterAt(event->position().toPoint()),
                    event->position().toPoint().y());
  Refresh(false);
}

void TimeEditWidget::mouseMoveEvent(QMouseEvent* event) {
  Refresh(model_.MouseMove(event->position().toPoint().y()));
}

void TimeEditWidget::mouseReleaseEvent(QMouseEvent*) {
  model_.MouseRelease();
  Refresh(false);
}

void TimeEditWidget::mouseDoubleClickEvent(QMouseEvent* event) {
  model_.DoubleClick(CharacterAt(event->position().toPoint()));
  Refresh(false);
}

void TimeEditWidget::focusInEvent(QFocusEvent* event) {
  QLineEdit::focusInEvent(event);
  if (event->reason() != Qt::MouseFocusReason) model_.FocusIn();
  Refresh(false);
}

}  // namespace vantorelle::shell
