#include "AllocatorHook.h"
#include "BASE_PtrList.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<int> gDeleted;

struct Tracked
{
  explicit Tracked(int id) : mId(id) {}
  ~Tracked() { gDeleted.push_back(mId); }
  int mId;
};

std::vector<int> gPassed;
void PassToFunction(Tracked* p)
{
  gPassed.push_back(p->mId);
  delete p;
}

} // namespace

TEST(BASE_PtrList, DeleteAndEmptyRemoveEntriesAndDeleteOnlyWhenAskedLastToFirst)
{
  gDeleted.clear();
  gPassed.clear();
  BASE_PtrList<Tracked> list;
  for (int i = 0; i < 5; ++i) {
    list.Add(new Tracked(i));
  }
  Tracked* kept = list.Get(1);
  list.Delete(1);
  EXPECT_TRUE(gDeleted.empty());
  delete kept;
  gDeleted.clear();

  list.Delete(0, true);
  EXPECT_EQ(std::vector<int>({ 0 }), gDeleted);
  list.Delete(1, true, PassToFunction);  // now the entry holding 3
  EXPECT_EQ(std::vector<int>({ 3 }), gPassed);
  list.Delete(7, true);
  list.Delete(-1, true);
  ASSERT_EQ(2, list.GetSize());
  EXPECT_EQ(2, list.Get(0)->mId);
  EXPECT_EQ(4, list.Get(1)->mId);

  // Empty deletes from last to first and leaves the list usable
  gDeleted.clear();
  for (int i = 5; i < 1000; ++i) {
    list.Add(new Tracked(i));
  }
  list.Empty(true);
  ASSERT_EQ(997u, gDeleted.size());
  for (int i = 0; i < 995; ++i) {
    EXPECT_EQ(999 - i, gDeleted[i]);
  }
  EXPECT_EQ(4, gDeleted[995]);
  EXPECT_EQ(2, gDeleted[996]);
  EXPECT_EQ(0, list.GetSize());
  EXPECT_EQ(nullptr, list.Get(0));

  gPassed.clear();
  list.Add(new Tracked(10));
  list.Add(new Tracked(11));
  list.Empty(true, PassToFunction);
  EXPECT_EQ(std::vector<int>({ 11, 10 }), gPassed);
}

TEST(BASE_PtrList, InsertPlacesBeforeAnIndexFindGivesPositionsAndGetOutsideGivesNull)
{
  Tracked a(1), b(2), c(3), d(4);
  BASE_PtrList<Tracked> list;
  EXPECT_EQ(nullptr, list.Get(0));
  list.Insert(5, &b);   // past the end: appended
  list.Insert(0, &a);
  list.Insert(-3, &d);  // before the start: prepended
  list.Insert(2, &c);
  ASSERT_EQ(4, list.GetSize());
  EXPECT_EQ(&d, list.Get(0));
  EXPECT_EQ(&a, list.Get(1));
  EXPECT_EQ(&c, list.Get(2));
  EXPECT_EQ(&b, list.Get(3));
  EXPECT_EQ(nullptr, list.Get(4));
  EXPECT_EQ(nullptr, list.Get(-1));
  EXPECT_EQ(2, list.Find(&c));
  list.Delete(2);
  EXPECT_EQ(-1, list.Find(&c));
  EXPECT_EQ(2, list.Find(&b));
  list.Empty();
}

TEST(BASE_PtrList, AddThatCannotGrowReturnsNullAndKeepsTheList)
{
  Tracked a(1);
  BASE_PtrList<Tracked> fresh;
  {
    AllocatorHook hook(true, true);
    EXPECT_EQ(nullptr, fresh.Add(&a));
  }
  EXPECT_EQ(0, fresh.GetSize());
  EXPECT_EQ(&a, fresh.Add(&a));
  fresh.Empty();
}
