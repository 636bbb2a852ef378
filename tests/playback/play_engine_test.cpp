// The playback engine against the recording board: the calls it makes to set
// the board up, to load, start and stop a play, and for the idle preview; the
// main window's play, follow timer and stop; and the text of every report.
#include <deque>
#include <set>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "model/virtual_keys.h"
#include "playback/play_engine.h"
#include "playback/play_engine_control.h"
#include "support/document_fixture.h"
#include "support/recording_view_host.h"

namespace vantorelle {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsSupersetOf;
using testing::FakeComponentFactory;
using testing::ManualTimers;
using testing::NoWorkAreaDisplay;
using testing::RecordingViewHost;
using testing::TestDocument;

class BoardPresentScope {
 public:
  explicit BoardPresentScope(bool present) : saved_(BoardPresent()) { SetBoardPresent(present); }
  ~BoardPresentScope() { SetBoardPresent(saved_); }

 private:
  bool saved_;
};

// Around the recording board: fails chosen calls by their exact logged text
// (so one state of PutState can fail while the others pass), and answers
// rest times and audio lengths as a test scripts them.
struct BoardScript {
  FakeComponentFactory& fake;
  std::set<std::string> failing;
  std::deque<double> videoRest;
  std::deque<double> slideRest;
  double audioLengthS = 0.0;

  KlpResult Check(KlpResult result) const {
    if (!fake.Calls().empty() && failing.count(fake.Calls().back())) return KlpFail;
    return result;
  }
  static double Next(std::deque<double>& queue, double fallback) {
    if (queue.empty()) return fallback;
    const double value = queue.front();
    queue.pop_front();
    return value;
  }
};

class ScriptedVTimeLine : public IKlpVTimeLine {
 public:
  ScriptedVTimeLine(std::unique_ptr<IKlpVTimeLine> inner, BoardScript& s) : inner_(std::move(inner)), s_(s) {}
  KlpResult PutState(std::int32_t state) override { return s_.Check(inner_->PutState(state)); }
  KlpResult GetRestTime(double& seconds) override {
    const KlpResult result = s_.Check(inner_->GetRestTime(seconds));
    seconds = BoardScript::Next(s_.videoRest, seconds);
    return result;
  }
  KlpResult AddEmpty(double seconds) override { return s_.Check(inner_->AddEmpty(seconds)); }
  KlpResult AddMovie(IKlpSuperClip& clip) override { return s_.Check(inner_->AddMovie(clip)); }
  KlpResult Reset(std::int32_t value) override { return s_.Check(inner_->Reset(value)); }
  KlpResult SetWindow(std::int32_t l, std::int32_t t, std::int32_t w, std::int32_t h) override {
    return s_.Check(inner_->SetWindow(l, t, w, h));
  }

 private:
  std::unique_ptr<IKlpVTimeLine> inner_;
  BoardScript& s_;
};

class ScriptedAudioTimeLine : public IKlpAudioTimeLine {
 public:
  ScriptedAudioTimeLine(std::unique_ptr<IKlpAudioTimeLine> inner, BoardScript& s) : inner_(std::move(inner)), s_(s) {}
  KlpResult PutState(std::int32_t state) override { return s_.Check(inner_->PutState(state)); }
  KlpResult GetLength(double& seconds) override {
    const KlpResult result = inner_->GetLength(seconds);
    seconds = s_.audioLengthS;
    return result;
  }
  KlpResult AddEmpty(double seconds) override { return s_.Check(inner_->AddEmpty(seconds)); }
  KlpResult AddMovie(IKlpSuperClip& clip) override { return s_.Check(inner_->AddMovie(clip)); }
  KlpResult Reset(std::int32_t value) override { return s_.Check(inner_->Reset(value)); }

 private:
  std::unique_ptr<IKlpAudioTimeLine> inner_;
  BoardScript& s_;
};

class ScriptedSlideTask : public IKlpSlideTitleTask {
 public:
  ScriptedSlideTask(std::unique_ptr<IKlpSlideTitleTask> inner, BoardScript& s) : inner_(std::move(inner)), s_(s) {}
  KlpResult PutState(std::int32_t state) override { return s_.Check(inner_->PutState(state)); }
  KlpResult AddImage(IKlpPlayStillImage& image, double seconds) override {
    return s_.Check(inner_->AddImage(image, seconds));
  }
  KlpResult AddEmpty(double seconds) override { return s_.Check(inner_->AddEmpty(seconds)); }
  KlpResult GetRestTime(double& seconds) override {
    const KlpResult result = s_.Check(inner_->GetRestTime(seconds));
    seconds = BoardScript::Next(s_.slideRest, seconds);
    return result;
  }
  KlpResult AddData(IKlpPlayStillImage& image, double length, double fadeIn, double fadeOut) override {
    return s_.Check(inner_->AddData(image, length, fadeIn, fadeOut));
  }

 private:
  std::unique_ptr<IKlpSlideTitleTask> inner_;
  BoardScript& s_;
};

class ScriptedMovableTask : public IKlpMovableTitleTask {
 public:
  ScriptedMovableTask(std::unique_ptr<IKlpMovableTitleTask> inner, BoardScript& s) : inner_(std::move(inner)), s_(s) {}
  KlpResult PutState(std::int32_t state) override { return s_.Check(inner_->PutState(state)); }
  KlpResult AddEmpty(std::int32_t pixels) override { return s_.Check(inner_->AddEmpty(pixels)); }
  KlpResult AddData(IKlpPlayStillImage& image, std::int32_t in, std::int32_t length) override {
    return s_.Check(inner_->AddData(image, in, length));
  }

