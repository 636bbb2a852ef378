// The monitor dock: shown again from View › Monitor, its transport bar
// running the hub's commands and showing the time under the mark, and its
// picture following the mark while nothing plays, a drag in the ruler too.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QTest>
#include <QToolButton>

#include "monitor_dock.h"
#include "preview_window.h"
#include "shell/editor_fixture.h"
#include "time_ruler_widget.h"
#include "track_area_widget.h"
#include "timeline/command_ids.h"

namespace vantorelle::testing {
namespace {

class MonitorDockTest : public EditorFixture {
 protected:
  shell::MonitorDock& Monitor() {
    shell::MonitorDock* monitor = Window().Monitor();
    EXPECT_NE(monitor, nullptr);
    return *monitor;
  }
  shell::PreviewWindow& Picture() { return Monitor().Picture(); }

  QAction* ViewMenuItem(const QString& text) {
    for (QAction* menuAction : Window().menuBar()->actions()) {
      if (!menuAction->menu() || menuAction->text().remove('&') != "View") continue;
      emit menuAction->menu()->aboutToShow();
      for (QAction* action : menuAction->menu()->actions()) {
        if (action->text() == text) return action;
      }
    }
    return nullptr;
  }

  // The numbered 2 s movie as one clip at the project's start.
  void PlaceMovie() {
    ASSERT_TRUE(DropMovieOnVideoTrack(80));
    CTrack* video = FirstTrackOfKind(TrackKind::Video);
    ASSERT_EQ(video->clips.size(), 1u);
    video->clips[0]->start = 0.0;
    // The ruler shows the clip from end to end.
    Doc().times.rangeStart = 0.0;
    Doc().times.rangeStop = video->clips[0]->duration;
    Window().RunCommand(CommandId::ZoomToRange);
  }

  // The bar is brought up to date once input and repaints settle.
  bool BarShows(const QString& time) {
    return WaitFor([&] { return Monitor().TimeText() == time; }, 2000);
  }

  // A picture that is not the black of no picture, the same for a while.
  std::optional<QImage> SettledPicture() {
    QImage last;
    int same = 0;
    const bool settled = WaitFor(
        [&] {
          const QImage now = Picture().ShownPicture();
          same = now == last ? same + 1 : 0;
          last = now;
          return same >= 10 && !IsBlack(now);
        },
        10000);
    if (!settled) return std::nullopt;
    return last;
  }

  static bool IsBlack(const QImage& picture) {
    for (int y = 0; y < picture.height(); y += 8) {
      for (int x = 0; x < picture.width(); x += 8) {
        if (qGray(picture.pixel(x, y)) > 40) return false;
      }
    }
    return true;
  }

  shell::TimeRulerWidget& Ruler() {
    shell::TimeRulerWidget* ruler = nullptr;
    for (QWidget* child : Window().findChildren<QWidget*>()) {
      if (!ruler) ruler = dynamic_cast<shell::TimeRulerWidget*>(child);
    }
    EXPECT_NE(ruler, nullptr);
    return *ruler;
  }

