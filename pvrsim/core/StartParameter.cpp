// StartParameter.cpp - start-parameter hand-over through the box layer's shared memory.
#include "StartParameter.h"

#include <sys/ipc.h>
#include <sys/shm.h>

// The box layer's shared-memory emulation (the box libc's calls as TAPs
// reach them).
extern "C" {
int __wrap_shmget(key_t key, size_t size, int flags);
void *__wrap_shmat(int id, const void *address, int flags);
int __wrap_shmdt(const void *address);
int __wrap_shmctl(int id, int command, struct shmid_ds *buffer);
}

namespace pvrsim::core {

StartParameterHandOver::StartParameterHandOver(dword tapId, void *parameterBlock) {
  id_ = __wrap_shmget(TAP_START_PARAM_KEY, sizeof(TYPE_TapStartParameter), IPC_CREAT | 0600);
  if (id_ == -1) return;
  void *address = __wrap_shmat(id_, nullptr, 0);
  if (address == reinterpret_cast<void *>(-1) || !address) return;
  record_ = static_cast<TYPE_TapStartParameter *>(address);
  record_->magic = TAP_START_PARAM_MAGIC;
  record_->tapId = tapId;
  record_->param = parameterBlock;
}

StartParameterHandOver::~StartParameterHandOver() {
  if (record_) __wrap_shmdt(record_);
  if (id_ != -1) __wrap_shmctl(id_, IPC_RMID, nullptr);
}

}  // namespace pvrsim::core
