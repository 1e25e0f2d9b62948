#pragma once
// The archive reader's and writer's callbacks over an open file handle.
#include <windows.h>

#include "zip/zip_reader.h"
#include "zip/zip_reporter.h"

namespace stubframework::zip {

// Reads at 64-bit offsets of the file; a read that moves fewer bytes than asked reports
// `ioFailure` with the last error code to the reporter, when there is one.
ReadFunction FileReadFunction(HANDLE file, ZipReporter* reporter);
// Writes sequentially at the file's position; a short write reports `ioFailure` likewise.
WriteFunction FileWriteFunction(HANDLE file, ZipReporter* reporter);

}  // namespace stubframework::zip
