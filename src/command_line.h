#pragma once

// The command line of the same binary: `tolvane <command> ...` talks to the running
// program over the session bus and never opens a window or a GUI application object.

// True when the arguments ask for a command (or for the command line's help) rather than
// for the program itself; Qt's own options (-platform ...) still start the program.
bool IsCommandLine(int argc, char **argv);

// Exit codes: 0 done, 1 the program answered with an error, 2 wrong usage, 3 no running
// program.
int RunCommandLine(int argc, char **argv);
