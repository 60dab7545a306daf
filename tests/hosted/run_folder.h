// What a run of the checker on the simulated host finds around it: a fresh folder of its own as
// the current folder, standard input from given bytes, a stand-in management tool, and the
// argument vector main receives. Also the CR LF line ends it writes, for expected texts.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "checker/run.h"
#include "output/console_input.h"
#include "tests/sim/temp_folder.h"

struct RunFolder {
  TempFolder Folder;
  std::string Previous;  // the current folder before, to return to
};

// Makes a fresh folder named after `tag` and enters it.
inline void EnterRunFolder(const std::string& tag, RunFolder* run) {
  run->Folder = MakeTempFolder(tag);
  ASSERT_FALSE(run->Folder.Path.empty());
  char previous[4096];
  ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
  run->Previous = previous;
  ASSERT_EQ(chdir(run->Folder.Path.c_str()), 0);
}

inline void LeaveRunFolder(const RunFolder& run) {
  ASSERT_EQ(chdir(run.Previous.c_str()), 0);
  RemoveTempFolder(run.Folder);
}

// Standard input from the start of the file at `path`, with nothing kept from earlier reads.
inline void ReadStandardInputFrom(const std::string& path) {
  ASSERT_NE(std::freopen(path.c_str(), "rb", stdin), nullptr);
  ResetConsoleInput();
}

// Makes `bytes`, kept in the file at `path`, the rest of standard input.
inline void FeedStandardInput(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
  ReadStandardInputFrom(path);
}

// A devadmin.exe in the current folder that runs `body` as a shell script; the checker starts
// the management tool by that name from there.
inline void WriteStandInTool(const std::string& body) {
  std::ofstream("devadmin.exe") << "#!/bin/sh\n" << body << "\n";
  ASSERT_EQ(chmod("devadmin.exe", 0755), 0);
}

// Runs the checker with "checker" and `args` as its arguments, each in a writable buffer of its
// own as main receives them.
inline int RunCheckerWith(const std::vector<std::string>& args) {
  std::vector<std::vector<char>> buffers;
  buffers.push_back({'c', 'h', 'e', 'c', 'k', 'e', 'r', '\0'});
  for (const std::string& arg : args) {
    buffers.emplace_back(arg.begin(), arg.end());
    buffers.back().push_back('\0');
  }
  std::vector<char*> argv;
  for (std::vector<char>& buffer : buffers) argv.push_back(buffer.data());
  argv.push_back(nullptr);
  return RunChecker(static_cast<int>(buffers.size()), argv.data());
}

// `text` with the CR LF line ends the checker writes where it has "\n".
inline std::string CrLf(const std::string& text) {
  std::string converted;
  for (char c : text) {
    if (c == '\n') converted += '\r';
    converted += c;
  }
  return converted;
}
