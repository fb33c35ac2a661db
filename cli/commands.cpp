#include "base/utf8_path.h"
#include "cli/commands.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <iostream>
#include <filesystem>
#include <stdexcept>

#include "base/files.h"
#include "calcdata/escapes.h"
#include "calcdata/texts.h"
#include "cli/texts.h"
#include "calcdata/var_name.h"
#include "cli/json_text.h"
#include "session/connect_hint.h"
#include "host/prompt_kinds.h"
#include "link/port_list.h"
#include "link/port_names.h"
#include "picture/screen_picture.h"
#include "session/texts.h"

namespace bridgit::cli {

namespace fs = std::filesystem;

namespace {

constexpr const char* kPortVariable = "BRIDGIT_PORT";

// Calculator text bound for a terminal: control characters (LF kept) in the
// backslash notation, so that the calculator cannot drive the terminal.
std::string Shown(const std::string& text) {
  std::string out;
  for (char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if ((u < 32 && u != '\n') || u == 127)
      out += EncodeEscapes(std::string_view(&c, 1), TEscapeMode::kBackslash);
    else
      out += c;
  }
  return out;
}

// Raw calculator bytes (not yet in PC notation) bound for a terminal.
std::string ShownRaw(const std::string& calc) { return EncodeEscapes(calc, TEscapeMode::kBackslash); }

// A file to send: missing or unreadable is a failure, with the system's reason.
void RequireReadable(const std::string& file) {
  std::error_code ec;
  if (fs::is_directory(Utf8Path(file), ec)) throw std::runtime_error("cannot read " + file + ": " + std::strerror(EISDIR));
  if (std::FILE* f = std::fopen(file.c_str(), "rb"))
    std::fclose(f);
  else
    throw std::runtime_error("cannot read " + file + ": " + std::strerror(errno));
}

}  // namespace

TCommands::TCommands(const TGlobal& global, std::ostream& out)
    : global_(global), out_(out), host_(global.console), server_(host_) {
  server_.Channel().SetSpeed(global_.speed);
  if (global_.port.empty()) {
    const char* env = std::getenv(kPortVariable);
    global_.port = env && *env ? env : std::string(kAutoPortName);
  }
  home_.Name = "HOME";
}

TCommands::~TCommands() {
  host_.FinishProgress();
  try {
    server_.Connect("");
  } catch (...) {
  }
}

void TCommands::Connect() { Attempt(true, [this] { server_.Connect(global_.port); }); }

void TCommands::OpenDirect() {
  if (IsAutoPortName(global_.port)) throw std::runtime_error("this command needs a port: give --port");
  Attempt(false, [this] { server_.OpenDirect(global_.port); });
}

void TCommands::Attempt(bool serverExpected, const std::function<void()>& open) {
  TConnectAttempt attempt = BeginAttempt(serverExpected);
  const std::size_t shown = host_.Messages().size();
  try {
    open();
  } catch (const std::exception& e) {
    if (TConsoleHost::Interrupted()) throw;  // the person stopped it: nothing to explain
    for (std::size_t i = shown; i < host_.Messages().size(); ++i)
      if (host_.Messages()[i].first == bridgit::texts::kWrongServerCaption) attempt.kermitSeen = true;
    std::string hint = ConnectionHint(attempt, global_.port, server_.Channel().Speed(), host_.RPNPrompts(), Words());
    // No port tried could be opened: say if some could not be for lack of rights.
    if (hint.empty() && IsAutoPortName(global_.port)) hint = NotYoursHint(ExaminePorts(), Words());
    if (hint.empty()) throw;
    throw THintedError(e.what(), hint);
  }
}

void TCommands::WriteReceived(const std::string& file) {
  std::string data;
  const bool trimmed = server_.TakeReceivedObject(data);
  WriteOrFail(file, data);
  // Written with its transfer padding: the object's length could not be found.
  if (!trimmed)
    host_.ShowMessage(file + "\r\n" + std::string(bridgit::texts::kDecompileErrorText),
                      std::string(bridgit::texts::kDecompileErrorCaption));
}

void TCommands::List() {
  if (!server_.Channel().IsConnected()) Connect();
  server_.ListAll(home_);
}

TXPObject* TCommands::Find(const std::string& path, TXPObject** folder) {
  const std::vector<std::string> parts = FolderNames(path);
  TXPObject* at = &home_;
  TXPObject* parent = &home_;
  for (const std::string& part : parts) {
    TXPObject* next = nullptr;
    for (const auto& c : at->Children)
      if (c->Name == part) next = c.get();
    if (!next) return nullptr;
    parent = at;
    at = next;
  }
  if (folder) *folder = parent;
  return at;
}

TXPObject& TCommands::Folder(const std::string& path) {
  TXPObject* f = Find(path);
  if (!f || !f->IsDirectory()) throw std::runtime_error("no folder " + (path.empty() ? "HOME" : path));
  return *f;
}

THintWords TCommands::Words() { return {cli::texts::kSetSpeed, cli::texts::kListPorts}; }

void TCommands::Failed(const std::string& what, const TConnectAttempt& attempt) {
  const std::string hint = ExchangeHint(attempt, global_.port, server_.Channel().Speed(), Words());
  if (hint.empty()) throw std::runtime_error(what);
  throw THintedError(what, hint);
}

void TCommands::Ports(bool all) {
  const std::vector<TPortState> ports = ExaminePorts();
  for (const TPortState& port : ports)
    if (port.error == 0) out_ << port.name << "\n";
  if (!all) {
    const std::string hint = NotYoursHint(ports, Words());
    if (!hint.empty()) std::cerr << hint << "\n";
    return;
  }
  for (const TPortState& port : ports)
    if (port.error != 0) out_ << port.name << "\t" << UnusableReason(port.device, port.error) << "\n";
}

void TCommands::Info(bool json) {
  Connect();
  const std::string free = ShownRaw(server_.QueryFreeMemory());
  struct TField {
    const char* label;
    const char* key;
    std::string value;
  };
  const std::vector<TField> fields = {
      {"Port", "port", server_.Channel().PortName()},
      {"Model", "model", "ZQ-" + ShownRaw(host_.DisplayModel())},
      {"Model family", "model_family", ShownRaw(host_.CalculatorModel())},
      {"ROM revision", "rom_revision", ShownRaw(host_.VersionInfo())},
      {"Server", "server", ShownRaw(server_.Channel().Version())},
      {"Flag -36", "flag_36", host_.FlagM36IsSet() ? "set" : "clear"},
      {"Flag -51", "flag_51", host_.DecimalSeparator() == ',' ? "set" : "clear"},
  };
  if (!json) {
    for (const TField& f : fields) out_ << f.label << ": " << f.value << "\n";
    out_ << "Free memory: " << free << " bytes\n";
    return;
  }
  out_ << "{";
  for (const TField& f : fields) out_ << "\n " << JsonText(f.key) << ": " << JsonText(f.value) << ",";
  // A number when the calculator gave one.
  const bool number = !free.empty() && free.find_first_not_of("0123456789") == std::string::npos;
  out_ << "\n \"free_memory\": " << (number ? free : JsonText(free)) << "\n}\n";
}

void TCommands::Ls(const std::string& folder, bool recursive, bool json) {
  List();
  const TXPObject& start = Folder(folder);
  struct TRow {
    std::string path;
    const TXPObject* item;
  };
  std::vector<TRow> rows;
  const std::function<void(const TXPObject&, const std::string&)> walk = [&](const TXPObject& dir, const std::string& prefix) {
    for (const auto& c : dir.Children) {
      rows.push_back({prefix + c->Name, c.get()});
      if (recursive && c->IsDirectory()) walk(*c, prefix + c->Name + "/");
    }
  };
  walk(start, "");
  if (json) {
    out_ << "[";
    for (std::size_t i = 0; i < rows.size(); ++i) {
      const TXPObject& e = *rows[i].item;
      out_ << (i ? ",\n " : "\n ") << "{\"name\": " << JsonText(e.Name) << ", \"path\": " << JsonText(rows[i].path)
           << ", \"type\": " << JsonText(e.IsDirectory() ? "Directory" : e.TypeName) << ", \"size\": " << e.Size
           << ", \"folder\": " << (e.IsDirectory() ? "true" : "false") << "}";
    }
    out_ << "\n]\n";
    return;
  }
  for (const TRow& r : rows)
    out_ << r.path << (r.item->IsDirectory() ? "/" : "") << "\t" << (r.item->IsDirectory() ? "Directory" : r.item->TypeName)
         << "\t" << r.item->Size << "\n";
}

void TCommands::Get(const std::vector<std::string>& names, const std::string& output, bool text) {
  List();
  host_.SetTextMode(text);
  const bool intoFolder = output.empty() || fs::is_directory(Utf8Path(output)) || names.size() > 1;
  for (const std::string& path : names) {
    TXPObject* folder = nullptr;
    TXPObject* item = Find(path, &folder);
    if (!item || item == &home_) throw std::runtime_error("no variable " + path);
    const std::string caret = EncodeEscapes(DecodeEscapes(item->Name, TEscapeMode::kBackslash), TEscapeMode::kCaret);
    const std::string file = intoFolder ? Utf8(Utf8Path(output.empty() ? "." : output) / Utf8Path(caret + (text ? ".txt" : ".zq"))) : output;
    server_.ChangeDir(folder->FullPath());
    const TConnectAttempt attempt = BeginAttempt(true);
    if (!server_.GetToFile(caret, file, item->TypeIcon, item->Size)) Failed("could not fetch " + path, attempt);
    if (!global_.console.quiet) out_ << file << "\n";
  }
}

void TCommands::Put(const std::vector<std::string>& files, const std::string& folder) {
  for (const std::string& file : files) RequireReadable(file);
  List();
  const TXPObject& target = Folder(folder);
  server_.ChangeDir(target.FullPath());
  bool replaceAll = global_.console.replace > 0;
  int failed = 0;
  for (const std::string& file : files) {
    std::string stem = Utf8(Utf8Path(file).filename());
    for (const std::string ext : {".zq", ".txt"})
      if (stem.size() > ext.size() && stem.ends_with(ext)) stem.resize(stem.size() - ext.size());
    const std::string name = EncodeEscapes(DecodeEscapes(stem, TEscapeMode::kCaret), TEscapeMode::kBackslash);
    // Only a name the folder holds is a replacement to ask about.
    bool exists = false;
    for (const auto& child : target.Children) exists = exists || child->Name == name;
    if (!server_.PutFile(name, file, static_cast<int>(files.size()), replaceAll, exists)) ++failed;
  }
  failed += host_.Declined();
  if (failed) throw std::runtime_error(std::to_string(failed) + " file(s) not sent");
}

void TCommands::Rm(const std::vector<std::string>& names) {
  List();
  for (const std::string& path : names) {
    TXPObject* folder = nullptr;
    TXPObject* item = Find(path, &folder);
    if (!item || item == &home_) throw std::runtime_error("no variable " + path);
    server_.ChangeDir(folder->FullPath());
    if (!server_.Purge(item->Name, item->IsDirectory())) throw std::runtime_error("not deleted: " + path);
  }
}

void TCommands::Mkdir(const std::string& path) {
  List();
  std::vector<std::string> parts = FolderNames(path);
  if (parts.empty()) throw std::runtime_error("no folder name");
  const std::string name = parts.back();
  parts.pop_back();
  std::string parent;
  for (const auto& p : parts) parent += p + "/";
  TXPObject& folder = Folder(parent);
  if (!CheckVarName(name, host_)) throw std::runtime_error("not created: " + name);
  server_.ChangeDir(folder.FullPath());
  server_.CreateDir(name);
}

void TCommands::Mv(const std::string& from, const std::string& to) {
  List();
  TXPObject* folder = nullptr;
  TXPObject* item = Find(from, &folder);
  if (!item || item == &home_) throw std::runtime_error("no variable " + from);
  const std::vector<std::string> parts = FolderNames(to);
  if (parts.size() != 1) throw std::runtime_error("the new name is a name in the same folder: " + to);
  if (!CheckVarName(parts[0], host_)) throw std::runtime_error("not renamed");
  server_.ChangeDir(folder->FullPath());
  std::string why;
  if (!server_.Rename(item->Name, parts[0], item->IsDirectory(), folder, &why)) throw std::runtime_error(why);
}

void TCommands::PrintStack(bool json) {
  const std::vector<std::string> lines = server_.ReadStack();
  if (!json) {
    for (const std::string& line : lines) out_ << Shown(line) << "\n";
    return;
  }
  // Each line is "LEVEL: OBJECT".
  out_ << "[";
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::size_t colon = lines[i].find(": ");
    out_ << (i ? ",\n " : "\n ") << "{\"level\": " << lines[i].substr(0, colon)
         << ", \"object\": " << JsonText(Shown(lines[i].substr(colon + 2))) << "}";
  }
  out_ << (lines.empty() ? "]\n" : "\n]\n");
}

