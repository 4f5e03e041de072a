// The zlib guard that compressed PNG metadata goes through: complete streams come back whole,
// anything damaged or larger than the limit or the file's inflation budget comes back as
// nothing, and every byte inflated is spent from that budget, kept or not.

#include "util/bounded_inflate.h"

#include <gtest/gtest.h>

namespace veltra::imaging {
namespace {

const QByteArray kThousandBytes(1000, 'a');
const QByteArray kStream = qCompress(kThousandBytes).mid(4);  // without qCompress's size field

TEST(BoundedInflate, StreamOfExactlyTheLimitIsReturnedAndOneByteMoreRefused)
{
    InflationBudget budget;
    EXPECT_EQ(InflateZlib(kStream, 1000, budget), kThousandBytes);
    EXPECT_EQ(InflateZlib(kStream, 999, budget), std::nullopt);
}

// The budget is spent by what was inflated, whether the value came back or not: a stream
// refused one byte short of its end still took 999 bytes, and nothing is inflated after that.
TEST(BoundedInflate, EveryInflatedByteIsSpentFromTheBudget)
{
    InflationBudget budget(1999);
    EXPECT_EQ(InflateZlib(kStream, 5000, budget), kThousandBytes);
    EXPECT_EQ(budget.remaining(), 999);
    EXPECT_EQ(InflateZlib(kStream, 5000, budget), std::nullopt);
    EXPECT_EQ(budget.remaining(), 0);
    EXPECT_EQ(InflateZlib(qCompress(QByteArray("a")).mid(4), 5000, budget), std::nullopt);
    EXPECT_EQ(InflateZlib(QByteArray::fromHex("789c030000000001"), 5000, budget), QByteArray());
}

class DamagedStream : public ::testing::TestWithParam<QByteArray> {};

TEST_P(DamagedStream, IsRefused)
{
    InflationBudget budget;
    EXPECT_EQ(InflateZlib(GetParam(), 5000, budget), std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(Streams, DamagedStream,
                         ::testing::Values(QByteArray(), kStream.chopped(5), QByteArray("not zlib"),
                                           kStream.first(2)));

}  // namespace
}  // namespace veltra::imaging
