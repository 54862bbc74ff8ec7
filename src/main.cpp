#include "app/ReadoutApp.h"
#include "framework/QtCompat.h"

int main(int argc, char** argv)
{
    fw::PrepareHighDpiScaling();
    CReadoutApp app(argc, argv);
    if (!app.InitInstance())
        return 1;
    app.exec();
    return app.ExitInstance();
}
