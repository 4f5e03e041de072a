// Veltra: shows what an image file really is.

#include "app/chinese_conventions.h"
#include "app/dialog_prompts.h"
#include "app/veltra_app.h"
#include "app/veltra_application.h"
#include "imaging/logging.h"

int main(int argc, char* argv[])
{
    veltra::imaging::RouteLibraryMessagesToLog();
    veltra::UseChineseConventions();
    veltra::VeltraApplication application(argc, argv);
    veltra::DialogPrompts prompts;
    application.SetOutOfMemoryHandler(
        [&prompts] { prompts.ShowFrameworkMessage(veltra::OutOfMemoryMessage()); });
    veltra::CVeltraApp theApp(prompts);
    // Qt has taken its own options out of the arguments already.
    return theApp.Run(QCoreApplication::arguments().mid(1));
}
