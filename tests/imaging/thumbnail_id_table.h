#pragma once

// The IFD1 ids and the thumbnail ids they are listed under, typed from the imaging contract
// for the tests to check the reader against.

#include <array>
#include <cstdint>

namespace veltra::imaging::test {

struct ThumbnailIdPair {
    std::uint32_t ifd1Tag;
    std::uint32_t listedId;
};

inline constexpr std::array<ThumbnailIdPair, 28> kThumbnailIdPairs{{
    {0x0100, 0x5020}, {0x0101, 0x5021}, {0x0102, 0x5022}, {0x0103, 0x5023},
    {0x0106, 0x5024}, {0x010E, 0x5025}, {0x010F, 0x5026}, {0x0110, 0x5027},
    {0x0111, 0x5028}, {0x0112, 0x5029}, {0x0115, 0x502A}, {0x0116, 0x502B},
    {0x0117, 0x502C}, {0x011A, 0x502D}, {0x011B, 0x502E}, {0x011C, 0x502F},
    {0x0128, 0x5030}, {0x012D, 0x5031}, {0x0131, 0x5032}, {0x0132, 0x5033},
    {0x013B, 0x5034}, {0x013E, 0x5035}, {0x013F, 0x5036}, {0x0211, 0x5037},
    {0x0212, 0x5038}, {0x0213, 0x5039}, {0x0214, 0x503A}, {0x8298, 0x503B},
}};

inline std::uint32_t ListedThumbnailId(std::uint32_t ifd1Tag)
{
    for (const ThumbnailIdPair& pair : kThumbnailIdPairs) {
        if (pair.ifd1Tag == ifd1Tag)
            return pair.listedId;
    }
    return ifd1Tag;
}

}  // namespace veltra::imaging::test
