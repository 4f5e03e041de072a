#pragma once

// The service's own thread: it decodes each picture ahead, right after its load, together with
// the shrunk copies a window shows it from, so that the first paint finds them ready; then the
// files a window will likely open next, as copies the size it would show them.

#include <QSize>
#include <QStringList>

#include <functional>
#include <memory>

namespace veltra::imaging {

class PictureContent;

// Off until the service is started with its background thread. A setting of the service's own
// half (load.cpp), which starts the service; the thread is the pixels' half's.
void EnableDecodeAhead(bool enabled);
bool DecodesAhead();

// Queues the content; a content let go before its turn comes is skipped.
void DecodeAhead(const std::shared_ptr<PictureContent>& content);

// Lets go of the content on the thread, when the thread runs: giving back a photo's memory
// costs a window a few milliseconds it would rather spend showing the next one.
void ReleaseAhead(std::shared_ptr<PictureContent> content);

// Queues copies of these files for a view of that size, after every picture queued; replaces
// the files queued before and lets go of the copies of every other file.
void DecodeFilesAhead(const QStringList& paths, QSize view);

// Called on the service's thread each time a picture that was drawn from its stand-in has its
// pixels, so that what showed it can draw it again.
void SetReadyHandler(std::function<void()> handler);

// Returns once the thread has nothing left to do.
void WaitUntilDecodedAhead();

}  // namespace veltra::imaging
