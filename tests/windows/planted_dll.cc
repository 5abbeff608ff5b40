// A DLL that someone has left in a download folder, beside a program saved there. Built as
// mpr.dll it stands in for the system's MPR and names every drive \\planted\share, so whoever
// asks it instead of the system's copy shows a name no drive has; built under a name the
// system has no DLL of, it is found only by a search that looks beside the program.

#include <windows.h>

extern "C" __declspec(dllexport) DWORD WINAPI WNetGetConnectionA(LPCSTR, LPSTR remote, LPDWORD size) {
  constexpr char kShare[] = "\\\\planted\\share";
  if (*size < sizeof kShare) return ERROR_MORE_DATA;
  lstrcpynA(remote, kShare, static_cast<int>(sizeof kShare));
  return NO_ERROR;
}
