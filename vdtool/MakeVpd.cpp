// MakeVpd.cpp - "vdtool make-vpd": a package description file written by the
// tool module's own VPDSave on the simulated box, from a JSON description.
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "BoxHarness.h"
#include "Commands.h"
#include "Json.h"

namespace vdtool {

namespace {

int Fail(const std::string &file, const std::string &message) {
  std::fprintf(stderr, "vdtool: %s: %s\n", file.c_str(), message.c_str());
  return ES_FileProblem;
}

// A package is a few levels deep; a document nested deeper is refused
// before it is parsed, so no input can exhaust the stack.
const int MaxJsonDepth = 64;

// The deepest nesting of arrays and objects in the text, outside strings.
int JsonDepth(const std::string &text) {
  int depth = 0, deepest = 0;
  bool inString = false;
  for (size_t i = 0; i < text.size(); i++) {
    char c = text[i];
    if (inString) {
      if (c == '\\')
        i++;
      else if (c == '"')
        inString = false;
    } else if (c == '"') {
      inString = true;
    } else if (c == '[' || c == '{') {
      deepest = std::max(deepest, ++depth);
    } else if (c == ']' || c == '}') {
      depth--;
    }
  }
  return deepest;
}

// The package of the JSON file; false with a message on stderr.
bool ReadPackage(const std::string &jsonFile, tVPD &vpd) {
  std::ifstream in(jsonFile, std::ios::binary);
  if (!in) {
    Fail(jsonFile, "cannot open it");
    return false;
  }
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (JsonDepth(text) > MaxJsonDepth) {
    Fail(jsonFile, "not valid input: arrays and objects nested more than " + std::to_string(MaxJsonDepth) +
                       " levels deep");
    return false;
  }
  try {
    JsonToPackage(Json::parse(text), vpd);
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
