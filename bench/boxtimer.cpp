// Times Windows programs from their start to their first message box, inside
// one Wine prefix, taking turns between them.
//
//   boxtimer REPORT ROUNDS PROGRAM ANSWERS [PROGRAM ANSWERS]...
//
// Each round starts every PROGRAM once, in turn (the order reversed every
// other round), and waits for a visible message box of that process; the
// time from just before CreateProcess to that moment is one sample. It then
// answers the program's boxes as ANSWERS says ("cancel,ok": Cancel on the
// first box, OK on the second) and waits for the program to end. One JSON
// line per sample goes to REPORT, with the time to the program's first other
// visible window (its banner) as well, when it shows one before the box.
#include <windows.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "WindowReader.h"

namespace {

constexpr DWORD kBoxTimeoutMs = 30000;
constexpr DWORD kExitTimeoutMs = 30000;
constexpr DWORD kSettleMs = 300;

struct Subject {
  std::string program;
  std::vector<std::string> answers;
};

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) /
         static_cast<double>(frequency.QuadPart);
}

// The first visible message box of `processId` that is not in `seen`. Each
// look that finds another window of the process first calls `windowSeen`.
template <typename WindowSeen>
HWND WaitForBox(DWORD processId, HANDLE process, std::set<HWND>& seen, WindowSeen windowSeen) {
  const DWORD begin = GetTickCount();
  while (GetTickCount() - begin < kBoxTimeoutMs) {
    if (!MainWindowsOf(processId).empty()) windowSeen();
    for (HWND box : NewBoxes(seen)) {
      DWORD owner = 0;
      GetWindowThreadProcessId(box, &owner);
      if (owner != processId) continue;
      seen.insert(box);
      return box;
    }
    if (WaitForSingleObject(process, 1) == WAIT_OBJECT_0) return nullptr;
  }
  return nullptr;
}

struct Sample {
  double milliseconds = -1;
  double windowMilliseconds = -1;
  bool answered = false;
  bool ended = false;
};

Sample TimeOne(const Subject& subject) {
  Sample sample;
  std::string commandLine = "\"" + subject.program + "\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  LARGE_INTEGER start;
  QueryPerformanceCounter(&start);
  if (!CreateProcessA(subject.program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                      nullptr, nullptr, &startup, &process)) {
    return sample;
  }
  std::set<HWND> seen;
  const auto noteWindow = [&] {
    if (sample.windowMilliseconds >= 0) return;
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    sample.windowMilliseconds = Milliseconds(start, now);
  };
  HWND box = WaitForBox(process.dwProcessId, process.hProcess, seen, noteWindow);
  LARGE_INTEGER shown;
  QueryPerformanceCounter(&shown);
  if (box != nullptr) sample.milliseconds = Milliseconds(start, shown);
  sample.answered = box != nullptr;
  for (std::size_t i = 0; box != nullptr && i < subject.answers.size(); ++i) {
    sample.answered = Answer(box, subject.answers[i]) && sample.answered;
    box = i + 1 < subject.answers.size()
              ? WaitForBox(process.dwProcessId, process.hProcess, seen, [] {})
              : nullptr;
    if (box == nullptr && i + 1 < subject.answers.size()) sample.answered = false;
  }
  sample.ended = WaitForSingleObject(process.hProcess, kExitTimeoutMs) == WAIT_OBJECT_0;
  if (!sample.ended) TerminateProcess(process.hProcess, 1);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return sample;
}

void Report(std::FILE* out, int round, const Subject& subject, const Sample& sample) {
  std::fprintf(out, "{\"round\":%d,\"program\":\"", round);
  for (const char c : subject.program) {
    if (c == '\\' || c == '"') std::fputc('\\', out);
    std::fputc(c, out);
  }
  std::fprintf(out, "\",\"ms\":%.3f,\"window_ms\":%.3f,\"answered\":%s,\"ended\":%s}\n",
               sample.milliseconds, sample.windowMilliseconds, sample.answered ? "true" : "false",
               sample.ended ? "true" : "false");
  std::fflush(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5 || (argc - 3) % 2 != 0) {
    std::fputs("usage: boxtimer REPORT ROUNDS PROGRAM ANSWERS [PROGRAM ANSWERS]...\n", stderr);
    return 2;
  }
  std::vector<Subject> subjects;
  for (int i = 3; i + 1 < argc; i += 2) subjects.push_back({argv[i], AnswerList(argv[i + 1])});
  std::FILE* out = std::fopen(argv[1], "w");
  if (out == nullptr) return 1;
  const int rounds = std::atoi(argv[2]);
  bool clean = true;
  for (int round = 0; round < rounds; ++round) {
    for (std::size_t turn = 0; turn < subjects.size(); ++turn) {
      const Subject& subject = subjects[round % 2 == 0 ? turn : subjects.size() - 1 - turn];
      const Sample sample = TimeOne(subject);
      Report(out, round, subject, sample);
      clean = clean && sample.answered && sample.ended;
      Sleep(kSettleMs);
    }
  }
  std::fclose(out);
  return clean ? 0 : 1;
}
