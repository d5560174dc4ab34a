// VeltraCDRip: the audio-CD ripper's window program.
#include "VeltraCDRipApp.h"

int main(int argc, char** argv)
{
    CVeltraCDRipApp app(argc, argv);
    return app.InitInstance();
}
