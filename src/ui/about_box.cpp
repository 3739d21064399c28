#include "ui/about_box.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

#include "base/qt_text.h"
#include "fenno_version.h"
#include "ui/captions.h"
#include "ui/desktop_text_ids.h"
#include "ui/form_helpers.h"
#include "ui/setup_window_text_ids.h"

namespace fenno {

AboutBox::AboutBox(const Edition& edition, const StringTable& strings, QWidget* parent)
    : QDialog(parent) {
  setObjectName(QLatin1String("AboutBox"));
  setWindowTitle(Numbered(str::kAboutCaption));

  auto* icon = new QLabel;
  const int iconSize = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
  const QIcon windowIcon = parent && !parent->windowIcon().isNull()
                               ? parent->windowIcon()
                               : style()->standardIcon(QStyle::SP_MessageBoxInformation);
  icon->setPixmap(windowIcon.pixmap(iconSize, iconSize));

  auto* name = new QLabel(FromUtf8(edition.programName));
  name->setObjectName(QLatin1String("programName"));
  QFont bigger = name->font();
  bigger.setBold(true);
  bigger.setPointSizeF(bigger.pointSizeF() * 1.5);
  name->setFont(bigger);

  auto* version = new QLabel(FromUtf8(strings.Format(str::kAboutVersion, {kFennoVersion})));
  version->setObjectName(QLatin1String("version"));
  version->setTextInteractionFlags(Qt::TextSelectableByMouse);

  auto* description = new QLabel(Numbered(str::kAboutDescription));
  description->setObjectName(QLatin1String("description"));
  description->setWordWrap(true);
  // About forty characters a line, in the language's own font.
  description->setMinimumWidth(description->fontMetrics().averageCharWidth() * 40);

  // The licences of the libraries the program links, each on its own line.
  std::string licences = strings.Text(str::kAboutUses);
  for (const std::string& line :
       {strings.Format(str::kAboutQtLicence, {qVersion()}), strings.Text(str::kAboutX11Licence),
        strings.Text(str::kAboutCLibLicence)})
    licences += "\n\u2022 " + line;
  licences += "\n" + strings.Text(str::kAboutLicenceTexts);
  auto* licenceLabel = new QLabel(FromUtf8(licences));
  licenceLabel->setObjectName(QLatin1String("licences"));
  licenceLabel->setWordWrap(true);
  licenceLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
  licenceLabel->setMinimumWidth(licenceLabel->fontMetrics().averageCharWidth() * 56);

  auto* layout = new QGridLayout(this);
  layout->addWidget(icon, 0, 0, 4, 1, Qt::AlignTop);
  layout->addWidget(name, 0, 1);
  layout->addWidget(version, 1, 1);
  layout->addWidget(description, 2, 1);
  layout->addWidget(licenceLabel, 3, 1);
  auto* buttons = new QDialogButtonBox(this);
  buttons->setObjectName(QLatin1String("buttonBox"));
  QPushButton* ok = buttons->addButton(Numbered(str::kDialogOk), QDialogButtonBox::AcceptRole);
  ok->setObjectName(QLatin1String("okButton"));
  ok->setDefault(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  layout->addWidget(buttons, 4, 0, 1, 2);

  ApplyCaptions(*this, strings);
  FitTitle(*this);
}

}  // namespace fenno
