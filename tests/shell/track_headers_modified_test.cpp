// The track headers clicked as a person clicks them: an edit a save writes
// shows in the window title as a modified project.
#include <QTest>

#include "shell/editor_fixture.h"
#include "track_headers_widget.h"

namespace vantorelle::testing {
namespace {

using HeaderEdits = EditorFixture;

TEST_F(HeaderEdits, SoloAndHeightClicksMarkTheProjectModified) {
  // The widget has no meta-object of its own: found by type.
  shell::TrackHeadersWidget* widget = nullptr;
  for (QWidget* child : Window().findChildren<QWidget*>()) {
    if (!widget) widget = dynamic_cast<shell::TrackHeadersWidget*>(child);
  }
  ASSERT_NE(widget, nullptr);
  ASSERT_NE(widget->Headers(), nullptr);
  const TrackHeadersPicture picture = widget->Headers()->Draw();
  ASSERT_GE(picture.rows.size(), 3u);
  ASSERT_FALSE(Doc().IsModified());
  ASSERT_EQ(Window().windowTitle(), "Untitled - Vantorelle");

  const TrackHeaderRow& row = picture.rows[2];
  const QPoint solo((row.solo.rect.left + row.solo.rect.right) / 2, (row.solo.rect.top + row.solo.rect.bottom) / 2);
  QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, solo);
  QApplication::processEvents();
  EXPECT_EQ(row.track->playState, PlayState::Solo);
  EXPECT_TRUE(Doc().IsModified());
  EXPECT_EQ(Window().windowTitle(), "Untitled * - Vantorelle");

  Doc().SetModified(false);
  const std::int32_t height = row.track->height;
  QTest::mouseDClick(widget, Qt::LeftButton, Qt::NoModifier, QPoint(row.header.left + 60, row.top + 30));
  QApplication::processEvents();
  EXPECT_NE(row.track->height, height);
  EXPECT_TRUE(Doc().IsModified());
  EXPECT_EQ(Window().windowTitle(), "Untitled * - Vantorelle");
}

}  // namespace
}  // namespace vantorelle::testing
