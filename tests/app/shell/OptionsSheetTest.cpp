// The Options sheet: what it reads and writes in the settings file (also when cancelled), the
// current settings after OK, and the folders it refuses.
#include "GuiTestSupport.h"

#include "app/shell/CommandIds.h"
#include "app/shell/CurrentSettings.h"
#include "app/shell/DriveDlg.h"

#include "app/shell/OptionsSheet.h"
#include "app/shell/OutputDlg.h"
#include "include/Veltraenc.h"
#include <QCheckBox>

#include "platform/ModulePath.h"
#include "support/TestSupport.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

using guitest::MessageBoxAnswerer;
using guitest::Poller;
using guitest::VisibleWindows;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace
{

class OptionsSheetTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        plat::SetProgramFolderOverride(folder.path());
        current.outputFolder = "/before";
        current.encoderType = 3;
    }
    void TearDown() override { plat::SetProgramFolderOverride(""); }
    std::string Ini() const { return folder / "VeltraCDRipper.ini"; }
    CurrentSettings current; // the settings the sheet makes current

    // Runs the Options command; `act` works on the shown page and ends the sheet.
    bool Run(const std::function<void(COptionsSheet&, COutputDlg&)>& act)
    {
        bool acted = false;
        Poller poller([&] {
            for (COptionsSheet* sheet : VisibleWindows<COptionsSheet>()) {
                act(*sheet, *sheet->outputPage());
                acted = true;
                return true;
            }
            return false;
        });
        const bool saved = RunOptionsCommand(nullptr, current);
        EXPECT_TRUE(acted);
        return saved;
    }
    static void Press(COptionsSheet& sheet, QDialogButtonBox::StandardButton which)
    {
        sheet.findChild<QDialogButtonBox*>()->button(which)->click();
    }

    TempDir folder;
};

} // namespace

