// The update engine: the host probe and the box parameters, the one INF
// document loaded at a time, and the walk of the update script. Each step is
// a virtual operation, and the steps call one another through the object.
// Failures are reported through `error`, never by exception.
//
// Where the operations are defined:
// - engine/InfUpdater.cpp: construction and destruction, the getters,
//   ReadString, FailForMemory, ReleaseDocument;
// - app/HostProbe.cpp: ProbeHost, BuildPromptParams;
// - engine/ScriptInterpreter.cpp: RunPlan, ApplyFileEntry, NextNumber and
//   the cutting of a file entry (FirstFieldEnd, CutFileName, MergeBlocks);
// - engine/SectionMerge.cpp: ApplySectionBlock, FindLine, FindLineById,
//   MergeLines, AppendLine;
// - inf/InfStore.cpp: SetInfDir, LoadInf, SplitLines, ReadDocument, SaveInf,
//   PickBackupName, RotateBackups.
#pragma once

#include <cstdint>

#include "base/Object.h"
#include "base/Text.h"
#include "engine/ScriptStrings.h"
#include "host/HostServices.h"
#include "inf/LineList.h"

class InfUpdater : public CObject {
 public:
  // `owner` is the application's main window at the time of construction:
  // the owner of every box shown from the parameter block.
  InfUpdater(HostServices& host, win::HWND owner);
  ~InfUpdater() override;

  virtual std::int32_t GetPlatformCode();
  virtual win::MSGBOXPARAMSA* GetPromptParams();
  virtual std::int32_t GetPlanSelector();
  virtual void RunPlan(std::int32_t planId);
  virtual std::int32_t GetError();
  virtual void SplitLines(const Text& text);
  virtual void LoadInf(const Text& fileName);
  virtual void ApplyFileEntry(std::int32_t entryId);
  virtual void FindLine(const Text& line);
  virtual void FindLineById(std::int32_t stringId);
  virtual void ApplySectionBlock(std::int32_t baseId);
  virtual void MergeLines(std::int32_t firstId, std::int32_t count,
                          LineList::Position insertionPoint);
  virtual void SaveInf();
  virtual void RotateBackups(Text& backupName);
  virtual std::int32_t NextNumber(Text& script);
  virtual void ProbeHost();
  virtual void BuildPromptParams();

 protected:
  HostServices& host;
  win::HWND owner;

  LineList* lines = nullptr;
  std::int32_t existed = 0;
  std::int32_t error = 0;
  Text path;
  Text tempPath;
  Text infDir;
  LineList::Position position = nullptr;
  win::MSGBOXPARAMSA* promptParams = nullptr;
  char promptText[256] = {};
  std::int32_t platformCode = 0;
  std::int32_t planSelector = 0;
  // 1 once a section block of the running plan has failed: its file is still
  // saved and the plan goes on, but the plan ends with `error` at 1.
  std::int32_t blockFailed = 0;
  // 1 once memory ran out during the running plan: the document in hand is
  // not saved, and the plan stops with `error` at 1.
  std::int32_t outOfMemory = 0;

 private:
  void SetInfDir();
  StringRead ReadString(std::int64_t id, Text& text);
  void FailForMemory();
  // Readies `script` for the cut of its first field and gives the position
  // of the blank that ends it; kNotFound, with `error` at 1, when the script
  // holds no field or memory ran out.
  std::size_t FirstFieldEnd(Text& script);
  bool CutFileName(Text& entry, Text& fileName);
  bool MergeBlocks(Text& entry);
  LineList::Position AppendLine(Text& line);
  bool ReadDocument(const Text& fullPath, std::uint32_t size);
  bool PickBackupName(Text& backupName);
  void ReleaseDocument();
};
