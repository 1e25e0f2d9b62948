#pragma once
// HttpToMemTask: reads a whole resource into one memory buffer whose size is the resource's
// length, continuing from where the data stopped when a response ends early without an error.
#include <string>

#include "downloader/engine.h"
#include "downloader/interfaces.h"

namespace downloader {

// Null when an argument is missing or memory runs out.
ITask* CreateHttpToMemTask(IEngine* engine, const std::wstring& url, IHttpToMemCallback* callback, ILogger* logger);

}  // namespace downloader
