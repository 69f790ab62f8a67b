#include "TestPlug.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A spread of in-range values, none of them the defaults.
void SetDistinctValues(TestPlug& plug)
{
  for (int i = 0; i < plug.NParams(); ++i) {
    IParam* p = plug.GetParam(i);
    p->Set(p->GetMin() + (p->GetMax() - p->GetMin()) * (i + 1) / 17.0);
  }
}

} // namespace

TEST(SerializeParams, FreshStateIs120LittleEndianBytesOfTheValues)
{
  TestPlug plug;
  ByteChunk chunk;
  ASSERT_TRUE(plug.SerializeParams(&chunk));
  ASSERT_EQ(120, chunk.Size());
  for (int i = 0; i < 15; ++i) {
    double v;
    EXPECT_EQ(8 * (i + 1), chunk.Get(&v, 8 * i));
    EXPECT_EQ(plug.GetParam(i)->Value(), v);
  }

  // Appends to what the chunk already holds.
  ASSERT_TRUE(plug.SerializeParams(&chunk));
  EXPECT_EQ(240, chunk.Size());
  EXPECT_FALSE(plug.SerializeParams(nullptr));
}

TEST(SerializeParams, RestoreReproducesEveryValueExactlyAndCallsEveryChange)
{
  TestPlug source;
  SetDistinctValues(source);
  source.GetParam(kMidFreq)->Set(1234.5678901234567);
  ByteChunk chunk;
  ASSERT_TRUE(source.SerializeParams(&chunk));

  TestPlug target;
  EXPECT_EQ(120, target.UnserializeParams(&chunk, 0));
  EXPECT_EQ(source.Values(), target.Values());
  ASSERT_EQ(15u, target.mParamChanges.size());
  for (int i = 0; i < 15; ++i) {
    EXPECT_EQ(i, target.mParamChanges[i]);
  }
  EXPECT_TRUE(target.mLockHeldInParamChange);
  EXPECT_FALSE(target.GetMutex().IsOwnedByCaller());

  // Read from a later position, with surplus bytes after the state.
  ByteChunk framed;
  framed.Put(77);
  framed.PutChunk(&chunk);
  framed.PutStr("tail");
  TestPlug other;
  EXPECT_EQ(124, other.UnserializeParams(&framed, 4));
  EXPECT_EQ(source.Values(), other.Values());
}

TEST(SerializeParams, RestoredValuesAreLimitedToTheirRanges)
{
  ByteChunk chunk;
  for (int i = 0; i < 15; ++i) {
    chunk.Put(i % 2 ? 1e6 : -1e6);
  }
  TestPlug plug;
  EXPECT_EQ(120, plug.UnserializeParams(&chunk, 0));
  for (int i = 0; i < 15; ++i) {
    IParam* p = plug.GetParam(i);
    EXPECT_EQ(i % 2 ? p->GetMax() : p->GetMin(), p->Value()) << i;
  }

  // Values between steps are not rounded.
  ByteChunk between;
  between.Put(2.5);
  TestPlug one;
  one.UnserializeParams(&between, 0);
  EXPECT_EQ(2.5, one.GetParam(kLowFreq)->Value());
}

TEST(SerializeParams, EveryTruncationOfAStateSetsTheLeadingValuesAndKeepsTheRest)
{
  // Fault: the parameter at which the data ran out was set to 0.0 limited to its range.
  TestPlug source;
  SetDistinctValues(source);
  ByteChunk full;
  source.SerializeParams(&full);
  const std::vector<double> defaults = TestPlug().Values();

  for (int length = 0; length < 120; ++length) {
    ByteChunk truncated;
    truncated.PutBytes(full.GetBytes(), length);
    TestPlug plug;
    EXPECT_EQ(-1, plug.UnserializeParams(&truncated, 0)) << length;
    int complete = length / 8;
    for (int i = 0; i < 15; ++i) {
      double expected = i < complete ? source.Values()[i] : defaults[i];
      EXPECT_EQ(expected, plug.GetParam(i)->Value()) << "length " << length << " param " << i;
    }
    EXPECT_EQ(15u, plug.mParamChanges.size()) << length;
  }
}

TEST(SerializeParams, LongerStatesIgnoreTheSurplusAndStateDefaultsToTheParameters)
{
  TestPlug source;
  SetDistinctValues(source);
  ByteChunk full;
  source.SerializeParams(&full);
  for (int extra = 1; extra <= 9; ++extra) {
    ByteChunk longer;
    longer.PutChunk(&full);
    longer.Resize(120 + extra);
    TestPlug plug;
    EXPECT_EQ(120, plug.UnserializeParams(&longer, 0));
    EXPECT_EQ(source.Values(), plug.Values());
  }
  TestPlug plug;
  EXPECT_GT(0, plug.UnserializeParams(&full, -4));
  EXPECT_EQ(-1, plug.UnserializeParams(nullptr, 0));

  // The state operations default to the parameters.
  ByteChunk state;
  ASSERT_TRUE(source.SerializeState(&state));
  EXPECT_TRUE(state.IsEqual(full));
  EXPECT_EQ(120, plug.UnserializeState(&state, 0));
  EXPECT_EQ(source.Values(), plug.Values());
}
