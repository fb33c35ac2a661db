// A pull: what changed on the calculator is fetched into the PC folder.
#pragma once

#include "mirror/batch_fetcher.h"
#include "mirror/run.h"

namespace bridgit::mirror {

class TPull : public TRun {
 public:
  explicit TPull(const TRunContext& context);

 private:
  void PrepareDir() override;
  void BeforeSteps(const std::vector<TStep>& steps) override;
  unsigned long long PlannedBytes(const std::string& key) override;
  void Copy(const std::string& key) override;
  void Take(const std::string& key, const std::string& file, const std::string& fetched) override;
  void SeeSource(TStateEntry& entry, const std::string& key) override;
  void MakeFolder(const std::string& key) override;
  bool RemoveFromTarget(const TStep& s, const std::string& shown) override;
  std::string Fetch(const std::string& key, const std::string& file) override;
  // Writes fetched bytes into the mirror and records the object as in sync.
  void Store(const std::string& key, const std::string& file, const std::string& bytes);
  TBatchFetcher batches_;
};

}  // namespace bridgit::mirror
