#pragma once

// The engine's two client links on the session bus. A link to App|Topic!Item listens
// to the Advise signal of "dde.App.Topic" for that item and takes the item's current
// value once (Request) when it is established. The command-source link runs each value
// as a command, the output-buffer link sends each value to the device. A link that
// cannot be established is reported; a link whose partner goes away is dropped quietly.

#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QObject>
#include <functional>
#include <memory>
#include <string>

#include "base/prompt.h"
#include "base/string_table.h"
#include "config/edition.h"
#include "config/settings.h"
#include "dde/dbus_advise.h"
#include "dde/dde_names.h"
#include "engine/command_client.h"

namespace fenno {

// One link: none, or automatic (being established or up).
class DbusLink : public QObject {
 public:
  // How long the partner may take to give the item's current value.
  static constexpr int kRequestTimeoutMs = 2000;

  DbusLink(QDBusConnection connection, std::function<void(std::string)> onValue,
           std::function<void(const LinkAddress&)> onFailure);

  // Drops any current link and starts this one; the current value and the failure
  // arrive later, from the event loop.
  void Establish(const LinkAddress& address);
  void Terminate();
  bool Active() const { return active_; }

 private:
  void OnAdvise(const std::string& item, const std::string& value);
  void OnRequestAnswer(const QDBusMessage& answer, unsigned generation);
  void Fail();

  QDBusConnection connection_;
  QDBusServiceWatcher watcher_;
  std::unique_ptr<AdviseSubscription> subscription_;
  std::function<void(std::string)> onValue_;
  std::function<void(const LinkAddress&)> onFailure_;
  LinkAddress address_;
  QString service_;
  bool active_ = false;
  unsigned generation_ = 0;  // answers to earlier attempts are ignored
};

class DbusLinks : public DdeLinks {
 public:
  // What the values of the links go to.
  struct Sinks {
    std::function<void(const std::string&)> command;  // run as a command
    std::function<void(std::string)> buffer;          // sent to the device
  };

  DbusLinks(QDBusConnection connection, const Settings& settings, const Edition& edition,
            const StringTable& strings, Prompt& prompt, Sinks sinks);

  void EstablishCommandLink() override;
  void EstablishBufferLink() override;
  void TerminateCommandLink() override { command_.Terminate(); }
  void TerminateBufferLink() override { buffer_.Terminate(); }
  bool CommandLinkActive() const override { return command_.Active(); }
  bool BufferLinkActive() const override { return buffer_.Active(); }
  void DropLinks() override;

 private:
  void ReportFailure(int textId, int refreshMenuId, const LinkAddress& address);

  const Settings& settings_;
  const Edition& edition_;
  const StringTable& strings_;
  Prompt& prompt_;
  DbusLink command_;
  DbusLink buffer_;
};

}  // namespace fenno
