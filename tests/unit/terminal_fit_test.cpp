// Text made to fit a terminal: columns of wide and combining characters,
// cutting and shortening with an ellipsis, and the listing's lines.
#include <gtest/gtest.h>

#include "app/terminal_fit.h"

namespace {

using namespace app;

TEST(TerminalFit, ColumnsOfText) {
  struct Case {
    const char* Text;
    size_t Columns;
  } cases[] = {
      {"", 0},
      {"Harbour", 7},
      {"Zürich", 6},                      // precomposed
      {"Zu\xCC\x88rich", 6},              // u + combining diaeresis
      {"東京 羽田空港", 13},              // six wide characters and a blank
      {"ｆｕｌｌ", 8},                    // fullwidth forms
      {"서울", 4},                        // Hangul
      {"Ελληνικά", 8},
      {"\xE2\x80\x8B", 0},                // zero-width space
      {"Z\xFC" "rich", 6},                // code page 1252 byte in UTF-8 text
      {"\xF0\x9F\x9B\xAB", 2},            // an emoji (airplane departure)
      {"a\tb", 2},                        // a control character takes no column
  };
  for (const Case& c : cases) EXPECT_EQ(TextColumns(c.Text), c.Columns) << c.Text;
}

TEST(TerminalFit, CutAndShortenKeepWithinTheColumns) {
  EXPECT_EQ(CutWithEllipsis("Harbour Lights", 20), "Harbour Lights");
  EXPECT_EQ(CutWithEllipsis("Harbour Lights", 8), "Harbour…");
  EXPECT_EQ(CutWithEllipsis("Harbour Lights", 1), "…");
  EXPECT_EQ(CutWithEllipsis("Harbour Lights", 0), "");
  // A wide character is never split: the column it would half fill stays empty.
  EXPECT_EQ(CutWithEllipsis("東京 羽田空港", 6), "東京 …");
  EXPECT_EQ(CutWithEllipsis("東京羽田空港", 6), "東京…");
  EXPECT_EQ(CutWithEllipsis("Zu\xCC\x88rich", 3), "Zu\xCC\x88…");  // the accent goes with its letter

  EXPECT_EQ(ShortenInMiddle("C:\\Addons\\Mesh", 20), "C:\\Addons\\Mesh");
  EXPECT_EQ(ShortenInMiddle("C:\\Addons\\City Pack\\Buildings", 15), "C:\\Addo…ildings");
  EXPECT_EQ(ShortenInMiddle("Addon Scenery\\東京", 10), "Addo…\\東京");
  EXPECT_EQ(ShortenInMiddle("abc", 1), "…");
  EXPECT_EQ(ShortenInMiddle("abc", 0), "");
  for (size_t columns = 0; columns < 30; ++columns) {
    EXPECT_LE(TextColumns(ShortenInMiddle("C:\\東京\\Addons\\City Pack\\Buildings", columns)), columns);
    EXPECT_LE(TextColumns(CutWithEllipsis("東京 羽田空港 International", columns)), columns);
  }
  EXPECT_EQ(PadToColumns("東京", 6), "東京  ");
  EXPECT_EQ(PadToColumns("Harbour", 3), "Harbour");
}

TEST(TerminalFit, ListingLines) {
  // Room enough: the title filled by its columns, nothing cut.
  EXPECT_EQ(FitListingLine(" 6  on   ", "東京 羽田空港", 20, "Addon Scenery\\Tokyo", "  missing", 100),
            " 6  on   東京 羽田空港         Addon Scenery\\Tokyo  missing");
  // No folder, no tail: no trailing blanks.
  EXPECT_EQ(FitListingLine(" 1  on   ", "Short", 40, "", "", 100), " 1  on   Short");
  // A narrow terminal: the title column narrows to two fifths of the room
  // beside the lead, the title is cut and the folder shortened in its middle.
  const std::string line = FitListingLine(" 7  on   ", "A title far longer than the column", 40,
                                          "Addon Scenery\\A very long folder name\\Sub", "  missing", 60);
  EXPECT_EQ(line, " 7  on   A title far longer…  Addon Scen…r name\\Sub  missing");
  EXPECT_EQ(TextColumns(line), 60u);
  // A long tail takes the title's room on its own line rather than the
  // whole folder.
  const std::string package = FitListingLine(" top  on   ", "Island", 40, "C:\\Addons\\More\\Island Pack\\Island",
                                             "  package LocalAppData  missing  duplicate", 80);
  EXPECT_LE(TextColumns(package), 80u);
  EXPECT_NE(package.find("C:\\Ad…Island  package"), std::string::npos) << package;
  // Every width, however small, holds the line.
  for (size_t columns = 1; columns < 90; ++columns)
    EXPECT_LE(TextColumns(FitListingLine(" 12  off  ", "東京 羽田空港 International", 40,
                                         "C:\\Addons\\東京\\Haneda", "  required  duplicate", columns)),
              columns);
}

TEST(TerminalFit, PlainLinesSplitAtTheirSemicolon) {
  const std::string counts = " 34 areas, 1 off, 1 missing, 1 duplicate; 6 packages, 7 components";
  EXPECT_EQ(FitPlainLine(counts, 100), std::vector<std::string>{counts});
  EXPECT_EQ(FitPlainLine(counts, 50),
            (std::vector<std::string>{" 34 areas, 1 off, 1 missing, 1 duplicate;",
                                      " 6 packages, 7 components"}));
  EXPECT_EQ(FitPlainLine(" Layrix V1.1 and more", 10), std::vector<std::string>{" Layrix V…"});
}

}  // namespace