 private:
  std::unique_ptr<IKlpMovableTitleTask> inner_;
  BoardScript& s_;
};

class ScriptedBoard : public IKlpBoard {
 public:
  ScriptedBoard(std::unique_ptr<IKlpBoard> inner, BoardScript& s) : inner_(std::move(inner)), s_(s) {}
  KlpResult GetChannelValue(std::int32_t c, std::int32_t i, std::int32_t& v) override {
    return s_.Check(inner_->GetChannelValue(c, i, v));
  }
  KlpResult SetChannelValue(std::int32_t c, std::int32_t i, std::int32_t v) override {
    return s_.Check(inner_->SetChannelValue(c, i, v));
  }
  KlpResult GetVideoFormat(std::int32_t c, std::int32_t& w, std::int32_t& h, double* fps) override {
    return s_.Check(inner_->GetVideoFormat(c, w, h, fps));
  }
  KlpResult SetChannelFlag(std::int32_t c, std::int32_t f, std::int32_t v) override {
    return s_.Check(inner_->SetChannelFlag(c, f, v));
  }
  KlpResult CreateSuperClip(std::uint32_t kind, std::int32_t p, std::unique_ptr<IKlpSuperClip>& clip) override {
    return s_.Check(inner_->CreateSuperClip(kind, p, clip));
  }
  KlpResult CreateVTimeLine(std::int32_t c, std::uint32_t size, std::uint32_t low, std::int32_t r,
                            std::unique_ptr<IKlpVTimeLine>& out) override {
    std::unique_ptr<IKlpVTimeLine> made;
    const KlpResult result = s_.Check(inner_->CreateVTimeLine(c, size, low, r, made));
    if (made) out = std::make_unique<ScriptedVTimeLine>(std::move(made), s_);
    return result;
  }
  KlpResult SetChannelMode(std::int32_t c, std::int32_t m) override { return s_.Check(inner_->SetChannelMode(c, m)); }
  KlpResult ResetChannelMode(std::int32_t c, std::int32_t m) override {
    return s_.Check(inner_->ResetChannelMode(c, m));
  }
  KlpResult CreateAudioTimeLine(std::int32_t c, std::uint32_t size, std::uint32_t low, std::int32_t r,
                                std::unique_ptr<IKlpAudioTimeLine>& out) override {
    std::unique_ptr<IKlpAudioTimeLine> made;
    const KlpResult result = s_.Check(inner_->CreateAudioTimeLine(c, size, low, r, made));
    if (made) out = std::make_unique<ScriptedAudioTimeLine>(std::move(made), s_);
    return result;
  }
  KlpResult GetBoardTime(std::int32_t c, double& seconds) override { return s_.Check(inner_->GetBoardTime(c, seconds)); }
  KlpResult CreateMovableTitleTask(std::int32_t c, const KlpMovableTitleParams& p, double scale, double blend,
                                   std::unique_ptr<IKlpMovableTitleTask>& out) override {
    std::unique_ptr<IKlpMovableTitleTask> made;
    const KlpResult result = s_.Check(inner_->CreateMovableTitleTask(c, p, scale, blend, made));
    if (made) out = std::make_unique<ScriptedMovableTask>(std::move(made), s_);
    return result;
  }
  KlpResult CreateSlideTitleTask(std::int32_t c, const KlpSlideTitleParams& p, double scale, double blend,
                                 std::unique_ptr<IKlpSlideTitleTask>& out) override {
    std::unique_ptr<IKlpSlideTitleTask> made;
    const KlpResult result = s_.Check(inner_->CreateSlideTitleTask(c, p, scale, blend, made));
    if (made) out = std::make_unique<ScriptedSlideTask>(std::move(made), s_);
    return result;
  }

 private:
  std::unique_ptr<IKlpBoard> inner_;
  BoardScript& s_;
};

class ScriptedFactory : public IKlpComponentFactory {
 public:
  explicit ScriptedFactory(FakeComponentFactory& fake) : script{fake} {}
  KlpResult CreateBoard(std::unique_ptr<IKlpBoard>& out) override {
    std::unique_ptr<IKlpBoard> made;
    const KlpResult result = script.fake.CreateBoard(made);
    if (made) out = std::make_unique<ScriptedBoard>(std::move(made), script);
    return result;
  }
  KlpResult CreatePlayMovie(std::unique_ptr<IKlpPlayMovie>& m) override { return script.fake.CreatePlayMovie(m); }
  KlpResult CreatePlayStillImage(std::unique_ptr<IKlpPlayStillImage>& i) override {
    return script.fake.CreatePlayStillImage(i);
  }
  KlpResult CreatePlayYCrCbImage(std::unique_ptr<IKlpPlayYCrCbImage>& i) override {
    return script.fake.CreatePlayYCrCbImage(i);
  }
  KlpResult CreatePlayJPEGImage(std::unique_ptr<IKlpPlayJPEGImage>& i) override {
    return script.fake.CreatePlayJPEGImage(i);
  }
  KlpResult CreatePlayTitleImage(std::unique_ptr<IKlpPlayTitleImage>& i) override {
    return script.fake.CreatePlayTitleImage(i);
  }
  KlpResult CreateGetAVIInfo(std::unique_ptr<IGetAVIInfo>& i) override { return script.fake.CreateGetAVIInfo(i); }

  BoardScript script;
};

class RecordingWorkThread : public IPlaybackWorkThread {
 public:
  void Suspend() override { events.push_back("suspend"); }
  void Resume() override { events.push_back("resume"); }
  std::vector<std::string> events;
};

class ScriptedWaitDialog : public IWaitPlaybackStart {
 public:
  WaitPlaybackChoice AskToStart(const WaitPlaybackStartDialog&) override {
    ++asked;
    return answer;
  }
  WaitPlaybackChoice answer = WaitPlaybackChoice::Start;
  int asked = 0;
};

class PlayEngineTest : public ::testing::Test {
 protected:
  PlayEngineTest() { t.doc.timeline.tracks.clear(); }

  CTrack& AddTrack(TrackType type) {
    auto track = std::make_unique<CTrack>(type, 48);
    if (type == TrackTypes::TitleSlide || type == TrackTypes::TitleMovable) {
      track->regionWidth = 200;
      track->regionHeight = 100;
      track->maxSpeed = 2.0;
    }
    return t.doc.timeline.AddTrackInKindOrder(std::move(track));
  }
  CSrc& Movie(const std::string& path, TimeMs duration) {
    CSrc& source = t.AddSource(path, duration, SourceFlags::MovieFile | SourceFlags::VideoStream | SourceFlags::AudioStream);
    auto item = std::make_unique<CMovieMapItem>();
    item->fileName = path;
    t.board.CreatePlayMovie(item->movie);
    map.Set(std::move(item));
    return source;
  }
  CSrc& Image(const std::string& path) {
    CSrc& source = t.AddSource(path, 0.0, SourceFlags::VideoStream);
    auto item = std::make_unique<CMovieMapItem>();
    item->fileName = path;
    t.board.CreatePlayStillImage(item->stillImage);
    map.Set(std::move(item));
    return source;
  }
  CFilm& Clip(CTrack& track, CSrc& source, TimeMs start, TimeMs duration, TimeMs in = 0.0) {
    auto clip = std::make_unique<CFilm>(&source);
    clip->start = start;
    clip->duration = duration;
    clip->inPoint = in;
    clip->sourceLength = source.duration != 0.0 ? source.duration : duration;
    clip->flags = track.Group() == TrackGroup::Audio ? (SourceFlags::AudioStream | SourceFlags::MovieFile) : source.flags;
    return track.InsertInOrder(std::move(clip));
  }
  CPlayEngine& MakeEngine() {
    engine = std::make_unique<CPlayEngine>(factory, t.ui);
    t.board.ClearCalls();
    return *engine;
  }
  CPlaybackWindow& MakeWindow() {
    if (!engine) MakeEngine();
    navigator = std::make_unique<WorkAreaNavigator>(t.doc, display, host, viewTimers);
    window = std::make_unique<CPlaybackWindow>(PlaybackWindowServices{
        t.doc, *engine, map, *navigator, host, windowTimers, viewTimers, &workThread, &waitDialog, nullptr});
    return *window;
  }
  bool PrepareProject() {
    const PlayRange range = ComputePlayRange(t.doc.timeline, t.doc.times);
    auto list = BuildPlayList(IncludedTracks(t.doc.timeline), range.from, range.to, 40.0, map, false);
    if (!list) return false;
    return engine->Prepare(range.from, range.to, *list, 40.0, list->audioTrackKeys);
  }
  // The calls after the first one that starts with the prefix.
  std::vector<std::string> CallsFrom(const std::string& prefix) const {
    const auto& calls = t.board.Calls();
    for (std::size_t i = 0; i < calls.size(); ++i) {
      if (calls[i].rfind(prefix, 0) == 0) return {calls.begin() + static_cast<std::ptrdiff_t>(i), calls.end()};
    }
    return {};
  }
  std::vector<std::string> Captions() const {
    std::vector<std::string> captions;
    for (const auto& message : t.ui.messages) captions.push_back(message.caption);
    return captions;
  }

