#include "dde/dbus_links.h"

#include <QDBusPendingCallWatcher>

#include "base/string_ids.h"
#include "dde/dbus_text.h"
#include "dde/dde_text_ids.h"
#include "expr/ascii.h"

namespace fenno {
namespace {

bool SameItem(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

QString Latin1(const std::string& bytes) {
  return FromBytes(bytes);
}

}  // namespace

DbusLink::DbusLink(QDBusConnection connection, std::function<void(std::string)> onValue,
                   std::function<void(const LinkAddress&)> onFailure)
    : connection_(std::move(connection)),
      onValue_(std::move(onValue)),
      onFailure_(std::move(onFailure)) {
  watcher_.setConnection(connection_);
  watcher_.setWatchMode(QDBusServiceWatcher::WatchForUnregistration);
  QObject::connect(&watcher_, &QDBusServiceWatcher::serviceUnregistered, this,
                   [this](const QString& service) {
                     if (service == service_) Terminate();
                   });
}

void DbusLink::Establish(const LinkAddress& address) {
  Terminate();
  address_ = address;
  const std::optional<std::string> name = DdeServiceName(address.application, address.topic);
  if (!name || !connection_.isConnected()) {
    Fail();
    return;
  }
  service_ = Latin1(*name);
  active_ = true;
  const unsigned generation = ++generation_;
  watcher_.setWatchedServices({service_});
  subscription_ = std::make_unique<AdviseSubscription>(
      connection_, service_,
      [this](const std::string& item, const std::string& value) { OnAdvise(item, value); });
  const QDBusPendingCall pending = connection_.asyncCall(
      ConversationCall(service_, QStringLiteral("Request"), Latin1(address.item)),
      kRequestTimeoutMs);
  auto* watcher = new QDBusPendingCallWatcher(pending, this);
  QObject::connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, generation] {
    watcher->deleteLater();
    OnRequestAnswer(watcher->reply(), generation);
  });
}

void DbusLink::OnRequestAnswer(const QDBusMessage& answer, unsigned generation) {
  if (generation != generation_ || !active_) return;
  if (answer.type() != QDBusMessage::ReplyMessage || answer.arguments().size() != 1) {
    Fail();
    return;
  }
  if (const std::optional<std::string> value = ToBytesExactly(answer.arguments()[0].toString()))
    onValue_(*value);
}

void DbusLink::OnAdvise(const std::string& item, const std::string& value) {
  if (active_ && SameItem(item, address_.item)) onValue_(value);
}

void DbusLink::Terminate() {
  subscription_.reset();
  if (!service_.isEmpty()) watcher_.setWatchedServices({});
  service_.clear();
  active_ = false;
  ++generation_;
}

void DbusLink::Fail() {
  Terminate();
  if (onFailure_) onFailure_(address_);
}

DbusLinks::DbusLinks(QDBusConnection connection, const Settings& settings, const Edition& edition,
                     const StringTable& strings, Prompt& prompt, Sinks sinks)
    : settings_(settings),
      edition_(edition),
      strings_(strings),
      prompt_(prompt),
      command_(
          connection,
          [command = std::move(sinks.command)](std::string value) {
            if (!value.empty() && command) command(value);
          },
          [this](const LinkAddress& address) {
            ReportFailure(str::kDdeCommandLinkError, str::kDdeRefreshCommandLink, address);
          }),
      buffer_(
          connection,
          [buffer = std::move(sinks.buffer)](std::string value) {
            if (buffer) buffer(std::move(value));
          },
          [this](const LinkAddress& address) {
            ReportFailure(str::kDdeBufferLinkError, str::kDdeRefreshBufferLink, address);
          }) {}

void DbusLinks::EstablishCommandLink() {
  if (settings_.CommandLinkApp.empty() || settings_.CommandLinkTopic.empty()) return;
  command_.Establish(
      {settings_.CommandLinkApp, settings_.CommandLinkTopic, settings_.CommandLinkItem});
}

void DbusLinks::EstablishBufferLink() {
  if (settings_.BufferLinkApp.empty() || settings_.BufferLinkTopic.empty()) return;
  buffer_.Establish({settings_.BufferLinkApp, settings_.BufferLinkTopic, settings_.BufferLinkItem});
}

void DbusLinks::DropLinks() {
  command_.Terminate();
  buffer_.Terminate();
}

// The message names the link by its address, then says how to try again.
void DbusLinks::ReportFailure(int textId, int refreshMenuId, const LinkAddress& address) {
  const std::string text =
      strings_.Text(textId) + " " + address.application + "," + address.topic + "," + address.item +
      "\n" +
      strings_.Format(str::kLinkFailureHint,
                      {address.application, WithoutAccelerator(strings_.Text(str::kEditMenu)),
                       WithoutAccelerator(strings_.Text(refreshMenuId))});
  prompt_.Show({text, std::string(edition_.programName), PromptButtons::Ok, PromptIcon::Plain});
}

}  // namespace fenno
