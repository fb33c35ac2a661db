#include "mirror/mirror.h"

#include <stdexcept>

#include "calcdata/object_types.h"
#include "mirror/batch.h"
#include "mirror/tree_answer.h"
#include "mirror/pull.h"
#include "mirror/push.h"
#include "mirror/texts.h"

namespace bridgit::mirror {

bool TextByDefault(int typeIcon) {
  return typeIcon == kRealIcon || typeIcon == kStringIcon || typeIcon == kListIcon || typeIcon == kProgramIcon ||
         typeIcon == kAlgebraicIcon;
}

TMirror::TMirror(TXModemServer& server, TSessionHost& host, std::ostream& out, TMirrorConsole console,
                 TMirrorOptions options)
    : server_(server), host_(host), out_(out), console_(std::move(console)), options_(std::move(options)) {}

TMirrorReport TMirror::Run(TDirection direction) {
  try {
    return RunOnce(direction);
  } catch (...) {
    PurgeScratch();
    if (console_.interrupted()) throw std::runtime_error(std::string(texts::kCancelled));
    throw;
  }
}

// A run that stopped may have left a batch or the checksums on the
// calculator: purged while the link still answers (a transfer cut short
// drops it; the next pull purges them then).
void TMirror::PurgeScratch() {
  if (!server_.Channel().IsConnected()) return;
  try {
    server_.Channel().Execute(std::string("HOME IFERR '") + kBatchScratch + "' PURGE THEN END IFERR '" + kTreeScratch +
                        "' PURGE THEN END",
                    false, false);
  } catch (const std::exception&) {
  }
}

TMirrorReport TMirror::RunOnce(TDirection direction) {
  const TRunContext context{server_, host_, out_, console_, options_};
  if (direction == TDirection::kPull) return TPull(context).Run();
  return TPush(context).Run();
}

}  // namespace bridgit::mirror
