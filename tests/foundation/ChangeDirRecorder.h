// ChangeDirRecorder.h - records every TAP_Hdd_ChangeDir that the library in
// the test program makes, and forwards it to pvrsim.
#pragma once

#include <string>
#include <vector>

namespace foundation {
std::vector<std::string> &ChangeDirCalls();
}
