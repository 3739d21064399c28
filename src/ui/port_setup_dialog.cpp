#include "ui/port_setup_dialog.h"

#include <unistd.h>

#include <QButtonGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>

#include "base/qt_text.h"
#include "base/string_ids.h"
#include "transport/port_dialogs.h"
#include "transport/port_text_ids.h"
#include "transport/qt_serial_port.h"
#include "transport/serial_devices.h"
#include "ui/captions.h"
#include "ui/form_helpers.h"

namespace fenno {
namespace {

constexpr int kBaudCount = static_cast<int>(kBaudRates.size());
constexpr int kParityCount = 5;
constexpr int kDataBitsCount = 4;  // 5..8
constexpr int kStopBitsCount = 3;  // 1, 1.5, 2
constexpr int kFlowCount = 4;

std::vector<QString> NumberedRange(int first, int count) {
  std::vector<QString> captions;
  for (int i = 0; i < count; ++i) captions.push_back(Numbered(first + i));
  return captions;
}

void Check(QButtonGroup& group, int id) {
  if (QAbstractButton* button = group.button(id)) button->setChecked(true);
}

int16_t CheckedId(const QButtonGroup& group) {
  return static_cast<int16_t>(std::max(group.checkedId(), 0));
}

bool MayOpen(const std::string& devicePath) {
  return ::access(devicePath.c_str(), R_OK | W_OK) == 0;
}

}  // namespace

PortSetupDialog::PortSetupDialog(const PortSetupContext& context, QWidget* parent)
    : QDialog(parent),
      c_(context),
      portList_(new QListWidget),
      deviceInfo_(new QLabel),
      otherDevices_(new QComboBox) {
  setObjectName(QLatin1String("PortSetup"));
  setWindowTitle(Numbered(str::kPortSetupCaption));
  auto* layout = new QVBoxLayout(this);
  auto* columns = new QHBoxLayout;
  columns->addWidget(BuildPortColumn(), 1);
  columns->addWidget(BuildLineColumn());
  layout->addLayout(columns);
  layout->addWidget(AddOkCancel(*this, str::kPortSetupOk, str::kPortSetupCancel));
  ApplyCaptions(*this, c_.strings);
  SetUnnumberedCaptions();
  FitTitle(*this);
  Load();
}

QWidget* PortSetupDialog::BuildPortColumn() {
  auto* column = new QWidget;
  auto* layout = new QVBoxLayout(column);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* portLabel = new QLabel(Numbered(str::kPortSetupPortLabel));
  portLabel->setBuddy(portList_);
  portList_->setObjectName(QLatin1String("ComPort"));
  portList_->setAccessibleName(Numbered(str::kPortSetupPortLabel));
  // Room for a device path beside each name.
  portList_->setMinimumWidth(portList_->fontMetrics().horizontalAdvance(QLatin1Char('M')) * 28);
  layout->addWidget(portLabel);
  layout->addWidget(portList_, 1);

  auto* device = new QGroupBox(Numbered(str::kPortDeviceFrame));
  auto* deviceLayout = new QVBoxLayout(device);
  deviceInfo_->setObjectName(QLatin1String("deviceInfo"));
  deviceInfo_->setWordWrap(true);
  deviceInfo_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  deviceInfo_->setMinimumHeight(deviceInfo_->fontMetrics().lineSpacing() * 4);
  deviceLayout->addWidget(deviceInfo_);
  layout->addWidget(device);

  auto* otherLabel = new QLabel(Numbered(str::kOtherDevicesLabel));
  otherLabel->setBuddy(otherDevices_);
  otherDevices_->setObjectName(QLatin1String("otherDevices"));
  otherDevices_->setAccessibleName(Numbered(str::kOtherDevicesLabel));
  layout->addWidget(otherLabel);
  layout->addWidget(otherDevices_);

  connect(portList_, &QListWidget::currentRowChanged, this, [this] { ShowDeviceOfChosenPort(); });
  connect(otherDevices_, &QComboBox::activated, this,
          [this](int index) { OfferOtherDevice(index); });
  return column;
}

QWidget* PortSetupDialog::BuildLineColumn() {
  auto* column = new QWidget;
  auto* grid = new QGridLayout(column);
  grid->setContentsMargins(0, 0, 0, 0);
  baud_ = AddOptions(*grid, str::kPortSetupBaudFrame, "Baud", std::vector<QString>(kBaudCount), 2);
  parity_ = AddOptions(*grid, str::kPortSetupParityFrame, "Parity",
                       NumberedRange(str::kPortSetupParityNone, kParityCount), 1);
  dataBits_ = AddOptions(*grid, str::kPortSetupDataBitsFrame, "DataBits",
                         std::vector<QString>(kDataBitsCount), 1);
  stopBits_ = AddOptions(*grid, str::kPortSetupStopBitsFrame, "StopBits",
                         std::vector<QString>(kStopBitsCount), 1);
  flow_ = AddOptions(*grid, str::kPortSetupFlowFrame, "Flow",
                     NumberedRange(str::kPortSetupFlowNone, kFlowCount), 1);
  auto* buffers = new QFormLayout;
  inputBuffer_ = AddBufferBox(*buffers, str::kPortSetupInputBufferLabel, "BuffSize");
  outputBuffer_ = AddBufferBox(*buffers, str::kPortSetupOutputBufferLabel, "OutBuffSize");
  grid->addLayout(buffers, grid->rowCount(), 0, 1, 2);
  grid->setRowStretch(grid->rowCount(), 1);
  connect(inputBuffer_, &QLineEdit::textEdited, this,
          [this] { OnBufferEdited(*inputBuffer_, inputBufferGood_); });
  connect(outputBuffer_, &QLineEdit::textEdited, this,
          [this] { OnBufferEdited(*outputBuffer_, outputBufferGood_); });
  return column;
}

// A frame of options in a two-column grid: baud rates on the left over the full height,
// the smaller frames stacked on the right.
QButtonGroup* PortSetupDialog::AddOptions(QGridLayout& grid, int frame, const char* name,
                                          const std::vector<QString>& captions, int columns) {
  auto* box = new QGroupBox(Numbered(frame));
  box->setObjectName(QLatin1String(name) + QLatin1String("Frame"));
  auto* options = new QGridLayout(box);
  auto* group = new QButtonGroup(box);
  const int rows = (static_cast<int>(captions.size()) + columns - 1) / columns;
  for (int i = 0; i < static_cast<int>(captions.size()); ++i) {
    auto* option = new QRadioButton(captions[static_cast<size_t>(i)]);
    option->setObjectName(QLatin1String(name) + QString::number(i));
    options->addWidget(option, i % rows, i / rows);
    group->addButton(option, i);
  }
  options->setRowStretch(rows, 1);  // the options stay together at the top of a tall frame
  const bool baud = grid.count() == 0;
  if (baud)
    grid.addWidget(box, 0, 0, 4, 1);
  else
    grid.addWidget(box, grid.count() - 1, 1);
  return group;
}

QLineEdit* PortSetupDialog::AddBufferBox(QFormLayout& form, int label, const char* name) {
  auto* box = new QLineEdit;
  box->setAccessibleName(Numbered(label));
  AddFormRow(form, label, box, name);
  return box;
}

// Rates, bit counts and stop bits are numbers that are not string-table numbers, so they
// are put in once the captions are applied.
void PortSetupDialog::SetUnnumberedCaptions() {
  for (int i = 0; i < kBaudCount; ++i) {
    QAbstractButton* rate = baud_->button(i);
    rate->setText(QString::number(kBaudRates[static_cast<size_t>(i)]));
    rate->setProperty("ownNumber", true);  // not a string-table number (screenshot check)
  }
  for (int i = 0; i < kDataBitsCount; ++i) dataBits_->button(i)->setText(QString::number(5 + i));
  const char* stopBits[kStopBitsCount] = {"1", "1.5", "2"};
  for (int i = 0; i < kStopBitsCount; ++i)
    stopBits_->button(i)->setText(QLatin1String(stopBits[i]));
}

void PortSetupDialog::Load() {
  const PortSetupValues values = LoadPortSetup(c_.settings);
  FillPortList();
  portList_->setCurrentRow(values.portIndex);
  Check(*baud_, values.baudIndex);
  Check(*parity_, values.parityIndex);
  Check(*dataBits_, values.dataBitsIndex);
  Check(*stopBits_, values.stopBitsIndex);
  Check(*flow_, values.flowControl);
  inputBuffer_->setText(inputBufferGood_ = FromUtf8(values.inputBufferText));
  outputBuffer_->setText(outputBufferGood_ = FromUtf8(values.outputBufferText));
  FillOtherDevices();
}

void PortSetupDialog::FillPortList() {
  const int row = portList_->currentRow();
  ports_ = PortList(c_.store, c_.edition.programName);
  portList_->clear();
  for (const PortListEntry& entry : ports_) {
    const int text = entry.devicePath.empty() ? str::kPortListNoDevice
                     : entry.present          ? str::kPortListPresent
                                              : str::kPortListDevice;
    auto* item = new QListWidgetItem(
        FromUtf8(c_.strings.Format(text, {entry.portName, entry.devicePath})), portList_);
    QFont font = item->font();
    font.setBold(entry.present);
    item->setFont(font);
  }
  if (row >= 0) portList_->setCurrentRow(row);
}

void PortSetupDialog::ShowDeviceOfChosenPort() {
  const int row = portList_->currentRow();
  if (row < 0 || row >= static_cast<int>(ports_.size())) return deviceInfo_->clear();
  const PortListEntry& entry = ports_[static_cast<size_t>(row)];
  std::string text;
  if (entry.devicePath.empty())
    text = c_.strings.Format(str::kPortNoDevice, {entry.portName});
  else if (!entry.present)
    text = c_.strings.Format(str::kPortDeviceAbsent, {entry.devicePath});
  else if (MayOpen(entry.devicePath))
    text = c_.strings.Format(str::kPortDeviceUsable, {entry.devicePath});
  else
    text = PermissionHintFor(c_.strings, entry.devicePath);
  const SerialDeviceInfo info = DescribeSerialDevice(c_.systemRoot, entry.devicePath);
  const auto known = [this](const std::string& value) {
    return value.empty() ? c_.strings.Text(str::kUnknownText) : value;
  };
  if (info.usb)
    text += "\n" + c_.strings.Format(
                       str::kPortDeviceUsb,
                       {known(info.manufacturer), known(info.product), known(info.serialNumber)});
  if (!info.byIdLink.empty() && info.byIdLink != entry.devicePath)
    text += "\n" + c_.strings.Format(str::kPortDeviceLink, {info.byIdLink});
  deviceInfo_->setText(FromUtf8(text));
}

// Devices the system has that no port name stands for yet (a built-in UART, a
// Bluetooth serial link, a 33rd USB adapter).
void PortSetupDialog::FillOtherDevices() {
  std::vector<std::string> mappedTtys;
  for (const PortListEntry& entry : ports_)
    if (entry.present)
      mappedTtys.push_back(DescribeSerialDevice(c_.systemRoot, entry.devicePath).ttyName);
  otherDevices_->clear();
  for (const std::string& device : PresentSerialDevices(c_.systemRoot)) {
    const SerialDeviceInfo info = DescribeSerialDevice(c_.systemRoot, device);
    if (std::find(mappedTtys.begin(), mappedTtys.end(), info.ttyName) != mappedTtys.end()) continue;
    QString text = FromPath(device);
    if (info.usb)
      text += QLatin1String("  ") +
              FromUtf8(info.manufacturer + " " + info.product + " " + info.serialNumber);
    // A by-id link stays with the adapter when it is plugged into another socket.
    otherDevices_->addItem(text.trimmed(),
                           FromPath(info.byIdLink.empty() ? device : info.byIdLink));
  }
  otherDevices_->setEnabled(otherDevices_->count() > 0);
  otherDevices_->setPlaceholderText(
      otherDevices_->count() > 0 ? QString() : FromUtf8(c_.strings.Text(str::kOtherDevicesNone)));
  otherDevices_->setCurrentIndex(-1);
}

void PortSetupDialog::OfferOtherDevice(int comboIndex) {
  const int row = portList_->currentRow();
  if (comboIndex < 0 || row < 0) return;
  const std::string device = ToPath(otherDevices_->itemData(comboIndex).toString());
  const std::string portName = ports_[static_cast<size_t>(row)].portName;
  const PromptAnswer answer = c_.prompt.Show(
      {c_.strings.Format(str::kAssignDeviceQuestion, {portName, device}),
       c_.strings.Text(str::kAssignDeviceTitle), PromptButtons::YesNo, PromptIcon::Question});
  if (answer == PromptAnswer::Yes) {
    c_.store.Set(std::string(c_.edition.programName), kPortsSection, portName, device);
    FillPortList();
    ShowDeviceOfChosenPort();
    FillOtherDevices();
  }
  otherDevices_->setCurrentIndex(-1);
}

// Digits only; a value over the largest size is told and the last good text returns.
void PortSetupDialog::OnBufferEdited(QLineEdit& box, QString& lastGood) {
  switch (CheckTypedBufferSize(ToUtf8(box.text()))) {
    case TypedNumber::Accepted:
      lastGood = box.text();
      return;
    case TypedNumber::NotDigits:
      c_.prompt.Beep();
      break;
    case TypedNumber::TooLarge:
      ShowRefusal(*this, BufferSizeRefusal(ToUtf8(box.objectName())), c_.strings, c_.prompt);
      break;
  }
  box.setText(lastGood);
}

void PortSetupDialog::accept() {
  PortSetupValues values;
  // A stored index beyond the list selects nothing and is kept as it is.
  const int row = portList_->currentRow();
  values.portIndex = row >= 0 ? static_cast<int16_t>(row) : c_.settings.PortIndex;
  values.baudIndex = CheckedId(*baud_);
  values.parityIndex = CheckedId(*parity_);
  values.dataBitsIndex = CheckedId(*dataBits_);
  values.stopBitsIndex = CheckedId(*stopBits_);
  values.flowControl = CheckedId(*flow_);
  values.inputBufferText = ToUtf8(inputBuffer_->text());
  values.outputBufferText = ToUtf8(outputBuffer_->text());
  const DialogCheck check = CheckPortSetup(values);
  if (RefusedAndShown(*this, check, c_.strings, c_.prompt)) return;
  c_.working.ConfigModified |= StorePortSetup(values, c_.settings);
  QDialog::accept();
}

}  // namespace fenno
