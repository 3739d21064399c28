#pragma once

// The engine window's menu bar: Edit (Copy and the six link items), Quit (suspend or
// resume, resume for one record, reset, timed output, Quit) and About. The window
// connects the actions; these functions only build the menus and copy states into them.

#include "dde/link_menu.h"
#include "engine/engine_window_rules.h"

class QAction;
class QMenu;
class QMenuBar;

namespace fenno {

struct EngineMenus {
  QMenu* edit = nullptr;
  QAction* copy = nullptr;
  QAction* pasteCommand = nullptr;
  QAction* refreshCommand = nullptr;
  QAction* terminateCommand = nullptr;
  QAction* pasteBuffer = nullptr;
  QAction* refreshBuffer = nullptr;
  QAction* terminateBuffer = nullptr;

  QMenu* quit = nullptr;
  QAction* suspend = nullptr;
  QAction* resumeForOneRecord = nullptr;
  QAction* reset = nullptr;
  QAction* timedOutput = nullptr;
  QAction* quitEngine = nullptr;

  QAction* about = nullptr;
};

// Builds the menus with string-table numbers as their texts (ApplyCaptions replaces them).
EngineMenus BuildEngineMenus(QMenuBar& bar);

// Captions (UTF-8 from the table), visibility and enabled states of the Quit menu.
void ShowQuitMenu(const EngineMenus& menus, const QuitMenuState& state);
// The Edit menu as it opens: the link items as the presenter says, Copy once a box has
// had the focus.
void ShowEditMenu(const EngineMenus& menus, const LinkMenuState& links, bool copyEnabled);

}  // namespace fenno
