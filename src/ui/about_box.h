#pragma once

// The About box of both windows (setup window Help > About, engine window About and its
// tray icon): the program's name, its version, one line on what it does and the licences
// of the libraries it uses.

#include <QDialog>

#include "base/string_table.h"
#include "config/edition.h"

namespace fenno {

class AboutBox final : public QDialog {
  Q_OBJECT

 public:
  AboutBox(const Edition& edition, const StringTable& strings, QWidget* parent = nullptr);
};

}  // namespace fenno
