#include "app/framework/WinMain.h"

#include "app/framework/WinApp.h"

int AfxWinMain(HostServices& host, win::HINSTANCE instance, int showCommand) {
  CWinApp* app = AfxGetApp();
  if (app == nullptr) return 0;
  app->host = &host;
  app->instance = instance;
  app->showCommand = showCommand;
  app->mainThread = host.system.GetCurrentThread();
  if (app->InitInstance() == 0) return 0;
  return app->Run();
}
