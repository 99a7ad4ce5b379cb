// Dump.cpp - "vdtool dump": recognises the kind of a data file by its name,
// then by its content, loads it with the tool module's own loader on the
// simulated box and prints the loaded record as JSON.  A file the loader
// rejects is reported with the loader's own log line.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "BoxHarness.h"
#include "Commands.h"
#include "Json.h"

namespace vdtool {

namespace {

struct tLoad {
  bool Loaded;
  Json Record;
};

uint32_t LittleEndian32(const std::string &bytes, size_t at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; i--) v = v << 8 | static_cast<unsigned char>(bytes[at + i]);
  return v;
}

bool EndsWithCaseless(const std::string &text, const std::string &suffix) {
  return text.size() >= suffix.size() &&
         strcasecmp(text.c_str() + text.size() - suffix.size(), suffix.c_str()) == 0;
}

// ---- recognition ------------------------------------------------------------
bool PackageByName(const std::string &name) { return EndsWithCaseless(name, ".vpd"); }
bool PackageByContent(const std::string &bytes) {
  return bytes.compare(0, 9, std::string("\5\0\0\0VPDDB", 9)) == 0;
}

bool SettingsByName(const std::string &name) { return name.rfind(SETTINGS_FILE_NAME, 0) == 0; }
bool SettingsByContent(const std::string &bytes) {
  if (bytes.size() < 32) return false;  // the smallest file of format 1 to 3
  uint32_t format = LittleEndian32(bytes, 0);
  return format >= 1 && format <= SETTINGS_FORMAT;
}

bool InventoryByName(const std::string &name) { return name == TOB_FILE_NAME; }
bool InventoryByContent(const std::string &bytes) {
  return bytes.size() >= 8 && LittleEndian32(bytes, 0) == TOB_FILE_VERSION &&
         bytes.size() == 8 + 88ull * LittleEndian32(bytes, 4);
}

bool CacheByName(const std::string &name) { return name == "TAPCache.bin"; }
// Records of TAPID, name, version and 60 bytes of values, then four zero
// bytes per record.
bool CacheByContent(const std::string &bytes) {
  size_t pos = 0, records = 0;
  while (pos + 8 <= bytes.size()) {
    uint64_t versionAt = pos + 8 + static_cast<uint64_t>(LittleEndian32(bytes, pos + 4));
    if (versionAt + 4 > bytes.size()) return false;
    uint64_t end = versionAt + 4 + LittleEndian32(bytes, static_cast<size_t>(versionAt)) + 60;
    if (end > bytes.size()) return false;
    pos = static_cast<size_t>(end);
    records++;
    if (bytes.size() - pos == 4 * records) return bytes.find_first_not_of('\0', pos) == std::string::npos;
  }
  return false;
}

bool MasterListByName(const std::string &name) { return EndsWithCaseless(name, ".vml"); }
bool MasterListByContent(const std::string &bytes) {
  return bytes.compare(0, 9, std::string("\5\0\0\0" REPO_MASTERLIST_MAGIC, 9)) == 0;
}

// ---- loading ----------------------------------------------------------------
tLoad LoadPackage(BoxHarness &, const std::string &name) {
  tVPD vpd;
  memset(&vpd, 0, sizeof vpd);
  tLoad load{VPDLoad(&vpd, name.c_str()), nullptr};
  if (load.Loaded) load.Record = PackageToJson(vpd);
  VPDFree(&vpd);
  return load;
}

tLoad LoadSettings(BoxHarness &, const std::string &) {
  tLoad load{SettingsLoad(), nullptr};
  if (load.Loaded) load.Record = SettingsToJson(Settings);
  SettingsFree();
  return load;
}

tLoad LoadInventory(BoxHarness &, const std::string &) {
  TAPsOnBoardCount = 0;
  tLoad load{TAPsOnBoardLoad(), nullptr};
  if (load.Loaded) load.Record = InventoryToJson(TAPsOnBoard, TAPsOnBoardCount);
  return load;
}

void AddCacheRecord(void *context, const tTAPCacheRecord *r) {
  static const char *const Flags[] = {"isInstalled",     "isVisible",     "isRevoked",   "mayAutoStart",
                                      "isUpdated",       "AlphaPwdMatch", "hasSettings", "hasScreenShot",
                                      "VPDVersionIndex", "isRunning",     "isAutoStart"};
  Json entry;
  entry["TAPID"] = r->TAPID;
  // Shown as the box shows them (a name may be ISO 8859 or mixed).
  entry["Name"] = OsdText(std::string(r->Name, r->NameLength).c_str());
  entry["Version"] = OsdText(std::string(r->Version, r->VersionLength).c_str());
  entry["TimeStamp"] = r->TimeStamp;
  entry["DeployMode"] = r->DeployMode;
  entry["AlphaPassword"] = static_cast<uint64_t>(r->AlphaPassword);
  for (size_t i = 0; i < sizeof Flags / sizeof Flags[0]; i++)
    entry[Flags[i]] = i == 8 ? Json(static_cast<int32_t>(r->Values[i])) : Json(r->Values[i]);
  static_cast<Json *>(context)->push_back(entry);
}

tLoad LoadCache(BoxHarness &, const std::string &) {
  Json entries = Json::array();
  int count = TAPCacheReadFile(AddCacheRecord, &entries);
  tLoad load{count >= 0, nullptr};
  if (load.Loaded) load.Record = Json{{"TAPCacheSize", count}, {"TAPCache", entries}};
  return load;
}

tLoad LoadMasterList(BoxHarness &, const std::string &name) {
  tRepoMasterList list{};
  tLoad load{RepoMasterListLoad(name.c_str(), &list), nullptr};
  if (load.Loaded) {
    Json entries = Json::array();
    for (int i = 0; i < list.NrOfEntries; i++) {
      const tMasterList &e = list.Entries[i];
      entries.push_back({{"TAPID", e.TAPID},
                         {"VPDURL", OsdText(e.VPDURL)},
                         {"Name", OsdText(e.Name)},
                         {"Author", OsdText(e.Author)},
                         {"TopfieldEuropeTimeStamp", e.TopfieldEuropeTimeStamp},
                         {"Category", e.Category},
                         {"VPDTimeStamp", e.VPDTimeStamp}});
    }
    load.Record = Json{{"NrOfEntries", list.NrOfEntries}, {"MasterList", entries}};
  }
  RepoMasterListFree(&list);
  return load;
}

struct tKind {
  const char *Name;
  const char *What;
  bool (*ByName)(const std::string &fileName);
  bool (*ByContent)(const std::string &bytes);
  // The name the file gets in the settings folder ("" keeps its own).
  const char *BoxName;
  // Null: the kind is recognised but cannot be dumped yet.
  tLoad (*Load)(BoxHarness &box, const std::string &boxName);
};

// In the order in which content is tried.
const tKind Kinds[] = {
    {"vpd", "a package description (<TAPID>.vpd)", PackageByName, PackageByContent, "", LoadPackage},
    {"inventory", "the on-board TAP inventory (TAPOnBoard.bin)", InventoryByName, InventoryByContent,
     TOB_FILE_NAME, LoadInventory},
    {"cache", "the TAP cache (TAPCache.bin)", CacheByName, CacheByContent, TAPCACHE_FILE_NAME, LoadCache},
    {"masterlist", "a repository's master list (" REPO_MASTERLIST_NAME ")", MasterListByName,
     MasterListByContent, REPO_MASTERLIST_NAME, LoadMasterList},
    {"settings", "the manager's settings (Vantero.settings)", SettingsByName, SettingsByContent,
     SETTINGS_FILE_NAME, LoadSettings},
};

const tKind *Recognise(const std::string &fileName, const std::string &bytes, const std::string &kindName) {
  for (const tKind &kind : Kinds)
    if (kindName.empty() ? kind.ByName(fileName) : kindName == kind.Name) return &kind;
  if (!kindName.empty()) return nullptr;
  for (const tKind &kind : Kinds)
    if (kind.ByContent(bytes)) return &kind;
  return nullptr;
}

std::string ReadHead(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::string bytes(1 << 20, '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  bytes.resize(static_cast<size_t>(in.gcount()));
  return bytes;
}

int Fail(const std::string &file, const std::string &message, int status = ES_FileProblem) {
  std::fprintf(stderr, "vdtool: %s: %s\n", file.c_str(), message.c_str());
  return status;
}

}  // namespace

std::vector<std::string> KindNames() {
  std::vector<std::string> names;
  for (const tKind &kind : Kinds) names.push_back(std::string(kind.Name) + ": " + kind.What);
  return names;
}

int DumpCommand(const std::string &file, const std::string &kindName) {
  std::string fileName = std::filesystem::path(file).filename().string();
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec))
    return Fail(file, std::filesystem::exists(file, ec) ? "not a regular file" : "no such file");
  const tKind *kind = Recognise(fileName, ReadHead(file), kindName);
  if (kind == nullptr)
    return Fail(file,
                "cannot tell what kind of file this is; name it like the box does (*.vpd, Vantero.settings, "
                "TAPOnBoard.bin, TAPCache.bin, *.vml) or give --kind");
  if (kind->Load == nullptr)
    return Fail(file, std::string("dumping ") + kind->What + " is not supported yet", ES_NotSupported);

  BoxHarness box;
  std::string error;
  std::string boxName = kind->BoxName[0] != '\0'  ? kind->BoxName
                        : PackageByName(fileName) ? fileName
                                                  : "package.vpd";
  if (!box.ready(error) || !box.put(file, boxName, false, error)) return Fail(file, error);
  tLoad load = kind->Load(box, boxName);
  std::vector<std::string> log = box.takeLog();
  if (!load.Loaded) return Fail(file, log.empty() ? std::string("the box cannot read it") : log.front());
  for (const std::string &line : log)
    std::fprintf(stderr, "vdtool: %s: note: %s\n", file.c_str(), line.c_str());
  std::printf("%s\n", load.Record.dump(2, ' ', false, Json::error_handler_t::replace).c_str());
  return ES_Done;
}

}  // namespace vdtool
