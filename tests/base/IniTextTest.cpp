// INI texts: the reading rules, writing, and comma text.
#include "base/uIniText.h"

#include <gtest/gtest.h>

namespace lumora {
namespace {

TEST(IniRead, LinesAreTrimmedAndCommentsAndStrayLinesIgnored) {
  TIniText ini(
      "Before=1\r\n"
      "  [ Obj0 ]  \r\n"
      "; Motion=5\r\n"
      "\r\n"
      "  Motion  =  3  \n"
      "Filename = C:\\a=b.gif\r"
      "NoEquals\r\n");
  EXPECT_EQ(ini.SectionNames(), std::vector<std::string>{"Obj0"});
  EXPECT_EQ(ini.ReadInteger("Obj0", "Motion", 0), 3);
  EXPECT_EQ(ini.ReadString("Obj0", "Filename", ""), "C:\\a=b.gif");  // split at the first '='
  EXPECT_FALSE(ini.ValueExists("Obj0", "NoEquals"));
  EXPECT_FALSE(ini.ValueExists("Obj0", "; Motion"));
  EXPECT_EQ(ini.ReadString("Obj0", "Before", "none"), "none");
}

TEST(IniRead, NamesIgnoreCaseAndTheFirstOfEqualNamesWins) {
  TIniText ini("[Header]\r\nResCount=2\r\nRESCOUNT=9\r\n[HEADER]\r\nMusic=1\r\n");
  EXPECT_EQ(ini.ReadInteger("header", "rescount", 0), 2);
  EXPECT_FALSE(ini.ReadBool("Header", "Music", false));  // only the first section is read
  EXPECT_EQ(ini.SectionNames().size(), 2u);              // but both are counted
}

TEST(IniRead, IntegerForms) {
  EXPECT_EQ(ParseIniInteger("42"), 42);
  EXPECT_EQ(ParseIniInteger("-7"), -7);
  EXPECT_EQ(ParseIniInteger("+7"), 7);
  EXPECT_EQ(ParseIniInteger("007"), 7);
  EXPECT_EQ(ParseIniInteger("0x0A"), 10);
  EXPECT_EQ(ParseIniInteger("0XfF"), 255);
  EXPECT_EQ(ParseIniInteger("0xFFFFFFFF"), -1);  // a 32-bit pattern
  EXPECT_EQ(ParseIniInteger("2147483647"), 2147483647);
  EXPECT_EQ(ParseIniInteger("-2147483648"), INT32_MIN);
  for (const char* bad :
       {"", "0x", "x1", "12abc", "1.5", "2147483648", "-2147483649", "0x100000000", "0xG", " 1", "--1"}) {
    EXPECT_EQ(ParseIniInteger(bad), std::nullopt) << bad;
  }
}

TEST(IniRead, MalformedOrMissingValuesGiveTheDefault) {
  TIniText ini("[Config]\r\nSpeed=fast\r\nStretch=\r\nSound=2\r\nMusic=0\r\n");
  EXPECT_EQ(ini.ReadInteger("Config", "Speed", 100), 100);
  EXPECT_TRUE(ini.ReadBool("Config", "Stretch", true));
  EXPECT_TRUE(ini.ReadBool("Config", "Sound", false));  // any non-zero value is true
  EXPECT_FALSE(ini.ReadBool("Config", "Music", true));
  EXPECT_EQ(ini.ReadInteger("Other", "Speed", 5), 5);
  EXPECT_EQ(ini.ReadString("Config", "Stretch", "x"), "");  // present but empty is not missing
}

TEST(IniWrite, CrLfLinesInInsertionOrderWithOneEmptyLineAfterEachSection) {
  TIniText ini;
  ini.WriteInteger("Obj4", "Left", -3);
  ini.WriteBool("Obj4", "Scaled", true);
  ini.WriteString("Other", "Name", "x");
  ini.WriteBool("obj4", "SCALED", false);  // replaces in place, keeping the first spelling
  EXPECT_EQ(ini.Text(), "[Obj4]\r\nLeft=-3\r\nScaled=0\r\n\r\n[Other]\r\nName=x\r\n\r\n");
}

TEST(IniWrite, RoundTripKeepsCommentsAndOtherKeys) {
  TIniText ini("[Config]\r\n;keep\r\nSpeed=1\r\n[Mine]\r\nA=1\r\n");
  ini.WriteInteger("Config", "Speed", 200);
  TIniText again(ini.Text());
  EXPECT_EQ(again.ReadInteger("Config", "Speed", 0), 200);
  EXPECT_EQ(again.ReadInteger("Mine", "A", 0), 1);
  EXPECT_NE(again.Text().find(";keep\r\n"), std::string::npos);
}

TEST(CommaText, QuotesSpacesAndEmptyItems) {
  EXPECT_EQ(
      SplitCommaText("[BuildScr],\"Filename=My Scene.scr\",MusicFile=,Music=0,,[BuildExe]"),
      (std::vector<std::string>{"[BuildScr]", "Filename=My Scene.scr", "MusicFile=", "Music=0", "", "[BuildExe]"}));
  // An unquoted space ends an item, doubled quotes stand for one, a final comma adds an item.
  EXPECT_EQ(SplitCommaText("  a b,\"say \"\"hi\"\"\",c,"), (std::vector<std::string>{"a", "b", "say \"hi\"", "c", ""}));
  EXPECT_EQ(SplitCommaText("\"unclosed, quote"), (std::vector<std::string>{"unclosed, quote"}));
  EXPECT_TRUE(SplitCommaText("").empty());
  EXPECT_TRUE(SplitCommaText("   ").empty());
}

TEST(CommaText, JoinQuotesWhatSplitWouldBreak) {
  const std::vector<std::string> items = {"[BuildScr]", "Filename=My \"Best\" Scene", "a,b", "", "Sound=1", ""};
  std::string text = JoinCommaText(items);
  EXPECT_EQ(text, "[BuildScr],\"Filename=My \"\"Best\"\" Scene\",\"a,b\",,Sound=1,");
  EXPECT_EQ(SplitCommaText(text), items);
}

TEST(CommaText, LinesReadAsIniText) {
  TIniText ini;
  ini.SetLines(SplitCommaText("[BuildScr],\"Filename=C:\\My Scenes\\Lake.scr\",Sound=0,,[BuildExe],Music=1"));
  EXPECT_EQ(ini.ReadString("BuildScr", "Filename", ""), "C:\\My Scenes\\Lake.scr");
  EXPECT_FALSE(ini.ReadBool("BuildScr", "Sound", true));
  EXPECT_TRUE(ini.ReadBool("BuildExe", "Music", false));
}

}  // namespace
}  // namespace lumora
