// The end-to-end suite's hands and eyes inside a Wine prefix.
//
//   boxpilot pilot REPORT [--answers ok,cancel,close] [--program EXE] [--shots DIR]
//                         [--hold FILE] [--linger MS] [--timeout MS]
//       Waits for the message boxes of the program under test, reads each one
//       (caption, text, icon, buttons, owner), takes a picture of the screen,
//       answers it as the list says and writes what it saw to REPORT, one JSON
//       line per event. After the last answer it watches the program's main
//       window: gone by itself, or still open after MS milliseconds, in which
//       case the pilot closes it through its system menu. --hold keeps FILE
//       open without sharing while the pilot runs.
//   boxpilot bitmap EXE ID OUT.bmp
//       Writes bitmap resource ID of EXE as a BMP file.
//
// A copy named wineboot.exe stands in for Wine's own: ExitWindowsEx starts
// "wineboot.exe --end-session ...", so the copy only appends its command line
// to the file named by E2E_RESTART_LOG (default C:\restart-requests.log).
#include <windows.h>
// Toolhelp needs the declarations of windows.h first.
#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "Record.h"
#include "Screen.h"
#include "WindowReader.h"

namespace {

constexpr DWORD kPollMs = 50;
constexpr DWORD kBoxGoneTimeoutMs = 10000;
constexpr DWORD kCloseTimeoutMs = 10000;
constexpr DWORD kHelperTimeoutMs = 10000;
constexpr int kIconLooks = 8;
constexpr DWORD kIconLookDelayMs = 250;

struct PilotOptions {
  std::string report;
  std::vector<std::string> answers;
  std::string program;
  std::string shotsDir;
  std::string hold;
  DWORD lingerMs = 1500;
  DWORD timeoutMs = 60000;
};

long long HandleNumber(HWND hwnd) {
  return static_cast<long long>(reinterpret_cast<UINT_PTR>(hwnd));
}

std::string RectJson(const RECT& rect) {
  return "[" + std::to_string(rect.left) + "," + std::to_string(rect.top) + "," +
         std::to_string(rect.right) + "," + std::to_string(rect.bottom) + "]";
}

std::string WindowJson(const WindowView& view) {
  Record record("window");
  record.Number("hwnd", HandleNumber(view.hwnd))
      .Text("class", view.className)
      .Text("caption", view.caption)
      .Raw("rect", RectJson(view.rect))
      .Numbers("client",
               {view.clientOrigin.x, view.clientOrigin.y, view.clientSize.cx, view.clientSize.cy})
      .Number("style", static_cast<DWORD>(view.style))
      .Number("exStyle", static_cast<DWORD>(view.exStyle))
      .Number("pid", view.processId);
  const std::string json = record.Json();
  return "{" + json.substr(json.find(',') + 1);
}

std::string WindowListJson(const std::vector<HWND>& windows) {
  std::string list;
  for (HWND hwnd : windows) list += (list.empty() ? "" : ",") + WindowJson(ViewOf(hwnd));
  return "[" + list + "]";
}

bool WinebootRunning() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return false;
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  bool running = false;
  for (BOOL more = Process32First(snapshot, &entry); more && !running;
       more = Process32Next(snapshot, &entry)) {
    running = _stricmp(entry.szExeFile, "wineboot.exe") == 0;
  }
  CloseHandle(snapshot);
  return running;
}

// A restart request starts the restart helper before the program closes its
// window; waiting for the helper to end lets the suite read what it recorded.
bool WaitForRestartHelper() {
  const DWORD begin = GetTickCount();
  while (WinebootRunning()) {
    if (GetTickCount() - begin >= kHelperTimeoutMs) return false;
    Sleep(kPollMs);
  }
  return true;
}

class Pilot {
 public:
  explicit Pilot(const PilotOptions& options)
      : options_(options), report_(options.report), icons_(LoadIconCandidates(options.program)) {}

  int Run();

