// The instruction prompt dialog's contents for each kind: the texts for both
// calculator entry modes and which buttons show. Pure data: the window, the
// command line and the tests share it.
#pragma once

#include <string>
#include <string_view>

#include "host/prompt_kinds.h"

namespace bridgit {

namespace texts {
inline constexpr std::string_view kPromptCaption = "Set the Calculator";
inline constexpr std::string_view kRestoredCaption = "Wait for the Calculator";
inline constexpr std::string_view kAnotherCaptureCaption = "Do Another Capture?";
inline constexpr std::string_view kPromptGroup = "Show prompts for a calculator in";
inline constexpr std::string_view kPromptAlg = "ALG Mode";
inline constexpr std::string_view kPromptRpn = "RPN Mode";
inline constexpr std::string_view kPromptOk = "OK";
inline constexpr std::string_view kPromptConnect = "Connect";
}  // namespace texts

// The instructions of a kind in the given entry mode (CR LF line ends). Kind 0
// and unknown kinds have none: the caller supplies the text.
std::string_view PromptText(int kind, bool rpn);

// How a prompt of a kind looks.
struct TPromptShape {
  std::string text;        // the memo's text
  std::string caption;     // the dialog's caption
  std::string okCaption;   // "OK" or "Connect"
  bool okVisible = true;   // hidden for the modeless kinds
  bool okCentred = false;  // when there is no Cancel
  bool cancelVisible = true;
  bool modeChoice = true;  // the ALG/RPN group
  bool modeless = false;
};

// `questionText` is the text of kind 0; a non-empty `caption` replaces the
// kind's own caption.
TPromptShape ShapePrompt(int kind, bool rpn, const std::string& questionText, const std::string& caption);

}  // namespace bridgit