void TCommands::RunAndPrint(const std::string& command) {
  std::vector<std::string> stack;
  const std::string error = server_.RunCommand(command, &stack);
  for (const std::string& line : stack) out_ << Shown(line) << "\n";
  if (!error.empty()) throw std::runtime_error(std::string(bridgit::texts::kCalculatorError) + error);
}

void TCommands::Eval(const std::string& path) {
  List();
  TXPObject* folder = nullptr;
  TXPObject* item = Find(path, &folder);
  if (!item || item == &home_) throw std::runtime_error("no variable " + path);
  if (!CheckVarName(item->Name, host_)) throw std::runtime_error("not evaluated");
  server_.ChangeDir(folder->FullPath());
  RunAndPrint(item->Name);
}

void TCommands::Exec(const std::string& text) {
  Connect();
  RunAndPrint(text);
}

void TCommands::Stack(bool json) {
  Connect();
  PrintStack(json);
}

void TCommands::Backup(const std::string& file) {
  List();
  const TConnectAttempt attempt = BeginAttempt(true);
  if (!server_.Backup(file, home_.TotalSize())) Failed("backup not made", attempt);
  WriteReceived(file);
}

void TCommands::Restore(const std::string& file) {
  RequireReadable(file);
  Connect();
  if (!host_.ShowMessagePrompt("Erase the calculator's memory and restore " + file + "?", "Erase Calculator?"))
    throw std::runtime_error("restore declined");
  if (!server_.Restore(file)) throw std::runtime_error("restore failed");
  if (!global_.console.quiet)
    out_ << "Restored. On the calculator: press VAR then run FLAG to restore all flags, and restart the server.\n";
}

