#pragma once

namespace stubframework {
class ExternalMethods;

// setProperty, getProperty.
void RegisterPropertyMethods(ExternalMethods& methods);

}  // namespace stubframework
