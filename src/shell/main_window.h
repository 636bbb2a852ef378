// The editor's main frame window. It grows its panes and bars as the views are built.
#pragma once

#include <QMainWindow>

#include "model/user_interface.h"

namespace vantorelle::shell {

class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  explicit MainWindow(IUserInterface& ui, QWidget* parent = nullptr);
};

}  // namespace vantorelle::shell