TEST_F(OptionsSheetTest, TheSheetHasTheOutputAndDrivePagesAndNoApply)
{
    COptionsSheet sheet;
    EXPECT_EQ(sheet.windowTitle(), "Options");
    auto* tabs = sheet.findChild<QTabWidget*>();
    ASSERT_EQ(tabs->count(), 2);
    EXPECT_EQ(tabs->tabText(0), "Output");
    EXPECT_EQ(tabs->tabText(1), "Drive");
    EXPECT_EQ(tabs->currentIndex(), 0);
    auto* box = sheet.findChild<QDialogButtonBox*>();
    EXPECT_EQ(box->standardButtons(), QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    COutputDlg& page = *sheet.outputPage();
    EXPECT_EQ(page.mp3Button()->text(), "Mp3");
    EXPECT_EQ(page.wavButton()->text(), "Wav");
    EXPECT_EQ(page.browserButton()->text(), "Browser");
    EXPECT_EQ(page.findChild<QGroupBox*>()->title(), "Encode");
}

TEST_F(OptionsSheetTest, OpeningWritesTheMissingPathAndEncodeEvenWhenCancelled)
{
    std::string shown;
    bool mp3 = false, wav = true;
    EXPECT_FALSE(Run([&](COptionsSheet& sheet, COutputDlg& page) {
        shown = page.folderEdit()->text().toStdString();
        mp3 = page.mp3Button()->isChecked();
        wav = page.wavButton()->isChecked();
        page.wavButton()->click(); // dropped with the Cancel
        Press(sheet, QDialogButtonBox::Cancel);
    }));
    EXPECT_EQ(shown, folder.path());
    EXPECT_TRUE(mp3);
    EXPECT_FALSE(wav);
    EXPECT_EQ(ReadFile(Ini()), "[OutPut]\nPath=" + folder.path() + "\nEncode=MP3\n");
    EXPECT_EQ(current.outputFolder, "/before");
    EXPECT_EQ(current.encoderType, 3);
}

TEST_F(OptionsSheetTest, WavAndOkWritesBothKeysAndTypeOneMp3GivesTypeFour)
{
    WriteFile(Ini(), "[OutPut]\nPath=/music\nEncode=MP3\n");
    EXPECT_TRUE(Run([&](COptionsSheet& sheet, COutputDlg& page) {
        EXPECT_TRUE(page.mp3Button()->isChecked());
        page.wavButton()->click();
        EXPECT_FALSE(page.mp3Button()->isChecked()); // each starts its own group
        EXPECT_TRUE(page.wavButton()->isChecked());
        Press(sheet, QDialogButtonBox::Ok);
    }));
    EXPECT_EQ(ReadFile(Ini()), "[OutPut]\nPath=/music\nEncode=WAV\n");
    EXPECT_EQ(current.encoderType, 1);
    EXPECT_EQ(current.outputFolder, "/music");

    EXPECT_TRUE(Run([&](COptionsSheet& sheet, COutputDlg& page) {
        EXPECT_TRUE(page.wavButton()->isChecked());
        page.mp3Button()->click();
        page.folderEdit()->setText("/srv/rips");
        Press(sheet, QDialogButtonBox::Ok);
    }));
    EXPECT_EQ(ReadFile(Ini()), "[OutPut]\nPath=/srv/rips\nEncode=MP3\n");
    EXPECT_EQ(current.encoderType, 4); // 4, not 3, until the next start
    EXPECT_EQ(current.outputFolder, "/srv/rips");
}

TEST_F(OptionsSheetTest, OkWithAnEmptyFolderChangesNothingNotEvenTheFormat)
{
    WriteFile(Ini(), "[OutPut]\nPath=/music\nEncode=MP3\n");
    EXPECT_FALSE(Run([&](COptionsSheet& sheet, COutputDlg& page) {
        page.folderEdit()->clear();
        page.wavButton()->click();
        Press(sheet, QDialogButtonBox::Ok);
    }));
    EXPECT_EQ(ReadFile(Ini()), "[OutPut]\nPath=/music\nEncode=MP3\n");
    EXPECT_EQ(current.encoderType, 3);
    EXPECT_EQ(current.outputFolder, "/before");
}

TEST_F(OptionsSheetTest, AFolderLongerThan127CharactersIsRefusedAndNothingIsWritten)
{
    WriteFile(Ini(), "[OutPut]\nPath=/music\nEncode=WAV\n");
    const std::string fits = "/" + std::string(126, 'a'), tooLong = "/" + std::string(127, 'b');
    MessageBoxAnswerer answers;
    bool stillOpen = false;
    EXPECT_FALSE(Run([&](COptionsSheet& sheet, COutputDlg& page) {
        page.folderEdit()->setText(QString::fromStdString(tooLong));
        Press(sheet, QDialogButtonBox::Ok);
        stillOpen = sheet.isVisible();
        Press(sheet, QDialogButtonBox::Cancel);
    }));
    EXPECT_TRUE(stillOpen);
    ASSERT_EQ(answers.seen.size(), 1u);
    EXPECT_NE(answers.seen[0].text.find("127"), std::string::npos);
    EXPECT_EQ(ReadFile(Ini()), "[OutPut]\nPath=/music\nEncode=WAV\n");
    EXPECT_EQ(current.outputFolder, "/before");

    // Multi-byte characters count as the bytes the file system stores.
    const std::string accented = "/" + std::string(63, 'c');
    QString wide = QString::fromStdString(accented) + QString(32, QChar(0xE9));
    EXPECT_FALSE(OutputFolderProblem(wide).isEmpty());

    EXPECT_TRUE(Run([&](COptionsSheet& sheet, COutputDlg& page) {
        page.folderEdit()->setText(QString::fromStdString(fits));
        Press(sheet, QDialogButtonBox::Ok);
    }));
    EXPECT_EQ(answers.seen.size(), 1u);
    EXPECT_EQ(ReadFile(Ini()), "[OutPut]\nPath=" + fits + "\nEncode=WAV\n");
    EXPECT_EQ(current.outputFolder, fits);
}

TEST_F(OptionsSheetTest, ATooLongPathInTheFileShowsTheFolderInUse)
{
    const std::string tooLong = "/" + std::string(200, 'x');
    WriteFile(Ini(), "[OutPut]\nPath=" + tooLong + "\nEncode=WAV\n");
    std::string shown;
    EXPECT_FALSE(Run([&](COptionsSheet& sheet, COutputDlg& page) {
        shown = page.folderEdit()->text().toStdString();
        Press(sheet, QDialogButtonBox::Cancel);
    }));
    EXPECT_EQ(shown, folder.path()); // the default, which start-up uses too
    EXPECT_EQ(ReadFile(Ini()), "[OutPut]\nPath=" + tooLong + "\nEncode=WAV\n");
}

TEST_F(OptionsSheetTest, ALineBreakCannotReachTheSettingsFile)
{
    WriteFile(Ini(), "[OutPut]\nPath=/music\nEncode=WAV\n");
    MessageBoxAnswerer answers;
    EXPECT_FALSE(Run([&](COptionsSheet& sheet, COutputDlg& page) {
        page.folderEdit()->setText("/music\nEncode=MP3");
        Press(sheet, QDialogButtonBox::Ok);
        Press(sheet, QDialogButtonBox::Cancel);
    }));
    EXPECT_EQ(answers.seen.size(), 1u);
    EXPECT_EQ(ReadFile(Ini()), "[OutPut]\nPath=/music\nEncode=WAV\n");
}

TEST_F(OptionsSheetTest, BrowsingTakesTheChosenFolderUnlessItIsTooLong)
{
    WriteFile(Ini(), "[OutPut]\nPath=/music\nEncode=WAV\n");
    TempDir base;
    const std::string shortDir = base / "rips";
    std::string longDir = base.path();
    while (longDir.size() <= 127)
        longDir += "/" + std::string(40, 'd');
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(shortDir)));
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(longDir)));

    // Picks `dir` in the folder dialog that the Browser button opens.
    auto browse = [](COutputDlg& page, const std::string& dir) {
        std::string title;
        Poller pick([&] {
            for (QFileDialog* d : VisibleWindows<QFileDialog>()) {
                title = d->windowTitle().toStdString();
                d->setDirectory(QString::fromStdString(dir));
                d->selectFile(QString::fromStdString(dir));
                static_cast<QDialog*>(d)->accept(); // its OK
                return true;
            }
            return false;
        });
        page.browserButton()->click();
        return title;
    };
    MessageBoxAnswerer answers;
    std::string title, afterLong, afterShort;
    EXPECT_TRUE(Run([&](COptionsSheet& sheet, COutputDlg& page) {
        title = browse(page, longDir);
        afterLong = page.folderEdit()->text().toStdString();
        browse(page, shortDir);
        afterShort = page.folderEdit()->text().toStdString();
        Press(sheet, QDialogButtonBox::Ok);
    }));
    EXPECT_EQ(title, "Select Add Folder.");
    ASSERT_EQ(answers.seen.size(), 1u);
    EXPECT_NE(answers.seen[0].text.find("127"), std::string::npos);
    EXPECT_EQ(afterLong, "/music");
    EXPECT_EQ(afterShort, shortDir);
    EXPECT_EQ(ReadFile(Ini()), "[OutPut]\nPath=" + shortDir + "\nEncode=WAV\n");
}

