// One run of the checker, from the command line to the exit status.
#pragma once

// Returns the exit status: 0 under -autoupdate, otherwise the run's result code.
int RunChecker(int argc, char** argv);
