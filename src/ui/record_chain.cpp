#include "ui/record_chain.h"

#include "ui/record_defs_dialog.h"
#include "ui/record_type_dialog.h"

namespace fenno {

std::unique_ptr<QDialog> NewRecordDialog(RecordDialog which, const RecordDialogContext& context,
                                         const RegionalSettings& regional, QWidget* parent) {
  switch (which) {
    case RecordDialog::RecType:
      return std::make_unique<RecTypeDialog>(context.settings, context.working, context.prompt,
                                             context.strings, parent);
    case RecordDialog::Fixed:
      return std::make_unique<FixedDialog>(context, parent);
    case RecordDialog::Timed:
      return std::make_unique<TimedDialog>(context, parent);
    case RecordDialog::RecStructure:
      return std::make_unique<RecStructureDialog>(context, parent);
    case RecordDialog::Delim:
      return std::make_unique<DelimDialog>(context, parent);
    case RecordDialog::RecDefs:
      return std::make_unique<RecDefsDialog>(context, regional, parent);
    default:
      return nullptr;
  }
}

void RunRecordDialogs(const RecordDialogContext& context, const RegionalSettings& regional,
                      QWidget* parent) {
  for (RecordDialog step = RecordDialog::RecType; step != RecordDialog::End;
       step = NextRecordDialog(step, context.settings)) {
    const std::unique_ptr<QDialog> dialog = NewRecordDialog(step, context, regional, parent);
    if (dialog->exec() != QDialog::Accepted) return;
  }
}

}  // namespace fenno