  TestDocument t;
  BoardPresentScope present{true};
  ScriptedFactory factory{t.board};
  CMovieMap map;
  std::unique_ptr<CPlayEngine> engine;
  RecordingViewHost host;
  NoWorkAreaDisplay display;
  ManualTimers windowTimers;
  ManualTimers viewTimers;
  RecordingWorkThread workThread;
  ScriptedWaitDialog waitDialog;
  std::unique_ptr<WorkAreaNavigator> navigator;
  std::unique_ptr<CPlaybackWindow> window;
};

// --- Setting the board up ---------------------------------------------------

TEST_F(PlayEngineTest, SetUpTakesTheBoardsResourcesInOrder) {
  t.board.ClearCalls();
  CPlayEngine engine(factory, t.ui);
  EXPECT_TRUE(engine.HasBoard());
  EXPECT_EQ(engine.State(), EngineState::Stopped);
  EXPECT_THAT(t.board.Calls(),
              ElementsAre("Create:IKlpBoard()", "IKlpBoard::GetVideoFormat(0)", "IKlpBoard::SetChannelMode(0, 1)",
                          "IKlpBoard::GetChannelValue(0, 14)", "IKlpBoard::SetChannelValue(0, 14, 0)",
                          "IKlpBoard::SetChannelMode(0, 4)", "IKlpBoard::SetChannelFlag(0, 1, 1)",
                          "IKlpBoard::SetChannelFlag(0, 3, 1)", "IKlpBoard::ResetChannelMode(0, 4)",
                          "IKlpBoard::CreateVTimeLine(0, 16777216, 8388608, 0)",
                          "IKlpVTimeLine::SetWindow(0, 0, 720, 576)", "IKlpVTimeLine::Reset(0)",
                          "IKlpVTimeLine::PutState(2)", "IKlpVTimeLine::PutState(4)"));
  EXPECT_TRUE(t.ui.messages.empty());
}

TEST_F(PlayEngineTest, SetUpSkipsOnlyTheFlagsWhenModeFourFails) {
  factory.script.failing = {"IKlpBoard::SetChannelMode(0, 4)", "IKlpBoard::ResetChannelMode(0, 4)"};
  CPlayEngine engine(factory, t.ui);
  EXPECT_TRUE(engine.HasBoard());
  EXPECT_EQ(t.board.CountCalls("IKlpBoard::SetChannelFlag"), 0);
  EXPECT_EQ(t.board.CountCalls("IKlpBoard::ResetChannelMode(0, 4)"), 1);
  EXPECT_TRUE(t.ui.messages.empty());
}

TEST_F(PlayEngineTest, SetUpFailureReportsGettingResourcesAndLeavesNoBoard) {
  for (const char* failing : {"IKlpBoard::GetVideoFormat(0)", "IKlpBoard::SetChannelMode(0, 1)",
                              "IKlpBoard::SetChannelValue(0, 14, 0)", "IKlpBoard::CreateVTimeLine(0, 16777216, 8388608, 0)",
                              "IKlpVTimeLine::SetWindow(0, 0, 720, 576)", "IKlpVTimeLine::PutState(4)"}) {
    SCOPED_TRACE(failing);
    SetBoardPresent(true);
    t.ui.messages.clear();
    factory.script.failing = {failing};
    CPlayEngine engine(factory, t.ui);
    EXPECT_FALSE(engine.HasBoard());
    EXPECT_EQ(engine.State(), EngineState::NoBoard);
    EXPECT_FALSE(BoardPresent());
    ASSERT_EQ(t.ui.messages.size(), 1u);
    EXPECT_EQ(t.ui.messages[0].caption, "Error -- Getting Resources");
    EXPECT_EQ(t.ui.messages[0].text, "Unspecified error");
  }
}

TEST_F(PlayEngineTest, NoBoardOrNoBoardAtStartUpMeansNoEngine) {
  t.board.Config().results["Create:IKlpBoard"] = KlpClassNotRegistered;
  EXPECT_EQ(CPlayEngine(factory, t.ui).State(), EngineState::NoBoard);
  t.board.Config().results.clear();
  SetBoardPresent(false);
  CPlayEngine silent(factory, t.ui);
  EXPECT_FALSE(silent.HasBoard());
  EXPECT_EQ(t.board.CountCalls("IKlpBoard::CreateVTimeLine"), 0);
  CPlayList list;
  EXPECT_FALSE(silent.Prepare(0.0, 1000.0, list, 40.0, {}));
  EXPECT_TRUE(t.ui.messages.empty());
}

// --- Loading a play ------------------------------------------------------------

TEST_F(PlayEngineTest, VideoEntriesAfterAGapGetAnEmptyStretchAndTheFirstFrameAtTheStart) {
  CTrack& video = AddTrack(TrackTypes::Video);
  CSrc& movie = Movie("/m/a.avi", 10000.0);
  Clip(video, movie, 1000.0, 1000.0, 400.0);
  Clip(video, movie, 3000.0, 1000.0);
  t.doc.times.rangeStart = 0.0;
  t.doc.times.rangeStop = 4000.0;
  MakeEngine();
  ASSERT_TRUE(PrepareProject());
  EXPECT_EQ(engine->State(), EngineState::Prepared);
  EXPECT_THAT(t.board.Calls(),
              ElementsAre("IKlpVTimeLine::Reset(0)", "IKlpBoard::CreateSuperClip(7, 6)",
                          "IKlpSuperClip::AddMovieFragment(0.4, 0.04)", "IKlpVTimeLine::AddMovie()",
                          "IKlpVTimeLine::AddEmpty(0.96)", "IKlpBoard::CreateSuperClip(7, 6)",
                          "IKlpSuperClip::AddMovieFragment(0.4, 1)", "IKlpVTimeLine::AddMovie()",
                          "IKlpVTimeLine::AddEmpty(1)", "IKlpBoard::CreateSuperClip(7, 6)",
                          "IKlpSuperClip::AddMovieFragment(0, 1)", "IKlpVTimeLine::AddMovie()",
                          "IKlpVTimeLine::PutState(2)", "IKlpVTimeLine::PutState(3)"));
}

TEST_F(PlayEngineTest, AStillImageOnAVideoTrackIsShownForItsClip) {
  CTrack& video = AddTrack(TrackTypes::Video);
  CSrc& movie = Movie("/m/a.avi", 10000.0);
  Clip(video, movie, 0.0, 1000.0);
  Clip(video, Image("/m/still.png"), 1000.0, 1600.0);
  t.doc.times.rangeStart = 0.0;
  t.doc.times.rangeStop = 2600.0;
  MakeEngine();
  ASSERT_TRUE(PrepareProject());
  EXPECT_THAT(t.board.Calls(),
              ElementsAre("IKlpVTimeLine::Reset(0)", "IKlpBoard::CreateSuperClip(7, 6)",
                          "IKlpSuperClip::AddMovieFragment(0, 1)", "IKlpVTimeLine::AddMovie()",
                          "IKlpBoard::CreateSuperClip(7, 6)", "IKlpSuperClip::AddStillImageFragment(1.6)",
                          "IKlpVTimeLine::AddMovie()", "IKlpVTimeLine::PutState(2)",
                          "IKlpVTimeLine::PutState(3)"));
  EXPECT_TRUE(t.ui.messages.empty());
}

TEST_F(PlayEngineTest, AnOfflineClipGivesTheBoardAnEmptyStretchNotItsFile) {
  CTrack& video = AddTrack(TrackTypes::Video);
  CTrack& lower = AddTrack(TrackTypes::Video);
  CSrc& movie = Movie("/m/a.avi", 10000.0);
  CSrc& gone = Movie("/m/gone.avi", 10000.0);
  gone.offline = true;
  Clip(video, movie, 0.0, 1000.0);
  Clip(video, gone, 1000.0, 1000.0);
  Clip(video, movie, 2000.0, 1000.0);
  Clip(lower, movie, 0.0, 3000.0, 5000.0);
  t.doc.times.rangeStart = 0.0;
  t.doc.times.rangeStop = 3000.0;
  MakeEngine();
  ASSERT_TRUE(PrepareProject());
  EXPECT_THAT(t.board.Calls(),
              ElementsAre("IKlpVTimeLine::Reset(0)", "IKlpBoard::CreateSuperClip(7, 6)",
                          "IKlpSuperClip::AddMovieFragment(0, 1)", "IKlpVTimeLine::AddMovie()",
                          "IKlpVTimeLine::AddEmpty(1)", "IKlpBoard::CreateSuperClip(7, 6)",
                          "IKlpSuperClip::AddMovieFragment(0, 1)", "IKlpVTimeLine::AddMovie()",
                          "IKlpVTimeLine::PutState(2)", "IKlpVTimeLine::PutState(3)"));
}

TEST_F(PlayEngineTest, AudioLinesPerTrackWithLevelFadesAndGapsFromTheLineLength) {
  CTrack& first = AddTrack(TrackTypes::Audio);
  CTrack& second = AddTrack(TrackTypes::Audio);
  CSrc& sound = Movie("/m/s.wav", 10000.0);
  CFilm& quiet = Clip(first, sound, 0.0, 1000.0);
  quiet.volume = 0.0;
  quiet.fadeIn = 200.0;
  CFilm& later = Clip(first, sound, 2000.0, 1000.0);
  later.volume = 0.5;
  later.useTrackFadeOut = 1;
  first.volume = 0.8;
  first.fadeOut = 300.0;
  Clip(second, sound, 480.0, 520.0);
  factory.script.audioLengthS = 1.0;  // the line's length after its first clip
  MakeEngine();
  ASSERT_TRUE(PrepareProject());
  EXPECT_THAT(t.board.Calls(),
              ElementsAre("IKlpBoard::CreateAudioTimeLine(0, 2097152, 1048576, 0)",
                          "IKlpBoard::CreateAudioTimeLine(0, 2097152, 1048576, 0)", "IKlpAudioTimeLine::Reset(0)",
                          "IKlpBoard::CreateSuperClip(4096, 6)",
                          "IKlpSuperClip::AddMovieFragmentWithAudio(0, 1, 0.01, 0.2, 0, 3)",
                          "IKlpAudioTimeLine::AddMovie()", "IKlpAudioTimeLine::GetLength()",
                          "IKlpAudioTimeLine::AddEmpty(1)", "IKlpBoard::CreateSuperClip(4096, 6)",
                          "IKlpSuperClip::AddMovieFragmentWithAudio(0, 1, 0.4, 0, 0.3, 3)",
                          "IKlpAudioTimeLine::AddMovie()", "IKlpAudioTimeLine::GetLength()",
                          "IKlpAudioTimeLine::Reset(0)", "IKlpAudioTimeLine::AddEmpty(0.48)",
                          "IKlpBoard::CreateSuperClip(4096, 6)",
                          "IKlpSuperClip::AddMovieFragmentWithAudio(0, 0.52, 1, 0, 0, 3)",
                          "IKlpAudioTimeLine::AddMovie()", "IKlpAudioTimeLine::GetLength()",
                          "IKlpAudioTimeLine::PutState(2)", "IKlpAudioTimeLine::PutState(2)",
                          "IKlpAudioTimeLine::PutState(3)", "IKlpAudioTimeLine::PutState(3)"));
  ASSERT_EQ(engine->AudioLines().size(), 2u);
  EXPECT_EQ(engine->AudioLines()[0].trackKey, &first);
}

TEST_F(PlayEngineTest, PrepareRefusesAnEmptyRangeWithoutTouchingTheBoard) {
  MakeEngine();
  CPlayList list;
  EXPECT_FALSE(engine->Prepare(2000.0, 1000.0, list, 40.0, {}));
  EXPECT_TRUE(t.board.Calls().empty());
  EXPECT_EQ(engine->State(), EngineState::Stopped);
}

// --- Start, follow and stop -----------------------------------------------------

class PlayingProjectTest : public PlayEngineTest {
 protected:
  PlayingProjectTest() {
    CTrack& video = AddTrack(TrackTypes::Video);
    CTrack& audio = AddTrack(TrackTypes::Audio);
    slide = &AddTrack(TrackTypes::TitleSlide);
    emptySlide = &AddTrack(TrackTypes::TitleSlide);
    CSrc& movie = Movie("/m/a.avi", 10000.0);
    Clip(video, movie, 0.0, 2000.0);
    Clip(audio, movie, 0.0, 2000.0);
    Clip(*slide, Image("/m/title.png"), 0.0, 1000.0);
    Clip(*emptySlide, Image("/m/late.png"), 5000.0, 1000.0);
    t.doc.times.rangeStart = 0.0;
    t.doc.times.rangeStop = 2000.0;
    MakeEngine();
    engine->BuildTitleTasks(t.doc.timeline.tracks, 0.0);
    t.board.ClearCalls();
  }
  CTrack* slide = nullptr;
  CTrack* emptySlide = nullptr;
};

TEST_F(PlayingProjectTest, StartRunsTheTimeLinesAndOnlyTheTitleTasksWithData) {
  ASSERT_TRUE(PrepareProject());
  ASSERT_EQ(engine->TitleTasks().Tasks().size(), 2u);
  EXPECT_TRUE(engine->TitleTasks().Tasks()[0]->HasData());
  EXPECT_FALSE(engine->TitleTasks().Tasks()[1]->HasData());
  t.board.ClearCalls();
  t.board.Config().boardTimeS = 7.5;
  ASSERT_TRUE(engine->Start());
  EXPECT_EQ(engine->State(), EngineState::Playing);
  EXPECT_EQ(engine->BoardStartTime(), 7.5);
  EXPECT_THAT(t.board.Calls(), ElementsAre("IKlpBoard::GetBoardTime(0)", "IKlpVTimeLine::PutState(4)",
                                           "IKlpAudioTimeLine::PutState(4)", "IKlpSlideTitleTask::PutState(4)"));
}

TEST_F(PlayingProjectTest, StopResetsTheVideoLineAndTheTitleTasksForThePreview) {
  ASSERT_TRUE(PrepareProject());
  ASSERT_TRUE(engine->Start());
  t.board.ClearCalls();
  engine->Stop();
  EXPECT_EQ(engine->State(), EngineState::Stopped);
  EXPECT_THAT(t.board.Calls(),
              ElementsAre("IKlpVTimeLine::PutState(0)", "IKlpVTimeLine::Reset(0)", "IKlpVTimeLine::PutState(2)",
                          "IKlpVTimeLine::PutState(4)", "IKlpSlideTitleTask::PutState(0)",
                          "IKlpSlideTitleTask::PutState(0)", "IKlpBoard::CreateSlideTitleTask(0, 0, 0, 200, 100, 1, 0.5)",
                          "IKlpSlideTitleTask::PutState(0)", "IKlpBoard::CreateSlideTitleTask(0, 0, 0, 200, 100, 1, 0.5)",
                          "IKlpSlideTitleTask::AddEmpty(0.04)", "IKlpSlideTitleTask::PutState(2)",
                          "IKlpSlideTitleTask::PutState(1)", "IKlpSlideTitleTask::PutState(4)",
                          "IKlpSlideTitleTask::AddEmpty(0.04)", "IKlpSlideTitleTask::PutState(2)",
                          "IKlpSlideTitleTask::PutState(1)", "IKlpSlideTitleTask::PutState(4)",
                          "IKlpAudioTimeLine::PutState(0)"));
  EXPECT_TRUE(engine->AudioLines().empty());
}

TEST_F(PlayingProjectTest, PollStateStopsPastThePlayEndAndCurrentTimeHoldsAtIt) {
  ASSERT_TRUE(PrepareProject());
  t.board.Config().boardTimeS = 10.0;
  ASSERT_TRUE(engine->Start());
  t.board.Config().boardTimeS = 11.5;
  EXPECT_EQ(engine->PollState(), EngineState::Playing);
  EXPECT_DOUBLE_EQ(engine->CurrentTime(), 1500.0);
  t.board.Config().boardTimeS = 12.0;
  EXPECT_EQ(engine->PollState(), EngineState::Playing);  // exactly at the end still plays
  t.board.Config().boardTimeS = 12.04;
  EXPECT_DOUBLE_EQ(engine->CurrentTime(), 2000.0);
  EXPECT_EQ(engine->PollState(), EngineState::Stopped);
}

TEST_F(PlayingProjectTest, AClockFailureWhilePlayingStops) {
  ASSERT_TRUE(PrepareProject());
  ASSERT_TRUE(engine->Start());
  factory.script.failing = {"IKlpBoard::GetBoardTime(0)"};
  EXPECT_DOUBLE_EQ(engine->CurrentTime(), 0.0);  // the play's start
  EXPECT_EQ(engine->PollState(), EngineState::Stopped);
  EXPECT_THAT(Captions(), ElementsAre("Error -- Getting Board time failed"));
}

// Every report a play can raise, each from the call that fails.
struct ReportCase {
  const char* failingCall;
  const char* caption;
  bool duringPrepare;
};

class PlayReportTest : public PlayingProjectTest, public ::testing::WithParamInterface<ReportCase> {};

TEST_P(PlayReportTest, NamesTheFailingStep) {
  const ReportCase& report = GetParam();
  const std::string call = report.failingCall;
  factory.script.failing = {call};
  // Super clips are the recording board's own: they fail by operation.
  if (call.rfind("IKlpSuperClip::", 0) == 0) t.board.Config().results[call.substr(0, call.find('('))] = KlpFail;
  const bool prepared = PrepareProject();
  EXPECT_EQ(prepared, !report.duringPrepare);
  EXPECT_EQ(engine->State(), prepared ? EngineState::Prepared : EngineState::Stopped);
  if (prepared) {
    if (engine->Start()) engine->Stop();
  }
  EXPECT_THAT(Captions(), ::testing::Contains(std::string("Error -- ") + report.caption));
  EXPECT_EQ(t.ui.messages.front().caption, std::string("Error -- ") + report.caption);
}

INSTANTIATE_TEST_SUITE_P(
    EveryContext, PlayReportTest,
    ::testing::Values(
        ReportCase{"IKlpVTimeLine::Reset(0)", "Reset Video Time Line", true},
        ReportCase{"IKlpBoard::CreateSuperClip(7, 6)", "Create 'Super Clip' object", true},
        ReportCase{"IKlpSuperClip::AddMovieFragment(0, 2)", "Add Movie Fragment", true},
        ReportCase{"IKlpVTimeLine::AddMovie()", "Add Movie/m/a.avi", true},
        ReportCase{"IKlpVTimeLine::PutState(2)", "Put state for VTimeLine failed - Prepared", true},
        ReportCase{"IKlpVTimeLine::PutState(3)", "Put state for VTimeLine failed - Paused", true},
        ReportCase{"IKlpBoard::CreateAudioTimeLine(0, 2097152, 1048576, 0)", "Create AudioTimeline", true},
        ReportCase{"IKlpSuperClip::AddMovieFragmentWithAudio(0, 2, 1, 0, 0, 3)", "Add Movie Fragment With Audio", true},
        ReportCase{"IKlpAudioTimeLine::AddMovie()", "Add Movie/m/a.avi", true},
        ReportCase{"IKlpAudioTimeLine::PutState(2)", "Prepare AudioTimeLine failed", true},
        ReportCase{"IKlpAudioTimeLine::PutState(3)", "Paused AudioTimeLine failed", true},
        ReportCase{"IKlpSlideTitleTask::AddData(1, 0, 0)", "Fill title task object failed", true},
        ReportCase{"IKlpSlideTitleTask::PutState(1)", "Prepare title task object failed", true},
        ReportCase{"IKlpSlideTitleTask::PutState(3)", "Pause title task object failed", true},
        ReportCase{"IKlpBoard::GetBoardTime(0)", "Getting Board time failed", false},
        ReportCase{"IKlpVTimeLine::PutState(4)", "Put state for VTimeLine failed - Playing", false},
        ReportCase{"IKlpAudioTimeLine::PutState(4)", "Start AudioTimeLine failed", false},
        ReportCase{"IKlpSlideTitleTask::PutState(4)", "Start title task objects failed", false},
        ReportCase{"IKlpAudioTimeLine::PutState(0)", "Stop AudioTimeLine failed", false}));

TEST_F(PlayingProjectTest, StopReportsEachFailureAndStillStopsEverything) {
  ASSERT_TRUE(PrepareProject());
  ASSERT_TRUE(engine->Start());
  factory.script.failing = {"IKlpVTimeLine::PutState(0)", "IKlpVTimeLine::Reset(0)",
                            "IKlpSlideTitleTask::PutState(0)"};
  t.board.ClearCalls();
  engine->Stop();
  // The title task that played is stopped twice (as a task with data, then
  // on its reset); the stop of the video line is not checked.
  EXPECT_THAT(Captions(), ElementsAre("Error -- Reseting Video TimeLine", "Error -- Stop title task objects failed",
                                      "Error -- Stop title task object failed",
                                      "Error -- Stop title task object failed"));
  EXPECT_EQ(t.board.CountCalls("IKlpAudioTimeLine::PutState(0)"), 1);
  EXPECT_EQ(engine->State(), EngineState::Stopped);
}

TEST_F(PlayingProjectTest, AFailedTitlePreviewAfterStopLeavesPlaysWithoutTitles) {
  ASSERT_TRUE(PrepareProject());
  ASSERT_TRUE(engine->Start());
  factory.script.failing = {"IKlpSlideTitleTask::PutState(1)"};
  engine->Stop();
  EXPECT_THAT(Captions(), ElementsAre("Error -- Fin prepare title task object failed", "PreparePreviewTTL"));
  EXPECT_EQ(t.ui.messages.back().text, "Prepare title tracks preview failed");
  EXPECT_TRUE(engine->TitleTasks().Empty());
  factory.script.failing.clear();
  t.board.ClearCalls();
  ASSERT_TRUE(PrepareProject());
  EXPECT_EQ(t.board.CountCalls("IKlpSlideTitleTask"), 0);
}

TEST_F(PlayingProjectTest, AFailedPrepareGivesThePreviewItsRunningLineBack) {
  factory.script.failing = {"IKlpVTimeLine::PutState(3)"};
  EXPECT_FALSE(PrepareProject());
  const auto calls = CallsFrom("IKlpVTimeLine::PutState(3)");
  ASSERT_GE(calls.size(), 5u);
  EXPECT_THAT(std::vector<std::string>(calls.begin() + 1, calls.begin() + 5),
              ElementsAre("IKlpVTimeLine::PutState(0)", "IKlpVTimeLine::Reset(0)", "IKlpVTimeLine::PutState(2)",
                          "IKlpVTimeLine::PutState(4)"));
  EXPECT_TRUE(engine->AudioLines().empty());
  // The next play is not blocked.
  factory.script.failing.clear();
  EXPECT_TRUE(PrepareProject());
}

// --- The main window: play, follow, stop -----------------------------------------

class PlaybackWindowTest : public PlayEngineTest {
 protected:
  PlaybackWindowTest() {
    video = &AddTrack(TrackTypes::Video);
    movie = &Movie("/m/a.avi", 60000.0);
    t.doc.times.projectSize = 20000.0;
    t.doc.timeline.workArea = WorkArea{0.0, 1000.0};
  }
  CTrack* video = nullptr;
  CSrc* movie = nullptr;
};

TEST_F(PlaybackWindowTest, PlayFromAMarkInsideAClipStartsThereAndPausesTheWorkThread) {
  Clip(*video, *movie, 1000.0, 4000.0);
  t.doc.times.timeMark = 2000.0;
  CPlaybackWindow& playback = MakeWindow();
  playback.StartPreview();
  ASSERT_TRUE(playback.PlayProject());
  EXPECT_EQ(playback.PlayFrom(), 2000.0);
  EXPECT_EQ(playback.PlayTo(), 5000.0);
  EXPECT_THAT(t.board.Calls(), IsSupersetOf({"IKlpSuperClip::AddMovieFragment(1, 3)"}));
  EXPECT_EQ(engine->State(), EngineState::Playing);
  EXPECT_THAT(workThread.events, ElementsAre("suspend"));
  EXPECT_FALSE(viewTimers.IsRunning(CPlaybackWindow::kPreviewTimer));
  EXPECT_EQ(windowTimers.running.at(CPlaybackWindow::kPlayTimer), 100);
  // The play start lies outside the work area, which moves to it.
  EXPECT_EQ(t.doc.timeline.workArea, (WorkArea{2000.0, 3000.0}));
  EXPECT_EQ(t.doc.times.timeMark, 2000.0);
}

TEST_F(PlaybackWindowTest, PlayFromAMarkInAGapStartsAtTheEarliestClipEvenBeforeTheMark) {
  Clip(*video, *movie, 1000.0, 1000.0);
  Clip(*video, *movie, 5000.0, 1000.0);
  t.doc.times.timeMark = 3000.0;
  CPlaybackWindow& playback = MakeWindow();
  ASSERT_TRUE(playback.PlayProject());
  EXPECT_EQ(playback.PlayFrom(), 1000.0);
  EXPECT_EQ(playback.PlayTo(), 6000.0);
  EXPECT_EQ(t.doc.timeline.workArea, (WorkArea{1000.0, 2000.0}));
}

TEST_F(PlaybackWindowTest, NothingToPlayResumesAtOnceAndShowsNothing) {
  Clip(*video, *movie, 1000.0, 1000.0);
  video->playState = PlayState::Mute;
  CPlaybackWindow& playback = MakeWindow();
  EXPECT_FALSE(playback.PlayProject());
  EXPECT_THAT(workThread.events, ElementsAre("suspend", "resume"));
  EXPECT_TRUE(viewTimers.IsRunning(CPlaybackWindow::kPreviewTimer));
  EXPECT_TRUE(t.board.Calls().empty());
  EXPECT_TRUE(t.ui.messages.empty());
  t.board.ClearCalls();
  // Pillarcast compatibility plays nothing either.
  video->playState = PlayState::Normal;
  t.doc.preferences.pillarcastCompatible = 1;
  EXPECT_FALSE(playback.PlayProject());
  EXPECT_TRUE(t.board.Calls().empty());
}

TEST_F(PlaybackWindowTest, TheFollowTimerMovesTheMarkAndPagesTheWorkArea) {
  Clip(*video, *movie, 0.0, 20000.0);
  CPlaybackWindow& playback = MakeWindow();
  t.board.Config().boardTimeS = 100.0;
  ASSERT_TRUE(playback.PlayProject());
  t.board.Config().boardTimeS = 100.5;
  playback.OnPlayTimer();
  EXPECT_EQ(t.doc.times.timeMark, 500.0);
  EXPECT_EQ(t.doc.timeline.workArea, (WorkArea{0.0, 1000.0}));
  t.board.Config().boardTimeS = 101.25;
  playback.OnPlayTimer();
  EXPECT_EQ(t.doc.timeline.workArea, (WorkArea{1250.0, 2250.0}));
  // Near the project's end the page is moved back so it ends there.
  t.board.Config().boardTimeS = 119.5;
  playback.OnPlayTimer();
  EXPECT_EQ(t.doc.timeline.workArea, (WorkArea{19000.0, 20000.0}));
  EXPECT_FALSE(host.repaints.empty());
  // Past the end: stopped, mark at the play end, preview back.
  t.board.Config().boardTimeS = 121.0;
  playback.OnPlayTimer();
  EXPECT_EQ(engine->State(), EngineState::Stopped);
  EXPECT_EQ(t.doc.times.timeMark, 20000.0);
  EXPECT_FALSE(windowTimers.IsRunning(CPlaybackWindow::kPlayTimer));
  EXPECT_EQ(viewTimers.running.at(CPlaybackWindow::kPreviewTimer), 10);
  EXPECT_THAT(workThread.events, ElementsAre("suspend", "resume"));
}

TEST_F(PlaybackWindowTest, StopByTheUserKeepsTheMarkOnAFrame) {
  Clip(*video, *movie, 0.0, 5000.0);
  CPlaybackWindow& playback = MakeWindow();
  ASSERT_TRUE(playback.PlayProject());
  t.board.Config().boardTimeS = 1.234;
  playback.OnPlayTimer();
  playback.StopPlayback();
  EXPECT_TRUE(playback.StoppedByUser());
  EXPECT_EQ(engine->State(), EngineState::Stopped);
  EXPECT_EQ(t.doc.times.timeMark, 1200.0);
  EXPECT_FALSE(windowTimers.IsRunning(CPlaybackWindow::kPlayTimer));
  EXPECT_TRUE(viewTimers.IsRunning(CPlaybackWindow::kPreviewTimer));
  EXPECT_THAT(workThread.events, ElementsAre("suspend", "resume"));
  // A stop when nothing plays changes nothing.
  playback.StopPlayback();
  EXPECT_THAT(workThread.events, ElementsAre("suspend", "resume"));
}

TEST_F(PlaybackWindowTest, TheWaitDialogStartsOrCancelsThePlay) {
  Clip(*video, *movie, 0.0, 5000.0);
  t.doc.preferences.playbackStartType = 0;
  CPlaybackWindow& playback = MakeWindow();
  waitDialog.answer = WaitPlaybackChoice::Cancel;
  EXPECT_FALSE(playback.PlayProject());
  EXPECT_EQ(waitDialog.asked, 1);
  EXPECT_EQ(engine->State(), EngineState::Stopped);
  EXPECT_EQ(t.board.CountCalls("IKlpBoard::GetBoardTime"), 0);
  EXPECT_FALSE(windowTimers.IsRunning(CPlaybackWindow::kPlayTimer));
  waitDialog.answer = WaitPlaybackChoice::Start;
  EXPECT_TRUE(playback.PlayProject());
  EXPECT_EQ(waitDialog.asked, 2);
  EXPECT_EQ(engine->State(), EngineState::Playing);
}

TEST(WaitPlaybackStartDialog, TextsAndKeys) {
  EXPECT_STREQ(WaitPlaybackStartDialog::kCaption, "Wait Playback Start");
  EXPECT_STREQ(WaitPlaybackStartDialog::kText, "Press \"Enter\" or \"Space\" to start playback.");
  EXPECT_EQ(WaitPlaybackStartDialog::ChoiceOfKey(VirtualKey::Enter), WaitPlaybackChoice::Start);
  EXPECT_EQ(WaitPlaybackStartDialog::ChoiceOfKey(VirtualKey::Space), WaitPlaybackChoice::Start);
  EXPECT_EQ(WaitPlaybackStartDialog::ChoiceOfKey(VirtualKey::Escape), WaitPlaybackChoice::Cancel);
  EXPECT_EQ(WaitPlaybackStartDialog::ChoiceOfKey('A'), std::nullopt);
}

TEST_F(PlaybackWindowTest, AStartFailureLeavesTheEngineReadyForTheNextPlay) {
  Clip(*video, *movie, 0.0, 5000.0);
  CPlaybackWindow& playback = MakeWindow();
  factory.script.failing = {"IKlpBoard::GetBoardTime(0)"};
  EXPECT_FALSE(playback.PlayProject());
  EXPECT_EQ(engine->State(), EngineState::Stopped);
  EXPECT_THAT(workThread.events, ElementsAre("suspend", "resume"));
  factory.script.failing.clear();
  EXPECT_TRUE(playback.PlayProject());
}

TEST_F(PlaybackWindowTest, PlayClipOfACrawlTitleStartsWhenItEntersTheRegion) {
  CTrack& crawl = AddTrack(TrackTypes::TitleMovable);  // width 200 at 2 pixels a field: 2000 ms
  CFilm& title = Clip(crawl, Image("/m/crawl.png"), 5000.0, 3000.0);
  crawl.playState = PlayState::Mute;  // a clip plays on its own whatever its track's state
  CPlaybackWindow& playback = MakeWindow();
  engine->BuildTitleTasks(t.doc.timeline.tracks, 0.0);
  t.board.ClearCalls();
  ASSERT_TRUE(playback.PlayClip(title));
  EXPECT_EQ(playback.PlayFrom(), 3000.0);
  EXPECT_EQ(playback.PlayTo(), 8000.0);
  // 2000 ms at 100 pixels a second before the title: the region's width.
  EXPECT_THAT(t.board.Calls(), IsSupersetOf({"IKlpMovableTitleTask::AddEmpty(200)",
                                             "IKlpMovableTitleTask::AddData(0, 300)"}));
  EXPECT_EQ(t.board.CountCalls("IKlpVTimeLine::Reset"), 0);  // no picture: the preview's line runs on
}

TEST_F(PlaybackWindowTest, HubAdapterAnswersFromTheEngine) {
  Clip(*video, *movie, 0.0, 5000.0);
  CPlaybackWindow& playback = MakeWindow();
  PlaybackHubAdapter adapter(playback, *engine);
  EXPECT_TRUE(adapter.BoardAvailable());
  EXPECT_TRUE(adapter.SomethingToPlay());
  EXPECT_TRUE(adapter.IsStopped());
  adapter.Play();
  EXPECT_TRUE(adapter.IsPlaying());
  adapter.Stop();
  EXPECT_TRUE(adapter.IsStopped());
  t.doc.times.timeMark = 6000.0;  // after every clip
  EXPECT_FALSE(adapter.SomethingToPlay());
}

// --- Idle preview ---------------------------------------------------------------

TEST_F(PlaybackWindowTest, PreviewShowsTheFrameUnderTheMarkOnceTheBoardShowedTheOneBefore) {
  Clip(*video, *movie, 1000.0, 2000.0, 400.0);
  CPlaybackWindow& playback = MakeWindow();
  t.doc.times.timeMark = 1500.0;
  factory.script.videoRest = {0.2, 0.08, 0.02, -0.1};
  playback.OnPreviewTimer();  // five frames wait: nothing added
  EXPECT_THAT(t.board.Calls(), ElementsAre("IKlpVTimeLine::GetRestTime()"));
  t.board.ClearCalls();
  // Two frames wait: a scrub's marks would queue up behind them.
  playback.OnPreviewTimer();
  EXPECT_THAT(t.board.Calls(), ElementsAre("IKlpVTimeLine::GetRestTime()"));
  t.board.ClearCalls();
  playback.OnPreviewTimer();  // the last one shows: the frame at 1500 - 1000 + 400 ms
  EXPECT_THAT(t.board.Calls(),
              ElementsAre("IKlpVTimeLine::GetRestTime()", "IKlpBoard::CreateSuperClip(7, 6)",
                          "IKlpSuperClip::AddMovieFragment(0.88, 0.04)", "IKlpVTimeLine::AddMovie()"));
  t.board.ClearCalls();
  playback.OnPreviewTimer();  // same mark: nothing asked
  EXPECT_TRUE(t.board.Calls().empty());
  t.doc.times.timeMark = 4000.0;  // after the clip: its last frame, after catching up
  playback.OnPreviewTimer();
  EXPECT_THAT(t.board.Calls(),
              ElementsAre("IKlpVTimeLine::GetRestTime()", "IKlpVTimeLine::AddEmpty(0.1)",
                          "IKlpBoard::CreateSuperClip(7, 6)", "IKlpSuperClip::AddMovieFragment(2.36, 0.04)",
                          "IKlpVTimeLine::AddMovie()"));
  t.board.ClearCalls();
  t.doc.times.timeMark = 0.0;  // before the clip: its first frame
  playback.OnPreviewTimer();
  EXPECT_THAT(t.board.Calls(), IsSupersetOf({"IKlpSuperClip::AddMovieFragment(0.4, 0.04)"}));
}

TEST_F(PlaybackWindowTest, PreviewShowsAStillImageOnAVideoTrackUnderTheMark) {
  Clip(*video, Image("/m/still.png"), 1000.0, 2000.0);
  CPlaybackWindow& playback = MakeWindow();
  t.doc.times.timeMark = 1500.0;
  factory.script.videoRest = {0.02};
  playback.OnPreviewTimer();
  EXPECT_THAT(t.board.Calls(),
              ElementsAre("IKlpVTimeLine::GetRestTime()", "IKlpBoard::CreateSuperClip(7, 6)",
                          "IKlpSuperClip::AddStillImageFragment(0.04)", "IKlpVTimeLine::AddMovie()"));
}

TEST_F(PlaybackWindowTest, PreviewTimerRunsOnlyUntilTheBoardShowsWhatIsUnderTheMark) {
  CFilm& clip = Clip(*video, *movie, 1000.0, 2000.0, 400.0);
  CPlaybackWindow& playback = MakeWindow();
  playback.StartPreview();
  t.doc.times.timeMark = 1500.0;
  factory.script.videoRest = {0.08};
  playback.OnPreviewTimer();  // the board is busy: the timer goes on
  EXPECT_TRUE(viewTimers.IsRunning(CPlaybackWindow::kPreviewTimer));
  playback.OnPreviewTimer();
  EXPECT_FALSE(viewTimers.IsRunning(CPlaybackWindow::kPreviewTimer));
  EXPECT_EQ(t.board.CountCalls("IKlpSuperClip::AddMovieFragment(0.88, 0.04)"), 1);

  // Woken with nothing changed: one tick that asks the board nothing.
  playback.WakePreview();
  EXPECT_TRUE(viewTimers.IsRunning(CPlaybackWindow::kPreviewTimer));
  t.board.ClearCalls();
  playback.OnPreviewTimer();
  EXPECT_TRUE(t.board.Calls().empty());
  EXPECT_FALSE(viewTimers.IsRunning(CPlaybackWindow::kPreviewTimer));

  // The clip moved under the mark that stayed: its new frame shows.
  clip.start = 1200.0;
  playback.WakePreview();
  playback.OnPreviewTimer();
  EXPECT_THAT(t.board.Calls(), IsSupersetOf({"IKlpSuperClip::AddMovieFragment(0.68, 0.04)"}));
  EXPECT_FALSE(viewTimers.IsRunning(CPlaybackWindow::kPreviewTimer));

  // The clip gone: black, not its last picture.
  video->clips.clear();
  t.board.ClearCalls();
  playback.WakePreview();
  playback.OnPreviewTimer();
  EXPECT_THAT(t.board.Calls(), ElementsAre("IKlpVTimeLine::GetRestTime()", "IKlpVTimeLine::AddEmpty(0.04)"));

  // A play keeps the timer off however it is woken.
  Clip(*video, *movie, 0.0, 5000.0);
  ASSERT_TRUE(playback.PlayProject());
  playback.WakePreview();
  EXPECT_FALSE(viewTimers.IsRunning(CPlaybackWindow::kPreviewTimer));
}

TEST_F(PlaybackWindowTest, PreviewReportsAreShownOncePerMark) {
  Clip(*video, *movie, 0.0, 2000.0);
  CPlaybackWindow& playback = MakeWindow();
  t.doc.times.timeMark = 400.0;
  factory.script.failing = {"IKlpVTimeLine::GetRestTime()"};
  playback.OnPreviewTimer();
  playback.OnPreviewTimer();
  EXPECT_THAT(Captions(), ElementsAre("Error -- Getting Preview Rest Time"));
  factory.script.failing = {"IKlpVTimeLine::AddEmpty(0.2)"};
  factory.script.videoRest = {-0.2};
  t.doc.times.timeMark = 800.0;
  playback.OnPreviewTimer();
  playback.OnPreviewTimer();
  EXPECT_THAT(Captions(), ElementsAre("Error -- Getting Preview Rest Time", "Error -- Add Empty Preview"));
}

TEST_F(PlaybackWindowTest, SlidePreviewRunsOnTheSameTick) {
  CTrack& slides = AddTrack(TrackTypes::TitleSlide);
  Clip(slides, Image("/m/one.png"), 0.0, 1000.0);
  CPlaybackWindow& playback = MakeWindow();
  engine->BuildTitleTasks(t.doc.timeline.tracks, -1.0);
  t.board.ClearCalls();
  t.doc.times.timeMark = 400.0;
  playback.StartPreview();
  factory.script.slideRest = {0.2};  // the slide task is busy: the timer goes on
  playback.OnPreviewTimer();
  EXPECT_EQ(t.board.CountCalls("IKlpSlideTitleTask::AddImage"), 0);
  EXPECT_TRUE(viewTimers.IsRunning(CPlaybackWindow::kPreviewTimer));
  playback.OnPreviewTimer();
  EXPECT_THAT(t.board.Calls(), IsSupersetOf({"IKlpSlideTitleTask::GetRestTime()", "IKlpSlideTitleTask::AddImage(0.04)"}));
  EXPECT_FALSE(viewTimers.IsRunning(CPlaybackWindow::kPreviewTimer));
}

}  // namespace
}  // namespace vantorelle
