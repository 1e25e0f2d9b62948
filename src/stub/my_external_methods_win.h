#pragma once
// Ideagrove's method table: the shared methods and the product-specific ones.
#include "methods/external_methods_win.h"

namespace myexternalmethods {

class MyExternalMethods : public stubframework::ExternalMethods {
 public:
  explicit MyExternalMethods(stubframework::core::Application* application);
};

}  // namespace myexternalmethods
