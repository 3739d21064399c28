#pragma once

// The rules of the two setup dialogs for the live-data settings: the link and command
// target dialog (three modes) and the server topic dialog. The windows call these.

#include <string>

#include "base/dialog_check.h"
#include "config/settings.h"

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
DdeParmsValues LoadDdeParms(DdeParmsMode mode, const Settings& settings);
// OK (nothing is refused): stores the three texts and the check boxes of modes 1 and 2.
// True when a text changed; a click on a check box marks the configuration modified by
// itself, even when the dialog is then cancelled.
bool StoreDdeParms(DdeParmsMode mode, const DdeParmsValues& values, Settings& settings);
// Clicking either check box marks the configuration modified at once, even when the
// dialog is then cancelled.
void DdeParmsCheckBoxClicked(WorkingValues& working);

// The topic dialog: the port name (empty DDETopic) or a topic of the user's own.
struct TopicChoice {
  bool specify = false;  // the text box is enabled only then
  std::string text;
};

TopicChoice LoadTopic(const Settings& settings);
// A chosen but blank topic is refused (field "topicEdit").
DialogCheck CheckTopic(const TopicChoice& choice);
// DDETopic takes the text (or "" for the port name); true when it changed. The new topic
// is served from the next activation on.
bool StoreTopic(const TopicChoice& choice, Settings& settings);

}  // namespace fenno
