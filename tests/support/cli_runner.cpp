#include "support/cli_runner.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "support/temp_dir.h"

extern char** environ;

namespace vantorelle::testing {
namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

std::string CliPath() {
  const char* path = std::getenv("VANTORELLE_CLI");
  return path ? path : "";
}

CliRun RunCli(const std::vector<std::string>& arguments, const std::vector<std::string>& environment,
              const std::string& input) {
  CliRun run;
  const std::string tool = CliPath();
  if (tool.empty()) return run;
  TempDir dir;
  const std::string outPath = dir.File("out");
  const std::string errPath = dir.File("err");
  const std::string inPath = dir.WriteFile("in", input);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, inPath.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);

  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(tool.c_str()));
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  // The caller's variables replace inherited ones of the same name.
  auto nameOf = [](const std::string& variable) { return variable.substr(0, variable.find('=')); };
  std::vector<std::string> variables(environment.begin(), environment.end());
  for (char** v = environ; *v; ++v) {
    bool replaced = false;
    for (const std::string& given : environment) replaced = replaced || nameOf(given) == nameOf(*v);
    if (!replaced) variables.emplace_back(*v);
  }
  std::vector<char*> envp;
  for (std::string& variable : variables) envp.push_back(variable.data());
  envp.push_back(nullptr);

  pid_t child = 0;
  const int spawned = posix_spawn(&child, tool.c_str(), &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return run;
  int status = 0;
  if (waitpid(child, &status, 0) == child && WIFEXITED(status)) run.status = WEXITSTATUS(status);
  run.out = ReadAll(outPath);
  run.err = ReadAll(errPath);
  return run;
}

}  // namespace vantorelle::testing
