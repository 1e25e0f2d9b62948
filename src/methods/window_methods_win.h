#pragma once

namespace stubframework {
class ExternalMethods;

// closeWindow, dragWindow, hideWindow, showWindow, terminateWindow, setWindowSize, messageBox,
// confirmMessageBox.
void RegisterWindowMethods(ExternalMethods& methods);
// minimizedWindow, which the product's table adds.
void RegisterMinimizedWindow(ExternalMethods& methods);

}  // namespace stubframework
