#include "dde/dde_dialogs.h"

#include <type_traits>

#include "base/string_ids.h"

namespace fenno {
namespace {

// The three texts and the check box a mode edits (const or not, as the settings are).
template <class Text, class Flag>
struct LinkFields {
  Text* application;
  Text* topic;
  Text* item;
  Flag* establishOnActivation;  // null in mode 0
};

template <class S>
auto FieldsOf(DdeParmsMode mode, S& s) {
  using Fields = LinkFields<std::remove_reference_t<decltype((s.DdeTargetApp))>,
                            std::remove_reference_t<decltype((s.CommandLinkAuto))>>;
  switch (mode) {
    case DdeParmsMode::CommandLink:
      return Fields{&s.CommandLinkApp, &s.CommandLinkTopic, &s.CommandLinkItem, &s.CommandLinkAuto};
    case DdeParmsMode::BufferLink:
      return Fields{&s.BufferLinkApp, &s.BufferLinkTopic, &s.BufferLinkItem, &s.BufferLinkAuto};
    default:
      return Fields{&s.DdeTargetApp, &s.DdeTargetTopic, &s.DdeTargetItem, nullptr};
  }
}

}  // namespace

int DdeParmsCaption(DdeParmsMode mode) {
  switch (mode) {
    case DdeParmsMode::CommandLink:
      return str::kDdeCommandLinkCaption;
    case DdeParmsMode::BufferLink:
      return str::kDdeBufferLinkCaption;
    default:
      return str::kDdeParmsTargetCaption;
  }
}

DdeParmsValues LoadDdeParms(DdeParmsMode mode, const Settings& settings) {
  const auto fields = FieldsOf(mode, settings);
  DdeParmsValues values{*fields.application, *fields.topic, *fields.item};
  if (fields.establishOnActivation) values.establishOnActivation = *fields.establishOnActivation;
  values.stripCrLf = settings.StripCrLf;
  return values;
}

bool StoreDdeParms(DdeParmsMode mode, const DdeParmsValues& values, Settings& settings) {
  const auto fields = FieldsOf(mode, settings);
  const bool changed = values.application != *fields.application || values.topic != *fields.topic ||
                       values.item != *fields.item;
  *fields.application = values.application;
  *fields.topic = values.topic;
  *fields.item = values.item;
  if (fields.establishOnActivation) *fields.establishOnActivation = values.establishOnActivation;
  if (mode == DdeParmsMode::BufferLink) settings.StripCrLf = values.stripCrLf;
  return changed;
}

void DdeParmsCheckBoxClicked(WorkingValues& working) {
  working.ConfigModified = true;
}

TopicChoice LoadTopic(const Settings& settings) {
  return {!settings.DDETopic.empty(), settings.DDETopic};
}

DialogCheck CheckTopic(const TopicChoice& choice) {
  if (choice.specify && choice.text.empty())
    return DialogCheck::Refuse(str::kDdeTopicBlank, str::kDdeTopicInvalidTitle, "topicEdit");
  return DialogCheck::Accept();
}

bool StoreTopic(const TopicChoice& choice, Settings& settings) {
  const std::string topic = choice.specify ? choice.text : std::string();
  if (topic == settings.DDETopic) return false;
  settings.DDETopic = topic;
  return true;
}

}  // namespace fenno
