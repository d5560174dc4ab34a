// VeltraCDRip: the audio-CD ripper's window program.
#include "CommandLine.h"
#include "VeltraCDRipApp.h"

int main(int argc, char** argv)
{
    if (const int answered = AnswerCommandLine(argc, argv, stdout); answered >= 0) return answered;
    CVeltraCDRipApp app(argc, argv);
    return app.InitInstance();
}
