// Reads the host-file text that describes a simulated machine (docs/host-file.md).
// Every line is either understood or reported: a mistake in a host file must never quietly
// give a different machine than the one its author meant.
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <set>
#include <sstream>

#include "platform/sim/sim_state.h"

namespace sim {

namespace {

const char* const kWmiSteps[] = {"CoInitializeEx", "CoInitializeSecurity", "CoCreateInstance",
                                 "ConnectServer",  "CoSetProxyBlanket",    "ExecQuery"};

struct KnownClass {
  const char* Name;
  std::vector<std::string> Properties;
};

const std::vector<KnownClass>& KnownClasses() {
  static const std::vector<KnownClass> classes = {
      {"Win32_DeviceMemoryAddress", {"StartingAddress"}},
      {"Win32_PhysicalMemory", {"Capacity", "MemoryType"}},
  };
  return classes;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string Trim(const std::string& text) {
  size_t begin = 0, end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

std::vector<std::string> Words(const std::string& text) {
  std::vector<std::string> words;
  std::istringstream stream(text);
  std::string word;
  while (stream >> word) words.push_back(word);
  return words;
}

bool ParseUnsigned(const std::string& text, uint64_t limit, uint64_t* value) {
  if (text.empty() || text[0] == '-' || text[0] == '+' || IsBlank(text[0])) return false;
  bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const std::string digits = hex ? text.substr(2) : text;
  for (char c : digits) {
    bool ok = hex ? std::isxdigit(static_cast<unsigned char>(c)) != 0 : (c >= '0' && c <= '9');
    if (!ok) return false;
  }
  errno = 0;
  unsigned long long parsed = std::strtoull(digits.c_str(), nullptr, hex ? 16 : 10);
  if (errno == ERANGE || parsed > limit) return false;
  *value = parsed;
  return true;
}

bool ParseDecimalDigits(const std::string& text, uint64_t* value) {
  if (text.size() > 1 && (text[1] == 'x' || text[1] == 'X')) return false;
  return ParseUnsigned(text, UINT64_MAX, value);
}

// A 32-bit value given as decimal (possibly negative) or 0x-prefixed hexadecimal.
bool ParseCode(const std::string& text, int32_t* code) {
  uint64_t value = 0;
  if (!text.empty() && text[0] == '-') {
    if (!ParseDecimalDigits(text.substr(1), &value) || value > 0x80000000u) return false;
    *code = static_cast<int32_t>(-static_cast<int64_t>(value));
    return true;
  }
  if (!ParseUnsigned(text, UINT32_MAX, &value)) return false;
  *code = static_cast<int32_t>(static_cast<uint32_t>(value));
  return true;
}

bool ParseHexDigits(const std::string& text, size_t maxDigits, uint64_t* value) {
  if (text.empty() || text.size() > maxDigits) return false;
  for (char c : text) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
  }
  *value = std::strtoull(text.c_str(), nullptr, 16);
  return true;
}

std::vector<BYTE> LittleEndian(uint64_t value, size_t bytes) {
  std::vector<BYTE> data;
  for (size_t i = 0; i < bytes; ++i) data.push_back(static_cast<BYTE>(value >> (8 * i)));
  return data;
}

// Cuts a trailing comment off an entry's value. In texts a '#' belongs to the text unless a
// blank comes before it; elsewhere every '#' starts a comment.
std::string StripComment(const std::string& value) {
  bool text = value.compare(0, 7, "string:") == 0;
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '#') continue;
    if (!text || (i > 0 && IsBlank(value[i - 1]))) return Trim(value.substr(0, i));
  }
  return Trim(value);
}

enum SectionKind { None, Os, Registry, Wmi, Failures };

// Where the parse stands: the machine built so far and the section being read.
struct HostParse {
  std::string FileName;
  int Line = 0;
  std::string* Error = nullptr;
  Host Result;
  SectionKind Section = None;
  std::string SectionTitle;           // as written between the brackets, for messages
  FailurePlan* Plan = nullptr;        // Failures: the plan that entries go to
  bool PerSequence = false;           // Failures: a [failures N] section
  const KnownClass* Class = nullptr;  // Wmi
  std::set<std::string> KeysSeen;     // "<section>|<key>"
};

bool Fail(HostParse& p, const std::string& what) {
  *p.Error = p.FileName + ":" + std::to_string(p.Line) + ": " + what;
  return false;
}

bool BadValue(HostParse& p, const std::string& value, const std::string& expected) {
  return Fail(p, "bad value '" + value + "' (expected " + expected + ")");
}

bool StartSection(HostParse& p, const std::string& title) {
  std::vector<std::string> words = Words(title);
  p.SectionTitle = Trim(title);
  p.Plan = nullptr;
  p.Class = nullptr;
  if (words.size() == 1 && words[0] == "os") {
    p.Section = Os;
    return true;
  }
  if (words.size() == 1 && words[0] == "registry") {
    p.Section = Registry;
    p.Result.KeyExists = true;
    return true;
  }
  if (!words.empty() && words[0] == "failures" && words.size() <= 2) {
    p.Section = Failures;
    p.PerSequence = words.size() == 2;
    if (!p.PerSequence) {
      p.Plan = &p.Result.Failures;
      return true;
    }
    uint64_t number = 0;
    if (!ParseDecimalDigits(words[1], &number) || number == 0 || number > 1000000) {
      return Fail(p, "bad sequence number '" + words[1] + "'");
    }
    p.Plan = &p.Result.SequenceFailures[static_cast<int>(number)];
    p.SectionTitle = "failures " + std::to_string(number);
    return true;
  }
  if (words.size() == 2 && words[0] == "wmi") {
    for (const KnownClass& known : KnownClasses()) {
      if (words[1] == known.Name) p.Class = &known;
    }
    if (p.Class == nullptr) return Fail(p, "unknown WMI class '" + words[1] + "'");
    p.Section = Wmi;
    p.Result.Instances.push_back(WmiInstance{words[1], {}});
    // Each wmi section is an instance of its own: its keys are its own.
    p.SectionTitle = "wmi " + words[1] + " #" + std::to_string(p.Result.Instances.size());
    return true;
  }
  return Fail(p, "unknown section [" + p.SectionTitle + "]");
}

bool UnknownKey(HostParse& p, const std::string& key) {
  std::string shown = p.SectionTitle;
  if (p.Section == Wmi) shown = "wmi " + std::string(p.Class->Name);
  return Fail(p, "unknown key '" + key + "' in [" + shown + "]");
}

bool OsEntry(HostParse& p, const std::string& key, const std::string& value) {
  if (key == "GetVersionExW") {
    if (value != "fail") return BadValue(p, value, "'fail'");
    p.Result.VersionQueryFails = true;
    return true;
  }
  DWORD* field = key == "MajorVersion"   ? &p.Result.MajorVersion
                 : key == "MinorVersion" ? &p.Result.MinorVersion
                 : key == "BuildNumber"  ? &p.Result.BuildNumber
                                         : nullptr;
  if (field == nullptr) return UnknownKey(p, key);
  uint64_t number = 0;
  if (!ParseUnsigned(value, UINT32_MAX, &number)) return Fail(p, "bad number '" + value + "'");
  *field = static_cast<DWORD>(number);
  return true;
}

bool RegistryEntry(HostParse& p, const std::string& key, const std::string& value) {
  if (key == "Access") {
    if (value != "denied") return BadValue(p, value, "'denied'");
    p.Result.AccessDenied = true;
    return true;
  }
  if (key != "HighMemoryAreaReservedStart" && key != "HighMemoryAreaReservedSize") {
    return UnknownKey(p, key);
  }
  size_t colon = value.find(':');
  std::string kind = value.substr(0, colon);
  std::string data = colon == std::string::npos ? std::string() : value.substr(colon + 1);
  if (colon == std::string::npos) return Fail(p, "unknown value kind '" + value + "'");
  RegistryValue parsed;
  uint64_t number = 0;
  if (kind == "dword" || kind == "qword") {
    if (!ParseHexDigits(data, kind == "dword" ? 8 : 16, &number)) {
      return Fail(p, "bad number '" + data + "'");
    }
    parsed.Type = kind == "dword" ? REG_DWORD : REG_QWORD;
    parsed.Data = LittleEndian(number, kind == "dword" ? 4 : 8);
  } else if (kind == "binary") {
    parsed.Type = REG_BINARY;
    for (const std::string& word : Words(data)) {
      if (word.size() % 2 != 0) return Fail(p, "odd number of hex digits in '" + word + "'");
      for (size_t i = 0; i < word.size(); i += 2) {
        if (!ParseHexDigits(word.substr(i, 2), 2, &number)) {
          return Fail(p, "bad number '" + word + "'");
        }
        parsed.Data.push_back(static_cast<BYTE>(number));
      }
    }
  } else if (kind == "string") {
    // REG_SZ: UTF-16LE with its terminator, as the registry stores it.
    parsed.Type = REG_SZ;
    for (wchar_t c : Utf8ToWide(data)) {
      parsed.Data.push_back(static_cast<BYTE>(c & 0xFF));
      parsed.Data.push_back(static_cast<BYTE>((c >> 8) & 0xFF));
    }
    parsed.Data.push_back(0);
    parsed.Data.push_back(0);
  } else {
    return Fail(p, "unknown value kind '" + kind + "'");
  }
  p.Result.Values[key] = parsed;
  return true;
}

bool WmiEntry(HostParse& p, const std::string& key, const std::string& value) {
  bool known = false;
  for (const std::string& property : p.Class->Properties) known = known || property == key;
  if (!known) return Fail(p, "unknown property '" + key + "' of " + p.Class->Name);
  WmiValue parsed;
  uint64_t number = 0;
  int32_t code = 0;
  size_t colon = value.find(':');
  std::string kind = colon == std::string::npos ? std::string() : value.substr(0, colon);
  std::string data = colon == std::string::npos ? std::string() : value.substr(colon + 1);
  if (value == "null") {
    parsed.ValueKind = WmiValue::Null;
  } else if (kind == "string") {
    parsed.ValueKind = WmiValue::Text;
    parsed.TextValue = data;
  } else if (kind == "i4") {
    if (!ParseCode(data, &code)) return Fail(p, "bad number '" + data + "'");
    parsed.ValueKind = WmiValue::Int32;
    parsed.Int32Value = code;
  } else if (kind == "ui8") {
    if (!ParseUnsigned(data, UINT64_MAX, &number)) return Fail(p, "bad number '" + data + "'");
    parsed.ValueKind = WmiValue::UInt64;
    parsed.UInt64Value = number;
  } else if (colon != std::string::npos) {
    return Fail(p, "unknown value kind '" + kind + "'");
  } else if (key == "MemoryType") {
    // A uint16 property that WMI hands over as a 32-bit integer.
    if (!ParseDecimalDigits(value, &number) || number > UINT32_MAX) {
      return Fail(p, "bad number '" + value + "'");
    }
    parsed.ValueKind = WmiValue::Int32;
    parsed.Int32Value = static_cast<int32_t>(static_cast<uint32_t>(number));
  } else {
    // A uint64 property, which WMI hands over as decimal text.
    if (!ParseDecimalDigits(value, &number)) return Fail(p, "bad number '" + value + "'");
    parsed.ValueKind = WmiValue::Text;
    parsed.TextValue = value;
  }
  p.Result.Instances.back().Properties.push_back({key, parsed});
  return true;
}

// "<code>" or "<code> after <n>"; where codeIsFail, the word "fail" stands for the code.
bool ParseFailure(HostParse& p, const std::string& value, bool codeIsFail, bool afterAllowed,
                  StepFailure* failure) {
  std::vector<std::string> words = Words(value);
  std::string expected = codeIsFail ? "'fail'" : "a code";
  if (afterAllowed)
    expected = codeIsFail ? "'fail' or 'fail after <n>'" : "'<code>' or '<code> after <n>'";
  if (words.size() != 1 && !(afterAllowed && words.size() == 3 && words[1] == "after")) {
    return BadValue(p, value, expected);
  }
  if (codeIsFail) {
    if (words[0] != "fail") return BadValue(p, value, expected);
  } else if (!ParseCode(words[0], &failure->Code)) {
    return Fail(p, "bad number '" + words[0] + "'");
  }
  if (words.size() == 3 && !ParseUnsigned(words[2], UINT64_MAX, &failure->After)) {
    return Fail(p, "bad number '" + words[2] + "'");
  }
  return true;
}

bool FailureEntry(HostParse& p, const std::string& key, const std::string& value) {
  bool wmiStep = false;
  for (const char* step : kWmiSteps) wmiStep = wmiStep || key == step;
  bool wmiKey = wmiStep || key == "Next" || key == "SysAllocString";
  bool otherKey = key == "CreateFileW" || key == "WriteFile" || key == "CreateProcessW" ||
                  key == "WaitForSingleObject";
  if (!wmiKey && !otherKey) return UnknownKey(p, key);
  if (p.PerSequence && otherKey) {
    return Fail(p, "key '" + key + "' belongs in [failures], not in [" + p.SectionTitle + "]");
  }
  StepFailure failure;
  bool ok = false;
  if (key == "SysAllocString") {
    ok = ParseFailure(p, value, true, true, &failure);
    failure.Code = E_OUTOFMEMORY;
  } else if (key == "WaitForSingleObject") {
    ok = ParseFailure(p, value, true, false, &failure);
    failure.Code = ERROR_INVALID_HANDLE;
  } else {
    ok = ParseFailure(p, value, false, key == "Next" || key == "WriteFile", &failure);
  }
  if (!ok) return false;
  (*p.Plan)[key] = failure;
  return true;
}

bool Entry(HostParse& p, const std::string& key, const std::string& value) {
  if (p.Section == None) return Fail(p, "entry outside a section");
  if (!p.KeysSeen.insert(p.SectionTitle + "|" + key).second) {
    std::string shown = p.Section == Wmi ? "wmi " + std::string(p.Class->Name) : p.SectionTitle;
    return Fail(p, "duplicate key '" + key + "' in [" + shown + "]");
  }
  switch (p.Section) {
    case Os:
      return OsEntry(p, key, value);
    case Registry:
      return RegistryEntry(p, key, value);
    case Wmi:
      return WmiEntry(p, key, value);
    case Failures:
      return FailureEntry(p, key, value);
    case None:
      break;
  }
  return false;
}

bool ParseLine(HostParse& p, std::string line) {
  if (!line.empty() && line.back() == '\r') line.pop_back();
  line = Trim(line);
  if (line.empty() || line[0] == '#') return true;
  if (line[0] == '[') {
    size_t close = line.find(']');
    if (close == std::string::npos) return Fail(p, "missing ']' in section header");
    std::string rest = Trim(line.substr(close + 1));
    if (!rest.empty() && rest[0] != '#') return Fail(p, "unexpected text after ']'");
    return StartSection(p, line.substr(1, close - 1));
  }
  size_t equals = line.find('=');
  std::string key = equals == std::string::npos ? std::string() : Trim(line.substr(0, equals));
  if (key.empty() || key.find_first_of(" \t#") != std::string::npos) {
    return Fail(p, "expected a section header or 'name = value'");
  }
  return Entry(p, key, StripComment(Trim(line.substr(equals + 1))));
}

}  // namespace

bool ParseHostText(const std::string& text, const std::string& fileName, Host* host,
                   std::string* error) {
  HostParse parser;
  parser.FileName = fileName;
  parser.Error = error;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    ++parser.Line;
    if (!ParseLine(parser, line)) return false;
  }
  *host = parser.Result;
  return true;
}

}  // namespace sim
