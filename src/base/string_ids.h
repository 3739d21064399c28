#pragma once

// Numbers of the string-table texts the code looks up by name, grouped by window as the
// table is (data in src/base/strings/table.*.txt). Numbers below 10000 are the table's own
// numbering. Texts that had no number were given one of 10000 and above, in a range per
// area, so that they are translated too; their names live in the area's own header (for
// example config/config_text_ids.h):
//   10000-10099 configuration files    10100-10199 transports
//   10200-10299 keystroke output       10300-10399 engine and data log
//   10400-10499 live data items        10500-10599 hot keys
//   10600-10699 program start-up and setup window
//   10800-10899 record dialogs         10900-10999 translation tables and raw bytes
//   11000-11099 port and connection    11100-11199 terminal window and analyzer
//   11200-11299 output strings, hot keys, target application, key pickers
//   11300-11399 help, about and desktop  11400-11499 Wayland desktops
//
// Where a text names the program, each program has its own wording under the same number.

namespace fenno::str {

// Font of the user interface language: its name and its character set as a number.
inline constexpr int kFontName = 20;
inline constexpr int kFontCharset = 21;

// Target application dialog (AppSelect).
inline constexpr int kAppSelectCaption = 1201;  // "Send Keystrokes To:"
inline constexpr int kAppSelectTitleLabel = 1202;
inline constexpr int kAppSelectCommandLabel = 1203;
inline constexpr int kAppSelectBrowse = 1204;
inline constexpr int kAppSelectOk = 1205;
inline constexpr int kAppSelectCancel = 1206;
inline constexpr int kAppSelectModeHelp = 1207;
inline constexpr int kAppSelectTargetHelp = 1208;

// ASCII chart (AsciiChart).
inline constexpr int kAsciiChartCaption = 1301;
inline constexpr int kAsciiChartValueHeader = 1302;
inline constexpr int kAsciiChartCharHeader = 1303;
inline constexpr int kAsciiChartControlCodeHeader = 1304;
inline constexpr int kAsciiChartOk = 1305;
inline constexpr int kAsciiChartCancel = 1306;

// Terminal window (ComShow), as port analyzer; the virtual device layout uses 5003-5005.
inline constexpr int kComShowCaption = 1401;  // "Port Analyze"
inline constexpr int kComShowInputLabel = 1402;
inline constexpr int kComShowTotalByteCount = 1403;
inline constexpr int kComShowSelectionFrame = 1404;
inline constexpr int kComShowStartPosition = 1405;
inline constexpr int kComShowSelByteCount = 1406;
inline constexpr int kComShowPreInputCheck = 1407;
inline constexpr int kComShowOutputFrame = 1408;
inline constexpr int kComShowAsciiChart = 1409;
inline constexpr int kComShowSend = 1410;
inline constexpr int kComShowDtr = 1411;
inline constexpr int kComShowBreak = 1412;
inline constexpr int kComShowClearInput = 1413;
inline constexpr int kComShowAnalyzeInput = 1414;
inline constexpr int kComShowQuit = 1415;

// DDE parameters dialog (DDEParms); its link modes take their caption from 6004/6005.
inline constexpr int kDdeParmsTargetCaption = 1501;  // "DDE Command Target Application"
inline constexpr int kDdeParmsAppLabel = 1502;
inline constexpr int kDdeParmsTopicLabel = 1503;
inline constexpr int kDdeParmsItemLabel = 1504;
inline constexpr int kDdeParmsOk = 1505;
inline constexpr int kDdeParmsCancel = 1506;

// Delimited record dialog (Delim).
inline constexpr int kDelimCaption = 1601;
inline constexpr int kDelimCharacterLabel = 1602;
inline constexpr int kDelimFieldCountLabel = 1603;
inline constexpr int kDelimOk = 1604;
inline constexpr int kDelimCancel = 1605;

// Fixed length record dialog (Fixed).
inline constexpr int kFixedCaption = 1701;
inline constexpr int kFixedPrompt = 1702;
inline constexpr int kFixedOk = 1703;
inline constexpr int kFixedCancel = 1704;

// Keystroke picker (GetAKey); its modifier boxes use 1902-1904.
inline constexpr int kGetAKeyCaption = 1801;
inline constexpr int kGetAKeyOk = 1802;
inline constexpr int kGetAKeyCancel = 1803;

// Hot key picker (GetAKey2).
inline constexpr int kGetAKey2Caption = 1901;
inline constexpr int kModifierAlt = 1902;  // "Alt (%)"
inline constexpr int kModifierCtrl = 1903;
inline constexpr int kModifierShift = 1904;
inline constexpr int kGetAKey2Ok = 1905;
inline constexpr int kGetAKey2Cancel = 1906;

// Hot keys dialog (HotKeyFrm).
inline constexpr int kHotKeyFrmCaption = 2001;
inline constexpr int kHotKeyFrmNumberLabel = 2002;
inline constexpr int kHotKeyFrmActionLabel = 2003;
inline constexpr int kHotKeyFrmKeyLabel = 2004;
inline constexpr int kHotKeyFrmStringLabel = 2005;
inline constexpr int kHotKeyFrmOk = 2006;
inline constexpr int kHotKeyFrmCancel = 2007;
inline constexpr int kHotKeyFrmKeyList = 2008;  // caption of KeyListButton beside the key box
// Name of hot-key action n of the serial program's numbering (0 "None" .. 13); the TCP
// program maps its stored action numbers to these first.
inline constexpr int kHotKeyActionNameBase = 2009;
inline constexpr int HotKeyActionName(int serialAction) {
  return kHotKeyActionNameBase + serialAction;
}

// Setup window (MainForm) and its menus.
inline constexpr int kSetupCaption = 2101;  // caption while the window loads
inline constexpr int kMenuFile = 2102;
inline constexpr int kMenuFileNew = 2103;
inline constexpr int kMenuFileOpen = 2104;
inline constexpr int kMenuFileSave = 2105;
inline constexpr int kMenuFileSaveAs = 2106;
inline constexpr int kMenuFileExit = 2107;
inline constexpr int kMenuMode = 2108;
inline constexpr int kMenuSendKeystrokes = 2109;
inline constexpr int kMenuUseDde = 2110;
inline constexpr int kMenuSaveToFile = 6000;
inline constexpr int kMenuPort = 2111;
inline constexpr int kMenuPortSettings = 2112;
inline constexpr int kMenuPortTest = 2113;
inline constexpr int kMenuPortControl = 2302;  // "Beep on Input"
inline constexpr int kMenuDefine = 2114;
inline constexpr int kMenuDefineRecords = 2115;
inline constexpr int kMenuPreInTrans = 2116;
inline constexpr int kMenuDefineTranslate = 2117;
inline constexpr int kMenuGetOutStrings = 2118;
inline constexpr int kMenuHotKeyActions = 2119;
inline constexpr int kMenuDdeSource = 6001;
inline constexpr int kMenuDdeBuffer = 6002;
inline constexpr int kMenuRun = 2121;  // "&Activate"
inline constexpr int kMenuRunTest = 2122;
inline constexpr int kMenuRunNormal = 2123;
inline constexpr int kMenuRunVirtual = 2124;
inline constexpr int kMenuSetTopic = 6003;
inline constexpr int kMenuHelp = 2125;
inline constexpr int kMenuHelpIndex = 2126;
inline constexpr int kMenuHelpAbout = 2128;

// Preferences of the Activate menu, and the date/time format dialog (frmDateTimeFmt).
// The TCP program has neither DisplayDTR nor DisplayBrk.
inline constexpr int kDateTimeFmtCaption = 2301;
inline constexpr int kMenuActDisable = 2304;
inline constexpr int kMenuMiniFenno = 2303;
inline constexpr int kMenuOnTop = 2305;
inline constexpr int kMenuDisplayDtr = 2306;
inline constexpr int kMenuDisplayBrk = 2307;
inline constexpr int kMenuDateTime = 2308;
inline constexpr int kDateTimeFmtLabel = 2309;
inline constexpr int kDateTimeFmtOk = 2310;
inline constexpr int kDateTimeFmtCancel = 2311;

// Port settings dialog (PortSetup). The TCP program's dialog uses the caption, OK and
// Cancel from here and its settings from 9013-9020.
inline constexpr int kPortSetupCaption = 2201;
inline constexpr int kPortSetupPortLabel = 2202;
inline constexpr int kPortSetupBaudFrame = 2203;
inline constexpr int kPortSetupParityFrame = 2204;
inline constexpr int kPortSetupParityNone = 2205;  // 2205 + ParityIndex, "None" .. "Space"
inline constexpr int kPortSetupDataBitsFrame = 2210;
inline constexpr int kPortSetupStopBitsFrame = 2211;
inline constexpr int kPortSetupFlowFrame = 2212;
inline constexpr int kPortSetupFlowNone = 2213;  // 2213 + FlowControl, "None" .. "Opto-RS"
inline constexpr int kPortSetupInputBufferLabel = 2217;
inline constexpr int kPortSetupOutputBufferLabel = 2218;
inline constexpr int kPortSetupOk = 2219;
inline constexpr int kPortSetupCancel = 2220;

// Record definition editor (RecDefs). Its caption by output method is 4040-4042, and in
// DDE server mode its preamble and postamble labels are 7003 and 7004.
inline constexpr int kRecDefsCaption = 2401;
inline constexpr int kRecDefsPreambleKeystrokes = 2402;
inline constexpr int kRecDefsPreambleCharacters = 2403;
inline constexpr int kRecDefsFieldNumberLabel = 2404;
inline constexpr int kRecDefsFieldLengthLabel = 2405;
inline constexpr int kRecDefsBytesDefined = 2406;
inline constexpr int kRecDefsOf = 2407;
inline constexpr int kRecDefsFilterLabel = 2408;
inline constexpr int kRecDefsFormatLabel = 2409;
inline constexpr int kRecDefsFilterNone = 2410;  // 2410 + list index, in the order "CINHOB"
inline constexpr int kRecDefsExpressionLabel = 2416;
inline constexpr int kRecDefsPostambleKeystrokes = 2417;
inline constexpr int kRecDefsPostambleCharacters = 2418;
inline constexpr int kRecDefsPrevious = 2419;
inline constexpr int kRecDefsNext = 2420;
inline constexpr int kRecDefsOk = 2421;
inline constexpr int kRecDefsCancel = 2422;
inline constexpr int kRecDefsKeyButton = 2423;
inline constexpr int kRecDefsAsciiButton = 2424;

// Record structure dialog (RecStructure).
inline constexpr int kRecStructureCaption = 2501;
inline constexpr int kRecStructurePrompt = 2502;
inline constexpr int kRecStructureSingle = 2503;  // 2503 + RecordStructure
inline constexpr int kRecStructureDelimited = 2504;
inline constexpr int kRecStructureFixed = 2505;
inline constexpr int kRecStructureOk = 2506;
inline constexpr int kRecStructureCancel = 2507;

// Start and end of record events dialog (RecType).
inline constexpr int kRecTypeCaption = 2601;
inline constexpr int kRecTypeStartFrame = 2602;
inline constexpr int kRecTypeStartAny = 2603;  // 2603 + StartOfRecordEvent
inline constexpr int kRecTypeStartAlphaNumeric = 2604;
inline constexpr int kRecTypeStartNumeric = 2605;
inline constexpr int kRecTypeStartSpecial = 2606;
inline constexpr int kRecTypeEndFrame = 2607;
inline constexpr int kRecTypeEndCrLf = 2608;  // 2608 + EndOfRecordEvent
inline constexpr int kRecTypeEndTimeDelay = 2609;
inline constexpr int kRecTypeEndFixedBytes = 2610;
inline constexpr int kRecTypeEndSpecial = 2611;
inline constexpr int kRecTypeOk = 2612;
inline constexpr int kRecTypeCancel = 2613;
inline constexpr int kRecTypeAsciiChart = 2614;

// Output string editor (SendStringForm).
inline constexpr int kSendStringCaption = 2701;
inline constexpr int kSendStringAckLabel = 2702;
inline constexpr int kSendStringTimerActionFrame = 2703;
inline constexpr int kSendStringActionTransmit = 2704;
inline constexpr int kSendStringActionToggleDtr = 2705;
inline constexpr int kSendStringActionBreak = 2706;
inline constexpr int kSendStringIntervalLabel = 2707;
inline constexpr int kSendStringTimerOn = 2708;
inline constexpr int kSendStringTimerStringLabel = 2709;
inline constexpr int kSendStringNamesLabel = 2710;
inline constexpr int kSendStringCaptionLabel = 2711;
inline constexpr int kSendStringTextLabel = 2712;
inline constexpr int kSendStringAsciiChart = 2713;
inline constexpr int kSendStringDone = 2714;

// Timed input dialog (Timed).
inline constexpr int kTimedCaption = 2801;
inline constexpr int kTimedPrompt = 2802;
inline constexpr int kTimedClockTicksLabel = 2803;
inline constexpr int kTimedOk = 2804;
inline constexpr int kTimedCancel = 2805;

// Translation table editor (TransTbl); its caption by table is 4037-4039, or the pre-input
// menu text without its accelerator.
inline constexpr int kTransTblCaption = 2901;
inline constexpr int kTransTblValueHeader = 2902;
inline constexpr int kTransTblCharHeader = 2903;
inline constexpr int kTransTblControlCodeHeader = 2904;
inline constexpr int kTransTblTranslationHeader = 2905;
inline constexpr int kTransTblTranslate = 2906;
inline constexpr int kTransTblOk = 2907;
inline constexpr int kTransTblResetAll = 2908;
inline constexpr int kTransTblTranslateTip = 2909;
inline constexpr int kTransTblResetAllTip = 2910;

// Engine window (Fenno) and its menus.
inline constexpr int kEditMenu = 3002;
inline constexpr int kEditCopy = 3003;
inline constexpr int kQuitMenu = 3004;
inline constexpr int kSuspendMenu = 3005;  // while running; 5001 while suspended
inline constexpr int kResumeMenu = 5001;
inline constexpr int kResume1Menu = 5002;
inline constexpr int kResetMenu = 3006;
inline constexpr int kDisableTimedOutput = 3007;
inline constexpr int kEnableTimedOutput = 3008;
inline constexpr int kExitMenu = 3009;
inline constexpr int kAboutMenu = 3010;
inline constexpr int kDateTimeLabel = 3011;
inline constexpr int kRecordNumberLabel = 3012;  // "Record #"
inline constexpr int kVirtualDeviceSuffix = 5000;
inline constexpr int kTrayOpen = 5006;
inline constexpr int kDdePasteCommandLink = 9100;
inline constexpr int kDdeRefreshCommandLink = 9101;
inline constexpr int kDdeKillCommandLink = 9102;
inline constexpr int kDdePasteBufferLink = 9103;
inline constexpr int kDdeRefreshBufferLink = 9104;
inline constexpr int kDdeKillBufferLink = 9105;

// Messages and message titles.
inline constexpr int kLogWriteError = 4003;  // a space and the path follow
inline constexpr int kInvalidInputTitle = 4005;
inline constexpr int kSpecialCharMissing = 4007;
inline constexpr int kInvalidStartEventTitle = 4008;
inline constexpr int kInvalidEndEventTitle = 4009;
inline constexpr int kRecordLengthRange = 4010;
inline constexpr int kFieldLengthRange = 4011;
inline constexpr int kFieldLengthSum = 4012;
inline constexpr int kFieldLengthErrorTitle = 4013;
inline constexpr int kTimeGapRange = 4014;
inline constexpr int kFieldCountRange = 4015;
// The analyzer's guess. 4019 follows a delimiter name and a space, its "??" is the field
// count; in 4020 "nn" is the record length and "xx" the field count.
inline constexpr int kGuessSingleFieldCr = 4017;
inline constexpr int kGuessSingleFieldTimed = 4018;
inline constexpr int kGuessDelimited = 4019;
inline constexpr int kGuessFixedLength = 4020;
inline constexpr int kGuessQuestion = 4021;
inline constexpr int kGuessTitle = 4022;
inline constexpr int kTransTblKeystrokeCaption = 4037;
inline constexpr int kTransTblDdeCaption = 4038;
inline constexpr int kTransTblLogCaption = 4039;
inline constexpr int kRecDefsDdeCaption = 4040;
inline constexpr int kRecDefsKeystrokeCaption = 4041;
inline constexpr int kRecDefsLogCaption = 4042;

// Virtual device layout of the terminal window, and the setup window's caption with the
// configuration file: 5008 is followed directly by "(", the file name and ")".
inline constexpr int kVirtualInputLabel = 5003;
inline constexpr int kVirtualOutputFrame = 5004;
inline constexpr int kVirtualDeviceCaption = 5005;
inline constexpr int kSetupCaptionUntitled = 5007;
inline constexpr int kSetupCaptionNamed = 5008;

// DDE link dialog modes and the DDE topic dialog.
inline constexpr int kDdeCommandLinkCaption = 6004;
inline constexpr int kDdeBufferLinkCaption = 6005;
inline constexpr int kDdeLinkStatus = 6006;
inline constexpr int kDdeStripCrLf = 6007;
inline constexpr int kDdeTopicCaption = 7000;
inline constexpr int kDdeTopicUsePort = 7001;
inline constexpr int kDdeTopicSpecify = 7002;
inline constexpr int kRecDefsPreambleDde = 7003;
inline constexpr int kRecDefsPostambleDde = 7004;
inline constexpr int kDdeTopicBlank = 9000;
inline constexpr int kDdeTopicInvalidTitle = 9002;

// DDE link errors; a space and "application,topic,item" follow.
inline constexpr int kDdeBufferLinkError = 8005;
inline constexpr int kDdeCommandLinkError = 8006;

// Named formats as shown to the user, 9004 "General Number" .. 9009 "Scientific".
inline constexpr int kFormatGeneralNumber = 9004;
inline constexpr int FormatDisplayName(int index) {  // index 1 .. 6
  return kFormatGeneralNumber - 1 + index;
}

// The analyzer's delimiter names: comma, space, tab, asterisk.
inline constexpr int kComfennoDelimiterComma = 9013;
inline constexpr int kNetfennoDelimiterComma = 9106;

// TCP program: connection settings and states.
inline constexpr int kTcpClientOption = 9013;
inline constexpr int kTcpServerOption = 9014;  // TCPOption
inline constexpr int kTcpRemoteHostLabel = 9015;
inline constexpr int kTcpRemotePortLabel = 9016;
inline constexpr int kTcpLocalAddressLabel = 9017;
inline constexpr int kTcpLocalPortLabel = 9018;
inline constexpr int kTcpPortRange = 9019;
inline constexpr int kTcpPortRangeTitle = 9020;
inline constexpr int kTcpCaptionPort = 9021;
inline constexpr int kTcpStateError = 9022;
// Socket states 0 closed .. 8 peer closing; 9 (error) is kTcpStateError.
inline constexpr int kTcpStateClosed = 9023;
inline constexpr int TcpStateName(int state) {
  return state >= 0 && state <= 8 ? kTcpStateClosed + state : kTcpStateError;
}
inline constexpr int kTcpConnectedTo = 9032;  // the peer's address follows

}  // namespace fenno::str
