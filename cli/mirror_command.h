// bridgit-cli pull and push: the connection around a mirror run.
#pragma once

#include <CLI/CLI.hpp>

#include <functional>
#include <ostream>

#include "cli/commands.h"
#include "cli/mirror.h"

namespace bridgit::cli::mirror {

// Connects, runs, and throws (exit 1) when conflicts remain or objects could
// not be moved.
// Registers pull and push; `run` is set when one of them was chosen.
void AddMirrorCommands(CLI::App& app, const TGlobal& global, std::function<void()>& run);

void RunMirrorCommand(const TGlobal& global, const TMirrorOptions& options, TDirection direction, std::ostream& out);

}  // namespace bridgit::cli::mirror
