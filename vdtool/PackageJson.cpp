// PackageJson.cpp - a package record as JSON and back.
#include "Json.h"
#include "JsonFields.h"

namespace vdtool {

namespace {

const std::vector<const char *> DeployModes = {
    "DM_Hide", "DM_InstallerTest", "DM_Alpha", "DM_Beta", "DM_Final", "DM_Revoke", "DM_MarkedForDeletion"};
const std::vector<const char *> InstallModes = {
    "IM_Overwrite", "IM_OverwriteIfNewer", "IM_CreateIfNonexistant", "IM_NotInPackage", "IM_AlwaysDelete"};

Json FileToJson(const tVPDFiles &f) {
  Json j;
  PutText(j, "FileName", f.FileName);
  PutText(j, "CurrentName", f.CurrentName);
  PutText(j, "DefaultPath", f.DefaultPath);
  PutText(j, "CurrentPath", f.CurrentPath);
  j["Time"] = f.Time;
  j["Size"] = f.Size;
  j["CRC32"] = f.CRC32;
  j["TAPID"] = f.TAPID;
  j["InstallMode"] = static_cast<int>(f.InstallMode);
  j["Flags"] = f.Flags;
  j["SettingsVersion"] = f.SettingsVersion;
  return j;
}

Json VersionToJson(const tVPDVersion &v) {
  Json j;
  PutText(j, "Version", v.Version);
  j["TimeStamp"] = v.TimeStamp;
  PutText(j, "ReleaseNotes", v.ReleaseNotes);
  j["SupportedLang"] = v.SupportedLang;
  j["DeployMode"] = static_cast<int>(v.DeployMode);
  j["AlphaPassword"] = static_cast<uint64_t>(v.AlphaPassword);
  j["Flags"] = v.Flags;
  j["NrOfDependencies"] = v.NrOfDependencies;
  j["Dependencies"] = Json::array();
  for (int i = 0; v.Dependencies != nullptr && i < v.NrOfDependencies; i++)
    j["Dependencies"].push_back(v.Dependencies[i]);
  PutText(j, "RootDir", v.RootDir);
  j["NrOfFiles"] = v.NrOfFiles;
  j["Files"] = Json::array();
  for (int i = 0; v.Files != nullptr && i < v.NrOfFiles; i++) j["Files"].push_back(FileToJson(v.Files[i]));
  return j;
}

void JsonToFile(const Json &json, const std::string &path, tVPDFiles &f) {
  JsonFields in(json, path,
                {"FileName", "CurrentName", "DefaultPath", "CurrentPath", "Time", "Size", "CRC32", "TAPID",
                 "InstallMode", "Flags", "SettingsVersion"});
  f.FileName = in.text("FileName");
  f.DefaultPath = in.text("DefaultPath");
  const char *prefix = VPD_PROGRAMFILES;
  size_t length = strlen(prefix);
  if (f.DefaultPath != nullptr && (strncmp(f.DefaultPath, prefix, length) != 0 ||
                                   (f.DefaultPath[length] != '\0' && f.DefaultPath[length] != '/')))
    in.fail("DefaultPath", "must be \"/mnt/hd/ProgramFiles\" or a folder below it");
  // CurrentName and CurrentPath are where the manager found the file; they
  // are not stored in the file.
  f.Time = in.dword32("Time");
  f.Size = in.int32("Size");
  f.CRC32 = in.dword32("CRC32");
  f.TAPID = in.dword32("TAPID");
  f.InstallMode = static_cast<tInstallMode>(in.enumeration("InstallMode", InstallModes));
  f.Flags = in.dword32("Flags");
  f.SettingsVersion = in.int32("SettingsVersion");
}

void JsonToVersion(const Json &json, const std::string &path, tVPDVersion &v) {
  JsonFields in(json, path,
                {"Version", "TimeStamp", "ReleaseNotes", "SupportedLang", "DeployMode", "AlphaPassword",
                 "Flags", "NrOfDependencies", "Dependencies", "RootDir", "NrOfFiles", "Files"});
  v.Version = in.text("Version");
  v.TimeStamp = in.timeStamp("TimeStamp");
  v.ReleaseNotes = in.text("ReleaseNotes");
  v.SupportedLang = in.dword32("SupportedLang");
  v.DeployMode = static_cast<tDeployMode>(in.enumeration("DeployMode", DeployModes));
  v.AlphaPassword = in.unsigned64("AlphaPassword");
  v.Flags = in.dword32("Flags");
  v.RootDir = in.text("RootDir");
  const Json &dependencies = in.array("Dependencies", "NrOfDependencies");
  if (!dependencies.empty()) {
    v.Dependencies = static_cast<dword *>(TAP_MemAlloc(dependencies.size() * sizeof(dword)));
    v.NrOfDependencies = static_cast<int>(dependencies.size());
    for (size_t i = 0; i < dependencies.size(); i++)
      v.Dependencies[i] =
          JsonFields::Dword32(dependencies[i], in.where("Dependencies") + "[" + std::to_string(i) + "]");
  }
  const Json &files = in.array("Files", "NrOfFiles");
  if (!files.empty()) {
    v.Files = static_cast<tVPDFiles *>(TAP_MemAlloc(files.size() * sizeof(tVPDFiles)));
    memset(v.Files, 0, files.size() * sizeof(tVPDFiles));
    v.NrOfFiles = static_cast<int>(files.size());
    for (size_t i = 0; i < files.size(); i++)
      JsonToFile(files[i], in.where("Files") + "[" + std::to_string(i) + "]", v.Files[i]);
  }
}

void JsonToScreenshot(const JsonFields &in, tVPD &vpd) {
  vpd.ScreenShotFile = in.text("ScreenShotFile");
  const Json *shot = in.find("Screenshot");
  std::string bytes;
  if (shot != nullptr && (!shot->is_string() || !Base64Decode(shot->get<std::string>(), bytes)))
    in.fail("Screenshot", "expected the screenshot's bytes in base64, or null");
  int size = in.int32("ScreenShotSize");
  if (in.find("ScreenShotSize") == nullptr || (!bytes.empty() && size == static_cast<int>(bytes.size()))) {
    size = static_cast<int>(bytes.size());
  } else if (size > 0 || !bytes.empty()) {
    in.fail("ScreenShotSize",
            "is " + std::to_string(size) + " but Screenshot has " + std::to_string(bytes.size()) + " bytes");
  }
  vpd.ScreenShotSize = size;
  if (!bytes.empty()) {
    vpd.Screenshot = static_cast<byte *>(TAP_MemAlloc(bytes.size()));
    memcpy(vpd.Screenshot, bytes.data(), bytes.size());
  }
}

}  // namespace

Json PackageToJson(const tVPD &vpd) {
  Json j;
  PutText(j, "DBMagic", vpd.DBMagic);
  j["DBVersion"] = vpd.DBVersion;
  j["TAPID"] = vpd.TAPID;
  PutText(j, "TAPName", vpd.TAPName);
  PutText(j, "TAPAuthor", vpd.TAPAuthor);
  PutText(j, "DE_Description", vpd.DE_Description);
  PutText(j, "EN_Description", vpd.EN_Description);
  j["Hosting"] = vpd.Hosting;
  j["Category"] = vpd.Category;
  PutText(j, "URL", vpd.URL);
  PutText(j, "PasswdMD5", vpd.PasswdMD5);
  j["PasswdReadonly"] = vpd.PasswdReadonly;
  PutText(j, "ScreenShotFile", vpd.ScreenShotFile);
  j["ScreenShotSize"] = vpd.ScreenShotSize;
  j["Screenshot"] = vpd.Screenshot != nullptr && vpd.ScreenShotSize > 0
                        ? Json(Base64Encode(vpd.Screenshot, static_cast<size_t>(vpd.ScreenShotSize)))
                        : Json(nullptr);
  PutText(j, "Homepage", vpd.Homepage);
  j["NrOfVersions"] = vpd.NrOfVersions;
  j["Versions"] = Json::array();
  for (int i = 0; vpd.Versions != nullptr && i < vpd.NrOfVersions; i++)
    j["Versions"].push_back(VersionToJson(vpd.Versions[i]));
  return j;
}

void JsonToPackage(const Json &json, tVPD &vpd) {
  JsonFields in(json, "",
                {"DBMagic", "DBVersion", "TAPID", "TAPName", "TAPAuthor", "DE_Description", "EN_Description",
                 "Hosting", "Category", "URL", "PasswdMD5", "PasswdReadonly", "ScreenShotFile",
                 "ScreenShotSize", "Screenshot", "Homepage", "NrOfVersions", "Versions"});
  if (in.find("DBMagic") != nullptr && *in.find("DBMagic") != VPD_MAGIC)
    in.fail("DBMagic", "must be \"VPDDB\" or absent");
  int format = in.int32("DBVersion");
  if (in.find("DBVersion") != nullptr && (format < VPD_MIN_VERSION || format > VPD_VERSION))
    in.fail("DBVersion", "must be 5 to 9 or absent (the file is written in format 9)");
  vpd.TAPID = in.dword32("TAPID");
  vpd.TAPName = in.text("TAPName");
  vpd.TAPAuthor = in.text("TAPAuthor");
  vpd.DE_Description = in.text("DE_Description");
  vpd.EN_Description = in.text("EN_Description");
  vpd.Hosting = in.int32("Hosting");
  vpd.Category = in.dword32("Category");
  vpd.URL = in.text("URL");
  vpd.PasswdMD5 = in.text("PasswdMD5");
  vpd.PasswdReadonly = in.flag("PasswdReadonly");
  JsonToScreenshot(in, vpd);
  vpd.Homepage = in.text("Homepage");
  const Json &versions = in.array("Versions", "NrOfVersions");
  if (!versions.empty()) {
    vpd.Versions = static_cast<tVPDVersion *>(TAP_MemAlloc(versions.size() * sizeof(tVPDVersion)));
    memset(vpd.Versions, 0, versions.size() * sizeof(tVPDVersion));
    vpd.NrOfVersions = static_cast<int>(versions.size());
    for (size_t i = 0; i < versions.size(); i++)
      JsonToVersion(versions[i], "Versions[" + std::to_string(i) + "]", vpd.Versions[i]);
  }
}

}  // namespace vdtool
