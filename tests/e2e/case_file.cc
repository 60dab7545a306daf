#include "case_file.h"

#include <cstdlib>

namespace {

const char kSectionMark[] = "=== ";
const char kNoEol[] = "{noeol}";

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
  size_t at = 0;
  while ((at = text.find(from, at)) != std::string::npos) {
    text.replace(at, from.size(), to);
    at += to.size();
  }
  return text;
}

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool DecodeEscapes(const std::string& line, std::string* decoded, std::string* error) {
  decoded->clear();
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] != '\\') {
      decoded->push_back(line[i]);
      continue;
    }
    if (i + 1 >= line.size()) {
      *error = "a backslash ends the line (write \\\\ for one backslash)";
      return false;
    }
    char kind = line[++i];
    if (kind == 'r') {
      decoded->push_back('\r');
    } else if (kind == 'n') {
      decoded->push_back('\n');
    } else if (kind == 't') {
      decoded->push_back('\t');
    } else if (kind == '\\') {
      decoded->push_back('\\');
    } else if (kind == 'x' && i + 2 < line.size() && HexDigitValue(line[i + 1]) >= 0 &&
               HexDigitValue(line[i + 2]) >= 0) {
      decoded->push_back(
          static_cast<char>(HexDigitValue(line[i + 1]) * 16 + HexDigitValue(line[i + 2])));
      i += 2;
    } else {
      *error = std::string("unknown escape \\") + kind;
      return false;
    }
  }
  return true;
}

struct Section {
  std::string Header;  // the text after "=== "
  size_t HeaderLine = 0;
  std::vector<std::string> Lines;
};

// The text of a section whose lines each end with `lineEnd`, escapes decoded and {noeol} applied.
bool JoinLines(const Section& section, const std::string& lineEnd, bool decodeEscapes,
               std::string* joined, std::string* error) {
  joined->clear();
  for (size_t i = 0; i < section.Lines.size(); ++i) {
    std::string line = section.Lines[i];
    bool withEnd = true;
    if (line.size() >= sizeof(kNoEol) - 1 &&
        line.compare(line.size() - (sizeof(kNoEol) - 1), std::string::npos, kNoEol) == 0) {
      line.erase(line.size() - (sizeof(kNoEol) - 1));
      withEnd = false;
    }
    std::string bytes = line;
    if (decodeEscapes && !DecodeEscapes(line, &bytes, error)) {
      *error = "line " + std::to_string(section.HeaderLine + 1 + i) + ": " + *error;
      return false;
    }
    *joined += bytes;
    if (withEnd) *joined += lineEnd;
  }
  return true;
}

void SplitWord(const std::string& header, std::string* word, std::string* rest) {
  size_t blank = header.find(' ');
  *word = header.substr(0, blank);
  *rest = blank == std::string::npos ? "" : header.substr(blank + 1);
}

bool IsPlainFileName(const std::string& name) {
  return !name.empty() && name[0] != '/' && name.find("..") == std::string::npos;
}

