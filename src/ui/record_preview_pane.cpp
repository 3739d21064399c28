#include "ui/record_preview_pane.h"

#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "base/qt_text.h"
#include "config/record_text_ids.h"
#include "ui/captions.h"
#include "ui/form_helpers.h"

namespace fenno {
namespace {

// A sample larger than this is cut: the preview shows the first records only.
constexpr qint64 kMaxSampleBytes = 4 << 20;
// Of a file's sample the box shows the beginning only.
constexpr qint64 kShownFileBytes = 64 << 10;

}  // namespace

RecordPreviewPane::RecordPreviewPane(const RecordDialogContext& context,
                                     const RegionalSettings& regional, QWidget* parent)
    : QWidget(parent),
      c_(context),
      regional_(regional),
      edited_(context.settings),
      sampleBox_(new QPlainTextEdit),
      status_(new QLabel),
      table_(new QTableWidget) {
  setObjectName(QLatin1String("RecordPreview"));
  sampleBox_->setObjectName(QLatin1String("PreviewSample"));
  sampleBox_->setTabChangesFocus(true);
  sampleBox_->setLineWrapMode(QPlainTextEdit::NoWrap);
  sampleBox_->setMaximumBlockCount(0);
  status_->setObjectName(QLatin1String("PreviewStatus"));
  table_->setObjectName(QLatin1String("PreviewTable"));
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->verticalHeader()->setVisible(false);
  auto* open = new QPushButton(Numbered(str::kPreviewOpenSample));
  open->setObjectName(QLatin1String("PreviewOpenSample"));
  open->setAutoDefault(false);

  auto* frame = new QGroupBox(Numbered(str::kPreviewFrame));
  auto* inner = new QVBoxLayout(frame);
  auto* sampleLabel = new QLabel(Numbered(str::kPreviewSampleLabel));
  sampleLabel->setBuddy(sampleBox_);
  inner->addWidget(sampleLabel);
  inner->addWidget(sampleBox_, 1);
  inner->addWidget(open, 0, Qt::AlignLeft);
  inner->addWidget(table_, 2);
  inner->addWidget(status_);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(frame);
  sampleBox_->setMinimumHeight(sampleBox_->fontMetrics().height() * 4);

  pause_.setSingleShot(true);
  pause_.setInterval(kPauseMs);
  connect(&pause_, &QTimer::timeout, this, &RecordPreviewPane::Refresh);
  connect(sampleBox_, &QPlainTextEdit::textChanged, this,
          [this] { SetSampleText(sampleBox_->toPlainText()); });
  connect(open, &QPushButton::clicked, this, &RecordPreviewPane::ChooseSampleFile);
}

void RecordPreviewPane::Schedule(const Settings& edited) {
  edited_ = edited;
  pause_.start();
}

void RecordPreviewPane::SetSampleText(const QString& text) {
  QString lines = text;
  lines.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  lines.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
  sample_ = ToBytes(lines);
  sampleInBox_ = false;
  pause_.start();
}

void RecordPreviewPane::SetSampleBytes(std::string bytes) {
  sample_ = std::move(bytes);
  sampleInBox_ = false;
  pause_.start();
}

void RecordPreviewPane::ChooseSampleFile() {
  FileRequest request;
  request.title = c_.strings.Text(str::kPreviewFileTitle);
  request.filter = c_.strings.Text(str::kPreviewFileFilter);
  const std::optional<std::string> path = c_.prompt.ChooseFile(request);
  if (!path) return;
  QFile file(FromPath(*path));
  if (!file.open(QIODevice::ReadOnly)) {
    c_.prompt.Show({c_.strings.Format(str::kPreviewSampleUnreadable, {*path}),
                    c_.strings.Text(str::kPreviewFrame), PromptButtons::Ok,
                    PromptIcon::Exclamation});
    return;
  }
  const QByteArray bytes = file.read(kMaxSampleBytes);
  {
    // The box shows the file's text; its own edits would replace the file's bytes.
    const QSignalBlocker quiet(sampleBox_);
    sampleBox_->setPlainText(FromBytes(
        std::string(bytes.constData(), static_cast<size_t>(bytes.size())).substr(0, 64 * 1024)));
  }
  SetSampleBytes(std::string(bytes.constData(), static_cast<size_t>(bytes.size())));
}

void RecordPreviewPane::Refresh() {
  pause_.stop();
  if (sampleInBox_) SetSampleText(sampleBox_->toPlainText());
  pause_.stop();
  shown_ = PreviewRecords(edited_, c_.working, regional_, sample_);
  ShowTable();
}

void RecordPreviewPane::ShowTable() {
  table_->clear();
  table_->setColumnCount(shown_.fieldCount);
  table_->setRowCount(static_cast<int>(shown_.rows.size()));
  for (int field = 1; field <= shown_.fieldCount; ++field) {
    const bool failed = shown_.failed[static_cast<size_t>(field - 1)];
    auto* header = new QTableWidgetItem(FromUtf8(c_.strings.Format(
        failed ? str::kPreviewFailedHeader : str::kPreviewFieldHeader, {std::to_string(field)})));
    if (failed) header->setToolTip(Caption(c_.strings, str::kPreviewFailedHint));
    table_->setHorizontalHeaderItem(field - 1, header);
  }
  for (size_t row = 0; row < shown_.rows.size(); ++row)
    for (size_t column = 0; column < shown_.rows[row].size(); ++column)
      table_->setItem(static_cast<int>(row), static_cast<int>(column),
                      new QTableWidgetItem(FromBytes(VisibleControls(shown_.rows[row][column]))));
  table_->resizeColumnsToContents();
  status_->setText(
      FromUtf8(c_.strings.Format(str::kPreviewRecordCount, {std::to_string(shown_.rows.size())})));
}

}  // namespace fenno
