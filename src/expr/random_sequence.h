#pragma once

// The numbers behind "rnd": a deterministic sequence of Singles in [0, 1).

#include <cstdint>

namespace fenno {

class RandomSequence {
 public:
  // Below 0: the sequence starts afresh from a seed made of the argument, and the number is
  // the first of that sequence, so the same argument always gives the same number. 0: the
  // previous number again (0 before any number was drawn). Above 0: the next number.
  float Rnd(double argument);

 private:
  float Draw();

  uint64_t state_ = 0x6A09E667F3BCC909u;  // the same sequence in every run
  float last_ = 0;
};

}  // namespace fenno
