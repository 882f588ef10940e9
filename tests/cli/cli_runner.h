// Runs the real lumenda-cli binary as a user would, capturing what it prints.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <string>
#include <vector>

#include "test_support.h"
#include "text/number_format.h"
#include "text/text_file.h"

namespace lumenda::test {

struct CliRun {
  int status = -1;
  std::string out;  // stdout
  std::string err;  // stderr
};

inline std::string Quote(const std::string& text) {
  return "'" + text + "'";
}

// `environment` goes before the command ("LUMENDA_DIR=... LC_ALL=...").
inline CliRun RunCli(const std::string& arguments, const std::string& environment = "") {
  TempDir dir;
  const std::string errFile = dir.File("stderr.txt");
  const std::string command =
      environment + " " + Quote(LUMENDA_CLI) + " " + arguments + " 2>" + Quote(errFile);
  CliRun run;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return run;
  char buffer[4096];
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.out.append(buffer, n);
  const int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.err = ReadBytes(errFile);
  return run;
}

// With a user folder of its own under `dir`: the settings of other tests do not leak in.
inline CliRun RunCliIn(const TempDir& dir, const std::string& arguments) {
  return RunCli(arguments, "LUMENDA_DIR=" + Quote(dir.File("home/")));
}

inline std::vector<std::string> Lines(const std::string& text) {
  return SplitLines(text);
}

inline double Number(const std::string& text) {
  return ParseDouble(text).value_or(-1e300);
}

// Value of the line "NAME value", or "" when absent.
inline std::string Value(const std::string& out, const std::string& name) {
  for (const std::string& line : Lines(out))
    if (line.starts_with(name + " ")) return line.substr(name.size() + 1);
  return "";
}

}  // namespace lumenda::test
