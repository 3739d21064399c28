#include "ui/date_time_format_dialog.h"

#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include "base/qt_text.h"
#include "base/string_ids.h"
#include "engine/date_time_format_dialog.h"
#include "ui/captions.h"
#include "ui/form_helpers.h"

namespace fenno {

DateTimeFormatDialog::DateTimeFormatDialog(Settings& settings, WorkingValues& working,
                                           const RegionalSettings& regional, Prompt& prompt,
                                           const StringTable& strings, QWidget* parent)
    : QDialog(parent),
      settings_(settings),
      working_(working),
      regional_(regional),
      prompt_(prompt),
      strings_(strings),
      format_(new QLineEdit) {
  setObjectName(QLatin1String("frmDateTimeFmt"));
  setWindowTitle(Numbered(str::kDateTimeFmtCaption));
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  AddFormRow(*form, str::kDateTimeFmtLabel, format_, "Text1");
  // Room for a format such as "dddd, mmmm d, yyyy hh:nn:ss".
  format_->setMinimumWidth(format_->fontMetrics().averageCharWidth() * 32);
  layout->addLayout(form);
  layout->addWidget(AddOkCancel(*this, str::kDateTimeFmtOk, str::kDateTimeFmtCancel));
  ApplyCaptions(*this, strings);
  FitTitle(*this);
  format_->setText(FromBytes(LoadDateTimeFormat(settings)));
  format_->selectAll();
}

void DateTimeFormatDialog::accept() {
  const std::string format = ToBytes(format_->text());
  const DialogCheck check = CheckDateTimeFormat(format, regional_);
  if (RefusedAndShown(*this, check, strings_, prompt_)) return;
  working_.ConfigModified |= StoreDateTimeFormat(format, settings_);
  QDialog::accept();
}

}  // namespace fenno
