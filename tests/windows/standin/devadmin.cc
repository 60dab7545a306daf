// A stand-in for the management tool, for the launch tests under Windows. What it does is
// chosen by TESSIV_STANDIN, which it inherits from the test: "record" writes the command line
// it was started with to seen.txt and ends; "hang" never ends; "exit259" ends with code 259.
#include <windows.h>

#include <cstdio>
#include <cstring>

int main() {
  char mode[32] = "";
  GetEnvironmentVariableA("TESSIV_STANDIN", mode, sizeof mode);
  if (std::strcmp(mode, "hang") == 0) {
    for (;;) Sleep(1000);
  }
  if (std::strcmp(mode, "exit259") == 0) return 259;
  FILE* seen = std::fopen("seen.txt", "wb");
  if (seen == nullptr) return 2;
  const wchar_t* line = GetCommandLineW();
  for (const wchar_t* c = line; *c; ++c) std::fputc(*c < 128 ? static_cast<char>(*c) : '?', seen);
  std::fclose(seen);
  return 0;
}
