// SettingsLoadFuzz.cpp - libFuzzer target for the settings loader.
//
// Every input is "Vantero.settings" on the stand-in disk (DiskStandIn.h).  A
// file that is not read leaves the defaults in Settings, a default file and
// the user's file kept beside it; a read one has lists that match their
// counts and terminated texts, and is saved and read again unchanged in
// shape.  Each run must leave no memory allocated and no file open.
#include <string.h>

#include "DiskStandIn.h"

namespace {

const char Target[] = "SettingsLoadFuzz";

void Check(bool condition, const char *what) {
  if (!condition) standin::Fail(Target, what);
}

void CheckLists(void) {
  Check((Settings.AlphaPasswords != nullptr) == (Settings.NrOfAlphaPasswords > 0),
        "passwords do not match their count");
  Check((Settings.MasterList != nullptr) == (Settings.NrOfMasterListEntries > 0),
        "master list does not match its count");
  standin::TouchBytes(Settings.AlphaPasswords, Settings.NrOfAlphaPasswords * sizeof(int64));
  for (int i = 0; i < Settings.NrOfMasterListEntries; i++) {
    standin::Touch(Settings.MasterList[i].VPDURL);
    standin::Touch(Settings.MasterList[i].Name);
    standin::Touch(Settings.MasterList[i].Author);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  standin::Reset(SETTINGS_FILE_NAME, data, size);
  std::string input(reinterpret_cast<const char *>(data), size);
  int strings = StringSpace;
  if (SettingsLoad()) {
    CheckLists();
    int passwords = Settings.NrOfAlphaPasswords, entries = Settings.NrOfMasterListEntries;
    Check(SettingsSave(), "loaded settings cannot be saved");
    Check(SettingsLoad(), "saved settings cannot be loaded");
    Check(Settings.NrOfAlphaPasswords == passwords && Settings.NrOfMasterListEntries == entries,
          "saved settings load with other lists");
  } else {
    Check(Settings.SettingsFormat == SETTINGS_FORMAT && Settings.StartupDelay == 10 && Settings.TSRMode &&
              Settings.NrOfMasterListEntries == 0 && Settings.MasterList == nullptr,
          "a rejected file did not give the defaults");
    Check(standin::Files[SETTINGS_FILE_NAME].size() == 60, "no default file was written");
    bool kept = false;
    for (const auto &file : standin::Files)
      kept = kept || (file.first != SETTINGS_FILE_NAME && file.second == input);
    Check(kept, "the rejected file was not kept");
  }
  SettingsFree();
  Check(standin::MemoryBlocksInUse() == 0, "memory left allocated");
  Check(standin::OpenFiles == 0, "a file left open");
  Check(StringSpace == strings, "StringSpace out of balance");
  return 0;
}
