#pragma once

// The TCP program's connection dialog (PortSetup of Netfenno): client or server, the
// remote host and port or the local address and port, and the peers a server lets in.
// Rules: transport/port_dialogs.h.

#include <QDialog>
#include <string>

#include "base/prompt.h"
#include "base/string_table.h"
#include "config/edition.h"
#include "config/settings.h"
#include "config/user_store.h"
#include "transport/port_dialogs.h"

class QCheckBox;
class QLabel;
class QLineEdit;

namespace fenno {

struct ConnectionDialogContext {
  const Edition& edition;
  Settings& settings;
  WorkingValues& working;
  UserStore& store;  // the allowed peers
  Prompt& prompt;
  const StringTable& strings;
  std::string localAddress;  // "" when the machine has no network address
};

class ConnectionDialog final : public QDialog {
  Q_OBJECT

 public:
  ConnectionDialog(const ConnectionDialogContext& context, QWidget* parent = nullptr);

  void accept() override;

 private:
  void TakeShownTexts();
  void ShowMode();
  void OnPortEdited();

  ConnectionDialogContext c_;
  ConnectionValues values_;
  QCheckBox* server_;
  QLabel* hostLabel_;
  QLineEdit* host_;
  QLabel* portLabel_;
  QLineEdit* port_;
  QLineEdit* allowed_;
  QString portGood_;
};

}  // namespace fenno
