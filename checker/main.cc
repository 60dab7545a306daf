// TessivMemoryChecker: checks where the Tessiv DMA driver's reserved high-memory area lies
// against the installed memory and the PCI address space, and offers better settings.
#include "checker/run.h"
#include "output/standard_output.h"
#include "platform/process_setup.h"

int main(int argc, char** argv) {
  StartPlatform();
  const int exitStatus = RunChecker(argc, argv);
  FlushStandardOutput();
  FinishPlatform(exitStatus);
  return exitStatus;
}
