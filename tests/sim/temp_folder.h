// A fresh folder for one test's files, removed with everything in it afterwards.
#pragma once

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

struct TempFolder {
  std::string Path;
};

inline void RemoveTempFolder(const TempFolder& folder) {
  if (folder.Path.compare(0, 12, "/tmp/tessiv-") != 0) return;
  // A test may have taken write permission from a folder inside; rm needs it back.
  std::string command =
      "chmod -R u+w '" + folder.Path + "' 2>/dev/null; rm -rf '" + folder.Path + "'";
  if (std::system(command.c_str()) != 0) std::perror("rm");
}

// /tmp/tessiv-<tag>-<process>-<count>, in small letters only: the checker lower-cases the name
// of its log file, so a log named by a path through this folder still lands in it. A folder of
// the same name left behind by an earlier process goes first. Path is empty on failure.
inline TempFolder MakeTempFolder(const std::string& tag = "sim") {
  static int counter = 0;
  TempFolder folder{"/tmp/tessiv-" + tag + "-" + std::to_string(getpid()) + "-" +
                    std::to_string(++counter)};
  RemoveTempFolder(folder);
  if (mkdir(folder.Path.c_str(), 0755) != 0) folder.Path.clear();
  return folder;
}

inline void WriteTextFile(const std::string& path, const std::string& text, bool executable) {
  std::ofstream(path, std::ios::binary) << text;
  chmod(path.c_str(), executable ? 0755 : 0644);
}

// The bytes of the file at `path`; nullopt when it cannot be opened.
inline std::optional<std::string> ReadFileIfThere(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

inline std::string ReadTextFile(const std::string& path) {
  return ReadFileIfThere(path).value_or("");
}
