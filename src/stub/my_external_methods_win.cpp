#include "stub/my_external_methods_win.h"

#include "methods/file_methods_win.h"
#include "methods/window_methods_win.h"

namespace myexternalmethods {

// The product-specific methods; tracking, system folders, office and process checks join here
// as their subsystems are built.
MyExternalMethods::MyExternalMethods(stubframework::core::Application* application)
    : ExternalMethods(application) {
  stubframework::RegisterMinimizedWindow(*this);
  stubframework::RegisterSystemFolderMethods(*this);
}

}  // namespace myexternalmethods
