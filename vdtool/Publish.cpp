// Publish.cpp - "vdtool publish": builds or updates a package repository, a
// folder of static files that any web server can serve: the files of every
// version below its RootDir, "<TAPID>.vpd" per package (format 9, with each
// file's size and CRC-32 filled in) and the master list.
//
// Everything is checked before anything is written, so a refusal leaves the
// repository as it was.  Each file is written under a temporary name and
// renamed, the master list last: a server never hands out a master list
// that names a package description not yet in place.  A package whose
// description comes out byte for byte as before keeps its VPDTimeStamp, so
// boxes download only what changed.
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>

#include "../graphics/GrCompression.h"
#include "BoxHarness.h"
#include "Commands.h"
#include "Json.h"
#include "JsonFields.h"
#include "osd/Osd.h"

namespace fs = std::filesystem;

namespace vdtool {

namespace {

struct Refusal : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// One package to publish: its record, where its files come from, and the
// description file's bytes once written by the box.
struct Package {
  std::string jsonFile;
  tVPD vpd{};
  std::vector<std::pair<std::string, std::string>> copies;  // source -> path in the repository
  std::string vpdName, vpdBytes;
};

std::string ReadFile(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Writes through a temporary name beside the target; true when in place.
bool WriteFileAtomically(const std::string &path, const std::string &bytes, std::string &error) {
  std::error_code ec;
  fs::create_directories(fs::path(path).parent_path(), ec);
  std::string temp = path + ".publish-new";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out || fs::file_size(temp, ec) != bytes.size()) ec = std::make_error_code(std::errc::io_error);
  }
  if (!ec) fs::rename(temp, path, ec);
  if (ec) {
    error = path + ": cannot write it: " + ec.message();
    fs::remove(temp, ec);
    return false;
  }
  return true;
}

bool SafeName(const std::string &name) {
  return !name.empty() && name.find('/') == std::string::npos && name.find('\\') == std::string::npos &&
         name.find("..") == std::string::npos;
}

// A relative folder of plain names ("", "MyTap", "MyTap/1.2").
bool SafeFolder(const std::string &folder) {
  if (folder.empty()) return true;
  if (folder[0] == '/' || folder.find('\\') != std::string::npos) return false;
  for (const auto &part : fs::path(folder))
    if (part == ".." || part == ".") return false;
  return true;
}

// The PNG as a screenshot the box draws (Tools.h, ScreenshotToGrData).
std::string ScreenshotFromPng(const std::string &path) {
  pvrsim::osd::Image image;
  std::string error;
  if (!pvrsim::osd::readPng(path, image, &error)) throw Refusal(error);
  if (image.width > 720 || image.height > 576)
    throw Refusal(path + ": " + std::to_string(image.width) + " x " + std::to_string(image.height) +
                  " is larger than the box's screen (720 x 576)");
  std::vector<uint8_t> packed = gr::grEncode(image.argb.data(), image.argb.size());
  std::string bytes(SCREENSHOT_MAGIC);
  for (int v : {image.width, image.height}) bytes += {char(v & 0xFF), char(v >> 8)};
  return bytes + std::string(packed.begin(), packed.end());
}

void CheckScreenshot(Package &p, const fs::path &folder) {
  tVPD &vpd = p.vpd;
  std::string name = vpd.ScreenShotFile != nullptr ? vpd.ScreenShotFile : "";
  if (vpd.Screenshot == nullptr && name.size() > 4 &&
      strcasecmp(name.c_str() + name.size() - 4, ".png") == 0) {
    if (!SafeName(name))
      throw Refusal("ScreenShotFile: a file name without \"/\" or \"..\", got \"" + name + "\"");
    std::string shot = ScreenshotFromPng((folder / name).string());
    vpd.Screenshot = static_cast<byte *>(TAP_MemAlloc(shot.size()));
    memcpy(vpd.Screenshot, shot.data(), shot.size());
    vpd.ScreenShotSize = static_cast<int>(shot.size());
    return;
  }
  TYPE_GrData gd;
  if (vpd.Screenshot != nullptr &&
      !ScreenshotToGrData(vpd.Screenshot, static_cast<dword>(vpd.ScreenShotSize), &gd))
    throw Refusal("Screenshot: not in the form the box draws; name a PNG as ScreenShotFile instead");
}

// Checks a version's names and fills each file's size and CRC-32 from the
// file beside the JSON, below RootDir.
void CheckVersion(Package &p, tVPDVersion &v, const fs::path &folder, const std::string &where) {
  std::string root = v.RootDir != nullptr ? v.RootDir : "";
  if (!SafeFolder(root))
    throw Refusal(where + ".RootDir: a relative folder without \"..\", got \"" + root + "\"");
  for (int i = 0; i < v.NrOfFiles; i++) {
    tVPDFiles &f = v.Files[i];
    std::string place = where + ".Files[" + std::to_string(i) + "]";
    std::string name = f.FileName != nullptr ? f.FileName : "";
    if (!SafeName(name))
      throw Refusal(place + ".FileName: a name without \"/\" or \"..\", got \"" + name + "\"");
    std::string path = f.DefaultPath != nullptr ? f.DefaultPath : "";
    if (path.find("/..") != std::string::npos || path.find("/./") != std::string::npos)
      throw Refusal(place + ".DefaultPath: must lie below /mnt/hd/ProgramFiles, got \"" + path + "\"");
    fs::path source = folder / root / name;
    std::error_code ec;
    if (!fs::is_regular_file(source, ec)) throw Refusal(place + ": missing file " + source.string());
    std::string bytes = ReadFile(source.string());
    f.Size = static_cast<int>(bytes.size());
    f.CRC32 = CRC32(CRC32_INITIAL, bytes.data(), static_cast<dword>(bytes.size()));
    p.copies.emplace_back(source.string(), (fs::path(root) / name).string());
  }
}

void ReadPackage(Package &p) {
  std::ifstream in(p.jsonFile);
  if (!in) throw Refusal("cannot open it");
  try {
    JsonToPackage(Json::parse(in), p.vpd);
  } catch (const Json::parse_error &e) {
    throw Refusal(std::string("not valid JSON: ") + e.what());
  } catch (const InputError &e) {
    throw Refusal(e.what());
  }
  if (p.vpd.TAPID == 0) throw Refusal("TAPID: a package needs its TAP ID");
  fs::path folder = fs::path(p.jsonFile).parent_path();
  std::set<std::string> versions;
  for (int i = 0; i < p.vpd.NrOfVersions; i++) {
    tVPDVersion &v = p.vpd.Versions[i];
    std::string where = "Versions[" + std::to_string(i) + "]";
    if (!versions.insert(v.Version != nullptr ? v.Version : "").second)
      throw Refusal(where + ".Version: \"" + (v.Version != nullptr ? v.Version : "") + "\" is listed twice");
    CheckVersion(p, v, folder, where);
  }
  CheckScreenshot(p, folder);
  char name[16];
  std::snprintf(name, sizeof name, "%08X.vpd", static_cast<unsigned>(p.vpd.TAPID));
  p.vpdName = name;
}

// The description's bytes as the box's VPDSave writes them.
void BuildDescription(BoxHarness &box, Package &p) {
  if (!box.enterSettingsFolder() || !VPDSave(&p.vpd, p.vpdName.c_str())) {
    std::vector<std::string> log = box.takeLog();
    throw Refusal(log.empty() ? std::string("the box cannot write its description") : log.front());
  }
  std::string temp = (fs::temp_directory_path() / ("vdtool-" + std::to_string(::getpid()) + ".vpd")).string();
  std::string error;
  if (!box.get(p.vpdName, temp, error)) throw Refusal(error);
  p.vpdBytes = ReadFile(temp);
  std::error_code ec;
  fs::remove(temp, ec);
}

// The master list that the repository holds now (empty when there is none).
void LoadMasterList(BoxHarness &box, const fs::path &out, tRepoMasterList &list) {
  std::error_code ec;
  std::string path = (out / REPO_MASTERLIST_NAME).string();
  if (!fs::exists(path, ec)) return;
  std::string error;
  if (!box.put(path, REPO_MASTERLIST_NAME, false, error)) throw Refusal(path + ": " + error);
  if (!RepoMasterListLoad(REPO_MASTERLIST_NAME, &list)) {
    std::vector<std::string> log = box.takeLog();
    throw Refusal(path + ": " + (log.empty() ? std::string("damaged") : log.front()) +
                  "; remove it to publish anew");
  }
}

// The entry of the package in list (appended when new); its VPDTimeStamp
// changes when the description did.
void UpdateEntry(tRepoMasterList &list, const Package &p, bool changed, dword now) {
  int index = RepoMasterListFind(&list, p.vpd.TAPID);
  if (index < 0) {
    auto *entries = static_cast<tMasterList *>(TAP_MemAlloc((list.NrOfEntries + 1) * sizeof(tMasterList)));
    memset(entries, 0, (list.NrOfEntries + 1) * sizeof(tMasterList));
    if (list.NrOfEntries > 0) memcpy(entries, list.Entries, list.NrOfEntries * sizeof(tMasterList));
    TAP_MemFree(list.Entries);
    list.Entries = entries;
    index = list.NrOfEntries++;
    changed = true;
  }
  tMasterList &e = list.Entries[index];
  e.TAPID = p.vpd.TAPID;
  StringSet(&e.VPDURL, p.vpdName.c_str());
  StringSet(&e.Name, p.vpd.TAPName);
  StringSet(&e.Author, p.vpd.TAPAuthor);
  e.Category = p.vpd.Category;
  if (changed) e.VPDTimeStamp = now != e.VPDTimeStamp ? now : now + 1;
}

dword PublishTime(const std::string &text) {
  if (text.empty()) {
    std::time_t t = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&t, &utc);
    char buffer[32];
    std::strftime(buffer, sizeof buffer, "%Y-%m-%d %H:%M:%S", &utc);
    return PublishTime(buffer);
  }
  Json time = {{"time", text}};
  try {
    return JsonFields(time, "--time", {"time"}).timeStamp("time");
  } catch (const InputError &e) {
    throw Refusal(e.what());
  }
}

