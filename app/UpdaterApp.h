// The program's application: its initialisation hook is the whole update
// run, from the banner to the restart request.
#pragma once

#include <cstdint>

#include "app/framework/WinApp.h"

class InfUpdater;

class UpdaterApp : public CWinApp {
 public:
  UpdaterApp() = default;
  ~UpdaterApp() override = default;

  // The update run. Gives 1 on every path, so that the message loop runs
  // and ends with the banner's closing.
  int InitInstance() override;
  // Shows the failure box; gives the button it returned.
  virtual int ShowFailure();
  // Sweeps the unknown devices below `keyName` of `parent`.
  virtual std::int32_t PurgeUnknownDevices(win::HKEY parent, const char* keyName);

 protected:
  // The engine's box parameters, borrowed for the run; null when the engine
  // could not allocate them.
  win::MSGBOXPARAMSA* boxParams = nullptr;
  // 0 after a confirmed, successful update; anything else is failure or
  // refusal.
  std::int32_t failed = 0;

 private:
  void PutUpBanner();
  int AskConfirmation();
  void ReportSuccess(InfUpdater& updater);
  void RequestRestart(InfUpdater& updater);
  void CloseBanner();
  win::HWND BannerWindow() const;
};
