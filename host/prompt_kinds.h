// The instruction prompts: what the user must do on the calculator's keyboard
// before the PC can go on. Callers pass these kinds; the texts and the shape of
// each prompt live in host/prompt_texts.h.
#pragma once

namespace bridgit {

enum TPromptKind : int {
  kPromptQuestion = 0,         // a free yes/no question (text and caption from the caller)
  kPromptServerDownload = 1,   // XRECV of the server library on a 71
  kPromptServerSent = 2,       // how to install the library that was sent
  kPromptCapture = 3,          // first screen capture
  kPromptDownload = 4,         // XRECV of a file
  kPromptDownloaded = 5,       // where the received file went
  kPromptUpload = 6,           // XSEND of an object
  kPromptRom = 7,              // ROM loading mode over USB
  kPromptStartServer = 8,      // start the server before connecting
  kPromptRestored = 9,         // after a restore: reconnect or not
  kPromptAnotherCapture = 10,  // each further screen capture
};

inline constexpr int kPromptKindCount = 11;

// The modeless kinds stay on screen while the PC waits for the calculator to
// begin; the operation polls their visibility.
constexpr bool IsModelessPrompt(int kind) {
  return kind == kPromptServerDownload || kind == kPromptCapture || kind == kPromptDownload || kind == kPromptAnotherCapture;
}

}  // namespace bridgit