 private:
  bool Expired() const { return GetTickCount() - start_ >= options_.timeoutMs; }
  bool TargetEnded() const { return target_ && WaitForSingleObject(target_, 0) == WAIT_OBJECT_0; }
  bool HandleNextBox();
  void HandleBox(HWND box);
  std::string SaveShot(const Image& shot, const std::string& name) const;
  void Linger();
  bool WaitForMainWindowsGone(DWORD timeoutMs);

  PilotOptions options_;
  ReportFile report_;
  std::vector<IconCandidate> icons_;
  std::set<HWND> seen_;
  size_t answered_ = 0;
  DWORD targetId_ = 0;
  HANDLE target_ = nullptr;
  DWORD start_ = GetTickCount();
};

bool Pilot::HandleNextBox() {
  const std::vector<HWND> boxes = NewBoxes(seen_);
  if (boxes.empty()) return false;
  HandleBox(boxes.front());
  return true;
}

std::string Pilot::SaveShot(const Image& shot, const std::string& name) const {
  if (options_.shotsDir.empty()) return "";
  const std::string path = options_.shotsDir + "\\" + name;
  return WriteBmp(shot, path) ? name : "";
}

void Pilot::HandleBox(HWND box) {
  seen_.insert(box);
  SettleWindow(box);
  const BoxView view = ReadBox(box);
  if (!targetId_) {
    targetId_ = view.window.processId;
    target_ = OpenProcess(SYNCHRONIZE, FALSE, targetId_);
  }
  if (view.owner) SettleWindow(view.owner);
  // A box that is not drawn yet shows no icon: look again for a while.
  Image shot = CaptureScreen();
  std::string icon =
      view.hasIcon ? RecogniseIcon(shot, view.iconOrigin.x, view.iconOrigin.y, icons_) : "none";
  for (int look = 1; look < kIconLooks && icon == "unknown"; ++look) {
    Sleep(kIconLookDelayMs);
    shot = CaptureScreen();
    icon = RecogniseIcon(shot, view.iconOrigin.x, view.iconOrigin.y, icons_);
  }
  const bool scripted = answered_ < options_.answers.size();
  const std::string answer = scripted ? options_.answers[answered_] : "close";
  ++answered_;
  Record record("box");
  record.Number("index", static_cast<long long>(answered_))
      .Text("caption", view.window.caption)
      .Text("text", view.text)
      .Text("icon", icon)
      .Texts("buttons", view.buttons)
      .Number("owner", HandleNumber(view.owner))
      .Raw("box", WindowJson(view.window))
      .Raw("mainWindows", WindowListJson(MainWindowsOf(view.window.processId)))
      .Texts("windowClasses", WindowClassesOf(view.window.processId))
      .Text("shot", SaveShot(shot, "box" + std::to_string(answered_) + ".bmp"))
      .Text("answer", answer)
      .Flag("scripted", scripted);
  Answer(box, answer);
  report_.Write(record.Number("answeredAt", GetTickCount()));
  const DWORD asked = GetTickCount();
  while (IsWindow(box) && IsWindowVisible(box) && GetTickCount() - asked < kBoxGoneTimeoutMs) {
    Sleep(kPollMs);
  }
  if (IsWindow(box) && IsWindowVisible(box)) report_.Write(Record("box-stuck"));
}

bool Pilot::WaitForMainWindowsGone(DWORD timeoutMs) {
  const DWORD begin = GetTickCount();
  while (GetTickCount() - begin < timeoutMs) {
    if (HandleNextBox()) continue;
    if (TargetEnded() || MainWindowsOf(targetId_).empty()) return true;
    Sleep(kPollMs);
  }
  return false;
}

void Pilot::Linger() {
  if (WaitForMainWindowsGone(options_.lingerMs)) {
    report_.Write(Record("main-window-gone"));
    return;
  }
  const std::vector<HWND> windows = MainWindowsOf(targetId_);
  for (HWND hwnd : windows) SettleWindow(hwnd);
  const Image shot = CaptureScreen();
  report_.Write(Record("main-window-open")
                    .Raw("windows", WindowListJson(windows))
                    .Text("shot", SaveShot(shot, "main-window.bmp")));
  for (HWND hwnd : windows) CloseMainWindow(hwnd);
  report_.Write(Record("main-window-closed").Flag("gone", WaitForMainWindowsGone(kCloseTimeoutMs)));
}

