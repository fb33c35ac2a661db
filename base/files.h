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

// The same, throwing "cannot read|write PATH: reason" on a failure.
std::string ReadOrFail(const std::string& path);
void WriteOrFail(const std::string& path, const std::string& bytes);

// What separates the folders of a path on this system.
#ifdef _WIN32
inline constexpr const char* kPathSeparators = "/\\";
#else
inline constexpr const char* kPathSeparators = "/";
#endif

// Opens a file as a descriptor of the C library, in binary mode and not
// inherited by programs started later: for reading, or created (emptied) for
// writing. -1 and the error number (errno's kind) when that fails.
enum class TOpenFor { kReading, kWriting };
int OpenFileDescriptor(const std::string& path, TOpenFor mode, int& errorCode);

// Creates the temporary sibling a file is written into before it is renamed
// over `path`: a new file under a name nobody can guess, never opened through
// a link, with the permissions of the file it will replace. The open
// descriptor, or -1 and the error number.
int CreateTemporarySibling(const std::string& path, std::string& tempPath, int& errorCode);
// The name CreateTemporarySibling uses: beside `path`, within the length a
// file name may have.
std::string TemporarySiblingName(const std::string& path);
// Puts the written temporary sibling in the place of `path` in one step; the
// replaced file's attributes stay. False and the error number on a failure.
bool ReplaceWithSibling(const std::string& tempPath, const std::string& path, int& errorCode);
// Removes a file, if it is there.
void RemoveFileQuietly(const std::string& path);

// The folder of the running program, without a trailing slash.
std::string ProgramFolder();
// This process's own folder for scratch, clipboard, drag and edit files, with
// a trailing slash: made on first use inside the system's temporary folder,
// readable by its owner only, removed with everything in it when the program
// ends. Throws std::runtime_error when it cannot be made.
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

// ": " and the system's own text for the error number `error`, to follow a
// file name in a message ("...: No space left on device").
std::string ErrorSuffix(int error);
// The error number and the system's own text for it, for messages that give
// the number: "2 (No such file or directory)".
std::string ErrorCodeText(int error);

}  // namespace bridgit
