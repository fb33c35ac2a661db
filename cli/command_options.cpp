// The subcommands of TCommands with their arguments and options, in groups.
#include <CLI/CLI.hpp>

#include <iostream>
#include <memory>

#include "cli/commands.h"

namespace bridgit::cli {

namespace {

// `run` made to call `command` on the commands of the global options.
void Bind(std::function<void()>& run, const TGlobal& global, std::function<void(TCommands&)> command) {
  run = [&global, command = std::move(command)] {
    TCommands commands(global, std::cout);
    command(commands);
  };
}

}  // namespace

void AddConnectionCommands(CLI::App& app, const TGlobal& global, std::function<void()>& run) {
  auto all = std::make_shared<bool>(false);
  auto json = std::make_shared<bool>(false);
  CLI::App* ports = app.add_subcommand("ports", "list the ports that can be opened");
  ports->add_flag("--all,-a", *all, "also the ports that exist but cannot be opened, each with the reason");
  ports->callback([&, all] { Bind(run, global, [all](TCommands& c) { c.Ports(*all); }); });
  auto* info = app.add_subcommand("info", "model, ROM revision, flags and free memory");
  info->add_flag("--json", *json, "as a JSON object");
  info->callback([&, json] { Bind(run, global, [json](TCommands& c) { c.Info(*json); }); });
}

void AddObjectCommands(CLI::App& app, TGlobal& global, std::function<void()>& run) {
  struct TArgs {
    std::string folder, output, from, to;
    std::vector<std::string> names, files;
    bool recursive = false, json = false, asText = false, replace = false, noReplace = false;
  };
  auto a = std::make_shared<TArgs>();
  auto* ls = app.add_subcommand("ls", "list a folder (HOME when none)");
  ls->add_option("FOLDER", a->folder, "folder as A/B or HOME/A/B");
  ls->add_flag("-R", a->recursive, "list sub-folders too");
  ls->add_flag("--json", a->json, "as JSON");
  ls->callback([&, a] { Bind(run, global, [a](TCommands& c) { c.Ls(a->folder, a->recursive, a->json); }); });
  auto* get = app.add_subcommand("get", "copy variables to PC files");
  get->add_option("NAME", a->names, "variables (backslash notation, A/B for folders)")->required();
  get->add_option("-o", a->output, "file (one name) or folder");
  get->add_flag("--text", a->asText, "as text files");
  get->callback([&, a] { Bind(run, global, [a](TCommands& c) { c.Get(a->names, a->output, a->asText); }); });
  auto* put = app.add_subcommand("put", "copy PC files into variables");
  put->add_option("FILE", a->files, "object (.zq) or text (.txt) files")->required();
  put->add_option("--to", a->folder, "folder on the calculator");
  auto* rep = put->add_flag("--replace", a->replace, "replace variables without asking");
  put->add_flag("--no-replace", a->noReplace, "never replace")->excludes(rep);
  put->callback([&, a] {
    global.console.replace = a->replace ? 1 : a->noReplace ? -1 : 0;
    Bind(run, global, [a](TCommands& c) { c.Put(a->files, a->folder); });
  });
  auto* rm = app.add_subcommand("rm", "delete variables or folders");
  rm->add_option("NAME", a->names)->required();
  rm->callback([&, a] { Bind(run, global, [a](TCommands& c) { c.Rm(a->names); }); });
  auto* mkdir = app.add_subcommand("mkdir", "create a folder");
  mkdir->add_option("NAME", a->from)->required();
  mkdir->callback([&, a] { Bind(run, global, [a](TCommands& c) { c.Mkdir(a->from); }); });
  auto* mv = app.add_subcommand("mv", "rename a variable or folder");
  mv->add_option("OLD", a->from)->required();
  mv->add_option("NEW", a->to)->required();
  mv->callback([&, a] { Bind(run, global, [a](TCommands& c) { c.Mv(a->from, a->to); }); });
}

void AddCalculatorCommands(CLI::App& app, const TGlobal& global, std::function<void()>& run) {
  struct TArgs {
    std::string name, text, file;
    bool json = false;
  };
  auto a = std::make_shared<TArgs>();
  // A command of one required argument.
  const auto withArg = [&](const char* command, const char* what, const char* arg, std::string& value,
                           void (TCommands::*method)(const std::string&)) {
    CLI::App* c = app.add_subcommand(command, what);
    c->add_option(arg, value)->required();
    c->callback([&run, &global, a, &value, method] {
      Bind(run, global, [a, &value, method](TCommands& commands) { (commands.*method)(value); });
    });
    return c;
  };
  withArg("eval", "evaluate a variable and print the stack", "NAME", a->name, &TCommands::Eval);
  withArg("exec", "have the calculator run RPL text and print the stack", "TEXT", a->text, &TCommands::Exec)
      ->get_option("TEXT")
      ->description("commands in the calculator's language, in the backslash notation (quote it for the shell)");
  auto* stack = app.add_subcommand("stack", "print the stack");
  stack->add_flag("--json", a->json, "as a JSON array, level 1 last");
  stack->callback([&, a] { Bind(run, global, [a](TCommands& c) { c.Stack(a->json); }); });
  withArg("backup", "back the calculator up into a file", "FILE", a->file, &TCommands::Backup);
  withArg("restore", "restore a backup (erases the calculator)", "FILE", a->file, &TCommands::Restore);
  auto* capture = app.add_subcommand("capture", "wait for the screen that a person sends from the calculator, and save it");
  capture->add_option("-o", a->file, "picture file, .bmp, .jpg or .png in any letter case (default capture.bmp)");
  capture->callback([&, a] { Bind(run, global, [a](TCommands& c) { c.Capture(a->file); }); });
  withArg("send", "send a file to the calculator's own receive command", "FILE", a->file, &TCommands::Send);
  withArg("recv", "receive a file from the calculator's own send command", "FILE", a->file, &TCommands::Recv);
  app.add_subcommand("send-server", "download the server library to a ZQ71G(X)")->callback([&] {
    Bind(run, global, [](TCommands& c) { c.SendServer(); });
  });
  withArg("rom", "download a ROM image to a ZQ73G+ over USB", "FILE", a->file, &TCommands::Rom);
}

}  // namespace bridgit::cli
