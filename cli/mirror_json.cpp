#include <string>

#include "cli/json_text.h"
#include "cli/mirror_command.h"

namespace bridgit::cli {

using mirror::TMirrorItem;
using mirror::TMirrorReport;

std::string ReportJson(const TMirrorReport& report, bool pull, bool dryRun) {
  std::string json = std::string("{\"command\": \"") + (pull ? "pull" : "push") +
                     "\", \"dry_run\": " + (dryRun ? "true" : "false");
  for (const char* kind : {"fetched", "sent", "deleted", "created", "conflicts", "skipped"}) {
    json += ", \"" + std::string(kind) + "\": [";
    bool first = true;
    for (const TMirrorItem& item : report.items) {
      if (item.kind != kind) continue;
      json += first ? "" : ", ";
      first = false;
      // What was done is a file; what was not carries its reason.
      json += item.reason.empty() ? JsonText(item.file)
                                  : "{\"file\": " + JsonText(item.file) + ", \"reason\": " + JsonText(item.reason) + "}";
    }
    json += "]";
  }
  return json + "}\n";
}

}  // namespace bridgit::cli
