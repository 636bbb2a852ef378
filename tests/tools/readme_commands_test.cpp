// The README is the tool's manual: every command has a section of its own
// with an example that runs it.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <regex>
#include <string>

namespace {

std::string ReadmeText() {
  std::ifstream in(std::string(VANTORELLE_SOURCE_DIR) + "/README.md", std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The text from a "### COMMAND" heading up to the next heading.
std::string SectionOf(const std::string& readme, const std::string& command) {
  const std::regex heading("\n### " + command + "( [^\n]*)?\n");
  std::smatch match;
  if (!std::regex_search(readme, match, heading)) return {};
  const std::size_t begin = static_cast<std::size_t>(match.position(0) + match.length(0));
  const std::size_t end = readme.find("\n#", begin);
  return readme.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
}

// True when a shell example block of the section runs the command.
bool HasExample(const std::string& section, const std::string& command) {
  const std::regex call("vantorelle-cli " + command + "[ \n]");
  for (std::size_t at = section.find("```sh\n"); at != std::string::npos; at = section.find("```sh\n", at + 1)) {
    const std::size_t end = section.find("```", at + 6);
    if (end == std::string::npos) return false;
    if (std::regex_search(section.substr(at, end - at), call)) return true;
  }
  return false;
}

TEST(ToolManual, EveryCommandHasASectionWithAnExample) {
  const std::string readme = ReadmeText();
  ASSERT_FALSE(readme.empty()) << "README.md not found under " << VANTORELLE_SOURCE_DIR;
  for (const std::string command : {"media-info", "run", "import-tml", "dump", "resave", "shortcuts", "render"}) {
    SCOPED_TRACE(command);
    const std::string section = SectionOf(readme, command);
    ASSERT_FALSE(section.empty()) << "no \"### " << command << "\" section";
    EXPECT_TRUE(HasExample(section, command)) << "no example of " << command << " in:\n" << section;
  }
}

TEST(ToolManual, RenderOptionsAreDescribed) {
  const std::string section = SectionOf(ReadmeText(), "render");
  for (const char* option : {"--preset NAME", "--crf N", "--range START:STOP", "--format avi|mp4", "--allow-offline",
                             "--verbose", "--quiet"}) {
    EXPECT_NE(section.find(std::string("`") + option), std::string::npos) << option;
  }
}

}  // namespace
