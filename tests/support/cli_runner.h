// Runs the command-line tool named by the VANTORELLE_CLI environment variable
// (set by the test build) and collects what it wrote.
#pragma once

#include <string>
#include <vector>

namespace vantorelle::testing {

struct CliRun {
  int status = -1;  // exit status; -1 when the tool did not exit normally
  std::string out;
  std::string err;
};

// Empty when the build did not say where the tool is.
std::string CliPath();

// input becomes the tool's standard input.
CliRun RunCli(const std::vector<std::string>& arguments,
              const std::vector<std::string>& environment = {}, const std::string& input = {});

}  // namespace vantorelle::testing
