#include "ui/setup_window.h"

#include <QCloseEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QVBoxLayout>

#include "base/qt_text.h"
#include "base/string_ids.h"
#include "config/command_line.h"
#include "transport/qt_device_port.h"
#include "transport/qt_tcp_port.h"
#include "ui/about_box.h"
#include "ui/app_select_dialog.h"
#include "ui/captions.h"
#include "ui/connection_dialog.h"
#include "ui/date_time_format_dialog.h"
#include "ui/dde_parms_dialog.h"
#include "ui/dde_topic_dialog.h"
#include "ui/desktop_probe.h"
#include "ui/engine_window.h"
#include "ui/form_helpers.h"
#include "ui/help_pages.h"
#include "ui/hot_key_dialog.h"
#include "ui/key_picker_dialog.h"
#include "ui/record_chain.h"
#include "ui/port_setup_dialog.h"
#include "ui/send_string_dialog.h"
#include "ui/setup_window_text_ids.h"
#include "ui/translation_editor.h"

namespace fenno {
namespace {

// A recent-file item: "&1 /path/name.DE3", its "&" doubled so it shows as itself.
QString RecentItemText(size_t index, const std::string& path) {
  QString shown = FromPath(path);
  shown.replace(QLatin1Char('&'), QLatin1String("&&"));
  return QLatin1Char('&') + QString::number(index + 1) + QLatin1Char(' ') + shown;
}

}  // namespace

SetupWindow::SetupWindow(const SetupContext& context, QWidget* parent)
    : QMainWindow(parent),
      c_(context),
      files_(SetupFilesContext{c_.edition, c_.settings, c_.working, c_.strings, c_.prompt,
                               recentFiles_, c_.homeFolder}) {
  setObjectName(QLatin1String("MainForm"));
  setWindowTitle(Numbered(str::kSetupCaption));
  BuildMenus();
  BuildCentralText();
  ApplyCaptions(*this, c_.strings);
  // The whole menu bar stays visible in every language: no item is pushed into an
  // overflow button.
  menuBarWidth_ = menuBar()->sizeHint().width();
  setMinimumWidth(menuBarWidth_);
  const int width = std::max(minimumWidth(), centralWidget()->sizeHint().width());
  resize(width, menuBar()->sizeHint().height() + centralWidget()->heightForWidth(width));
  Refresh();
}

SetupWindow::~SetupWindow() {
  delete engine_.data();
}

QMenu* SetupWindow::AddMenu(int caption, const char* name) {
  QMenu* menu = menuBar()->addMenu(Numbered(caption));
  menu->setObjectName(QLatin1String(name));
  connect(menu, &QMenu::aboutToShow, this, &SetupWindow::Refresh);
  return menu;
}

template <class Slot>
QAction* SetupWindow::AddItem(QMenu& menu, int caption, const char* name, Slot slot) {
  QAction* item = menu.addAction(Numbered(caption));
  item->setObjectName(QLatin1String(name));
  connect(item, &QAction::triggered, this, slot);
  return item;
}

QAction* SetupWindow::AddLaterItem(QMenu& menu, int caption, const char* name) {
  QAction* item = menu.addAction(Numbered(caption));
  item->setObjectName(QLatin1String(name));
  connect(item, &QAction::triggered, this, [this, item] { NotYet(*item); });
  return item;
}

void SetupWindow::BuildMenus() {
  QMenu* file = AddMenu(str::kMenuFile, "FilePullDown");
  // Each item refreshes the window whatever it answers: a cancelled Open may still have
  // saved the previous configuration under a new name.
  const auto fileItem = [this, file](int caption, const char* name,
                                     bool (SetupFiles::*operation)()) {
    AddItem(*file, caption, name, [this, operation] {
      (files_.*operation)();
      Refresh();
    });
  };
  fileItem(str::kMenuFileNew, "FileNew", &SetupFiles::New);
  fileItem(str::kMenuFileOpen, "FileLoad", &SetupFiles::Open);
  fileItem(str::kMenuFileSave, "FileSave", &SetupFiles::Save);
  fileItem(str::kMenuFileSaveAs, "FileSaveAs", &SetupFiles::SaveAs);
  recentSeparators_[0] = file->addSeparator();
  recentSeparators_[0]->setObjectName(QLatin1String("mnuMRUSsep1"));
  for (size_t i = 0; i < recentItems_.size(); ++i) {
    recentItems_[i] = file->addAction(QString());
    recentItems_[i]->setObjectName(QLatin1String("mnuMRU") + QString::number(i));
    connect(recentItems_[i], &QAction::triggered, this, [this, i] {
      files_.OpenRecent(i);
      Refresh();
    });
  }
  recentSeparators_[1] = file->addSeparator();
  recentSeparators_[1]->setObjectName(QLatin1String("mnuMRUsep2"));
  AddItem(*file, str::kMenuFileExit, "FileExit", [this] { close(); });

  QMenu* mode = AddMenu(str::kMenuMode, "XferMethod");
  outputMethodItems_[kSendKeystrokes] =
      AddItem(*mode, str::kMenuSendKeystrokes, "SendKeystrokes", [this] {
        // Choosing the item chooses keystroke output before its dialog opens.
        c_.working.ConfigModified |= ChooseOutputMethod(kSendKeystrokes, c_.settings);
        Refresh();
        DesktopProbe desktop;
        AppSelectDialog dialog(c_.settings, c_.working, c_.prompt, c_.strings, desktop.Windows(),
                               this);
        dialog.exec();
      });
  outputMethodItems_[kDdeServer] = AddItem(*mode, str::kMenuUseDde, "UseDDE",
                                           [this] { OpenDdeParms(DdeParmsMode::CommandTarget); });
  outputMethodItems_[kLogToDisk] = AddItem(*mode, str::kMenuSaveToFile, "SaveToFile", [this] {
    files_.ChooseLogFile();
    Refresh();
  });
  for (QAction* item : outputMethodItems_) item->setCheckable(true);

  QMenu* port = AddMenu(str::kMenuPort, "PortPullDown");
  portSettings_ =
      AddItem(*port, str::kMenuPortSettings, "PortSettings", [this] { OpenPortSettings(); });
  portTest_ = AddItem(*port, str::kMenuPortTest, "PortTest", &SetupWindow::OpenTerminal);
  port->addSeparator();

  QMenu* define = AddMenu(str::kMenuDefine, "DefinePullDown");
  AddItem(*define, str::kMenuDefineRecords, "DefineRecords", [this] {
    RunRecordDialogs({c_.settings, c_.working, c_.prompt, c_.strings}, c_.regional, this);
    Refresh();
  });
  define->addSeparator();
  AddItem(*define, str::kMenuPreInTrans, "PreInTrans",
          [this] { OpenTranslationEditor(TranslationTable::PreInput); });
  AddItem(*define, str::kMenuDefineTranslate, "DefineTranslate",
          [this] { OpenTranslationEditor(PreTransferTable(c_.settings)); });
  define->addSeparator();
  AddItem(*define, str::kMenuGetOutStrings, "GetOutStrings", [this] {
    SendStringDialog dialog(c_.settings, c_.working, c_.prompt, c_.strings, this);
    dialog.exec();
  });
  AddItem(*define, str::kMenuHotKeyActions, "MHKActions", [this] {
    // An engine grabs its hot keys when it starts; the setup window is hidden while one
    // runs, so the next activation grabs what is stored here.
    DesktopProbe desktop;
    HotKeyDialog dialog(c_.edition, c_.settings, c_.working, c_.prompt, c_.strings,
                        desktop.KeyCheck(), this);
    dialog.UseKeycodeMap(desktop.KeycodeToVirtualKey());
    dialog.exec();
  });
  define->addSeparator();
  AddItem(*define, str::kMenuDdeSource, "DDESource",
          [this] { OpenDdeParms(DdeParmsMode::CommandLink); });
  AddItem(*define, str::kMenuDdeBuffer, "DDEBuffer",
          [this] { OpenDdeParms(DdeParmsMode::BufferLink); });

  QMenu* run = AddMenu(str::kMenuRun, "Run");
  runTest_ =
      AddItem(*run, str::kMenuRunTest, "RunTest", [this] { Activate(ActivationMode::Test); });
  runNormal_ =
      AddItem(*run, str::kMenuRunNormal, "RunNormal", [this] { Activate(ActivationMode::Normal); });
  AddItem(*run, str::kMenuRunVirtual, "RunVirtual", [this] { Activate(ActivationMode::Virtual); });
  for (const PreferenceItem& preference : PreferenceItems()) {
    if (!PreferenceAvailable(preference.preference, c_.edition)) continue;
    // Beep on Input sits in the Port menu; the Activate menu's groups are separated.
    const bool inPort = preference.preference == Preference::BeepOnInput;
    if (preference.preference == Preference::StartSuspended ||
        preference.preference == Preference::DisplayDtr ||
        (preference.preference == Preference::ShowDateTime && !c_.edition.IsSerial()))
      run->addSeparator();
    QAction* item = AddItem(inPort ? *port : *run, preference.caption, preference.name,
                            [this, which = preference.preference] {
                              TogglePreference(which, c_.settings, c_.working);
                              Refresh();
                              // Switching the clock on asks for its format.
                              if (which == Preference::ShowDateTime && c_.settings.ShowDateTime) {
                                DateTimeFormatDialog dialog(c_.settings, c_.working, c_.regional,
                                                            c_.prompt, c_.strings, this);
                                dialog.exec();
                              }
                            });
    item->setCheckable(true);
    preferenceItems_.emplace_back(preference.preference, item);
  }
  run->addSeparator();
  AddItem(*run, str::kMenuSetTopic, "mSetTopic", [this] {
    DdeTopicDialog dialog(c_.settings, c_.working, c_.prompt, c_.strings, this);
    dialog.exec();
  });

  QMenu* help = AddMenu(str::kMenuHelp, "Help");
  QAction* index = AddItem(*help, str::kMenuHelpIndex, "HelpIndex", [this] {
    OpenHelpPage(kHelpIndexPage, c_.edition, c_.strings, c_.prompt);
  });
  index->setShortcut(QKeySequence(Qt::Key_F1));
  help->addSeparator();
  AddItem(*help, str::kQuickStartMenu, "QuickStart",
          [this] { OpenHelpPage(kQuickStartPage, c_.edition, c_.strings, c_.prompt); });
  help->addSeparator();
  AddItem(*help, str::kMenuHelpAbout, "HelpAbout", [this] {
    AboutBox about(c_.edition, c_.strings, this);
    about.exec();
  });
}

void SetupWindow::BuildCentralText() {
  auto* central = new QWidget;
  auto* layout = new QVBoxLayout(central);
  auto* hint = new QLabel(Numbered(str::kSetupHint));
  hint->setObjectName(QLatin1String("setupHint"));
  hint->setWordWrap(true);
  hint->setAlignment(Qt::AlignCenter);
  layout->addWidget(hint);
  // Room for a few lines, so the window reads as a window and not as a bar.
  central->setMinimumHeight(hint->fontMetrics().height() * 6);
  setCentralWidget(central);
}

void SetupWindow::Refresh() {
  setWindowTitle(FromUtf8(SetupCaption(c_.strings, c_.working.ConfigFileName)));
  setMinimumWidth(menuBarWidth_);
  FitTitle(*this);
  for (const auto& [preference, item] : preferenceItems_)
    item->setChecked(PreferenceChecked(preference, c_.settings));
  const SetupMenuState state = SetupMenuStateOf(c_.edition, c_.settings, !terminal_.isNull());
  for (size_t method = 0; method < outputMethodItems_.size(); ++method)
    outputMethodItems_[method]->setChecked(static_cast<int>(method) == state.checkedOutputMethod);
  runNormal_->setEnabled(state.normalEnabled);
  runTest_->setEnabled(state.testEnabled);
  portTest_->setEnabled(state.analyzeEnabled);
  portSettings_->setEnabled(state.portSettingsEnabled);
  RefreshRecentItems();
}

void SetupWindow::RefreshRecentItems() {
  const std::vector<std::string>& entries = recentFiles_.entries();
  for (size_t i = 0; i < recentItems_.size(); ++i) {
    recentItems_[i]->setVisible(i < entries.size());
    if (i < entries.size()) recentItems_[i]->setText(RecentItemText(i, entries[i]));
  }
  for (QAction* separator : recentSeparators_) separator->setVisible(!entries.empty());
}

void SetupWindow::NotYet(const QAction& item) {
  c_.prompt.Show(
      {c_.strings.Format(str::kNotYetAvailable, {WithoutAccelerator(ToUtf8(item.text()))}),
       std::string(c_.edition.programName), PromptButtons::Ok, PromptIcon::Information});
}

void SetupWindow::OpenTranslationEditor(TranslationTable table) {
  // The keystroke table's entries come from the key picker; cancelling it keeps the entry.
  const KeystrokePicker pickKeystroke = [this](QWidget& parent) {
    return AskKeystroke(c_.strings, &parent).value_or(std::string());
  };
  TranslationEditor editor(table, c_.settings, c_.working, c_.strings, pickKeystroke, this);
  editor.exec();
  Refresh();
}

void SetupWindow::OpenDdeParms(DdeParmsMode mode) {
  DdeParmsDialog dialog(mode, c_.settings, c_.working, c_.strings, this);
  dialog.exec();
  // The DDE server item chooses its output method once its dialog has closed.
  if (mode == DdeParmsMode::CommandTarget)
    c_.working.ConfigModified |= ChooseOutputMethod(kDdeServer, c_.settings);
  Refresh();
}

void SetupWindow::OpenTerminal() {
  if (terminal_ || engine_) return;
  std::unique_ptr<Port> port =
      MakeDevicePort(PortContext{c_.settings, c_.edition, c_.store, c_.prompt, c_.strings});
  // A device that fails has told why.
  if (!port->Open()) return;
  auto* terminal = new TerminalWindow(
      TerminalContext{c_.edition, c_.settings, c_.working, c_.prompt, c_.strings}, std::move(port),
      this);
  terminal->setAttribute(Qt::WA_DeleteOnClose);
  connect(terminal, &TerminalWindow::Closed, this, [this] {
    terminal_.clear();
    Refresh();
  });
  terminal_ = terminal;
  terminal->show();
}

// Port > Settings: the serial port dialog, or the TCP program's connection dialog, which
// offers the server only when the machine has an address to be reached at.
void SetupWindow::OpenPortSettings() {
  if (c_.edition.IsSerial()) {
    PortSetupDialog dialog(
        PortSetupContext{c_.edition, c_.settings, c_.working, c_.store, c_.prompt, c_.strings},
        this);
    dialog.exec();
  } else {
    ConnectionDialog dialog(ConnectionDialogContext{c_.edition, c_.settings, c_.working, c_.store,
                                                    c_.prompt, c_.strings, LocalNetworkAddress()},
                            this);
    dialog.exec();
  }
  Refresh();
}

std::optional<int> SetupWindow::StartUp(const std::string& configPath) {
  recentFiles_.Read(c_.store, c_.edition.programName);
  c_.working.ConfigFileName = configPath;
  files_.Load();
  setupReady_ = true;
  Refresh();
  if (configPath.empty()) {
    show();
    return std::nullopt;
  }
  if (!c_.working.ConfigLoaded) return kExitConfigError;
  if (!Activate(ActivationMode::Normal)) show();
  return std::nullopt;
}

bool SetupWindow::Activate(ActivationMode mode) {
  if (engine_ || mode == ActivationMode::Inactive) return false;
  // The engine takes the port: the terminal gives it back first.
  if (terminal_) terminal_->close();
  const SetupMenuState state = SetupMenuStateOf(c_.edition, c_.settings);
  if ((mode == ActivationMode::Normal && !state.normalEnabled) ||
      (mode == ActivationMode::Test && !state.testEnabled))
    return false;
  c_.working.PortName = ActivationPortName(c_.edition, c_.settings);
  auto engine = std::make_unique<EngineWindow>(static_cast<const EngineWindowContext&>(c_), mode);
  // A device that fails has told why; the window stays as it was.
  if (!engine->Open()) return false;
  if (mode == ActivationMode::Normal) {
    // The save question comes after the device opened; cancelling it closes the device
    // again (with the engine window that was never shown).
    const bool goOn = files_.AskToSave();
    Refresh();
    if (!goOn) return false;
    // The setup window gives way as if it closed: its recent files are stored now.
    recentFiles_.Write(c_.store, c_.edition.programName);
    setupReady_ = false;
  }
  mode_ = mode;
  engine_ = engine.release();
  connect(engine_, &EngineWindow::Closed, this, &SetupWindow::OnEngineClosed);
  // Netfenno's Reset arrives inside the engine's tick: the window closes after it.
  connect(
      engine_, &EngineWindow::ReturnToSetupRequested, this,
      [this] {
        if (!engine_) return;
        returnToSetup_ = true;
        engine_->close();
      },
      Qt::QueuedConnection);
  hide();
  engine_->Start();
  return true;
}

void SetupWindow::OnEngineClosed() {
  EngineWindow* engine = engine_.data();
  engine_.clear();
  // Closed may come from inside the engine's own event handling: delete it afterwards.
  if (engine) engine->deleteLater();
  const ActivationMode mode = std::exchange(mode_, ActivationMode::Inactive);
  const bool returnToSetup = std::exchange(returnToSetup_, false);
  setupReady_ = true;
  if (mode == ActivationMode::Normal && !returnToSetup) {
    emit ProgramEnded();
    return;
  }
  // A "{CONFIG(" command may have loaded another configuration meanwhile.
  Refresh();
  show();
  raise();
  activateWindow();
}

void SetupWindow::closeEvent(QCloseEvent* event) {
  if (engine_) {
    event->ignore();
    return;
  }
  const bool goOn = files_.AskToSave();
  recentFiles_.Write(c_.store, c_.edition.programName);
  Refresh();
  if (!goOn) {
    event->ignore();
    return;
  }
  event->accept();
  if (setupReady_) emit ProgramEnded();
}

}  // namespace fenno
