// VPDLoadFuzz.cpp - libFuzzer target for the package description loader.
//
// Every input is a ".vpd" file on the stand-in disk (DiskStandIn.h).  A
// rejected file must leave an empty record; a loaded one must have arrays
// for its counts and terminated texts, must be saved by VPDSave and load
// again with the same shape.  Each run must leave no memory allocated, no
// file open and StringSpace where it was.
#include <string.h>

#include "DiskStandIn.h"

namespace {

const char Target[] = "VPDLoadFuzz";

void Check(bool condition, const char *what) {
  if (!condition) standin::Fail(Target, what);
}

void CheckShape(const tVPD &vpd) {
  for (const char *text : {vpd.DBMagic, vpd.TAPName, vpd.TAPAuthor, vpd.DE_Description, vpd.EN_Description,
                           vpd.URL, vpd.PasswdMD5, vpd.ScreenShotFile, vpd.Homepage})
    standin::Touch(text);
  Check((vpd.Screenshot != nullptr) == (vpd.ScreenShotSize > 0),
        "screenshot without bytes or bytes without size");
  if (vpd.Screenshot != nullptr) standin::TouchBytes(vpd.Screenshot, static_cast<size_t>(vpd.ScreenShotSize));
  Check((vpd.Versions != nullptr) == (vpd.NrOfVersions > 0), "versions do not match their count");
  for (int v = 0; v < vpd.NrOfVersions; v++) {
    const tVPDVersion &version = vpd.Versions[v];
    standin::Touch(version.Version);
    standin::Touch(version.ReleaseNotes);
    standin::Touch(version.RootDir);
    Check((version.Dependencies != nullptr) == (version.NrOfDependencies > 0),
          "dependencies do not match their count");
    Check((version.Files != nullptr) == (version.NrOfFiles > 0), "files do not match their count");
    for (int f = 0; f < version.NrOfFiles; f++) {
      standin::Touch(version.Files[f].FileName);
      Check(version.Files[f].DefaultPath != nullptr &&
                strncmp(version.Files[f].DefaultPath, VPD_PROGRAMFILES, strlen(VPD_PROGRAMFILES)) == 0,
            "a default path outside /mnt/hd/ProgramFiles");
    }
  }
}

bool SameShape(const tVPD &a, const tVPD &b) {
  if (a.NrOfVersions != b.NrOfVersions || a.TAPID != b.TAPID || a.ScreenShotSize != b.ScreenShotSize)
    return false;
  for (int v = 0; v < a.NrOfVersions; v++) {
    const tVPDVersion &x = a.Versions[v], &y = b.Versions[v];
    if (x.NrOfFiles != y.NrOfFiles || x.NrOfDependencies != y.NrOfDependencies ||
        x.TimeStamp != y.TimeStamp || x.AlphaPassword != y.AlphaPassword)
      return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  standin::Reset("X.vpd", data, size);
  int strings = StringSpace;
  tVPD vpd;
  memset(&vpd, 0, sizeof vpd);
  if (VPDLoad(&vpd, "X.vpd")) {
    CheckShape(vpd);
    Check(VPDSave(&vpd, "Y.vpd"), "a loaded record cannot be saved");
    tVPD again;
    memset(&again, 0, sizeof again);
    Check(VPDLoad(&again, "Y.vpd"), "a saved record cannot be loaded");
    Check(SameShape(vpd, again), "the saved record loads with another shape");
    VPDFree(&again);
  } else {
    tVPD zero;
    memset(&zero, 0, sizeof zero);
    Check(memcmp(&zero, &vpd, sizeof vpd) == 0, "a rejected file left a partial record");
    Check(!standin::Log.empty(), "a rejected file was not logged");
  }
  VPDFree(&vpd);
  Check(standin::MemoryBlocksInUse() == 0, "memory left allocated");
  Check(standin::OpenFiles == 0, "a file left open");
  Check(StringSpace == strings, "StringSpace out of balance");
  return 0;
}
