// VellunoraDecoder.exe: the decoder dialog.

#include <windows.h>

#include "dialog/ok_right_dlg.h"
#include "framework/application.h"
#include "platform/dll_search.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  platform::SearchSystemFolderOnlyForDlls();
  TApplication application;
  return RunApplication(application, [](TApplication& app) { app.CreateForm(OKRightDlg); });
}
