// The texts the mirror writes: its lines on standard output, its progress and
// why a run stopped or an object was skipped.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace bridgit::mirror::texts {

// A pull or push stopped by Ctrl+C.
inline constexpr std::string_view kCancelled = "cancelled";

// --- pull and push: a calculator folder mirrored as a PC folder.
inline std::string MirrorNoFolder(const std::string& folder) { return "no folder " + folder + " on the calculator"; }
inline constexpr std::string_view kMirrorNoChecksums =
    "the calculator did not return the checksums of its objects (its BYTES command): nothing was changed";
inline std::string MirrorOtherFolder(const std::string& dir, const std::string& mirrored, const std::string& asked) {
  return dir + " mirrors the calculator folder " + mirrored + ", not " + asked;
}
inline std::string MirrorBadState(const std::string& file) {
  return file + " is not a mirror state file of this program: move it away or give another folder";
}
inline std::string MirrorClash(const std::string& key) {
  return "two files hold the variable " + key + " (a .txt and a .zq): keep one";
}
inline std::string MirrorThroughLink(const std::string& path) {
  return path + " is a link or leads out of the mirror: nothing is written or deleted through it; "
                "replace it with a folder or a file of its own";
}
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

}  // namespace bridgit::mirror::texts
