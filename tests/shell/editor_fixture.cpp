#include "shell/editor_fixture.h"

#include <QApplication>
#include <QCursor>
#include <QDialog>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>
#include <ostream>

#include "clip_collection_bar.h"
#include "support/test_media_writer.h"
#include "track_area_widget.h"

namespace vantorelle::testing {

void EditorFixture::SetUp() {
  // Recovery copies go to the test's own folder, not the user's cache.
  qputenv("VANTORELLE_CACHE_DIR", QByteArray::fromStdString(dir_.File("cache")));
  StartEditor();
}

void EditorFixture::RestartEditor() {
  StopEditor();
  area_ = nullptr;
  collection_ = nullptr;
  StartEditor();
}

void EditorFixture::StartEditor() {
  settings_ = std::make_unique<FileSettingsStore>(dir_.Path() / "config");
  board_ = SelectBoard({}, "pal");
  ASSERT_TRUE(board_.error.empty()) << board_.error;
  ASSERT_TRUE(board_.wiring.has_value());
  app_.Start(*settings_, *board_.factory);
  auto table = std::make_unique<CShortCutTable>();
  shortcuts_ = table.get();
  doc_ = std::make_unique<CVantorelleDoc>(
      DocumentServices{*settings_, app_.FirstRun(), ui_, *board_.factory, std::move(table)});
  doc_->NewProject();
  window_ = std::make_unique<shell::MainWindow>(app_, *doc_, ui_, shortcuts_, *settings_, board_.wiring);
  window_->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
  // The widgets have no meta-object of their own, so they are told apart by type.
  for (QWidget* child : window_->findChildren<QWidget*>()) {
    if (!area_) area_ = dynamic_cast<shell::TrackAreaWidget*>(child);
    if (!collection_) collection_ = dynamic_cast<shell::ClipCollectionBar*>(child);
  }
  ASSERT_NE(area_, nullptr);
  ASSERT_NE(collection_, nullptr);
  ASSERT_NE(area_->Controller(), nullptr);
}

void EditorFixture::TearDown() { StopEditor(); }

void EditorFixture::StopEditor() {
  // As at the program's end: the window closes, then the views go before the
  // document they show.
  if (window_) {
    window_->SavePlacement();
    window_.reset();
  }
  doc_.reset();
  if (settings_) {
    app_.Shutdown(*settings_);
    settings_->Flush();
  }
  settings_.reset();
}

std::string EditorFixture::WriteMovie(const std::string& name) {
  MovieParams params;
  params.width = 720;
  params.height = 576;
  params.frameCount = 50;
  params.withAudio = true;
  const std::string path = dir_.File(name);
  std::string error;
  EXPECT_TRUE(WriteAvi(path, params, &error)) << error;
  return path;
}

CSrc* EditorFixture::Collect(const std::string& path) {
  const AddSourceOutcome outcome = collection_->Commands().AddSourceFromPath(path, true);
  EXPECT_EQ(outcome, AddSourceOutcome::Added) << "messages: " << ::testing::PrintToString(ui_.MessageTexts());
  return doc_->FindSourceByPath(path);
}

TrackAreaPicture EditorFixture::Picture() const {
  return PictureTrackArea(*doc_, *area_->Controller(), area_->width(), area_->height());
}

std::optional<RowPicture> EditorFixture::RowOf(const CTrack& track) const {
  for (const RowPicture& row : Picture().rows) {
    if (row.track == &track) return row;
  }
  return std::nullopt;
}

std::optional<ClipPicture> EditorFixture::ShapeOf(const CFilm& clip) const {
  for (const RowPicture& row : Picture().rows) {
    for (const ClipPicture& shape : row.clips) {
      if (shape.clip == &clip) return shape;
    }
  }
  return std::nullopt;
}

CTrack* EditorFixture::FirstTrackOfKind(TrackType kind) const {
  for (const auto& track : doc_->timeline.tracks) {
    if (track->Kind() == kind) return track.get();
  }
  return nullptr;
}

bool EditorFixture::DropMovieOnVideoTrack(int x) {
  CSrc* source = Collect(WriteMovie("movie.avi"));
  const CTrack* video = FirstTrackOfKind(TrackKind::Video);
  if (!source || !video) return false;
  const auto row = RowOf(*video);
  if (!row) return false;
  const int y = (row->rect.top + row->rect.bottom) / 2;
  return Area().Controller()->DragOver(*source, x, y) && Area().Controller()->Drop(*source, x, y);
}

namespace {

void SendMouse(QWidget& widget, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held,
               Qt::KeyboardModifiers keys) {
  QMouseEvent event(type, QPointF(at), QPointF(widget.mapToGlobal(at)), button, held, keys);
  QApplication::sendEvent(&widget, &event);
}

}  // namespace

void EditorFixture::Press(QPoint at, Qt::KeyboardModifiers keys) {
  SendMouse(*area_, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton, keys);
}

void EditorFixture::MoveTo(QPoint at, bool leftHeld, Qt::KeyboardModifiers keys) {
  SendMouse(*area_, QEvent::MouseMove, at, Qt::NoButton, leftHeld ? Qt::LeftButton : Qt::NoButton, keys);
}

void EditorFixture::Release(QPoint at, Qt::KeyboardModifiers keys) {
  SendMouse(*area_, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton, keys);
}

void EditorFixture::DragWithLeftButton(QPoint from, QPoint to, Qt::KeyboardModifiers keys) {
  MoveTo(from, false, keys);
  Press(from, keys);
  // In steps, as a hand moves, so a drag threshold cannot swallow it.
  constexpr int kSteps = 5;
  for (int i = 1; i <= kSteps; ++i) MoveTo(from + (to - from) * i / kSteps, true, keys);
  Release(to, keys);
  QApplication::processEvents();
}

void EditorFixture::PointAt(QPoint inArea) {
  const QPoint global = area_->mapToGlobal(inArea);
  QCursor::setPos(global);
  ASSERT_EQ(QCursor::pos(), global) << "the platform cannot move the pointer";
}

void EditorFixture::PressKey(int key, Qt::KeyboardModifiers modifiers) {
  QTest::keyClick(area_, static_cast<Qt::Key>(key), modifiers);
  QApplication::processEvents();
}

std::optional<QString> EditorFixture::RunClosingDialog(int commandId) {
  std::optional<QString> seen;
  QTimer closer;
  closer.setInterval(10);
  QObject::connect(&closer, &QTimer::timeout, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal) return;
    seen = modal->windowTitle();
    if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
    else modal->close();
    closer.stop();
  });
  closer.start();
  // A dialog that never shows must not leave the closer waiting for ever.
  QTimer::singleShot(3000, &closer, &QTimer::stop);
  window_->RunCommand(commandId);
  closer.stop();
  return seen;
}

bool EditorFixture::WaitFor(const std::function<bool()>& condition, int timeoutMs) {
  QElapsedTimer clock;
  clock.start();
  while (!condition()) {
    if (clock.elapsed() > timeoutMs) return false;
    QTest::qWait(10);
  }
  return true;
}

std::vector<ClipLayout> LayoutOf(const CVantorelleDoc& doc) {
  std::vector<ClipLayout> layout;
  for (const auto& track : doc.timeline.tracks) {
    for (const auto& clip : track->clips) {
      layout.push_back({track->type, clip->source ? clip->source->path : std::string(), clip->start,
                        clip->duration});
    }
  }
  return layout;
}

void PrintTo(const ClipLayout& layout, std::ostream* out) {
  *out << "{track 0x" << std::hex << layout.trackType << std::dec << ", " << layout.source << ", start "
       << layout.start << ", duration " << layout.duration << "}";
}

}  // namespace vantorelle::testing
