#pragma once

// The About box of the engine window and its notification-area icon: the program's name,
// its version and what it does, with an OK button (Enter and Escape close it).

#include <QDialog>

#include "base/string_table.h"
#include "config/edition.h"

namespace fenno {

class EngineAbout final : public QDialog {
  Q_OBJECT

 public:
  EngineAbout(const Edition& edition, const StringTable& strings, QWidget* parent = nullptr);
};

}  // namespace fenno
