// The track headers driven as a user's mouse drives them: the Solo and Mute
// buttons pressed, dragged out and back and released, double clicks, the
// context menu, hover texts, scrolling and the rows laid out for drawing.
#include "timeline/track_headers.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

#include "support/document_fixture.h"
#include "support/recording_view_host.h"

namespace vantorelle {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using namespace TrackHeaderCommand;

class RecordingRequests : public ITrackHeaderRequests {
 public:
  void OpenAudioTrackProperties(CTrack& track) override { calls.push_back("audio properties " + track.name); }
  void OpenTitleTrackSettings(CTrack& track) override { calls.push_back("title settings " + track.name); }
  std::optional<std::string> AskTrackName(const std::string& currentName) override {
    calls.push_back("ask name " + currentName);
    return nameAnswer;
  }
  std::vector<std::string> calls;
  std::optional<std::string> nameAnswer;
};

class RecordingScrollBar : public ITrackScrollBar {
 public:
  void SetTrackScrollRange(const TrackScrollRange& range) override { ranges.push_back(range); }
  std::vector<TrackScrollRange> ranges;
};

// The default tracks, 0 Video 1 (24), 1 Video 2 (96), 2 Audio 1 (96),
// 3 Audio 2 (48), 4 slide title (96), 5 movable title (48), lie in rows
// 0–24, 24–120, 120–216, 216–264, 264–360, 360–408 of a 200 × 500 view whose
// last 16 pixels are the scroll bar: the state block spans x 154–184.
struct HeadersFixture : ::testing::Test {
  static constexpr int kWidth = 200;
  static constexpr int kBlockLeft = 154;
  static constexpr int kBlockRight = 184;

  HeadersFixture() { headers.SetClientSize(kWidth, 500); }

  CVantorelleDoc& Doc() { return project.doc; }
  CTrack& Track(std::size_t i) { return project.Track(i); }
  void SetExclusiveSolo(bool on) { Doc().preferences.exclusiveSolo = on ? 1 : 0; }

  static MouseEvent At(int x, int y, bool left = true) {
    MouseEvent event;
    event.x = x;
    event.y = y;
    event.leftButton = left;
    return event;
  }
  // Points inside the Solo (upper) and Mute (lower) button of a track's row.
  static int SoloY(const CTrack& track) { return track.top + 5; }
  static int MuteY(const CTrack& track) { return track.top + 17; }
  static constexpr int kButtonX = 170;

  void Click(int x, int y) {
    headers.OnMouseDown(At(x, y));
    headers.OnMouseUp(At(x, y, false));
  }
  void ClickSolo(std::size_t i) { Click(kButtonX, SoloY(Track(i))); }
  void ClickMute(std::size_t i) { Click(kButtonX, MuteY(Track(i))); }

  std::vector<PlayState> States() {
    std::vector<PlayState> states;
    for (const auto& track : Doc().timeline.tracks) states.push_back(track->playState);
    return states;
  }
  std::vector<std::string> Names() {
    std::vector<std::string> names;
    for (const auto& track : Doc().timeline.tracks) names.push_back(track->name);
    return names;
  }
  std::vector<int> RowTops(const TrackHeadersPicture& picture) {
    std::vector<int> tops;
    for (const auto& row : picture.rows) tops.push_back(row.top);
    return tops;
  }
  std::vector<std::string> RowNames(const TrackHeadersPicture& picture) {
    std::vector<std::string> names;
    for (const auto& row : picture.rows) names.push_back(row.name);
    return names;
  }

  std::vector<MenuItem> MenuOn(std::size_t i) { return headers.OpenContextMenu(60, Track(i).top + 2); }
  static const MenuItem* Find(const std::vector<MenuItem>& menu, int id) {
    for (const auto& item : menu) {
      if (item.id == id) return &item;
      if (const MenuItem* inner = Find(item.submenu, id)) return inner;
    }
    return nullptr;
  }
  static bool Offers(const std::vector<MenuItem>& menu, int id) { return Find(menu, id) != nullptr; }
  static bool Checked(const std::vector<MenuItem>& menu, int id) {
    const MenuItem* item = Find(menu, id);
    return item && item->checked;
  }
  bool RunMenu(std::size_t i, int id) {
    const auto menu = MenuOn(i);
    EXPECT_TRUE(Offers(menu, id)) << "item " << id << " not offered";
    return headers.ExecuteMenuCommand(id);
  }

