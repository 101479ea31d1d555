#pragma once
// Where settings and profiles live: $PENDULON_WORKDIR if set; else /var/lib/pendulon/ for
// root and ${XDG_STATE_HOME:-~/.local/state}/pendulon/ for other users. The directory is
// created with mode 0700 when missing and the path ends with a slash.
#include <string>

namespace platform {

// False when the directory cannot be found or created; strError then says why.
bool bGetWorkDirectory(std::string& strPath, std::string& strError);

}  // namespace platform
