#pragma once

// The service's own thread: it decodes each picture ahead, right after its load, together with
// the shrunk copies a window shows it from, so that the first paint finds them ready.

#include <memory>

namespace veltra::imaging {

class PictureContent;

// Off until the service is started with its background thread.
void EnableDecodeAhead(bool enabled);

// Queues the content; a content let go before its turn comes is skipped.
void DecodeAhead(const std::shared_ptr<PictureContent>& content);

}  // namespace veltra::imaging
