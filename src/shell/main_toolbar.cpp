#include "main_toolbar.h"

#include <QAction>
#include <algorithm>
#include <QStyle>

#include "timeline/toolbar_buttons.h"

namespace vantorelle::shell {
namespace {

// Standard icons where the style has a fitting one; the others show their
// short name.
QStyle::StandardPixmap IconOf(int id) {
  switch (id) {
    case CommandId::NewProject: return QStyle::SP_FileIcon;
    case CommandId::OpenProject: return QStyle::SP_DialogOpenButton;
    case CommandId::SaveProject: return QStyle::SP_DialogSaveButton;
    case CommandId::Delete: return QStyle::SP_TrashIcon;
    case CommandId::Undo: return QStyle::SP_ArrowBack;
    case CommandId::Redo: return QStyle::SP_ArrowForward;
    case CommandId::Rewind: return QStyle::SP_MediaSkipBackward;
    case CommandId::Play: return QStyle::SP_MediaPlay;
    case CommandId::Stop: return QStyle::SP_MediaStop;
    case CommandId::PreviousFrame: return QStyle::SP_MediaSeekBackward;
    case CommandId::NextFrame: return QStyle::SP_MediaSeekForward;
    case CommandId::About: return QStyle::SP_MessageBoxInformation;
    default: return QStyle::SP_CustomBase;
  }
}

}  // namespace

MainToolBar::MainToolBar(const CShortCutTable* table, std::function<void(int)> runCommand,
                         std::function<bool(int)> isEnabled, QWidget* parent)
    : QToolBar("Standard", parent), isEnabled_(std::move(isEnabled)) {
  setObjectName("StandardToolBar");
  for (const int id : kToolbarButtons) {
    if (id == kToolbarSeparator) {
      addSeparator();
      continue;
    }
    const CCommandInfo* command = table ? table->FindCommand(id) : nullptr;
    const QString text = QString::fromStdString(command ? command->shortName : std::to_string(id));
    const QStyle::StandardPixmap icon = IconOf(id);
    QAction* action = icon == QStyle::SP_CustomBase ? addAction(text) : addAction(style()->standardIcon(icon), text);
    action->setData(id);
    if (table) {
      action->setToolTip(QString::fromStdString(table->ShortNameText(id)));
      action->setStatusTip(QString::fromStdString(table->PromptText(id)));
    }
    action->setCheckable(std::find(kCheckableToolbarButtons.begin(), kCheckableToolbarButtons.end(), id) !=
                         kCheckableToolbarButtons.end());
    // A checkable button pressed toggles itself; the command's own state then decides.
    connect(action, &QAction::triggered, this, [this, runCommand, id] {
      runCommand(id);
      UpdateButtons();
    });
    buttons_.push_back(action);
  }
}

void MainToolBar::UpdateButtons() {
  for (QAction* action : buttons_) {
    const int id = action->data().toInt();
    action->setEnabled(isEnabled_(id));
    if (action->isCheckable() && isChecked_) action->setChecked(isChecked_(id));
  }
}

std::vector<int> MainToolBar::Layout() const {
  std::vector<int> layout;
  for (const QAction* action : actions()) layout.push_back(action->isSeparator() ? kToolbarSeparator : action->data().toInt());
  return layout;
}

}  // namespace vantorelle::shell
