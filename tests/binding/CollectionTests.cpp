#include <gtest/gtest.h>

#include "TestModel.h"

namespace {

std::vector<std::u16string> Names(const Ref<TTestItemList>& items) {
  std::vector<std::u16string> names;
  for (auto item : *items) names.push_back(item->name());
  return names;
}

TEST(ListClass, AppendsAfterHostsLastChildAndInsertsCountAllChildren) {
  auto root = LoadTestRoot(R"(<root xmlns="urn:test"><title>t</title><note>n</note></root>)");
  Ref<TTestItemList> items = root->item();
  EXPECT_EQ(items, root->item()) << "the same list object every time";
  EXPECT_EQ(items->ItemCount(), 0);

  items->Add()->set_name(u"b");
  items->Insert(0)->set_name(u"a");   // before "title", which is no item
  items->Insert(3)->set_name(u"ab");  // between "note" and "b"
  items->Add()->set_name(u"c");
  EXPECT_EQ(Names(items), (std::vector<std::u16string>{u"a", u"ab", u"b", u"c"}));
  EXPECT_EQ(Xml(root), R"(<root xmlns="urn:test"><item><name>a</name></item><title>t</title><note>n</note>)"
                       R"(<item><name>ab</name></item><item><name>b</name></item><item><name>c</name></item></root>)");
}

TEST(ListClass, SequenceFollowsDocumentOrderWhenBuiltFromFile) {
  auto root = LoadTestRoot(R"(<root xmlns="urn:test">
      <item><name>1</name></item><title/><item><name>2</name></item>
      <item xmlns="urn:x"><name>foreign wrapper</name></item><t:item xmlns:t="urn:test"><t:name>3</t:name></t:item>
    </root>)");
  // The foreign-namespace "item" is wrapped as a plain node, so it is no item.
  EXPECT_EQ(Names(root->item()), (std::vector<std::u16string>{u"1", u"2", u"3"}));
}

TEST(ListClass, RemovalKeepsOtherChildren) {
  auto root = LoadTestRoot(
      R"(<root xmlns="urn:test"><item><name>1</name></item><title/><item><name>2</name></item><item><name>3</name></item></root>)");
  Ref<TTestItemList> items = root->item();
  EXPECT_EQ(items->RemoveItem(items->Item(1)), 1);
  EXPECT_EQ(Names(items), (std::vector<std::u16string>{u"1", u"3"}));
  items->DeleteItem(0);
  EXPECT_EQ(Names(items), (std::vector<std::u16string>{u"3"}));
  items->ClearItems();
  EXPECT_EQ(items->ItemCount(), 0);
  EXPECT_EQ(Xml(root), R"(<root xmlns="urn:test"><title/></root>)");
}

TEST(ListClass, IndexErrorsAndRejectedPositionsChangeNothing) {
  auto root = LoadTestRoot(R"(<root xmlns="urn:test"><item/></root>)");
  Ref<TTestItemList> items = root->item();
  EXPECT_THAT([&] { items->Item(items->ItemCount()); }, FailsWith<EListError>("List index out of bounds (1)"));
  EXPECT_THROW(items->Insert(2), EListError);
  EXPECT_THROW(items->Insert(-2), EListError);
  EXPECT_EQ(root->ChildList()->Count(), 1);
}

TEST(TextList, EmptyItemFailsConversionAndTextReadsBack) {
  auto root = LoadTestRoot(R"(<root xmlns="urn:test"><note/><note>0042</note></root>)");
  Ref<TXMLTextList> notes = root->note();
  EXPECT_THAT([&] { notes->Item(0); },
              FailsWith<EVariantTypeCastError>("Could not convert variant of type (Null) into type (OleStr)"));
  EXPECT_EQ(notes->Item(1), u"0042");
  IXMLNode added = notes->Add(u"novo");
  EXPECT_EQ(added->ReadText(), u"novo");
  notes->Insert(0, u"primeiro");
  EXPECT_EQ(notes->Item(0), u"primeiro");
  EXPECT_EQ(notes->ItemCount(), 4);
}

TEST(CollectionElement, ItemsAreItsOwnChildren) {
  auto root = LoadTestRoot(R"(<root xmlns="urn:test"><bag><entry><name>x</name></entry><other/></bag></root>)");
  Ref<TTestBag> bag = root->bag();
  EXPECT_EQ(bag->ItemCount(), 1);
  EXPECT_EQ(bag->entry(0)->name(), u"x");
  bag->Add()->set_name(u"y");
  EXPECT_EQ(bag->ItemCount(), 2);
  EXPECT_EQ(Xml(bag),
            R"(<bag xmlns="urn:test"><entry><name>x</name></entry><other/><entry><name>y</name></entry></bag>)");
}

class TUntaggedList : public TXMLNodeCollection {
 public:
  explicit TUntaggedList(const NodeInit& init) : TXMLNodeCollection(init) {}
};

TEST(NewItem, EmptyItemTagIsRefused) {
  IXMLDocument document = NewDocument(u"1.0");
  auto list = intf_cast<TUntaggedList>(BindRoot<TUntaggedList>(document, u"list", kTestNamespace));
  EXPECT_THAT([&] { list->NewItem(-1); }, FailsWith<EXMLDocError>("ItemTag property is not initialized"));
}

TEST(NewItem, TakesPrefixOfDeclarationInScopeOrDeclaresItsNamespace) {
  auto prefixed = LoadTestRoot(R"(<t:root xmlns:t="URN:TEST"/>)");
  prefixed->item()->Add();
  EXPECT_EQ(Xml(prefixed), R"(<t:root xmlns:t="URN:TEST"><t:item/></t:root>)");

  auto plain = LoadTestRoot(R"(<root xmlns="urn:test"/>)");
  plain->item()->Add();
  EXPECT_EQ(Xml(plain), R"(<root xmlns="urn:test"><item/></root>)");

  // No declaration in scope: the new item declares the namespace itself.
  IXMLDocument document = NewDocument(u"");
  auto undeclared = intf_cast<TTestRoot>(BindRoot<TTestRoot>(document, u"root", kTestNamespace));
  undeclared->WriteAttribute(u"xmlns", u"urn:changed");
  undeclared->item()->Add();
  EXPECT_EQ(undeclared->item()->ItemCount(), 1);
  EXPECT_NE(Xml(undeclared).find(R"(<item xmlns="urn:test"/>)"), std::string::npos) << Xml(undeclared);
}

}  // namespace
