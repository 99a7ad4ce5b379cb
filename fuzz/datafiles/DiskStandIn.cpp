// DiskStandIn.cpp - the in-memory settings folder and the few firmware and
// library calls that the data-file loaders and writers make (see
// DiskStandIn.h).
#include "DiskStandIn.h"

#include "FuzzMemory.h"

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace standin {

std::map<std::string, std::string> Files;
std::vector<std::string> Log;
int OpenFiles = 0;

void Reset(const char *name, const unsigned char *data, size_t size) {
  Files.clear();
  Log.clear();
  Files[name] = std::string(reinterpret_cast<const char *>(data), size);
}

void Fail(const char *target, const char *what) {
  fprintf(stderr, "%s: %s\n", target, what);
  for (const std::string &line : Log) fprintf(stderr, "  log: %s\n", line.c_str());
  abort();
}

volatile size_t Touched = 0;
void Touch(const char *text) {
  if (text != nullptr) Touched += strlen(text);
}

void TouchBytes(const void *data, size_t size) {
  const unsigned char *p = static_cast<const unsigned char *>(data);
  for (size_t i = 0; i < size; i++) Touched += p[i];
}

namespace {
// The name of a file of the folder: a bare name, or any path's last part.
std::string NameOf(const char *path) {
  const char *slash = strrchr(path, '/');
  return slash != nullptr ? slash + 1 : path;
}

struct OpenFile {
  std::string Name;
  size_t Position;
};
}  // namespace

}  // namespace standin

using namespace standin;

char Debug[2048];
dword __tap_ud__ = 0x7E57F022;

int standin::MemoryBlocksInUse() { return BlocksInUse; }

extern "C" {

int TAP_SPrint(char *s, const char *fmt, ...) {
  va_list args;
  va_start(args, fmt);
  int n = vsprintf(s, fmt, args);
  va_end(args);
  return n;
}

void CallTraceEnter(const char *) {}
void CallTraceExit(dword *) {}
void WriteLog(const char *, const char *s) { Log.push_back(s); }

bool HDD_TAP_PushDir(void) { return true; }
bool HDD_TAP_PopDir(void) { return true; }
bool HDD_ChangeDir(const char *) { return true; }
int HDD_TAP_GetCurrentDir(char *dir) {
  strcpy(dir, VANTERO_SETTINGS_DIR);
  return 0;
}
void ConvertPathType(const char *source, char *dest, tPathKind) {
  snprintf(dest, KALIB_PATH_MAX, "/mnt/hd%s/%s", VANTERO_SETTINGS_DIR, NameOf(source).c_str());
}

bool TAP_Hdd_Exist(const char *name) { return Files.count(NameOf(name)) > 0; }
int TAP_Hdd_Delete(const char *name) { return Files.erase(NameOf(name)) > 0 ? 0 : 1; }
int TAP_Hdd_Create(const char *name, dword) {
  Files[NameOf(name)];
  return 0;
}

TYPE_File *TAP_Hdd_Fopen(const char *name) {
  if (!TAP_Hdd_Exist(name)) return nullptr;
  TYPE_File *f = static_cast<TYPE_File *>(calloc(1, sizeof(TYPE_File)));
  f->handle = new OpenFile{NameOf(name), 0};
  OpenFiles++;
  return f;
}

void TAP_Hdd_Fclose(TYPE_File *f) {
  if (f == nullptr) return;
  delete static_cast<OpenFile *>(f->handle);
  free(f);
  OpenFiles--;
}

dword TAP_Hdd_Flen(TYPE_File *f) {
  return static_cast<dword>(Files[static_cast<OpenFile *>(f->handle)->Name].size());
}

dword TAP_Hdd_Fread(void *buf, dword blockSize, dword blocks, TYPE_File *f) {
  OpenFile *open = static_cast<OpenFile *>(f->handle);
  const std::string &content = Files[open->Name];
  size_t want = static_cast<size_t>(blockSize) * blocks;
  size_t have = open->Position < content.size() ? content.size() - open->Position : 0;
  size_t n = want < have ? want : have;
  memcpy(buf, content.data() + open->Position, n);
  open->Position += n;
  return blockSize == 0 ? 0 : static_cast<dword>(n / blockSize);
}

dword TAP_Hdd_Fwrite(const void *buf, dword blockSize, dword blocks, TYPE_File *f) {
  OpenFile *open = static_cast<OpenFile *>(f->handle);
  std::string &content = Files[open->Name];
  size_t n = static_cast<size_t>(blockSize) * blocks;
  if (content.size() < open->Position + n) content.resize(open->Position + n);
  content.replace(open->Position, n, static_cast<const char *>(buf), n);
  open->Position += n;
  return blocks;
}

// The library's whole-file writer on the in-memory folder: the fuzzers try
// the loaders, and a save of what they loaded lands here whole.
bool ReplaceWholeFile(const char *name, const void *data, dword size, char *reason, dword reasonSize) {
  if (name == nullptr || name[0] == '\0' || (data == nullptr && size != 0)) {
    if (reason != nullptr && reasonSize > 0) snprintf(reason, reasonSize, "no file name or no data");
    return false;
  }
  Files[NameOf(name)].assign(static_cast<const char *>(data), size);
  return true;
}

int __wrap_rename(const char *from, const char *to) {
  auto it = Files.find(NameOf(from));
  if (it == Files.end()) return -1;
  std::string content = it->second;
  Files.erase(it);
  Files[NameOf(to)] = content;
  return 0;
}

}  // extern "C"
