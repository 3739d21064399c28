#include "ui/connection_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "base/qt_text.h"
#include "base/string_ids.h"
#include "transport/port_text_ids.h"
#include "ui/captions.h"
#include "ui/form_helpers.h"

namespace fenno {

ConnectionDialog::ConnectionDialog(const ConnectionDialogContext& context, QWidget* parent)
    : QDialog(parent),
      c_(context),
      values_(LoadConnection(c_.settings, c_.localAddress,
                             LoadAllowedPeers(c_.store, c_.edition.programName))),
      server_(new QCheckBox(Numbered(str::kTcpServerOption))),
      host_(new QLineEdit),
      port_(new QLineEdit),
      allowed_(new QLineEdit) {
  setObjectName(QLatin1String("PortSetup"));
  setWindowTitle(Numbered(str::kPortSetupCaption));
  server_->setObjectName(QLatin1String("TCPOption"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(server_);
  auto* form = new QFormLayout;
  hostLabel_ = AddFormRow(*form, str::kTcpRemoteHostLabel, host_, "hostEdit");
  portLabel_ = AddFormRow(*form, str::kTcpRemotePortLabel, port_, "portEdit");
  AddFormRow(*form, str::kAllowedPeersLabel, allowed_, "allowEdit");
  allowed_->setAccessibleName(Numbered(str::kAllowedPeersLabel));
  // Wide enough for a few networks.
  allowed_->setMinimumWidth(allowed_->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 36);
  layout->addLayout(form);
  auto* hint = new QLabel(Numbered(str::kAllowedPeersHint));
  hint->setObjectName(QLatin1String("allowHint"));
  hint->setWordWrap(true);
  layout->addWidget(hint);
  layout->addWidget(AddOkCancel(*this, str::kPortSetupOk, str::kPortSetupCancel));
  ApplyCaptions(*this, c_.strings);
  FitTitle(*this);

  server_->setChecked(values_.server);
  server_->setEnabled(values_.serverAvailable);
  allowed_->setText(FromBytes(values_.allowedPeers));
  ShowMode();
  connect(server_, &QCheckBox::toggled, this, [this](bool server) {
    TakeShownTexts();
    values_.server = server;
    ShowMode();
  });
  connect(port_, &QLineEdit::textEdited, this, [this] { OnPortEdited(); });
}

// The boxes belong to the mode shown; what was typed there is kept when the mode changes.
void ConnectionDialog::TakeShownTexts() {
  (values_.server ? values_.localPort : values_.remotePort) = ToBytes(port_->text());
  if (!values_.server) values_.remoteHost = ToBytes(host_->text());
  values_.allowedPeers = ToBytes(allowed_->text());
}

void ConnectionDialog::ShowMode() {
  const bool server = values_.server;
  hostLabel_->setText(
      FromUtf8(c_.strings.Text(server ? str::kTcpLocalAddressLabel : str::kTcpRemoteHostLabel)));
  portLabel_->setText(
      FromUtf8(c_.strings.Text(server ? str::kTcpLocalPortLabel : str::kTcpRemotePortLabel)));
  host_->setAccessibleName(hostLabel_->text());
  port_->setAccessibleName(portLabel_->text());
  host_->setText(FromBytes(server ? values_.localAddress : values_.remoteHost));
  host_->setEnabled(!server);
  port_->setText(portGood_ = FromBytes(server ? values_.localPort : values_.remotePort));
}

// Digits only; a number over 65535 is told and the last good text returns, the caret at
// its end.
void ConnectionDialog::OnPortEdited() {
  switch (CheckTypedTcpPort(ToBytes(port_->text()))) {
    case TypedNumber::Accepted:
      portGood_ = port_->text();
      return;
    case TypedNumber::NotDigits:
      c_.prompt.Beep();
      break;
    case TypedNumber::TooLarge:
      ShowRefusal(*this, TcpPortRefusal(), c_.strings, c_.prompt);
      break;
  }
  port_->setText(portGood_);
  port_->setCursorPosition(static_cast<int>(portGood_.size()));
}

void ConnectionDialog::accept() {
  TakeShownTexts();
  const DialogCheck check = CheckConnection(values_);
  if (RefusedAndShown(*this, check, c_.strings, c_.prompt)) return;
  c_.working.ConfigModified |= StoreConnection(values_, c_.settings);
  StoreAllowedPeers(values_.allowedPeers, c_.store, c_.edition.programName);
  QDialog::accept();
}

}  // namespace fenno
