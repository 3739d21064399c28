#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace fenno {

// How many hot-link changes go out on the bus in one turn of the event loop. Each change
// goes out as it comes while the turn's budget lasts, so a client following a device that
// sends a few readings per tick is told every one of them. A flood (tens of thousands of
// records a second) would fill the bus connection's queue faster than the bus takes it,
// and the program would grow without end; beyond the budget a change is held instead, and
// at the end of the turn each held item goes out once with its latest text. Clients always
// end up with every item's current text; held items go out in the order they were first held.
class AdviseBudget {
 public:
  using Change = std::pair<std::string, std::string>;  // item, text

  static constexpr size_t kChangesPerTurn = 256;

  explicit AdviseBudget(size_t changesPerTurn = kChangesPerTurn) : budget_(changesPerTurn) {}

  // True when the change may go out now; otherwise it is held, replacing a text held
  // earlier for the same item.
  bool Admit(std::string_view item, const std::string& text);
  // Ends the turn: the held changes, oldest item first, and a fresh budget.
  std::vector<Change> EndTurn();

 private:
  size_t budget_;
  size_t admitted_ = 0;
  std::vector<Change> held_;  // few: one entry per item
};

}  // namespace fenno
