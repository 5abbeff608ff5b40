#pragma once
// Where the process looks for the DLLs it loads after start-up.
//
// Windows looks for a DLL that is not on its known-DLL list in the executable's own folder
// first. The programs are run from wherever they were saved, a download folder among them,
// where a DLL of any name can be lying: neither they nor anything the system loads on their
// behalf later (the shell, the folder picker, their extensions) may take a DLL from there.

namespace platform {

// Called first in main and WinMain, before anything loads a DLL. Windows: every later load
// that names no folder searches the system folder only (SetDefaultDllDirectories), where the
// system has that function (Windows 8 on, Windows 7 with KB2533623); without it the search
// stays as it was. Other systems: nothing. Never fails, never raises.
void SearchSystemFolderOnlyForDlls();

}  // namespace platform
