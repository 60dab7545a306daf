#include "output/console_input.h"

#include "output/standard_output.h"
#include "platform/process_setup.h"

namespace {

// One character of look-ahead, shared by both reads, and the end of input once reached:
// after it every read returns at once.
const int NothingPushedBack = -2;
int pushedBack = NothingPushedBack;
bool inputEnded = false;

int NextInputByte() {
  if (pushedBack != NothingPushedBack) {
    int c = pushedBack;
    pushedBack = NothingPushedBack;
    return c;
  }
  if (inputEnded) return EndOfInput;
  int c = ReadStandardInputByte();
  if (c < 0) {
    inputEnded = true;
    return EndOfInput;
  }
  return c;
}

bool IsWhiteSpace(int c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

size_t ReadInputWord(char* buffer, size_t capacity) {
  FlushStandardOutput();
  int c = NextInputByte();
  while (IsWhiteSpace(c)) c = NextInputByte();
  size_t length = 0;
  while (c != EndOfInput && c != '\0' && !IsWhiteSpace(c)) {
    if (capacity > 0 && length < capacity - 1) buffer[length] = static_cast<char>(c);
    ++length;
    c = NextInputByte();
  }
  if (c != EndOfInput) pushedBack = c;
  if (capacity > 0) buffer[length < capacity - 1 ? length : capacity - 1] = '\0';
  return length;
}

int ReadInputChar() {
  // The line just written (the press-enter line) is delivered before the run waits.
  FlushStandardOutput();
  return NextInputByte();
}

void ResetConsoleInput() {
  pushedBack = NothingPushedBack;
  inputEnded = false;
}