int Pilot::Run() {
  HANDLE held = INVALID_HANDLE_VALUE;
  if (!options_.hold.empty()) {
    held = CreateFileA(options_.hold.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
    report_.Write(
        Record("holding").Text("file", options_.hold).Flag("open", held != INVALID_HANDLE_VALUE));
  }
  report_.Write(Record("ready").Number("iconCandidates", static_cast<long long>(icons_.size())));
  bool finished = false;
  while (!Expired()) {
    if (HandleNextBox()) continue;
    if (answered_ > 0 && answered_ >= options_.answers.size()) {
      Linger();
      finished = true;
      break;
    }
    Sleep(kPollMs);
  }
  if (!finished)
    report_.Write(Record("timeout").Number("boxes", static_cast<long long>(answered_)));
  report_.Write(Record("restart-helper").Flag("ended", WaitForRestartHelper()));
  if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
  if (target_) CloseHandle(target_);
  report_.Write(Record("done"));
  return finished ? 0 : 1;
}

bool ParsePilotOptions(int argc, char** argv, PilotOptions& options) {
  if (argc < 3) return false;
  options.report = argv[2];
  for (int i = 3; i + 1 < argc; i += 2) {
    const std::string name = argv[i];
    const std::string value = argv[i + 1];
    if (name == "--answers") {
      options.answers = AnswerList(value);
    } else if (name == "--program") {
      options.program = value;
    } else if (name == "--shots") {
      options.shotsDir = value;
    } else if (name == "--hold") {
      options.hold = value;
    } else if (name == "--linger") {
      options.lingerMs = std::stoul(value);
    } else if (name == "--timeout") {
      options.timeoutMs = std::stoul(value);
    } else {
      return false;
    }
  }
  return (argc - 3) % 2 == 0;
}

// Bitmap resources are stored as a DIB without the file header.
int WriteBitmapResource(const std::string& program, int id, const std::string& path) {
  HMODULE module = LoadLibraryExA(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  HRSRC found = module ? FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(2)) : nullptr;
  HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
  const auto* dib = static_cast<const unsigned char*>(loaded ? LockResource(loaded) : nullptr);
  if (!dib) return 1;
  const DWORD size = SizeofResource(module, found);
  const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(dib);
  DWORD colours = header->biClrUsed;
  if (colours == 0 && header->biBitCount <= 8) colours = 1u << header->biBitCount;
  BITMAPFILEHEADER file = {};
  file.bfType = 0x4D42;
  file.bfSize = sizeof file + size;
  file.bfOffBits = sizeof file + header->biSize + colours * 4;
  std::FILE* out = std::fopen(path.c_str(), "wb");
  if (!out) return 1;
  const bool written =
      std::fwrite(&file, sizeof file, 1, out) == 1 && std::fwrite(dib, 1, size, out) == size;
  return std::fclose(out) == 0 && written ? 0 : 1;
}

bool StartedAsWineboot() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, sizeof path);
  const char* name = std::strrchr(path, '\\');
  return _stricmp(name ? name + 1 : path, "wineboot.exe") == 0;
}

int RecordRestartRequest() {
  char log[MAX_PATH] = "C:\\restart-requests.log";
  GetEnvironmentVariableA("E2E_RESTART_LOG", log, sizeof log);
  ReportFile(log).Write(
      Record("wineboot").Text("commandLine", GetCommandLineA()).Number("at", GetTickCount()));
  return 0;
}

int Usage() {
  std::fputs(
      "usage: boxpilot pilot REPORT [--answers LIST] [--program EXE] [--shots DIR] [--hold FILE]\n"
      "                             [--linger MS] [--timeout MS]\n"
      "       boxpilot bitmap EXE ID OUT.bmp\n",
      stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (StartedAsWineboot()) return RecordRestartRequest();
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "bitmap" && argc == 5)
    return WriteBitmapResource(argv[2], std::atoi(argv[3]), argv[4]);
  PilotOptions options;
  if (mode == "pilot" && ParsePilotOptions(argc, argv, options)) return Pilot(options).Run();
  return Usage();
}
