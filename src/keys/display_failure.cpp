#include "keys/display_failure.h"

#include "base/prompt.h"
#include "base/string_table.h"
#include "keys/keys_text_ids.h"

namespace fenno {

DisplayFailureReport ReportDisplayFailureThrough(Prompt& prompt, const StringTable& texts) {
  return [&prompt, &texts](DisplayFailure failure, const std::string& displayName) {
    const int text = failure == DisplayFailure::NoXTest ? str::kNoXTest : str::kNoDisplay;
    prompt.Show({texts.Format(text, {displayName}), texts.Text(str::kKeystrokeErrorTitle),
                 PromptButtons::Ok, PromptIcon::Exclamation});
  };
}

}  // namespace fenno
