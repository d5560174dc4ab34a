// The strict parser on hand-made records: line ends, line lengths, the header stages, the
// keyword order rules, the checks and the split of the disc title.
#include "CddbEntry.h"
#include "LineReader.h"
#include "Veltracache.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace
{

using Lines = std::vector<std::string>;

// The shortest record that parses with the default options.
Lines Minimal()
{
    return {"# Track frame offsets:",
            "#\t150",
            "# Disc length: 10 seconds",
            "# Revision: 3",
            "DISCID=0a000101",
            "DTITLE=Artist / Title",
            "TTITLE0=Song"};
}

// A header with six offsets (tracks 0-5), a disc id and a disc title; keyword lines follow.
Lines SixTracks(const Lines& keywords)
{
    Lines lines{"# Track frame offsets:"};
    for (int i = 0; i < 6; ++i)
        lines.push_back("# " + std::to_string(150 + i * 1000));
    lines.insert(lines.end(), {"# Disc length: 100", "# Revision: 1", "DISCID=1", "DTITLE=A"});
    lines.insert(lines.end(), keywords.begin(), keywords.end());
    return lines;
}

std::string Join(const Lines& lines, const std::string& end = "\n")
{
    std::string text;
    for (const auto& line : lines)
        text += line + end;
    return text;
}

Lines Replaced(Lines lines, size_t index, const Lines& with)
{
    lines.erase(lines.begin() + static_cast<long>(index));
    lines.insert(lines.begin() + static_cast<long>(index), with.begin(), with.end());
    return lines;
}

struct Parse {
    explicit Parse(const std::string& text, int32_t checks = 1, int32_t yearGenre = 1)
        : entry(std::make_unique<CddbEntry>(text))
    {
        entry->setOption(CDDB_OPTION_CHECKS, checks);
        entry->setOption(CDDB_OPTION_YEAR_GENRE, yearGenre);
        ok = entry->parse();
    }
    explicit Parse(const Lines& lines, int32_t checks = 1, int32_t yearGenre = 1)
        : Parse(Join(lines), checks, yearGenre)
    {
    }
    std::string trackTitle(int32_t n) const { return std::string(entry->track(n)->title.view()); }
    std::unique_ptr<CddbEntry> entry;
    bool ok = false;
};

} // namespace

TEST(CddbParse, MinimalEntryGivesEveryField)
{
    Parse p(Minimal());
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(p.entry->trackCount(), 1);
    EXPECT_EQ(p.entry->track(0)->frameOffset, 150);
    EXPECT_EQ(p.trackTitle(0), "Song");
    EXPECT_EQ(p.entry->track(1), nullptr);
    EXPECT_EQ(p.entry->discLength(), 10);
    EXPECT_EQ(p.entry->revision(), 3);
    ASSERT_EQ(p.entry->discIds().size(), 1u);
    EXPECT_EQ(p.entry->discIds()[0], 0x0a000101u);
    EXPECT_EQ(p.entry->artist()->view(), "Artist");
    EXPECT_EQ(p.entry->title()->view(), "Title");
    EXPECT_EQ(p.entry->dyear(), nullptr);
    EXPECT_EQ(p.entry->dgenre(), nullptr);
}

TEST(CddbParse, EveryLineEndStyleGivesTheSameFields)
{
    for (const std::string end : {"\r\n", "\n\r", "\r", "\n"}) {
        std::string text = Join(Minimal(), end);
        for (const std::string& t : {text, text.substr(0, text.size() - end.size())}) {
            Parse p(t);
            ASSERT_TRUE(p.ok) << testing::PrintToString(t);
            EXPECT_EQ(p.entry->artist()->view(), "Artist");
            EXPECT_EQ(p.trackTitle(0), "Song");
            EXPECT_EQ(p.entry->revision(), 3);
        }
    }
}

