#pragma once

namespace veltra {

// The interface is Chinese whatever the user's locale, and so are the dates, sizes and
// numbers that Qt's own dialogs write (the file dialogs' columns among them). Qt takes those
// conventions from the process environment when the application object is made, so this runs
// before it; the dialogs' texts come from the Chinese translation installed at start-up.
void UseChineseConventions();

}  // namespace veltra
