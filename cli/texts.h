// Texts that bridgit-cli writes on standard error beside the session's own:
// the hints after a failed connection and the answers given for the person.
#pragma once

#include <string>
#include <string_view>

namespace bridgit::cli::texts {

inline constexpr std::string_view kProgram = "bridgit-cli: ";
inline constexpr std::string_view kHint = "hint: ";
// Lines under a hint are indented by this.
inline constexpr std::string_view kHintIndent = "  ";
// The prompt's last line speaks of the dialog's button, which a terminal lacks.
inline constexpr std::string_view kPromptButtonLine = "Press OK below";

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

// A command stopped by Ctrl+C while it asked a question.
inline constexpr const char* kInterrupted = "interrupted";

}  // namespace bridgit::cli::texts
