#pragma once

// Sample settings and files shared by the configuration file tests: a record that uses every
// byte each item can hold, a writer of the older layout (independent of the reader's layout
// description, so the two check each other), and a scratch folder.

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "config/settings.h"
#include "support/test_files.h"

namespace fenno::testing {

// Bytes 0..255 without the excluded ones, starting at byte `start` and wrapping around.
inline std::string AllBytesExcept(std::string_view excluded, int start = 0) {
  std::string text;
  for (int i = 0; i < 256; ++i) {
    const char c = static_cast<char>((start + i) % 256);
    if (excluded.find(c) == std::string_view::npos) text += c;
  }
  return text;
}

inline std::string AllBytes(int start = 0) {
  return AllBytesExcept({}, start);
}

// A record in which every stored item differs from its default and every text holds every
// byte its place in the file allows: all 256 in the raw texts, all but CR and LF in lines,
// and no comma or leading space in the TCP program's list items either.
inline Settings RichSettings(const Edition& edition) {
  Settings s = Settings::Defaults(edition, "/home/ann");
  int start = 1;
  auto line = [&start] { return AllBytesExcept("\r\n", start++); };
  auto raw = [&start] { return AllBytes(start++); };
  if (edition.hasTcpSettings) {
    s.TcpMode = 1;
    s.TcpRemoteHost = "h" + AllBytesExcept("\r\n, ", 'h');
    s.TcpRemotePort = "5025 ";
    s.TcpLocalPort = "x" + AllBytesExcept("\r\n,");
  } else {
    s.PortIndex = 4;
    s.BaudIndex = 11;
    s.ParityIndex = 4;
    s.DataBitsIndex = 3;
    s.StopBitsIndex = 2;
    s.FlowControl = 3;
    s.InputBufferSize = 131072;
    s.OutputBufferSize = 128;
  }
  s.OutputMethod = kLogToDisk;
  s.BeepOnInput = s.CommandLinkAuto = s.BufferLinkAuto = true;
  s.StartSuspended = s.MinimizeOnActivation = s.AlwaysOnTop = s.ShowDateTime = true;
  s.TargetSpecified = s.StripCrLf = false;
  s.RecordStructure = kFixedLengthFields;
  s.StartOfRecordEvent = kStartSpecial;
  s.EndOfRecordEvent = kEndSpecial;
  s.RecordTimeGap = 255;
  s.RecordLength = 32767;
  s.FieldCount = 40;
  s.Delimiter = '\0';
  s.InterCharDelay = 250;
  s.TimerInterval = 99999999;
  s.TimerFlags = 1 | 8;
  s.EngineButtons = 3;
  for (std::string* text :
       {&s.LogFilePath, &s.TargetAppTitle, &s.TargetAppCommand, &s.DdeTargetApp, &s.DdeTargetTopic,
        &s.DdeTargetItem, &s.CommandLinkApp, &s.CommandLinkTopic, &s.CommandLinkItem,
        &s.BufferLinkApp, &s.BufferLinkTopic, &s.BufferLinkItem, &s.DDETopic, &s.DateTimeFormat})
    *text = line();
  for (std::string* text : {&s.StartOfRecordChars, &s.RecordPreamble, &s.TimerString})
    *text = raw();
  s.EndOfRecordChars = "\r\n\"" + raw();
  s.AckString = "\r\n\"" + raw();
  for (int i = 1; i <= kMaxFields; ++i) {
    s.FieldFilter[i] = line();
    s.FieldLength[i] = static_cast<int16_t>(i * 700);
    s.FieldPostamble[i] = raw();
    s.FieldFormat[i] = line();
    s.FieldMathExpr[i] = line();
  }
  for (int n = 0; n < kTableSize; ++n) {
    s.PreInputTranslation[n] = std::string(1, static_cast<char>(255 - n));
    s.KeystrokeTranslation[n] = n % 2 ? line() : std::string(1, static_cast<char>(n));
  }
  s.KeystrokeTranslation[10] = "";  // a line that holds nothing reads back as nothing
  s.PreInputTranslation[0] = kIgnoreEntry;
  s.PreInputTranslation[21] = kVoidRecordEntry;
  s.DdeTranslation = AllBytes(200);
  s.LogTranslation = AllBytes(100);
  for (int i = 1; i <= kOutputStrings; ++i) {
    s.ButtonCaption[i] = line();
    s.ButtonString[i] = raw();
  }
  for (int i = 0; i < kHotKeys; ++i) {
    s.HotKeyAction[i] = static_cast<int16_t>(i % edition.hotKeyActionCount);
    s.HotKeyCode[i] = static_cast<int16_t>(i * 600 - 15000);
    s.HotKeyString[i] = raw();
  }
  return s;
}

// A file in the older layout, written the way older versions wrote it: counted texts follow
// their count directly and are followed directly by the next item.
inline std::string OldLayoutFile(const Settings& s, const Edition& edition) {
  std::string out;
  auto number = [&out](long value) {
    out += (value >= 0 ? " " : "") + std::to_string(value) + " \r\n";
  };
  auto line = [&out](const std::string& text) { out += text + "\r\n"; };
  auto counted = [&](const std::string& text) {
    number(static_cast<long>(text.size()));
    out += text;
  };
  auto code = [&number](char c) { number(static_cast<unsigned char>(c)); };
  line(std::string(edition.oldHeader));
  number(s.PortIndex);
  if (edition.hasTcpSettings) {
    for (long value : {long{s.TcpMode}, 1L, 2L, 0L, 0L, 4096L, 1024L}) number(value);
    for (const std::string* item : {&s.TcpRemoteHost, &s.TcpRemotePort, &s.TcpLocalPort})
      line(*item);
  } else {
    for (long value : {s.BaudIndex, s.ParityIndex, s.DataBitsIndex, s.StopBitsIndex, s.FlowControl})
      number(value);
    number(s.InputBufferSize);
    number(s.OutputBufferSize);
  }
  number(s.BeepOnInput ? -1 : 0);
  for (long value : {s.OutputMethod, s.RecordTimeGap, s.StartOfRecordEvent, s.EndOfRecordEvent,
                     s.RecordStructure, s.RecordLength, s.FieldCount})
    number(value);
  line(std::string(1, s.Delimiter) + "ignored rest");
  line(s.TargetAppTitle);
  line(s.TargetAppCommand);
  number(s.TargetSpecified ? -1 : 0);
  line(s.DdeTargetApp);
  line(s.DdeTargetTopic);
  line(s.DdeTargetItem);
  for (const std::string& entry : s.KeystrokeTranslation) line(entry);
  for (const std::string& entry : s.PreInputTranslation)
    line(entry.size() == 1 ? " " + std::to_string(static_cast<unsigned char>(entry[0])) : entry);
  for (char c : s.DdeTranslation) code(c);
  for (char c : s.LogTranslation) code(c);
  counted(s.AckString);
  counted(s.TimerString);
  number(s.TimerInterval);
  number(s.TimerFlags);
  counted(s.RecordPreamble);
  for (int i = 1; i <= kOutputStrings; ++i) {
    line(s.ButtonCaption[i]);
    counted(s.ButtonString[i]);
    line(s.FieldFilter[i]);
    number(s.FieldLength[i]);
    counted(s.FieldPostamble[i]);
    line(s.FieldFilter[i + 20]);
    number(s.FieldLength[i + 20]);
    counted(s.FieldPostamble[i + 20]);
    line(s.FieldFormat[i]);
    line(s.FieldFormat[i + 20]);
  }
  line(s.LogFilePath);
  number(s.MinimizeOnActivation ? -1 : 0);
  line(s.CommandLinkApp);
  line(s.CommandLinkTopic);
  line(s.CommandLinkItem);
  number(s.CommandLinkAuto ? -1 : 0);
  line(s.BufferLinkApp);
  line(s.BufferLinkTopic);
  line(s.BufferLinkItem);
  number(s.BufferLinkAuto ? -1 : 0);
  number(s.StripCrLf ? -1 : 0);
  line(s.DateTimeFormat);
  number(s.ShowDateTime ? -1 : 0);
  number(s.EngineButtons);
  counted(s.StartOfRecordChars);
  counted(s.EndOfRecordChars);
  line(s.DDETopic);
  line(std::to_string(s.InterCharDelay));
  return out;
}

// What reading an old file written from `file` into `before` gives: the old layout has no
// StartSuspended, AlwaysOnTop, hot keys or math expressions.
inline Settings AfterOldFileRead(const Settings& file, const Settings& before) {
  Settings expected = file;
  expected.StartSuspended = before.StartSuspended;
  expected.AlwaysOnTop = before.AlwaysOnTop;
  expected.HotKeyAction = before.HotKeyAction;
  expected.HotKeyCode = before.HotKeyCode;
  expected.HotKeyString = before.HotKeyString;
  expected.FieldMathExpr = before.FieldMathExpr;
  return expected;
}

}  // namespace fenno::testing
