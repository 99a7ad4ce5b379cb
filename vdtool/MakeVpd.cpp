// MakeVpd.cpp - "vdtool make-vpd": a package description file written by the
// tool module's own VPDSave on the simulated box, from a JSON description.
#include <cstdio>
#include <fstream>

#include "BoxHarness.h"
#include "Commands.h"
#include "Json.h"

namespace vdtool {

namespace {

int Fail(const std::string &file, const std::string &message) {
  std::fprintf(stderr, "vdtool: %s: %s\n", file.c_str(), message.c_str());
  return ES_FileProblem;
}

// The package of the JSON file; false with a message on stderr.
bool ReadPackage(const std::string &jsonFile, tVPD &vpd) {
  std::ifstream in(jsonFile);
  if (!in) {
    Fail(jsonFile, "cannot open it");
    return false;
  }
  try {
    JsonToPackage(Json::parse(in), vpd);
    return true;
  } catch (const Json::parse_error &e) {
    Fail(jsonFile, std::string("not valid JSON: ") + e.what());
  } catch (const InputError &e) {
    Fail(jsonFile, e.what());
  }
  return false;
}

}  // namespace

int MakeVpdCommand(const std::string &jsonFile, const std::string &outFile) {
  const char BoxName[] = "package.vpd";
  tVPD vpd;
  memset(&vpd, 0, sizeof vpd);
  BoxHarness box;
  std::string error;
  if (!box.ready(error)) return Fail(outFile, error);
  if (!ReadPackage(jsonFile, vpd)) {
    VPDFree(&vpd);
    return ES_FileProblem;
  }
  bool saved = VPDSave(&vpd, BoxName);
  VPDFree(&vpd);
  std::vector<std::string> log = box.takeLog();
  if (!saved) return Fail(outFile, log.empty() ? std::string("the box cannot write it") : log.front());
  if (!box.get(BoxName, outFile, error)) return Fail(outFile, error);
  std::printf("vdtool: wrote %s (package description, format %d)\n", outFile.c_str(), VPD_VERSION);
  return ES_Done;
}

}  // namespace vdtool
