// Whole runs of the checker on the typical simulated machine with hostile or broken input: huge,
// empty and 8-bit arguments, log names that are too long or lead nowhere, and standard input
// that is closed, at its end or full of garbage.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "tests/hosted/run_folder.h"
#include "tests/hosted/sim_fixture.h"
#include "tests/unit/capture.h"
#include "tests/unit/usage_text.h"

namespace {

const char kQuestion[] = "(y/n)\n";
const char kPressEnter[] = "\nPress enter to exit.\n";
const char kFooter[] = "Exiting Kelvor Tessiv memory checker.\n";
const char kVerdict[] = "Kelvor Tessiv is not optimally configured; 256 MB of memory is wasted.\n";
const char kUpdating[] = "Updating Kelvor Tessiv";

// Where the row's standard input comes from and what else the folder holds.
enum class Setting {
  Plain,             // standard input from the row's bytes
  DevNull,           // standard input is /dev/null
  ClosedStdin,       // file descriptor 0 is closed during the run
  HeldLog,           // another process holds held.log open for appending
  UnwritableFolder,  // {unwritable} names a folder the run cannot create files in
};

struct BadInputRow {
  std::string Name;
  Setting How;
  std::vector<std::string> Args;
  std::string Stdin;
  int Status;
  std::optional<std::string> StdoutIs;  // the whole of standard output, byte for byte
  std::vector<std::string> StdoutHas;   // pieces of it, "\n" for CR LF
  std::vector<std::string> StdoutLacks;
  std::string LogPath;  // a file that must exist afterwards and hold LogHas; empty: none
  std::vector<std::string> LogHas;  // "\n" for CR LF
  std::vector<std::string> Absent;  // paths that must not exist afterwards
  size_t Launches = 0;
  std::optional<std::string> StdinLeft = std::nullopt;  // standard input left after the run
};

std::string Repeat(char c, size_t count) { return std::string(count, c); }

// A megabyte of bytes 1 to 255 in a fixed pseudo-random order.
std::string Garbage() {
  std::string bytes;
  uint32_t state = 12345;
  while (bytes.size() < (1u << 20)) {
    state = state * 1103515245u + 12345u;
    const char c = static_cast<char>((state >> 16) % 255 + 1);
    if (bytes.empty() && c == 'y') continue;
    bytes += c;
  }
  return bytes;
}

const std::string kLongName = Repeat('n', 254);  // the 259 characters "long/nnn..."

std::vector<BadInputRow> Rows() {
  const std::vector<std::string> attendedHas = {kQuestion, kPressEnter, kFooter};
  std::vector<BadInputRow> rows = {
      // A switch-like argument of 100 000 bytes: the header echoes it whole, the log file's
      // name is its first 259 characters, lower-cased.
      {"HugeLogArgument",
       Setting::Plain,
       {"-check", "-log:long/" + Repeat('N', 99990)},
       "",
       256,
       "",
       {},
       {},
       "long/" + kLongName,
       {"\n-log:long/" + Repeat('n', 99990) + "\n", kVerdict, kFooter},
       {}},
      {"HugeUnknownArgument",
       Setting::Plain,
       {Repeat('x', 100000)},
       "",
       -7,
       kUsage,
       {},
       {},
       "",
       {},
       {}},
      {"LogNameOf300Characters",
       Setting::Plain,
       {"-check", "-log:long/" + Repeat('n', 295)},
       "",
       256,
       "",
       {},
       {},
       "long/" + kLongName,
       {kVerdict},
       {}},
      // Bytes above 127 stay as they are; only A to Z are lowered.
      {"BytesAbove127InLogName",
       Setting::Plain,
       {"-CHECK", "-LOG:\xC9T\xE9.LOG"},
       "",
       256,
       "",
       {},
       {},
       "\xC3\x89t\xC3\xA9.log",
       {"\n-check\n-log:\xC9t\xE9.log\n"},
       {}},
      {"BytesAbove127Unknown", Setting::Plain, {"-\xC9\xFF"}, "", -7, kUsage, {}, {}, "", {}, {}},
      {"EmptyArgument", Setting::Plain, {""}, "", -7, kUsage, {}, {}, "", {}, {}},
      {"EmptyArgumentAfterLog",
       Setting::Plain,
       {"-log:run.log", ""},
       "",
       -7,
       kUsage,
       {},
       {},
       "",
       {},
       {"run.log"}},
      // A log file that cannot be made: the report is lost silently, the run goes on.
      {"LogFolderMissing",
       Setting::Plain,
       {"-check", "-log:missing/run.log"},
       "",
       256,
       "",
       {},
       {},
       "",
       {},
       {"missing"}},
      {"LogFolderNotWritable",
       Setting::UnwritableFolder,
       {"-check", "-log:{unwritable}/x.log"},
       "",
       256,
       "",
       {},
       {},
       "",
       {},
       {"{unwritable}/x.log"}},
      // Files are shared on this host: the report goes after what the other process wrote,
      // and the other process still writes after it.
      {"LogHeldByAnotherProcess",
       Setting::HeldLog,
       {"-check", "-log:held.log"},
       "",
       256,
       "",
       {},
       {},
       "held.log",
       {"other\nKelvor Tessiv memory checker.\n", kVerdict,
        "-----------------------------\n\nlater\n"},
       {}},
      // Standard input that ends or is closed answers no, and the wait returns at once.
      {"StdinIsDevNull",
       Setting::DevNull,
       {},
       "",
       256,
       std::nullopt,
       attendedHas,
       {kUpdating},
       "",
       {},
       {}},
      {"StdinClosed",
       Setting::ClosedStdin,
       {},
       "",
       256,
       std::nullopt,
       attendedHas,
       {kUpdating},
       "",
       {},
       {}},
      {"MegabyteOfGarbage",
       Setting::Plain,
       {},
       Garbage(),
       256,
       std::nullopt,
       attendedHas,
       {kUpdating},
       "",
       {},
       {}},
      {"MegabyteOfYs",
       Setting::Plain,
       {},
       Repeat('y', 1u << 20) + "\n",
       256,
       std::nullopt,
       attendedHas,
       {kUpdating},
       "",
       {},
       {}},
  };
  // A reply of 10 000 characters is no; the line end after it is taken with it, and the wait
  // for Enter takes its own line end, no more.
  BadInputRow longReply{"ReplyOf10000Characters",
                        Setting::Plain,
                        {},
                        Repeat('y', 10000) + "\n\nrest",
                        256,
                        std::nullopt,
                        attendedHas,
                        {kUpdating},
                        "",
                        {},
                        {}};
  longReply.StdinLeft = "rest";
  rows.push_back(longReply);
  // The same dialogue with a proper yes: the stand-in tool is found and run, so a row above
  // that launches nothing has really been answered no.
  BadInputRow yes{"ReplyY",
                  Setting::Plain,
                  {},
                  "y\n\nrest",
                  256,
                  std::nullopt,
                  {kQuestion, kUpdating, "\nUpdate succeed.\n", kPressEnter, kFooter},
                  {},
                  "",
                  {},
                  {}};
  yes.Launches = 1;
  yes.StdinLeft = "rest";
  rows.push_back(yes);
  return rows;
}

std::string Substituted(std::string text, const std::string& unwritable) {
  const std::string mark = "{unwritable}";
  for (size_t at = text.find(mark); at != std::string::npos; at = text.find(mark)) {
    text.replace(at, mark.size(), unwritable);
  }
  return text;
}

// Another process that holds a file open for appending while the run writes to it.
struct HeldFile {
  pid_t Pid = -1;
  int Go = -1;
};

HeldFile HoldFile(const std::string& path) {
  int ready[2], go[2];
  HeldFile held;
  if (pipe(ready) != 0 || pipe(go) != 0) return held;
  held.Pid = fork();
  if (held.Pid == 0) {
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0666);
    ssize_t ignored = write(fd, "other\r\n", 7);
    ignored = write(ready[1], "r", 1);
    char c;
    ignored = read(go[0], &c, 1);
    ignored = write(fd, "later\r\n", 7);
    (void)ignored;
    _exit(0);
  }
  close(ready[1]);
  close(go[0]);
  char c;
  if (read(ready[0], &c, 1) != 1) held.Pid = -1;
  close(ready[0]);
  held.Go = go[1];
  return held;
}

