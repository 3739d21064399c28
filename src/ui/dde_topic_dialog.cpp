#include "ui/dde_topic_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "base/qt_text.h"
#include "base/string_ids.h"
#include "dde/dde_dialogs.h"
#include "ui/captions.h"
#include "ui/form_helpers.h"
#include "ui/setup_window_text_ids.h"

namespace fenno {

DdeTopicDialog::DdeTopicDialog(Settings& settings, WorkingValues& working, Prompt& prompt,
                               const StringTable& strings, QWidget* parent)
    : QDialog(parent),
      settings_(settings),
      working_(working),
      prompt_(prompt),
      strings_(strings),
      usePort_(new QRadioButton(Numbered(str::kDdeTopicUsePort))),
      specify_(new QRadioButton(Numbered(str::kDdeTopicSpecify))),
      topic_(new QLineEdit) {
  setObjectName(QLatin1String("ComfennoDDETopic"));
  setWindowTitle(Numbered(str::kDdeTopicCaption));
  usePort_->setObjectName(QLatin1String("Option1"));
  specify_->setObjectName(QLatin1String("Option2"));
  topic_->setObjectName(QLatin1String("topicEdit"));
  topic_->setAccessibleName(Numbered(str::kDdeTopicSpecify));

  auto* layout = new QVBoxLayout(this);
  auto* choices = new QGridLayout;
  choices->addWidget(usePort_, 0, 0, 1, 2);
  choices->addWidget(specify_, 1, 0);
  choices->addWidget(topic_, 1, 1);
  layout->addLayout(choices);
  layout->addWidget(AddOkCancel(*this, str::kDialogOk, str::kDialogCancel));
  connect(specify_, &QRadioButton::toggled, topic_, &QWidget::setEnabled);
  ApplyCaptions(*this, strings);
  FitTitle(*this);

  const TopicChoice choice = LoadTopic(settings);
  (choice.specify ? specify_ : usePort_)->setChecked(true);
  topic_->setText(FromBytes(choice.text));
  topic_->setEnabled(choice.specify);
}

void DdeTopicDialog::accept() {
  const TopicChoice choice{specify_->isChecked(), ToBytes(topic_->text())};
  const DialogCheck check = CheckTopic(choice);
  if (RefusedAndShown(*this, check, strings_, prompt_)) return;
  working_.ConfigModified |= StoreTopic(choice, settings_);
  QDialog::accept();
}

}  // namespace fenno
