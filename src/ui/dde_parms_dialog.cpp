#include "ui/dde_parms_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include "base/qt_text.h"
#include "base/string_ids.h"
#include "ui/captions.h"
#include "ui/form_helpers.h"

namespace fenno {

DdeParmsDialog::DdeParmsDialog(DdeParmsMode mode, Settings& settings, WorkingValues& working,
                               const StringTable& strings, QWidget* parent)
    : QDialog(parent),
      mode_(mode),
      settings_(settings),
      working_(working),
      application_(new QLineEdit),
      topic_(new QLineEdit),
      item_(new QLineEdit),
      establish_(new QCheckBox(Numbered(str::kDdeLinkStatus))),
      stripCrLf_(new QCheckBox(Numbered(str::kDdeStripCrLf))) {
  setObjectName(QLatin1String("DDEParms"));
  setWindowTitle(Numbered(DdeParmsCaption(mode)));
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  AddFormRow(*form, str::kDdeParmsAppLabel, application_, "DDEApp");
  AddFormRow(*form, str::kDdeParmsTopicLabel, topic_, "DDETop");
  AddFormRow(*form, str::kDdeParmsItemLabel, item_, "DDEItm");
  layout->addLayout(form);
  establish_->setObjectName(QLatin1String("DDELinkStatus"));
  stripCrLf_->setObjectName(QLatin1String("StripCrLf"));
  layout->addWidget(establish_);
  layout->addWidget(stripCrLf_);
  establish_->setVisible(mode != DdeParmsMode::CommandTarget);
  stripCrLf_->setVisible(mode == DdeParmsMode::BufferLink);
  for (QCheckBox* box : {establish_, stripCrLf_})
    connect(box, &QCheckBox::clicked, this, [this] { DdeParmsCheckBoxClicked(working_); });
  layout->addWidget(AddOkCancel(*this, str::kDdeParmsOk, str::kDdeParmsCancel));
  ApplyCaptions(*this, strings);
  FitTitle(*this);

  const DdeParmsValues values = LoadDdeParms(mode, settings);
  application_->setText(FromBytes(values.application));
  topic_->setText(FromBytes(values.topic));
  item_->setText(FromBytes(values.item));
  establish_->setChecked(values.establishOnActivation);
  stripCrLf_->setChecked(values.stripCrLf);
}

void DdeParmsDialog::accept() {
  DdeParmsValues values;
  values.application = ToBytes(application_->text());
  values.topic = ToBytes(topic_->text());
  values.item = ToBytes(item_->text());
  values.establishOnActivation = establish_->isChecked();
  values.stripCrLf = stripCrLf_->isChecked();
  working_.ConfigModified |= StoreDdeParms(mode_, values, settings_);
  QDialog::accept();
}

}  // namespace fenno
