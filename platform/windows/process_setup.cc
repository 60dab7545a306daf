// The process around the checker on Windows: the C runtime's standard streams.
#include "platform/process_setup.h"

#include <fcntl.h>
#include <io.h>
#include <stdio.h>

void StartPlatform() {
  // The checker writes its own CR LF line ends; in text mode the runtime would turn each
  // LF of them into another CR LF. Standard input stays in text mode, so a typed line end
  // reads as one LF.
  _setmode(_fileno(stdout), _O_BINARY);
}

void FinishPlatform(int /*exitStatus*/) {}

bool StandardOutputIsConsole() { return _isatty(_fileno(stdout)) != 0; }

int ReadStandardInputByte() {
  int c = getc(stdin);
  return c == EOF ? -1 : static_cast<int>(static_cast<unsigned char>(c));
}
