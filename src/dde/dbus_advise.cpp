#include "dde/dbus_advise.h"

#include "dde/dbus_text.h"

namespace fenno {

AdviseSubscription::AdviseSubscription(QDBusConnection connection, QString service, Handler handler)
    : connection_(std::move(connection)),
      service_(std::move(service)),
      handler_(std::move(handler)) {
  connection_.connect(service_, kDdeObjectPath, kDdeInterface, QStringLiteral("Advise"), this,
                      SLOT(OnAdvise(QDBusMessage)));
}

AdviseSubscription::~AdviseSubscription() {
  connection_.disconnect(service_, kDdeObjectPath, kDdeInterface, QStringLiteral("Advise"), this,
                         SLOT(OnAdvise(QDBusMessage)));
}

void AdviseSubscription::OnAdvise(const QDBusMessage& message) {
  if (message.arguments().size() != 2) return;
  const std::optional<std::string> item = ToBytesExactly(message.arguments()[0].toString());
  const std::optional<std::string> value = ToBytesExactly(message.arguments()[1].toString());
  if (item && value && handler_) handler_(*item, *value);
}

}  // namespace fenno
