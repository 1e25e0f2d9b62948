#pragma once
// HttpToFileTask: writes one byte range of a resource into an open file at the file's current
// position, checking every response header against the request and continuing with a new HTTP
// request from where the data stopped when a response ends early without an error.
#include <cstdint>
#include <memory>
#include <string>

#include "downloader/engine.h"
#include "downloader/interfaces.h"
#include "downloader/task_lock.h"

namespace downloader {

// `file` is borrowed and positioned by the caller at the byte where `offset` belongs. Null when
// the logger or the engine is missing or memory runs out.
ITask* CreateHttpToFileTask(IEngine* engine, const std::wstring& url, IFile* file, std::int64_t offset,
                            std::int64_t size, IHttpToFileCallback* callback, ILogger* logger);
// The same over a view that the task owns (a borrowed handle's wrapper).
ITask* CreateHttpToFileTask(IEngine* engine, const std::wstring& url, std::unique_ptr<IFile> view,
                            std::int64_t offset, std::int64_t size, IHttpToFileCallback* callback, ILogger* logger);

}  // namespace downloader
