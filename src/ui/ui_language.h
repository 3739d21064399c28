#pragma once

// The language of the windows: Qt's own texts (standard buttons, file dialogs) follow the
// string table's language, and Japanese texts get a CJK font from the desktop's fonts.

#include "base/string_table.h"

class QApplication;

namespace fenno {

void PrepareUiLanguage(QApplication& app, Language language);

}  // namespace fenno
