// SettingsJson.cpp - the settings record and the on-board inventory as JSON.
#include "Json.h"

namespace vdtool {

namespace {

Json MasterListToJson(const tMasterList &m) {
  Json j;
  j["TAPID"] = m.TAPID;
  j["VPDURL"] = OsdText(m.VPDURL);
  j["Name"] = OsdText(m.Name);
  j["Author"] = OsdText(m.Author);
  j["TopfieldEuropeTimeStamp"] = m.TopfieldEuropeTimeStamp;
  j["NotificationFlag"] = static_cast<int>(m.NotificationFlag);
  j["AckTime"] = m.AckTime;
  j["NotifyMe"] = m.NotifyMe;
  j["VPDUpdated"] = m.VPDUpdated;
  j["Category"] = m.Category;
  j["VPDTimeStamp"] = m.VPDTimeStamp;
  j["FoundInMasterList"] = m.FoundInMasterList;
  j["PositionInMasterList"] = m.PositionInMasterList;
  return j;
}

}  // namespace

Json SettingsToJson(const tSettings &s) {
  Json j;
  j["SettingsFormat"] = s.SettingsFormat;
  j["AutoUpdateChecks"] = s.AutoUpdateChecks;
  j["BetaVersions"] = s.BetaVersions;
  j["InstallerTestVersions"] = s.InstallerTestVersions;
  j["NrOfAlphaPasswords"] = s.NrOfAlphaPasswords;
  j["AlphaPasswords"] = Json::array();
  for (int i = 0; s.AlphaPasswords != nullptr && i < s.NrOfAlphaPasswords; i++)
    j["AlphaPasswords"].push_back(static_cast<uint64_t>(s.AlphaPasswords[i]));
  j["NrOfMasterListEntries"] = s.NrOfMasterListEntries;
  j["MasterList"] = Json::array();
  for (int i = 0; s.MasterList != nullptr && i < s.NrOfMasterListEntries; i++)
    j["MasterList"].push_back(MasterListToJson(s.MasterList[i]));
  j["DisplayNewMessage"] = s.DisplayNewMessage;
  j["DisplayRevokedMessage"] = s.DisplayRevokedMessage;
  j["AckTime"] = s.AckTime;
  j["StartupDelay"] = s.StartupDelay;
  j["ConductorMenu"] = s.ConductorMenu;
  j["OverviewWindowMode"] = static_cast<int>(s.OverviewWindowMode);
  j["AutoStopVPD"] = s.AutoStopVPD;
  j["TSRMode"] = s.TSRMode;
  j["InventoryDump"] = s.InventoryDump;
  return j;
}

Json InventoryToJson(const tTAPsOnBoard *entries, int count) {
  Json j;
  j["TAPsOnBoardCount"] = count;
  j["TAPsOnBoard"] = Json::array();
  for (int i = 0; entries != nullptr && i < count; i++) {
    const tTAPsOnBoard &e = entries[i];
    Json entry;
    entry["TAPID"] = e.TAPID;
    entry["TAPName"] = OsdText(e.TAPName);
    entry["TimeStamp"] = e.TimeStamp;
    entry["CRC"] = e.CRC;
    entry["isAutoStart"] = e.isAutoStart != 0;
    entry["Found"] = e.Found != 0;
    entry["PartOf"] = e.PartOf;
    j["TAPsOnBoard"].push_back(entry);
  }
  return j;
}

}  // namespace vdtool
