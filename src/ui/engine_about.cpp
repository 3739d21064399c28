#include "ui/engine_about.h"

#include <QDialogButtonBox>
#include <QFont>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/qt_text.h"
#include "fenno_version.h"
#include "ui/captions.h"
#include "ui/engine_window_text_ids.h"

namespace fenno {

EngineAbout::EngineAbout(const Edition& edition, const StringTable& strings, QWidget* parent)
    : QDialog(parent) {
  setObjectName(QStringLiteral("aboutBox"));
  setWindowTitle(FromUtf8(strings.Format(str::kAboutTitle, {edition.programName})));

  auto* layout = new QVBoxLayout(this);
  auto* name = new QLabel(FromUtf8(edition.programName));
  QFont large = name->font();
  large.setBold(true);
  large.setPointSizeF(large.pointSizeF() * 1.5);
  name->setFont(large);
  layout->addWidget(name);
  layout->addWidget(new QLabel(FromUtf8(strings.Format(str::kAboutVersion, {kFennoVersion}))));
  auto* purpose = new QLabel(Caption(strings, str::kAboutPurpose));
  purpose->setWordWrap(true);
  layout->addWidget(purpose);

  auto* buttons = new QDialogButtonBox;
  QPushButton* ok =
      buttons->addButton(Caption(strings, str::kAboutOk), QDialogButtonBox::AcceptRole);
  ok->setObjectName(QStringLiteral("okButton"));
  ok->setDefault(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  layout->addWidget(buttons);
}

}  // namespace fenno
