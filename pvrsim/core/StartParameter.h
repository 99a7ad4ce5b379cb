// StartParameter.h - the start-parameter hand-over between a starter and the
// TAP it starts: a System V shared-memory record with key 86568 (magic, TAP
// ID, pointer to the parameter block) that exists while the TAP's TAP_Main
// runs.  Shared memory is the box layer's per-run emulation.
#pragma once

#include "tap.h"

namespace pvrsim::core {

class StartParameterHandOver {
 public:
  StartParameterHandOver(dword tapId, void *parameterBlock);  // creates and fills the record
  ~StartParameterHandOver();                                  // detaches and removes it
  StartParameterHandOver(const StartParameterHandOver &) = delete;
  StartParameterHandOver &operator=(const StartParameterHandOver &) = delete;
  bool ok() const { return record_ != nullptr; }

 private:
  int id_ = -1;
  TYPE_TapStartParameter *record_ = nullptr;
};

}  // namespace pvrsim::core
