#include "mirror/plan.h"

#include <set>

namespace bridgit::mirror {

namespace {

struct TView {
  const TSideEntry* now = nullptr;  // nullptr: absent
  std::string stateSig;             // what the state recorded for this side
  bool Changed(bool inState) const {
    if (!now) return false;
    if (!inState) return true;
    return now->sig != stateSig;
  }
};

TAction PlanFolder(bool inState, bool source, bool target, const TPlanOptions& options) {
  if (source && target) return TAction::kNone;
  if (!source && !target) return TAction::kForget;
  if (source) return inState && !options.forceSource ? TAction::kRemovedTarget : TAction::kMakeFolder;
  if (!inState) return TAction::kTargetChanged;
  return options.remove ? TAction::kRemove : TAction::kRemovedSource;
}

TAction PlanObject(bool inState, const TView& src, const TView& dst, const TPlanOptions& options) {
  const bool sChg = src.Changed(inState), dChg = dst.Changed(inState);
  if (!src.now && !dst.now) return inState ? TAction::kForget : TAction::kNone;
  if (!inState) {
    if (src.now && dst.now) return TAction::kCompare;
    return src.now ? TAction::kCopy : TAction::kTargetChanged;
  }
  if (src.now && dst.now) {
    if (sChg && dChg) return TAction::kCompare;
    if (sChg) return TAction::kCopy;
    return dChg ? TAction::kTargetChanged : TAction::kNone;
  }
  if (!src.now) {  // deleted on the source
    if (!dChg) return options.remove ? TAction::kRemove : TAction::kRemovedSource;
    if (options.forceSource) return options.remove ? TAction::kRemove : TAction::kRemovedSource;
    if (options.forceTarget) return TAction::kTargetChanged;
    return TAction::kConflict;
  }
  // deleted on the target: the source's side, forced, puts it back (a
  // calculator cleared, then push --force-pc)
  if (!sChg) return options.forceSource ? TAction::kCopy : TAction::kRemovedTarget;
  if (options.forceSource) return TAction::kCopy;
  if (options.forceTarget) return TAction::kKeepTarget;
  return TAction::kConflict;
}

}  // namespace

std::vector<TStep> MakePlan(TDirection direction, const TState& state, const TSide& calc, const TSide& pc,
                            const TPlanOptions& options) {
  const bool pull = direction == TDirection::kPull;
  const TSide& source = pull ? calc : pc;
  const TSide& target = pull ? pc : calc;
  std::set<std::string> keys;
  for (const auto& [k, e] : state.entries) keys.insert(k);
  for (const auto& [k, e] : calc) keys.insert(k);
  for (const auto& [k, e] : pc) keys.insert(k);
  std::vector<TStep> steps;
  for (const std::string& key : keys) {
    const auto s = source.find(key), t = target.find(key);
    const auto st = state.entries.find(key);
    const bool inState = st != state.entries.end();
    TView src, dst;
    if (s != source.end()) src.now = &s->second;
    if (t != target.end()) dst.now = &t->second;
    if (inState) {
      src.stateSig = pull ? st->second.calcSig : st->second.pcHash;
      dst.stateSig = pull ? st->second.pcHash : st->second.calcSig;
    }
    // A folder on one side and an object of the same name on the other: the
    // two cannot be reconciled by copying.
    const bool srcFolder = src.now && src.now->folder, dstFolder = dst.now && dst.now->folder;
    TStep step{.key = key};
    if (src.now && dst.now && srcFolder != dstFolder) {
      step.folder = srcFolder;
      step.action = TAction::kConflict;
    } else if (srcFolder || dstFolder || (inState && st->second.folder && !src.now && !dst.now)) {
      step.folder = true;
      step.action = PlanFolder(inState && st->second.folder, src.now != nullptr, dst.now != nullptr, options);
    } else {
      step.action = PlanObject(inState, src, dst, options);
    }
    steps.push_back(step);
  }
  return steps;
}

TAction DecideCompared(bool same, const TPlanOptions& options) {
  if (same) return TAction::kNone;
  if (options.forceSource) return TAction::kCopy;
  if (options.forceTarget) return TAction::kKeepTarget;
  return TAction::kConflict;
}

}  // namespace bridgit::mirror
