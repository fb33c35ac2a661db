// A push: what changed in the PC folder is sent to the calculator.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "mirror/run.h"

namespace bridgit::mirror {

class TPush : public TRun {
 public:
  explicit TPush(const TRunContext& context);

 private:
  void PrepareDir() override;
  void Finish() override;
  unsigned long long PlannedBytes(const std::string& key) override;
  void Copy(const std::string& key) override;
  void Take(const std::string& key, const std::string& file, const std::string& fetched) override;
  void SeeSource(TStateEntry& entry, const std::string& key) override;
  void MakeFolder(const std::string& key) override;
  bool RemoveFromTarget(const TStep& s, const std::string& shown) override;
  // Sends a file. The state is left as it was until the calculator is seen
  // holding the new object (Finish): a push cut short, or a text the
  // calculator did not take, still counts as changed on the PC.
  bool Send(const std::string& key);
  std::vector<std::string> sent_;  // files sent, with the signature they had before
  std::map<std::string, std::string> sigBefore_;
  std::set<std::string> made_;  // calculator folders this push created
};

}  // namespace bridgit::mirror
