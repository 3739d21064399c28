#include "expr/random_sequence.h"

#include <bit>

namespace fenno {
namespace {

// SplitMix64: small, fast and with no bad seeds, which matters because any double can be one.
uint64_t Mix(uint64_t z) {
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
  return z ^ (z >> 31);
}

}  // namespace

float RandomSequence::Rnd(double argument) {
  if (argument < 0) {
    state_ = Mix(std::bit_cast<uint64_t>(argument));
    return Draw();
  }
  if (argument == 0) return last_;
  return Draw();
}

float RandomSequence::Draw() {
  state_ += 0x9E3779B97F4A7C15u;
  // 24 bits fill a float's significand exactly, so the number is below 1.
  last_ = static_cast<float>(Mix(state_) >> 40) / 16777216.0f;
  return last_;
}

}  // namespace fenno
