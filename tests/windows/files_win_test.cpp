// The file layer on Windows, on a real file system (Wine's in the tests).
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <set>

#include "base/files.h"
#include "base/win_text.h"
#include "calcdata/escapes.h"

namespace bridgit {
namespace {

namespace fs = std::filesystem;

std::set<std::string> NamesIn(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& e : fs::directory_iterator(fs::path(Widen(folder)))) names.insert(Narrow(e.path().filename().wstring()));
  return names;
}

// First in this program: the folder must be made under the TMP set here.
TEST(WindowsFiles, ThePrivateFolderIsUnderTmpAndMadeAgainWhenRemoved) {
  const std::string tmp = Narrow((fs::temp_directory_path() / "bridgit-tmp").wstring());
  fs::create_directories(fs::path(Widen(tmp)));
  ::SetEnvironmentVariableW(L"TMP", Widen(tmp).c_str());
  const std::string first = TempFolder();
  EXPECT_EQ(first.substr(0, tmp.size() + 1), tmp + "\\");
  fs::remove_all(fs::path(Widen(first)));
  const std::string second = TempFolder();
  EXPECT_NE(second, first);
  EXPECT_TRUE(fs::is_directory(fs::path(Widen(second))));
}

TEST(WindowsFiles, ReplacingAFileKeepsItsAttributesAndItsBytes) {
  const std::string path = TempFolder() + "LST.zq";
  int error = 0;
  ASSERT_TRUE(WriteFileSafely(path, "first", error)) << error;
  ::SetFileAttributesW(Widen(path).c_str(), FILE_ATTRIBUTE_HIDDEN);
  ASSERT_TRUE(WriteFileSafely(path, "line\nnext\n", error)) << error;
  std::string back;
  ASSERT_TRUE(ReadWholeFile(path, back, error));
  EXPECT_EQ(back, "line\nnext\n");
  EXPECT_EQ(fs::file_size(fs::path(Widen(path))), 10u);  // binary: no CR added
  EXPECT_TRUE(::GetFileAttributesW(Widen(path).c_str()) & FILE_ATTRIBUTE_HIDDEN);
  EXPECT_EQ(NamesIn(TempFolder()), std::set<std::string>{"LST.zq"});
}

// A calculator name that is a device name of Windows or holds a character
// Windows refuses still becomes a file of its own, under the name shown.
TEST(WindowsFiles, CaretNamesOfDevicesAndRefusedCharactersAreFiles) {
  const std::string folder = TempFolder() + "names\\";
  ASSERT_TRUE(::CreateDirectoryW(Widen(folder).c_str(), nullptr));
  std::vector<std::string> stems = {"CON", "PRN", "AUX", "NUL", "con"};
  for (char n = '1'; n <= '9'; ++n) stems.insert(stems.end(), {std::string("COM") + n, std::string("LPT") + n});
  std::vector<std::string> names;
  for (const std::string& stem : stems) names.insert(names.end(), {stem, stem + ".zq"});
  for (char c : std::string("\\/:*?\"<>|")) names.push_back(std::string("A") + c + "B");
  names.insert(names.end(), {"A.", "B ", ".."});
  std::set<std::string> files;
  for (const std::string& name : names) {
    const std::string file = EncodeEscapes(name, TEscapeMode::kCaret);
    int error = 0;
    ASSERT_TRUE(WriteFileSafely(folder + file, name, error)) << file;
    files.insert(file);
  }
  EXPECT_EQ(NamesIn(folder), files);
}

}  // namespace
}  // namespace bridgit