void ReleaseFile(const HeldFile& held) {
  ssize_t ignored = write(held.Go, "g", 1);
  (void)ignored;
  close(held.Go);
  waitpid(held.Pid, nullptr, 0);
}

class BadInput : public testing::TestWithParam<BadInputRow> {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(EnterRunFolder("bad-input", &run_));
    ASSERT_EQ(mkdir("long", 0755), 0);
    ASSERT_NO_FATAL_FAILURE(WriteStandInTool("exit 0"));
  }
  void TearDown() override {
    ASSERT_NO_FATAL_FAILURE(ReadStandardInputFrom("/dev/null"));
    LeaveRunFolder(run_);
  }
  RunFolder run_;
};

TEST_P(BadInput, RunStaysSound) {
  const BadInputRow& row = GetParam();
  sim::InstallHost(sim::DefaultHost());

  // A folder without write permission does not stop root; a path through a regular file
  // cannot be created by anyone.
  ASSERT_EQ(mkdir("locked", 0555), 0);
  std::string unwritable = "locked";
  if (access("locked", W_OK) == 0) {
    std::ofstream("file.txt") << "text\n";
    unwritable = "file.txt";
  }
  SCOPED_TRACE("unwritable folder: " + unwritable);

  if (row.How == Setting::Plain) {
    ASSERT_NO_FATAL_FAILURE(FeedStandardInput("stdin.txt", row.Stdin));
  } else {
    ASSERT_NO_FATAL_FAILURE(ReadStandardInputFrom("/dev/null"));
  }

  HeldFile held;
  if (row.How == Setting::HeldLog) {
    held = HoldFile("held.log");
    ASSERT_GT(held.Pid, 0);
  }

  std::vector<std::string> args;
  for (const std::string& arg : row.Args) args.push_back(Substituted(arg, unwritable));

  int status = 0;
  const std::string out = CaptureStandardOutput([&] {
    if (row.How == Setting::ClosedStdin) close(0);
    status = RunCheckerWith(args);
  });
  if (row.How == Setting::HeldLog) ReleaseFile(held);
  std::string left;
  for (int c = std::getc(stdin); c != EOF; c = std::getc(stdin)) left += static_cast<char>(c);

  EXPECT_EQ(status, row.Status);
  if (row.StdoutIs) {
    EXPECT_EQ(out, *row.StdoutIs);
  }
  for (const std::string& piece : row.StdoutHas) {
    EXPECT_NE(out.find(CrLf(piece)), std::string::npos) << "standard output lacks: " << piece;
  }
  for (const std::string& piece : row.StdoutLacks) {
    EXPECT_EQ(out.find(CrLf(piece)), std::string::npos) << "standard output holds: " << piece;
  }
  if (!row.LogPath.empty()) {
    const std::optional<std::string> written = ReadFileIfThere(row.LogPath);
    EXPECT_TRUE(written.has_value()) << row.LogPath << " was not written";
    const std::string log = written.value_or("");
    for (const std::string& piece : row.LogHas) {
      EXPECT_NE(log.find(CrLf(piece)), std::string::npos) << "the log lacks: " << piece;
    }
  }
  for (const std::string& path : row.Absent) {
    struct stat info;
    EXPECT_NE(stat(Substituted(path, unwritable).c_str(), &info), 0) << path << " exists";
  }
  if (row.StdinLeft) {
    EXPECT_EQ(left, *row.StdinLeft);
  }

  const sim::Record& record = sim::Recorded();
  EXPECT_EQ(record.Launches.size(), row.Launches);
  EXPECT_EQ(record.OpenHandles, 0);
  EXPECT_EQ(record.OpenKeys, 0);
  EXPECT_EQ(record.LiveComObjects, 0);
  EXPECT_EQ(record.LiveBstrs, 0);
  EXPECT_EQ(record.Misuses, std::vector<std::string>{});
}

// Names the row in failure messages instead of dumping its bytes.
void PrintTo(const BadInputRow& row, std::ostream* out) { *out << row.Name; }

std::string RowName(const testing::TestParamInfo<BadInputRow>& info) { return info.param.Name; }

INSTANTIATE_TEST_SUITE_P(Table, BadInput, testing::ValuesIn(Rows()), RowName);

}  // namespace
