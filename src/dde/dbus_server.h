#pragma once

// The live-data server of a running engine on the session bus: the name
// "dde.<Program>.<topic>", object "/", interface dde.Conversation with Request(item),
// Items() and Execute(command), and the Advise(item, value) signal whenever a field, the
// record number or the clock changes (within a budget per turn of the event loop, beyond
// which each item's latest text goes out at the end of the turn: see AdviseBudget).

#include <QDBusConnection>
#include <QDBusVirtualObject>
#include <array>
#include <functional>
#include <string>
#include <string_view>

#include "config/settings.h"
#include "dde/advise_budget.h"
#include "engine/engine_control.h"
#include "engine/engine_observer.h"

namespace fenno {

class DbusServer : public QDBusVirtualObject, public EngineObserver {
 public:
  using CommandHandler = std::function<bool(std::string_view command)>;

  // `topic` stays the served topic for the server's whole life, whatever configuration
  // the engine loads meanwhile.
  DbusServer(QDBusConnection connection, EngineControl& engine, CommandHandler execute,
             std::string_view program, std::string topic);
  ~DbusServer() override;

  // Takes the bus name and offers the object; false when the name is taken by another
  // program or there is no bus.
  bool Start();
  void Stop();
  bool Serving() const { return serving_; }
  const std::string& ServiceName() const { return serviceName_; }
  const std::string& Topic() const { return topic_; }

  QString introspect(const QString& path) const override;
  bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

  void OnFieldText(int field, const std::string& text) override;
  void OnRecordNumber(const std::string& text) override;
  void OnDateTime(const std::string& text) override;

 private:
  QDBusMessage Request(const QDBusMessage& message) const;
  QDBusMessage Items(const QDBusMessage& message) const;
  QDBusMessage Execute(const QDBusMessage& message);
  void Advise(std::string_view item, const std::string& value);
  void EndAdviseTurn();
  void SendAdvise(std::string_view item, const std::string& value);

  QDBusConnection connection_;
  EngineControl& engine_;
  CommandHandler execute_;
  std::string topic_;
  std::string serviceName_;  // empty when the topic cannot be a bus name
  bool serving_ = false;
  AdviseBudget budget_;
  bool turnEndQueued_ = false;
  std::array<std::string, kMaxFields + 1> fieldNames_;  // "Field(n)", made once
};

}  // namespace fenno
