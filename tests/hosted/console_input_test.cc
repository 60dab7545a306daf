#include "output/console_input.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tests/hosted/run_folder.h"

namespace {

std::string StdinPath() { return testing::TempDir() + "tessiv-stdin"; }

std::string Char(int c) { return c == EndOfInput ? "<end>" : std::string(1, static_cast<char>(c)); }

struct InputCase {
  std::string Input;
  size_t Capacity;
  std::string Word;
  size_t Length;
  std::string Next;  // the two characters read after the word
};

const InputCase Cases[] = {
    {"y\n", 40, "y", 1, "\n<end>"},
    {"\n\n  \t y\nmore", 40, "y", 1, "\nm"},
    {"y n\n", 40, "y", 1, " n"},
    {"yes\n", 40, "yes", 3, "\n<end>"},
    {"y\r\nx", 40, "y", 1, "\nx"},  // a console line end reads as one line feed
    {"", 40, "", 0, "<end><end>"},
    {" \n\t", 40, "", 0, "<end><end>"},
    {std::string("ab\0cd", 5), 40, "ab", 2, std::string("\0c", 2)},
    {std::string(60, 'x') + "\nz", 40, std::string(39, 'x'), 60, "\nz"},
    {"abcdef", 4, "abc", 6, "<end><end>"},
    {"abc def", 1, "", 3, " d"},
};

void PrintTo(const InputCase& c, std::ostream* out) {
  *out << testing::PrintToString(c.Input) << " capacity " << c.Capacity;
}

class ReadInput : public testing::TestWithParam<InputCase> {};

TEST_P(ReadInput, WordThenCharacters) {
  const InputCase& c = GetParam();
  ASSERT_NO_FATAL_FAILURE(FeedStandardInput(StdinPath(), c.Input));
  std::string buffer(c.Capacity + 8, '#');
  size_t length = ReadInputWord(&buffer[0], c.Capacity);
  EXPECT_EQ(std::string(buffer.c_str()), c.Word);
  EXPECT_EQ(length, c.Length);
  // Nothing is written beyond the buffer.
  EXPECT_EQ(buffer.substr(c.Capacity), std::string(8, '#'));
  std::string next = Char(ReadInputChar());
  next += Char(ReadInputChar());
  EXPECT_EQ(next, c.Next);
}

INSTANTIATE_TEST_SUITE_P(Table, ReadInput, testing::ValuesIn(Cases));

TEST(ReadInput, EndOfInputStaysEnded) {
  ASSERT_NO_FATAL_FAILURE(FeedStandardInput(StdinPath(), ""));
  char buffer[40];
  EXPECT_EQ(ReadInputWord(buffer, sizeof buffer), 0u);
  EXPECT_EQ(ReadInputChar(), EndOfInput);
  EXPECT_EQ(ReadInputWord(buffer, sizeof buffer), 0u);
  EXPECT_EQ(ReadInputChar(), EndOfInput);
}

}  // namespace
