// Edit as Text with outside editors that behave as real ones do: editors that
// hand the file to a running instance and return at once, terminal editors,
// puts that fail, and an editor chosen with Browse whose path holds a space.
// The editors are shell scripts written here; the window runs offscreen
// against the simulated calculator and is driven with the mouse and keys.

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "base/files.h"
#include "gui/window_fixture.h"
#include "ui/main/editor_command.h"

namespace fs = std::filesystem;

namespace bridgit {
namespace {

using test::Slurp;
using test::WaitUntil;

constexpr char kSavedPrompt[] = "Press OK when you have saved your changes in the editor";
class EditAsText : public test::TWindowTest {
 protected:
  void SetUp() override {
    TWindowTest::SetUp();
    for (const char* name : {"VISUAL", "EDITOR", "TERMINAL"}) ::unsetenv(name);
    // Every editor here returns sooner than this, however slow the machine.
    ui::SetEditorQuickReturnMs(3600 * 1000);
    fs::create_directories(bin);
  }
  void TearDown() override {
    for (const char* name : {"VISUAL", "EDITOR", "TERMINAL"}) ::unsetenv(name);
    ::setenv("PATH", path_.c_str(), 1);
    ui::SetEditorQuickReturnMs(quick_);
    TWindowTest::TearDown();
  }

  std::string Script(const fs::path& path, const std::string& body) {
    fs::create_directories(path.parent_path());
    // Each run leaves a line, so that a test knows the editor ran.
    std::ofstream(path) << "#!/bin/sh\necho \"$0\" >> '" << (dir / "runs") << "'\n" << body;
    fs::permissions(path, fs::perms::owner_all);
    return path.string();
  }
  // A click on the item (unless it is selected already: a click then renames
  // it), then Ctrl+E in the list, as a person edits it.
  void EditWithCtrlE(const QString& name) {
    Activate(window.get());  // the status windows of the last command took the activation with them
    if (!Item(name)->isSelected() || !list->hasFocus()) ClickItem(list, Item(name));
    ASSERT_EQ(Selected(), QStringList{name});
    Press(Qt::Key_E, Qt::ControlModifier);
  }
  // What the edits so far left: the editor's runs, the boxes shown, A's value
  // on the calculator, and whether the edit file is still there.
  std::string After() {
    const std::string log = Slurp(dir / "runs"), dump = Dump();
    const std::size_t a = dump.find("HOME/A Real 11 ");
    return std::to_string(std::count(log.begin(), log.end(), '\n')) + " runs, " + std::to_string(boxes.boxTexts.size()) +
           " boxes, A " + (a == std::string::npos ? "?" : dump.substr(a + 15, dump.find('\n', a) - a - 15)) +
           (fs::exists(Edited()) ? ", file kept" : ", file gone");
  }
  // The edit file lives in the process's private scratch folder.
  std::string Edited() const { return fs::path(TempFolder()) / "A.txt"; }

  const fs::path bin = dir.path() / "bin";
  const std::string path_ = ::getenv("PATH");
  const int quick_ = ui::EditorQuickReturnMs();
};

// Runs `step` when a message box with `text` comes up, before anyone answers it.
class TOnBox : public QObject {
 public:
  TOnBox(const QString& text, std::function<void()> step) : text_(text), step_(std::move(step)) { qApp->installEventFilter(this); }
  ~TOnBox() override { qApp->removeEventFilter(this); }
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (auto* box = qobject_cast<QMessageBox*>(watched); box && event->type() == QEvent::Show && box->text() == text_) step_();
    return false;
  }

