#pragma once

// The serial port dialog (PortSetup): the port, its line settings and buffer sizes. The
// port list shows what each port name stands for on this machine and which devices are
// there; the chosen device's USB details and whether the user may open it are shown
// beneath, and a device that no port name stands for yet can be given one. Rules:
// transport/port_dialogs.h, transport/port_names.h, transport/serial_devices.h.

#include <QDialog>
#include <filesystem>
#include <string>
#include <vector>

#include "base/prompt.h"
#include "base/string_table.h"
#include "config/edition.h"
#include "config/settings.h"
#include "config/user_store.h"
#include "transport/port_names.h"

class QButtonGroup;
class QComboBox;
class QFormLayout;
class QGridLayout;
class QLabel;
class QLineEdit;
class QListWidget;

namespace fenno {

struct PortSetupContext {
  const Edition& edition;
  Settings& settings;
  WorkingValues& working;
  UserStore& store;  // the "Ports" section: what a port name stands for
  Prompt& prompt;
  const StringTable& strings;
  std::filesystem::path systemRoot = "/";  // where sysfs and /dev are read
};

class PortSetupDialog final : public QDialog {
  Q_OBJECT

 public:
  PortSetupDialog(const PortSetupContext& context, QWidget* parent = nullptr);

  void accept() override;

 private:
  QWidget* BuildPortColumn();
  QWidget* BuildLineColumn();
  QButtonGroup* AddOptions(QGridLayout& grid, int frame, const char* name,
                           const std::vector<QString>& captions, int columns);
  QLineEdit* AddBufferBox(QFormLayout& form, int label, const char* name);
  void SetUnnumberedCaptions();
  void Load();
  void FillPortList();
  void ShowDeviceOfChosenPort();
  void FillOtherDevices();
  void OfferOtherDevice(int comboIndex);
  void OnBufferEdited(QLineEdit& box, QString& lastGood);

  PortSetupContext c_;
  std::vector<PortListEntry> ports_;
  QListWidget* portList_;
  QLabel* deviceInfo_;
  QComboBox* otherDevices_;
  QButtonGroup* baud_ = nullptr;
  QButtonGroup* parity_ = nullptr;
  QButtonGroup* dataBits_ = nullptr;
  QButtonGroup* stopBits_ = nullptr;
  QButtonGroup* flow_ = nullptr;
  QLineEdit* inputBuffer_ = nullptr;
  QLineEdit* outputBuffer_ = nullptr;
  QString inputBufferGood_;
  QString outputBufferGood_;
};

}  // namespace fenno
