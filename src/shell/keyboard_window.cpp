#include "keyboard_window.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "qt_keys.h"

namespace vantorelle::shell {
namespace {

// "Press the key to be used as shortcut": closes on the first key the
// model accepts.
class KeyCaptureDialog : public QDialog {
 public:
  explicit KeyCaptureDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle("Vantorelle");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(kKeyCapturePrompt, this));
    auto* cancel = new QPushButton("Cancel", this);
    cancel->setFocusPolicy(Qt::NoFocus);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    layout->addWidget(cancel);
  }
  std::uint32_t key = 0;
  bool ctrl = false;
  bool shift = false;

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    const std::uint32_t code = VirtualKeyOf(*event);
    if (code == 0 || !IsCapturableKey(static_cast<std::int32_t>(code))) return;
    key = code;
    ctrl = event->modifiers() & Qt::ControlModifier;
    shift = event->modifiers() & Qt::ShiftModifier;
    accept();
  }
};

}  // namespace

KeyboardWindow::KeyboardWindow(CShortCutTable& table, IUserInterface& ui, QWidget* parent)
    : QDialog(parent), model_(table, ui) {
  setWindowTitle("Customize Keyboard");
  auto* layout = new QHBoxLayout(this);
  auto* left = new QVBoxLayout;
  categories_ = new QComboBox(this);
  for (const std::string& category : model_.Categories()) categories_->addItem(QString::fromStdString(category));
  commands_ = new QListWidget(this);
  description_ = new QLabel(this);
  description_->setWordWrap(true);
  keys_ = new QListWidget(this);
  left->addWidget(new QLabel("Categories:", this));
  left->addWidget(categories_);
  left->addWidget(new QLabel("Commands:", this));
  left->addWidget(commands_);
  left->addWidget(description_);
  left->addWidget(new QLabel(kCurrentKeysLabel, this));
  left->addWidget(keys_);
  auto* buttons = new QVBoxLayout;
  auto* set = new QPushButton("Set new shortcut", this);
  auto* remove = new QPushButton("Remove shortcut", this);
  tableButton_ = new QPushButton(QString::fromStdString(model_.TableButtonText()), this);
  auto* defaults = new QPushButton("Load default shortcut table", this);
  auto* save = new QPushButton("Save ", this);
  auto* load = new QPushButton("Load", this);
  auto* close = new QPushButton("Close dialog, save changes", this);
  auto* cancel = new QPushButton("Cancel", this);
  for (QPushButton* button : {set, remove, tableButton_, defaults, save, load, close, cancel}) {
    buttons->addWidget(button);
  }
  buttons->addStretch();
  layout->addLayout(left);
  layout->addLayout(buttons);
  table_ = new QTreeWidget(this);
  table_->setHeaderLabels({"Command", "Shortcut"});
  table_->setRootIsDecorated(false);
  table_->hide();
  layout->addWidget(table_);

  connect(categories_, &QComboBox::activated, this, [this](int index) {
    model_.ChooseCategory(static_cast<std::size_t>(index));
    RefreshCommands();
  });
  connect(commands_, &QListWidget::currentRowChanged, this, [this](int row) {
    if (row >= 0) model_.SelectCommand(static_cast<std::size_t>(row));
    RefreshKeys();
  });
  connect(keys_, &QListWidget::currentRowChanged, this, [this](int row) {
    if (row >= 0) model_.SelectCurrentKey(static_cast<std::size_t>(row));
  });
  connect(set, &QPushButton::clicked, this, [this] { CaptureKey(); });
  connect(remove, &QPushButton::clicked, this, [this] {
    model_.RemoveSelectedShortcut();
    RefreshKeys();
    RefreshTable();
  });
  connect(tableButton_, &QPushButton::clicked, this, [this] {
    model_.ToggleTable();
    table_->setVisible(model_.TableShown());
    tableButton_->setText(QString::fromStdString(model_.TableButtonText()));
    RefreshTable();
  });
  connect(defaults, &QPushButton::clicked, this, [this] {
    model_.LoadDefault();
    RefreshKeys();
    RefreshTable();
  });
  connect(save, &QPushButton::clicked, this, [this] { model_.SaveToFile(); });
  connect(load, &QPushButton::clicked, this, [this] {
    model_.LoadFromFile();
    RefreshKeys();
    RefreshTable();
  });
  connect(close, &QPushButton::clicked, this, [this] {
    model_.CloseSavingChanges();
    accept();
  });
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  RefreshCommands();
}

void KeyboardWindow::RefreshCommands() {
  commands_->clear();
  for (const std::string& name : model_.ShownCommandNames()) commands_->addItem(QString::fromStdString(name));
  RefreshKeys();
}

void KeyboardWindow::RefreshKeys() {
  const auto [first, second] = model_.SelectedDescription();
  description_->setText(QString::fromStdString(first + "\n" + second));
  keys_->clear();
  for (const std::string& key : model_.CurrentKeys()) keys_->addItem(QString::fromStdString(key));
}

void KeyboardWindow::RefreshTable() {
  if (!model_.TableShown()) return;
  table_->clear();
  for (const KeyboardTableRow& row : model_.TableRows()) {
    new QTreeWidgetItem(table_, {QString::fromStdString(row.command), QString::fromStdString(row.shortcut)});
  }
  const KeyboardTableWidths widths = CustomizeKeyboardModel::TableWidths(table_->viewport()->width());
  table_->setColumnWidth(0, widths.command);
  table_->setColumnWidth(1, widths.shortcut);
}

void KeyboardWindow::CaptureKey() {
  if (!model_.SelectedCommand()) return;
  KeyCaptureDialog capture(this);
  if (capture.exec() != QDialog::Accepted) return;
  model_.OfferCapturedKey(static_cast<std::int32_t>(capture.key), capture.ctrl, capture.shift);
  RefreshKeys();
  RefreshTable();
}

}  // namespace vantorelle::shell
