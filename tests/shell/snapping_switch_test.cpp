// The snapping switch as a person throws it: the View menu's item, its key
// and the toolbar's Snap button, which shows whether snapping is on.
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

#include <gtest/gtest.h>

#include "shell/editor_fixture.h"
#include "timeline/command_ids.h"
#include "track_area_widget.h"

namespace vantorelle::testing {
namespace {

using SnappingSwitch = EditorFixture;

QAction* ActionOf(const QList<QAction*>& actions, int id) {
  for (QAction* action : actions) {
    if (!action->isSeparator() && action->data().toInt() == id) return action;
  }
  return nullptr;
}

TEST_F(SnappingSwitch, TheSnapButtonFollowsTheCommandTheKeyAndItsOwnPress) {
  const auto* bar = Window().findChild<QToolBar*>("StandardToolBar");
  ASSERT_NE(bar, nullptr);
  QAction* button = ActionOf(bar->actions(), CommandId::Snapping);
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->text(), "Snap");
  EXPECT_TRUE(button->isCheckable());
  EXPECT_TRUE(button->isChecked());  // on in a fresh editor

  Window().RunCommand(CommandId::Snapping);
  EXPECT_EQ(Doc().preferences.snapToEdges, 0);
  EXPECT_FALSE(button->isChecked());

  PointAt(QPoint(Area().width() / 2, 10));
  PressKey(Qt::Key_S, Qt::NoModifier);
  EXPECT_EQ(Doc().preferences.snapToEdges, 1);
  EXPECT_TRUE(button->isChecked());

  button->trigger();
  EXPECT_EQ(Doc().preferences.snapToEdges, 0);
  EXPECT_FALSE(button->isChecked());
  button->trigger();
  EXPECT_EQ(Doc().preferences.snapToEdges, 1);
  EXPECT_TRUE(button->isChecked());

  QAction* item = nullptr;
  for (QAction* menu : Window().menuBar()->actions()) {
    if (menu->menu() && !item) item = ActionOf(menu->menu()->actions(), CommandId::Snapping);
  }
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->text(), "Snap to Edges\tS");
}

}  // namespace
}  // namespace vantorelle::testing
