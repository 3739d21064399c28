#pragma once

// The engine window's Edit menu as operations a window (or a command) calls: copying a
// link to one of the served items, and pasting, refreshing and terminating the
// command-source and output-buffer links.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "config/settings.h"
#include "dde/dde_names.h"

namespace fenno {

class Clipboard;
class DdeLinks;

// Which link items of the Edit menu are enabled when it opens.
struct LinkMenuState {
  bool pasteCommand = false;
  bool refreshCommand = false;
  bool terminateCommand = false;
  bool pasteBuffer = false;
  bool refreshBuffer = false;
  bool terminateBuffer = false;

  bool operator==(const LinkMenuState&) const = default;
};

class LinkMenu {
 public:
  // Asks the engine's next tick to (re)establish a link.
  struct Requests {
    std::function<void()> commandLink;
    std::function<void()> bufferLink;
  };

  // `clipboard` and `links` may be null (no clipboard, no bus): the operations that need
  // them are then disabled. `application` and `topic` name this program's own items.
  LinkMenu(Settings& settings, Clipboard* clipboard, DdeLinks* links, Requests requests,
           std::string application, std::string topic);

  // The enabled states as the menu opens: Paste needs a link and plain text on the
  // clipboard, Refresh a configured application and topic, Terminate a link that is up.
  LinkMenuState State() const;

  // Take the link on the clipboard as the command-source (output-buffer) link and ask
  // for it to be established; false (nothing changed) without a link on the clipboard.
  bool PasteCommandLink();
  bool PasteBufferLink();
  void RefreshCommandLink();
  void RefreshBufferLink();
  void TerminateCommandLink();
  void TerminateBufferLink();

  // Edit > Copy and the copy commands: a link to `item` of this program and topic, and
  // the item's text as plain text. False when there is no clipboard.
  bool CopyItem(std::string_view item, const std::string& text);

  const std::string& Topic() const { return topic_; }

 private:
  std::optional<LinkAddress> ClipboardLink() const;
  bool Paste(std::string& application, std::string& topic, std::string& item,
             const std::function<void()>& request);

  Settings& settings_;
  Clipboard* clipboard_;
  DdeLinks* links_;
  Requests requests_;
  std::string application_;
  std::string topic_;
};

}  // namespace fenno
