// The readers behind the add-on packages: the XML reader (encodings, the
// subset it reads, what it refuses, its bounds), add-on.xml's scenery
// components and the package lists (add-ons.cfg).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "scenery/addon_packages.h"
#include "formats/xml_reader.h"

namespace {

std::string Utf16Le(const std::string& ascii, bool mark = true) {
  std::string out = mark ? "\xFF\xFE" : "";
  for (char c : ascii) out += std::string{c, '\0'};
  return out;
}

TEST(XmlReader, DecodesEveryEncodingToUtf8) {
  struct Case {
    std::string Bytes, Text;
  } cases[] = {
      {"\xEF\xBB\xBF<a>\xC3\xBC</a>", "<a>\xC3\xBC</a>"},                       // UTF-8 mark
      {"<a>\xC3\xBC</a>", "<a>\xC3\xBC</a>"},                                   // plain UTF-8
      {"<a>\xFC</a>", "<a>\xC3\xBC</a>"},                                       // not UTF-8: 1252
      {"<?xml encoding='Windows-1252'?><a>\xC3</a>", "<?xml encoding='Windows-1252'?><a>\xC3\x83</a>"},
      {Utf16Le("<a>x</a>"), "<a>x</a>"},                                        // UTF-16LE mark
      {Utf16Le("<a/>", false), "<a/>"},                                         // told by its '<'
      {std::string("\xFE\xFF\0<\0a\0/\0>\xD8\x3D\xDE\x00", 14), "<a/>\xF0\x9F\x98\x80"},  // BE, a pair
  };
  for (const Case& c : cases) {
    std::string text;
    const FormatProblem problem = xml::DecodeDocument(c.Bytes, text);
    EXPECT_FALSE(problem) << problem.Text;
    EXPECT_EQ(text, c.Text);
  }
  std::string text;
  EXPECT_EQ(xml::DecodeDocument(std::string("\xFF\xFE<\0a", 5), text).Text,
            "it is not valid UTF-16: it ends in half a character");
  EXPECT_EQ(xml::DecodeDocument(std::string("\xFF\xFE\x00\xDC", 4), text).Text,
            "it is not valid UTF-16: it holds half of a surrogate pair");
  EXPECT_TRUE(xml::DecodeDocument(std::string(xml::kMaxBytes + 1, ' '), text));
}

// What a reading tells, written out: "<name>" for an element's start,
// "@name=value;" for an attribute, "[text]" for its character data (its
// pieces joined), "</>" for its end.
struct Recorded : xml::Events {
  std::string Out;
  size_t Depth = 0, Deepest = 0;
  bool InText = false;
  void Close() {
    if (InText) Out += ']';
    InText = false;
  }
  void ElementStart(std::string_view name) override {
    Close();
    Out += "<" + std::string(name) + ">";
    Deepest = std::max(Deepest, ++Depth);
  }
  void Attribute(std::string_view name, std::string_view value) override {
    Out += "@" + std::string(name) + "=" + std::string(value) + ";";
  }
  void Text(std::string_view text) override {
    if (!InText) Out += '[';
    InText = true;
    Out += text;
  }
  void ElementEnd() override {
    Close();
    Out += "</>";
    --Depth;
  }
};

TEST(XmlReader, ReadsElementsAttributesTextAndReferences) {
  const std::string doc =
      "<?xml version=\"1.0\"?>\r\n<!-- before -->\r\n"
      "<Root Type='A&amp;B' id=\"x\">\r\n"
      "  <Path> C:\\a &lt;b&gt; &#65;&#x42; &apos;&quot; </Path>\r\n"
      "  <Empty/><?pi ignored?><!-- inside -->\r\n"
      "  <Data><![CDATA[<not> & markup]]></Data>\r\n"
      "</Root>\r\n<!-- after -->";
  Recorded read;
  const FormatProblem problem = xml::Read(doc, read);
  ASSERT_FALSE(problem) << problem.Text;
  EXPECT_EQ(read.Out,
            "<Root>@Type=A&B;@id=x;[\r\n  ]<Path>[ C:\\a <b> AB '\" ]</>[\r\n  ]<Empty></>"
            "[\r\n  ]<Data>[<not> & markup]</>[\r\n]</>");
  // With a mark, read where it stands after it: the same.
  Recorded marked;
  ASSERT_FALSE(xml::Read("\xEF\xBB\xBF" + doc, marked));
  EXPECT_EQ(marked.Out, read.Out);
  EXPECT_TRUE(xml::SameAsciiCase("AddOn.Name", "addon.NAME"));
  EXPECT_FALSE(xml::SameAsciiCase("AddOn.Name", "AddOn.Nam"));
}

TEST(XmlReader, RefusesWhatIsNotWellFormedAndSaysWhere) {
  const struct {
    std::string Doc, Error;
  } cases[] = {
      {"", "line 1: it holds no element"},
      {"<a>", "line 1: the element <a> is not closed"},
      {"<a>\n<b></a>", "line 2: </a> closes <b>"},
      {"<a></a><b/>", "line 1: there is more after the end of the root element <a>"},
      {"text<a/>", "line 1: there is text outside the root element"},
      {"<a>&nbsp;</a>", "line 1: the entity &nbsp; is not known"},
      {"<a>& b</a>", "line 1: '&' starts no reference (write &amp; for '&')"},
      {"<a>&#0;</a>", "line 1: &#0; names no character XML allows"},
      {"<a>&#xD800;</a>", "line 1: &#xD800; names no character XML allows"},
      {"<a>&#12z;</a>", "line 1: &#12z; is not a character reference"},
      {"<a x=1/>", "line 1: the value of x must be quoted"},
      {"<a x='1' x='2'/>", "line 1: <a> has the attribute x twice"},
      {"<a x='1'y='2'/>", "line 1: a blank must separate the attributes of <a>"},
      {"<a x='<'/>", "line 1: '<' is not allowed in the value of x"},
      {"<a / >", "line 1: a '/' in a tag must be followed by '>'"},
      {"<!DOCTYPE a><a/>", "line 1: a document type declaration (<!DOCTYPE>) is not read here"},
      {"<a><!-- x</a>", "line 1: a comment is not closed"},
      {"<a><![CDATA[x</a>", "line 1: a CDATA section is not closed"},
      {"<a>\x01</a>", "line 1: the control character 0x01 is not allowed"},
      {"<a>\n x\x1f<b/></a>", "line 2: the control character 0x1F is not allowed"},
      {"<a x='1\x02'/>", "line 1: the control character 0x02 is not allowed"},
      {"<a>\n\x01", "line 1: the element <a> is not closed"},
      {"<1a/>", "line 1: a name is expected here"},
      // Read where it stands (UTF-8, with its mark), or decoded first (code
      // page 1252): counted alike, and a NUL in the bytes is no end.
      {"\xEF\xBB\xBF<a>\n<b></a>", "line 2: </a> closes <b>"},
      {"<a>\xFC\n<b></a>", "line 2: </a> closes <b>"},
      {std::string("<a>\0</a>", 8), "line 1: the control character 0x00 is not allowed"},
      {std::string("<a></a>\0", 8), "line 1: there is text outside the root element"},
  };
  for (const auto& c : cases) {
    Recorded read;
    EXPECT_EQ(xml::Read(c.Doc, read).Text, c.Error) << c.Doc;
  }
}

TEST(XmlReader, NestingIsBounded) {
  const auto nested = [](size_t depth) {
    std::string doc;
    for (size_t i = 0; i < depth; ++i) doc += "<e>";
    for (size_t i = 0; i < depth; ++i) doc += "</e>";
    return doc;
  };
  Recorded read;
  EXPECT_FALSE(xml::Read(nested(xml::kMaxDepth), read));
  EXPECT_EQ(read.Deepest, xml::kMaxDepth);
  EXPECT_EQ(xml::Read(nested(xml::kMaxDepth + 1), read).Text,
            "line 1: elements are nested more than 64 deep");
  // Far deeper than any stack would take, refused as early.
  EXPECT_TRUE(xml::Read(std::string(1000000, '<').replace(0, 1, "<a>"), read));
}

// ------------------------------------------------------------ add-on.xml

std::string Component(const std::string& category, const std::string& name, const std::string& path,
                      const std::string& layer = "") {
  return "<AddOn.Component><Category>" + category + "</Category><Name>" + name + "</Name><Path>" +
         path + "</Path>" + (layer.empty() ? "" : "<Layer>" + layer + "</Layer>") +
         "</AddOn.Component>";
}

std::string Description(const std::string& body, const std::string& name = "My Pack") {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<SimBase.Document Type=\"AddOnXml\" "
         "version=\"4,0\" id=\"add-on\">\r\n<AddOn.Name>" +
         name + "</AddOn.Name>" + body + "</SimBase.Document>\r\n";
}

TEST(PackageDescription, TakesTheSceneryComponentsWithTheirFoldersInFull) {
  AddonPackage package;
  package.Folder = "C:\\Addons\\My Pack";
  package.Title = "Listed Title";
  std::vector<std::string> problems;
  std::string error;
  const std::string doc = Description(
      Component("Scenery", "Airport", "Airport", "12") + Component("Texture", "Tex", "Texture") +
      Component(" scenery ", "", "D:/Mesh/./Big/") + Component("Scenery", "Up", "..\\Shared\\") +
      Component("Scenery", "No Path", "") + Component("Scenery", "Odd", "Odd", "high"));
  ASSERT_TRUE(ReadPackageDescription(doc, package, error, problems)) << error;
  EXPECT_EQ(package.Title, "My Pack");
  ASSERT_EQ(package.Scenery.size(), 4u);
  EXPECT_EQ(package.Scenery[0].Name, "Airport");
  EXPECT_EQ(package.Scenery[0].Folder, "C:\\Addons\\My Pack\\Airport");
  EXPECT_EQ(package.Scenery[0].Layer, 12);
  EXPECT_EQ(package.Scenery[1].Name, "My Pack");  // no <Name>: the package's
  EXPECT_EQ(package.Scenery[1].Folder, "D:\\Mesh\\Big");
  EXPECT_FALSE(package.Scenery[1].Layer.has_value());
  EXPECT_EQ(package.Scenery[2].Folder, "C:\\Addons\\Shared");
  EXPECT_EQ(package.Scenery[3].Folder, "C:\\Addons\\My Pack\\Odd");
  EXPECT_FALSE(package.Scenery[3].Layer.has_value());
  EXPECT_EQ(problems, (std::vector<std::string>{
                          "its scenery component 'No Path' names no <Path>; it is left out",
                          "the <Layer> 'high' of its scenery component 'Odd' is no whole number; "
                          "the component is taken to stand on top"}));
}

// What a description is taken to say where its elements are not as the
// simple case writes them: the first of each element counts, only where it
// belongs, in any letter case, its text joined from every piece.
TEST(PackageDescription, TakesTheFirstElementOfEachKindWhereItBelongs) {
  const struct {
    std::string Body;
    std::string Name, Folder;  // of the one component taken
  } cases[] = {
      {"<AddOn.Component><Category>Scenery</Category><Name>A</Name><Name>B</Name>"
       "<Path>P</Path><Path>Q</Path></AddOn.Component>",
       "A", "C:\\Addons\\My Pack\\P"},
      {"<addon.component><CATEGORY>Scenery</CATEGORY><name>Low</name><path>Low</path>"
       "</addon.component>",
       "Low", "C:\\Addons\\My Pack\\Low"},
      {"<AddOn.Component><Category>Scenery</Category><Extra><Name>Deep</Name><Path>Deep</Path>"
       "</Extra><Path>Sc&amp;en<![CDATA[ery]]>&#x21;</Path></AddOn.Component>",
       "My Pack", "C:\\Addons\\My Pack\\Sc&enery!"},
      {"<Other><AddOn.Component><Category>Scenery</Category><Path>No</Path></AddOn.Component>"
       "</Other><AddOn.Component><Category>Scenery</Category><Path>Sub\\..\\Yes</Path>"
       "</AddOn.Component>",
       "My Pack", "C:\\Addons\\My Pack\\Yes"},
  };
  for (const auto& c : cases) {
    AddonPackage package;
    package.Folder = "C:\\Addons\\My Pack";
    std::vector<std::string> problems;
    std::string error;
    ASSERT_TRUE(ReadPackageDescription(Description(c.Body), package, error, problems)) << error;
    ASSERT_EQ(package.Scenery.size(), 1u) << c.Body;
    EXPECT_EQ(package.Scenery[0].Name, c.Name) << c.Body;
    EXPECT_EQ(package.Scenery[0].Folder, c.Folder) << c.Body;
  }
  // The root's Type in another case, and the second <AddOn.Name> unread.
  AddonPackage package;
  package.Folder = "C:\\Addons\\My Pack";
  std::vector<std::string> problems;
  std::string error;
  ASSERT_TRUE(ReadPackageDescription(
      "<simbase.document type=' addonxml '><AddOn.Name>First</AddOn.Name>"
      "<AddOn.Name>Second</AddOn.Name></simbase.document>",
      package, error, problems))
      << error;
  EXPECT_EQ(package.Title, "First");
}

TEST(PackageDescription, RefusesOtherDocuments) {
  const struct {
    std::string Doc, Error;
  } cases[] = {
      {"<Other/>", "its root element is <Other>, not <SimBase.Document>"},
      {"<SimBase.Document Type='MissionXml'/>",
       "it is a document of type 'MissionXml', not an add-on description (AddOnXml)"},
      {Description("<AddOn.Component>"), "line 3: </SimBase.Document> closes <AddOn.Component>"},
  };
  for (const auto& c : cases) {
    AddonPackage package;
    std::vector<std::string> problems;
    std::string error;
    EXPECT_FALSE(ReadPackageDescription(c.Doc, package, error, problems));
    EXPECT_EQ(error, c.Error);
    EXPECT_TRUE(package.Scenery.empty());
  }
}

// ------------------------------------------------------------ add-ons.cfg

TEST(PackageList, ReadsPackagesAndDiscoveryPathsInFileOrder) {
  const PackageList list = ParsePackageList(
      "\xEF\xBB\xBF[Package.0]\r\nPATH=C:\\A\r\nTITLE=Caf\xC3\xA9\r\nACTIVE=true\r\nREQUIRED=false\r\n"
      "[DiscoveryPath.0]\r\nPath=D:\\Found\r\nActive=FALSE\r\n"
      "[package.1]\r\nPATH=C:\\B\r\nACTIVE=maybe\r\n"
      "[Package.2]\r\nTITLE=No path\r\n"
      "[Other]\r\nPATH=C:\\Not\r\n");
  ASSERT_EQ(list.Packages.size(), 2u);
  EXPECT_EQ(list.Packages[0].Path, "C:\\A");
  EXPECT_EQ(list.Packages[0].Title, "Caf\xC3\xA9");  // UTF-8 kept
  EXPECT_TRUE(list.Packages[0].Active);
  EXPECT_EQ(list.Packages[1].Path, "C:\\B");
  EXPECT_TRUE(list.Packages[1].Active);
  ASSERT_EQ(list.DiscoveryPaths.size(), 1u);
  EXPECT_EQ(list.DiscoveryPaths[0].Path, "D:\\Found");
  EXPECT_FALSE(list.DiscoveryPaths[0].Active);
  EXPECT_EQ(list.Problems,
            (std::vector<std::string>{
                "[package.1] has ACTIVE=maybe, which is neither true nor false; it is taken as true",
                "[Package.2] names no PATH; it is passed over"}));
}

}  // namespace
