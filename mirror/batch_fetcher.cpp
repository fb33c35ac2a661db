#include "base/utf8_path.h"
#include "mirror/batch_fetcher.h"

#include <filesystem>
#include <stdexcept>

#include "mirror/batch.h"
#include "mirror/keys.h"
#include "mirror/pc_tree.h"
#include "mirror/texts.h"

namespace bridgit::mirror {

namespace fs = std::filesystem;

namespace {

bool IsText(const std::string& file) { return Utf8Path(file).extension() == kTextExtension; }

}  // namespace

TBatchFetcher::TBatchFetcher(TXModemServer& server, TCalcCursor& cursor, const TCalcTree& calc,
                             std::set<std::string>& notExact, std::function<bool()> interrupted)
    : server_(server), cursor_(cursor), calc_(calc), notExact_(notExact), interrupted_(std::move(interrupted)) {}

void TBatchFetcher::Plan(const std::vector<TStep>& steps, const std::function<std::string(const TStep&)>& fileOf) {
  std::map<std::pair<std::string, bool>, std::size_t> open;  // (folder, text) -> batch being filled
  std::vector<long long> bytes;
  for (const TStep& s : steps) {
    if (s.folder || (s.action != TAction::kCopy && s.action != TAction::kCompare)) continue;
    const TXPObject& item = *calc_.entries.at(s.key).item;
    const std::string file = fileOf(s);
    const bool text = IsText(file);
    const TBatchLimits limits = BatchLimits(calc_.freeBytes, text);
    // A name the calculator would not read back in a list goes alone, as a get does it.
    // Nor does an object of a type the table lacks: only the listing's size can cut it.
    if (item.Size > limits.maxObjectBytes || item.TypeIcon == kUnknownTypeIcon || !CalcNameOk(Last(s.key))) continue;
    const auto group = std::make_pair(Parent(s.key), text);
    auto b = open.find(group);
    if (b == open.end() || batches_[b->second].size() >= kBatchMaxObjects ||
        bytes[b->second] + item.Size > limits.maxBytes) {
      batches_.emplace_back();
      bytes.push_back(0);
      b = open.insert_or_assign(group, batches_.size() - 1).first;
    }
    batches_[b->second].push_back(s.key);
    bytes[b->second] += item.Size;
    batchOf_[s.key] = b->second;
    fileOf_[s.key] = file;
  }
}

void TBatchFetcher::FetchFor(const std::string& key, const std::string& folderPath) {
  const auto b = batchOf_.find(key);
  if (b == batchOf_.end()) return;
  std::vector<std::string> keys = std::move(batches_[b->second]);
  for (const std::string& k : keys) batchOf_.erase(k);
  std::vector<std::string> names;
  for (const std::string& k : keys) names.push_back(CalcName(Last(k)));
  const bool text = IsText(fileOf_.at(keys.front()));
  server_.Channel().Execute(BatchCommand(cursor_.TakePurges(), folderPath, names, text), true, true);
  cursor_.LeftIn("HOME");
  cursor_.PurgeLater(kBatchScratch);  // with the next batch, or at the end of the run
  if (interrupted_()) throw std::runtime_error(std::string(texts::kCancelled));
  const bool got = server_.GetObject(kBatchScratch, "", 0);
  const std::string answer = server_.LastData();
  if (!got) throw std::runtime_error("could not fetch " + key);
  std::vector<std::string> split;
  if (!SplitBatch(answer, keys.size(), text, split)) return;
  for (std::size_t i = 0; i < keys.size(); ++i) {
    if (text && split[i].empty()) {
      notExact_.insert(keys[i]);
      continue;
    }
    const int icon = calc_.entries.at(keys[i]).item->TypeIcon;
    fetched_[keys[i]] = text ? server_.TextFileOf(split[i], icon) : split[i];
  }
}

std::optional<std::string> TBatchFetcher::TakeFetched(const std::string& key) {
  const auto a = fetched_.find(key);
  if (a == fetched_.end()) return std::nullopt;
  std::string bytes = std::move(a->second);
  fetched_.erase(a);
  return bytes;
}

}  // namespace bridgit::mirror
