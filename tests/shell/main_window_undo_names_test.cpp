// Edit › Undo and Redo name the step they take back or bring back, in the
// menu and in the toolbar's tips, and Ctrl+Shift+Z redoes as Ctrl+Y does.
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QToolBar>

#include "shell/editor_fixture.h"
#include "timeline/command_ids.h"
#include "track_area_widget.h"

namespace vantorelle::testing {
namespace {

QPoint CentreOf(const PixelRect& rect) { return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2}; }

class MainWindowUndoNames : public EditorFixture {
 protected:
  // The Edit menu's item for a command as it reads when the menu opens.
  QAction* EditItem(int id) {
    QMenu* edit = nullptr;
    for (QAction* top : Window().menuBar()->actions()) {
      if (top->menu() && top->text() == "&Edit") edit = top->menu();
    }
    EXPECT_NE(edit, nullptr);
    if (!edit) return nullptr;
    emit edit->aboutToShow();
    for (QAction* action : edit->actions()) {
      if (action->data().toInt() == id) return action;
    }
    ADD_FAILURE() << "no item " << id;
    return nullptr;
  }
  std::string UndoText() { return EditItem(CommandId::Undo)->text().toStdString(); }
  std::string RedoText() { return EditItem(CommandId::Redo)->text().toStdString(); }

  void ExpectSound() {
    std::vector<const CSrc*> sources;
    for (const auto& source : Doc().sources) sources.push_back(source.get());
    const auto problems = CheckTimelineConsistency(Doc().timeline, sources);
    EXPECT_TRUE(problems.empty()) << problems.front();
  }
  CTrack* Video() const { return FirstTrackOfKind(TrackKind::Video); }
  int ClipCount() { return Doc().timeline.ClipCount(); }
};

TEST_F(MainWindowUndoNames, EachEditNamesItsStepAndCtrlShiftZRedoes) {
  EXPECT_EQ(UndoText(), "Undo\tCtrl + Z");
  EXPECT_FALSE(EditItem(CommandId::Undo)->isEnabled());
  EXPECT_EQ(RedoText(), "Redo\tCtrl + Y");

  CSrc* source = Collect(WriteMovie("movie.avi"));
  ASSERT_NE(source, nullptr);
  const int rowY = CentreOf(RowOf(*Video())->rect).y();
  ASSERT_TRUE(Area().Controller()->DragOver(*source, 100, rowY));
  ASSERT_TRUE(Area().Controller()->Drop(*source, 100, rowY));
  ASSERT_EQ(Video()->clips.size(), 1u);
  ExpectSound();
  EXPECT_EQ(UndoText(), "Undo Drop Clip\tCtrl + Z");
  EXPECT_TRUE(EditItem(CommandId::Undo)->isEnabled());

  // The dropped clips are selected: a click beside them clears the selection.
  QTest::mouseClick(&Area(), Qt::LeftButton, Qt::NoModifier, QPoint(Area().width() - 10, rowY));
  ASSERT_FALSE(Video()->clips.front()->IsSelected());
  EXPECT_EQ(UndoText(), "Undo Deselect\tCtrl + Z");
  QTest::mouseClick(&Area(), Qt::LeftButton, Qt::NoModifier, CentreOf(ShapeOf(*Video()->clips.front())->rect));
  ASSERT_TRUE(Video()->clips.front()->IsSelected());
  EXPECT_EQ(UndoText(), "Undo Select\tCtrl + Z");

  const TimeMs placedAt = Video()->clips.front()->start;
  const QPoint body = CentreOf(ShapeOf(*Video()->clips.front())->rect);
  DragWithLeftButton(body, body + QPoint(40, 0));
  ASSERT_GT(Video()->clips.front()->start, placedAt);
  ExpectSound();
  EXPECT_EQ(UndoText(), "Undo Move\tCtrl + Z");

  const TimeMs length = Video()->clips.front()->duration;
  const PixelRect shape = ShapeOf(*Video()->clips.front())->rect;
  std::optional<QPoint> edge;
  for (int x = shape.right + 3; x > shape.right - 12 && !edge; --x) {
    if (Area().Controller()->HitTest(x, rowY).zone == HitZone::RightEdge) edge = QPoint(x, rowY);
  }
  ASSERT_TRUE(edge.has_value());
  DragWithLeftButton(*edge, *edge - QPoint(30, 0));
  ASSERT_LT(Video()->clips.front()->duration, length);
  ExpectSound();
  EXPECT_EQ(UndoText(), "Undo Trim\tCtrl + Z");

  Doc().times.timeMark = Video()->clips.front()->start + 400.0;
  Window().RunCommand(CommandId::SplitClip);
  ASSERT_EQ(Video()->clips.size(), 2u);
  ExpectSound();
  EXPECT_EQ(UndoText(), "Undo Split clip\tCtrl + Z");

  Window().RunCommand(CommandId::SelectAll);
  Window().RunCommand(CommandId::Cut);
  ASSERT_EQ(ClipCount(), 0);
  ExpectSound();
  EXPECT_EQ(UndoText(), "Undo Cut\tCtrl + Z");
  Doc().times.timeMark = 0.0;
  Window().RunCommand(CommandId::Paste);
  ASSERT_GT(ClipCount(), 0);
  ExpectSound();
  EXPECT_EQ(UndoText(), "Undo Paste\tCtrl + Z");
  const int pasted = ClipCount();
  Window().RunCommand(CommandId::Insert);
  ASSERT_EQ(ClipCount(), 2 * pasted);
  ExpectSound();
  EXPECT_EQ(UndoText(), "Undo Insert\tCtrl + Z");
  Window().RunCommand(CommandId::SelectAll);
  Window().RunCommand(CommandId::Delete);
  ASSERT_EQ(ClipCount(), 0);
  ExpectSound();
  EXPECT_EQ(UndoText(), "Undo Delete\tCtrl + Z");
  EXPECT_EQ(RedoText(), "Redo\tCtrl + Y");
  EXPECT_FALSE(EditItem(CommandId::Redo)->isEnabled());

  Window().RunCommand(CommandId::Undo);
  ASSERT_EQ(ClipCount(), 2 * pasted);
  ExpectSound();
  EXPECT_EQ(UndoText(), "Undo Insert\tCtrl + Z");
  EXPECT_EQ(RedoText(), "Redo Delete\tCtrl + Y");
  EXPECT_TRUE(EditItem(CommandId::Redo)->isEnabled());
  // The toolbar's tips follow within its next refresh.
  const auto* bar = Window().findChild<QToolBar*>("StandardToolBar");
  ASSERT_NE(bar, nullptr);
  const auto tipOf = [&](int id) {
    for (const QAction* action : bar->actions()) {
      if (action->data().toInt() == id) return action->toolTip().toStdString();
    }
    return std::string();
  };
  EXPECT_TRUE(WaitFor([&] { return tipOf(CommandId::Redo) == "Redo Delete - Ctrl + Y"; }, 2000))
      << tipOf(CommandId::Redo);
  EXPECT_EQ(tipOf(CommandId::Undo), "Undo Insert - Ctrl + Z");

  PointAt(QPoint(Area().width() - 10, rowY));
  PressKey(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(ClipCount(), 0) << "Ctrl+Shift+Z did not redo the delete";
  ExpectSound();
  EXPECT_EQ(UndoText(), "Undo Delete\tCtrl + Z");
  EXPECT_EQ(RedoText(), "Redo\tCtrl + Y");
}

}  // namespace
}  // namespace vantorelle::testing
