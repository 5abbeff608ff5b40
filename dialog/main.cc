// VellunoraDecoder.exe: the decoder dialog.

#include <windows.h>

#include "dialog/ok_right_dlg.h"
#include "framework/application.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  TApplication application;
  return RunApplication(application, [](TApplication& app) { app.CreateForm(OKRightDlg); });
}
