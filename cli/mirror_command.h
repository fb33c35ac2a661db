// bridgit-cli pull and push: the connection around a mirror run.
#pragma once

#include <CLI/CLI.hpp>

#include <functional>
#include <ostream>
#include <string>

#include "cli/commands.h"
#include "mirror/mirror.h"

namespace bridgit::cli {

// Registers pull and push; `run` is set when one of them was chosen.
void AddMirrorCommands(CLI::App& app, const TGlobal& global, std::function<void()>& run);

// The report as the JSON object `--json` prints.
std::string ReportJson(const mirror::TMirrorReport& report, bool pull, bool dryRun);

// Connects, runs, and throws (exit 1) when conflicts remain or objects could
// not be moved.
void RunMirrorCommand(const TGlobal& global, const mirror::TMirrorOptions& options, mirror::TDirection direction,
                      std::ostream& out);

}  // namespace bridgit::cli
