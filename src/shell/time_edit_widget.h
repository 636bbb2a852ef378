// The typed-time field: a line edit that shows a TimeEdit model and forwards
// keys, clicks, drags and focus to it.
#pragma once

#include <QLineEdit>

#include "model/time_edit.h"

namespace vantorelle::shell {

class TimeEditWidget : public QLineEdit {
  Q_OBJECT

 public:
  explicit TimeEditWidget(QWidget* parent = nullptr, TimeMs maximum = TimeEditMaximum);

  void SetValue(TimeMs value);
  // A time text from the owner, read by the model and shown in full; the
  // caret stays where it was. Never set the line edit's text directly: the
  // model would not know it.
  void SetTimeText(const std::string& text);
  TimeMs Value() const { return model_.Value(); }

 signals:
  void ValueEdited(double value);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;

 private:
  void Refresh(bool changed);
  int CharacterAt(const QPoint& point);

  TimeEdit model_;
};

}  // namespace vantorelle::shell
