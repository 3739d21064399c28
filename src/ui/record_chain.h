#pragma once

// Define > Define Records...: the record dialogs one after the other, each modal over the
// setup window, from the record events to the field editor. Cancel in any of them ends the
// chain and keeps what the earlier ones committed.

#include <QDialog>
#include <memory>

#include "config/record_dialogs.h"
#include "engine/regional.h"
#include "ui/record_layout_dialogs.h"

namespace fenno {

// The dialog of one step of the chain.
std::unique_ptr<QDialog> NewRecordDialog(RecordDialog which, const RecordDialogContext& context,
                                         const RegionalSettings& regional, QWidget* parent);

void RunRecordDialogs(const RecordDialogContext& context, const RegionalSettings& regional,
                      QWidget* parent);

}  // namespace fenno
