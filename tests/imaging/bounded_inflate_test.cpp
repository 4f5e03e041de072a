// The zlib guard that compressed PNG metadata goes through: complete streams come back whole,
// anything damaged or larger than the limit comes back as nothing.

#include "util/bounded_inflate.h"

#include <gtest/gtest.h>

namespace veltra::imaging {
namespace {

const QByteArray kThousandBytes(1000, 'a');
const QByteArray kStream = qCompress(kThousandBytes).mid(4);  // without qCompress's size field

TEST(BoundedInflate, StreamOfExactlyTheLimitIsReturned)
{
    EXPECT_EQ(InflateZlib(kStream, 1000), kThousandBytes);
}

TEST(BoundedInflate, StreamLargerThanTheLimitIsRefused)
{
    EXPECT_EQ(InflateZlib(kStream, 999), std::nullopt);
}

class DamagedStream : public ::testing::TestWithParam<QByteArray> {};

TEST_P(DamagedStream, IsRefused)
{
    EXPECT_EQ(InflateZlib(GetParam()), std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(Streams, DamagedStream,
                         ::testing::Values(QByteArray(), kStream.chopped(5), QByteArray("not zlib"),
                                           kStream.first(2)));

}  // namespace
}  // namespace veltra::imaging
