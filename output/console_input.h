// Console input: the operator's reply word and single characters, read from standard input
// through one shared input buffer.
#pragma once

#include <cstddef>

// Marks the end of input in ReadInputChar's result.
const int EndOfInput = -1;

// Flushes standard output, skips white space, then reads one word: the characters up to the
// next white-space character, NUL or the end of input; the character that ends the word stays
// unread. At most capacity - 1 characters are stored and the word is terminated; the rest of a
// longer word is read and dropped. Returns the length of the whole word as typed.
size_t ReadInputWord(char* buffer, size_t capacity);

// The next character of standard input (a line end too), or EndOfInput.
int ReadInputChar();

// Forgets the look-ahead and a reached end of input, as for a fresh standard input.
void ResetConsoleInput();