TEST_F(OptionsSheetTest, FoldersCrossInTheFileSystemsEncoding)
{
    const std::string utf8 = "/home/j\xC3\xBCrgen/M\xC3\xBCsik"; // "/home/jürgen/Müsik"
    WriteFile(Ini(), "[OutPut]\nPath=" + utf8 + "\nEncode=WAV\n");
    QString shown;
    EXPECT_TRUE(Run([&](COptionsSheet& sheet, COutputDlg& page) {
        shown = page.folderEdit()->text();
        page.folderEdit()->setText(shown + QString::fromUtf8("/\xC3\xA9t\xC3\xA9"));
        Press(sheet, QDialogButtonBox::Ok);
    }));
    EXPECT_EQ(shown, QString::fromUtf8("/home/j\xC3\xBCrgen/M\xC3\xBCsik"));
    EXPECT_EQ(ReadFile(Ini()), "[OutPut]\nPath=" + utf8 + "/\xC3\xA9t\xC3\xA9\nEncode=WAV\n");
    EXPECT_EQ(current.outputFolder, utf8 + "/\xC3\xA9t\xC3\xA9");
}

TEST_F(OptionsSheetTest, FlacOggAndOpusAreWrittenAsTheirEncodeValuesAndShownAgain)
{
    WriteFile(Ini(), "[OutPut]\nPath=/music\nEncode=MP3\n");
    const std::pair<OutputFormat, std::string> formats[] = {
        {OutputFormat::Flac, "FLAC"}, {OutputFormat::Ogg, "OGG"}, {OutputFormat::Opus, "OPUS"}};
    const int types[] = {6, 5, 7};
    for (size_t i = 0; i < 3; ++i) {
        const OutputFormat format = formats[i].first;
        const std::string& encode = formats[i].second;
        SCOPED_TRACE(encode);
        EXPECT_TRUE(Run([&](COptionsSheet& sheet, COutputDlg& page) {
            page.button(format)->click();
            for (auto other : {OutputFormat::Mp3, OutputFormat::Wav, OutputFormat::Flac,
                               OutputFormat::Ogg, OutputFormat::Opus})
                EXPECT_EQ(page.button(other)->isChecked(), other == format);
            Press(sheet, QDialogButtonBox::Ok);
        }));
        EXPECT_EQ(ReadFile(Ini()), "[OutPut]\nPath=/music\nEncode=" + encode + "\n");
        EXPECT_EQ(current.encoderType, types[i]);
        EXPECT_FALSE(Run([&](COptionsSheet& sheet, COutputDlg& page) {
            EXPECT_TRUE(page.button(format)->isChecked());
            EXPECT_FALSE(page.mp3Button()->isChecked());
            Press(sheet, QDialogButtonBox::Cancel);
        }));
    }
}