bool ApplySection(const Section& section, CaseFile* parsed, std::string* error) {
  std::string kind, name;
  SplitWord(section.Header, &kind, &name);
  std::string where = "line " + std::to_string(section.HeaderLine) + ": ";
  bool needsName = kind == "existing" || kind == "file" || kind == "log" || kind == "written" ||
                   kind == "nofile";
  if (needsName) {
    std::string flag;
    size_t blank = name.find(' ');
    if (blank != std::string::npos) {
      flag = name.substr(blank + 1);
      name.erase(blank);
    }
    if (!IsPlainFileName(name)) {
      *error = where + "section \"" + kind + "\" needs a file name inside the run's folder";
      return false;
    }
    if (!flag.empty() && !(kind == "file" && flag == "exec")) {
      *error = where + "unexpected \"" + flag + "\" after the file name";
      return false;
    }
    if (kind == "existing") {
      CaseInputFile file;
      file.Name = name;
      if (!JoinLines(section, "\r\n", true, &file.Content, error)) return false;
      parsed->InputFiles.push_back(file);
    } else if (kind == "file") {
      CaseInputFile file;
      file.Name = name;
      file.Executable = flag == "exec";
      if (!JoinLines(section, "\n", false, &file.Content, error)) return false;
      parsed->InputFiles.push_back(file);
    } else if (kind == "log" || kind == "written") {
      ExpectedFile log;
      log.Name = name;
      log.CrLfLines = kind == "log";
      if (!JoinLines(section, "\n", true, &log.Pattern, error)) return false;
      parsed->ExpectedLogs.push_back(log);
    } else {
      if (!section.Lines.empty()) {
        *error = where + "section \"nofile\" takes no lines";
        return false;
      }
      parsed->AbsentFiles.push_back(name);
    }
    return true;
  }
  if (!name.empty()) {
    *error = where + "section \"" + kind + "\" takes no name";
    return false;
  }
  if (kind == "args") {
    for (size_t i = 0; i < section.Lines.size(); ++i) {
      const std::string& line = section.Lines[i];
      std::string argument;
      std::string lineError;
      if (line.empty()) {
        *error = "line " + std::to_string(section.HeaderLine + 1 + i) +
                 ": a blank argument line (write {empty} for an empty argument)";
        return false;
      }
      if (line != "{empty}" && !DecodeEscapes(line, &argument, &lineError)) {
        *error = "line " + std::to_string(section.HeaderLine + 1 + i) + ": " + lineError;
        return false;
      }
      parsed->Arguments.push_back(argument);
    }
    return true;
  }
  if (kind == "stdin") {
    parsed->HasStdin = true;
    return JoinLines(section, "\n", true, &parsed->Stdin, error);
  }
  if (kind == "host") {
    parsed->HasHost = true;
    return JoinLines(section, "\n", false, &parsed->HostText, error);
  }
  if (kind == "stdout") return JoinLines(section, "\n", true, &parsed->ExpectedStdout, error);
  if (kind == "stderr") return JoinLines(section, "\n", true, &parsed->ExpectedStderr, error);
  if (kind == "status") {
    if (section.Lines.size() != 1 || section.Lines[0].empty()) {
      *error = where + "section \"status\" holds exactly one number";
      return false;
    }
    char* end = nullptr;
    parsed->ExpectedStatus = std::strtoll(section.Lines[0].c_str(), &end, 10);
    if (*end != '\0') {
      *error = where + "the status is not a signed decimal number";
      return false;
    }
    parsed->HasStatus = true;
    return true;
  }
  *error = where + "unknown section \"" + kind + "\"";
  return false;
}

}  // namespace

bool ParseCaseFile(const std::string& text, const std::string& dir, CaseFile* parsed,
                   std::string* error) {
  *parsed = CaseFile();
  std::string withDir = ReplaceAll(text, "{dir}", dir);
  std::vector<std::string> lines;
  size_t begin = 0;
  while (begin < withDir.size()) {
    size_t end = withDir.find('\n', begin);
    if (end == std::string::npos) end = withDir.size();
    lines.push_back(withDir.substr(begin, end - begin));
    begin = end + 1;
  }

  std::vector<Section> sections;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].compare(0, sizeof(kSectionMark) - 1, kSectionMark) == 0) {
      Section section;
      section.Header = lines[i].substr(sizeof(kSectionMark) - 1);
      section.HeaderLine = i + 1;
      sections.push_back(section);
    } else if (!sections.empty()) {
      sections.back().Lines.push_back(lines[i]);
    }
  }

  std::vector<std::string> seen;
  for (const Section& section : sections) {
    for (const std::string& header : seen) {
      if (header == section.Header) {
        *error = "line " + std::to_string(section.HeaderLine) + ": section \"" + header +
                 "\" appears twice";
        return false;
      }
    }
    seen.push_back(section.Header);
    if (!ApplySection(section, parsed, error)) return false;
  }
  if (!parsed->HasStatus) {
    *error = "the case has no \"status\" section";
    return false;
  }
  return true;
}
