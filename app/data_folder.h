// Where the program's own files (the scan's pages and their pictures, the user guide)
// are found: in the start folder as described, else beside the program (a build),
// else in the installed data folder (share/rescuva beside bin/).
#pragma once

#include <QString>

namespace rescuva::app {

// The folder, ending in '/', that holds `name`: the first of `start_folder`, the
// program's folder and the installed data folder that does; the start folder when
// none does.
QString FolderHolding(const QString& start_folder, const QString& name);

}  // namespace rescuva::app