TEST(CddbParse, BlankLineAnywhereFails)
{
    for (size_t at = 0; at <= Minimal().size(); ++at) {
        Lines lines = Minimal();
        lines.insert(lines.begin() + static_cast<long>(at), "");
        EXPECT_FALSE(Parse(lines).ok) << "blank line at " << at;
    }
    EXPECT_FALSE(Parse(Join(Minimal(), "\r\n") + "\r\n").ok);
    EXPECT_FALSE(Parse(std::string()).ok);
}

TEST(CddbLineReader, HoldsAtMost256Characters)
{
    const std::string fits(256, 'a');
    const std::string wholeText = fits + "\r\nb";
    LineReader whole(wholeText.c_str());
    EXPECT_EQ(whole.next(), fits);
    EXPECT_EQ(whole.next(), "b");
    EXPECT_EQ(whole.next(), std::nullopt);

    const std::string longText = fits + "a\nb";
    LineReader tooLong(longText.c_str());
    EXPECT_EQ(tooLong.next(), std::nullopt);
    EXPECT_EQ(tooLong.next(), std::nullopt); // reading stays ended
}

TEST(CddbParse, OverlongLineEndsTheTextAndTheChecksDecide)
{
    const std::string title256 = "TTITLE0=" + std::string(248, 't');
    Parse whole(Replaced(Minimal(), 6, {title256}));
    ASSERT_TRUE(whole.ok);
    EXPECT_EQ(whole.trackTitle(0).size(), 248u);

    // The too-long title and the broken line after it are never read.
    Lines cut = Replaced(Minimal(), 6, {title256 + "t", "not a keyword"});
    EXPECT_FALSE(Parse(cut).ok); // track 0 has no title
    Parse unchecked(cut, 0);
    ASSERT_TRUE(unchecked.ok);
    EXPECT_EQ(unchecked.trackTitle(0), "");
}

TEST(CddbParse, DiscTitleJoinsAndSplitsAtTheFirstSeparator)
{
    struct Case {
        Lines dtitle;
        std::string artist, title;
    };
    for (const Case& c : std::vector<Case>{
             {{"DTITLE=A / B"}, "A", "B"},
             {{"DTITLE=A / B / C"}, "A", "B / C"},
             {{"DTITLE=Solo"}, "Solo", "Solo"},
             {{"DTITLE=Art", "DTITLE=ist / Ti", "DTITLE=tle"}, "Artist", "Title"},
             {{"DTITLE=A /", "DTITLE= B"}, "A", "B"},
             {{"DTITLE=A", "DTITLE=/ B"}, "A/ B", "A/ B"}, // no blank survives the join
             {{"DTITLE= / "}, "", ""},
             {{}, "", ""}, // no DTITLE line at all
         }) {
        Parse p(Replaced(Minimal(), 5, c.dtitle));
        ASSERT_TRUE(p.ok) << c.dtitle.size();
        EXPECT_EQ(p.entry->artist()->view(), c.artist);
        EXPECT_EQ(p.entry->title()->view(), c.title);
    }
}

TEST(CddbParse, TrackTitleSequences)
{
    struct Case {
        Lines lines;
        bool ok;
    };
    for (const Case& c : std::vector<Case>{
             {{"TTITLE3=abc", "TTITLE3=def"}, true},
             {{"TTITLE3=abc", "TTITLE4=def"}, true},
             {{"TTITLE3=abc", "TTITLE5=def"}, false},
             {{"TTITLE3=abc", "TTITLE2=def"}, false},
             {{"TTITLE3="}, false},
             {{"TTITLE3"}, false},
             {{"TTITLE6=no offset"}, false},
             {{"TTITLE100=x"}, false},
             {{"TTITLE-1=x"}, false},
             {{"TTITLE99999999999=x"}, false},
             {{"TTITLE=x"}, true}, // no number reads as track 0
         })
        EXPECT_EQ(Parse(SixTracks(c.lines), 0).ok, c.ok) << c.lines[0];

    Parse joined(SixTracks({"TTITLE3=abc", "TTITLE3=def"}), 0);
    ASSERT_TRUE(joined.ok);
    EXPECT_EQ(joined.trackTitle(3), "abcdef");
    Parse unnumbered(SixTracks({"TTITLE=zero"}), 0);
    ASSERT_TRUE(unnumbered.ok);
    EXPECT_EQ(unnumbered.trackTitle(0), "zero");
}

