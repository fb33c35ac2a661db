// Whole-file reads and writes, and the folders the program uses.
#pragma once

#include <string>

namespace bridgit {

// False and the operating system's error code when the file cannot be read.
bool ReadWholeFile(const std::string& path, std::string& bytes, int& errorCode);

// Writes beside the target under a temporary name and renames it over the
// target only when every byte is written: a reader never sees half a file, and
// a failure leaves any older file of that name untouched.
bool WriteFileSafely(const std::string& path, const std::string& bytes, int& errorCode);

// The folder of the running program, without a trailing slash.
std::string ProgramFolder();
// The system's temporary folder, with a trailing slash.
std::string TempFolder();
// A calculator-side file shipped with the program (archive programs, the server
// library): beside the program, else in the installed data folder. Empty when
// found in neither.
std::string FindShippedFile(const std::string& name);

// The extension of a path's last component, with its dot, in lower case
// ("PIC.JPEG" -> ".jpeg"; "" when there is none).
std::string LowerExtension(const std::string& path);

// The last component of a path ("/home/u/LST.zq" -> "LST.zq"; "\\" also separates).
std::string FileNamePart(const std::string& path);

// The last component of a path, with every character that file names forbid
// made safe ("/dev/pts/3" -> "3").
std::string SafeFileNamePart(const std::string& path);

}  // namespace bridgit
