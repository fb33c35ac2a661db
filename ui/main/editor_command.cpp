#include "ui/main/editor_command.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <atomic>

namespace bridgit::ui {

namespace {

std::atomic<int> quickReturnMs{2000};

// What is known of an editor, by program name. `wait` holds the flags that
// keep a graphical editor's process until the file's window closes: the first
// is added unless one of them is given already. `flip` holds the switches that
// make it the other kind (emacs -nw runs in the terminal, vim -g in a window).
struct TEditorInfo {
  const char* name;
  bool terminal;
  const char* wait;
  const char* flip;
  bool searched;  // looked for on PATH when nothing names an editor
};

const TEditorInfo kEditors[] = {
    // Graphical editors that hand a file to an instance already running unless told to wait.
    {"gnome-text-editor", false, "--standalone -s", "", true},
    {"gedit", false, "--wait -w", "", true},
    {"kate", false, "--block -b", "", true},
    {"mousepad", false, "--disable-server", "", true},
    {"geany", false, "--new-instance -i", "", false},
    {"gvim", false, "--nofork -f", "", false},
    {"code", false, "--wait -w", "", false},
    {"code-oss", false, "--wait -w", "", false},
    {"codium", false, "--wait -w", "", false},
    {"subl", false, "--wait -w", "", false},
    {"atom", false, "--wait -w", "", false},
    {"zed", false, "--wait -w", "", false},
    {"zeditor", false, "--wait -w", "", false},
    // Graphical editors whose process stays with its window (or has no flag for it).
    {"kwrite", false, "", "", true},
    {"xed", false, "", "", true},
    {"pluma", false, "", "", true},
    {"featherpad", false, "", "", true},
    {"leafpad", false, "", "", true},
    {"l3afpad", false, "", "", false},
    {"xedit", false, "", "", false},
    {"emacs", false, "", "-nw --no-window-system", false},
    {"emacsclient", false, "", "-t -nw --tty", false},
    // Terminal editors.
    {"vi", true, "", "", false},
    {"vim", true, "--nofork -f", "-g", false},
    {"vim.basic", true, "", "", false},
    {"vim.tiny", true, "", "", false},
    {"vim.nox", true, "", "", false},
    {"vim.gtk3", true, "--nofork -f", "-g", false},
    {"nvim", true, "", "", false},
    {"nvi", true, "", "", false},
    {"elvis", true, "", "", false},
    {"vile", true, "", "", false},
    {"ex", true, "", "", false},
    {"ed", true, "", "", false},
    {"nano", true, "", "", false},
    {"rnano", true, "", "", false},
    {"pico", true, "", "", false},
    {"micro", true, "", "", false},
    {"joe", true, "", "", false},
    {"jmacs", true, "", "", false},
    {"jstar", true, "", "", false},
    {"jpico", true, "", "", false},
    {"rjoe", true, "", "", false},
    {"ne", true, "", "", false},
    {"mcedit", true, "", "", false},
    {"jed", true, "", "", false},
    {"mg", true, "", "", false},
    {"zile", true, "", "", false},
    {"kak", true, "", "", false},
    {"hx", true, "", "", false},
    {"helix", true, "", "", false},
    {"vis", true, "", "", false},
    {"dte", true, "", "", false},
    {"tilde", true, "", "", false},
    {"le", true, "", "", false},
    {"mle", true, "", "", false},
};

// Terminal emulators and the arguments that come before the command they run.
// x-terminal-emulator takes -e and the command's words (Debian's rule for it);
// gnome-terminal and xfce4-terminal are told not to return at once.
struct TTerminalInfo {
  const char* name;
  const char* before;
};
const TTerminalInfo kTerminals[] = {
    {"x-terminal-emulator", "-e"},
    {"gnome-terminal", "--wait --"},
    {"konsole", "-e"},
    {"xfce4-terminal", "--disable-server -x"},
    {"mate-terminal", "-x"},
    {"terminator", "-x"},
    {"alacritty", "-e"},
    {"kitty", ""},
    {"foot", ""},
    {"wezterm", "start --"},
    {"urxvt", "-e"},
    {"xterm", "-e"},
};

QStringList Words(const char* list) { return QString::fromLatin1(list).split(' ', Qt::SkipEmptyParts); }

const TEditorInfo* KnownEditor(const QString& program) {
  const QString name = QFileInfo(program).fileName();
  for (const TEditorInfo& e : kEditors)
    if (name == QLatin1String(e.name)) return &e;
  return nullptr;
}

const TTerminalInfo* KnownTerminal(const QString& program) {
  const QString name = QFileInfo(program).fileName();
  for (const TTerminalInfo& t : kTerminals)
    if (name == QLatin1String(t.name)) return &t;
  return nullptr;
}

bool HasAny(const QStringList& args, const QStringList& flags) {
  for (const QString& f : flags)
    if (args.contains(f)) return true;
  return false;
}

// The full path of a program named on a command line; empty when there is none.
QString FindProgram(const QString& program) {
  if (program.contains('/')) {
    const QFileInfo info(program);
    return info.isFile() && info.isExecutable() ? info.absoluteFilePath() : QString();
  }
  return QStandardPaths::findExecutable(program);
}

// $TERMINAL (a program, perhaps with arguments), else the first terminal of
// the table found on PATH. Empty when there is none.
QStringList TerminalCommand() {
  QStringList command = QProcess::splitCommand(qEnvironmentVariable("TERMINAL"));
  if (!command.isEmpty()) {
    if (const QString path = FindProgram(command.first()); !path.isEmpty()) {
      const TTerminalInfo* known = KnownTerminal(path);
      command.first() = path;
      return command << Words(known ? known->before : "-e");
    }
  }
  for (const TTerminalInfo& t : kTerminals)
    if (const QString path = QStandardPaths::findExecutable(t.name); !path.isEmpty()) return QStringList{path} << Words(t.before);
  return {};
}

}  // namespace

TEditorLaunch EditorLaunch(const QString& setting, const QString& file) {
  TEditorLaunch launch;
  QStringList command;
  // What an unknown program is taken for: $EDITOR traditionally names a
  // terminal editor and $VISUAL one for the screen of the desktop.
  bool unknownInTerminal = false;
  if (!setting.trimmed().isEmpty()) {
    launch.editor = setting;
  } else {
#ifdef _WIN32
    launch.editor = "Notepad.exe";
#else
    if (const QString visual = qEnvironmentVariable("VISUAL"); !visual.trimmed().isEmpty()) {
      launch.editor = visual;
    } else if (const QString editor = qEnvironmentVariable("EDITOR"); !editor.trimmed().isEmpty()) {
      launch.editor = editor;
      unknownInTerminal = true;
    } else {
      for (const TEditorInfo& e : kEditors)
        if (e.searched && !QStandardPaths::findExecutable(e.name).isEmpty()) {
          launch.editor = e.name;
          break;
        }
    }
#endif
  }
  command = QProcess::splitCommand(launch.editor);
  if (command.isEmpty()) {
    launch.problem = TEditorLaunch::kNoEditor;
    return launch;
  }
  const QString program = command.takeFirst();
  QStringList args = command;
  bool inTerminal = unknownInTerminal;
  if (const TEditorInfo* known = KnownEditor(program)) {
    inTerminal = known->terminal != HasAny(args, Words(known->flip));
    const QStringList wait = Words(known->wait);
    if (!inTerminal && !wait.isEmpty() && !HasAny(args, wait)) args.prepend(wait.first());
  }
  args << file;
  if (!inTerminal) {
    launch.program = program;
    launch.arguments = args;
    return launch;
  }
  // The terminal runs the editor by its full path: a missing editor is told
  // here, not in a terminal window that closes at once.
  const QString path = FindProgram(program);
  if (path.isEmpty()) {
    launch.problem = TEditorLaunch::kNoEditor;
    return launch;
  }
  QStringList terminal = TerminalCommand();
  if (terminal.isEmpty()) {
    launch.problem = TEditorLaunch::kNoTerminal;
    return launch;
  }
  launch.inTerminal = true;
  launch.program = terminal.takeFirst();
  launch.arguments = terminal << path << args;
  return launch;
}

QString CommandWord(const QString& word) {
  bool plain = !word.isEmpty();
  for (const QChar c : word) plain = plain && !c.isSpace() && c != '"';
  if (plain) return word;
  // Inside quotes splitCommand reads three quotes as one.
  return '"' + QString(word).replace("\"", "\"\"\"") + '"';
}

int EditorQuickReturnMs() { return quickReturnMs; }
void SetEditorQuickReturnMs(int ms) { quickReturnMs = ms; }

}  // namespace bridgit::ui
