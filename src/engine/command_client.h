#pragma once

#include <string>
#include <string_view>

namespace fenno {

// The conversation that carries the commands sent after records in live-data-item
// mode (record preamble, field postambles) to another program.
class DdeClient {
 public:
  virtual ~DdeClient() = default;
  // Connects to `application` on `topic`; false when that program is not there.
  virtual bool Connect(const std::string& application, const std::string& topic) = 0;
  // False once the partner has gone away (the next record then connects again).
  virtual bool IsConnected() const = 0;
  // Sends one command and waits at most a second for the answer; failures are silent.
  virtual void Execute(std::string_view command) = 0;
  virtual void Disconnect() = 0;
};

// The engine's two client links (command source and output buffer). The engine asks
// for them to be established on its tick; the Edit menu terminates them and asks
// whether they are up. A link is either none or automatic (up).
class DdeLinks {
 public:
  virtual ~DdeLinks() = default;
  virtual void EstablishCommandLink() = 0;
  virtual void EstablishBufferLink() = 0;
  virtual void TerminateCommandLink() = 0;
  virtual void TerminateBufferLink() = 0;
  virtual bool CommandLinkActive() const = 0;
  virtual bool BufferLinkActive() const = 0;
  // Both links end (the engine closes).
  virtual void DropLinks() = 0;
};

}  // namespace fenno
