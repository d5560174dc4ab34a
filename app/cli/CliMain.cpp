// veltracdrip-cli: the console ripper.
#include "ConsoleRipper.h"

int main(int argc, char** argv)
{
    return RunConsoleRipper(argc, argv);
}
