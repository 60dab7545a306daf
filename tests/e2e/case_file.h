// One end-to-end case: how the checker is run and what the run must leave behind. A case file
// is plain text; a line beginning with "=== " opens a section, and everything before the first
// section is a free description. Sections:
//
//   === args              one argument per line ({empty}: an empty argument)
//   === stdin             bytes on standard input, each line followed by a line feed
//   === host              the host file, named by TESSIV_HOST (absent: the default machine)
//   === existing NAME     a file in the run's folder before the run, lines ended by CR LF
//   === file NAME [exec]  a file in the run's folder before the run, content as written
//   === stdout            standard output: each line ended by CR LF
//   === log NAME          the file NAME after the run: each line ended by CR LF
//   === written NAME      the file NAME after the run, written by a stand-in tool: LF kept
//   === nofile NAME       no file NAME exists after the run
//   === stderr            standard error: each line ended by a line feed
//   === status            the exit status, signed decimal
//
// Everywhere, {dir} stands for the run's folder (also its working directory). In args, stdin,
// existing, stdout, log, written and stderr the escapes \r \n \t \\ \xHH stand for their bytes, and
// a line ending in {noeol} has no line end. In the expected output a line that is exactly
// {timestamp} matches one timestamp line, and {any} matches any text within a line. A missing
// stdout or stderr section expects nothing on that stream.
#pragma once

#include <string>
#include <vector>

struct CaseInputFile {
  std::string Name;
  std::string Content;
  bool Executable = false;
};

// Expected text of one output, as a pattern for MatchOutput (text_match.h).
struct ExpectedFile {
  std::string Name;
  std::string Pattern;
  bool CrLfLines = true;  // false: line feeds stand as they are
};

struct CaseFile {
  std::vector<std::string> Arguments;
  bool HasStdin = false;
  std::string Stdin;
  bool HasHost = false;
  std::string HostText;
  std::vector<CaseInputFile> InputFiles;
  std::string ExpectedStdout;
  std::string ExpectedStderr;
  std::vector<ExpectedFile> ExpectedLogs;
  std::vector<std::string> AbsentFiles;
  bool HasStatus = false;
  long long ExpectedStatus = 0;
};

// Parses case-file text; `dir` replaces {dir}. On error returns false and sets *error to
// "line N: what is wrong".
bool ParseCaseFile(const std::string& text, const std::string& dir, CaseFile* parsed,
                   std::string* error);