void TCommands::Capture(const std::string& file) {
  const std::string name = file.empty() ? "capture.bmp" : file;
  if (const std::string problem = PictureNameProblem(name); !problem.empty()) throw std::runtime_error(problem);
  OpenDirect();
  const TConnectAttempt attempt = BeginAttempt(false);
  host_.ShowPrompt(kPromptCapture, "");
  std::string image;
  server_.CaptureScreen(image);
  host_.HidePrompt(kPromptCapture);
  if (image.empty()) Failed("no screen received", attempt);
  const std::string bytes = EncodePicture(DecodeCapture(image), name, 2);
  if (bytes.empty()) throw std::runtime_error("the picture cannot be encoded for " + name);
  WriteOrFail(name, bytes);
  if (!global_.console.quiet) out_ << name << "\n";
}

void TCommands::Send(const std::string& file) {
  if (!fs::is_regular_file(Utf8Path(file))) throw std::runtime_error("no file " + file);
  OpenDirect();
  host_.ShowPrompt(kPromptDownload, "");
  const bool ok = server_.ManualSend(file);
  host_.HidePrompt(kPromptDownload);
  if (!ok) throw std::runtime_error("not sent");
}

void TCommands::Recv(const std::string& file) {
  OpenDirect();
  host_.ShowPrompt(kPromptUpload, "");
  const TConnectAttempt attempt = BeginAttempt(false);
  if (!server_.ManualReceive(file, 0)) Failed("nothing received", attempt);
  WriteReceived(file);
}

void TCommands::SendServer() {
  const std::string library = FindShippedFile("XSrvr71.zq");
  if (library.empty()) throw std::runtime_error("the server library XSrvr71.zq is not installed beside the program");
  OpenDirect();
  host_.ShowPrompt(kPromptServerDownload, "");
  const bool ok = server_.ManualSend(library);
  host_.HidePrompt(kPromptServerDownload);
  if (!ok) throw std::runtime_error("the server library was not sent");
  host_.ShowPrompt(kPromptServerSent, "");
}

void TCommands::Rom(const std::string& file) {
  if (!fs::is_regular_file(Utf8Path(file))) throw std::runtime_error("no file " + file);
  OpenDirect();
  host_.ShowPrompt(kPromptRom, "");
  if (!server_.SendRom(file)) throw std::runtime_error("the ROM image was not sent");
}

}  // namespace bridgit::cli