int Fail(const std::string &file, const std::string &message) {
  std::fprintf(stderr, "vdtool: %s: %s\n", file.c_str(), message.c_str());
  return ES_FileProblem;
}

// Reads and checks every package; the first refusal names its file.
bool PreparePackages(BoxHarness &box, std::vector<Package> &packages) {
  std::map<dword, std::string> seen;
  for (Package &p : packages) {
    try {
      ReadPackage(p);
      auto [at, added] = seen.emplace(p.vpd.TAPID, p.jsonFile);
      if (!added) throw Refusal("TAPID " + p.vpdName.substr(0, 8) + " is already published by " + at->second);
      BuildDescription(box, p);
    } catch (const Refusal &e) {
      Fail(p.jsonFile, e.what());
      return false;
    }
  }
  return true;
}

// Writes the files, the descriptions, then the master list.
bool WriteRepository(std::vector<Package> &packages, const fs::path &out, tRepoMasterList &list, dword now) {
  std::string error;
  for (Package &p : packages) {
    for (const auto &[source, target] : p.copies) {
      std::string path = (out / target).string();
      std::string bytes = ReadFile(source);
      if (ReadFile(path) != bytes && !WriteFileAtomically(path, bytes, error))
        return Fail(p.jsonFile, error), false;
    }
    std::string path = (out / p.vpdName).string();
    bool changed = ReadFile(path) != p.vpdBytes || RepoMasterListFind(&list, p.vpd.TAPID) < 0;
    if (changed && !WriteFileAtomically(path, p.vpdBytes, error)) return Fail(p.jsonFile, error), false;
    UpdateEntry(list, p, changed, now);
    std::printf("vdtool: %s: %s %s\n", p.jsonFile.c_str(), changed ? "published" : "unchanged",
                p.vpdName.c_str());
  }
  byte *data = nullptr;
  dword size = 0;
  std::string path = (out / REPO_MASTERLIST_NAME).string();
  if (!RepoMasterListBuild(&list, &data, &size)) return Fail(path, "the master list cannot be built"), false;
  std::string bytes(reinterpret_cast<char *>(data), size);
  TAP_MemFree(data);
  if (!WriteFileAtomically(path, bytes, error)) return Fail(path, error), false;
  std::printf("vdtool: wrote %s (%d packages)\n", path.c_str(), list.NrOfEntries);
  return true;
}

}  // namespace

int PublishCommand(const std::vector<std::string> &jsonFiles, const std::string &outDir,
                   const std::string &time) {
  BoxHarness box;
  std::string error;
  if (!box.ready(error)) return Fail(outDir, error);
  dword now;
  try {
    now = PublishTime(time);
  } catch (const Refusal &e) {
    return Fail("--time", e.what());
  }
  std::vector<Package> packages(jsonFiles.size());
  for (size_t i = 0; i < jsonFiles.size(); i++) packages[i].jsonFile = jsonFiles[i];
  tRepoMasterList list{};
  bool done = false;
  try {
    LoadMasterList(box, outDir, list);
    done = PreparePackages(box, packages) && WriteRepository(packages, outDir, list, now);
  } catch (const Refusal &e) {
    Fail(outDir, e.what());
  }
  for (Package &p : packages) VPDFree(&p.vpd);
  RepoMasterListFree(&list);
  return done ? ES_Done : ES_FileProblem;
}

}  // namespace vdtool
