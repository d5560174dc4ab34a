// The help file in the program's folder is a compiled HTML Help file whose directory holds every
// page and picture of the guide, and the guide copied beside it has every file its links name.
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <regex>
#include <set>
#include <string>
#include <vector>

using testsupport::BinDir;
using testsupport::FileExists;
using testsupport::ReadBytes;
using testsupport::ReadFile;
using testsupport::SourceDir;

namespace
{

uint64_t ReadLE(const std::vector<unsigned char>& b, size_t at, int bytes)
{
    uint64_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = (v << 8) | b.at(at + i);
    return v;
}

// The names in the directory chunks (PMGL) of an ITSF file: each entry is a length and a name,
// then section, offset and length, all counts as 7-bit groups, high bit meaning "more".
std::set<std::string> ChmDirectory(const std::vector<unsigned char>& chm)
{
    std::set<std::string> names;
    const size_t dir = ReadLE(chm, 0x48, 8);
    if (dir + 0x54 > chm.size() || std::string(chm.begin() + dir, chm.begin() + dir + 4) != "ITSP")
        return names;
    const size_t headerLength = ReadLE(chm, dir + 0x08, 4);
    const size_t chunkSize = ReadLE(chm, dir + 0x10, 4);
    const size_t chunks = ReadLE(chm, dir + 0x2C, 4);
    for (size_t c = 0; c < chunks; ++c) {
        const size_t at = dir + headerLength + c * chunkSize;
        if (at + chunkSize > chm.size()) break;
        if (std::string(chm.begin() + at, chm.begin() + at + 4) != "PMGL") continue;
        const size_t end = at + chunkSize - ReadLE(chm, at + 4, 4);
        size_t p = at + 0x14;
        auto encint = [&]() {
            uint64_t v = 0;
            while (p < end) {
                const unsigned char byte = chm[p++];
                v = (v << 7) | (byte & 0x7F);
                if (!(byte & 0x80)) break;
            }
            return v;
        };
        while (p < end) {
            const size_t length = encint();
            if (length == 0 || p + length > end) break;
            names.emplace(chm.begin() + p, chm.begin() + p + length);
            p += length;
            encint(), encint(), encint();
        }
    }
    return names;
}

std::vector<std::string> Matches(const std::string& text, const std::regex& pattern)
{
    std::vector<std::string> found;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), pattern);
         it != std::sregex_iterator(); ++it)
        found.push_back((*it)[1]);
    return found;
}

std::string HelpSource(const std::string& name)
{
    return SourceDir() + "/app/res/help/" + name;
}

} // namespace

class HelpFile : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const std::string path = BinDir() + "/veltracdripper.chm";
        ASSERT_TRUE(FileExists(path)) << path;
        chm_ = ReadBytes(path);
        ASSERT_GE(chm_.size(), 0x60u);
        ASSERT_EQ(std::string(chm_.begin(), chm_.begin() + 4), "ITSF");
        directory_ = ChmDirectory(chm_);
        ASSERT_FALSE(directory_.empty()) << "no directory entries could be read";
    }

    bool InChm(const std::string& name) const { return directory_.count("/" + name) > 0; }

    std::vector<unsigned char> chm_;
    std::set<std::string> directory_;
};

TEST_F(HelpFile, HoldsEveryFileOfTheProjectAndItsContents)
{
    const std::string project = ReadFile(HelpSource("veltracdripper.hhp"));
    const size_t files = project.find("[FILES]");
    ASSERT_NE(files, std::string::npos);
    std::vector<std::string> wanted =
        Matches(project.substr(files + 7), std::regex(R"re(\n([^\s\[][^\r\n]*))re"));
    ASSERT_GE(wanted.size(), 10u);
    const std::vector<std::string> contents =
        Matches(ReadFile(HelpSource("veltracdripper.hhc")),
                std::regex(R"re(<param\s+name="Local"\s+value="([^"]+)")re", std::regex::icase));
    ASSERT_GE(contents.size(), 5u);
    wanted.insert(wanted.end(), contents.begin(), contents.end());
    for (const std::string& file : wanted) {
        EXPECT_TRUE(InChm(file)) << file << " is missing from the help file";
        EXPECT_TRUE(FileExists(BinDir() + "/help/" + file)) << file << " is missing from bin/help";
    }
    EXPECT_TRUE(InChm("veltracdripper.hhc"));
}

TEST_F(HelpFile, EveryLinkOfTheGuideLeadsToAFileItHas)
{
    const std::regex link(R"re((?:href|src)="([^"#:]+)(?:#[^"]*)?")re", std::regex::icase);
    std::set<std::string> visited;
    std::vector<std::string> queue = {"index.html"};
    while (!queue.empty()) {
        const std::string page = queue.back();
        queue.pop_back();
        if (!visited.insert(page).second) continue;
        const std::string path = BinDir() + "/help/" + page;
        ASSERT_TRUE(FileExists(path)) << page;
        for (const std::string& target : Matches(ReadFile(path), link)) {
            SCOPED_TRACE(page + " -> " + target);
            EXPECT_TRUE(FileExists(BinDir() + "/help/" + target));
            EXPECT_TRUE(InChm(target));
            if (target.size() > 5 && target.compare(target.size() - 5, 5, ".html") == 0)
                queue.push_back(target);
        }
    }
    // Every page of the guide is reachable from the first one.
    EXPECT_GE(visited.size(), 5u);
}
