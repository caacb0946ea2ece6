// Building and tearing down the update engine, and its plain getters.
#include "engine/InfUpdater.h"

InfUpdater::InfUpdater(HostServices& host, win::HWND owner) : host(host), owner(owner) {
  SetInfDir();
  ProbeHost();
  BuildPromptParams();
}

// The document of an entry that stopped before its save is released here
// too, so that no line list outlives the engine.
InfUpdater::~InfUpdater() {
  delete promptParams;
  ReleaseDocument();
}

std::int32_t InfUpdater::GetPlatformCode() { return platformCode; }

win::MSGBOXPARAMSA* InfUpdater::GetPromptParams() { return promptParams; }

std::int32_t InfUpdater::GetPlanSelector() { return planSelector; }

std::int32_t InfUpdater::GetError() { return error; }

void InfUpdater::ReleaseDocument() {
  delete lines;
  lines = nullptr;
  position = nullptr;
}

StringRead InfUpdater::ReadString(std::int64_t id, Text& text) {
  const StringRead read = ReadScriptString(host.system, id, text);
  if (read == StringRead::kNoMemory) FailForMemory();
  return read;
}

void InfUpdater::FailForMemory() {
  error = 1;
  outOfMemory = 1;
}
