#include "EncoderTest.h"

#include "platform/ModulePath.h"

#include <cstdlib>
#include <sstream>
#include <unistd.h>

namespace enctest
{

std::string FindProgram(const std::string& name)
{
    std::stringstream path(std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin:/bin");
    for (std::string dir; std::getline(path, dir, ':');)
        if (access((dir + "/" + name).c_str(), X_OK) == 0) return dir + "/" + name;
    return {};
}

std::string TestBinDir()
{
    return plat::GetProgramFolder();
}

StreamHandle OpenStream(int type, const std::string& folder, const std::string& name)
{
    StreamHandle h = xtGetEncoder(type);
    EXPECT_NE(h, 0);
    EXPECT_EQ(xtSetAsciiOption(h, OUTPUT_DIR, folder.c_str()), 1);
    EXPECT_EQ(xtSetAsciiOption(h, FILE_NAME, name.c_str()), 1);
    return h;
}

} // namespace enctest
