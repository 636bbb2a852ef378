// The mouse wheel over the track area as the platform sends it, with the
// buttons held at the time travelling in the event.
#include <QTest>
#include <QWheelEvent>
#include <cmath>

#include "shell/editor_fixture.h"
#include "track_area_widget.h"

namespace vantorelle::testing {
namespace {

constexpr TimeMs kFrame = 40.0;  // PAL
const QPoint kOverTheArea(200, 40);

class TrackAreaWheel : public EditorFixture {
 protected:
  void Wheel(int delta, Qt::MouseButtons held) {
    QWheelEvent event(QPointF(kOverTheArea), QPointF(Area().mapToGlobal(kOverTheArea)), QPoint(), QPoint(0, delta),
                      held, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&Area(), &event);
  }
  void MiddleButton(QEvent::Type type) {
    const Qt::MouseButtons held = type == QEvent::MouseButtonPress ? Qt::MiddleButton : Qt::NoButton;
    QMouseEvent event(type, QPointF(kOverTheArea), QPointF(Area().mapToGlobal(kOverTheArea)), Qt::MiddleButton, held,
                      Qt::NoModifier);
    QApplication::sendEvent(&Area(), &event);
  }
  TimeMs Mark() { return Doc().times.timeMark; }
};

TEST_F(TrackAreaWheel, WithTheMiddleButtonHeldTheWheelSetsTheShuttleSpeedAndDoesNotStep) {
  Doc().times.timeMark = 12000.0;
  Wheel(120, Qt::NoButton);
  EXPECT_EQ(Mark(), 12000.0 + kFrame);  // no button: one frame a notch

  MiddleButton(QEvent::MouseButtonPress);
  for (int notch = 0; notch < 3; ++notch) Wheel(120, Qt::MiddleButton);
  EXPECT_EQ(Mark(), 12000.0 + kFrame);  // only the speed changed
  ASSERT_TRUE(WaitFor([&] { return Mark() > 12000.0 + kFrame; }, 3000));
  MiddleButton(QEvent::MouseButtonRelease);
  // Each shuttle tick went three frames.
  EXPECT_EQ(std::fmod(Mark() - (12000.0 + kFrame), 3 * kFrame), 0.0) << Mark();
  const TimeMs stopped = Mark();
  QTest::qWait(350);
  EXPECT_EQ(Mark(), stopped);  // released, the shuttle stops
}

TEST_F(TrackAreaWheel, WithTheLeftOrRightButtonHeldTheWheelDoesNothing) {
  Doc().times.timeMark = 12000.0;
  Wheel(120, Qt::LeftButton);
  Wheel(-120, Qt::RightButton);
  Wheel(120, Qt::LeftButton | Qt::MiddleButton);
  EXPECT_EQ(Mark(), 12000.0);
  Wheel(-120, Qt::NoButton);
  EXPECT_EQ(Mark(), 12000.0 - kFrame);
}

}  // namespace
}  // namespace vantorelle::testing
