#include "hotkeys/hot_key_messages.h"

#include "base/prompt.h"
#include "base/string_table.h"
#include "hotkeys/hot_key_names.h"
#include "hotkeys/hotkeys_text_ids.h"

namespace fenno {

HotKeyProblemReport ReportHotKeyProblemsThrough(Prompt& prompt, const StringTable& texts) {
  return [&prompt, &texts](HotKeyProblem problem, int code) {
    const int text = problem == HotKeyProblem::InUse ? str::kHotKeyInUse : str::kHotKeyNotOnLayout;
    prompt.Show({texts.Format(text, {HotKeyText(code)}), texts.Text(str::kHotKeysTitle),
                 PromptButtons::Ok, PromptIcon::Exclamation});
  };
}

DisplayFailureReport ReportHotKeyDisplayFailureThrough(Prompt& prompt, const StringTable& texts) {
  return [&prompt, &texts](DisplayFailure failure, const std::string& displayName) {
    // Hot keys need no XTEST; only a missing display stops them.
    if (failure != DisplayFailure::NoDisplay) return;
    prompt.Show({texts.Format(str::kHotKeysNoDisplay, {displayName}),
                 texts.Text(str::kHotKeysTitle), PromptButtons::Ok, PromptIcon::Exclamation});
  };
}

}  // namespace fenno
