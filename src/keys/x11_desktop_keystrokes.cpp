#include "keys/x11_desktop_keystrokes.h"

#include "base/prompt.h"
#include "base/string_table.h"
#include "keys/display_failure.h"
#include "keys/keystroke_delivery.h"

// Xlib's macros come last.
#include "keys/x11_connection.h"
#include "keys/x11_key_sink.h"
#include "keys/x11_window_system.h"

namespace fenno {

struct DesktopKeystrokes::Parts {
  Parts(const Clock& clock, EventPump& events, Prompt& prompt, const StringTable& texts)
      : connection("", ReportDisplayFailureThrough(prompt, texts)),
        keys(connection),
        windows(connection),
        delivery(keys, windows, clock, events, prompt, texts) {}

  X11Connection connection;
  X11KeySink keys;
  X11WindowSystem windows;
  KeystrokeDelivery delivery;
};

DesktopKeystrokes::DesktopKeystrokes(const Clock& clock, EventPump& events, Prompt& prompt,
                                     const StringTable& texts)
    : clock_(clock), events_(events), prompt_(prompt), texts_(texts) {}

DesktopKeystrokes::~DesktopKeystrokes() = default;

bool DesktopKeystrokes::Activate(Settings& settings) {
  // The backends are made for the first record, so a program that never types (log
  // mode, live data items) never touches the display.
  if (!parts_) parts_ = std::make_unique<Parts>(clock_, events_, prompt_, texts_);
  return parts_->delivery.Activate(settings);
}

void DesktopKeystrokes::Type(std::string_view macroText, int32_t interCharDelay) {
  if (parts_) parts_->delivery.Type(macroText, interCharDelay);
}

void DesktopKeystrokes::Restore() {
  if (parts_) parts_->delivery.Restore();
}

}  // namespace fenno
