#include "dde/link_menu.h"

#include "dde/clipboard.h"
#include "dde/dde_names.h"
#include "engine/command_client.h"

namespace fenno {
namespace {

void Call(const std::function<void()>& request) {
  if (request) request();
}

}  // namespace

LinkMenu::LinkMenu(Settings& settings, Clipboard* clipboard, DdeLinks* links, Requests requests,
                   std::string application, std::string topic)
    : settings_(settings),
      clipboard_(clipboard),
      links_(links),
      requests_(std::move(requests)),
      application_(std::move(application)),
      topic_(std::move(topic)) {}

LinkMenuState LinkMenu::State() const {
  LinkMenuState state;
  const bool pasteable = clipboard_ && clipboard_->Link() && clipboard_->HasText();
  state.pasteCommand = state.pasteBuffer = pasteable;
  state.refreshCommand = !settings_.CommandLinkApp.empty() && !settings_.CommandLinkTopic.empty();
  state.refreshBuffer = !settings_.BufferLinkApp.empty() && !settings_.BufferLinkTopic.empty();
  state.terminateCommand = links_ && links_->CommandLinkActive();
  state.terminateBuffer = links_ && links_->BufferLinkActive();
  return state;
}

std::optional<LinkAddress> LinkMenu::ClipboardLink() const {
  if (!clipboard_) return std::nullopt;
  const std::optional<std::string> link = clipboard_->Link();
  if (!link) return std::nullopt;
  return ParseLinkText(*link);
}

bool LinkMenu::Paste(std::string& application, std::string& topic, std::string& item,
                     const std::function<void()>& request) {
  const std::optional<LinkAddress> address = ClipboardLink();
  if (!address) return false;
  application = address->application;
  topic = address->topic;
  item = address->item;
  Call(request);
  return true;
}

bool LinkMenu::PasteCommandLink() {
  return Paste(settings_.CommandLinkApp, settings_.CommandLinkTopic, settings_.CommandLinkItem,
               requests_.commandLink);
}

bool LinkMenu::PasteBufferLink() {
  return Paste(settings_.BufferLinkApp, settings_.BufferLinkTopic, settings_.BufferLinkItem,
               requests_.bufferLink);
}

void LinkMenu::RefreshCommandLink() {
  Call(requests_.commandLink);
}

void LinkMenu::RefreshBufferLink() {
  Call(requests_.bufferLink);
}

void LinkMenu::TerminateCommandLink() {
  if (links_) links_->TerminateCommandLink();
}

void LinkMenu::TerminateBufferLink() {
  if (links_) links_->TerminateBufferLink();
}

bool LinkMenu::CopyItem(std::string_view item, const std::string& text) {
  if (!clipboard_) return false;
  clipboard_->SetLink(ComposeLinkText({application_, topic_, std::string(item)}), text);
  return true;
}

}  // namespace fenno