 private:
  QString text_;
  std::function<void()> step_;
};

TEST_F(EditAsText, AnEditorIsWaitedForAndAskedAboutOnlyWhenItReturnedAtOnceUnchanged) {
  // Like gedit without --wait: the file goes to a running instance, where the
  // person saves it later; the window waits until the person says saved.
  const fs::path go = dir.path() / "go", done = dir.path() / "done";
  settings->setValue("Editor", QString::fromStdString(Script(bin / "handoff", "(i=0; while [ ! -e '" + go.string() +
                                                                                   "' ] && [ $i -lt 600 ]; do sleep 0.05; i=$((i+1)); done\n"
                                                                                   " sed -i 's/42/43/' \"$1\"; touch '" +
                                                                                   done.string() + "') &\nexit 0\n")));
  Start();
  {
    std::string whileAsking;
    TOnBox person(kSavedPrompt, [&] {
      whileAsking = After();
      std::ofstream(go.string()) << "";
      // Saved in the editor (waited for without serving the window); now OK.
      for (int i = 0; i < 3000 && !fs::exists(done); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
      ASSERT_TRUE(fs::exists(done));
    });
    EditWithCtrlE("A");
    EXPECT_EQ(whileAsking, "1 runs, 0 boxes, A 42., file kept");
    EXPECT_EQ(After(), "1 runs, 1 boxes, A 43., file gone");
    EXPECT_EQ(boxes.boxTexts.back(), kSavedPrompt);
  }
  // Saved: sent, not asked about.
  window->Host().FileSettings().editor = Script(bin / "saver", "sed -i 's/43/44/' \"$1\"\n");
  EditWithCtrlE("A");
  EXPECT_EQ(After(), "2 runs, 1 boxes, A 44., file gone");
  // Back at once, unchanged: asked whether it was saved; nothing is sent.
  window->Host().FileSettings().editor = Script(bin / "quick", "exit 0\n");
  const std::string before = Dump();
  EditWithCtrlE("A");
  EXPECT_EQ(After(), "3 runs, 2 boxes, A 44., file gone");
  EXPECT_EQ(boxes.boxTexts.back(), kSavedPrompt);
  EXPECT_EQ(Dump(), before);
  // Closed without saving after longer than a hand-over takes.
  ui::SetEditorQuickReturnMs(0);
  EditWithCtrlE("A");
  EXPECT_EQ(After(), "4 runs, 2 boxes, A 44., file gone");
  EXPECT_EQ(Dump(), before);

  // Everything but the header line deleted: no object to send; the file
  // stays, as the editor left it, and the message says where.
  window->Host().FileSettings().editor = Script(bin / "wiper", "sed -i '2,$d' \"$1\"\n");
  EditWithCtrlE("A");
  EXPECT_EQ(After(), "5 runs, 4 boxes, A 44., file kept");
  EXPECT_NE(boxes.boxTexts.back().find("Cannot write changes to the calculator."), std::string::npos);
  EXPECT_NE(boxes.boxTexts.back().find(Edited()), std::string::npos) << boxes.boxTexts.back();
  EXPECT_EQ(Slurp(Edited()).find('\n'), Slurp(Edited()).size() - 1);
  // A text the calculator cannot compile is a failed put too, and says why.
  Script(bin / "wiper", "printf '\\\\<< 1 +\\n' >> \"$1\"\n");
  EditWithCtrlE("A");
  EXPECT_EQ(After(), "6 runs, 6 boxes, A 44., file kept");
  EXPECT_NE(boxes.boxTexts[4].find("Syntax Error"), std::string::npos);
  EXPECT_NE(boxes.boxTexts[5].find(Edited()), std::string::npos) << boxes.boxTexts[5];
  EXPECT_NE(Slurp(Edited()).find("<< 1 +"), std::string::npos);
}

TEST_F(EditAsText, ATerminalEditorRunsInTheTerminal) {
  const fs::path record = dir.path() / "terminal-args";
  const std::string terminal = Script(dir.path() / "term" / "my-terminal",
                                      "for a in \"$@\"; do echo \"$a\"; done > '" + record.string() + "'\nshift\nexec \"$@\"\n");
  const std::string vi = Script(bin / "vi", "sed -i 's/42/43/' \"$1\"\n");
  ::setenv("PATH", (bin.string() + ":" + path_).c_str(), 1);
  ::setenv("EDITOR", "vi", 1);
  ::setenv("TERMINAL", terminal.c_str(), 1);
  Start();
  EditWithCtrlE("A");
  EXPECT_EQ(After(), "2 runs, 0 boxes, A 43., file gone");  // the terminal, then the editor in it
  EXPECT_EQ(Slurp(record.string()), "-e\n" + vi + "\n" + Edited() + "\n");

  // $VISUAL names an editor for the desktop: started as it is.
  fs::remove(record);
  ::setenv("VISUAL", Script(bin / "visual", "sed -i 's/43/44/' \"$1\"\n").c_str(), 1);
  EditWithCtrlE("A");
  EXPECT_EQ(After(), "3 runs, 0 boxes, A 44., file gone");
  EXPECT_FALSE(fs::exists(record));

  // No terminal anywhere: said so, and the file stays.
  ::unsetenv("VISUAL");
  ::unsetenv("TERMINAL");
  ::setenv("PATH", bin.string().c_str(), 1);
  EditWithCtrlE("A");
  EXPECT_EQ(After(), "3 runs, 1 boxes, A 44., file kept");
  EXPECT_NE(boxes.boxTexts[0].find("Cannot start the editor (vi)"), std::string::npos) << boxes.boxTexts[0];
  EXPECT_NE(boxes.boxTexts[0].find("TERMINAL"), std::string::npos);
}

TEST_F(EditAsText, BrowsedEditorWithASpaceInItsPathStarts) {
  const std::string editor = Script(dir.path() / "my editors" / "edit it", "sed -i 's/42/43/' \"$1\"\n");
  Start();
  // The file dialog: the path typed into its name field, then Open.
  QTimer files;
  QObject::connect(&files, &QTimer::timeout, [&] {
    if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget()); dialog && dialog->isVisible())
      AnswerFileDialog(dialog, QString::fromStdString(editor), QDialogButtonBox::Open);
  });
  files.start(200);
  QString stored;
  boxes.When("FOptions", [&](QWidget* options) {
    QTest::mouseClick(options->findChild<QAbstractButton*>("btnBrowseEditor"), Qt::LeftButton);
    stored = options->findChild<QLineEdit*>("edtEditor")->text();
    QTest::mouseClick(options->findChild<QAbstractButton*>("btnOK"), Qt::LeftButton);
  });
  ChooseFromMenu('v', "mnuView", "mnuOptions");
  ASSERT_TRUE(WaitUntil([&] { return boxes.Done() && !QApplication::activeModalWidget(); }));
  EXPECT_EQ(QProcess::splitCommand(stored), QStringList{QString::fromStdString(editor)}) << stored.toStdString();
  EXPECT_EQ(window->Host().FileSettings().editor, stored.toStdString());
  EditWithCtrlE("A");
  EXPECT_EQ(After(), "1 runs, 0 boxes, A 43., file gone");
}

