// The I/O floor of an update: for each file, the calls that a safe save
// cannot do without, on the same bytes: the file's status, the file read
// whole in one read, its updated text written to the temporary name one line
// (with its CR LF) per write and put on the disk, the first backup name found
// free, the old file moved there and the new text into place, each moved
// file put on the disk after its move. Nothing is parsed, merged or looked
// up. `updated` holds the text that the update gives each of `files`.
#pragma once

#include <filesystem>
#include <vector>

#include "bench/StockInf.h"
#include "host/HostServices.h"

// Through the host services, as the update engine does its file work.
bool HostIoFloor(HostServices& host, const std::vector<StockInf>& files,
                 const std::vector<StockInf>& updated);

// Through the system calls themselves, below the POSIX realisation's
// mapping of Windows paths; `flush` asks for the data on the disk.
bool RawIoFloor(const std::filesystem::path& infDir, const std::vector<StockInf>& files,
                const std::vector<StockInf>& updated, bool flush);
