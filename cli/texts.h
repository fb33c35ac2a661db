// Texts that bridgit-cli writes on standard error beside the session's own:
// the hints after a failed connection and the answers given for the person.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace bridgit::cli::texts {

inline constexpr std::string_view kProgram = "bridgit-cli: ";

// The line of --version that says where the calculator-side files were found.
inline std::string CalcFilesLine(const std::string& folder) {
  return "Calculator files: " + (folder.empty() ? std::string("not found") : folder);
}

// After the options of --help; no line starts with a space, so that a reader
// of the help's columns does not take one for a command.
inline constexpr std::string_view kExitCodes =
    "Exit codes: 0 done, 1 failed (one line on standard error says why), 2 a usage error,\n"
    "130 stopped by Ctrl+C, 143 stopped by SIGTERM.\n"
    "Global options may also follow the command. bridgit-cli COMMAND --help shows a command's options.";

// A word in the command's place that is no command; `nearest` may be empty.
inline std::string UnknownCommand(const std::string& word, const std::string& nearest) {
  return std::string(kProgram) + "unknown command " + word + (nearest.empty() ? "" : "; did you mean " + nearest + "?") + "\n";
}

// After a usage error with no command given.
inline std::string ShortUsage(const std::vector<std::string>& commands) {
  std::string text = "Usage: bridgit-cli [OPTIONS] COMMAND [ARGUMENTS]\nCommands:";
  for (const std::string& c : commands) text += " " + c;
  return text + "\nbridgit-cli --help describes the options and the commands.\n";
}
// How the person acts on a hint here.
inline constexpr const char* kSetSpeed = "or give --speed";
inline constexpr const char* kListPorts = "bridgit-cli ports --all lists every port and why it cannot be opened.";
// The prompt's last line speaks of the dialog's button, which a terminal lacks;
// what the command line says instead: it goes on by itself.
inline constexpr std::string_view kPromptWaitLine =
    "Then wait: bridgit-cli goes on when the calculator starts (Ctrl+C stops).";

// A question the person was not asked: what was answered for them and why.
inline constexpr std::string_view kAnsweredYes = "answered yes (--yes)";
inline constexpr std::string_view kAnsweredNo = "answered no (no terminal to ask; --yes answers yes)";

// A text file without its header line: what it lacks, and what yes does.
inline std::string NoHeaderLines(const std::string& example) {
  return "It lacks the header line that a text file for the calculator begins with, for example:\r" + example +
         "\rYes (or --yes) sends it as text all the same.";
}

// A command stopped by Ctrl+C while it asked a question.
inline constexpr const char* kInterrupted = "interrupted";
// --no-replace: a name the calculator already has is left alone, as asked.
inline std::string SkippedExisting(const std::string& name) { return "skipped " + name + " (exists)"; }

// --- pull and push: what the command reports at the end.
inline std::string MirrorConflicts(std::size_t n) {
  return std::to_string(n) + " conflict(s): those objects were left as they are on both sides";
}
inline std::string MirrorFailures(std::size_t n) { return std::to_string(n) + " object(s) could not be moved"; }

}  // namespace bridgit::cli::texts
