#pragma once

// A pseudo-terminal pair whose master end plays the device, for tests of serial ports and
// of the programs and windows that open them.

#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

#include <string>

namespace fenno::testing {

// A pseudo-terminal pair. The test keeps the slave end open too, so that the port closing
// its end does not hang up the line, and reads the line's settings through it.
class PtyPair {
 public:
  PtyPair() {
    char name[256] = {};
    if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0) return;
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    path_ = name;
  }
  ~PtyPair() {
    CloseMaster();
    if (slave_ >= 0) ::close(slave_);
  }
  PtyPair(const PtyPair&) = delete;
  PtyPair& operator=(const PtyPair&) = delete;

  bool Ok() const { return !path_.empty(); }
  const std::string& SlavePath() const { return path_; }
  int SlaveFd() const { return slave_; }

  // What the device sends. Answers whether all of it went into the line.
  bool DeviceWrites(const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
      if (n < 0) return false;
      done += static_cast<size_t>(n);
    }
    return true;
  }
  // Appends what has reached the device so far.
  void DeviceReads(std::string& into) {
    char buffer[4096];
    for (ssize_t n; (n = ::read(master_, buffer, sizeof buffer)) > 0;)
      into.append(buffer, static_cast<size_t>(n));
  }
  // Hangs up the line, as a USB adapter does when it is pulled out.
  void CloseMaster() {
    if (master_ >= 0) ::close(master_);
    master_ = -1;
  }

 private:
  int master_ = -1;
  int slave_ = -1;
  std::string path_;
};

}  // namespace fenno::testing
