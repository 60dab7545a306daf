// A fresh folder for one test's files, removed with everything in it afterwards.
#pragma once

#include <stdlib.h>
#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

struct TempFolder {
  std::string Path;
};

inline TempFolder MakeTempFolder() {
  char pattern[] = "/tmp/tessiv-sim-XXXXXX";
  TempFolder folder;
  if (mkdtemp(pattern) != nullptr) folder.Path = pattern;
  return folder;
}

inline void RemoveTempFolder(const TempFolder& folder) {
  if (folder.Path.compare(0, 16, "/tmp/tessiv-sim-") != 0) return;
  std::string command = "rm -rf '" + folder.Path + "'";
  if (std::system(command.c_str()) != 0) std::perror("rm");
}

inline void WriteTextFile(const std::string& path, const std::string& text, bool executable) {
  std::ofstream(path, std::ios::binary) << text;
  chmod(path.c_str(), executable ? 0755 : 0644);
}

inline std::string ReadTextFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}
