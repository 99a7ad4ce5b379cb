// BoxLibraries.h - how TAP files are opened with the dynamic loader.
#pragma once

#include <string>

namespace pvrsim::core {

// Makes the libraries that TAPs need loadable and returns the dlopen flags
// for a TAP; false, with reason, when the libraries cannot be loaded.
bool prepareTapLoading(int &flags, std::string &reason);

}  // namespace pvrsim::core
