// Console input: the operator's reply word and the single characters after it, read from any
// bytes as standard input. The first three bytes choose the reads: the first word's buffer
// capacity (0 to 64), how many characters are read after it (0 to 7), and the capacity of a
// second word read after those; the rest is standard input. The reads are compared with a
// model of the input as Windows text mode delivers it.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/property.h"
#include "output/console_input.h"

namespace {

const size_t kMaximumCapacity = 64;
const size_t kGuardBytes = 16;
const unsigned char kCanary = 0xA5;

bool IsWhiteSpace(int c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Standard input as the checker sees it: a CR immediately followed by LF reads as one LF,
// every other byte as itself.
std::string AsTextMode(const std::string& bytes) {
  std::string text;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
    text += bytes[i];
  }
  return text;
}

struct ModelInput {
  std::string Text;
  size_t Position = 0;
};

// The whole next word: white space skipped, then everything up to white space, NUL or the
// end; the character that ends it stays unread.
std::string ModelWord(ModelInput& input) {
  const std::string& text = input.Text;
  while (input.Position < text.size() &&
         IsWhiteSpace(static_cast<unsigned char>(text[input.Position]))) {
    ++input.Position;
  }
  std::string word;
  while (input.Position < text.size() && text[input.Position] != '\0' &&
         !IsWhiteSpace(static_cast<unsigned char>(text[input.Position]))) {
    word += text[input.Position++];
  }
  return word;
}

int ModelChar(ModelInput& input) {
  if (input.Position >= input.Text.size()) return EndOfInput;
  return static_cast<unsigned char>(input.Text[input.Position++]);
}

// The stored word must be the start of the whole word, terminated, within capacity - 1
// characters, and free of white space and NUL.
void CheckStoredWord(const char* buffer, size_t capacity, const std::string& word, size_t length) {
  Require(length == word.size(), "ReadInputWord returns the length of the whole word");
  if (capacity == 0) return;
  const size_t stored = word.size() < capacity - 1 ? word.size() : capacity - 1;
  Require(buffer[stored] == '\0', "the stored word is terminated");
  Require(std::strlen(buffer) == stored, "the stored word holds min(length, capacity - 1) chars");
  Require(std::memcmp(buffer, word.data(), stored) == 0, "the stored word starts the input word");
  for (size_t i = 0; i < stored; ++i) {
    Require(!IsWhiteSpace(static_cast<unsigned char>(buffer[i])),
            "the stored word has no white space");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  const size_t firstCapacity = data[0] % (kMaximumCapacity + 1);
  const size_t charsBetween = data[1] % 8;
  const size_t secondCapacity = data[2] % (kMaximumCapacity + 1);
  std::vector<char> bytes(data + 3, data + size);

  FILE* input = fmemopen(bytes.data(), bytes.size(), "r");
  Require(input != nullptr, "standard input can be set up");
  FILE* const originalStdin = stdin;
  stdin = input;
  ResetConsoleInput();

  ModelInput model;
  model.Text = AsTextMode(std::string(bytes.begin(), bytes.end()));

  // Exactly the capacity on the heap: any write beyond it is caught by AddressSanitizer.
  char* first = new char[firstCapacity];
  std::memset(first, kCanary, firstCapacity);
  const size_t firstLength = ReadInputWord(first, firstCapacity);
  const std::string firstWord = ModelWord(model);
  CheckStoredWord(first, firstCapacity, firstWord, firstLength);
  delete[] first;

  Require(ReadInputChar() == ModelChar(model),
          "the character after the word is the one that ended it, or the end of input");
  for (size_t i = 0; i < charsBetween; ++i) {
    Require(ReadInputChar() == ModelChar(model), "ReadInputChar returns the next character");
  }

  // Guard bytes behind the capacity: they must keep their value.
  unsigned char second[kMaximumCapacity + kGuardBytes];
  std::memset(second, kCanary, sizeof second);
  const size_t secondLength = ReadInputWord(reinterpret_cast<char*>(second), secondCapacity);
  const std::string secondWord = ModelWord(model);
  CheckStoredWord(reinterpret_cast<char*>(second), secondCapacity, secondWord, secondLength);
  for (size_t i = secondCapacity; i < sizeof second; ++i) {
    Require(second[i] == kCanary, "nothing is written beyond the buffer's capacity");
  }
  Require(ReadInputChar() == ModelChar(model), "the second word is followed by its end");
  Require(ReadInputChar() == ModelChar(model), "ReadInputChar returns the next character");

  stdin = originalStdin;
  std::fclose(input);
  return 0;
}
