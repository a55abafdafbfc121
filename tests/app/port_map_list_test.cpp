// The PortMap command and its list: the rows built from the router's
// records, which hosts are listed, deleting a selection with a failure in
// it, and the batch close-all with its exit codes.
#include "app/port_map_list.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "app/port_commands.h"
#include "app/port_map_command.h"
#include "app/settings_keys.h"
#include "tests/app/app_test_base.h"

namespace {

constexpr char kThisComputer[] = "192.168.0.10";
constexpr char kOtherHost[] = "192.168.0.50";
constexpr char kDeleteFailed[] = "ポートマッピング削除に失敗しました";

struct Mapping {
    const char* port;
    const char* protocol;
    const char* client;
    const char* enabled;
};

// In the router's order: three for this computer, two for another host.
const Mapping kMappings[] = {
    {"8000", "TCP", kThisComputer, "1"}, {"9000", "UDP", kOtherHost, "1"},
    {"8001", "TCP", kThisComputer, "0"}, {"9001", "TCP", kOtherHost, "1"},
    {"8002", "UDP", kThisComputer, "1"},
};

std::string Record(const Mapping& m) {
    return std::string("\t") + m.port + "\t" + m.protocol + "\t" + m.port + "\t" + m.client + "\t" +
           m.enabled + "\tSluice" + m.port + "\t0";
}

SoapOutputs EntryOutputs(const Mapping& m) {
    return {{"NewRemoteHost", ""},
            {"NewExternalPort", m.port},
            {"NewProtocol", m.protocol},
            {"NewInternalPort", m.port},
            {"NewInternalClient", m.client},
            {"NewEnabled", m.enabled},
            {"NewPortMappingDescription", std::string("Sluice") + m.port},
            {"NewLeaseDuration", "0"}};
}

std::vector<std::string> Column(const std::vector<PortMapRow>& rows, int column) {
    std::vector<std::string> texts;
    for (const PortMapRow& row : rows) texts.push_back(row.columns[column]);
    return texts;
}

TEST(PortMapRowTest, ColumnTextsAndMarks) {
    PortMapRow on = PortMapRowFromRecord("\t8000\tTCP\t9000\t192.168.0.10\t1\tSluice8000T\t3600");
    EXPECT_EQ("8000(TCP)→192.168.0.10:9000【○】", on.columns[kColumnMapping]);
    EXPECT_EQ("Sluice8000T", on.columns[kColumnDescription]);
    EXPECT_EQ("3600", on.columns[kColumnLease]);
    EXPECT_EQ("8000", on.columns[kColumnPort]);
    EXPECT_EQ("TCP", on.columns[kColumnProtocol]);
    PortMapRow off = PortMapRowFromRecord("\t8000\tUDP\t8000\t192.168.0.10\t0\t\t0");
    EXPECT_EQ("8000(UDP)→192.168.0.10:8000【×】", off.columns[kColumnMapping]);
    EXPECT_EQ("", off.columns[kColumnDescription]);
}

class PortMapListTest : public AppTest {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        RegisterSettingDefaults();
        AimAtFakeRouter();
        glb_LocalAdapterIP = kThisComputer;
    }
    // The router lists these mappings, then answers the next index with an error.
    void RouterHolds(const std::vector<Mapping>& mappings) {
        for (const Mapping& m : mappings) {
            igd_->QueueAnswer(IgdScenario::kNormal, "GetGenericPortMappingEntry", EntryOutputs(m));
        }
        igd_->QueueAnswer(IgdScenario::kErrorStatus, "GetGenericPortMappingEntry", {});
    }
    void RouterHoldsAll() { RouterHolds({std::begin(kMappings), std::end(kMappings)}); }
    StrList AllRecords() const {
        StrList records;
        for (const Mapping& m : kMappings) records.Add(Record(m).c_str());
        return records;
    }
    std::vector<std::string> Deleted() const {
        return Sent("DeletePortMapping", "NewExternalPort");
    }
    void PortMap() { PortMapCommand(ui_, fields_); }

    MainFields fields_;
};

TEST_F(PortMapListTest, ListsThisComputerNewestFirst) {
    PortMapList list(ui_);
    list.Load(AllRecords(), kThisComputer, false);
    EXPECT_EQ((std::vector<std::string>{"8002", "8001", "8000"}), Column(list.Rows(), kColumnPort));
    EXPECT_EQ("8001(TCP)→192.168.0.10:8001【×】", list.Rows()[1].columns[kColumnMapping]);
    list.Load(AllRecords(), kThisComputer, true);
    EXPECT_EQ((std::vector<std::string>{"8002", "9001", "8001", "9000", "8000"}),
              Column(list.Rows(), kColumnPort));
}

TEST_F(PortMapListTest, CommandShowsRowsByAllPortView) {
    RouterHoldsAll();
    PortMap();
    RouterHoldsAll();
    glb_Settings.Set(key::kAllPortView, "1");
    PortMap();
    ASSERT_EQ(2u, ui_.shownLists.size());
    EXPECT_EQ(3u, ui_.shownLists[0].size());
    EXPECT_EQ(5u, ui_.shownLists[1].size());
    EXPECT_TRUE(ui_.messages.empty());
    EXPECT_TRUE(ui_.exitCodes.empty());
}

