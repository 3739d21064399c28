#pragma once

// The order in which a configuration file holds the settings. This one description drives
// the reader, the writer, the writer's check of what it can store and --print-config, so
// the four cannot drift apart.
//
// A walk calls one visitor method per stored item, in file order. The visitor decides what
// an item means to it: the reader parses it into the field, the writer formats the field,
// the printer prints it. Old files (read only) hold the same items, the TCP program's
// connection lines included, with the counted texts interleaved (a count line, then exactly
// that many bytes, then directly the next item) and the later items missing; the walk takes
// the layout as a template argument so that writer and printer never see the old-only items.

#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

#include "config/edition.h"
#include "config/settings.h"

namespace fenno {

enum class ConfigLayout { Current, Old };

// A stored item's name as users see it: "FieldCount", "FieldFilter(3)".
struct ItemName {
  std::string_view base;
  int index = -1;  // -1 when the setting is not indexed
};
std::string ItemNameText(const ItemName& name);

// The values a number item may hold. Counts, lengths, sizes, character codes and choices
// from a fixed list are bounded by what the program can act on; other numbers only by
// their type. A file holding a value outside the range is refused, unless the range is
// `clamped`: then the reader takes the nearest value in it.
struct ValueRange {
  int64_t min;
  int64_t max;
  bool clamped = false;
  bool Contains(int64_t value) const { return value >= min && value <= max; }
};
inline constexpr ValueRange kAnyInteger{std::numeric_limits<int16_t>::min(),
                                        std::numeric_limits<int16_t>::max()};
inline constexpr ValueRange kAnyLong{std::numeric_limits<int32_t>::min(),
                                     std::numeric_limits<int32_t>::max()};
inline constexpr ValueRange kLengthRange{0, std::numeric_limits<int16_t>::max()};
inline constexpr ValueRange kRawLengthRange{0, std::numeric_limits<int32_t>::max()};
inline constexpr ValueRange kCharCodeRange{0, 255};
inline constexpr ValueRange kPositiveLong{1, std::numeric_limits<int32_t>::max()};
inline constexpr ValueRange kNonNegativeLong{0, std::numeric_limits<int32_t>::max()};
inline constexpr ValueRange kFieldCountRange{1, kMaxFields};
inline constexpr ValueRange kRecordTimeGapRange{kMinRecordTimeGap, kMaxRecordTimeGap, true};
// The header check answers PortIndex, and a negative answer means "no configuration file".
inline constexpr ValueRange kPortIndexRange{0, kAnyInteger.max};

// Choices from fixed lists: each part of the program switches on these, and a value it
// does not know would leave it doing nothing (for OutputMethod: losing every record).
inline constexpr ValueRange Choices(int count) {
  return {0, count - 1};
}

// "Ignore" and "Void Record": the pre-input entries stored as words, not as a code.
inline bool IsPreInputWord(std::string_view entry) {
  return entry == kIgnoreEntry || entry == kVoidRecordEntry;
}

// Settings is `Settings` or `const Settings`; the visitor's methods take the matching
// references.
template <class S, class V>
void WalkPortSection(S& s, const Edition& edition, V& v) {
  v.Integer({"PortIndex"}, s.PortIndex, kPortIndexRange);
  if (edition.hasTcpSettings) {
    // Lines 4-9 keep the serial defaults so that the line numbers match the serial program.
    const Settings serialDefaults;
    v.Integer({"TcpMode"}, s.TcpMode, Choices(2));
    for (int32_t filler :
         {int32_t{serialDefaults.ParityIndex}, int32_t{serialDefaults.DataBitsIndex},
          int32_t{serialDefaults.StopBitsIndex}, int32_t{serialDefaults.FlowControl},
          serialDefaults.InputBufferSize, serialDefaults.OutputBufferSize})
      v.Filler(filler);
    v.ListItem({"TcpRemoteHost"}, s.TcpRemoteHost);
    v.ListItem({"TcpRemotePort"}, s.TcpRemotePort);
    v.ListItem({"TcpLocalPort"}, s.TcpLocalPort);
    return;
  }
  // An index outside the baud table opens the line at 9600 baud.
  v.Integer({"BaudIndex"}, s.BaudIndex, kAnyInteger);
  v.Integer({"ParityIndex"}, s.ParityIndex, Choices(5));
  v.Integer({"DataBitsIndex"}, s.DataBitsIndex, Choices(4));
  v.Integer({"StopBitsIndex"}, s.StopBitsIndex, Choices(3));
  v.Integer({"FlowControl"}, s.FlowControl, Choices(4));
  v.Long({"InputBufferSize"}, s.InputBufferSize, kPositiveLong);
  v.Long({"OutputBufferSize"}, s.OutputBufferSize, kPositiveLong);
}

template <ConfigLayout L, class S, class V>
void WalkRecordSection(S& s, V& v) {
  v.Flag({"BeepOnInput"}, s.BeepOnInput);
  v.Integer({"OutputMethod"}, s.OutputMethod, Choices(3));
  v.Integer({"RecordTimeGap"}, s.RecordTimeGap, kRecordTimeGapRange);
  v.Integer({"StartOfRecordEvent"}, s.StartOfRecordEvent, Choices(4));
  v.Integer({"EndOfRecordEvent"}, s.EndOfRecordEvent, Choices(4));
  v.Integer({"RecordStructure"}, s.RecordStructure, Choices(3));
  v.Integer({"RecordLength"}, s.RecordLength, kLengthRange);
  v.Integer({"FieldCount"}, s.FieldCount, kFieldCountRange);
  if constexpr (L == ConfigLayout::Old)
    v.DelimiterChar({"Delimiter"}, s.Delimiter);
  else
    v.CharCode({"Delimiter"}, s.Delimiter);
  v.Text({"TargetAppTitle"}, s.TargetAppTitle);
  v.Text({"TargetAppCommand"}, s.TargetAppCommand);
  v.Flag({"TargetSpecified"}, s.TargetSpecified);
  v.Text({"DdeTargetApp"}, s.DdeTargetApp);
  v.Text({"DdeTargetTopic"}, s.DdeTargetTopic);
  v.Text({"DdeTargetItem"}, s.DdeTargetItem);
}

template <class S, class V>
void WalkTranslationTables(S& s, V& v) {
  for (int n = 0; n < kTableSize; ++n)
    v.KeystrokeEntry({"KeystrokeTranslation", n}, s.KeystrokeTranslation[n]);
  for (int n = 0; n < kTableSize; ++n)
    v.PreInputEntry({"PreInputTranslation", n}, s.PreInputTranslation[n]);
  for (int n = 0; n < kTableSize; ++n) v.TableCode({"DdeTranslation", n}, s.DdeTranslation, n);
  for (int n = 0; n < kTableSize; ++n) v.TableCode({"LogTranslation", n}, s.LogTranslation, n);
}

template <class S, class V>
void WalkOldOutputStrings(S& s, V& v) {
  v.InlineRaw({"AckString"}, s.AckString);
  v.InlineRaw({"TimerString"}, s.TimerString);
  v.Long({"TimerInterval"}, s.TimerInterval, kNonNegativeLong);
  v.Integer({"TimerFlags"}, s.TimerFlags, kAnyInteger);
  v.InlineRaw({"RecordPreamble"}, s.RecordPreamble);
}

// Twenty groups, each holding output string i and fields i and i + 20.
template <ConfigLayout L, class S, class V>
void WalkFieldGroups(S& s, V& v) {
  for (int i = 1; i <= kOutputStrings; ++i) {
    const int j = i + kOutputStrings;
    v.Text({"ButtonCaption", i}, s.ButtonCaption[i]);
    if constexpr (L == ConfigLayout::Old) v.InlineRaw({"ButtonString", i}, s.ButtonString[i]);
    v.Text({"FieldFilter", i}, s.FieldFilter[i]);
    v.Integer({"FieldLength", i}, s.FieldLength[i], kLengthRange);
    if constexpr (L == ConfigLayout::Old) v.InlineRaw({"FieldPostamble", i}, s.FieldPostamble[i]);
    v.Text({"FieldFilter", j}, s.FieldFilter[j]);
    v.Integer({"FieldLength", j}, s.FieldLength[j], kLengthRange);
    if constexpr (L == ConfigLayout::Old) v.InlineRaw({"FieldPostamble", j}, s.FieldPostamble[j]);
    v.Text({"FieldFormat", i}, s.FieldFormat[i]);
    v.Text({"FieldFormat", j}, s.FieldFormat[j]);
  }
}

template <class S, class V>
void WalkPreferences(S& s, V& v) {
  v.Text({"LogFilePath"}, s.LogFilePath);
  v.Flag({"MinimizeOnActivation"}, s.MinimizeOnActivation);
  v.Text({"CommandLinkApp"}, s.CommandLinkApp);
  v.Text({"CommandLinkTopic"}, s.CommandLinkTopic);
  v.Text({"CommandLinkItem"}, s.CommandLinkItem);
  v.Flag({"CommandLinkAuto"}, s.CommandLinkAuto);
  v.Text({"BufferLinkApp"}, s.BufferLinkApp);
  v.Text({"BufferLinkTopic"}, s.BufferLinkTopic);
  v.Text({"BufferLinkItem"}, s.BufferLinkItem);
  v.Flag({"BufferLinkAuto"}, s.BufferLinkAuto);
  v.Flag({"StripCrLf"}, s.StripCrLf);
  v.Text({"DateTimeFormat"}, s.DateTimeFormat);
  v.Flag({"ShowDateTime"}, s.ShowDateTime);
  v.Integer({"EngineButtons"}, s.EngineButtons, kAnyInteger);
}

template <class S, class V>
void WalkTimerHotKeysAndExpressions(S& s, const Edition& edition, V& v) {
  v.Long({"TimerInterval"}, s.TimerInterval, kNonNegativeLong);
  v.Integer({"TimerFlags"}, s.TimerFlags, kAnyInteger);
  v.Flag({"StartSuspended"}, s.StartSuspended);
  v.Flag({"AlwaysOnTop"}, s.AlwaysOnTop);
  for (int i = 0; i < kHotKeys; ++i) {
    v.Integer({"HotKeyAction", i}, s.HotKeyAction[i], Choices(edition.hotKeyActionCount));
    v.Integer({"HotKeyCode", i}, s.HotKeyCode[i], kAnyInteger);
  }
  for (int i = 1; i <= kMaxFields; ++i) v.Text({"FieldMathExpr", i}, s.FieldMathExpr[i]);
}

// The texts that may hold any byte: their lengths in the line section, in this order...
template <class S, class V>
void WalkRawLengths(S& s, V& v) {
  v.RawLength({"AckString"}, s.AckString);
  v.RawLength({"TimerString"}, s.TimerString);
  v.RawLength({"RecordPreamble"}, s.RecordPreamble);
  v.RawLength({"StartOfRecordChars"}, s.StartOfRecordChars);
  v.RawLength({"EndOfRecordChars"}, s.EndOfRecordChars);
  for (int i = 1; i <= kOutputStrings; ++i) {
    v.RawLength({"ButtonString", i}, s.ButtonString[i]);
    v.RawLength({"FieldPostamble", i}, s.FieldPostamble[i]);
    v.RawLength({"FieldPostamble", i + kOutputStrings}, s.FieldPostamble[i + kOutputStrings]);
  }
  for (int i = 0; i < kHotKeys; ++i) v.RawLength({"HotKeyString", i}, s.HotKeyString[i]);
}

// ...and the texts themselves back to back, in this (different) order.
template <class S, class V>
void WalkRawSection(S& s, V& v) {
  v.RawText({"StartOfRecordChars"}, s.StartOfRecordChars);
  v.RawText({"EndOfRecordChars"}, s.EndOfRecordChars);
  v.RawText({"AckString"}, s.AckString);
  v.RawText({"TimerString"}, s.TimerString);
  v.RawText({"RecordPreamble"}, s.RecordPreamble);
  for (int i = 1; i <= kOutputStrings; ++i) v.RawText({"ButtonString", i}, s.ButtonString[i]);
  for (int i = 1; i <= kMaxFields; ++i) v.RawText({"FieldPostamble", i}, s.FieldPostamble[i]);
  for (int i = 0; i < kHotKeys; ++i) v.RawText({"HotKeyString", i}, s.HotKeyString[i]);
}

// Every item after the header line, in file order.
template <ConfigLayout L, class S, class V>
void WalkConfigLayout(S& s, const Edition& edition, V& v) {
  WalkPortSection(s, edition, v);
  WalkRecordSection<L>(s, v);
  WalkTranslationTables(s, v);
  if constexpr (L == ConfigLayout::Old) WalkOldOutputStrings(s, v);
  WalkFieldGroups<L>(s, v);
  WalkPreferences(s, v);
  if constexpr (L == ConfigLayout::Old) {
    v.InlineRaw({"StartOfRecordChars"}, s.StartOfRecordChars);
    v.InlineRaw({"EndOfRecordChars"}, s.EndOfRecordChars);
  } else {
    WalkTimerHotKeysAndExpressions(s, edition, v);
    WalkRawLengths(s, v);
    WalkRawSection(s, v);
  }
  v.TailText({"DDETopic"}, s.DDETopic);
  v.TailNumber({"InterCharDelay"}, s.InterCharDelay);
}

}  // namespace fenno
