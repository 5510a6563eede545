// Process entry: runs the one application object's start-up and ends.
#include "WinApp.h"

// There is no message loop here: the application's modal dialogs run their own, and its
// start-up returns false when they are done.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    CWinApp* app = AfxGetApp();
    if (!app)
        return 0;
    app->InitInstance();
    return app->ExitInstance();
}
