// VPDLoad.cpp - reading a package description file (formats 5 to 9).
//
// The file is read whole and taken apart with a bounded reader: every count
// and length is checked against the bytes left before anything is
// allocated, so a damaged or cut file is rejected with a log line and leaves
// an empty record behind, never a partial one.  Formats 5 to 7 keep the
// description and screenshot in each version block; the last block read
// decides the package's.
#include <stdio.h>
#include <string.h>

#include "ToolsInternal.h"

// Smallest size of a version block and of a file block (all strings empty).
static dword VersionBlockMinSize(int version) { return version == 7 ? 45 : 41; }
static const dword FileBlockMinSize = 33;

// A string field read from the file replaces the field's text.
static void ReadInto(tByteReader *r, char **field) {
  char *s = ReaderString(r);
  StringClear(field);
  *field = s;
}

// Screenshot size and bytes; a size below 1 means no screenshot.
static void ReadScreenshot(tByteReader *r, tVPD *vpd) {
  int size = (int)ReaderDword(r);
  TAP_MemFree(vpd->Screenshot);
  vpd->Screenshot = nullptr;
  vpd->ScreenShotSize = size;
  if (r->Failed || size < 1) return;
  if ((dword)size > DATAFILE_MAX_BLOB || (dword)size > ReaderLeft(r)) {
    r->Failed = true;
    return;
  }
  vpd->Screenshot = (byte *)ReaderAllocate(r, (dword)size, 1);
  if (vpd->Screenshot != nullptr) ReaderBytes(r, vpd->Screenshot, (dword)size);
}

// "/mnt/hd/ProgramFiles" and the stored folder below it, with backslashes
// turned into slashes and one trailing slash removed.  Separators at the
// start of the stored folder are left out, so the "/AutoStart" that a save
// stores comes back as "/mnt/hd/ProgramFiles/AutoStart" (not with a doubled
// slash that every further save and load would lengthen).
// False (the reader failed) when memory runs out or the folder leaves
// "/mnt/hd/ProgramFiles" (by ".."): no file is ever installed outside it,
// and a missing path would be saved as the root folder.
static bool SetDefaultPath(tByteReader *r, tVPDFiles *file, const char *folder) {
  while (folder != nullptr && (*folder == '/' || *folder == '\\')) folder++;
  dword size = sizeof VPD_PROGRAMFILES + 1 + (folder != nullptr ? strlen(folder) : 0);
  char *path = (char *)TAP_MemAlloc(size);
  if (path == nullptr) {
    r->Failed = true;
    return false;
  }
  if (folder != nullptr && folder[0] != '\0') {
    snprintf(path, size, "%s/%s", VPD_PROGRAMFILES, folder);
  } else {
    snprintf(path, size, "%s", VPD_PROGRAMFILES);
  }
  for (char *p = path; *p != '\0'; p++)
    if (*p == '\\') *p = '/';
  size_t length = strlen(path);
  if (length > 0 && path[length - 1] == '/') path[length - 1] = '\0';
  bool inside = DefaultPathInProgramFiles(path);
  if (!inside) LogVantero("Invalid default path '%s'", path);
  if (inside) StringSet(&file->DefaultPath, path);
  TAP_MemFree(path);
  if (file->DefaultPath == nullptr) r->Failed = true;
  return !r->Failed;
}

static void ReadFileBlock(tByteReader *r, tVPDFiles *file) {
  file->FileName = ReaderString(r);
  char *folder = ReaderString(r);
  SetDefaultPath(r, file, folder);
  StringClear(&folder);
  file->Time = ReaderDword(r);
  file->Size = (int)ReaderDword(r);
  file->CRC32 = ReaderDword(r);
  file->TAPID = ReaderDword(r);
  file->InstallMode = (tInstallMode)ReaderByte(r);
  file->Flags = ReaderDword(r);
  file->SettingsVersion = (int)ReaderDword(r);
}

static void ReadDependencies(tByteReader *r, tVPDVersion *version) {
  int count = ReaderCount(r, 4);
  version->Dependencies = (dword *)ReaderAllocate(r, (dword)count, sizeof(dword));
  if (version->Dependencies == nullptr) return;
  version->NrOfDependencies = count;
  for (int i = 0; i < count; i++) version->Dependencies[i] = ReaderDword(r);
}

static void ReadFiles(tByteReader *r, tVPDVersion *version) {
  int count = ReaderCount(r, FileBlockMinSize);
  version->Files = (tVPDFiles *)ReaderAllocate(r, (dword)count, sizeof(tVPDFiles));
  if (version->Files == nullptr) return;
  version->NrOfFiles = count;
  for (int i = 0; i < count && !r->Failed; i++) ReadFileBlock(r, &version->Files[i]);
}

static void ReadVersionBlock(tByteReader *r, tVPD *vpd, tVPDVersion *version) {
  version->Version = ReaderString(r);
  version->TimeStamp = ReaderDword(r);
  Encrypt32(&version->TimeStamp, vpd->TAPID);
  if (vpd->DBVersion <= 7) {
    ReadInto(r, &vpd->DE_Description);
    StringClear(&vpd->EN_Description);
    ReadInto(r, &vpd->ScreenShotFile);
    ReadScreenshot(r, vpd);
  } else {
    version->ReleaseNotes = ReaderString(r);
    version->SupportedLang = ReaderDword(r);
  }
  version->DeployMode = (tDeployMode)ReaderByte(r);
  version->AlphaPassword = ReaderInt64(r);
  Encrypt64(&version->AlphaPassword, vpd->TAPID);
  version->Flags = ReaderDword(r);
  ReadDependencies(r, version);
  if (vpd->DBVersion >= 7) version->RootDir = ReaderString(r);
  ReadFiles(r, version);
}

