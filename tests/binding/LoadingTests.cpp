#include <gtest/gtest.h>

#include "TestModel.h"

namespace {

using testing::AllOf;
using testing::HasSubstr;
using testing::IsEmpty;
using testing::Not;
using testing::Property;
using testing::ResultOf;
using testing::StartsWith;
using testing::Throws;
using testing::Truly;

IXMLDocument LoadText(const TempDir& dir, const std::string& bytes) {
  return LoadDocumentFile(FromUtf8(dir.Write("input.xml", bytes).string()));
}

TEST(ParseErrors, MessageHoldsReasonLineAndSourceExcerpt) {
  TempDir dir;
  auto messageJoinsTheParts = [](const EDOMParseError& e) {
    return e.what() == e.Reason() + "\r\nLine: 2\r\n" + e.SourceText();
  };
  EXPECT_THAT(
      [&] { LoadText(dir, "<root>\n  <a>0123456789012345678901234567890123456789XYZ</b>\n</root>"); },
      Throws<EDOMParseError>(AllOf(Property(&EDOMParseError::Line, 2),
                                   Property(&EDOMParseError::SourceText, "  <a>01234567890123456789012345678901234"),
                                   Property(&EDOMParseError::Reason, Not(IsEmpty())), Truly(messageJoinsTheParts))));
}

TEST(ParseErrors, ExcerptCutsOnCharacterBoundaries) {
  TempDir dir;
  auto units = [](const std::string& text) { return FromUtf8(text).size(); };
  EXPECT_THAT([&] { LoadText(dir, "<root>ção ção ção ção ção ção ção ção ção ção ção ção <</root>"); },
              Throws<EDOMParseError>(
                  Property(&EDOMParseError::SourceText, AllOf(StartsWith("<root>ç"), ResultOf(units, 40u)))));
}

TEST(TextConversion, KeepsEveryCharacterAndReadsNonUtf8BytesAsLatin1) {
  EXPECT_EQ(FromUtf8("Jos\xC3\xA9 \xF0\x9F\x9A\x9A"), u"José \U0001F69A");
  EXPECT_EQ(ToUtf8(u"José \U0001F69A"), "Jos\xC3\xA9 \xF0\x9F\x9A\x9A");
  EXPECT_EQ(FromUtf8("CONCEI\xC7\xC3O"), u"CONCEIÇÃO");  // Latin-1, as Windows shares hand it over
  const char16_t lone[] = {u'a', 0xD800, u'b', 0};
  EXPECT_EQ(ToUtf8(lone),
            "a\xEF\xBF\xBD"
            "b");  // the unit after a lone surrogate survives
}

TEST(ParseErrors, MissingFileAndDirectoryFailWithLineZero) {
  TempDir dir;
  for (auto path : {dir / "absent.xml", dir.path()}) {
    SCOPED_TRACE(path.string());
    EXPECT_THAT([&] { LoadDocumentFile(FromUtf8(path.string())); },
                Throws<EDOMParseError>(AllOf(Property(&EDOMParseError::Line, 0),
                                             Property(&EDOMParseError::Reason, HasSubstr(path.string())))));
  }
}

TEST(HostileFiles, AreRejectedWithParseErrors) {
  std::string binary;
  for (int i = 0; i < 4096; ++i) binary.push_back(static_cast<char>((i * 131) % 256));
  std::string billionLaughs = "<?xml version=\"1.0\"?><!DOCTYPE lolz [<!ENTITY lol \"lolololololololololol\">";
  for (int level = 1; level <= 9; ++level) {
    std::string previous = level == 1 ? "lol" : "lol" + std::to_string(level - 1);
    billionLaughs += "<!ENTITY lol" + std::to_string(level) + " \"";
    for (int k = 0; k < 10; ++k) billionLaughs += "&" + previous + ";";
    billionLaughs += "\">";
  }
  billionLaughs += "]><root>&lol9;</root>";
  const std::pair<const char*, std::string> cases[] = {
      {"empty", ""},
      {"not xml", "hello world"},
      {"truncated", "<root xmlns=\"urn:test\"><a>text</a"},
      {"binary", binary},
      {"two roots", "<a/><b/>"},
      {"unbound prefix", "<p:root/>"},
      {"zero bytes", std::string("<root>\0</root>", 14)},
      {"billion laughs", billionLaughs},
  };
  for (const auto& [name, bytes] : cases) {
    SCOPED_TRACE(name);
    TempDir dir;
    EXPECT_THROW(LoadText(dir, bytes), EDOMParseError);
  }
}

TEST(HostileFiles, ExternalEntitiesAreNeverRead) {
  TempDir dir;
  auto secret = dir.Write("secret.txt", "SEGREDO");
  std::string xml = "<!DOCTYPE root [<!ENTITY x SYSTEM \"file://" + secret.string() +
                    "\">]><root xmlns=\"urn:test\"><title>&x;</title></root>";
  try {
    IXMLDocument document = LoadText(dir, xml);
    auto root = intf_cast<TTestRoot>(BindRoot<TTestRoot>(document, u"root", kTestNamespace));
    EXPECT_EQ(Xml(root).find("SEGREDO"), std::string::npos);
  } catch (const EDOMParseError&) {
    SUCCEED();
  }
}

std::string Nested(int depth, const std::string& inner = "") {
  std::string xml;
  for (int i = 0; i < depth; ++i) xml += "<a>";
  xml += inner;
  for (int i = 0; i < depth; ++i) xml += "</a>";
  return xml;
}

TEST(HostileFiles, HostileDepthIsRefusedQuicklyReasonableDepthLoads) {
  TempDir dir;
  EXPECT_THROW(LoadText(dir, Nested(200000)), EDOMParseError);

  std::string manyEmpty;
  for (int i = 0; i < 20000; ++i) manyEmpty += "<b/>";
  IXMLDocument document = LoadText(dir, Nested(1000, manyEmpty));
  IXMLNode node = BindRoot<TTestRoot>(document, u"a", u"");
  for (int i = 1; i < 1000; ++i) node = node->ChildList()->NodeAt(0);
  EXPECT_EQ(node->ChildList()->Count(), 20000);
}

TEST(Loading, WhitespaceOnlyTextIsDroppedButCDataKept) {
  auto root = LoadTestRoot("<root xmlns=\"urn:test\">\n  <title> x </title>\n  <a><![CDATA[  ]]></a>\r\n</root>");
  EXPECT_EQ(root->ChildList()->Count(), 2);
  EXPECT_EQ(root->title(), u" x ");
  EXPECT_EQ(root->ChildList()->NodeAt(1)->ReadText(), u"  ");
  // Blanks that begin a text stay with it, also when the text goes on after an entity.
  auto mixed =
      LoadTestRoot("<root xmlns=\"urn:test\"><title>  &amp; y</title> <a>  <![CDATA[z]]></a></root>");
  EXPECT_EQ(mixed->title(), u"  & y");
  EXPECT_EQ(mixed->ChildList()->Count(), 2);
  EXPECT_EQ(mixed->ChildList()->NodeAt(1)->ReadText(), u"z");
}

}  // namespace
