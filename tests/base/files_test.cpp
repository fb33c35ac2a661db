// The private temporary folder and the safe writer, checked in child processes
// so that each sees its own first use of the folder and its own exit.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>

#include "base/files.h"
#include "support/temp_dir.h"

namespace bridgit {
namespace {

namespace fs = std::filesystem;
using test::Slurp;

// Runs `body` in a child that ends with exit() (static objects destroyed as at
// a normal end of the program); what it prints to the pipe comes back.
std::string InChild(const std::function<std::string()>& body) {
  int pipeFds[2];
  if (::pipe(pipeFds) != 0) return "pipe failed";
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(pipeFds[0]);
    const std::string said = body();
    if (::write(pipeFds[1], said.data(), said.size()) < 0) std::_Exit(2);
    ::close(pipeFds[1]);
    std::exit(0);
  }
  ::close(pipeFds[1]);
  std::string said;
  char buf[512];
  for (ssize_t r; (r = ::read(pipeFds[0], buf, sizeof buf)) > 0;) said.append(buf, static_cast<std::size_t>(r));
  ::close(pipeFds[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  return said;
}

TEST(TempFolder, IsPrivateToTheProcessMadeAgainWhenRemovedAndGoesWithIt) {
  test::TTempDir shared;
  const std::string said = InChild([&] {
    ::setenv("TMPDIR", shared.path().c_str(), 1);
    const std::string folder = TempFolder();
    std::ofstream(folder + "LST.zq") << "copy of calculator data";
    struct stat st {};
    ::stat(folder.c_str(), &st);
    // A child forked for an editor that ends without exec leaves it alone.
    if (::fork() == 0) std::exit(0);
    ::wait(nullptr);
    const bool kept = fs::exists(folder + "LST.zq");
    const std::string same = TempFolder() == folder ? "same" : "other";
    // A cleaner of old temporary files may remove the folder under a program
    // that runs for weeks: the next use makes a new one instead of failing.
    fs::remove_all(folder);
    const std::string again = TempFolder();
    std::ofstream(again + "LST.zq") << "copy of calculator data";  // the folder goes at the end, full or not
    return folder + "|" + std::to_string(st.st_mode & 07777) + "|" + same + "|" + (kept ? "kept" : "gone") + "|" +
           (fs::is_directory(again) ? "made" : "missing") + (again != folder ? " anew" : " same");
  });
  const std::string folder = said.substr(0, said.find('|'));
  EXPECT_EQ(said.substr(said.find('|')), "|" + std::to_string(0700) + "|same|kept|made anew") << said;
  EXPECT_EQ(fs::path(folder).parent_path().parent_path(), shared.path()) << folder;
  EXPECT_TRUE(fs::is_empty(shared.path())) << "left behind: " << folder;
  EXPECT_NE(InChild([&] {
              ::setenv("TMPDIR", shared.path().c_str(), 1);
              return TempFolder();
            }),
            folder) << "another process has a folder of its own";
}

// A link at the target is replaced, never written through; a name as long as
// the file system takes (255 bytes) is still written through a temporary
// sibling, and nothing else is left in the folder.
TEST(WriteFileSafely, ReplacesALinkAndWritesANameAtTheFileSystemsLimit) {
  test::TTempDir dir, other;
  std::ofstream(dir / "victim") << "mine";
  fs::create_symlink(dir / "victim", dir / "OUT.zq");
  int error = 0;
  ASSERT_TRUE(WriteFileSafely(dir / "OUT.zq", "object", error)) << error;
  EXPECT_FALSE(fs::is_symlink(dir / "OUT.zq"));
  EXPECT_EQ(Slurp(dir / "OUT.zq"), "object");
  EXPECT_EQ(Slurp(dir / "victim"), "mine");
  const std::string name = std::string(252, 'N') + ".zq";
  ASSERT_TRUE(WriteFileSafely(other / name, "object", error)) << std::strerror(error);
  ASSERT_TRUE(WriteFileSafely(other / name, "again", error)) << std::strerror(error);
  EXPECT_EQ(Slurp(other / name), "again");
  EXPECT_EQ(std::distance(fs::directory_iterator(other.path()), fs::directory_iterator()), 1);
  fs::create_directory(other / "dir");
  EXPECT_FALSE(WriteFileSafely(other / "dir", "x", error)) << "a folder in the way";
  EXPECT_EQ(std::distance(fs::directory_iterator(other.path()), fs::directory_iterator()), 2) << "a temporary file was left";
}

}  // namespace
}  // namespace bridgit
