#include "dde/advise_budget.h"

#include <algorithm>

namespace fenno {

bool AdviseBudget::Admit(std::string_view item, const std::string& text) {
  // Once something is held, later changes wait too, so no item's text overtakes another's.
  if (held_.empty() && admitted_ < budget_) {
    ++admitted_;
    return true;
  }
  auto same = std::find_if(held_.begin(), held_.end(),
                           [item](const Change& change) { return change.first == item; });
  if (same == held_.end()) {
    held_.emplace_back(std::string(item), text);
  } else {
    same->second = text;
  }
  return false;
}

std::vector<AdviseBudget::Change> AdviseBudget::EndTurn() {
  admitted_ = 0;
  return std::exchange(held_, {});
}

}  // namespace fenno
