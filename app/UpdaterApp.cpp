#include "app/UpdaterApp.h"

#include <new>

#include "app/BannerFrame.h"
#include "app/BoxTexts.h"
#include "devices/UnknownDevicePurge.h"
#include "engine/InfUpdater.h"
#include "resources/resource.h"

namespace {

constexpr char kUnsupportedText[] = "It need Win95 Platform..";
constexpr char kSuccessText[] = "Intel Tx Info update OK...";
constexpr char kFailureText[] = "When Update it get error msg!";
constexpr char kDeviceKey[] = "Enum\\PCI";
constexpr std::int32_t kPlatformNt = 2;
constexpr std::uint32_t kRestartReserved = 0xFFFFFFFF;

// The plan that a selector picks, or 0 for an unsupported host.
std::int32_t PlanFor(std::int32_t selector) {
  if (selector == 1) return 3;
  if (selector == 2) return 4;
  return 0;
}

}  // namespace

int UpdaterApp::InitInstance() {
  host->system.SetThreadPriority(mainThread, win::kThreadPriorityHighest);
  PutUpBanner();
  InfUpdater updater(*host, BannerWindow());
  boxParams = updater.GetPromptParams();
  const std::int32_t planId = PlanFor(updater.GetPlanSelector());
  if (planId == 0) {
    host->desktop.MessageBoxA(nullptr, kUnsupportedText, nullptr, win::kMbIconWarning);
    // The banner stays up until the user closes it; without one, nothing
    // else could end the message loop.
    if (mainWindow == nullptr) host->desktop.PostQuitMessage(0);
    boxParams = nullptr;
    return 1;
  }
  failed = 1;
  if (AskConfirmation() == win::kIdOk) {
    updater.RunPlan(planId);
    failed = updater.GetError();
  }
  if (failed != 0) {
    ShowFailure();
  } else {
    ReportSuccess(updater);
  }
  CloseBanner();
  boxParams = nullptr;
  return 1;
}

// A banner that cannot be built leaves the run without a backdrop: the
// boxes then have no owner, and the run itself ends the message loop.
void UpdaterApp::PutUpBanner() {
  BannerFrame* banner = new (std::nothrow) BannerFrame(*host, instance);
  if (banner != nullptr && banner->GetSafeHwnd() == nullptr) {
    delete banner;
    banner = nullptr;
  }
  mainWindow = banner;
  if (banner == nullptr) return;
  const win::HWND window = banner->GetSafeHwnd();
  const win::HCURSOR cursor = host->desktop.LoadCursorA(instance, win::MakeIntResource(IDC_BANNER));
  host->desktop.SetClassLongPtrA(window, win::kGclHCursor, reinterpret_cast<std::intptr_t>(cursor));
  host->desktop.ShowWindow(window, showCommand);
  host->desktop.UpdateWindow(window);
}

// Without box parameters the confirmation cannot be shown, which counts as
// a refusal, like a box that fails to show.
int UpdaterApp::AskConfirmation() {
  if (boxParams == nullptr) return 0;
  return host->desktop.MessageBoxIndirectA(boxParams);
}

int UpdaterApp::ShowFailure() {
  if (boxParams == nullptr) {
    return host->desktop.MessageBoxA(BannerWindow(), kFailureText, kBoxCaption,
                                     win::kMbIconInformation);
  }
  boxParams->lpszText = kFailureText;
  boxParams->lpszCaption = kBoxCaption;
  if (host->desktop.LoadIconA(instance, win::MakeIntResource(IDI_FAILURE)) != nullptr) {
    boxParams->lpszIcon = win::MakeIntResource(IDI_FAILURE);
    boxParams->dwStyle = win::kMbUserIcon;
  } else {
    boxParams->dwStyle = win::kMbIconInformation;
  }
  return host->desktop.MessageBoxIndirectA(boxParams);
}

std::int32_t UpdaterApp::PurgeUnknownDevices(win::HKEY parent, const char* keyName) {
  return ::PurgeUnknownDevices(host->registry, parent, keyName);
}

// The wait cursor stands only while the registry is swept; the restart is
// asked for once the user has seen the box.
void UpdaterApp::ReportSuccess(InfUpdater& updater) {
  boxParams->lpszText = kSuccessText;
  boxParams->dwStyle = win::kMbUserIcon;
  host->desktop.SetCursor(host->desktop.LoadCursorA(nullptr, win::MakeIntResource(win::kIdcWait)));
  PurgeUnknownDevices(win::HkeyLocalMachine(), kDeviceKey);
  host->desktop.SetCursor(host->desktop.LoadCursorA(nullptr, win::MakeIntResource(win::kIdcArrow)));
  host->desktop.MessageBoxIndirectA(boxParams);
  RequestRestart(updater);
}

// Windows NT restarts only for a process that holds the shutdown right;
// the Windows 95 family knows no such right.
void UpdaterApp::RequestRestart(InfUpdater& updater) {
  if (updater.GetPlatformCode() == kPlatformNt) host->system.EnableShutdownPrivilege();
  host->system.ExitWindowsEx(win::kEwxReboot, kRestartReserved);
}

// The banner's destruction posts the quit message; without a banner the run
// posts it itself.
void UpdaterApp::CloseBanner() {
  if (mainWindow == nullptr) {
    host->desktop.PostQuitMessage(0);
    return;
  }
  host->desktop.SendMessageA(mainWindow->GetSafeHwnd(), win::kWmClose, 0, 0);
}

win::HWND UpdaterApp::BannerWindow() const {
  return mainWindow == nullptr ? nullptr : mainWindow->GetSafeHwnd();
}
