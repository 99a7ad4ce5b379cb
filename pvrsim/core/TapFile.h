// TapFile.h - checks that a file is a TAP that this machine can load: an
// ELF32 little-endian shared object for this machine with a "._tap_id"
// section.
#pragma once

#include <string>

#include "tap.h"

namespace pvrsim::core {

// On success fills tapId; otherwise reason says what is wrong, in words
// fit for a message after the file name ("not an ELF file").
bool inspectTapFile(const std::string &hostPath, dword &tapId, std::string &reason);

}  // namespace pvrsim::core
