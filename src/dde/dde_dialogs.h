#pragma once

// The rules of the two setup dialogs for the live-data settings: the link and command
// target dialog (three modes) and the server topic dialog. The windows call these.

#include <string>

#include "config/settings.h"
#include "base/prompt.h"
#include "base/string_table.h"

namespace fenno {

enum class DdeParmsMode {
  CommandTarget = 0,  // DdeTargetApp/Topic/Item: where the commands after records go
  CommandLink = 1,    // CommandLinkApp/Topic/Item and CommandLinkAuto
  BufferLink = 2,     // BufferLinkApp/Topic/Item, BufferLinkAuto and StripCrLf
};

struct DdeParmsValues {
  std::string application;
  std::string topic;
  std::string item;
  bool establishOnActivation = false;  // modes 1 and 2
  bool stripCrLf = false;              // mode 2
};

// The string-table number of the dialog's caption in a mode.
int DdeParmsCaption(DdeParmsMode mode);
// What the dialog shows when it opens.
DdeParmsValues DdeParmsInitial(DdeParmsMode mode, const Settings& settings);
// OK: when any of the three texts changed, all three are stored and the configuration is
// marked modified; the check boxes of modes 1 and 2 are stored. Nothing is validated.
void ApplyDdeParms(DdeParmsMode mode, const DdeParmsValues& values, Settings& settings,
                   WorkingValues& working);
// Clicking either check box marks the configuration modified at once, even when the
// dialog is then cancelled.
void DdeParmsCheckBoxClicked(WorkingValues& working);

// The topic dialog: the port name (empty DDETopic) or a topic of the user's own.
struct TopicChoice {
  bool specify = false;  // the text box is enabled only then
  std::string text;
};

TopicChoice TopicDialogInitial(const Settings& settings);
// OK: a chosen but blank topic is refused with a beep and a message (the dialog stays
// open: false). Otherwise DDETopic takes the text (or "" for the port name), a change
// marks the configuration modified, and the dialog closes (true). The new topic is
// served from the next activation on.
bool ApplyTopicDialog(const TopicChoice& choice, Settings& settings, WorkingValues& working,
                      const StringTable& strings, Prompt& prompt);

}  // namespace fenno
