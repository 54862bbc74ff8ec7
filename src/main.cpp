#include "app/ReadoutApp.h"

int main(int argc, char** argv)
{
    CReadoutApp app(argc, argv);
    if (!app.InitInstance())
        return 1;
    app.exec();
    return app.ExitInstance();
}
