#pragma once

namespace veltra::imaging {

// Sends the messages of the codec libraries that write to standard error on their own (libtiff
// warns about every odd tag) to the libraries logging category instead. Once per process.
void QuietCodecLibraries();

}  // namespace veltra::imaging
