#include "platform/dll_search.h"

namespace platform {

// Nothing to do: the dynamic loader looks in the executable's folder only when the binary
// asks it to ($ORIGIN), and this one does not.
void SearchSystemFolderOnlyForDlls() {}

}  // namespace platform