  testing::TestDocument project;
  testing::RecordingViewHost host;
  RecordingRequests requests;
  RecordingScrollBar scrollBar;
  CTrackStatusView headers{project.doc, host, requests, &scrollBar};
};

constexpr PlayState kNormal = PlayState::Normal;
constexpr PlayState kSolo = PlayState::Solo;
constexpr PlayState kMute = PlayState::Mute;

// --- layout and drawing ---

TEST_F(HeadersFixture, RowsStackFromTheTopAndStopAfterTheFirstRowBelowTheView) {
  headers.SetClientSize(kWidth, 130);
  const TrackHeadersPicture picture = headers.Draw();
  EXPECT_THAT(RowNames(picture), ElementsAre("Video track number 1", "Video track number 2", "Audio track number 1"));
  EXPECT_THAT(RowTops(picture), ElementsAre(0, 24, 120));
  EXPECT_EQ(Track(2).bottom, 216);
  EXPECT_EQ(Track(3).top, Track(3).bottom) << "a row after the one reaching below the view is not laid out";
  EXPECT_TRUE(picture.background.Empty());
}

TEST_F(HeadersFixture, ARowEndingExactlyAtTheViewBottomDoesNotStopTheLayout) {
  headers.SetClientSize(kWidth, 120);
  EXPECT_THAT(RowNames(headers.Draw()), ElementsAre("Video track number 1", "Video track number 2",
                                                    "Audio track number 1"));
}

TEST_F(HeadersFixture, RowsStartAtTheFirstVisibleTrackAndHiddenTracksTakeNoRow) {
  Track(3).shown = 0;
  headers.Layout(1, 500);
  EXPECT_EQ(Track(0).bottom, Track(0).top);
  EXPECT_EQ(Track(1).top, 0);
  EXPECT_EQ(Track(2).top, 96);
  EXPECT_EQ(Track(4).top, 192) << "the hidden Audio 2 is skipped";
}

TEST_F(HeadersFixture, BackgroundFillsTheViewBelowTheLastRow) {
  const TrackHeadersPicture picture = headers.Draw();
  EXPECT_EQ(picture.rows.size(), 6u);
  EXPECT_EQ(picture.background, (PixelRect{0, 408, kBlockRight, 500}));
  EXPECT_EQ(picture.scrollBar, (PixelRect{kBlockRight, 0, kWidth, 500}));
}

TEST_F(HeadersFixture, RowCarriesIconBoxAndButtonsRightAlignedAgainstTheScrollBar) {
  const TrackHeadersPicture picture = headers.Draw();
  const TrackHeaderRow& video2 = picture.rows.at(1);
  EXPECT_EQ(video2.kind, TrackKind::Video);
  EXPECT_EQ(video2.kindIcon, (PixelRect{0, 24, 26, 48}));
  EXPECT_EQ(video2.stateBlock, (PixelRect{kBlockLeft, 24, kBlockRight, 120}));
  EXPECT_EQ(video2.solo.rect, (PixelRect{kBlockLeft, 24, kBlockRight, 36}));
  EXPECT_EQ(video2.mute.rect, (PixelRect{kBlockLeft, 36, kBlockRight, 48}));
}

TEST_F(HeadersFixture, ButtonsShowTheTrackStateLit) {
  Track(0).playState = kSolo;
  Track(1).playState = kMute;
  const TrackHeadersPicture picture = headers.Draw();
  EXPECT_TRUE(picture.rows[0].solo.lit);
  EXPECT_FALSE(picture.rows[0].mute.lit);
  EXPECT_FALSE(picture.rows[1].solo.lit);
  EXPECT_TRUE(picture.rows[1].mute.lit);
  EXPECT_FALSE(picture.rows[2].solo.lit || picture.rows[2].mute.lit);
  EXPECT_NE(picture.rows[0].solo.colour, picture.rows[2].solo.colour);
  EXPECT_NE(picture.rows[1].mute.colour, picture.rows[2].mute.colour);
}

// --- scrolling ---

TEST_F(HeadersFixture, ScrollRangeCoversTheShownTracksOnePerPage) {
  Doc().preferences.firstVisibleTrack = 2;
  EXPECT_EQ(headers.UpdateScrollRange(), (TrackScrollRange{0, 5, 1, 2}));
  EXPECT_THAT(scrollBar.ranges, ElementsAre(TrackScrollRange{0, 5, 1, 2}));
}

TEST_F(HeadersFixture, HidingTracksPullsTheFirstVisibleTrackBackIntoTheRange) {
  Doc().preferences.firstVisibleTrack = 5;
  Track(2).shown = Track(3).shown = 0;
  EXPECT_EQ(headers.UpdateScrollRange(), (TrackScrollRange{0, 3, 1, 3}));
  EXPECT_EQ(Doc().preferences.firstVisibleTrack, 3);
  EXPECT_EQ(Track(5).top, 0);
}

TEST_F(HeadersFixture, LineAndPageScrollMoveOneTrackAndRepaintHeadersAndArea) {
  headers.OnVScroll(TrackScrollCode::LineDown);
  headers.OnVScroll(TrackScrollCode::PageDown);
  EXPECT_EQ(Doc().preferences.firstVisibleTrack, 2);
  EXPECT_EQ(Track(2).top, 0) << "the layout follows the scroll";
  headers.OnVScroll(TrackScrollCode::PageUp);
  EXPECT_EQ(Doc().preferences.firstVisibleTrack, 1);
  EXPECT_THAT(host.repaints, ElementsAre(18u, 18u, 18u));
  EXPECT_EQ(scrollBar.ranges.back().position, 1);
}

TEST_F(HeadersFixture, ScrollingIsClampedAtBothEnds) {
  headers.OnVScroll(TrackScrollCode::LineUp);
  headers.OnVScroll(TrackScrollCode::PageUp);
  EXPECT_EQ(Doc().preferences.firstVisibleTrack, 0);
  EXPECT_THAT(host.repaints, IsEmpty()) << "nothing moved, nothing repaints";
  headers.OnVScroll(TrackScrollCode::ThumbTrack, 99);
  EXPECT_EQ(Doc().preferences.firstVisibleTrack, 5);
  headers.OnVScroll(TrackScrollCode::LineDown);
  EXPECT_EQ(Doc().preferences.firstVisibleTrack, 5);
  headers.OnVScroll(TrackScrollCode::ThumbPosition, -3);
  EXPECT_EQ(Doc().preferences.firstVisibleTrack, 0);
}

TEST_F(HeadersFixture, TrackAreaAutoScrollStopsAtTheLastTrack) {
  Doc().preferences.firstVisibleTrack = 4;
  EXPECT_TRUE(headers.ScrollTracks(+1));
  EXPECT_FALSE(headers.ScrollTracks(+1));
  EXPECT_EQ(Doc().preferences.firstVisibleTrack, 5);
  EXPECT_TRUE(headers.ScrollTracks(-1));
  EXPECT_EQ(Doc().preferences.firstVisibleTrack, 4);
}

// --- Solo and Mute buttons ---

TEST_F(HeadersFixture, SoloPressedOnAMutedTrackAndReleasedOutsideLeavesItMuted) {
  Track(1).playState = kMute;
  headers.Draw();
  headers.OnMouseDown(At(kButtonX, SoloY(Track(1))));
  EXPECT_EQ(headers.Draw().rows[1].state, kSolo) << "the new state shows at once";
  EXPECT_TRUE(host.mouseCaptured);
  headers.OnMouseMove(At(kButtonX, MuteY(Track(1))));
  EXPECT_EQ(headers.Draw().rows[1].state, kMute) << "out of the button the old state shows again";
  headers.OnMouseMove(At(kButtonX + 2, SoloY(Track(1))));
  EXPECT_EQ(headers.Draw().rows[1].state, kSolo);
  headers.OnMouseMove(At(kBlockRight + 3, SoloY(Track(1))));
  headers.OnMouseUp(At(kBlockRight + 3, SoloY(Track(1)), false));
  EXPECT_EQ(Track(1).playState, kMute);
  EXPECT_FALSE(host.mouseCaptured);
  EXPECT_FALSE(headers.ButtonPressed());
}

TEST_F(HeadersFixture, ReleaseBackInsideTheButtonKeepsTheNewState) {
  headers.Draw();
  headers.OnMouseDown(At(kButtonX, MuteY(Track(2))));
  headers.OnMouseMove(At(10, MuteY(Track(2))));
  headers.OnMouseMove(At(kButtonX, MuteY(Track(2))));
  headers.OnMouseUp(At(kButtonX, MuteY(Track(2)), false));
  EXPECT_EQ(Track(2).playState, kMute);
}

TEST_F(HeadersFixture, ButtonsToggleTheirOwnStateAndSwitchFromTheOther) {
  headers.Draw();
  ClickMute(0);
  EXPECT_EQ(Track(0).playState, kMute);
  ClickMute(0);
  EXPECT_EQ(Track(0).playState, kNormal);
  ClickSolo(0);
  EXPECT_EQ(Track(0).playState, kSolo);
  ClickMute(0);
  EXPECT_EQ(Track(0).playState, kMute);
  ClickSolo(0);
  ClickSolo(0);
  EXPECT_EQ(Track(0).playState, kNormal);
}

TEST_F(HeadersFixture, ExclusiveSoloReturnsTheFirstSoloTrackToNormalOnRelease) {
  SetExclusiveSolo(true);
  headers.Draw();
  ClickSolo(0);
  headers.OnMouseDown(At(kButtonX, SoloY(Track(2))));
  EXPECT_EQ(Track(0).playState, kSolo) << "the rule waits for the release";
  headers.OnMouseUp(At(kButtonX, SoloY(Track(2)), false));
  EXPECT_THAT(States(), ElementsAre(kNormal, kNormal, kSolo, kNormal, kNormal, kNormal));
}

TEST_F(HeadersFixture, WithoutExclusiveSoloBothTracksStaySolo) {
  SetExclusiveSolo(false);
  headers.Draw();
  ClickSolo(0);
  ClickSolo(2);
  EXPECT_THAT(States(), ElementsAre(kSolo, kNormal, kSolo, kNormal, kNormal, kNormal));
}

TEST_F(HeadersFixture, ExclusiveSoloPressReleasedOutsideLeavesOtherSoloTracksAlone) {
  SetExclusiveSolo(true);
  Track(0).playState = kSolo;
  headers.Draw();
  headers.OnMouseDown(At(kButtonX, SoloY(Track(2))));
  headers.OnMouseUp(At(20, SoloY(Track(2)), false));
  EXPECT_THAT(States(), ElementsAre(kSolo, kNormal, kNormal, kNormal, kNormal, kNormal));
}

TEST_F(HeadersFixture, PressOutsideTheButtonsChangesNothing) {
  headers.Draw();
  // Below the two buttons of a 96-pixel row, and left of the block.
  Click(kButtonX, Track(1).top + 50);
  Click(kBlockLeft - 1, SoloY(Track(1)));
  EXPECT_THAT(States(), ElementsAre(kNormal, kNormal, kNormal, kNormal, kNormal, kNormal));
  EXPECT_FALSE(host.mouseCaptured);
}

// --- double clicks ---

TEST_F(HeadersFixture, DoubleClickOutsideTheIconBoxCyclesTheHeight) {
  headers.Draw();
  headers.OnDoubleClick(At(60, 30));  // Video 2, 96 pixels
  EXPECT_EQ(Track(1).height, 24);
  EXPECT_EQ(Track(2).top, 48) << "the layout is redone";
  EXPECT_THAT(host.repaints, ElementsAre(18u));
  headers.OnDoubleClick(At(60, 30));
  EXPECT_EQ(Track(1).height, 48);
  headers.OnDoubleClick(At(60, 30));
  EXPECT_EQ(Track(1).height, 96);
}

TEST_F(HeadersFixture, DoubleClickBelowTheIconBoxOfATallRowCyclesTheHeight) {
  headers.Draw();
  headers.OnDoubleClick(At(10, Track(2).top + 30));
  EXPECT_EQ(Track(2).height, 24);
  EXPECT_THAT(requests.calls, IsEmpty());
}

TEST_F(HeadersFixture, DoubleClickOnTheIconBoxOpensAudioPropertiesOrTitleSettings) {
  headers.Draw();
  headers.OnDoubleClick(At(5, Track(3).top + 3));
  headers.OnDoubleClick(At(25, Track(5).top + 23));
  headers.OnDoubleClick(At(5, Track(1).top + 3));  // a video track has nothing to open
  EXPECT_THAT(requests.calls,
              ElementsAre("audio properties Audio track number 2", "title settings Title track(movable) number 1"));
  EXPECT_EQ(Track(3).height, 48);
  EXPECT_EQ(Track(5).height, 48);
  EXPECT_EQ(Track(1).height, 96);
}

// --- hover ---

TEST_F(HeadersFixture, HoverShowsTheNameOfTheTrackUnderTheMouse) {
  headers.Draw();
  headers.OnMouseMove(At(40, 130, false));
  headers.OnMouseMove(At(40, 5, false));
  headers.OnMouseMove(At(40, 450, false));  // below the last row
  EXPECT_THAT(host.statusTexts, ElementsAre("Audio track number 1", "Video track number 1"));
}

// --- context menu ---

TEST_F(HeadersFixture, NoMenuBelowTheRows) { EXPECT_THAT(headers.OpenContextMenu(40, 450), IsEmpty()); }

TEST_F(HeadersFixture, MoveUpIsNotOfferedOnTheFirstVideoTrackNorMoveDownOnTheLastTitleTrack) {
  const auto firstVideo = MenuOn(0);
  EXPECT_FALSE(Offers(firstVideo, MoveUp));
  EXPECT_TRUE(Offers(firstVideo, MoveDown));
  const auto lastTitle = MenuOn(5);
  EXPECT_FALSE(Offers(lastTitle, MoveDown));
  EXPECT_TRUE(Offers(lastTitle, MoveUp)) << "slide and movable titles are one group";
  EXPECT_FALSE(Offers(MenuOn(1), MoveDown)) << "the audio track below is of another group";
  EXPECT_FALSE(Offers(MenuOn(2), MoveUp));
}

TEST_F(HeadersFixture, VideoKindsMoveOnlyAmongTracksOfTheSameKind) {
  auto alfa = std::make_unique<CTrack>(TrackTypes::VideoAlfa, 48);
  alfa->name = "Alfa";
  Doc().timeline.AddTrackInKindOrder(std::move(alfa));
  headers.Draw();
  const auto menu = MenuOn(2);
  EXPECT_FALSE(Offers(menu, MoveUp));
  EXPECT_FALSE(Offers(menu, MoveDown));
}

TEST_F(HeadersFixture, MoveUpAndDownSwapWithTheNeighbourInTheGroup) {
  headers.Draw();
  EXPECT_TRUE(RunMenu(5, MoveUp));
  EXPECT_THAT(Names(), ElementsAre("Video track number 1", "Video track number 2", "Audio track number 1",
                                   "Audio track number 2", "Title track(movable) number 1",
                                   "Title track(slide) number 1"));
  EXPECT_TRUE(RunMenu(2, MoveDown));
  EXPECT_THAT(Names(), ElementsAre("Video track number 1", "Video track number 2", "Audio track number 2",
                                   "Audio track number 1", "Title track(movable) number 1",
                                   "Title track(slide) number 1"));
  EXPECT_EQ(Track(3).top, 168) << "rows follow the new order";
  EXPECT_EQ(host.repaints.back(), 18u);
}

TEST_F(HeadersFixture, SetAllTrackHeightShowsNoCheckWithMixedHeights) {
  const auto menu = MenuOn(0);
  EXPECT_FALSE(Checked(menu, AllTracksHeightLarge));
  EXPECT_FALSE(Checked(menu, AllTracksHeightMedium));
  EXPECT_FALSE(Checked(menu, AllTracksHeightSmall));
  EXPECT_TRUE(RunMenu(0, AllTracksHeightMedium));
  for (const auto& track : Doc().timeline.tracks) EXPECT_EQ(track->height, 48);
  EXPECT_TRUE(Checked(MenuOn(0), AllTracksHeightMedium));
  EXPECT_FALSE(Checked(MenuOn(0), AllTracksHeightSmall));
  EXPECT_EQ(Track(1).top, 48);
}

TEST_F(HeadersFixture, SetTrackHeightChecksTheCurrentHeightAndSetsOnlyThisTrack) {
  const auto menu = MenuOn(3);
  EXPECT_TRUE(Checked(menu, TrackHeightMedium));
  EXPECT_FALSE(Checked(menu, TrackHeightLarge));
  EXPECT_FALSE(Checked(menu, TrackHeightSmall));
  EXPECT_TRUE(RunMenu(3, TrackHeightSmall));
  EXPECT_EQ(Track(3).height, 24);
  EXPECT_EQ(Track(4).top, 240);
  EXPECT_EQ(Track(2).height, 96);
}

TEST_F(HeadersFixture, SoloAndMuteAreOfferedOnlyWhenTheTrackIsNotInThatState) {
  Track(1).playState = kSolo;
  Track(2).playState = kMute;
  EXPECT_FALSE(Offers(MenuOn(1), Solo));
  EXPECT_TRUE(Offers(MenuOn(1), Mute));
  EXPECT_TRUE(Offers(MenuOn(2), Solo));
  EXPECT_FALSE(Offers(MenuOn(2), Mute));
}

TEST_F(HeadersFixture, MenuSoloFollowsTheExclusiveSetting) {
  SetExclusiveSolo(true);
  Track(0).playState = kSolo;
  EXPECT_TRUE(RunMenu(2, Solo));
  EXPECT_THAT(States(), ElementsAre(kNormal, kNormal, kSolo, kNormal, kNormal, kNormal));
  SetExclusiveSolo(false);
  EXPECT_TRUE(RunMenu(4, Solo));
  EXPECT_TRUE(RunMenu(0, Mute));
  EXPECT_THAT(States(), ElementsAre(kMute, kNormal, kSolo, kNormal, kSolo, kNormal));
}

TEST_F(HeadersFixture, EnableAllTracksIsOfferedWhileAnyTrackIsNotNormal) {
  EXPECT_FALSE(Offers(MenuOn(0), EnableAllTracks));
  Track(4).playState = kMute;
  Track(1).playState = kSolo;
  EXPECT_TRUE(RunMenu(0, EnableAllTracks));
  EXPECT_THAT(States(), ElementsAre(kNormal, kNormal, kNormal, kNormal, kNormal, kNormal));
}

TEST_F(HeadersFixture, PropertiesOnlyForAudioAndTitleTracks) {
  EXPECT_FALSE(Offers(MenuOn(1), Properties));
  EXPECT_TRUE(RunMenu(2, Properties));
  EXPECT_TRUE(RunMenu(4, Properties));
  EXPECT_THAT(requests.calls,
              ElementsAre("audio properties Audio track number 1", "title settings Title track(slide) number 1"));
}

TEST_F(HeadersFixture, NameDialogShowsTheNameAndOkStoresTheNewOne) {
  requests.nameAnswer = "Dialogue";
  EXPECT_TRUE(RunMenu(2, Name));
  EXPECT_EQ(Track(2).name, "Dialogue");
  requests.nameAnswer.reset();
  EXPECT_FALSE(RunMenu(2, Name));
  EXPECT_EQ(Track(2).name, "Dialogue");
  EXPECT_THAT(requests.calls, ElementsAre("ask name Audio track number 1", "ask name Dialogue"));
}

TEST_F(HeadersFixture, MenuCommandsActOnTheTrackUnderThePointWhereTheMenuOpened) {
  MenuOn(4);
  headers.OnVScroll(TrackScrollCode::LineDown);  // rows move while the menu is open
  EXPECT_TRUE(headers.ExecuteMenuCommand(TrackHeightSmall));
  EXPECT_EQ(Track(4).height, 24);
}

TEST_F(HeadersFixture, MenuCommandOnATrackThatIsGoneDoesNothing) {
  MenuOn(5);
  Doc().timeline.tracks.pop_back();
  EXPECT_FALSE(headers.ExecuteMenuCommand(TrackHeightSmall));
}

TEST_F(HeadersFixture, HighlightedItemsShowTheirStatusTexts) {
  EXPECT_EQ(headers.MenuStatusText(TrackHeightLarge), "Set track height to large size");
  EXPECT_EQ(headers.MenuStatusText(TrackHeightMedium), "Set track height to medium size");
  EXPECT_EQ(headers.MenuStatusText(TrackHeightSmall), "Set track height to small size");
  EXPECT_EQ(headers.MenuStatusText(AllTracksHeightLarge), "Set all track height to large size");
  EXPECT_EQ(headers.MenuStatusText(AllTracksHeightMedium), "Set all track height to medium size");
  EXPECT_EQ(headers.MenuStatusText(AllTracksHeightSmall), "Set all track height to small size");
  EXPECT_EQ(headers.MenuStatusText(0), "Ready");
  EXPECT_EQ(headers.MenuStatusText(Solo), "Ready") << "no command table yet";
  headers.SetCommandDescriptions([](int id) { return id == Solo ? std::string("Play this track alone") : ""; });
  EXPECT_EQ(headers.MenuStatusText(Solo), "Play this track alone");
  EXPECT_EQ(headers.MenuStatusText(0), "Ready");
}

// --- the project's modified state ---

TEST_F(HeadersFixture, EveryHeaderEditASaveWritesMarksTheProjectModified) {
  headers.Draw();
  requests.nameAnswer = "Dialogue";
  const std::vector<std::pair<std::string, std::function<void()>>> edits{
      {"Solo button", [&] { ClickSolo(2); }},
      {"Mute button", [&] { ClickMute(3); }},
      {"double click height", [&] { headers.OnDoubleClick(At(60, Track(1).top + 30)); }},
      {"rename", [&] { RunMenu(2, Name); }},
      {"menu Solo", [&] { RunMenu(0, Solo); }},
      {"menu Mute", [&] { RunMenu(0, Mute); }},
      {"Enable all tracks", [&] { RunMenu(0, EnableAllTracks); }},
      {"Move down", [&] { RunMenu(2, MoveDown); }},
      {"Move up", [&] { RunMenu(3, MoveUp); }},
      {"track height", [&] { RunMenu(4, Track(4).height == TrackHeight::Small ? TrackHeightLarge : TrackHeightSmall); }},
      {"all track heights", [&] { RunMenu(0, AllTracksHeightMedium); }},
  };
  for (const auto& [name, edit] : edits) {
    Doc().SetModified(false);
    edit();
    headers.Draw();
    EXPECT_TRUE(Doc().IsModified()) << name << " left the project unmodified";
  }
}

TEST_F(HeadersFixture, HeaderActionsThatChangeNothingLeaveTheProjectUnmodified) {
  headers.Draw();
  Doc().SetModified(false);
  // A press released outside its button.
  headers.OnMouseDown(At(kButtonX, SoloY(Track(2))));
  headers.OnMouseUp(At(20, SoloY(Track(2)), false));
  // The name dialog cancelled, and answered with the same name.
  RunMenu(2, Name);
  requests.nameAnswer = Track(2).name;
  RunMenu(2, Name);
  // The height the track has already.
  RunMenu(2, Track(2).height == TrackHeight::Large ? TrackHeightLarge
             : Track(2).height == TrackHeight::Medium ? TrackHeightMedium : TrackHeightSmall);
  // Scrolling is a view change.
  headers.OnVScroll(TrackScrollCode::LineDown);
  EXPECT_FALSE(Doc().IsModified());
  EXPECT_EQ(requests.calls.size(), 2u);
}

}  // namespace
}  // namespace vantorelle
