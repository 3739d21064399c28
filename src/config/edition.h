#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "base/edition_kind.h"

namespace fenno {

enum class TransportKind { Serial, Tcp };

// Hot-key actions in the numbering of the serial program. The TCP program stores
// its own smaller numbering in its files; Edition::HotKeyActionMeaning maps it here.
enum class HotKeyActionKind : int16_t {
  NoAction = 0,
  TransmitString = 1,
  IssueBreak = 2,
  PulseDtr = 3,
  EnableTimer = 4,
  DisableTimer = 5,
  RaiseDtr = 6,
  LowerDtr = 7,
  RaiseRts = 8,
  LowerRts = 9,
  Reset = 10,
  Suspend = 11,
  Enable = 12,
  EnableForOneRecord = 13,
};

// Everything that differs between the serial program and the TCP program. Code asks
// the edition rather than testing which program it is part of.
struct Edition {
  EditionKind kind;
  TransportKind transport;
  std::string_view programName;           // "Comfenno": service name, store name, captions
  std::string_view executableName;        // "comfenno"
  std::string_view currentHeader;         // first line of a configuration file we write
  std::string_view oldHeader;             // first line of the older layout we still read
  std::string_view configExtension;       // ".DE3"
  std::string_view defaultLogFileName;    // in the user's home folder
  std::string_view engineCaptionPrefix;   // "Comfenno - " at activation
  std::string_view suspendCaptionPrefix;  // prefix used when suspend rewrites the caption
  std::string_view setupCaption;          // "Comfenno Pro Setup"
  std::string_view questionTitle;         // title of the save question
  std::string_view fileErrorTitle;        // title of the "not a configuration file" message
  std::string_view versionTitle;          // title of the old-file message
  int hotKeyActionCount;                  // 14 or 8
  // The line-section texts of the TCP program's file (host, ports) follow line 9.
  bool hasTcpSettings;
  // Stored action number -> meaning, for 0 .. hotKeyActionCount-1.
  std::span<const HotKeyActionKind> hotKeyActions;
  // The engine window remembers its place per port (the TCP program's does not).
  bool keepsEngineWindowPosition;
  // A reset of the engine closes the engine window and returns to the setup window.
  bool resetReturnsToSetup;

  HotKeyActionKind HotKeyActionMeaning(int stored) const;
  bool IsSerial() const { return transport == TransportKind::Serial; }
};

const Edition& ComfennoEdition();
const Edition& NetfennoEdition();

}  // namespace fenno
