// The KeyValues text parser (Steam's .vdf files).
#include "formats/vdf.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using vdf::Entry;

std::vector<Entry> ParseOk(const std::string& text) {
  std::vector<Entry> entries;
  const FormatProblem problem = vdf::Parse(text, entries);
  EXPECT_FALSE(problem) << problem.Text;
  return entries;
}

std::string ParseError(const std::string& text) {
  std::vector<Entry> entries = {Entry{}};
  const FormatProblem problem = vdf::Parse(text, entries);
  EXPECT_TRUE(problem) << text;
  EXPECT_TRUE(entries.empty());
  return problem.Text;
}

TEST(KeyValues, NestedBlocksCommentsAndUnquotedWords) {
  const std::vector<Entry> entries = ParseOk(
      "// written by Steam\n"
      "\"libraryfolders\"\n"
      "{\n"
      "\t\"0\"\n"
      "\t{\n"
      "\t\t\"path\"\t\t\"/home/pilot/.local/share/Steam\"  // the first\n"
      "\t\t\"apps\" { \"314160\" \"14253867008\" }\n"
      "\t}\n"
      "\tplain word\"empty\"{}\r\n"
      "}\n"
      "\"second\" \"\"");
  ASSERT_EQ(entries.size(), 2u);
  const Entry& list = entries[0];
  EXPECT_EQ(list.Key, "libraryfolders");
  ASSERT_TRUE(list.IsBlock);
  ASSERT_EQ(list.Children.size(), 3u);
  const Entry* first = list.Find("0");
  ASSERT_NE(first, nullptr);
  ASSERT_NE(first->Find("PATH"), nullptr);  // keys match ignoring case
  EXPECT_EQ(first->Find("Path")->Value, "/home/pilot/.local/share/Steam");
  EXPECT_EQ(first->Find("apps")->Find("314160")->Value, "14253867008");
  EXPECT_EQ(list.Children[1].Key, "plain");
  EXPECT_EQ(list.Children[1].Value, "word");
  EXPECT_EQ(list.Children[2].Key, "empty");
  EXPECT_TRUE(list.Children[2].IsBlock);
  EXPECT_TRUE(list.Children[2].Children.empty());
  EXPECT_EQ(entries[1].Key, "second");
  EXPECT_FALSE(entries[1].IsBlock);
  EXPECT_EQ(entries[1].Value, "");
  EXPECT_EQ(vdf::Find(entries, "SECOND"), &entries[1]);
  EXPECT_EQ(vdf::Find(entries, "third"), nullptr);
  EXPECT_EQ(entries[1].Find("x"), nullptr);  // not a block
}

TEST(KeyValues, EscapesInQuotedText) {
  const std::vector<Entry> entries =
      ParseOk("\"path\" \"D:\\\\Steam \\\"Library\\\"\\n\\tx\\q\"\n\"multi\" \"a\nb\"\n\"k\" \"//not a comment\"");
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].Value, "D:\\Steam \"Library\"\n\tx\\q");  // unknown escapes stay as written
  EXPECT_EQ(entries[1].Value, "a\nb");
  EXPECT_EQ(entries[2].Value, "//not a comment");
  EXPECT_TRUE(ParseOk("").empty());
  EXPECT_TRUE(ParseOk("  // only a comment").empty());
}

TEST(KeyValues, MalformedTextIsRefusedWithItsLine) {
  EXPECT_EQ(ParseError("\"a\" \"b\"\n\"c\" \"unclosed"), "line 2: a quoted text is not closed");
  EXPECT_EQ(ParseError("\"a\"\n{\n\"b\" \"c\"\n"), "line 2: a block is not closed");
  EXPECT_EQ(ParseError("\"a\" \"b\"\n}"), "line 2: a closing brace without a block");
  EXPECT_EQ(ParseError("{ \"a\" \"b\" }"), "line 1: a block without a key");
  EXPECT_EQ(ParseError("\"a\" { \"b\" }"), "line 1: a key without a value");
  EXPECT_EQ(ParseError("\"a\" \"b\" \"c\""), "line 1: a key without a value");
  EXPECT_EQ(ParseError("\"a\" \"ends in a backslash\\"), "line 1: a quoted text is not closed");
}

TEST(KeyValues, NestingIsBoundedAndNeverExhaustsTheStack) {
  std::string deep;
  for (size_t i = 0; i < vdf::kMaxDepth; ++i) deep += "k{";
  deep += std::string(vdf::kMaxDepth, '}');
  EXPECT_EQ(ParseOk(deep).size(), 1u);
  std::string deeper;
  for (int i = 0; i < 100000; ++i) deeper += "k{";
  EXPECT_EQ(ParseError(deeper), "line 1: blocks nested too deeply");
}

}  // namespace