TEST(CddbParse, YearAndGenreFollowTheDiscTitleUnlessOption101Forbids)
{
    const Lines yearGenre = {"DTITLE=A", "DYEAR=1987", "DGENRE=Rock"};
    Parse p(Replaced(Minimal(), 5, yearGenre));
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(p.entry->dyear()->view(), "1987");
    EXPECT_EQ(p.entry->dgenre()->view(), "Rock");
    EXPECT_FALSE(Parse(Replaced(Minimal(), 5, yearGenre), 1, 0).ok);
    EXPECT_FALSE(Parse(Replaced(Minimal(), 5, {"DTITLE=A", "DGENRE=Rock"}), 1, 1).ok);
    EXPECT_FALSE(Parse(Replaced(Minimal(), 5, {"DTITLE=A", "DYEAR=1", "DYEAR=2"})).ok);
    EXPECT_FALSE(Parse(Replaced(Minimal(), 5, {"DTITLE=A", "DISCID=2", "DYEAR=1"})).ok);
}

TEST(CddbParse, ChecksNeedEveryTitleAndADiscLongerThanTheLastOffset)
{
    auto withLength = [](int offset, const std::string& seconds) {
        return Replaced(Replaced(Minimal(), 2, {"# Disc length: " + seconds}), 1,
                        {"# " + std::to_string(offset)});
    };
    EXPECT_FALSE(Parse(withLength(750, "10")).ok);
    EXPECT_TRUE(Parse(withLength(749, "10")).ok);
    EXPECT_TRUE(Parse(withLength(750, "10"), 0).ok);
    // 30000000 seconds overflow 32 bits once counted in frames; 99999999999 is out of range.
    EXPECT_TRUE(Parse(withLength(150, "30000000")).ok);
    Parse huge(withLength(150, "99999999999"));
    EXPECT_TRUE(huge.ok);
    EXPECT_EQ(huge.entry->discLength(), INT32_MAX);

    Lines untitled = Minimal();
    untitled.insert(untitled.begin() + 2, "# 300"); // track 1 without a title
    EXPECT_FALSE(Parse(untitled).ok);
    EXPECT_TRUE(Parse(untitled, 0).ok);

    // No offset at all: nothing to compare with, so only an unchecked parse passes.
    Lines none = {"# Track frame offsets:", "#",        "# Disc length: 10",
                  "# Revision: 1",          "DISCID=1", "DTITLE=A"};
    EXPECT_FALSE(Parse(none).ok);
    Parse unchecked(none, 0);
    EXPECT_TRUE(unchecked.ok);
    EXPECT_EQ(unchecked.entry->trackCount(), 0);
}

TEST(CddbParse, HeaderNumbers)
{
    EXPECT_FALSE(Parse(Replaced(Minimal(), 2, {"# Disc length: ten seconds"})).ok);
    EXPECT_FALSE(Parse(Replaced(Minimal(), 3, {"# Revision: x"})).ok);
    Parse blank(Replaced(Minimal(), 2, {"# Disc length:   "}), 0);
    ASSERT_TRUE(blank.ok);
    EXPECT_EQ(blank.entry->discLength(), 0);
    Parse p(Replaced(Replaced(Minimal(), 3, {"# Revision:-2"}), 1, {"#  17aaa347"}), 0);
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(p.entry->revision(), -2);
    EXPECT_EQ(p.entry->track(0)->frameOffset, 17);
}

