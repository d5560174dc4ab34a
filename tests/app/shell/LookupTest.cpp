// The window program's disc look-up against a local server serving recorded MusicBrainz
// replies: names from the template, the chooser, names edited in the list, the album dialog,
// the tags of the ripped files, failures and cancel, and the look-up when a disc is read.
#include "GuiTestSupport.h"

#include "app/shell/AlbumDlg.h"
#include "app/shell/CommandIds.h"
#include "app/shell/CurrentSettings.h"
#include "app/shell/LookupDlg.h"
#include "app/shell/ReleaseChooserDlg.h"
#include "app/shell/VeltraCDRipDlg.h"

#include "discimage/DiscImage.h"
#include "platform/ModulePath.h"
#include "support/LocalHttpServer.h"
#include "support/TestSupport.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <taglib/fileref.h>
#include <taglib/tpropertymap.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

using guitest::MessageBoxAnswerer;
using guitest::Poller;
using guitest::VisibleWindows;
using testsupport::FileExists;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace
{

// TOCS.tsv: 7Nz4XI2avmjJkZno9SlDJY7s36E-, offsets 150 19804 36537, lead-out 73170 (disc 3 of
// Privateering in cdigw/disc_with_genre.json).
const std::vector<uint32_t> kPrivateering3 = {19804 - 150, 36537 - 19804, 73170 - 36537};
const char kRecordings[] = "/metadata/musicbrainz/cdigw/";

class LookupTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        plat::SetProgramFolderOverride(folder.path());
        setenv("XDG_CACHE_HOME", cache.path().c_str(), 1);
        std::filesystem::create_directories(root.path() + "/ws/2/discid");
    }
    void TearDown() override
    {
        window.reset();
        setenv("VELTRARIP32_IMAGES", "", 1);
        plat::SetProgramFolderOverride("");
    }

    void Serve(const std::string& target, const std::string& recording)
    {
        WriteFile(root / target, ReadFile(testsupport::SharedTestData() + kRecordings + recording));
    }

    // A silent disc of these lengths, FLAC into `out`, MusicBrainz on the local server.
    void Start(const std::vector<uint32_t>& lengths, const std::string& moreLookup = "",
               discimage::DiscLayout layout = {})
    {
        layout.audioLengths = lengths;
        layout.audio = discimage::Audio::Silence;
        const auto image = discimage::WriteDiscImage(layout, discs / "disc");
        WriteFile(folder / "VeltraCDRipper.ini", "[OutPut]\nPath=" + out.path() +
                                                     "\nEncode=FLAC\n[Lookup]\nMusicBrainzUrl=" +
                                                     server.url() + "\nGnudbUrl=\n" + moreLookup);
        setenv("VELTRARIP32_IMAGES", image.descriptorPath.c_str(), 1);
        window = std::make_unique<CVeltraCDRipDlg>();
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    QTreeWidget* List() const { return window->trackView(); }
    std::vector<std::string> Names() const
    {
        std::vector<std::string> texts;
        for (int i = 0; i < List()->topLevelItemCount(); ++i)
            texts.push_back(List()->topLevelItem(i)->text(1).toStdString());
        return texts;
    }

    // Double-clicks a row's cell; the editor that opens, or null.
    QLineEdit* OpenEditor(int row, int column = 1)
    {
        const QRect cell = List()->visualRect(List()->model()->index(row, column));
        QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(List()->viewport(), Qt::LeftButton, {}, cell.center());
        return List()->viewport()->findChild<QLineEdit*>();
    }
    // Types a name into a row's "File Name" cell, as a double click and Enter do.
    void TypeName(int row, const QString& text)
    {
        QLineEdit* editor = OpenEditor(row);
        ASSERT_NE(editor, nullptr);
        editor->setText(text);
        QTest::keyClick(editor, Qt::Key_Return);
        QTest::qWait(0); // the editor goes with a deferred delete
    }

    TempDir folder, discs, out, root, cache;
    testsupport::LocalHttpServer server{root.path()};
    std::unique_ptr<CVeltraCDRipDlg> window;
};

std::map<std::string, std::string> Tags(const std::string& path)
{
    std::map<std::string, std::string> tags;
    const TagLib::FileRef file(path.c_str());
    if (file.isNull()) return tags;
    for (const auto& [key, values] : file.file()->properties())
        tags[key.to8Bit(true)] = values.toString(", ").to8Bit(true);
    return tags;
}

} // namespace

