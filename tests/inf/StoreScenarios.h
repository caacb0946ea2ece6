// The ground for the store's reliability tests: a one-entry plan that merges
// two lines into mshdc.inf, the four states the file can be found in, a record
// of the host file operations a run makes, and a snapshot of the INF folder.
// A scenario runs the plan once through a fault-injecting host that the test
// arranges after the engine is built, so that call positions count from the
// plan's first file operation.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "engine/InfUpdater.h"
#include "host/FaultInjectingHost.h"
#include "support/FileCallRecorder.h"
#include "support/HostWrapper.h"
#include "support/ScriptTableHost.h"
#include "support/TestMachine.h"

namespace store {

using Snapshot = std::map<std::string, std::string>;

constexpr std::int32_t kPlan = 9000;

inline const std::string kOwnName = "mshdc.inf";
inline const std::string kTempName = "mshdc.tmp";

// The old text has no final line end: the save adds one.
inline const std::string kOldText =
    "[Version]\r\nSignature=\"$CHICAGO$\"\r\n\r\n[Strings]\r\nMsft=\"Microsoft\"";
inline const std::string kNewFromOld =
    "[Version]\r\nSignature=\"$CHICAGO$\"\r\n\r\n[Strings]\r\nA=\"1\"\r\nB=\"2\"\r\n"
    "Msft=\"Microsoft\"\r\n";
inline const std::string kNewFromNothing = "[Strings]\r\nA=\"1\"\r\nB=\"2\"\r\n";

inline std::string BackupName(int number) { return "mshdc.OR" + std::to_string(number); }

// In the state with all ten backups, this one is the oldest: the rotation
// drops it, and no other.
constexpr int kOldestBackup = 4;

struct FileState {
  const char* name;
  // The file's text before the run; none for a missing file.
  std::optional<std::string> oldText;
  bool tenBackups;