  void SendToRuler(QEvent::Type type, int x, Qt::MouseButton button, Qt::MouseButtons held) {
    QWidget& ruler = Ruler();
    const QPoint at(x, 10);
    QMouseEvent event(type, QPointF(at), QPointF(ruler.mapToGlobal(at)), button, held, Qt::NoModifier);
    QApplication::sendEvent(&ruler, &event);
  }
};

TEST_F(MonitorDockTest, IsADockOfTheMainWindowThatViewMonitorBringsBack) {
  shell::MonitorDock& monitor = Monitor();
  EXPECT_TRUE(monitor.isVisible());
  EXPECT_FALSE(monitor.isFloating());
  EXPECT_NE(Window().dockWidgetArea(&monitor), Qt::NoDockWidgetArea);
  EXPECT_EQ(Picture().parentWidget()->parentWidget(), &monitor);

  monitor.close();
  EXPECT_FALSE(monitor.isVisible());
  QAction* item = ViewMenuItem("Monitor");
  ASSERT_NE(item, nullptr);
  EXPECT_TRUE(item->isEnabled());
  item->trigger();
  EXPECT_TRUE(monitor.isVisible());

  // Floating and closed, it comes back floating.
  monitor.setFloating(true);
  monitor.close();
  Window().RunCommand(CommandId::Monitor);
  EXPECT_TRUE(monitor.isVisible());
  EXPECT_TRUE(monitor.isFloating());
}

TEST_F(MonitorDockTest, TransportButtonsRunTheHubsCommandsAndTheTimeFollowsTheDisplayMode) {
  PlaceMovie();
  Doc().times.timeMark = 0.0;
  Window().RunCommand(CommandId::TimeInMilliseconds);
  ASSERT_TRUE(BarShows("0:000"));
  EXPECT_FALSE(Monitor().ButtonFor(CommandId::PreviousFrame)->isEnabled()) << "nothing before the start";
  EXPECT_FALSE(Monitor().ButtonFor(CommandId::Stop)->isEnabled()) << "nothing plays";

  Monitor().ButtonFor(CommandId::NextFrame)->click();
  EXPECT_EQ(Doc().times.timeMark, CurrentVideoStandard().FrameDelta);
  EXPECT_TRUE(BarShows("0:040"));
  EXPECT_TRUE(Monitor().ButtonFor(CommandId::PreviousFrame)->isEnabled());
  Monitor().ButtonFor(CommandId::NextFrame)->click();
  Window().RunCommand(CommandId::TimeInFrames);
  EXPECT_TRUE(BarShows("2"));
  Window().RunCommand(CommandId::TimeInSmpte);
  EXPECT_TRUE(BarShows("0:02"));
  Monitor().ButtonFor(CommandId::PreviousFrame)->click();
  EXPECT_EQ(Doc().times.timeMark, CurrentVideoStandard().FrameDelta);
  EXPECT_TRUE(BarShows("0:01"));

  // Play and Stop go through the hub as from the menu.
  Doc().preferences.playbackStartType = 1;
  ASSERT_TRUE(WaitFor([&] { return Monitor().ButtonFor(CommandId::Play)->isEnabled(); }, 2000));
  Monitor().ButtonFor(CommandId::Play)->click();
  EXPECT_TRUE(WaitFor([&] { return Monitor().ButtonFor(CommandId::Stop)->isEnabled(); }, 2000));
  Monitor().ButtonFor(CommandId::Stop)->click();
  EXPECT_TRUE(WaitFor([&] { return !Monitor().ButtonFor(CommandId::Stop)->isEnabled(); }, 2000));
}

TEST_F(MonitorDockTest, KeysReachTheEditorWhileTheFloatingMonitorHasThem) {
  PlaceMovie();
  Doc().times.timeMark = 0.0;
  Monitor().setFloating(true);
  ASSERT_NE(Monitor().window(), &Window());
  QKeyEvent right(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
  QApplication::sendEvent(&Picture(), &right);
  EXPECT_EQ(Doc().times.timeMark, CurrentVideoStandard().FrameDelta) << "the next-frame key went nowhere";
}

TEST_F(MonitorDockTest, PictureFollowsTheMarkWhileIdleAndTheTimerRestsOnceShown) {
  PlaceMovie();
  Window().RunCommand(CommandId::NextFrame);
  const std::optional<QImage> first = SettledPicture();
  ASSERT_TRUE(first);
  // Shown: nothing ticks while nothing changes.
  EXPECT_TRUE(WaitFor([&] { return !Window().Playback().PreviewTimerRunning(); }, 2000));

  // Scrubbing: the picture changes while the button is still held.
  const int from = Ruler().width() / 10;
  SendToRuler(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
  const std::optional<QImage> pressed = SettledPicture();
  ASSERT_TRUE(pressed);
  for (int step = 1; step <= 5; ++step) {
    SendToRuler(QEvent::MouseMove, from + step * Ruler().width() / 10, Qt::NoButton, Qt::LeftButton);
    QTest::qWait(15);
  }
  const std::optional<QImage> dragged = SettledPicture();
  ASSERT_TRUE(dragged);
  EXPECT_NE(*dragged, *pressed);
  SendToRuler(QEvent::MouseButtonRelease, from + Ruler().width() / 2, Qt::LeftButton, Qt::NoButton);

  // Back to the first frame's mark: the first picture again.
  Doc().times.timeMark = CurrentVideoStandard().FrameDelta;
  Window().Repaint(RedrawMask::Ruler);
  const std::optional<QImage> again = SettledPicture();
  ASSERT_TRUE(again);
  EXPECT_EQ(*again, *first);
}

}  // namespace
}  // namespace vantorelle::testing