TEST_F(OptionsSheetTest, ExistingEncodeValuesKeepTheirMeaning)
{
    EXPECT_EQ(EncoderTypeOf("xMP3x", XT_ENCODER_BLADE), XT_ENCODER_BLADE);
    EXPECT_EQ(EncoderTypeOf("FLAC MP3", XT_ENCODER_LAME2), XT_ENCODER_LAME2);
    for (const char* wav : {"WAV", "", "flac", "Ogg", "OPUS ", "mp3"})
        EXPECT_EQ(EncoderTypeOf(wav, XT_ENCODER_LAME2), XT_ENCODER_WAV) << wav;
    WriteFile(Ini(), "[OutPut]\nPath=/music\nEncode=opus\n");
    EXPECT_FALSE(Run([&](COptionsSheet& sheet, COutputDlg& page) {
        EXPECT_TRUE(page.wavButton()->isChecked());
        EXPECT_FALSE(page.button(OutputFormat::Opus)->isChecked());
        Press(sheet, QDialogButtonBox::Cancel);
    }));
}

TEST_F(OptionsSheetTest, AFormatWhoseBackEndIsMissingIsDimmedWithTheReason)
{
    COutputDlg page(nullptr, [](int format) { return format != XT_FORMAT_OPUS; });
    EXPECT_EQ(page.button(OutputFormat::Flac)->text(), "FLAC");
    EXPECT_EQ(page.button(OutputFormat::Ogg)->text(), "Ogg Vorbis");
    EXPECT_TRUE(page.button(OutputFormat::Flac)->isEnabled());
    EXPECT_TRUE(page.button(OutputFormat::Flac)->toolTip().isEmpty());
    QRadioButton* opus = page.button(OutputFormat::Opus);
    EXPECT_FALSE(opus->isEnabled());
    EXPECT_TRUE(opus->toolTip().contains("libopus_enc.so")) << opus->toolTip().toStdString();
    EXPECT_TRUE(page.mp3Button()->isEnabled() && page.wavButton()->isEnabled());
}

TEST_F(OptionsSheetTest, TheDrivePageWritesWhatTheUserChangedAndRefusesNonsense)
{
    WriteFile(Ini(), "[OutPut]\nPath=/music\nEncode=WAV\n");
    MessageBoxAnswerer answers;
    bool stillOpen = false;
    EXPECT_TRUE(Run([&](COptionsSheet& sheet, COutputDlg&) {
        CDriveDlg& drive = *sheet.drivePage();
        EXPECT_EQ(drive.offsetEdit()->text(), "");
        drive.offsetEdit()->setText("6 samples");
        Press(sheet, QDialogButtonBox::Ok);
        stillOpen = sheet.isVisible();
        drive.offsetEdit()->setText("-1164");
        drive.tableEdit()->setText("/data/DriveOffsets.bin");
        Press(sheet, QDialogButtonBox::Ok);
    }));
    EXPECT_TRUE(stillOpen);
    ASSERT_EQ(answers.seen.size(), 1u);
    EXPECT_NE(answers.seen[0].text.find("read offset"), std::string::npos);
    EXPECT_EQ(ReadFile(Ini()), "[OutPut]\nPath=/music\nEncode=WAV\n[Drive]\nReadOffset=-1164\n"
                               "OffsetTable=/data/DriveOffsets.bin\n");
    EXPECT_EQ(current.readOffset, -1164);
    EXPECT_EQ(current.offsetTable, "/data/DriveOffsets.bin");

    // Shown again; emptied, the offset is no longer set.
    QString shown;
    EXPECT_TRUE(Run([&](COptionsSheet& sheet, COutputDlg&) {
        shown = sheet.drivePage()->offsetEdit()->text();
        sheet.drivePage()->offsetEdit()->clear();
        Press(sheet, QDialogButtonBox::Ok);
    }));
    EXPECT_EQ(shown, "-1164");
    EXPECT_FALSE(current.readOffset);
    EXPECT_EQ(current.offsetTable, "/data/DriveOffsets.bin");
}

