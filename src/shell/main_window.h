// The editor's main frame window. It grows its panes and bars as the views are built.
#pragma once

#include <QMainWindow>

namespace vantorelle::shell {

class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  explicit MainWindow(QWidget* parent = nullptr);
};

}  // namespace vantorelle::shell
