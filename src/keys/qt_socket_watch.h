#pragma once

#include <functional>
#include <memory>

namespace fenno {

// Calls `onReadable` from the Qt event loop whenever the file descriptor has data. Kept
// apart from the X11 files because Xlib's macros clash with Qt's headers. Returns nothing
// when there is no Qt application to watch with.
class SocketWatch {
 public:
  virtual ~SocketWatch() = default;
  virtual void Stop() = 0;
};
std::unique_ptr<SocketWatch> WatchSocket(int fd, std::function<void()> onReadable);

}  // namespace fenno
