#pragma once
#include "htmlui/wizard_host.h"

namespace myexternalmethods {

// The entry routine shared by the stub and the development host: single-instance guard, the
// application and its method table, the run with `host`, shutdown and the exit-code rule.
int RunStubEntry(stubframework::htmlui::WizardHost& host);

}  // namespace myexternalmethods
