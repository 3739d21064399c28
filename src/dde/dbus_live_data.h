#pragma once

// Everything the live-data interface adds to a running engine: the server of its items
// and commands on the session bus, the command-source and output-buffer links, the
// conversation that sends commands after records, the command language and the Edit
// menu's link operations. The owner of the engine creates it before the engine (the
// engine is given Client() and Links()) and attaches it before starting the engine.

#include <QDBusConnection>
#include <memory>

#include "base/prompt.h"
#include "base/string_table.h"
#include "config/edition.h"
#include "config/settings.h"
#include "dde/clipboard.h"
#include "dde/command_language.h"
#include "dde/dbus_command_client.h"
#include "dde/dbus_links.h"
#include "dde/dbus_server.h"
#include "dde/link_menu.h"
#include "engine/engine.h"

namespace fenno {

class LiveData {
 public:
  // `clipboard` may be null (no clipboard: the copy and paste commands are refused).
  LiveData(const Edition& edition, Settings& settings, const StringTable& strings, Prompt& prompt,
           QDBusConnection connection, Clipboard* clipboard);
  ~LiveData();
  LiveData(const LiveData&) = delete;
  LiveData& operator=(const LiveData&) = delete;

  // For the engine's services; null without a session bus.
  DdeClient* Client() { return client_.get(); }
  DdeLinks* Links() { return links_.get(); }

  // Serves the engine's items and commands under its topic (fixed from now on) and
  // connects the links to it. A bus name taken by another program is reported; without a
  // bus, that is reported when records are to become live data items.
  void Attach(Engine& engine, WorkingValues& working, const Clock& clock,
              const RegionalSettings& regional);

  CommandLanguage* Commands() { return commands_.get(); }
  LinkMenu* Menu() { return menu_.get(); }
  DbusServer* Server() { return server_.get(); }

 private:
  void ReportServerProblem() const;

  const Edition& edition_;
  Settings& settings_;
  const StringTable& strings_;
  Prompt& prompt_;
  QDBusConnection connection_;
  Clipboard* clipboard_;
  Engine* engine_ = nullptr;
  std::unique_ptr<DbusCommandClient> client_;
  std::unique_ptr<DbusLinks> links_;
  std::unique_ptr<LinkMenu> menu_;
  std::unique_ptr<CommandLanguage> commands_;
  std::unique_ptr<DbusServer> server_;
};

}  // namespace fenno
