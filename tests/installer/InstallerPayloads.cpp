// InstallerPayloads.cpp - where the build keeps the installer's payloads and where each belongs.
#include "InstallerScenario.h"

namespace installer_test {

const std::vector<std::string> &fontNames() {
  static const std::vector<std::string> names = {
      "Arial_12B.ufnt",  "Arial_14.ufnt",   "Calibri_10.ufnt", "Calibri_12.ufnt",  "Calibri_14.ufnt",
      "Calibri_16.ufnt", "Calibri_18.ufnt", "Calibri_20.ufnt", "Calibri_20B.ufnt", "Courier_New_13.ufnt"};
  return names;
}

// The manager's entry has an empty box path: it goes where the installer
// decides.
std::vector<Payload> payloads() {
  const std::string dir = std::string(BINARY_DIR) + "/payloads/files/";
  std::vector<Payload> p = {{"", dir + "Vantero.tap"},
                            {"/ProgramFiles/wget", dir + "wget"},
                            {"/ProgramFiles/busybox", dir + "busybox"},
                            {"/ProgramFiles/Settings/Vantero/Vantero.lng", dir + "Vantero.lng"}};
  for (const std::string &f : fontNames()) p.push_back({"/ProgramFiles/Settings/Fonts/" + f, dir + f});
  return p;
}

std::string Scenario::managerPayload() const { return readHostFile(payloads()[0].hostFile); }

}  // namespace installer_test
