// Texts and error codes at the edge of the Windows API. The program keeps its
// texts in UTF-8; Windows takes and gives file names in UTF-16. Included only
// by Windows code (base/*_win.cpp, link/win32_*).
#pragma once

#include <string>

namespace bridgit {

std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& utf16);

// The error number (errno's kind) that stands for a Windows error code, so
// that messages read as on every other system ("No such file or directory").
int ErrnoFromWindows(unsigned long windowsError);

}  // namespace bridgit
