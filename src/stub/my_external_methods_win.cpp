#include "stub/my_external_methods_win.h"

namespace myexternalmethods {

// The product-specific methods (window minimising, tracking, system folders, office and
// process checks) join here as their subsystems are built.
MyExternalMethods::MyExternalMethods(stubframework::core::Application* application)
    : ExternalMethods(application) {}

}  // namespace myexternalmethods
