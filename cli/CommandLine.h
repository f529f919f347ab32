#pragma once

// Whether the program runs without a window: the window takes no arguments, so any argument
// is a command, a question (help, version) or a mistake the command line reports.
bool IsCommandLine(int argc);
// Runs the command and returns the program's exit status.
int RunCommandLine(int argc, char* argv[]);
