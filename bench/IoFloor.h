// The I/O floor of an update: for each file, read it whole in one read,
// write a copy to the temporary name one line (with its CR LF) per write,
// put the copy on the disk, move the old file to its first backup name and
// the copy into place. Nothing is parsed, merged or looked up.
#pragma once

#include <filesystem>
#include <vector>

#include "bench/StockInf.h"
#include "host/HostServices.h"

// Through the host services, as the update engine does its file work.
bool HostIoFloor(HostServices& host, const std::vector<StockInf>& files);

// Through the system calls themselves, below the POSIX realisation's
// mapping of Windows paths; `flush` asks for the data on the disk.
bool RawIoFloor(const std::filesystem::path& infDir, const std::vector<StockInf>& files,
                bool flush);
