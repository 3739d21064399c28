#include "engine/engine_window_rules.h"

#include <charconv>

#include "base/string_ids.h"
#include "engine/engine.h"

namespace fenno {
namespace {

std::optional<int> WholeNumber(const std::optional<std::string>& text) {
  if (!text) return std::nullopt;
  const char* first = text->data();
  const char* last = first + text->size();
  while (first < last && *first == ' ') ++first;
  while (last > first && last[-1] == ' ') --last;
  int value = 0;
  const auto [end, error] = std::from_chars(first, last, value);
  if (error != std::errc() || end != last || first == last) return std::nullopt;
  return value;
}

bool IsUtf8Continuation(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

}  // namespace

std::string EngineStoreApplication(const Edition& edition, std::string_view portName) {
  return std::string(edition.programName) + " - " + std::string(portName);
}

std::optional<ScreenPoint> LoadEnginePosition(const UserStore& store, const Edition& edition,
                                              std::string_view portName,
                                              std::span<const ScreenRect> screens) {
  if (!edition.keepsEngineWindowPosition) return std::nullopt;
  const std::string application = EngineStoreApplication(edition, portName);
  const std::optional<int> left =
      WholeNumber(store.Get(application, kEngineStoreSection, kEngineStoreLeft));
  const std::optional<int> top =
      WholeNumber(store.Get(application, kEngineStoreSection, kEngineStoreTop));
  if (!left || !top) return std::nullopt;
  const ScreenPoint stored{*left, *top};
  if (screens.empty()) return stored;
  for (const ScreenRect& screen : screens)
    if (screen.Contains(stored)) return stored;
  return ScreenPoint{screens.front().left, screens.front().top};
}

void StoreEnginePosition(UserStore& store, const Edition& edition, std::string_view portName,
                         ScreenPoint position) {
  if (!edition.keepsEngineWindowPosition) return;
  const std::string application = EngineStoreApplication(edition, portName);
  store.Set(application, kEngineStoreSection, kEngineStoreLeft, std::to_string(position.x));
  store.Set(application, kEngineStoreSection, kEngineStoreTop, std::to_string(position.y));
}

std::string TrayTip(std::string_view caption) {
  size_t characters = 0;
  for (size_t i = 0; i < caption.size(); ++i) {
    if (IsUtf8Continuation(caption[i])) continue;
    if (characters == kTrayTipCharacters) return std::string(caption.substr(0, i));
    ++characters;
  }
  return std::string(caption);
}

WindowStateAction OnWindowState(bool minimised, bool alwaysOnTop, bool trayAvailable) {
  return WindowStateAction{minimised && trayAvailable, alwaysOnTop && !minimised};
}

QuitMenuState QuitMenuOf(const Engine& engine) {
  return QuitMenuState{engine.SuspendMenuCaption(), engine.ResumeForOneRecordShown(),
                       engine.TimedOutputMenuCaption(), engine.TimedOutputMenuVisible(),
                       engine.TimedOutputMenuEnabled()};
}

bool OutputButtonShown(const Settings& settings, int button) {
  return button >= 1 && button <= kOutputStrings &&
         !settings.ButtonString[static_cast<size_t>(button)].empty();
}

LineButtons LineButtonsShown(const Edition& edition, int engineButtons) {
  if (!edition.IsSerial()) return {};
  return LineButtons{(engineButtons & 1) != 0, (engineButtons & 2) != 0};
}

std::string CaptionWithConnection(std::string_view caption, int socketState,
                                  std::string_view peerAddress, const StringTable& strings) {
  std::string text(caption);
  text += " - " + strings.Text(str::TcpStateName(socketState));
  if (!peerAddress.empty())
    text += " " + strings.Text(str::kTcpConnectedTo) + " " + std::string(peerAddress);
  return text;
}

}  // namespace fenno