  const std::string& NewText() const {
    return oldText && !oldText->empty() ? kNewFromOld : kNewFromNothing;
  }
};

inline void PrintTo(const FileState& state, std::ostream* os) { *os << state.name; }

inline const FileState kExisting{"Existing", kOldText, false};
inline const FileState kMissing{"Missing", std::nullopt, false};
inline const FileState kZeroSize{"ZeroSize", std::string(), false};
inline const FileState kTenBackups{"TenBackups", kOldText, true};
inline const std::vector<FileState> kFileStates = {kExisting, kMissing, kZeroSize, kTenBackups};

// Lays the state out in the machine's INF folder.
inline void Lay(TestMachine& machine, const FileState& state) {
  if (state.oldText) machine.WriteInf(kOwnName, *state.oldText);
  if (!state.tenBackups) return;
  for (int number = 0; number <= 9; ++number) {
    machine.WriteInf(BackupName(number), "backup " + std::to_string(number) + "\r\n");
    const int age = number == kOldestBackup ? 100 : number;
    machine.SetInfTime(BackupName(number), 1000000000 - 60 * age);
  }
}

inline Snapshot Snap(const TestMachine& machine) {
  Snapshot files;
  for (const std::string& name : machine.ListInf()) files[name] = machine.ReadInf(name);
  return files;
}

inline std::optional<std::string> Find(const Snapshot& files, const std::string& name) {
  const auto found = files.find(name);
  if (found == files.end()) return std::nullopt;
  return found->second;
}

// Plan kPlan: one entry that merges the lines A="1" and B="2" after the
// line [Strings] of `fileName`, or appends all three when it has none.
inline void InstallPlan(ScriptTableHost& strings, const std::string& fileName = kOwnName) {
  strings.Set(kPlan, "1 9001");
  strings.Set(9001, fileName + " 1 9010");
  strings.Set(9010, "2");
  strings.Set(9011, "[Strings]");
  strings.Set(9012, "A=\"1\"");
  strings.Set(9013, "B=\"2\"");
}

// Runs plan kPlan on `fileName` through `host`; gives the plan's `error`.
inline std::int32_t RunPlan(HostServices& host, const std::string& fileName = kOwnName) {
  ScriptTableHost strings(host);
  InstallPlan(strings, fileName);
  InfUpdater engine(strings, nullptr);
  engine.RunPlan(kPlan);
  return engine.GetError();
}

// What the plan appends to a text that has no line [Strings].
inline const std::string kAppended = "[Strings]\r\nA=\"1\"\r\nB=\"2\"\r\n";

struct Outcome {
  std::int32_t error = 0;
  // Handles the run opened and never handed back to CloseHandle.
  int handlesLeftOpen = 0;
  // The file operations of the plan, the failed ones included, as the
  // FileCallRecorder writes them down.
  std::vector<std::string> calls;
  Snapshot before;
  Snapshot after;
};

// Runs the plan on a fresh machine in `state`. `arrange` gets the fault
// injector and the count of file operations made before the plan started.
inline Outcome RunScenario(const FileState& state,
                           const std::function<void(FaultInjectingHost&, std::uint32_t)>& arrange) {
  TestMachine machine;
  Lay(machine, state);
  Outcome outcome;
  outcome.before = Snap(machine);
  FaultInjectingHost faults(machine.Host());
  FileCallRecorder recorder(faults, machine);
  ScriptTableHost strings(recorder);
  InstallPlan(strings);
  {
    InfUpdater engine(strings, nullptr);
    recorder.Clear();
    arrange(faults, faults.Plan().Calls(HostCall::kAnyFileCall));
    engine.RunPlan(kPlan);
    outcome.error = engine.GetError();
  }
  outcome.handlesLeftOpen = faults.OpenHandleCount();
  faults.CloseLeftoverHandles();
  outcome.calls = recorder.Calls();
  outcome.after = Snap(machine);
  return outcome;
}

inline std::string Describe(const Snapshot& files) {
  std::string text;
  for (const auto& [name, bytes] : files) {
    text += "  " + name + " (" + std::to_string(bytes.size()) + " bytes)\n";
  }
  return text;
}

// What the disk may hold after a run that stopped anywhere, failed or cut
// short: the own name holds the complete old or new text; a backup that was
// there is unchanged (the rotation drops only the oldest); a backup name that
// was free holds nothing or the complete old text; only the temporary name
// is new. `cutShort` allows the moment between the moves of a save, when the
// own name is empty and the old text waits under its backup name (for an
// empty file: nowhere, as the store takes an empty file for a missing one)
// and the new text under the temporary name; the temporary name may then
// also hold a part of the new text. Gives every breach, in words.
inline std::vector<std::string> Breaches(const FileState& state, const Outcome& run,
                                         bool cutShort) {
  std::vector<std::string> breaches;
  const std::string& newText = state.NewText();
  const std::optional<std::string> own = Find(run.after, kOwnName);
  bool oldTextInABackup = false;
  for (int number = 0; number <= 9; ++number) {
    const std::string name = BackupName(number);
    const std::optional<std::string> was = Find(run.before, name);
    const std::optional<std::string> is = Find(run.after, name);
    const bool holdsOld = is && state.oldText && *is == *state.oldText;
    if (holdsOld && was != is) oldTextInABackup = true;
    if (was && !is && !(state.tenBackups && number == kOldestBackup)) {
      breaches.push_back(name + " is gone");
    }
    if (was && is && *is != *was && !(number == kOldestBackup && holdsOld)) {
      breaches.push_back(name + " changed");
    }
    if (!was && is && !holdsOld) breaches.push_back(name + " holds other than the old text");
  }
  const std::optional<std::string> temp = Find(run.after, kTempName);
  if (own && *own != newText && (!state.oldText || *own != *state.oldText)) {
    breaches.push_back(kOwnName + " holds neither the old nor the new text");
  }
  if (!own && state.oldText) {
    const bool oldKept = oldTextInABackup || state.oldText->empty();
    if (!cutShort || !oldKept || temp != newText) {
      breaches.push_back(kOwnName + " is gone while its texts are not both kept");
    }
  }
  // A file that the status query did not see leaves the text made for a
  // missing one at the temporary name.
  if (!cutShort && temp && *temp != newText && *temp != kNewFromNothing) {
    breaches.push_back(kTempName + " holds other than a whole new text");
  }
  for (const auto& [name, bytes] : run.after) {
    const bool backup =
        name.size() == 9 && name.rfind("mshdc.OR", 0) == 0 && name[8] >= '0' && name[8] <= '9';
    if (name != kOwnName && name != kTempName && !backup) {
      breaches.push_back("unexpected file " + name);
    }
  }
  if (run.handlesLeftOpen != 0) {
    breaches.push_back(std::to_string(run.handlesLeftOpen) + " handles left open");
  }
  return breaches;
}

// A figure for the reliability summary: a line of its own that the test
// command picks out of the test logs on every host.
inline void PrintFigure(const std::string& text) {
  std::printf("figure: %s\n", text.c_str());
  std::fflush(stdout);
}

}  // namespace store
