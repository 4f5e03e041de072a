#pragma once

// What a failed load says to its reader: a short key for scripts and a sentence in English and
// in Chinese, one row per reason.

#include "imaging/load_failure.h"

namespace veltra::info {

struct LoadFailureText {
    imaging::LoadFailureReason reason;
    const char* key;      // for JSON: "truncated_header"
    const char* english;  // "truncated or damaged header"
    const char* chinese;  // "文件头被截断或已损坏"
};

// The row of that reason.
const LoadFailureText& LoadFailureTextOf(imaging::LoadFailureReason reason);

}  // namespace veltra::info
