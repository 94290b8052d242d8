#include <gtest/gtest.h>

#include "TestModel.h"

namespace {

TEST(MissingChildRule, TextPropertyCreatesEmptyElementAtEndInParentsNamespace) {
  auto root = LoadTestRoot(R"(<root xmlns="urn:test"><title>T</title><other/></root>)");
  EXPECT_EQ(root->child()->value(), u"");
  // "child" and its "value" were appended, each after the last child of its parent.
  EXPECT_EQ(Xml(root), R"(<root xmlns="urn:test"><title>T</title><other/><child><value></value></child></root>)");
  IXMLNode value = root->child()->ChildList()->NodeAt(0);
  EXPECT_EQ(value->NamespaceURI(), kTestNamespace);
  EXPECT_EQ(value->ChildList()->Count(), 1);
  EXPECT_EQ(value->ChildList()->NodeAt(0)->NodeType(), TNodeType::ntText);
}

TEST(MissingChildRule, NewChildTakesParentsPrefix) {
  auto root = LoadTestRoot(R"(<t:root xmlns:t="urn:test"><t:title>x</t:title></t:root>)");
  EXPECT_EQ(root->title(), u"x");  // unprefixed tag matches by local name
  EXPECT_EQ(root->child()->value(), u"");
  IXMLNode child = root->ChildList()->NodeAt(1);
  EXPECT_EQ(child->NodeName(), u"t:child");
  EXPECT_EQ(child->NamespaceURI(), kTestNamespace);
}

TEST(MissingChildRule, PrefixedNameTakesNamespaceOfItsDeclaration) {
  auto root = LoadTestRoot(R"(<root xmlns="urn:test" xmlns:o="urn:other"/>)");
  IXMLNode created = root->ChildList()->NodeByName(u"o:extra");
  EXPECT_EQ(created->NodeName(), u"o:extra");
  EXPECT_EQ(created->NamespaceURI(), u"urn:other");
  // The lookup keeps to the parent's namespace, so the element in "urn:other" is not found again.
  EXPECT_EQ(root->ChildList()->FindNode(u"o:extra"), IXMLNode());
}

TEST(MissingChildRule, AttributeIsCreatedEmpty) {
  auto root = LoadTestRoot(R"(<root xmlns="urn:test"/>)");
  EXPECT_EQ(root->id(), u"");
  EXPECT_EQ(Xml(root), R"(<root xmlns="urn:test" id=""/>)");
  root->set_id(u"A1");
  EXPECT_EQ(root->id(), u"A1");
}

TEST(MissingChildRule, DocumentNodeCreatesOnlyWithoutDocumentElement) {
  auto root = LoadTestRoot(R"(<root xmlns="urn:test"/>)");
  IXMLNode documentNode = root->OwnerDocument().DocumentNode();
  EXPECT_THAT([&] { documentNode->ChildList()->NodeByName(u"nothing"); }, FailsWith("Node \"nothing\" not found"));
}

TEST(TextReading, ElementsThatDoNotHoldOneTextNodeFailAndStayUnchanged) {
  for (const char* content : {"<title><b/></title>", "<title>a<!--c--></title>", "<title><?pi x?></title>"}) {
    SCOPED_TRACE(content);
    std::string xml = std::string(R"(<root xmlns="urn:test">)") + content + "</root>";
    auto root = LoadTestRoot(xml);
    EXPECT_THAT([&] { root->title(); }, FailsWith("Element does not contain a single text node"));
    EXPECT_THAT([&] { root->set_title(u"x"); }, FailsWith("Element does not contain a single text node"));
    EXPECT_EQ(Xml(root), xml);
  }
}

TEST(TextReading, CDataReadsAndWritesInPlace) {
  auto root = LoadTestRoot(R"(<root xmlns="urn:test"><title><![CDATA[a < b & c]]></title></root>)");
  EXPECT_EQ(root->title(), u"a < b & c");
  root->set_title(u"novo");
  EXPECT_EQ(Xml(root), R"(<root xmlns="urn:test"><title><![CDATA[novo]]></title></root>)");
}

TEST(TextWriting, EmptyTextKeepsElementAndAccentsRoundTrip) {
  auto root = LoadTestRoot(R"(<root xmlns="urn:test"><title>x</title></root>)");
  root->set_title(u"");
  EXPECT_EQ(Xml(root), R"(<root xmlns="urn:test"><title></title></root>)");
  root->set_title(u"Açúcar & Cia — São Paulo");
  EXPECT_EQ(root->title(), u"Açúcar & Cia — São Paulo");
}

TEST(TextWriting, SetterOnMissingElementCreatesItAtTheEnd) {
  auto root = LoadTestRoot(R"(<root xmlns="urn:test"><a/></root>)");
  root->set_title(u"novo");
  EXPECT_EQ(Xml(root), R"(<root xmlns="urn:test"><a/><title>novo</title></root>)");
}

TEST(NameLookup, FirstOfTwoWinsAndForeignNamespaceIsNotFound) {
  auto root = LoadTestRoot(
      R"(<root xmlns="urn:test"><title xmlns="urn:x">foreign</title><title>first</title><title>second</title></root>)");
  EXPECT_EQ(root->title(), u"first");
  EXPECT_EQ(root->ChildList()->Count(), 3);

  auto other = LoadTestRoot(R"(<root xmlns="urn:test"><child xmlns="urn:x"><value>v</value></child></root>)");
  EXPECT_EQ(other->child()->value(), u"");
  EXPECT_EQ(Xml(other), R"(<root xmlns="urn:test"><child xmlns="urn:x"><value>v</value></child>)"
                        R"(<child><value></value></child></root>)");
}

TEST(NameLookup, UnderElementWithoutNamespaceChildrenMatchByNameAlone) {
  IXMLDocument document = NewDocument(u"");
  auto root = intf_cast<TTestRoot>(BindRoot<TTestRoot>(document, u"root", u""));
  IXMLNode foreign = root->ChildList()->NodeByName(u"title");
  EXPECT_EQ(foreign->NamespaceURI(), u"");
  EXPECT_EQ(Xml(root), "<root><title/></root>");
}

TEST(ChildLists, AreReusedUntilInvalidated) {
  auto root = LoadTestRoot(R"(<root xmlns="urn:test"><child><value>1</value></child></root>)");
  Ref<TTestChild> first = root->child();
  EXPECT_EQ(root->child(), first);
  EXPECT_EQ(root->ChildList(), root->ChildList());
  // A new registration rebuilds the list: the wrapper class changes, old handles stay usable.
  root->RegisterChildClass<TTestItem>(u"child");
  EXPECT_THAT([&] { root->child(); }, FailsWith("Interface not supported"));
  EXPECT_NO_THROW(intf_cast<TTestItem>(root->ChildList()->NodeByName(u"child")));
  EXPECT_EQ(first->value(), u"1");
}

TEST(WrapperClassChoice, FirstMatchingRegistrationWinsAndSameKeyReplaces) {
  auto root = LoadTestRoot(R"(<root xmlns="urn:test"><x/></root>)");
  root->RegisterChildClass<TTestChild>(u"x");
  root->RegisterChildClass<TTestItem>(u"x", u"URN:TEST");  // matches too, but comes later
  EXPECT_NO_THROW(intf_cast<TTestChild>(root->ChildList()->NodeAt(0)));
  root->RegisterChildClass<TTestBag>(u"x");  // same tag and namespace: replaces in place
  EXPECT_NO_THROW(intf_cast<TTestBag>(root->ChildList()->NodeAt(0)));
}

TEST(Attributes, WriteAttributeRebuildsTheAttributeList) {
  auto root = LoadTestRoot(R"(<root xmlns="urn:test" id="1"/>)");
  IXMLNodeList attributes = root->AttributeList();
  EXPECT_EQ(attributes->Count(), 2);
  root->WriteAttribute(u"extra", u"");
  EXPECT_EQ(attributes->Count(), 3);
  EXPECT_EQ(attributes->NodeByName(u"extra")->ReadText(), u"");
  root->set_id(u"2");
  EXPECT_EQ(root->id(), u"2");
}

TEST(Attributes, MissingAttributeJoinsTheListWithoutRebuildingIt) {
  auto root = LoadTestRoot(R"(<root xmlns="urn:test" id="1"/>)");
  IXMLNodeList attributes = root->AttributeList();
  IXMLNode id = attributes->NodeByName(u"id");
  IXMLNode created = attributes->NodeByName(u"zz");
  EXPECT_EQ(attributes->Count(), 3);
  EXPECT_EQ(attributes->NodeByName(u"id"), id);
  EXPECT_EQ(attributes->NodeByName(u"zz"), created);
}

TEST(Errors, ListIndexMessagesCarryTheIndex) {
  auto root = LoadTestRoot(R"(<root xmlns="urn:test"><a/></root>)");
  EXPECT_THAT([&] { root->ChildList()->NodeAt(1); }, FailsWith("List index out of bounds (1)"));
  EXPECT_THAT([&] { root->ChildList()->NodeAt(-1); }, FailsWith("List index out of bounds (-1)"));
  EXPECT_THROW(root->ChildList()->NodeAt(5), EListError);
}

TEST(RootBinding, NamespaceComparedIgnoringCaseButRequired) {
  EXPECT_NO_THROW(LoadTestRoot(R"(<root xmlns="URN:Test"/>)"));
  EXPECT_THAT([] { LoadTestRoot("<root/>"); }, FailsWith("Interface not supported"));
  EXPECT_THAT([] { LoadTestRoot(R"(<wrapper xmlns="urn:test"><root/></wrapper>)"); },
              FailsWith("Interface not supported"));
  EXPECT_THROW(LoadTestRoot("<root/>"), EIntfCastError);
}

TEST(RootBinding, NewDocumentGetsDeclarationAndDeclaredRoot) {
  IXMLDocument document = NewDocument(u"1.0");
  IXMLNode root = BindRoot<TTestRoot>(document, u"root", kTestNamespace);
  IXMLNodeList top = document->DocumentNode()->ChildList();
  ASSERT_EQ(top->Count(), 2);
  EXPECT_EQ(top->NodeAt(0)->NodeType(), TNodeType::ntProcessingInstr);
  EXPECT_EQ(top->NodeAt(0)->NodeName(), u"xml");
  EXPECT_EQ(top->NodeAt(0)->ReadText(), u"version=\"1.0\"");
  EXPECT_EQ(Xml(root), R"(<root xmlns="urn:test"/>)");
  EXPECT_TRUE(root->IsDocumentElement());
  EXPECT_NO_THROW(intf_cast<TTestRoot>(root));
}

TEST(RootBinding, RebindingReplacesTheClassAndRebuildsTheDocumentNode) {
  IXMLDocument document = NewDocument(u"1.0");
  IXMLNode first = BindRoot<TTestChild>(document, u"root", kTestNamespace);
  IXMLNode documentNode = document->DocumentNode();
  IXMLNode second = BindRoot<TTestRoot>(document, u"root", kTestNamespace);
  EXPECT_NO_THROW(intf_cast<TTestRoot>(second));
  EXPECT_NE(document->DocumentNode(), documentNode);
  EXPECT_NO_THROW(intf_cast<TTestChild>(first)) << "the old wrapper stays usable";
  // The document node's registrations are the root registrations: they outlive its wrapper.
  document->DocumentNode()->RegisterChildClass<TTestBag>(u"root", kTestNamespace);
  EXPECT_NO_THROW(intf_cast<TTestBag>(BindRoot<TTestRoot>(document, u"other", u"")));
}

TEST(RootBinding, EmptyFileNameGivesNewDocumentWithoutDeclaration) {
  IXMLDocument document = LoadDocumentFile(std::u16string());
  EXPECT_FALSE(document->Active());
  IXMLNode root = BindRoot<TTestRoot>(document, u"root", kTestNamespace);
  EXPECT_TRUE(document->Active());
  EXPECT_EQ(document->DocumentNode()->ChildList()->Count(), 1);
  EXPECT_EQ(Xml(root), R"(<root xmlns="urn:test"/>)");
}

TEST(RootBinding, LoadedDeclarationIsTheFirstChildOfTheDocumentNode) {
  auto root = LoadTestRoot("\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<root xmlns=\"urn:test\"/>");
  IXMLNodeList top = root->OwnerDocument().DocumentNode()->ChildList();
  ASSERT_EQ(top->Count(), 2);
  EXPECT_EQ(top->NodeAt(0)->ReadText(), u"version=\"1.0\" encoding=\"UTF-8\"");
}

TEST(Lifetime, AnyHandleKeepsTheWholeDocumentAlive) {
  Ref<TTestChild> child;
  IXMLNodeList list;
  {
    auto root = LoadTestRoot(R"(<root xmlns="urn:test"><child><value>kept</value></child></root>)");
    child = root->child();
    list = root->ChildList();
  }
  EXPECT_EQ(child->value(), u"kept");
  EXPECT_EQ(list->Count(), 1);
  Ref<TTestItemList> items;
  {
    auto root = LoadTestRoot(R"(<root xmlns="urn:test"><item/></root>)");
    items = root->item();
  }
  EXPECT_EQ(items->ItemCount(), 1);
}

TEST(Lifetime, RemovedItemStaysUsableWhileHeld) {
  auto root = LoadTestRoot(R"(<root xmlns="urn:test"><item><name>a</name></item></root>)");
  Ref<TTestItem> item = root->item()->Item(0);
  root->item()->DeleteItem(0);
  EXPECT_EQ(item->name(), u"a");
  EXPECT_EQ(root->item()->ItemCount(), 0);
}

}  // namespace
