// The four looks of the window (Office 2000, Office XP, Office 2003, Windows XP) as
// palettes and style sheets for the menus, the toolbar and the status bar.
#pragma once

#include <QString>

namespace rescuva::toolkit {

enum Theme { kOffice2000 = 0, kOfficeXP = 1, kOffice2003 = 2, kWindowsXP = 3 };

// The style sheet of a theme's bars.
QString ThemeStyleSheet(int theme);
// The control theme that goes with a paint theme: 1 for Office XP, 2 for Office 2003,
// otherwise 0.
int ControlTheme(int theme);

}  // namespace rescuva::toolkit
