// FolderWalk.cpp - a breadth-first walk over folders that enters each real
// folder once: a queue of folder paths and the set of folders already queued
// (FolderSet.cpp), so that links and repeated listings neither repeat nor
// loop a walk, and queueing n folders costs O(n).  The queue is one packed
// buffer of terminated paths that doubles when full; a folder stays in it
// after it was handed out.  The four functions share the queue's layout and
// stay together in this file.
#include <string.h>

#include "BoundedString.h"
#include "Kalib.h"

static const dword kFirstQueueSize = 4096;

// Room for `length` more bytes; false when there is no memory for it.
static bool MakeRoom(tFolderWalk *walk, dword length) {
  if ((uint64_t)walk->QueueEnd + length <= walk->QueueSize) return true;
  uint64_t size = walk->QueueSize == 0 ? kFirstQueueSize : walk->QueueSize;
  while (size < (uint64_t)walk->QueueEnd + length) size *= 2;
  if (size > 0x7FFFFFFFu) return false;
  char *queue = (char *)TAP_MemAlloc((dword)size);
  if (queue == nullptr) return false;
  if (walk->Queue != nullptr) {
    memcpy(queue, walk->Queue, walk->QueueEnd);
    TAP_MemFree(walk->Queue);
  }
  walk->Queue = queue;
  walk->QueueSize = (dword)size;
  return true;
}

bool FolderWalkInit(tFolderWalk *walk) {
  if (walk == nullptr) return false;
  walk->Queue = nullptr;
  walk->QueueSize = 0;
  walk->QueueEnd = 0;
  walk->Next = 0;
  FolderSetInit(&walk->Seen);
  return true;
}

int FolderWalkAdd(tFolderWalk *walk, const char *folder) {
  if (walk == nullptr || folder == nullptr) return -1;
  size_t length = strnlen(folder, KALIB_PATH_MAX);
  if (length == 0 || length >= KALIB_PATH_MAX) return -1;  // could not be handed out whole
  if (!MakeRoom(walk, (dword)length + 1)) return -1;
  int added = FolderSetAdd(&walk->Seen, folder);
  if (added != 1) return added;
  memcpy(walk->Queue + walk->QueueEnd, folder, length + 1);
  walk->QueueEnd += (dword)length + 1;
  return 1;
}

bool FolderWalkNext(tFolderWalk *walk, char *folder) {
  if (walk == nullptr || folder == nullptr || walk->Next >= walk->QueueEnd) return false;
  const char *next = walk->Queue + walk->Next;
  StrCopyBounded(folder, KALIB_PATH_MAX, next);
  walk->Next += (dword)strlen(next) + 1;
  return true;
}

void FolderWalkDestroy(tFolderWalk *walk) {
  if (walk == nullptr) return;
  if (walk->Queue != nullptr) TAP_MemFree(walk->Queue);
  FolderSetDestroy(&walk->Seen);
  FolderWalkInit(walk);
}