TEST_F(PortMapListTest, CtrlAloneShowsAllOnlyToRoot) {
    glb_Settings.Set(key::kAllPortView, "0");
    EXPECT_FALSE(ShowAllMappings(ui_));
    ui_.ctrlHeld = true;
    EXPECT_EQ(geteuid() == 0, ShowAllMappings(ui_));
    glb_Settings.Set(key::kAllPortView, "1");
    ui_.ctrlHeld = false;
    EXPECT_TRUE(ShowAllMappings(ui_));
}

TEST_F(PortMapListTest, DeleteSelectedKeepsFailedRowWithOneMessage) {
    PortMapList list(ui_);
    list.Load(AllRecords(), kThisComputer, false);  // rows 8002, 8001, 8000
    // Deleted from the last selected row up: 8000 goes, 8001 fails, 8002 goes.
    igd_->QueueAnswer(IgdScenario::kNormal, "DeletePortMapping", {});
    igd_->QueueAnswer(IgdScenario::kErrorStatus, "DeletePortMapping", {});
    igd_->QueueAnswer(IgdScenario::kNormal, "DeletePortMapping", {});
    EXPECT_EQ(1, list.DeleteSelected({0, 1, 2}));
    EXPECT_EQ((std::vector<std::string>{"8000", "8001", "8002"}), Deleted());
    EXPECT_EQ((std::vector<std::string>{"8001"}), Column(list.Rows(), kColumnPort));
    EXPECT_EQ(std::vector<std::string>{kDeleteFailed}, ui_.messages);
    EXPECT_EQ((std::vector<std::string>{"TCP", "TCP", "UDP"}),
              Sent("DeletePortMapping", "NewProtocol"));
}

TEST_F(PortMapListTest, DeleteSelectedIgnoresUnknownRowsAndUnselected) {
    PortMapList list(ui_);
    list.Load(AllRecords(), kThisComputer, false);
    EXPECT_EQ(0, list.DeleteSelected({2, 2, 7, -1}));
    EXPECT_EQ((std::vector<std::string>{"8000"}), Deleted());
    EXPECT_EQ((std::vector<std::string>{"8002", "8001"}), Column(list.Rows(), kColumnPort));
    EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(PortMapListTest, InteractiveCloseAllFailureIsSilent) {
    PortMapList list(ui_);
    list.Load(AllRecords(), kThisComputer, false);
    igd_->AnswerActions(IgdScenario::kErrorStatus, "DeletePortMapping", {});
    EXPECT_EQ(3, list.CloseAll());
    EXPECT_EQ(3, list.RowCount());
    EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(PortMapListTest, BatchCloseAllDeletesThisComputersMappingsWithoutWindow) {
    glb_SwitchText = "/closeall";
    RouterHoldsAll();
    PortMap();
    // From the bottom row up: the oldest mapping goes first.
    EXPECT_EQ((std::vector<std::string>{"8000", "8001", "8002"}), Deleted());
    EXPECT_TRUE(ui_.shownLists.empty());
    EXPECT_TRUE(ui_.messages.empty());
    EXPECT_EQ(std::vector<int>{kExitBatchDone}, ui_.exitCodes);
}

TEST_F(PortMapListTest, BatchCloseAllWithOnlyOtherHostsDeletesNothing) {
    glb_SwitchText = "/closeall";
    RouterHolds({kMappings[1], kMappings[3]});
    PortMap();
    EXPECT_TRUE(Deleted().empty());
    EXPECT_EQ(std::vector<int>{kExitBatchDone}, ui_.exitCodes);
}

TEST_F(PortMapListTest, BatchCloseAllFailureShowsMessageAndFails) {
    glb_SwitchText = "/closeall";
    glb_Settings.Set(key::kMessageOff, "1");
    RouterHoldsAll();
    igd_->AnswerActions(IgdScenario::kErrorStatus, "DeletePortMapping", {});
    PortMap();
    EXPECT_EQ(3u, Deleted().size());
    EXPECT_EQ(std::vector<std::string>{kDeleteFailed}, ui_.messages);
    EXPECT_EQ(std::vector<int>{kExitBatchFailed}, ui_.exitCodes);
}

TEST_F(PortMapListTest, NoMappings) {
    RouterHolds({});
    PortMap();
    EXPECT_EQ(std::vector<std::string>{"開放されたポートが存在しないか、取得エラーです"},
              ui_.messages);
    EXPECT_TRUE(ui_.shownLists.empty());
    glb_SwitchText = "/closeall";
    RouterHolds({});
    PortMap();
    EXPECT_EQ(1u, ui_.messages.size());
    EXPECT_EQ(std::vector<int>{kExitBatchDone}, ui_.exitCodes);
}

TEST_F(PortMapListTest, NoRouter) {
    glb_IgdState = -1;
    ui_.window.device = "uuid:none";
    PortMap();
    EXPECT_TRUE(ui_.messages.empty());
    EXPECT_TRUE(ui_.exitCodes.empty());
    EXPECT_STREQ("uuid:none", glb_Settings.Get(key::kDevice));
    glb_SwitchText = "/closeall";
    PortMap();
    EXPECT_TRUE(ui_.messages.empty());
    EXPECT_EQ(std::vector<int>{kExitBatchFailed}, ui_.exitCodes);
    EXPECT_TRUE(igd_->ActionRequests().empty());
}

}  // namespace
