#include "ScratchHostPosix.h"

ScratchHost::ScratchHost() : host_(std::make_unique<PosixHost>(folder_.Path().string())) {}

// The host goes before its folder.
ScratchHost::~ScratchHost() { host_.reset(); }
