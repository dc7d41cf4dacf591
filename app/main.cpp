#include "korvo_processmemory.h"
#include "korvo_singleapplication.h"
#include "lumetra2startup.h"

int main(int argc, char *argv[])
{
    Korvo_ProcessMemory::returnLargeBlocksToTheSystem();
    Lumetra2Startup::chooseGraphicsIntegration();
    Korvo_SingleApplication application(argc, argv, QLatin1String(Lumetra2Startup::ApplicationId));
    return Lumetra2Startup(application).run();
}
