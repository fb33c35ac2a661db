// bridgit-cli as a process against bridgit-calcsim.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/calcsim_process.h"
#include "support/object_builder.h"
#include "support/pty_pair.h"

namespace bridgit {
namespace {

// A capture: once the program says that it waits for the screen (its first
// line on standard error), the person sends the screen from the calculator.
test::TRun Capture(test::TCalcSim& sim, const std::vector<std::string>& args) {
  int err[2];
  if (::pipe(err) != 0) return {};
  test::TChildProcess cli(args, "", {-1, -1, err[1]});
  ::close(err[1]);
  test::TRun r;
  for (char c; ::read(err[0], &c, 1) == 1;)
    if ((r.err += c) .back() == '\n' && std::count(r.err.begin(), r.err.end(), '\n') == 1) sim.Control("screen page");
  ::close(err[0]);
  r.code = cli.Wait(30000);
  return r;
}

// The terminal as another program sees it: every setting, the speed, and
// whether it is held exclusively.
std::string TtyState(int fd) {
  termios t{};
  int exclusive = -1;
  ::tcgetattr(fd, &t);
  ::ioctl(fd, TIOCGEXCL, &exclusive);
  std::ostringstream s;
  s << t.c_iflag << ' ' << t.c_oflag << ' ' << t.c_cflag << ' ' << t.c_lflag << ' ' << std::string(t.c_cc, t.c_cc + NCCS)
    << ' ' << cfgetispeed(&t) << ' ' << cfgetospeed(&t) << ' ' << exclusive;
  return s.str();
}

// The exit code and standard error in one text, so that one check holds both.
std::string CodeErr(const test::TRun& r) { return std::to_string(r.code) + " " + r.err; }

std::string ErrorLine(const std::string& port) {
  return "bridgit-cli: Error (The connectivity kit is unable to open communications to:" + port + ")\n";
}

class Cli : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(sim.PcPath().empty()); }
  test::TRun Cli_(std::vector<std::string> args) { return test::RunProgram(test::CliLine(sim.PcPath(), args), work.path().string()); }
  std::string Dump() { return sim.Control("dump"); }
  test::TCalcSim sim{{"--model", "71GII", "--speed", "115200"}};
  test::TTempDir work;
};