TEST_F(OptionsSheetTest, TheSecureBoxIsOffByDefaultAndWrittenOnlyWhenChanged)
{
    WriteFile(Ini(), "[OutPut]\nPath=/music\nEncode=WAV\n");
    bool shownOff = false;
    EXPECT_TRUE(Run([&](COptionsSheet& sheet, COutputDlg&) {
        shownOff = !sheet.drivePage()->secureBox()->isChecked();
        Press(sheet, QDialogButtonBox::Ok);
    }));
    EXPECT_TRUE(shownOff);
    EXPECT_EQ(ReadFile(Ini()), "[OutPut]\nPath=/music\nEncode=WAV\n");
    EXPECT_TRUE(Run([&](COptionsSheet& sheet, COutputDlg&) {
        sheet.drivePage()->secureBox()->setChecked(true);
        Press(sheet, QDialogButtonBox::Ok);
    }));
    EXPECT_EQ(ReadFile(Ini()), "[OutPut]\nPath=/music\nEncode=WAV\n[Drive]\nSecure=1\n");
    EXPECT_TRUE(current.secure);
    bool shownOn = false;
    EXPECT_TRUE(Run([&](COptionsSheet& sheet, COutputDlg&) {
        shownOn = sheet.drivePage()->secureBox()->isChecked();
        sheet.drivePage()->secureBox()->setChecked(false);
        Press(sheet, QDialogButtonBox::Ok);
    }));
    EXPECT_TRUE(shownOn);
    EXPECT_FALSE(current.secure);
}

TEST_F(OptionsSheetTest, TheDrivePagesLookupOnReadBoxIsWrittenOnlyWhenChanged)
{
    WriteFile(Ini(), "[OutPut]\nPath=/music\nEncode=WAV\n");
    EXPECT_TRUE(Run([&](COptionsSheet& sheet, COutputDlg&) {
        EXPECT_FALSE(sheet.drivePage()->lookupOnReadBox()->isChecked());
        Press(sheet, QDialogButtonBox::Ok);
    }));
    EXPECT_EQ(ReadFile(Ini()), "[OutPut]\nPath=/music\nEncode=WAV\n");
    EXPECT_TRUE(Run([&](COptionsSheet& sheet, COutputDlg&) {
        sheet.drivePage()->lookupOnReadBox()->setChecked(true);
        Press(sheet, QDialogButtonBox::Ok);
    }));
    EXPECT_EQ(ReadFile(Ini()), "[OutPut]\nPath=/music\nEncode=WAV\n[Lookup]\nLookupOnRead=1\n");
    bool shown = false;
    EXPECT_TRUE(Run([&](COptionsSheet& sheet, COutputDlg&) {
        shown = sheet.drivePage()->lookupOnReadBox()->isChecked();
        sheet.drivePage()->lookupOnReadBox()->setChecked(false);
        Press(sheet, QDialogButtonBox::Ok);
    }));
    EXPECT_TRUE(shown);
    EXPECT_EQ(ReadFile(Ini()), "[OutPut]\nPath=/music\nEncode=WAV\n[Lookup]\nLookupOnRead=0\n");
}

TEST_F(OptionsSheetTest, TheVerifyBoxSitsBelowTheOthersIsOffByDefaultAndIsReadBack)
{
    WriteFile(Ini(), "[OutPut]\nPath=/music\nEncode=WAV\n");
    EXPECT_TRUE(Run([&](COptionsSheet& sheet, COutputDlg&) {
        sheet.findChild<QTabWidget*>()->setCurrentIndex(1);
        const CDriveDlg& drive = *sheet.drivePage();
        QCheckBox* verify = drive.verifyBox();
        EXPECT_EQ(verify->text(), "Verify with AccurateRip");
        EXPECT_TRUE(verify->isVisible());
        EXPECT_FALSE(verify->isChecked());
        EXPECT_FALSE(verify->geometry().intersects(drive.lookupOnReadBox()->geometry()));
        EXPECT_TRUE(drive.rect().contains(verify->geometry()));
        verify->setChecked(true);
        Press(sheet, QDialogButtonBox::Ok);
    }));
    EXPECT_EQ(ReadFile(Ini()), "[OutPut]\nPath=/music\nEncode=WAV\n[Drive]\nVerify=1\n");
    EXPECT_TRUE(current.verify);
    EXPECT_FALSE(current.secure);
    bool shownOn = false;
    EXPECT_TRUE(Run([&](COptionsSheet& sheet, COutputDlg&) {
        shownOn = sheet.drivePage()->verifyBox()->isChecked();
        sheet.drivePage()->verifyBox()->setChecked(false);
        Press(sheet, QDialogButtonBox::Ok);
    }));
    EXPECT_TRUE(shownOn);
    EXPECT_FALSE(current.verify);
    EXPECT_EQ(ReadFile(Ini()), "[OutPut]\nPath=/music\nEncode=WAV\n[Drive]\nVerify=0\n");
}