TEST_F(EditAsText, CommandWordsAndTables) {
  // A word comes back whole from the splitting of the command line.
  for (const QString word : {"/opt/My Editor/edit", "/usr/bin/gedit", "/a \"quoted\" name", "tab\there"})
    EXPECT_EQ(QProcess::splitCommand(ui::CommandWord(word)), QStringList{word}) << word.toStdString();
  EXPECT_EQ(ui::CommandWord("/usr/bin/gedit"), "/usr/bin/gedit");
  // Graphical editors are told to wait, once; a hand-typed command line keeps its words.
  for (const auto& [command, flag] : std::vector<std::pair<const char*, const char*>>{
           {"gedit", "--wait"}, {"gedit -w", "-w"}, {"kate", "--block"}, {"gnome-text-editor", "--standalone"}})
    EXPECT_EQ(ui::EditorLaunch(command, "/t/A.txt").arguments, (QStringList{flag, "/t/A.txt"})) << command;
  const ui::TEditorLaunch typed = ui::EditorLaunch("\"/opt/My Editor/edit\" --line 3", "/t/A.txt");
  EXPECT_EQ(typed.program, "/opt/My Editor/edit");
  EXPECT_EQ(typed.arguments, (QStringList{"--line", "3", "/t/A.txt"}));
  EXPECT_FALSE(typed.inTerminal);
}

}  // namespace
}  // namespace bridgit
