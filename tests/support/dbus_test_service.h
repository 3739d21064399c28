#pragma once

// A program of the test's own on the bus that speaks the live-data conversation: it
// serves items (Request, Items, Advise) and records the commands it is sent (Execute),
// answering them or, when told, never.

#include <QDBusConnection>
#include <QDBusVirtualObject>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace fenno::testing {

class DbusTestService : public QDBusVirtualObject {
 public:
  // `connection` should be one of its own, so that the service can leave the bus.
  explicit DbusTestService(QDBusConnection connection);
  ~DbusTestService() override;

  // Takes `serviceName` and offers the conversation object; false when that fails.
  bool Serve(const std::string& serviceName);
  // Gives up the name and the object.
  void Leave();

  // Sets an item and, with `advise`, sends the Advise signal for it.
  void SetItem(const std::string& item, const std::string& value, bool advise = true);

  std::vector<std::string> executed;
  bool answerExecute = true;
  // Runs when an Execute call arrives, before it is answered.
  std::function<void(const std::string&)> onExecute;

  QString introspect(const QString& path) const override;
  bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

 private:
  QDBusConnection connection_;
  std::map<std::string, std::string> items_;
  QString serviceName_;
};

}  // namespace fenno::testing