TEST_F(Cli, GetPutAndChange) {
  // A file replaced by a get keeps its permissions; no temporary file is left.
  std::ofstream(work / "A.zq") << "old";
  const auto rw = std::filesystem::perms::owner_read | std::filesystem::perms::owner_write;
  std::filesystem::permissions(work / "A.zq", rw);
  test::TRun r = Cli_({"get", "A", "WORK/NOTE", "\\->SPEED"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(std::filesystem::file_size(work / "A.zq"), 8u + 11u);
  EXPECT_EQ(std::filesystem::status(work / "A.zq").permissions() & std::filesystem::perms::all, rw);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(work.path()), {}), 3);
  EXPECT_TRUE(std::filesystem::exists(work / "NOTE.zq"));
  EXPECT_TRUE(std::filesystem::exists(work / "^141SPEED.zq"));
  EXPECT_EQ(CodeErr(Cli_({"get", "PROG", "--text", "-o", work / "p.txt"})), "0 ");
  EXPECT_EQ(test::Slurp(work / "p.txt"), "%%ZQ: T(3)A(D)F(.);\n\\<< DUP * \\>>\n");

  std::filesystem::copy_file(work / "A.zq", work / "B.zq");
  EXPECT_EQ(CodeErr(Cli_({"put", work / "B.zq", "--to", "WORK"})), "0 ");
  EXPECT_NE(Dump().find("HOME/WORK/B Real 11 42."), std::string::npos);
  EXPECT_EQ(CodeErr(Cli_({"--yes", "put", work / "p.txt"})), "0 ");  // a text put asks; --yes answers
  EXPECT_NE(Dump().find("HOME/p RPL 10 \\<< DUP * \\>>"), std::string::npos);

  EXPECT_EQ(Cli_({"mkdir", "WORK/NEW"}).code, 0);
  EXPECT_EQ(Cli_({"mv", "WORK/B", "C"}).code, 0);
  EXPECT_EQ(Cli_({"rm", "A", "WORK/NEW"}).code, 0);
  const std::string dump = Dump();
  EXPECT_NE(dump.find("HOME/WORK/C Real"), std::string::npos);
  EXPECT_EQ(dump.find("HOME/WORK/NEW/"), std::string::npos);
  EXPECT_EQ(dump.find("HOME/A "), std::string::npos);
  EXPECT_EQ(CodeErr(Cli_({"mv", "PROG", "LST"})), "1 bridgit-cli: LST already exists in this folder.\n");

  // A long text travels through a scratch file. Another user of the machine
  // plants a link at the name it had in the shared temporary folder: the text
  // arrives, the link's target is untouched, and nothing is left behind.
  test::TTempDir shared;
  std::ofstream(work / "victim") << "mine";
  const std::string planted = "$$$a" + std::filesystem::path(sim.PcPath()).filename().string();
  std::filesystem::create_symlink(work / "victim", shared / planted);
  std::ofstream(work / "LONG.txt") << "%%ZQ: T(3)A(D)F(.);\n\"" << std::string(400, 'x') << "\"\n";
  std::vector<std::string> args = test::CliLine(sim.PcPath(), {"put", work / "LONG.txt"});
  args.insert(args.begin(), {"/usr/bin/env", "TMPDIR=" + shared.path().string()});
  r = test::RunProgram(args, work.path().string());
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_NE(Dump().find("HOME/LONG String"), std::string::npos) << Dump();
  EXPECT_EQ(test::Slurp(work / "victim"), "mine");
  std::vector<std::string> left;
  for (const auto& e : std::filesystem::directory_iterator(shared.path())) left.push_back(e.path().filename().string());
  EXPECT_EQ(left, std::vector<std::string>{planted});

  ASSERT_EQ(Cli_({"get", "LST"}).code, 0);
  std::filesystem::resize_file(work / "LST.zq", std::filesystem::file_size(work / "LST.zq") - 3);
  std::ofstream(work / "E.txt") << "%%ZQ: T(3)A(D)F(.);\n";  // a header and no text
  std::ofstream(work / "F.zq", std::ios::binary) << MakeObjectHeader(kFamily71) << std::string(8, '\x11');
  const std::string before = Dump();
  EXPECT_EQ(CodeErr(Cli_({"--quiet", "--yes", "put", work / "LST.zq", work / "E.txt"})),
            "1 Warning: LST\n"
            "Warning: is not a whole calculator object and was not sent.\n"
            "Warning: E\n"
            "Warning: is not a valid text file and cannot be properly sent.\n"
            "bridgit-cli: 2 file(s) not sent\n");
  EXPECT_EQ(Dump(), before);  // a cut-off object is never sent

  // A file of the other family, with nobody at a terminal to ask: the
  // question, and the answer taken for the person, are shown.
  EXPECT_EQ(CodeErr(Cli_({"put", work / "F.zq"})), "1 Wrong File Type?: " + (work / "F.zq") +
                       "\n"
                       "Wrong File Type?: is a ZQ71 file and does not match the calculator.\n"
                       "Wrong File Type?: This may damage the calculator contents.\n"
                       "Wrong File Type?: Do you wish to continue?\n"
                       "Wrong File Type?: answered no (no terminal to ask; --yes answers yes)\n"
                       "bridgit-cli: 1 file(s) not sent\n");
  EXPECT_EQ(Dump().find("HOME/F "), std::string::npos);
  std::ofstream(work / "G.txt") << "1 2 +\n";  // no header: what it lacks, with an example
  r = Cli_({"put", work / "G.txt"});
  EXPECT_NE(r.err.find("for example:\nWrong File Type?: %%ZQ: T(3)A(D)F(.);\n"), std::string::npos) << r.err;

  // Without a terminal nobody can answer a question: a new name is no
  // replacement and goes; an existing one stays, and the answer given is shown.
  std::ofstream(work / "NEWP.txt") << "%%ZQ: T(3)A(D)F(.);\n\\<< 2 * \\>>\n";
  r = Cli_({"put", work / "NEWP.txt"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_NE(Dump().find("HOME/NEWP RPL"), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find("Replace"), std::string::npos) << r.err;

  std::ofstream(work / "NEWP.txt") << "%%ZQ: T(3)A(D)F(.);\n\\<< 3 * \\>>\n";
  r = Cli_({"put", work / "NEWP.txt"});
  EXPECT_NE(r.err.find("Confirm File Replace: Replace NEWP on the calculator?"), std::string::npos) << r.err;
  EXPECT_EQ(r.code, 1) << "a refused question is a file not sent";
  EXPECT_EQ(CodeErr(Cli_({"put", "--no-replace", work / "NEWP.txt"})), "0 skipped NEWP (exists)\n");
  EXPECT_NE(Dump().find("HOME/NEWP RPL 18 \\<< 2. * \\>>"), std::string::npos) << Dump();  // the first one stays

  // A text the calculator cannot compile is no put; nor are bytes sent as text.
  std::ofstream(work / "BAD.txt") << "%%ZQ: T(3)A(D)F(.);\n\\<< 1 +\n";
  std::ofstream(work / "JUNK.zq") << std::string("\x01\x9c{", 3) << std::string(297, '\xe9');
  for (const std::string file : {"BAD.txt", "JUNK.zq"}) {
    r = Cli_({"--yes", "put", work / file});
    EXPECT_EQ(r.code, 1) << file;
    EXPECT_NE(r.err.find("Syntax Error"), std::string::npos) << r.err;
  }
  EXPECT_EQ(Dump().find("HOME/BAD "), std::string::npos);
}

TEST_F(Cli, EvaluationTheStackBackupRestoreAndCapture) {
  // Text from the calculator cannot drive the terminal: escape sequences in a
  // string arrive in the backslash notation.
  test::TRun r = Cli_({"exec", "2 3 \"\\027]0;PWNED\\007\\027[2J\""});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "3: 2.\n2: 3.\n1: \"\\027]0;PWNED\\007\\027[2J\"\n");
  EXPECT_EQ(Cli_({"exec", "DROP"}).out, "2: 2.\n1: 3.\n");
  EXPECT_EQ(Cli_({"eval", "PROG"}).out, "2: 2.\n1: 9.\n");
  EXPECT_EQ(Cli_({"stack"}).out, "2: 2.\n1: 9.\n");
  // A command the calculator refuses fails with its error; the arguments stay.
  const std::vector<std::array<std::string, 3>> refused = {{"1 0 /", "Infinite Result", "4: 2.\n3: 9.\n2: 1.\n1: 0.\n"},
                                                           {"\\<< 1 +", "Invalid Syntax", "4: 2.\n3: 9.\n2: 1.\n1: 0.\n"},
                                                           {"CLEAR DROP", "Too Few Arguments", ""}};
  for (const auto& [text, error, out] : refused) {
    r = Cli_({"exec", text});
    EXPECT_EQ(r.code, 1) << text;
    EXPECT_EQ(r.err, "bridgit-cli: Error: " + error + "\n");
    EXPECT_EQ(r.out, out);
  }
  EXPECT_EQ(Cli_({"exec", "1 \"A\\010B\\009\""}).code, 0) << "an earlier error is not this command's";
  EXPECT_EQ(Cli_({"exec", "IFERR 1 0 / THEN DROP2 END"}).code, 0) << "an error the command trapped is no failure";
  r = Cli_({"stack", "--json"});
  EXPECT_EQ(r.out, "[\n {\"level\": 2, \"object\": \"1.\"},\n"
                   " {\"level\": 1, \"object\": \"\\\"A\\nB\\\\009\\\"\"}\n]\n");

  EXPECT_EQ(CodeErr(Cli_({"backup", work / "calc.zqbackup"})), "0 ");
  EXPECT_GT(std::filesystem::file_size(work / "calc.zqbackup"), 100u);
  Cli_({"rm", "A"});
  // Without a terminal or --yes the erase question is answered no, and shown.
  const std::string question = "Erase Calculator?: Erase the calculator's memory and restore " + (work / "calc.zqbackup") + "?\n";
  EXPECT_EQ(CodeErr(Cli_({"restore", work / "calc.zqbackup"})),
            "1 " + question + "Erase Calculator?: answered no (no terminal to ask; --yes answers yes)\nbridgit-cli: restore declined\n");
  EXPECT_EQ(Dump().find("HOME/A Real"), std::string::npos);
  EXPECT_EQ(CodeErr(Cli_({"--yes", "restore", work / "calc.zqbackup"})), "0 " + question + "Erase Calculator?: answered yes (--yes)\n");
  EXPECT_NE(Dump().find("HOME/A Real 11 42."), std::string::npos);

  for (const char* name : {"s.JPG", "s.Png"}) {
    r = Capture(sim, test::CliLine(sim.PcPath(), {"--wait", "10", "capture", "-o", work / name}));
    EXPECT_EQ(r.code, 0) << r.err;
  }
  const test::TRun djpeg = test::RunProgram({"/usr/bin/djpeg", "-pnm", work / "s.JPG"});
  EXPECT_TRUE(djpeg.out.starts_with("P6\n262 128\n")) << djpeg.out.substr(0, 20);
  EXPECT_EQ(test::Slurp(work / "s.Png").substr(0, 4), "\x89PNG");
  // A name it cannot save under is refused before the calculator is waited for.
  EXPECT_EQ(CodeErr(Cli_({"capture", "-o", work / "s.gif"})),
            "1 bridgit-cli: A screen capture is saved as .bmp, .jpg or .png, not as .gif.\n");
}

TEST_F(Cli, InfoListingBadInputAndCtrlCDuringAQuestion) {
  // A run leaves the port's settings as it found them (raw still, since the
  // simulator answers through it, but at another speed).
  const int fd = ::open(sim.PcPath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(fd, 0);
  termios t{};
  ::tcgetattr(fd, &t);
  ::cfsetspeed(&t, B38400);
  ::tcsetattr(fd, TCSANOW, &t);
  const std::string before = TtyState(fd);
  test::TRun r = Cli_({"info"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(TtyState(fd), before) << "a successful run changed the terminal";
  ::close(fd);
  EXPECT_NE(r.out.find("Model: ZQ-71GII\n"), std::string::npos);
  EXPECT_NE(r.out.find("Flag -36: clear\nFlag -51: clear\nFree memory: "), std::string::npos) << r.out;
  r = Cli_({"info", "--json"});
  EXPECT_NE(r.out.find("\n \"model\": \"ZQ-71GII\",\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\n \"free_memory\": 2"), std::string::npos) << r.out;
  r = Cli_({"ls"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("WORK/\tDirectory\t"), std::string::npos);
  EXPECT_NE(r.out.find("A\tReal\t11\n"), std::string::npos);
  EXPECT_EQ(r.out.find("WORK/NOTE"), std::string::npos);
  r = Cli_({"ls", "-R"});
  EXPECT_NE(r.out.find("WORK/DEEP/Z\tReal\t11\n"), std::string::npos);
  r = Cli_({"ls", "HOME/WORK", "--json"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("{\"name\": \"NOTE\", \"path\": \"NOTE\", \"type\": \"String\", \"size\": 16, \"folder\": false}"),
            std::string::npos)
      << r.out;
  EXPECT_EQ(CodeErr(Cli_({"ls", "NOWHERE"})), "1 bridgit-cli: no folder NOWHERE\n");

  EXPECT_EQ(Cli_({"frobnicate"}).code, 2);
  EXPECT_EQ(Cli_({"get"}).code, 2);
  // The usage, not only an error; a global option may follow the command.
  const test::TRun bare = test::RunProgram({BRIDGIT_CLI});
  EXPECT_EQ(bare.code, 2);
  EXPECT_NE(bare.err.find("\nSubcommands:\n"), std::string::npos);
  EXPECT_EQ(test::RunProgram({BRIDGIT_CLI, "--port"}).code, 2);
  EXPECT_NE(test::RunProgram({BRIDGIT_CLI, "help", "ls"}).out.find("Usage: bridgit-cli ls "), std::string::npos);
  EXPECT_EQ(test::RunProgram({BRIDGIT_CLI, "help", "lx"}).code, 2);
  r = Cli_({"lst"});
  EXPECT_TRUE(r.code == 2 && r.err.starts_with("bridgit-cli: unknown command lst; did you mean ls?\nUsage: ")) << r.err;
  EXPECT_NE(test::RunProgram({BRIDGIT_CLI, "--help"}).out.find("=115200"), std::string::npos);
  EXPECT_TRUE(test::RunProgram({BRIDGIT_CLI, "--version"}).out.starts_with("bridgit-cli "));
  r = test::RunProgram({BRIDGIT_CLI, "ls", "--port", sim.PcPath(), "WORK", "--speed", "115200"});
  EXPECT_NE(r.out.find("NOTE\tString"), std::string::npos) << r.err;
  // A file that cannot be read is refused before the port is opened.
  EXPECT_EQ(CodeErr(Cli_({"put", work / "missing.zq"})),
            "1 bridgit-cli: cannot read " + (work / "missing.zq") + ": No such file or directory\n");
  EXPECT_EQ(Cli_({"restore", work / "x.zqbackup"}).code, 1);
  EXPECT_EQ(CodeErr(Cli_({"get", "NOSUCH"})), "1 bridgit-cli: no variable NOSUCH\n");
  r = Cli_({"get", "A", "-o", work / "no/dir/A.zq"});
  EXPECT_EQ(r.err, "bridgit-cli: Error (Cannot write file " + (work / "no/dir/A.zq") + ": No such file or directory)\n");
  EXPECT_EQ(CodeErr(test::RunProgram({BRIDGIT_CLI, "--port", work / "no-port", "info"})),
            "1 " + ErrorLine(work / "no-port") + "hint: cannot open " + (work / "no-port") +
                ": No such file or directory. bridgit-cli ports --all lists every port and why it cannot be opened.\n");

  // Ctrl+C while the program waits for an answer on its terminal ends it with
  // 130 (a read restarted after the signal would wait for the answer forever).
  test::TPtyPair terminal;
  ASSERT_FALSE(terminal.path().empty());
  std::ofstream(work / "backup.zqbackup") << "not a backup";
  test::TChildProcess cli(test::CliLine(sim.PcPath(), {"restore", "backup.zqbackup"}), work.path().string(),
                          {terminal.slave(), -1, terminal.slave()});
  std::string seen, more = " ";  // until the question, or nothing more comes
  while (!more.empty() && seen.find("[y/N]") == std::string::npos) seen += more = terminal.Read(1, 30000);
  ASSERT_NE(seen.find("Erase Calculator?"), std::string::npos) << seen;
  cli.Signal(SIGINT);
  EXPECT_EQ(cli.Wait(10000), 130) << "still waiting for the answer after Ctrl+C";
  EXPECT_NE(Dump().find("HOME/A Real"), std::string::npos);  // nothing restored

  ASSERT_EQ(sim.Control("fault garbage@+1"), "ok");  // the version request is answered with garbage
  EXPECT_EQ(CodeErr(Cli_({"info"})), "1 " + ErrorLine(sim.PcPath()) + "hint: the calculator answered on " + sim.PcPath() +
                                         " but the exchange failed: check that the calculator's speed is 115200 (or give "
                                         "--speed) and that the cable sits firmly.\n");
}

// The texts of the server's start keys (RPN wording), as the hint lists them.
const std::string kStartKeys =
    "  To Start Xsrvr on the Calculator:\n"
    "  On the ZQ73G+, ZQ71GII or ZQ73G:\n"
    "     Press right-shift, release, then right-arrow\n"
    "  On the ZQ71G(X):\n"
    "     Press right-shift then LIB then Xsrvr (lib)\n"
    "     Press Xsrvr (command)\n";

// Makes a terminal one that only a group the program's user is not in may
// open. Root opens any device: then the program runs as nobody, with no
// groups, and the terminal is given to the group dialout. Returns the prefix
// that runs a program so, and the group; an empty group when it cannot be done.
std::pair<std::vector<std::string>, std::string> NotOurs(const std::string& path) {
  if (::geteuid() == 0) {
    const struct group* dialout = ::getgrnam("dialout");
    if (::access("/usr/bin/setpriv", X_OK) != 0 || !dialout) return {};
    if (::chown(path.c_str(), 0, dialout->gr_gid) != 0 || ::chmod(path.c_str(), 0660) != 0) return {};
    return {{"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"}, "dialout"};
  }
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return {};
  gid_t groups[256];
  const int n = std::max(::getgroups(256, groups), 0);
  if (::getegid() == st.st_gid || std::find(groups, groups + n, st.st_gid) != groups + n) return {};
  if (::chmod(path.c_str(), 0060) != 0) return {};  // no rights for its owner
  return {{}, ::getgrgid(st.st_gid)->gr_name};
}

// After a failed connection a hint names the likely cause.
class CliHint : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(line.path().empty()); }
  test::TRun Info(const std::string& port, std::vector<std::string> prefix = {}) {
    const std::vector<std::string> cli = test::CliLine(port, {"info"});
    prefix.insert(prefix.end(), cli.begin(), cli.end());
    return test::RunProgram(prefix);
  }
  test::TPtyPair line;
};

TEST_F(CliHint, PermissionDenied) {
  const auto [asOther, groupName] = NotOurs(line.path());
  if (groupName.empty()) GTEST_SKIP() << "no group of " << line.path() << " that the program's user is not in";
  EXPECT_EQ(CodeErr(Info(line.path(), asOther)),
            "1 " + ErrorLine(line.path()) + "hint: you may not open " + line.path() + ": it belongs to the group " + groupName +
                ", which you are not in.\n  Add yourself to it with: sudo usermod -aG " + groupName +
                " $USER\n  then log out and log in again (a new group counts from the next login).\n");

  // Nobody but root may use it: joining its group would not help.
  if (!asOther.empty()) {
    ASSERT_EQ(::chmod(line.path().c_str(), 0600), 0);
    EXPECT_EQ(CodeErr(Info(line.path(), asOther)), "1 " + ErrorLine(line.path()) + "hint: you may not open " + line.path() +
                         ": its owner root, group dialout and mode 0600 do not let you read and write it.\n");
  }
}

TEST_F(CliHint, PortHeldByAnotherProgram) {
  // The same exclusive hold as the program's own.
  const int fd = ::open(line.path().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
  ASSERT_EQ(::ioctl(fd, TIOCEXCL), 0);
  const test::TRun r = Info(line.path());
  ::close(fd);
  const std::string hint = "hint: " + line.path() + " is held by another program, process " + std::to_string(::getpid()) + " (";
  EXPECT_TRUE(r.code == 1 && r.err.starts_with(ErrorLine(line.path()) + hint)) << r.err;
  EXPECT_TRUE(r.err.ends_with("): close it or let it finish, then try again.\n")) << r.err;
}

// `ports --all` tells apart a port that can be opened, one of a group the
// person is not in, one another program holds, and one that is gone; the
// ports that can be opened come first, as plain `ports` lists them.
TEST(CliPorts, AllListsThePortsThatCannotBeOpenedWithTheirReasons) {
  test::TPtyPair free, closed, held;
  ASSERT_FALSE(free.path().empty() || closed.path().empty() || held.path().empty());
  auto [run, group] = NotOurs(closed.path());
  if (group.empty()) GTEST_SKIP() << "no group of " << closed.path() << " that the listing's user is not in";
  run.push_back("/usr/bin/env");
  ASSERT_EQ(::chmod(free.path().c_str(), 0666), 0);
  ASSERT_EQ(::chmod(held.path().c_str(), 0666), 0);
  const int fd = ::open(held.path().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
  test::TTempDir usbRoot;
  std::filesystem::create_directories(usbRoot / "ZQx3G+");  // a device folder without its pipes
  std::filesystem::permissions(usbRoot.path(), std::filesystem::perms::owner_all | std::filesystem::perms::others_read |
                                                   std::filesystem::perms::others_exec);
  const std::string gone = usbRoot / "gone";
  run.insert(run.end(), {"BRIDGIT_EXTRA_PORTS=" + free.path() + ":" + closed.path() + ":" + held.path() + ":" + gone,
                         "BRIDGIT_USB_ROOT=" + usbRoot.path().string(), BRIDGIT_CLI, "ports"});
  const test::TRun plain = test::RunProgram(run);
  run.push_back("--all");
  const test::TRun all = test::RunProgram(run);
  ::close(fd);
  ASSERT_EQ(all.code, 0) << all.err;
  const std::string comm = test::Slurp("/proc/self/comm");  // this program's name as the kernel keeps it
  // Only the lines of this test's ports: the machine's own come and go.
  auto ours = [&](const std::string& out) {
    std::vector<std::string> lines;
    std::istringstream in(out);
    for (std::string l; std::getline(in, l);)
      for (const std::string& p : {free.path(), closed.path(), held.path(), gone, std::string("ZQx3G+")})
        if (l.starts_with(p + "\t") || l == p) lines.push_back(l);
    return lines;
  };
  EXPECT_EQ(ours(plain.out), std::vector<std::string>{free.path()});
  EXPECT_NE(plain.err.find(" that you may not open: join the group " + group), std::string::npos) << plain.err;
  const std::vector<std::string> expected = {
      free.path(),
      closed.path() + "\tnot yours to open: join the group " + group + " (sudo usermod -aG " + group +
          " $USER, then log in again)",
      held.path() + "\tin use by process " + std::to_string(::getpid()) + " (" + comm.substr(0, comm.find('\n')) + ")",
      "ZQx3G+\tNo such file or directory"};
  EXPECT_EQ(ours(all.out), expected) << all.out;
}

// A failed run too leaves the port's settings as it found them: a cooked
// terminal at 38400 baud, as a login or another program leaves it.
TEST_F(CliHint, NothingFromTheCalculator) {
  termios t{};
  ::tcgetattr(line.slave(), &t);
  t.c_iflag = ICRNL | IXON;
  t.c_oflag = OPOST | ONLCR;
  t.c_lflag = ISIG | ICANON | ECHO | ECHOE | ECHOK | IEXTEN;
  t.c_cflag = (t.c_cflag & ~static_cast<tcflag_t>(CSIZE)) | CS8 | CREAD;
  ::cfsetspeed(&t, B38400);
  ::tcsetattr(line.slave(), TCSANOW, &t);
  const std::string before = TtyState(line.slave());
  EXPECT_EQ(CodeErr(Info(line.path())),
            "1 " + ErrorLine(line.path()) + "hint: nothing at all came from the calculator on " + line.path() +
                ". Is its XModem server running?\n" + kStartKeys +
                "  If it is running, check that the calculator's speed is 115200 (or give --speed).\n");
  EXPECT_EQ(TtyState(line.slave()), before) << "a failed run changed the terminal";
}

// A calculator at another speed hears noise: the connection and the
// calculator's own transfers name the speed. What a message box says reaches
// standard error, warnings even with --quiet.
TEST_F(CliHint, AnotherSpeedTheKermitServerAndADecompileError) {
  test::TCalcSim sim({"--speed", "9600", "--server-speed", "9600"});
  test::TRun r = Info(sim.PcPath());
  EXPECT_TRUE(r.code == 1 && r.err.ends_with("check that the calculator's speed is 115200 (or give --speed).\n")) << r.err;
  r = Capture(sim, test::CliLine(sim.PcPath(), {"--wait", "10", "capture", "-o", sim.dir() / "s.bmp"}, ""));
  EXPECT_TRUE(r.code == 1 && r.err.ends_with("bridgit-cli: no screen received\nhint: the calculator answered on " + sim.PcPath() +
                              " but the exchange failed: check that the calculator's speed is 115200 (or give --speed) "
                              "and that the cable sits firmly.\n"))
      << r.err;

  test::TCalcSim kermit({"--server", "kermit"});
  EXPECT_EQ(CodeErr(Info(kermit.PcPath())),
            "1 Wrong Server: Calculator is using the Kermit Server.\n"
            "Wrong Server: Stop the calculator.\n"
            "Wrong Server: Be sure to release the right-shift before pressing right-arrow.\n" +
                ErrorLine(kermit.PcPath()) +
                "hint: the calculator runs its Kermit server; Bridgit talks to its XModem server. Stop the Kermit "
                "server on the calculator, then start the XModem server:\n" +
                kStartKeys);

  // An upload whose object length cannot be found is written with its
  // padding, and the person is told.
  test::TTempDir mem, work;
  // A list holding an Integer, a type the ZQ71 family lacks: for that family
  // the Integer's payload reads as a string longer than the data.
  TNibbleWriter w;
  w.Put5(test::Prolog("List"));
  w.Put5(test::Prolog("Integer"));
  w.Put5(5 + 10);
  w.Put5(test::Prolog("String"));
  w.Put5(0xFFFFF);
  w.Put5(test::Prolog("Semi"));
  std::ofstream(mem / "ODD.zq", std::ios::binary) << test::ObjectFile(w, kFamily73);
  test::TCalcSim odd({"--memory", mem.path().string(), "--model", "71"});
  ASSERT_EQ(odd.Control("xsend ODD"), "ok");  // waits for the PC's start request
  const std::string file = work / "odd.zq";
  EXPECT_EQ(CodeErr(test::RunProgram(test::CliLine(odd.PcPath(), {"--quiet", "recv", file}, "9600"))),
            "0 Decompile Error: " + file + "\nDecompile Error: Cannot decompile this file.\n"
            "Decompile Error: Length has been left with padding.\nDecompile Error: File may still be ok.\n");
  EXPECT_TRUE(std::filesystem::exists(file));
}

TEST(CliCancel, CtrlCStopsATransferAndLeavesNoFile) {
  test::TTempDir mem, work;
  {
    TNibbleWriter w;  // a 20000-character string: seconds at 9600 baud
    test::PutString(w, std::string(20000, 'z'));
    std::ofstream(mem / "BIG.zq", std::ios::binary) << test::ObjectFile(w);
  }
  test::TCalcSim sim({"--memory", mem.path().string(), "--baud", "9600"});
  test::TChildProcess cli(test::CliLine(sim.PcPath(), {"get", "BIG", "-o", work / "BIG.zq"}, "9600"));
  // Well into the transfer: the program holds the port and has read 1 KiB from it.
  const std::string proc = "/proc/" + std::to_string(cli.pid());
  const std::string port = std::filesystem::canonical(sim.PcPath()).string();
  const auto holdsPort = [&] {
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(proc + "/fd", ec))
      if (std::filesystem::read_symlink(e.path(), ec) == port) return true;
    return false;
  };
  const auto bytesRead = [&] {
    std::ifstream io(proc + "/io");
    std::string key;
    long long n = 0;
    while (io >> key >> n)
      if (key == "rchar:") return n;
    return -1LL;
  };
  for (int i = 0; i < 3000 && !holdsPort(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  const long long opened = bytesRead();
  for (int i = 0; i < 3000 && bytesRead() < opened + 1024; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_GE(bytesRead(), opened + 1024) << "the transfer did not get under way";
  cli.Signal(SIGINT);
  EXPECT_EQ(cli.Wait(30000), 130);
  EXPECT_FALSE(std::filesystem::exists(work / "BIG.zq"));
  EXPECT_TRUE(std::filesystem::is_empty(work.path()));
}

}  // namespace
}  // namespace bridgit
