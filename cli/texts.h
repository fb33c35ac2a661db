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

// A pull or push stopped by Ctrl+C.
inline constexpr std::string_view kCancelled = "cancelled";

// --- pull and push: a calculator folder mirrored as a PC folder.
inline std::string MirrorNoFolder(const std::string& folder) { return "no folder " + folder + " on the calculator"; }
inline constexpr std::string_view kMirrorNoChecksums =
    "the calculator did not return the checksums of its objects (its BYTES command): nothing was changed";
inline constexpr std::string_view kMirrorCalcChanged =
    "the calculator's memory changed while it was read: nothing was changed; run the command again";
inline std::string MirrorOtherFolder(const std::string& dir, const std::string& mirrored, const std::string& asked) {
  return dir + " mirrors the calculator folder " + mirrored + ", not " + asked;
}
inline std::string MirrorBadState(const std::string& file) {
  return file + " is not a mirror state file of this program: move it away or give another folder";
}
inline std::string MirrorClash(const std::string& key) {
  return "two files hold the variable " + key + " (a .txt and a .zq): keep one";
}
inline std::string MirrorConflicts(std::size_t n) {
  return std::to_string(n) + " conflict(s): those objects were left as they are on both sides";
}
inline std::string MirrorThroughLink(const std::string& path) {
  return path + " is a link or leads out of the mirror: nothing is written or deleted through it; "
                "replace it with a folder or a file of its own";
}
inline std::string MirrorFailures(std::size_t n) { return std::to_string(n) + " object(s) could not be moved"; }
// One line of what was done or found, on standard output; `dry` for -n.
inline std::string MirrorDone(bool dry, const std::string& verb, const std::string& past, const std::string& what) {
  return (dry ? "would " + verb : past) + " " + what;
}
inline std::string MirrorConflictLine(const std::string& what) {
  return "conflict: " + what + " changed on both sides (--force-pc or --force-calc decides)";
}
inline std::string MirrorDeletedConflictLine(const std::string& what, bool onCalc) {
  return std::string("conflict: ") + what + " deleted on the " + (onCalc ? "calculator" : "PC") +
         " and changed on the other side (--force-pc or --force-calc decides)";
}
inline std::string MirrorFolderClashLine(const std::string& what) {
  return "conflict: " + what + " is a folder on one side and a variable on the other";
}
inline std::string MirrorDeletedLine(const std::string& what, bool onCalc, bool thisCommandDeletes) {
  return std::string("deleted on the ") + (onCalc ? "calculator: " : "PC: ") + what +
         (thisCommandDeletes ? " (--delete deletes it " + std::string(onCalc ? "here)" : "on the calculator)")
                             : onCalc ? " (pull --delete deletes it here)" : " (push --delete deletes it on the calculator)");
}
inline std::string MirrorChangedLine(const std::string& what, bool onCalc) {
  return std::string("changed on the ") + (onCalc ? "calculator: " : "PC: ") + what +
         (onCalc ? " (pull fetches it)" : " (push sends it)");
}
inline std::string MirrorUnchangedAfterPut(const std::string& what) {
  return what + " was sent but the calculator kept its object as it was (a syntax error in the text, or a text "
                "that compiles to the same object); it still counts as changed on the PC (pull --force-calc "
                "takes the calculator's)";
}
inline std::string MirrorNotACalcName(const std::string& what) {
  return what + ": not a name the calculator takes (skipped)";
}
inline std::string MirrorNoCalcFolder(const std::string& what) {
  return what + ": its folder is missing on the calculator (skipped; push --force-pc makes it again)";
}
inline std::string MirrorNoHeader(const std::string& what, const std::string& example) {
  return what + " lacks the header line that a text file for the calculator begins with, for example " + example +
         " (skipped)";
}
inline std::string MirrorNotSent(const std::string& what) { return "could not send " + what + " (skipped)"; }
inline std::string MirrorNotStored(const std::string& what) {
  return what + " was sent but the calculator did not store it (a syntax error in the text?)";
}
// Progress on standard error: objects and bytes so far.
inline std::string MirrorProgress(const char* command, std::size_t object, std::size_t objects, unsigned long long bytes,
                                  unsigned long long total, const std::string& what) {
  return std::string(command) + ": object " + std::to_string(object) + "/" + std::to_string(objects) + ", " +
         std::to_string(bytes) + "/" + std::to_string(total) + " bytes: " + what;
}

}  // namespace bridgit::cli::texts
