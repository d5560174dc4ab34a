// Output names from templates: the letters, folders, the name rules, the path bound and
// uniqueness.
#include "app/lookup/NameTemplate.h"

#include <gtest/gtest.h>

using namespace lookup;

namespace
{

DiscMetadata Album()
{
    DiscMetadata d;
    d.artist = "AC/DC";
    d.title = "Live: Who? \"Me\" <1> | 2*";
    d.year = "1992";
    d.tracks = {
        {"Thunderstruck", "", "", "", ""}, {"..", "Guest", "", "", ""}, {"", "", "", "", ""}};
    return d;
}

bool ValidUtf8Prefix(const std::string& s)
{
    // The last character must be complete: count its continuation bytes.
    size_t i = s.size();
    size_t cont = 0;
    while (i > 0 && (static_cast<unsigned char>(s[i - 1]) & 0xC0) == 0x80) {
        --i;
        ++cont;
    }
    if (i == 0) return cont == 0;
    const unsigned char lead = static_cast<unsigned char>(s[i - 1]);
    const size_t need = lead < 0x80 ? 0 : lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : 1;
    return need == cont;
}

} // namespace

TEST(NameTemplate, LettersFoldersAndNameRules)
{
    NameLimits limits;
    limits.outputFolderBytes = 10;
    const auto names = BuildOutputNames(kDefaultNameTemplate, Album(), 1, {1, 2, 3}, limits);
    ASSERT_EQ(names.size(), 3u);
    EXPECT_EQ(names[0].folder, "AC_DC/Live_ Who_ _Me_ _1_ _ 2_");
    EXPECT_EQ(names[0].name, "01 Thunderstruck");
    EXPECT_EQ(names[1].name, "02 _"); // a field ".." is no way up
    EXPECT_EQ(names[2].name, "03 _");

    const auto artist = BuildOutputNames("%y - %a/%n", Album(), 1, {1, 2, 3}, limits);
    EXPECT_EQ(artist[0].folder, "1992 - AC_DC");
    EXPECT_EQ(artist[1].folder, "1992 - Guest");
    EXPECT_EQ(artist[1].name, "_");
    EXPECT_EQ(artist[2].folder, "1992 - AC_DC");
    const auto same = BuildOutputNames("%A", Album(), 1, {1, 2, 3}, limits);
    EXPECT_EQ(same[0].name, "AC_DC");
    EXPECT_EQ(same[1].name, "AC_DC (2)");
    EXPECT_EQ(same[2].name, "AC_DC (3)");

    // Nothing in a template leads out of the output folder.
    for (const char* tmpl : {"../%n", "/../../%n", "./%t", "%d/../x", "..", "%n/.."}) {
        for (const OutputName& n : BuildOutputNames(tmpl, Album(), 1, {1, 2}, limits)) {
            for (const std::string& part : {n.folder, n.name}) {
                EXPECT_EQ(("/" + part + "/").find("/../"), std::string::npos) << tmpl;
                EXPECT_EQ(("/" + part + "/").find("/./"), std::string::npos) << tmpl;
            }
            EXPECT_FALSE(n.name.empty());
            EXPECT_TRUE(n.folder.empty() || n.folder.back() != '/');
        }
    }
    EXPECT_EQ(BuildOutputNames("", Album(), 1, {2}, limits)[0].name, "Track 02");
    EXPECT_EQ(BuildOutputNames("%t %x 100%%", Album(), 1, {7}, limits)[0].name, "07 %x 100%");
}

TEST(NameTemplate, LongTitlesAreCutToThePathBoundAtCharacters)
{
    DiscMetadata d;
    d.artist = "Artist";
    d.title = "Album";
    std::string title;
    for (int i = 0; i < 200; ++i)
        title += "\xC3\xA9x\xE2\x82\xAC"; // 600 characters, 1200 bytes
    d.tracks = {{title, "", "", "", ""}, {title, "", "", "", ""}};
    for (size_t folder : {1u, 40u, 127u}) {
        NameLimits limits;
        limits.outputFolderBytes = folder;
        const auto names = BuildOutputNames(kDefaultNameTemplate, d, 1, {1, 2}, limits);
        ASSERT_EQ(names.size(), 2u);
        for (const OutputName& n : names) {
            const size_t full = folder + 1 + n.folder.size() + 1 + n.name.size() + 1 + 3;
            EXPECT_LE(full, 260u);
            EXPECT_GE(full, 255u); // cut only as far as needed
            EXPECT_TRUE(ValidUtf8Prefix(n.name.substr(0, n.name.find(" ("))));
        }
        EXPECT_EQ(names[0].folder, "Artist/Album");
        EXPECT_NE(names[0].name, names[1].name);
    }
    // One level never passes the file system's bound, even with a short output folder.
    d.tracks[0].title.resize(400);
    NameLimits limits;
    const auto flat = BuildOutputNames("%n", d, 1, {1}, limits);
    EXPECT_LE(flat[0].name.size() + 4, 255u);
}
