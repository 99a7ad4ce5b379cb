// QueryTest.cpp - the repository query in-process, with the test in wget's place: it writes what
// the box's wget would leave behind (the download, then its exit status) and the manager moves on
// at its idle events.  New TAPs come in marked new, only changed packages are fetched, a damaged
// download never replaces the local file, and a download without progress ends.
#include <filesystem>

#include "Manager.h"
#include "ManagerSim.h"

namespace manager_test {
namespace {

class QueryTest : public ManagerData {
 protected:
  // The master list of the repository: one entry per (TAP ID, VPDTimeStamp).
  static std::string MasterList(const std::vector<std::pair<dword, dword>> &entries) {
    tRepoMasterList list{};
    list.NrOfEntries = static_cast<int>(entries.size());
    list.Entries = static_cast<tMasterList *>(TAP_MemAlloc(entries.size() * sizeof(tMasterList)));
    memset(list.Entries, 0, entries.size() * sizeof(tMasterList));
    for (size_t i = 0; i < entries.size(); i++) {
      char url[16];
      snprintf(url, sizeof url, "%08X.vpd", entries[i].first);
      list.Entries[i].TAPID = entries[i].first;
      list.Entries[i].VPDTimeStamp = entries[i].second;
      StringSet(&list.Entries[i].VPDURL, url);
      StringSet(&list.Entries[i].Name, url);
    }
    byte *data = nullptr;
    dword size = 0;
    EXPECT_TRUE(RepoMasterListBuild(&list, &data, &size));
    std::string bytes(reinterpret_cast<char *>(data), size);
    TAP_MemFree(data);
    RepoMasterListFree(&list);
    return bytes;
  }
  // A package file's bytes as the repository serves it.
  std::string Package(dword id) {
    package(id, {{"1.0", 1000, DM_Final}});
    char name[16];
    snprintf(name, sizeof name, "%08X.vpd", id);
    std::string bytes = getSetting(name);
    std::filesystem::remove(disk(SettingsDir + "/" + name));
    return bytes;
  }
  // wget's part: the download (or "" none) and its exit status; then the idle events.
  void Serve(const std::string &content, int status) {
    if (!content.empty() || status == 0) putSetting("Query.download", content);
    putSetting("Query.status", std::to_string(status) + "\n");
    ManagerQueryIdle();
  }
  // The URLs the manager asked for, in order.
  std::vector<std::string> asked;
  void Expect(const char *url) {
    EXPECT_EQ(std::string("http://127.0.0.1:8080/") + url, Query.URL);
    asked.push_back(Query.URL);
  }
};

TEST_F(QueryTest, NewTapsComeInAndOnlyChangedPackagesAreFetched) {
  ASSERT_TRUE(ManagerQueryStart());
  Expect("MasterList.vml");
  Serve(MasterList({{0xA1, 5}, {0xB2, 7}}), 0);
  ASSERT_EQ(QS_Packages, Query.State);
  EXPECT_EQ(2, Query.Total);
  ASSERT_EQ(2, Settings.NrOfMasterListEntries);
  EXPECT_EQ(NF_New, Settings.MasterList[1].NotificationFlag);
  Expect("000000A1.vpd");
  Serve(Package(0xA1), 0);
  Expect("000000B2.vpd");
  Serve(Package(0xB1), 0);  // a package of another TAP: rejected
  EXPECT_EQ(QS_Done, Query.State);
  EXPECT_EQ(1, Query.Done);
  EXPECT_EQ(1, Query.Failed);
  EXPECT_TRUE(exists(SettingsDir + "/" + "000000A1.vpd"));
  EXPECT_FALSE(exists(SettingsDir + "/" + "000000B2.vpd"));
  EXPECT_EQ(5u, Settings.MasterList[0].VPDTimeStamp);
  EXPECT_EQ(0u, Settings.MasterList[1].VPDTimeStamp) << "fetched again next time";

  // The second query: A1 unchanged, B2 fetched again.
  std::string before = getSetting("000000A1.vpd");
  ASSERT_TRUE(ManagerQueryStart());
  Serve(MasterList({{0xA1, 5}, {0xB2, 7}}), 0);
  EXPECT_EQ(1, Query.Total) << "only the package that did not arrive";
  Expect("000000B2.vpd");
  Serve(Package(0xB2).substr(0, 30), 0);  // cut short
  EXPECT_EQ(QS_Done, Query.State);
  EXPECT_FALSE(exists(SettingsDir + "/" + "000000B2.vpd"));
  EXPECT_EQ(before, getSetting("000000A1.vpd"));
}

TEST_F(QueryTest, AFailedOrDamagedMasterListChangesNothing) {
  master(0xA1, "Kept", 0).VPDTimeStamp = 3;
  struct Case {
    const char *what;
    std::string content;
    int status, problem;
  } cases[] = {
      {"server down", "", 1, MT_ServerUnreachable},
      {"damaged", "VMLDB garbage", 0, MT_MasterListDamaged},
      {"cut short", MasterList({{0xA1, 9}, {0xB2, 7}}).substr(0, 40), 1, MT_ServerUnreachable},
  };
  for (const Case &c : cases) {
    ASSERT_TRUE(ManagerQueryStart()) << c.what;
    Serve(c.content, c.status);
    EXPECT_EQ(QS_Failed, Query.State) << c.what;
    EXPECT_EQ(c.problem, Query.Problem) << c.what;
    ASSERT_EQ(1, Settings.NrOfMasterListEntries) << c.what;
    EXPECT_EQ(3u, Settings.MasterList[0].VPDTimeStamp) << c.what;
    Query.State = QS_Idle;
  }
}

}  // namespace
}  // namespace manager_test
