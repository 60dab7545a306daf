// The standard streams as the C runtime hands them over: standard output in binary mode after
// StartPlatform, standard input in text mode.
#include "platform/process_setup.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <io.h>
#include <stdio.h>

#include <string>
#include <vector>

#include "platform/win32.h"

namespace {

std::string TempFileName(const char* tag) {
  char folder[MAX_PATH];
  GetTempPathA(MAX_PATH, folder);
  return std::string(folder) + "tessiv-" + tag + "-" + std::to_string(GetCurrentProcessId());
}

std::string ReadWholeFile(const std::string& name) {
  std::string bytes;
  FILE* file = fopen(name.c_str(), "rb");
  if (file == nullptr) return bytes;
  int c;
  while ((c = fgetc(file)) != EOF) bytes.push_back(char(c));
  fclose(file);
  return bytes;
}

// Points file descriptor `fd` at `name` for the life of the object.
class RedirectedDescriptor {
 public:
  RedirectedDescriptor(int fd, const std::string& name, int flags) : fd_(fd), saved_(_dup(fd)) {
    int file = _open(name.c_str(), flags, 0600);
    _dup2(file, fd_);
    _close(file);
  }
  ~RedirectedDescriptor() {
    _dup2(saved_, fd_);
    _close(saved_);
  }

 private:
  int fd_;
  int saved_;
};

TEST(ProcessSetupTest, StandardOutputKeepsLineFeedsAsWritten) {
  std::string name = TempFileName("out");
  fflush(stdout);
  {
    RedirectedDescriptor out(_fileno(stdout), name, _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY);
    StartPlatform();
    fputs("a\r\nb\n", stdout);
    fflush(stdout);
    EXPECT_FALSE(StandardOutputIsConsole());
  }
  _setmode(_fileno(stdout), _O_TEXT);
  EXPECT_EQ("a\r\nb\n", ReadWholeFile(name));
  remove(name.c_str());
}

struct InputCase {
  const char* Name;
  std::string Bytes;
  std::vector<int> Expected;  // what successive reads return, ending with -1
};

class StandardInputTest : public testing::TestWithParam<InputCase> {};

TEST_P(StandardInputTest, ReadsBytesInTextMode) {
  const InputCase& c = GetParam();
  std::string name = TempFileName("in");
  FILE* file = fopen(name.c_str(), "wb");
  ASSERT_NE(nullptr, file);
  fwrite(c.Bytes.data(), 1, c.Bytes.size(), file);
  fclose(file);

  std::vector<int> read;
  {
    RedirectedDescriptor in(_fileno(stdin), name, _O_RDONLY | _O_TEXT);
    clearerr(stdin);
    StartPlatform();
    for (size_t i = 0; i < c.Expected.size(); ++i) read.push_back(ReadStandardInputByte());
  }
  clearerr(stdin);
  EXPECT_EQ(c.Expected, read);
  remove(name.c_str());
}

const InputCase InputCases[] = {
    {"Empty", "", {-1}},
    {"LineEndReadsAsOneLineFeed", "y\r\nz", {'y', '\n', 'z', -1}},
    {"ByteAbove127IsUnsigned", "\xE9\xFF", {0xE9, 0xFF, -1}},
};

INSTANTIATE_TEST_SUITE_P(Input, StandardInputTest, testing::ValuesIn(InputCases),
                         [](const testing::TestParamInfo<InputCase>& info) {
                           return std::string(info.param.Name);
                         });

}  // namespace