TEST_F(LookupTest, TheLookUpNamesTheRowsAndTheRipWritesTheEditedNamesAndTags)
{
    Serve("ws/2/discid/7Nz4XI2avmjJkZno9SlDJY7s36E-", "disc_with_genre.json");
    Start(kPrivateering3);
    const std::vector<std::string> plain = {"Track 01", "Track 02", "Track 03"};
    ASSERT_EQ(Names(), plain);
    // A name cannot be edited before there is metadata.
    EXPECT_EQ(OpenEditor(0), nullptr);

    MessageBoxAnswerer answers;
    window->OnCommand(kIdLookUp);
    EXPECT_TRUE(answers.seen.empty());
    EXPECT_EQ(Names(),
              (std::vector<std::string>{"Mark Knopfler/Privateering/01 Occupation Blues",
                                        "Mark Knopfler/Privateering/02 River Of Grog",
                                        "Mark Knopfler/Privateering/03 Follow The Ribbon"}));
    EXPECT_EQ(server.Requests().size(), 1u);

    // A typed name passes the same rules: no climbing out, no characters a name may not hold.
    TypeName(1, "../Favourites/Grog: live");
    EXPECT_EQ(Names()[1], "_/Favourites/Grog_ live");
    TypeName(2, "_/Favourites/Grog_ live");
    EXPECT_EQ(Names()[2], "_/Favourites/Grog_ live (2)");
    TypeName(2, ""); // empty: the template's name again
    EXPECT_EQ(Names()[2], "Mark Knopfler/Privateering/03 Follow The Ribbon");
    EXPECT_EQ(OpenEditor(2, 0), nullptr); // only the name's own column

    Poller album([&] {
        for (CAlbumDlg* dlg : VisibleWindows<CAlbumDlg>()) {
            EXPECT_EQ(dlg->artistEdit()->text(), "Mark Knopfler");
            EXPECT_EQ(dlg->yearEdit()->text(), "2012");
            dlg->artistEdit()->setText("M. Knopfler");
            dlg->yearEdit()->setText("2013");
            dlg->genreEdit()->setText("Rock");
            dlg->accept();
            return true;
        }
        return false;
    });
    window->OnCommand(kIdAlbum);
    EXPECT_EQ(Names(), (std::vector<std::string>{"M. Knopfler/Privateering/01 Occupation Blues",
                                                 "_/Favourites/Grog_ live",
                                                 "M. Knopfler/Privateering/03 Follow The Ribbon"}));

    // The shortest track, under its typed name.
    List()->topLevelItem(0)->setCheckState(0, Qt::Unchecked);
    List()->topLevelItem(2)->setCheckState(0, Qt::Unchecked);
    window->OnCommand(kIdRip);
    EXPECT_TRUE(answers.seen.empty()) << answers.texts().front();
    const std::string edited = out / "_/Favourites/Grog_ live.flac";
    ASSERT_TRUE(FileExists(edited));
    EXPECT_FALSE(FileExists(out / "Track 02.flac"));
    auto tags = Tags(edited);
    EXPECT_EQ(tags["TITLE"], "River Of Grog");
    EXPECT_EQ(tags["ARTIST"], "M. Knopfler");
    EXPECT_EQ(tags["ALBUMARTIST"], "M. Knopfler");
    EXPECT_EQ(tags["ALBUM"], "Privateering");
    EXPECT_EQ(tags["TRACKNUMBER"], "2");
    EXPECT_EQ(tags["DATE"], "2013");
    EXPECT_EQ(tags["GENRE"], "Rock");
    EXPECT_EQ(tags["MUSICBRAINZ_DISCID"], "7Nz4XI2avmjJkZno9SlDJY7s36E-");

    // A refresh lists the disc anew with its plain names.
    window->OnCommand(kIdRefresh);
    EXPECT_EQ(Names(), plain);
}

TEST_F(LookupTest, SeveralReleasesAreOfferedInTheChooserAndItsCancelChangesNothing)
{
    // Unknown disc id: the fuzzy look-up by TOC answers with five releases.
    Serve("ws/2/discid/-", "fuzzy_response.json");
    Start(std::vector<uint32_t>(13, 40));
    std::vector<std::string> rows;
    bool cancel = false;
    Poller choose([&] {
        for (CReleaseChooserDlg* dlg : VisibleWindows<CReleaseChooserDlg>()) {
            QTreeWidget* list = dlg->list();
            rows.clear();
            for (int i = 0; i < list->topLevelItemCount(); ++i) {
                std::string row;
                for (int c = 0; c < 5; ++c)
                    row += list->topLevelItem(i)->text(c).toStdString() + "|";
                rows.push_back(row);
            }
            list->setCurrentItem(list->topLevelItem(3));
            if (cancel)
                dlg->reject();
            else
                dlg->accept();
        }
        return false;
    });
    window->OnCommand(kIdLookUp);
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[0], "MusicBrainz|Marina & the Diamonds|The Family Jewels|2010|CA|");
    EXPECT_EQ(rows[3], "MusicBrainz|The Go‐Go’s|God Bless the Go‐Go’s|2001|US|");
    const std::vector<std::string> chosen = Names();
    EXPECT_EQ(chosen[0], "The Go‐Go’s/God Bless the Go‐Go’s/01 La La Land");
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].rfind("/ws/2/discid/-?toc=1+13+", 0), 0u) << requests[1];

    cancel = true;
    rows.clear();
    window->OnCommand(kIdLookUp);
    EXPECT_EQ(rows.size(), 5u);
    EXPECT_EQ(Names(), chosen);
}

