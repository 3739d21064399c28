#include "ui/engine_menus.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "base/qt_text.h"

namespace fenno {
namespace {

QAction* AddItem(QMenu& menu, const char* number, const char* objectName) {
  QAction* action = menu.addAction(FromUtf8(number));
  action->setObjectName(FromUtf8(objectName));
  return action;
}

}  // namespace

EngineMenus BuildEngineMenus(QMenuBar& bar) {
  EngineMenus menus;
  menus.edit = bar.addMenu(QStringLiteral("3002"));
  menus.edit->setObjectName(QStringLiteral("editMenu"));
  menus.copy = AddItem(*menus.edit, "3003", "actionCopy");
  menus.edit->addSeparator();
  menus.pasteCommand = AddItem(*menus.edit, "9100", "actionPasteCommandLink");
  menus.refreshCommand = AddItem(*menus.edit, "9101", "actionRefreshCommandLink");
  menus.terminateCommand = AddItem(*menus.edit, "9102", "actionTerminateCommandLink");
  menus.edit->addSeparator();
  menus.pasteBuffer = AddItem(*menus.edit, "9103", "actionPasteBufferLink");
  menus.refreshBuffer = AddItem(*menus.edit, "9104", "actionRefreshBufferLink");
  menus.terminateBuffer = AddItem(*menus.edit, "9105", "actionTerminateBufferLink");
  ShowEditMenu(menus, LinkMenuState{}, false);

  menus.quit = bar.addMenu(QStringLiteral("3004"));
  menus.quit->setObjectName(QStringLiteral("quitMenu"));
  menus.suspend = AddItem(*menus.quit, "3005", "actionSuspend");
  menus.resumeForOneRecord = AddItem(*menus.quit, "5002", "actionResumeForOneRecord");
  menus.resumeForOneRecord->setVisible(false);
  menus.reset = AddItem(*menus.quit, "3006", "actionReset");
  menus.quit->addSeparator();
  menus.timedOutput = AddItem(*menus.quit, "3007", "actionTimedOutput");
  menus.quitEngine = AddItem(*menus.quit, "3009", "actionQuit");

  menus.about = bar.addAction(QStringLiteral("3010"));
  menus.about->setObjectName(QStringLiteral("actionAbout"));
  return menus;
}

void ShowQuitMenu(const EngineMenus& menus, const QuitMenuState& state) {
  menus.suspend->setText(FromUtf8(state.suspendCaption));
  menus.resumeForOneRecord->setVisible(state.resumeForOneRecordVisible);
  menus.timedOutput->setText(FromUtf8(state.timedOutputCaption));
  menus.timedOutput->setVisible(state.timedOutputVisible);
  menus.timedOutput->setEnabled(state.timedOutputEnabled);
}

void ShowEditMenu(const EngineMenus& menus, const LinkMenuState& links, bool copyEnabled) {
  menus.copy->setEnabled(copyEnabled);
  menus.pasteCommand->setEnabled(links.pasteCommand);
  menus.refreshCommand->setEnabled(links.refreshCommand);
  menus.terminateCommand->setEnabled(links.terminateCommand);
  menus.pasteBuffer->setEnabled(links.pasteBuffer);
  menus.refreshBuffer->setEnabled(links.refreshBuffer);
  menus.terminateBuffer->setEnabled(links.terminateBuffer);
}

}  // namespace fenno
