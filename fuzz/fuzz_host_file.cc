// The host file of the simulated machine: any bytes as its text. A text is either accepted
// or refused with one message that names a line of the text; a refusal depends only on the
// lines up to the one it names, and accepting is repeatable.
#include <cstdint>
#include <string>

#include "fuzz/property.h"
#include "platform/sim/sim_host.h"

namespace {

const char kFileName[] = "fuzz.host";
const char kUntouched[] = "<untouched>";

bool SameValue(const sim::WmiValue& a, const sim::WmiValue& b) {
  return a.ValueKind == b.ValueKind && a.TextValue == b.TextValue && a.Int32Value == b.Int32Value &&
         a.UInt64Value == b.UInt64Value;
}

bool SamePlan(const sim::FailurePlan& a, const sim::FailurePlan& b) {
  if (a.size() != b.size()) return false;
  for (auto i = a.begin(), j = b.begin(); i != a.end(); ++i, ++j) {
    if (i->first != j->first || i->second.Code != j->second.Code ||
        i->second.After != j->second.After) {
      return false;
    }
  }
  return true;
}

bool SameHost(const sim::Host& a, const sim::Host& b) {
  if (a.VersionQueryFails != b.VersionQueryFails || a.MajorVersion != b.MajorVersion ||
      a.MinorVersion != b.MinorVersion || a.BuildNumber != b.BuildNumber ||
      a.KeyExists != b.KeyExists || a.AccessDenied != b.AccessDenied) {
    return false;
  }
  if (a.Values.size() != b.Values.size()) return false;
  for (auto i = a.Values.begin(), j = b.Values.begin(); i != a.Values.end(); ++i, ++j) {
    if (i->first != j->first || i->second.Type != j->second.Type ||
        i->second.Data != j->second.Data) {
      return false;
    }
  }
  if (a.Instances.size() != b.Instances.size()) return false;
  for (size_t i = 0; i < a.Instances.size(); ++i) {
    const sim::WmiInstance& x = a.Instances[i];
    const sim::WmiInstance& y = b.Instances[i];
    if (x.ClassName != y.ClassName || x.Properties.size() != y.Properties.size()) return false;
    for (size_t k = 0; k < x.Properties.size(); ++k) {
      if (x.Properties[k].first != y.Properties[k].first ||
          !SameValue(x.Properties[k].second, y.Properties[k].second)) {
        return false;
      }
    }
  }
  if (!SamePlan(a.Failures, b.Failures)) return false;
  if (a.SequenceFailures.size() != b.SequenceFailures.size()) return false;
  for (auto i = a.SequenceFailures.begin(), j = b.SequenceFailures.begin();
       i != a.SequenceFailures.end(); ++i, ++j) {
    if (i->first != j->first || !SamePlan(i->second, j->second)) return false;
  }
  return true;
}

// Lines as the parse counts them: every line feed ends one, and text after the last line
// feed is one more.
size_t LineCount(const std::string& text) {
  size_t lines = 0;
  for (char c : text) lines += c == '\n';
  if (!text.empty() && text.back() != '\n') ++lines;
  return lines;
}

// The first `lines` lines of the text, each with its line feed.
std::string FirstLines(const std::string& text, size_t lines) {
  size_t end = 0;
  for (size_t seen = 0; seen < lines && end < text.size(); ++end) {
    if (text[end] == '\n') ++seen;
  }
  return text.substr(0, end);
}

// The line number of "fuzz.host:<line>: ...", or 0 when the message does not start so.
size_t ReportedLine(const std::string& error) {
  const std::string prefix = std::string(kFileName) + ":";
  if (error.compare(0, prefix.size(), prefix) != 0) return 0;
  size_t i = prefix.size();
  size_t line = 0;
  size_t digits = 0;
  while (i < error.size() && error[i] >= '0' && error[i] <= '9' && digits < 12) {
    if (digits == 0 && error[i] == '0') return 0;  // no leading zeros, and no line 0
    line = line * 10 + static_cast<size_t>(error[i] - '0');
    ++i;
    ++digits;
  }
  if (digits == 0 || error.compare(i, 2, ": ") != 0) return 0;
  return line;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);

  sim::Host host;
  std::string error = kUntouched;
  const bool accepted = sim::ParseHostText(text, kFileName, &host, &error);

  sim::Host again;
  std::string againError = kUntouched;
  const bool acceptedAgain = sim::ParseHostText(text, kFileName, &again, &againError);
  Require(accepted == acceptedAgain, "parsing the same text twice gives the same answer");

  if (accepted) {
    Require(error == kUntouched, "an accepted text leaves the error message alone");
    Require(SameHost(host, again), "parsing the same text twice gives the same machine");
    return 0;
  }

  Require(error == againError, "parsing the same text twice gives the same message");
  const size_t line = ReportedLine(error);
  Require(line >= 1, "a refusal starts with \"fuzz.host:<line>: \"");
  Require(line <= LineCount(text), "the refused line is a line of the text");
  Require(error.find('\n') == std::string::npos, "a refusal is one line");

  // The parse reads line by line: the lines before the refused one are acceptable on their
  // own, and the text cut after the refused line is refused with the same message.
  sim::Host prefixHost;
  std::string prefixError = kUntouched;
  Require(sim::ParseHostText(FirstLines(text, line - 1), kFileName, &prefixHost, &prefixError),
          "the lines before the refused line are accepted");
  Require(!sim::ParseHostText(FirstLines(text, line), kFileName, &prefixHost, &prefixError),
          "the text up to the refused line is refused");
  Require(prefixError == error, "the text up to the refused line gets the same message");
  return 0;
}
