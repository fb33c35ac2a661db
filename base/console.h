// The console the command line talks through: whether a person is at it,
// answers read from it, and Ctrl+C caught. The same calls on every system.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace bridgit {

enum class TStream { kInput, kOutput, kError };
// True when the stream is a terminal (a person is there), not a file or a pipe.
bool IsTerminal(TStream stream);

// The program's arguments in UTF-8 (on Windows from the UTF-16 command
// line, not from the code page `argv` was converted to).
std::vector<std::string> ProgramArguments(int argc, char** argv);

// Readies the console for the program's texts: UTF-8, and the escape
// sequences the progress line uses.
void PrepareConsole();

// Calls `onInterrupt` with 2 for Ctrl+C and 15 for a request to end (SIGTERM,
// a closed console window), the numbers the exit code is made of. It runs in
// a signal handler or a handler thread: it may only set flags and call
// WakeLineReader. A second Ctrl+C ends the program at once.
void CatchInterrupts(void (*onInterrupt)(int signal));

// Makes the wake-up ready that WakeLineReader uses; call before any
// interrupt may come.
void PrepareLineReader();
// A line typed at the terminal, its line end included; nothing at the end of
// input or once WakeLineReader was called.
std::optional<std::string> ReadTerminalLine();
// Ends the ReadTerminalLine under way, and every later one. Safe in a signal
// handler.
void WakeLineReader();

}  // namespace bridgit