static void ReadHeader(tByteReader *r, tVPD *vpd) {
  int format = vpd->DBVersion;
  vpd->TAPID = ReaderDword(r);
  vpd->TAPName = ReaderString(r);
  vpd->TAPAuthor = ReaderString(r);
  if (format >= 8) {
    vpd->DE_Description = ReaderString(r);
    vpd->EN_Description = ReaderString(r);
  }
  vpd->Hosting = (int)ReaderDword(r);
  vpd->Category = ReaderDword(r);
  vpd->URL = ReaderString(r);
  if (format >= 6) {
    vpd->PasswdMD5 = ReaderString(r);
    vpd->PasswdReadonly = ReaderDword(r) != 0;
  }
  if (format >= 8) {
    vpd->ScreenShotFile = ReaderString(r);
    ReadScreenshot(r, vpd);
  }
  if (format >= 9) vpd->Homepage = ReaderString(r);
}

static void ReadVersions(tByteReader *r, tVPD *vpd) {
  int count = ReaderCount(r, VersionBlockMinSize(vpd->DBVersion));
  vpd->Versions = (tVPDVersion *)ReaderAllocate(r, (dword)count, sizeof(tVPDVersion));
  if (vpd->Versions == nullptr) return;
  vpd->NrOfVersions = count;
  for (int i = 0; i < count && !r->Failed; i++) ReadVersionBlock(r, vpd, &vpd->Versions[i]);
}

// Magic and format version; false with the log line when they are wrong.
static bool ReadIdentity(tByteReader *r, tVPD *vpd, const char *fileName) {
  char magic[6] = "";
  if (ReaderDword(r) != 5 || !ReaderBytes(r, magic, 5)) {
    LogVantero("Invalid header in '%s'", fileName);
    return false;
  }
  StringSet(&vpd->DBMagic, magic);
  if (strcmp(magic, VPD_MAGIC) != 0) {
    LogVantero("Invalid magic '%s' in '%s'", magic, fileName);
    return false;
  }
  vpd->DBVersion = (int)ReaderDword(r);
  if (!r->Failed && (vpd->DBVersion < VPD_MIN_VERSION || vpd->DBVersion > VPD_VERSION)) {
    LogVantero("Unexpected version of '%s'. Current %d, got %d", fileName, VPD_VERSION, vpd->DBVersion);
    return false;
  }
  return true;
}

static bool ReadPackage(tVPD *vpd, const byte *data, dword size, const char *fileName) {
  tByteReader r;
  ReaderInit(&r, data, size);
  if (!ReadIdentity(&r, vpd, fileName)) return false;
  if (!r.Failed) ReadHeader(&r, vpd);
  if (!r.Failed) ReadVersions(&r, vpd);
  if (r.Failed) LogVantero("Damaged data in '%s' at byte %u", fileName, (unsigned)r.Pos);
  return !r.Failed;
}

static bool LoadFromSettingsDir(tVPD *vpd, const char *fileName) {
  byte *data = nullptr;
  dword size = 0;
  tReadFileResult result =
      HDD_ChangeDir(VANTERO_SETTINGS_DIR) ? ReadWholeFile(fileName, &data, &size) : RF_Missing;
  bool loaded = false;
  switch (result) {
    case RF_Ok:
      loaded = ReadPackage(vpd, data, size, fileName);
      break;
    case RF_Empty:
      LogVantero("File size of '%s' is zero", fileName);
      break;
    case RF_TooLarge:
      LogVantero("File '%s' is too large", fileName);
      break;
    default:
      LogVantero("Failed to open '%s' for read", fileName);
      break;
  }
  TAP_MemFree(data);
  return loaded;
}

bool VPDLoad(tVPD *vpd, const char *fileName) {
  CallTraceEnter("VPDLoad");
  bool loaded = false;
  if (vpd != nullptr) {
    VPDFree(vpd);
    tWorkDir saved = WorkDirSave();
    loaded = fileName != nullptr && fileName[0] != '\0' && LoadFromSettingsDir(vpd, fileName);
    if (!loaded) VPDFree(vpd);
    WorkDirRestore(&saved);
  }
  CallTraceExit(nullptr);
  return loaded;
}

void VPDStdFileName(dword tapId, char *fileName) {
  if (fileName == nullptr) return;
  snprintf(fileName, VPD_STD_NAME_SIZE, "%8.8x", (unsigned)tapId);
  UpperCase(fileName);
  strcat(fileName, ".vpd");  // 8 digits + ".vpd" fit the 16 bytes
}

bool VPDLoadStd(tVPD *vpd, dword tapId) {
  CallTraceEnter("VPDLoadStd");
  char fileName[VPD_STD_NAME_SIZE];
  VPDStdFileName(tapId, fileName);
  bool loaded = VPDLoad(vpd, fileName);
  CallTraceExit(nullptr);
  return loaded;
}
