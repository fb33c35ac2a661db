// The small objects of a pull fetched a folder at a time: which objects go in
// which batch, the batch fetched when its first object's turn comes, and the
// files it brought kept until their objects' turns.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "mirror/calc_cursor.h"
#include "mirror/calc_tree.h"
#include "mirror/plan.h"

namespace bridgit::mirror {

class TBatchFetcher {
 public:
  // `notExact` gets the objects whose text does not compile back to them.
  TBatchFetcher(TXModemServer& server, TCalcCursor& cursor, const TCalcTree& calc, std::set<std::string>& notExact,
                std::function<bool()> interrupted);
  // Groups the objects the steps copy or compare, in one form per batch
  // (`fileOf` names the file a step writes), in the plan's order.
  void Plan(const std::vector<TStep>& steps, const std::function<std::string(const TStep&)>& fileOf);
  // Fetches the batch of `key` once (`folderPath`: its folder as "HOME A B");
  // what it could not bring is fetched alone.
  void FetchFor(const std::string& key, const std::string& folderPath);
  // The file of `key` a batch brought, taken out.
  std::optional<std::string> TakeFetched(const std::string& key);

 private:
  TXModemServer& server_;
  TCalcCursor& cursor_;
  const TCalcTree& calc_;
  std::set<std::string>& notExact_;
  std::function<bool()> interrupted_;
  std::map<std::string, std::size_t> batchOf_;  // key -> its batch
  std::map<std::string, std::string> fileOf_;   // key -> the file it is fetched for
  std::vector<std::vector<std::string>> batches_;
  std::map<std::string, std::string> fetched_;  // files fetched ahead of their step
};

}  // namespace bridgit::mirror
