// The console on Windows: a console control handler for Ctrl+C, UTF-8 output,
// and a read of the answer line that an interrupt cancels.
#include <windows.h>
#include <shellapi.h>

#include <atomic>
#include <cstdio>

#include "base/console.h"
#include "base/win_text.h"

namespace bridgit {

namespace {

void (*g_onInterrupt)(int) = nullptr;
std::atomic<int> g_interrupts{0};
// Set, and left set, by WakeLineReader.
HANDLE g_wake = nullptr;

// The same numbers as the POSIX signals, so the exit codes are the same:
// 130 after Ctrl+C, 143 when the console window is closed or Windows ends.
BOOL WINAPI OnControl(DWORD event) {
  const bool interrupt = event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT;
  if (interrupt && ++g_interrupts > 1) return FALSE;  // the second one: the default action, the program ends
  if (g_onInterrupt) g_onInterrupt(interrupt ? 2 : 15);
  return TRUE;
}

}  // namespace

bool IsTerminal(TStream stream) {
  const DWORD which = stream == TStream::kInput ? STD_INPUT_HANDLE : stream == TStream::kOutput ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE;
  DWORD mode = 0;
  return ::GetConsoleMode(::GetStdHandle(which), &mode) != 0;
}

std::vector<std::string> ProgramArguments(int argc, char** argv) {
  int n = 0;
  LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &n);
  if (!wide) return {argv, argv + argc};
  std::vector<std::string> arguments;
  for (int i = 0; i < n; ++i) arguments.push_back(Narrow(wide[i]));
  ::LocalFree(wide);
  return arguments;
}

void PrepareConsole() {
  // The program's texts are UTF-8; a console shows them as such only when told.
  ::SetConsoleOutputCP(CP_UTF8);
  ::SetConsoleCP(CP_UTF8);
  // The progress line is redrawn with the terminal escape sequences.
  for (const DWORD which : {STD_OUTPUT_HANDLE, STD_ERROR_HANDLE}) {
    const HANDLE h = ::GetStdHandle(which);
    DWORD mode = 0;
    if (::GetConsoleMode(h, &mode)) ::SetConsoleMode(h, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
  }
}

void CatchInterrupts(void (*onInterrupt)(int signal)) {
  g_onInterrupt = onInterrupt;
  ::SetConsoleCtrlHandler(OnControl, TRUE);
}

void PrepareLineReader() {
  if (!g_wake) g_wake = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
}

std::optional<std::string> ReadTerminalLine() {
  const HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
  std::string line;
  for (;;) {
    if (g_wake && ::WaitForSingleObject(g_wake, 0) == WAIT_OBJECT_0) return std::nullopt;
    char chunk[256];
    DWORD got = 0;
    if (!::ReadFile(input, chunk, sizeof chunk, &got, nullptr) || got == 0) {
      // Ctrl+C ends a console read with nothing before the handler has run on
      // its own thread: give it a moment, so the interrupt is seen as one.
      if (g_wake) ::WaitForSingleObject(g_wake, 200);
      return std::nullopt;
    }
    line.append(chunk, got);
    if (line.find('\n') != std::string::npos) return line;
  }
}

void WakeLineReader() {
  if (!g_wake) return;
  ::SetEvent(g_wake);
  // A read already waiting on the console is cancelled.
  ::CancelIoEx(::GetStdHandle(STD_INPUT_HANDLE), nullptr);
}

}  // namespace bridgit
