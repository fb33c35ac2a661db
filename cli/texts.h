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
inline constexpr std::string_view kHint = "hint: ";
// Lines under a hint are indented by this.
inline constexpr std::string_view kHintIndent = "  ";
// The prompt's last line speaks of the dialog's button, which a terminal lacks.
inline constexpr std::string_view kPromptButtonLine = "Press OK below";
// What the command line says instead: it goes on by itself.
inline constexpr std::string_view kPromptWaitLine =
    "Then wait: bridgit-cli goes on when the calculator starts (Ctrl+C stops).";

// `holder` names the program, "process PID (NAME)", or is empty when unknown.
inline std::string InUseHint(const std::string& path, const std::string& holder) {
  return std::string(kHint) + path + " is held by another program" + (holder.empty() ? "" : ", " + holder) +
         ": close it or let it finish, then try again.";
}

inline std::string HolderText(int pid, const std::string& name) {
  return "process " + std::to_string(pid) + (name.empty() ? "" : " (" + name + ")");
}

// Why `ports --all` lists a port as unusable (after the port and a tab).
inline std::string JoinGroupReason(const std::string& group) {
  return "not yours to open: join the group " + group + " (sudo usermod -aG " + group + " $USER, then log in again)";
}
inline std::string ModeReason(const std::string& owner, const std::string& group, const std::string& mode) {
  return "not yours to open: owner " + owner + ", group " + group + ", mode " + mode;
}
inline std::string InUseReason(const std::string& holder) { return "in use" + (holder.empty() ? "" : " by " + holder); }

// `keys`: the start keys of the calculator's XModem server, one indented line each.
inline std::string NoByteHint(const std::string& port, const std::string& keys) {
  return std::string(kHint) + "nothing at all came from the calculator on " + port +
         ". Is its XModem server running?\n" + keys;
}

inline std::string KermitHint(const std::string& keys) {
  return std::string(kHint) +
         "the calculator runs its Kermit server; Bridgit talks to its XModem server. Stop the Kermit server on the "
         "calculator, then start the XModem server:\n" +
         keys;
}

inline std::string GarbledHint(const std::string& port, const std::string& speed) {
  return std::string(kHint) + "the calculator answered on " + port +
         " but the exchange failed: check that the calculator's speed is " + speed +
         " (or give --speed) and that the cable sits firmly.";
}

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
