#pragma once

// Listening to the Advise signals of one live-data service on the session bus.

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QString>
#include <functional>
#include <string>

namespace fenno {

class AdviseSubscription : public QObject {
  Q_OBJECT

 public:
  // Texts arrive as 8-bit texts; a signal holding a character beyond code 255 is skipped.
  using Handler = std::function<void(const std::string& item, const std::string& value)>;

  AdviseSubscription(QDBusConnection connection, QString service, Handler handler);
  ~AdviseSubscription() override;

 private slots:
  void OnAdvise(const QDBusMessage& message);

 private:
  QDBusConnection connection_;
  QString service_;
  Handler handler_;
};

}  // namespace fenno
