#include "platform/DebugTrace.h"
#include "platform/DynamicLibrary.h"
#include "platform/Folders.h"
#include "platform/LastError.h"
#include "platform/MemoryStatus.h"
#include "platform/ModulePath.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

using namespace plat;
using testsupport::DebugCapture;
using testsupport::TempDir;

TEST(DebugTrace, FormatsOneLineCutTo511Characters)
{
    DebugCapture capture;
    DebugTrace("Set lastAudioFrame to %d", 1234);
    DebugTrace("%s", std::string(600, 'x').c_str());
    auto lines = capture.lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "Set lastAudioFrame to 1234");
    EXPECT_EQ(lines[1], std::string(511, 'x'));
}

TEST(LastError, IsPerThread)
{
    SetLastError(87);
    EXPECT_EQ(GetLastError(), 87u);
}

TEST(ModulePath, ProgramFolderIsThePathCutAtItsLastSeparator)
{
    const std::string path = GetProgramPath();
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(GetProgramFolder() + "/" + path.substr(path.rfind('/') + 1), path);
    EXPECT_EQ(FolderOf("/a/b/c"), "/a/b");
    EXPECT_EQ(FolderOf("/a"), "/");
    EXPECT_EQ(FolderOf("name"), "");
    // The platform code is linked into this test program.
    EXPECT_EQ(GetOwnModuleFolder(), GetProgramFolder());
}

TEST(DynamicLibrary, DllNamesMapToSharedObjectsFoundBesideTheModule)
{
    EXPECT_EQ(PlatformLibraryName("lame_enc.dll"), "liblame_enc.so");
    EXPECT_EQ(PlatformLibraryName("Probe.DLL"), "libProbe.so");
    EXPECT_EQ(PlatformLibraryName("/x/y.dll"), "/x/y.dll");

    ModuleHandle probe = LoadLibrary("Probe.dll");
    ASSERT_NE(probe, nullptr);
    auto answer = reinterpret_cast<int (*)()>(GetProcAddress(probe, "ProbeAnswer"));
    ASSERT_NE(answer, nullptr);
    EXPECT_EQ(answer(), 42);
    EXPECT_EQ(GetProcAddress(probe, "NoSuchEntry"), nullptr);
    EXPECT_EQ(GetLastError(), kErrorProcNotFound);
    EXPECT_TRUE(FreeLibrary(probe));

    EXPECT_EQ(LoadLibrary("NoSuchLibrary.dll"), nullptr);
    EXPECT_EQ(GetLastError(), kErrorModNotFound);
}

TEST(Folders, ExistenceTestLeavesTheCurrentFolderAlone)
{
    TempDir dir;
    const std::string before = GetCurrentDirectory();
    EXPECT_TRUE(CanEnterDirectory(dir.path().c_str()));
    EXPECT_FALSE(CanEnterDirectory((dir / "missing").c_str()));
    testsupport::WriteFile(dir / "file", "x");
    EXPECT_FALSE(CanEnterDirectory((dir / "file").c_str()));
    EXPECT_EQ(GetCurrentDirectory(), before);

    EXPECT_TRUE(CreateDirectory((dir / "one").c_str()));
    EXPECT_FALSE(CreateDirectory((dir / "one").c_str()));
    EXPECT_EQ(GetLastError(), kErrorAlreadyExists);
    EXPECT_FALSE(CreateDirectory((dir / "a/b").c_str())); // one level only
    if (geteuid() != 0) {
        chmod((dir / "one").c_str(), 0600);
        EXPECT_FALSE(CanEnterDirectory((dir / "one").c_str()));
    }
}

TEST(MemoryStatus, ReportsPlausibleValues)
{
    MemoryStatus s = GlobalMemoryStatus();
    EXPECT_LE(s.memoryLoad, 100u);
    EXPECT_GT(s.availPhysical, 0u);
    EXPECT_GT(s.availVirtual, s.availPhysical / 1024);
}
