#include "info/load_failure_text.h"

namespace veltra::info {
namespace {

using imaging::LoadFailureReason;

// In the order of the reasons.
constexpr LoadFailureText kLoadFailureTexts[]{
    {LoadFailureReason::None, "", "", ""},
    {LoadFailureReason::NotFound, "not_found", "no such file", "文件不存在"},
    {LoadFailureReason::AccessDenied, "access_denied", "permission denied", "没有读取权限"},
    {LoadFailureReason::NotRegularFile, "not_regular_file", "not a regular file",
     "不是普通文件"},
    {LoadFailureReason::ReadError, "read_error", "the file could not be read", "文件无法读取"},
    {LoadFailureReason::FileTooLarge, "file_too_large", "larger than any picture accepted",
     "文件大于可接受的任何图片"},
    {LoadFailureReason::Empty, "empty", "the file is empty", "文件为空"},
    {LoadFailureReason::NoDecoder, "no_decoder", "no decoder for this content",
     "没有能读取此内容的解码器"},
    {LoadFailureReason::DamagedHeader, "truncated_header", "truncated or damaged header",
     "文件头被截断或已损坏"},
    {LoadFailureReason::NotDecodable, "not_decodable", "this format is recognised but not decoded",
     "此格式可以识别但不能解码"},
    {LoadFailureReason::SequenceOnly, "sequence_only",
     "an image sequence without a still picture", "只有图像序列，没有静态图片"},
    {LoadFailureReason::CodecUnavailable, "codec_unavailable",
     "the decoder library cannot be opened", "无法打开解码库"},
    {LoadFailureReason::OverPixelBudget, "over_pixel_budget",
     "the picture is larger than the pixel budget", "图片超出像素预算"},
    {LoadFailureReason::TooLittleData, "too_little_data",
     "the data cannot hold the picture its header declares", "数据量不足以容纳文件头声明的图片"},
    {LoadFailureReason::PixelsUndecodable, "pixels_undecodable",
     "the pixels cannot be decoded", "像素无法解码"},
    {LoadFailureReason::OutOfMemory, "out_of_memory", "out of memory", "内存不足"},
};

}  // namespace

const LoadFailureText& LoadFailureTextOf(LoadFailureReason reason)
{
    for (const LoadFailureText& row : kLoadFailureTexts) {
        if (row.reason == reason)
            return row;
    }
    return kLoadFailureTexts[0];
}

}  // namespace veltra::info