TEST(CddbParse, DiscIds)
{
    auto ids = [](const Lines& discid) {
        Parse p(Replaced(Minimal(), 4, discid));
        std::span<const uint32_t> got = p.entry->discIds();
        return p.ok ? std::vector<uint32_t>(got.begin(), got.end()) : std::vector<uint32_t>{};
    };
    EXPECT_EQ(ids({"DISCID=0"}), std::vector<uint32_t>{});
    EXPECT_EQ(ids({"DISCID=zz,5"}), std::vector<uint32_t>{});
    EXPECT_EQ(ids({"DISCID=1a2b, FF"}), (std::vector<uint32_t>{0x1a2b, 0xff}));
    EXPECT_EQ(ids({"DISCID=1", "DISCID=0x20,"}), (std::vector<uint32_t>{1, 0x20, 0}));
    // Out of 32-bit range: the id stops at the limit and nothing beside it is touched.
    EXPECT_EQ(ids({"DISCID=123456789,2"}), (std::vector<uint32_t>{0xffffffff, 2}));
    EXPECT_EQ(ids({"DISCID=1,2,3,4,5,6,7,8,9,a,b,c"}),
              (std::vector<uint32_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
}

TEST(CddbParse, ExtendedDataAndPlayOrder)
{
    Parse p(Join(Minimal()) + "EXTD=\nEXTD=notes\nEXTT0=\nEXTT0=x\nEXTT0=y\nPLAYORDER=1\n");
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(p.entry->extd()->view(), "notes");
    EXPECT_EQ(p.entry->track(0)->extended->view(), "xy");

    for (const std::string tail : {"EXTT0=x\n", "EXTD=x\nEXTT1=y\n", "# late comment\n",
                                   "FOO=bar\n", "dtitle=a\n", "DTITLE=again\n"})
        EXPECT_FALSE(Parse(Join(Minimal()) + tail).ok) << tail;
    EXPECT_FALSE(Parse(Replaced(Minimal(), 3, {"#"})).ok); // keyword before the revision
}

TEST(CddbParse, OffsetsPastTheHundredthAreDropped)
{
    // 256 offsets would wrap an 8-bit count to 0; 300 would run past a 100-slot table.
    for (int offsets : {100, 256, 300}) {
        Lines lines{"# Track frame offsets:"};
        for (int i = 0; i < offsets; ++i)
            lines.push_back("# " + std::to_string(150 + i * 100));
        lines.insert(lines.end(), {"# Disc length: 3600", "# Revision: 1", "DISCID=1"});
        for (int i = 0; i < 100; ++i)
            lines.push_back("TTITLE" + std::to_string(i) + "=t");
        Parse p(lines);
        ASSERT_TRUE(p.ok) << offsets;
        EXPECT_EQ(p.entry->trackCount(), 100);
        EXPECT_EQ(p.entry->track(99)->frameOffset, 150 + 99 * 100);
    }
}

TEST(CddbParse, SecondParseFailsAtTheDiscTitleAndKeepsAccumulating)
{
    Parse p(Minimal());
    ASSERT_TRUE(p.ok);
    EXPECT_FALSE(p.entry->parse());
    EXPECT_EQ(p.entry->discIds().size(), 2u);
    EXPECT_EQ(p.entry->artist()->view(), "Artist");
}

TEST(CddbEntryText, BuffersGrowAsNeeded)
{
    CddbEntry empty;
    EXPECT_EQ(empty.textCapacity(), CddbEntry::kEmptyTextCapacity);
    EXPECT_FALSE(empty.parse());

    Parse p(Minimal());
    const std::string text = Join(Minimal());
    EXPECT_EQ(p.entry->textCapacity(), text.size() + 1);
    p.entry->setText("short");
    EXPECT_EQ(p.entry->text(), "short");
    EXPECT_EQ(p.entry->textCapacity(), text.size() + 1);
    p.entry->setText(text + text);
    EXPECT_EQ(p.entry->text(), text + text);
    EXPECT_EQ(p.entry->textCapacity(), 2 * text.size() + 129);
    EXPECT_EQ(p.entry->artist()->view(), "Artist"); // parsed fields stay

    CddbText t;
    const std::string part(50, 'x');
    for (int i = 0; i < 5; ++i)
        t.append(part + std::to_string(i));
    EXPECT_EQ(t.view().substr(0, 51), part + "0");
    EXPECT_EQ(t.length(), 255u);
    EXPECT_EQ(t.c_str()[t.length()], '\0');
    EXPECT_LT(t.length(), t.capacity());
}
