#include "config/edition.h"

namespace fenno {
namespace {

constexpr std::array<HotKeyActionKind, 14> kSerialActions = {
    HotKeyActionKind::NoAction,    HotKeyActionKind::TransmitString,
    HotKeyActionKind::IssueBreak,  HotKeyActionKind::PulseDtr,
    HotKeyActionKind::EnableTimer, HotKeyActionKind::DisableTimer,
    HotKeyActionKind::RaiseDtr,    HotKeyActionKind::LowerDtr,
    HotKeyActionKind::RaiseRts,    HotKeyActionKind::LowerRts,
    HotKeyActionKind::Reset,       HotKeyActionKind::Suspend,
    HotKeyActionKind::Enable,      HotKeyActionKind::EnableForOneRecord,
};

// The TCP program has no serial lines, so its action list skips the line actions.
constexpr std::array<HotKeyActionKind, 8> kTcpActions = {
    HotKeyActionKind::NoAction,    HotKeyActionKind::TransmitString,
    HotKeyActionKind::EnableTimer, HotKeyActionKind::DisableTimer,
    HotKeyActionKind::Reset,       HotKeyActionKind::Suspend,
    HotKeyActionKind::Enable,      HotKeyActionKind::EnableForOneRecord,
};

const Edition kComfenno{
    .kind = EditionKind::Comfenno,
    .transport = TransportKind::Serial,
    .programName = "Comfenno",
    .executableName = "comfenno",
    .currentHeader = "Comfenno Pro Configuration File Version 4.00",
    .oldHeader = "Comfenno Configuration File Version 3.00",
    .configExtension = ".DE3",
    .defaultLogFileName = "Comfenno.Log",
    .engineCaptionPrefix = "Comfenno - ",
    .suspendCaptionPrefix = "Comfenno - ",
    .setupCaption = "Comfenno Pro Setup",
    .questionTitle = "Comfenno",
    .fileErrorTitle = "Comfenno File Error",
    .versionTitle = "Comfenno Version 4.0",
    .hotKeyActionCount = static_cast<int>(kSerialActions.size()),
    .hasTcpSettings = false,
    .hotKeyActions = kSerialActions,
    .keepsEngineWindowPosition = true,
    .resetReturnsToSetup = false,
};

const Edition kNetfenno{
    .kind = EditionKind::Netfenno,
    .transport = TransportKind::Tcp,
    .programName = "Netfenno",
    .executableName = "netfenno",
    .currentHeader = "Netfenno Configuration File Version 3.00",
    .oldHeader = "Netfenno Configuration File Version 2.00",
    .configExtension = ".DO3",
    .defaultLogFileName = "Netfenno.Log",
    .engineCaptionPrefix = "Netfenno - ",
    .suspendCaptionPrefix = "TCP Fenno - ",
    .setupCaption = "Netfenno Setup",
    .questionTitle = "TCP Fenno",
    .fileErrorTitle = "TCP Fenno File Error",
    .versionTitle = "Netfenno Version 3.0",
    .hotKeyActionCount = static_cast<int>(kTcpActions.size()),
    .hasTcpSettings = true,
    .hotKeyActions = kTcpActions,
    .keepsEngineWindowPosition = false,
    .resetReturnsToSetup = true,
};

}  // namespace

HotKeyActionKind Edition::HotKeyActionMeaning(int stored) const {
  if (stored < 0 || stored >= hotKeyActionCount) return HotKeyActionKind::NoAction;
  return hotKeyActions[static_cast<size_t>(stored)];
}

const Edition& ComfennoEdition() {
  return kComfenno;
}
const Edition& NetfennoEdition() {
  return kNetfenno;
}

}  // namespace fenno
