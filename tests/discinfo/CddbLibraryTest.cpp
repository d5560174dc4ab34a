// The delivered library and tool: exactly the twelve exports, and the real records dumped by
// cddb-dump as stored under tests/data/cddb/ (expected outputs checked by hand).
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

using namespace testsupport;
namespace fs = std::filesystem;

TEST(CddbLibrary, ExportsExactlyTheTwelveNames)
{
    EXPECT_EQ(ExportedNames(BinDir() + "/libVeltracache.so"),
              (std::set<std::string>{"cddbNewEntry", "cddbFreeEntry", "cddbSetEntry",
                                     "cddbSetOption", "cddbParseEntry", "cddbGetArtist",
                                     "cddbGetTitle", "cddbGetTrackTitle", "cddbGetNumTracks",
                                     "cddbGetEntryVersion", "cddbGetDYear", "cddbGetDGenre"}));
}

TEST(CddbLibrary, RealRecordsParseAsNamedAndDumpAsStored)
{
    const fs::path records = SharedTestData() + "/cddb";
    const fs::path expected = TestDataDir() + "/cddb";
    std::set<std::string> dumped;
    for (const auto& file : fs::directory_iterator(records)) {
        const std::string name = file.path().filename();
        if (file.path().extension() != ".txt") continue;
        RunResult r = testsupport::Run({BinDir() + "/cddb-dump", file.path().string()});
        EXPECT_EQ(r.exitCode, name.starts_with("good.") ? 0 : 1) << name << r.err;
        const fs::path stored = expected / file.path().stem().concat(".out");
        ASSERT_TRUE(FileExists(stored)) << stored;
        EXPECT_EQ(r.out, ReadFile(stored)) << name;
        dumped.insert(stored.filename());
    }
    EXPECT_GE(dumped.size(), 40u);
    for (const auto& file : fs::directory_iterator(expected))
        EXPECT_TRUE(dumped.count(file.path().filename())) << "no record for " << file.path();
}

TEST(CddbLibrary, DumpOptionsAndErrors)
{
    TempDir dir;
    // The last track has no title: only the check of option 100 rejects it.
    WriteFile(dir / "untitled.txt", "# Track frame offsets:\n# 150\n# 300\n# Disc length: 9\n"
                                    "# Revision: 1\nDISCID=1\nDTITLE=A\nDYEAR=2001\nTTITLE0=x\n");
    const std::string dump = BinDir() + "/cddb-dump";
    EXPECT_EQ(testsupport::Run({dump, dir / "untitled.txt"}).exitCode, 1);
    RunResult unchecked = testsupport::Run({dump, "--no-checks", dir / "untitled.txt"});
    EXPECT_EQ(unchecked.exitCode, 0);
    EXPECT_EQ(unchecked.out, "parse: ok\nartist: \"A\"\ntitle: \"A\"\nyear: 2001\ngenre: none\n"
                             "revision: 1\ntracks: 2\ntrack 0: \"x\"\ntrack 1: \"\"\n");
    EXPECT_EQ(
        testsupport::Run({dump, "--no-checks", "--no-year-genre", dir / "untitled.txt"}).exitCode,
        1);

    RunResult missing = testsupport::Run({dump, dir / "missing.txt"});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_NE(missing.err.find("cannot read"), std::string::npos);
    EXPECT_EQ(testsupport::Run({dump, dir.path()}).exitCode, 2);
    EXPECT_EQ(testsupport::Run({dump}).exitCode, 2);
    EXPECT_EQ(testsupport::Run({dump, "--bogus", dir / "untitled.txt"}).exitCode, 2);
}
