#include <cstdio>
#include <string>

#include "cli/mirror.h"

namespace bridgit::cli::mirror {

namespace {

// A JSON string: quotes, backslashes and control characters escaped.
std::string Quoted(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char code[8];
      std::snprintf(code, sizeof code, "\\u%04x", static_cast<unsigned>(static_cast<unsigned char>(c)));
      out += code;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

}  // namespace

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
      json += item.reason.empty() ? Quoted(item.file)
                                  : "{\"file\": " + Quoted(item.file) + ", \"reason\": " + Quoted(item.reason) + "}";
    }
    json += "]";
  }
  return json + "}\n";
}

}  // namespace bridgit::cli::mirror
