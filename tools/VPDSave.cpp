// VPDSave.cpp - writing a package description file in format 9.
//
// The whole file is built in memory and replaces the old one in one step,
// so a longer old file leaves no stale tail and a power cut leaves the old
// or the new file.  Counts whose array is missing are written as 0, so the
// file always holds what its counts promise.
#include <string.h>

#include "ToolsInternal.h"

static const dword ProgramFilesLength = sizeof VPD_PROGRAMFILES - 1;

// A default folder the file format can hold: "/mnt/hd/ProgramFiles" or a
// folder below it, also after ".." is resolved (null stands for the root).
static bool StorableDefaultPath(const char *path) {
  return path == nullptr || DefaultPathInProgramFiles(path);
}

// The first default folder that the format cannot hold, or null.
static const char *UnstorablePath(const tVPD *vpd) {
  for (int v = 0; vpd->Versions != nullptr && v < vpd->NrOfVersions; v++) {
    const tVPDVersion *version = &vpd->Versions[v];
    for (int f = 0; version->Files != nullptr && f < version->NrOfFiles; f++)
      if (!StorableDefaultPath(version->Files[f].DefaultPath)) return version->Files[f].DefaultPath;
  }
  return nullptr;
}

static int Count(int count, const void *array) { return array != nullptr && count > 0 ? count : 0; }

static void WriteFileBlock(tByteWriter *w, const tVPDFiles *file) {
  WriterString(w, file->FileName);
  WriterString(w, file->DefaultPath != nullptr ? file->DefaultPath + ProgramFilesLength : nullptr);
  WriterDword(w, file->Time);
  WriterDword(w, (dword)file->Size);
  WriterDword(w, file->CRC32);
  WriterDword(w, file->TAPID);
  WriterByte(w, (byte)file->InstallMode);
  WriterDword(w, file->Flags);
  WriterDword(w, (dword)file->SettingsVersion);
}

// TimeStamp and AlphaPassword are written scrambled; the record keeps them plain.
static void WriteVersionBlock(tByteWriter *w, const tVPDVersion *version, dword tapId) {
  WriterString(w, version->Version);
  dword timeStamp = version->TimeStamp;
  Encrypt32(&timeStamp, tapId);
  WriterDword(w, timeStamp);
  WriterString(w, version->ReleaseNotes);
  WriterDword(w, version->SupportedLang);
  WriterByte(w, (byte)version->DeployMode);
  int64 password = version->AlphaPassword;
  Encrypt64(&password, tapId);
  WriterInt64(w, password);
  WriterDword(w, version->Flags);
  int dependencies = Count(version->NrOfDependencies, version->Dependencies);
  WriterCount(w, dependencies);
  for (int i = 0; i < dependencies; i++) WriterDword(w, version->Dependencies[i]);
  WriterString(w, version->RootDir);
  int files = Count(version->NrOfFiles, version->Files);
  WriterCount(w, files);
  for (int i = 0; i < files; i++) WriteFileBlock(w, &version->Files[i]);
}

static void WritePackage(tByteWriter *w, const tVPD *vpd) {
  WriterString(w, VPD_MAGIC);  // whether or not the record's copy could be made
  WriterDword(w, (dword)vpd->DBVersion);
  WriterDword(w, vpd->TAPID);
  WriterString(w, vpd->TAPName);
  WriterString(w, vpd->TAPAuthor);
  WriterString(w, vpd->DE_Description);
  WriterString(w, vpd->EN_Description);
  WriterDword(w, (dword)vpd->Hosting);
  WriterDword(w, vpd->Category);
  WriterString(w, vpd->URL);
  WriterString(w, vpd->PasswdMD5);
  WriterDword(w, vpd->PasswdReadonly ? 1 : 0);
  WriterString(w, vpd->ScreenShotFile);
  // A size below 1 (no screenshot) is kept as it is.
  int screenshot = vpd->ScreenShotSize > 0 && vpd->Screenshot == nullptr ? 0 : vpd->ScreenShotSize;
  if (screenshot > 0 && (dword)screenshot > DATAFILE_MAX_BLOB)
    WriterRefuse(w, "the screenshot is larger than 16 MiB");
  WriterDword(w, (dword)screenshot);
  if (screenshot > 0) WriterBytes(w, vpd->Screenshot, (dword)screenshot);
  WriterString(w, vpd->Homepage);
  int versions = Count(vpd->NrOfVersions, vpd->Versions);
  WriterCount(w, versions);
  for (int i = 0; i < versions; i++) WriteVersionBlock(w, &vpd->Versions[i], vpd->TAPID);
}

bool VPDSave(tVPD *vpd, const char *fileName) {
  CallTraceEnter("VPDSave");
  bool saved = false;
  if (vpd != nullptr && fileName != nullptr && fileName[0] != '\0') {
    const char *badPath = UnstorablePath(vpd);
    if (badPath != nullptr) {
      LogVantero("Invalid default path '%s' in '%s'", badPath, fileName);
    } else {
      StringSet(&vpd->DBMagic, VPD_MAGIC);
      vpd->DBVersion = VPD_VERSION;
      tByteWriter w;
      WriterInit(&w);
      WritePackage(&w, vpd);
      const char *problem = w.Problem;
      saved = WriterSave(&w, fileName);
      if (problem != nullptr)
        LogVantero("Cannot write '%s': %s", fileName, problem);
      else if (!saved)
        LogVantero("Failed to open '%s' for write", fileName);
    }
  }
  CallTraceExit(nullptr);
  return saved;
}