TEST_F(LookupTest, AFailureIsOneLineACancelIsSilentAndTheListStays)
{
    Start({40, 40});
    const std::vector<std::string> plain = {"Track 01", "Track 02"};
    {
        MessageBoxAnswerer answers;
        window->OnCommand(kIdAlbum); // nothing looked up yet
        window->OnCommand(kIdLookUp);
        ASSERT_EQ(answers.seen.size(), 2u);
        EXPECT_NE(answers.seen[0].text.find("Look the disc up first"), std::string::npos);
        EXPECT_EQ(answers.seen[1].text,
                  "No disc information was found: MusicBrainz: disc not found")
            << answers.seen[1].text;
        EXPECT_EQ(Names(), plain);
    }

    // A reply that takes long: Cancel ends the look-up without a word.
    WriteFile(root / "slow.json", "{}");
    server.Route("/ws/2/discid/", "slow 30 slow.json");
    bool clicked = false;
    Poller cancel([&] {
        for (CLookupDlg* dlg : VisibleWindows<CLookupDlg>()) {
            if (server.Requests().empty()) return false;
            dlg->cancelButton()->click();
            clicked = true;
            return true;
        }
        return false;
    });
    MessageBoxAnswerer answers;
    window->OnCommand(kIdLookUp);
    EXPECT_TRUE(clicked);
    EXPECT_TRUE(answers.seen.empty());
    EXPECT_EQ(Names(), plain);

    server.Stop();
    window->OnCommand(kIdLookUp);
    ASSERT_EQ(answers.seen.size(), 1u);
    EXPECT_NE(answers.seen[0].text.find("MusicBrainz: no network"), std::string::npos)
        << answers.seen[0].text;
    EXPECT_EQ(Names(), plain);
}

TEST_F(LookupTest, LookupOnReadLooksTheDiscUpAtStartAndOnRefresh)
{
    Serve("ws/2/discid/7Nz4XI2avmjJkZno9SlDJY7s36E-", "disc_with_genre.json");
    Start(kPrivateering3, "LookupOnRead=1\nNameFormat=%t - %n\n");
    ASSERT_TRUE(guitest::WaitUntil([&] { return window->names().active(); }));
    EXPECT_EQ(Names()[0], "01 - Occupation Blues");
    window->OnCommand(kIdRefresh);
    EXPECT_EQ(Names()[2], "03 - Follow The Ribbon");
    EXPECT_EQ(server.Requests().size(), 2u);
}

TEST_F(LookupTest, WithoutNetworkTheDiscsCdTextNamesTheRowsAndItsCodesGoIntoTheTags)
{
    discimage::DiscLayout layout;
    layout.album = {"Caf\xC3\xA9 Songs", "L\xC3\xA9\x61", "", ""};
    layout.trackTexts[1] = {"\xC3\x89t\xC3\xA9", "", "", "GBAYE0000351"};
    layout.trackTexts[2] = {"Hiver", "", "", ""};
    layout.catalog = "0602498765432";
    server.Stop();
    Start({40, 40}, "NameFormat=%A - %t %n\n", layout);
    MessageBoxAnswerer answers;
    window->OnCommand(kIdLookUp);
    EXPECT_TRUE(answers.seen.empty());
    EXPECT_EQ(Names(), (std::vector<std::string>{"L\xC3\xA9\x61 - 01 \xC3\x89t\xC3\xA9",
                                                 "L\xC3\xA9\x61 - 02 Hiver"}));
    window->OnCommand(kIdRip);
    auto tags = Tags(out / "L\xC3\xA9\x61 - 01 \xC3\x89t\xC3\xA9.flac");
    EXPECT_EQ(tags["ISRC"], "GBAYE0000351");
    EXPECT_EQ(tags["ALBUM"], "Caf\xC3\xA9 Songs");
    EXPECT_EQ(tags["TITLE"], "\xC3\x89t\xC3\xA9");
}
