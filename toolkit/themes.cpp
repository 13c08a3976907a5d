#include "toolkit/themes.h"

namespace rescuva::toolkit {

QString ThemeStyleSheet(int theme) {
  switch (theme) {
    case kOffice2000:
      return "QMenuBar, QToolBar { background: #d4d0c8; }"
             "QMenu { background: #d4d0c8; } QMenu::item:selected { background: #0a246a; color: "
             "white; }"
             "QStatusBar { background: #d4d0c8; }";
    case kOfficeXP:
      return "QMenuBar, QToolBar { background: #ece9e2; }"
             "QMenu { background: #fcfcf9; } QMenu::item:selected { background: #b6bdd2; color: "
             "black; }"
             "QStatusBar { background: #ece9e2; }";
    case kOffice2003:
      return "QMenuBar { background: #dbe7f7; }"
             "QToolBar { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #e3effe, "
             "stop:1 #9ebfef);"
             " border: 1px solid #7ba2e7; }"
             "QMenu { background: #f6f6f6; } QMenu::item:selected { background: #ffeec2; color: "
             "black; }";
    case kWindowsXP:
      return "QMenuBar, QToolBar { background: #ece9d8; }"
             "QMenu { background: white; } QMenu::item:selected { background: #316ac5; color: "
             "white; }"
             "QStatusBar { background: #ece9d8; }";
    default:
      return {};
  }
}

int ControlTheme(int theme) {
  if (theme == kOfficeXP) return 1;
  if (theme == kOffice2003) return 2;
  return 0;
}

}  // namespace rescuva::toolkit
