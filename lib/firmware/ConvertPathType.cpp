// ConvertPathType.cpp - converts a path between the five path kinds.  An empty result means that
// the conversion is not possible; that includes a result longer than a path
// buffer, which is refused rather than cut.
#include <string.h>

#include "BoundedString.h"
#include "Kalib.h"

static const char kMount[] = "/mnt/hd";
static const size_t kMountLength = sizeof kMount - 1;

namespace {  // file-local record type (static cannot apply to a type)
// Builds the destination text piece by piece; any piece that does not fit
// makes the whole result empty.
class PathBuilder {
 public:
  PathBuilder() { text_[0] = '\0'; }
  void Add(const char *piece) { fits_ = fits_ && StrAppendBounded(text_, sizeof text_, piece); }
  // Appends the first `len` bytes of piece.
  void AddPart(const char *piece, size_t len) {
    if (!fits_) return;
    size_t used = strlen(text_);
    if (used + len >= sizeof text_) {
      fits_ = false;
      return;
    }
    memcpy(text_ + used, piece, len);
    text_[used + len] = '\0';
  }
  void Slash() { fits_ = fits_ && EnsureSlash(text_, sizeof text_); }
  void Fail() { fits_ = false; }
  bool Ok() const { return fits_; }
  const char *Result() const { return fits_ ? text_ : ""; }

 private:
  char text_[KALIB_PATH_MAX];
  bool fits_ = true;
};
}  // namespace

static void AddCurrentDir(PathBuilder &out) {
  char currentDir[KALIB_PATH_MAX] = "";
  HDD_TAP_GetCurrentDir(currentDir);
  out.Add(currentDir);
  out.Slash();
}

// P: the source when it is absolute, else the current directory and the source.
static void AddAbsolute(PathBuilder &out, const char *source) {
  if (source[0] != '/') AddCurrentDir(out);
  out.Add(source);
}

// Everything up to, not including, the last '/'.
static void AddFolderPart(PathBuilder &out, const char *path) {
  const char *lastSlash = strrchr(path, '/');
  out.AddPart(path, lastSlash ? (size_t)(lastSlash - path) : 0);
}

static void AddFileNamePart(PathBuilder &out, const char *path) {
  const char *lastSlash = strrchr(path, '/');
  out.Add(lastSlash ? lastSlash + 1 : path);
}

// The source behind "/mnt/hd"; null when it is not below the disk's mount
// point ("/mnt/hdd/x" is another mount and has no TAP notation).
static const char *AfterMount(const char *source) {
  if (strncmp(source, kMount, kMountLength) != 0) return nullptr;
  const char *rest = source + kMountLength;
  return *rest == '/' || *rest == '\0' ? rest : nullptr;
}

static void FromFileName(PathBuilder &out, const char *source, tPathKind destKind) {
  if (destKind == PK_LinuxFolder || destKind == PK_LinuxFile) out.Add(kMount);
  AddCurrentDir(out);
  if (destKind == PK_TapFile || destKind == PK_LinuxFile) out.Add(source);
}

static void FromTapFolder(PathBuilder &out, const char *source, tPathKind destKind) {
  if (destKind != PK_LinuxFolder) return out.Fail();
  out.Add(kMount);
  AddAbsolute(out, source);
  out.Slash();
}

static void FromLinuxFolder(PathBuilder &out, const char *source, tPathKind destKind) {
  const char *tapPath = AfterMount(source);
  if (destKind != PK_TapFolder || tapPath == nullptr) return out.Fail();
  out.Add(tapPath);
  out.Slash();
}

static void FromTapFile(PathBuilder &out, const char *source, tPathKind destKind) {
  switch (destKind) {
    case PK_FileName:
      AddFileNamePart(out, source);
      break;
    case PK_TapFolder:
      AddFolderPart(out, source);
      out.Slash();
      break;
    case PK_LinuxFolder: {
      PathBuilder absolute;
      AddAbsolute(absolute, source);
      if (!absolute.Ok()) return out.Fail();
      out.Add(kMount);
      AddFolderPart(out, absolute.Result());
      out.Slash();
      break;
    }
    default:  // PK_LinuxFile
      out.Add(kMount);
      AddAbsolute(out, source);
      break;
  }
}

static void FromLinuxFile(PathBuilder &out, const char *source, tPathKind destKind) {
  const char *tapPath = AfterMount(source);
  switch (destKind) {
    case PK_FileName:
      AddFileNamePart(out, source);
      break;
    case PK_TapFolder:
      if (tapPath == nullptr) return out.Fail();
      AddFolderPart(out, tapPath);
      out.Slash();
      break;
    case PK_LinuxFolder:
      AddFolderPart(out, source);
      out.Slash();
      break;
    default:  // PK_TapFile
      if (tapPath == nullptr) return out.Fail();
      out.Add(tapPath);
      break;
  }
}

void ConvertPathType(const char *source, char *dest, tPathKind destKind) {
  if (source == nullptr || dest == nullptr || (unsigned)destKind > PK_LinuxFile) return;
  tPathKind sourceKind = GetPathType(source);
  PathBuilder out;
  if (sourceKind == destKind) {
    out.Add(source);
    if (destKind == PK_TapFolder || destKind == PK_LinuxFolder) out.Slash();
  } else {
    switch (sourceKind) {
      case PK_FileName:
        FromFileName(out, source, destKind);
        break;
      case PK_TapFolder:
        FromTapFolder(out, source, destKind);
        break;
      case PK_LinuxFolder:
        FromLinuxFolder(out, source, destKind);
        break;
      case PK_TapFile:
        FromTapFile(out, source, destKind);
        break;
      case PK_LinuxFile:
        FromLinuxFile(out, source, destKind);
        break;
    }
  }
  // The result is complete before dest is touched, so dest may be the source.
  StrCopyBounded(dest, KALIB_PATH_MAX, out.Result());
}
