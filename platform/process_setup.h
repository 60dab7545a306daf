// What the checker needs from the process around it that differs between Windows and the
// simulated host: preparing the standard streams, reading console input, and the exit status.
#pragma once

// Prepares the process before anything is written. On the simulated host it also loads the
// host description; a host file that cannot be used ends the process here with status 125.
void StartPlatform();

// Called with the run's exit status just before the process returns it.
void FinishPlatform(int exitStatus);

// True when standard output is a console (a terminal), where text must show at once.
bool StandardOutputIsConsole();

// The next character of standard input as an unsigned byte value, or -1 at the end of input.
// A line end typed at the console reads as one line feed, as in Windows text mode.
int ReadStandardInputByte();
