// The editor's command line: board options and the project to open.
#include "document/editor_command_line.h"

#include <gtest/gtest.h>

#include <memory>

namespace vantorelle {
namespace {

// The frame height of the board the command line chose.
int BoardFrameHeight(const BoardSelection& selection) {
  std::unique_ptr<IKlpBoard> board;
  if (!selection.factory || selection.factory->CreateBoard(board) != KlpOk) return -1;
  std::int32_t width = 0, height = 0;
  double fps = 0;
  if (board->GetVideoFormat(0, width, height, &fps) != KlpOk) return -1;
  return height;
}

TEST(EditorCommandLine, TheStandardNamedAfterASpaceIsNoProject) {
  const EditorCommandLine spaced = ParseEditorCommandLine({"--video-standard", "ntsc"}, nullptr);
  ASSERT_TRUE(spaced.board.error.empty()) << spaced.board.error;
  EXPECT_EQ(BoardFrameHeight(spaced.board), 480);
  EXPECT_FALSE(spaced.start.openProject) << "opens " << spaced.start.projectPath;

  const EditorCommandLine withProject =
      ParseEditorCommandLine({"--video-standard", "ntsc-vga", "/films/holiday.vrp"}, "pal");
  ASSERT_TRUE(withProject.board.error.empty()) << withProject.board.error;
  EXPECT_EQ(BoardFrameHeight(withProject.board), 480);
  EXPECT_TRUE(withProject.start.openProject);
  EXPECT_EQ(withProject.start.projectPath, "/films/holiday.vrp");

  // The project may come first, and a project may be called like a standard.
  const EditorCommandLine projectFirst = ParseEditorCommandLine({"ntsc", "--video-standard", "pal"}, nullptr);
  EXPECT_EQ(BoardFrameHeight(projectFirst.board), 576);
  EXPECT_TRUE(projectFirst.start.openProject);
  EXPECT_EQ(projectFirst.start.projectPath, "ntsc");

  const EditorCommandLine noBoard = ParseEditorCommandLine({"--no-board"}, nullptr);
  EXPECT_TRUE(noBoard.board.noBoard);
  EXPECT_FALSE(noBoard.start.openProject);
}

TEST(EditorCommandLine, ABadStandardOpensNothing) {
  const EditorCommandLine bad = ParseEditorCommandLine({"--video-standard", "secam", "film.vrp"}, nullptr);
  EXPECT_FALSE(bad.board.error.empty());
  EXPECT_FALSE(bad.start.openProject);
  EXPECT_FALSE(ParseEditorCommandLine({"--video-standard"}, nullptr).board.error.empty());
}

}  // namespace
}  // namespace vantorelle
