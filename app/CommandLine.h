#pragma once

// Whether the arguments name a command (or ask for the commands' help): the program then runs
// without a window.
bool IsCommandLine(int argc, char* argv[]);
// Runs the command and returns the program's exit status.
int RunCommandLine(int argc, char* argv[]);
