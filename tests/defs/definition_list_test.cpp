#include "defs/definition_list.h"

#include <string>

#include "tests/defs/defs_test_base.h"

namespace {

const char kHeader[] =
    "サーバーアプリケーションを指定してください\r\n"
    "※ポート番号を指定して手動開放する場合は【キャンセル】を押してください\r\n\r\n"
    "------------------------------------------------------------\r\n"
    "【対応ソフト(Sluice.def)】\r\n";
const char kFooter[] =
    "\r\n------------------------------------------------------------\r\n\r\n"
    "※「更」ボタンで最新の定義が取得できる場合があります";

class DefinitionListTest : public DefsTest {};

TEST_F(DefinitionListTest, NoDefinitionFile) {
    EXPECT_EQ(-1, BuildDefinitionList());
    EXPECT_EQ("", glb_DefinitionList);
}

// Items need no program present; a record without a display name shows its
// program and "-"; the same item twice appears once; comments and short
// lines are left out.
TEST_F(DefinitionListTest, ItemsOnceEach) {
    WriteDefinitions(
        "# comment\tx\tx\tx\tfix\tTCP\tComment\n"
        "srv\tsrv.ini\tSrv\t//ini/Net/Port\tini\tTCP\tGame\n"
        "srv\tsrv.ini\tSrv\t//ini/Net/Port\tini\tUDP\tGame\n"
        "bare\t\tb\t1\tfix\tTCP\n"
        "short\t\tb\t1\tfix\n");
    ASSERT_EQ(0, BuildDefinitionList());
    EXPECT_EQ(std::string(kHeader) + "●Game[srv] ●bare[-] " + kFooter, glb_DefinitionList);
}

// The counter adds one per record and each new item's bytes; once it reaches
// 60 the next record first breaks the line. Items of 10 bytes: after 5 items
// the counter is 55, the sixth record makes it 56 and then 66 (no break yet),
// the seventh reaches 67 >= 60 and breaks the line first.
TEST_F(DefinitionListTest, LinesBreakAtSixty) {
    std::string text;
    const char* names[] = {"a", "b", "c", "d", "e", "f", "g", "h"};
    for (const char* name : names) {
        text += std::string("p\t\tt\t1\tfix\tTCP\t") + name + "123\n";  // "●a123[p] ": 10 bytes
    }
    WriteDefinitions(text);
    ASSERT_EQ(0, BuildDefinitionList());
    EXPECT_EQ(std::string(kHeader) +
                  "●a123[p] ●b123[p] ●c123[p] ●d123[p] ●e123[p] ●f123[p] \r\n"
                  "●g123[p] ●h123[p] " +
                  kFooter,
              glb_DefinitionList);
}

// A duplicate still counts one towards the width.
TEST_F(DefinitionListTest, DuplicatesCountTowardsTheWidth) {
    std::string text;
    for (int i = 0; i < 70; ++i) text += "p\t\tt\t1\tfix\tTCP\tX\n";
    WriteDefinitions(text);
    ASSERT_EQ(0, BuildDefinitionList());
    // "●X[p] " is 7 bytes: the first record leaves 8, and each duplicate adds
    // one, so the 53rd record reaches 60 and breaks the line, once.
    EXPECT_EQ(std::string(kHeader) + "●X[p] \r\n" + kFooter, glb_DefinitionList);
}

}  // namespace
