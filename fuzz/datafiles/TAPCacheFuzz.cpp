// TAPCacheFuzz.cpp - libFuzzer target for the reader of "TAPCache.bin".
//
// Every input is "TAPCache.bin" on the stand-in disk (DiskStandIn.h).  A
// damaged image is logged and reaches no visitor; a read one yields records
// whose texts lie inside the image, and when it could come from a cache (no
// zero byte in a text, deploy modes of one byte) the cache rebuilt from its records is written back as the
// same bytes.  No memory stays allocated and no file open.
#include <string.h>

#include <string>
#include <vector>

#include "DiskStandIn.h"

namespace {

const char Target[] = "TAPCacheFuzz";

void Check(bool condition, const char *what) {
  if (!condition) standin::Fail(Target, what);
}

struct tRead {
  std::vector<tTAPCacheRecord> Records;
  std::vector<std::string> Names, Versions;
};

void Collect(void *context, const tTAPCacheRecord *r) {
  auto *read = static_cast<tRead *>(context);
  // The texts point into the image only while the visit lasts.
  standin::TouchBytes(r->Name, r->NameLength);
  standin::TouchBytes(r->Version, r->VersionLength);
  read->Records.push_back(*r);
  read->Names.emplace_back(r->Name, r->NameLength);
  read->Versions.emplace_back(r->Version, r->VersionLength);
}

bool HasZeroByte(const std::string &s) { return s.find('\0') != std::string::npos; }

// Builds the cache from the records (one master-list entry per record) and saves it.
void SaveAgain(const tRead &read) {
  size_t n = read.Records.size();
  std::vector<tMasterList> masters(n);
  TAPCache = static_cast<tTAPCache *>(TAP_MemAlloc((n > 0 ? n : 1) * sizeof(tTAPCache)));
  memset(TAPCache, 0, (n > 0 ? n : 1) * sizeof(tTAPCache));
  TAPCacheSize = static_cast<int>(n);
  for (size_t i = 0; i < n; i++) {
    const tTAPCacheRecord &r = read.Records[i];
    tTAPCache &e = TAPCache[i];
    memset(&masters[i], 0, sizeof masters[i]);
    masters[i].Name = const_cast<char *>(read.Names[i].c_str());
    e.MasterList = &masters[i];
    e.TAPID = r.TAPID;
    StringSet(&e.Version, read.Versions[i].c_str());
    e.TimeStamp = r.TimeStamp;
    e.DeployMode = static_cast<tDeployMode>(r.DeployMode);
    e.AlphaPassword = r.AlphaPassword;
    tBool32 *flags[] = {&e.isInstalled, &e.isVisible,     &e.isRevoked,   &e.mayAutoStart,
                        &e.isUpdated,   &e.AlphaPwdMatch, &e.hasSettings, &e.hasScreenShot,
                        nullptr,        &e.isRunning,     &e.isAutoStart};
    for (int f = 0; f < 11; f++)
      if (flags[f] != nullptr) *flags[f] = r.Values[f];
    e.VPDVersionIndex = static_cast<int>(r.Values[8]);
  }
  Check(TAPCacheSave(), "a read cache cannot be written");
  TAPCacheFree();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  standin::Reset(TAPCACHE_FILE_NAME, data, size);
  std::string image(reinterpret_cast<const char *>(data), size);
  tRead read;
  int count = TAPCacheReadFile(Collect, &read);
  Check(count >= -2, "an unknown result");
  Check(count >= 0 || read.Records.empty(), "a damaged image reached the visitor");
  Check(count >= 0 || !standin::Log.empty(), "a damaged image was not logged");
  Check(count < 0 || static_cast<size_t>(count) == read.Records.size(), "the count differs from the records");
  size_t texts = 0;
  for (const tTAPCacheRecord &r : read.Records) texts += r.NameLength + r.VersionLength;
  if (count >= 0)
    Check(size == 76 * static_cast<size_t>(count) + texts,
          "the image is not 76 bytes per record and its texts");
  bool plain = count >= 0;
  // A cache holds texts without zero bytes and deploy modes of one byte (from the package files).
  for (size_t i = 0; plain && i < read.Records.size(); i++)
    plain =
        !HasZeroByte(read.Names[i]) && !HasZeroByte(read.Versions[i]) && read.Records[i].DeployMode <= DM_Max;
  if (plain) {
    SaveAgain(read);
    Check(standin::Files[TAPCACHE_FILE_NAME] == image, "the cache written again differs from the image read");
  }
  Check(standin::MemoryBlocksInUse() == 0, "memory left allocated");
  Check(standin::OpenFiles == 0, "a file left open");
  return 0;
}
