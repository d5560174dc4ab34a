// The main window on generated disc images: start-up, the track list's commands, the rip
// command with its progress dialogs, the menus, help, About, moving and closing the window.
#include "GuiTestSupport.h"

#include "app/cd/Drive.h"
#include "app/controls/DialogUnits.h"
#include "app/controls/SkinIconButton.h"
#include "app/res/ResourceIds.h"
#include "app/rip/RipDlg.h"
#include "app/shell/AboutDlg.h"
#include "app/shell/BitmapButton.h"
#include "app/shell/CommandIds.h"
#include "app/shell/CurrentSettings.h"
#include "app/shell/MainMenus.h"
#include "app/shell/VeltraCDRipDlg.h"
#include "app/verify/DiscIds.h"
#include "app/verify/DiscToc.h"
#include "app/verify/PcmChecksums.h"

#include "Veltraenc.h"
#include "discimage/DiscImage.h"
#include "platform/ModulePath.h"
#include "support/LocalHttpServer.h"
#include "support/TestSupport.h"

#include <QDesktopServices>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <QUrl>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <sys/stat.h>

using guitest::MessageBoxAnswerer;
using guitest::Poller;
using guitest::VisibleWindows;
using guitest::WaitUntil;
using testsupport::ReadBytes;
using testsupport::TempDir;

namespace
{

const char kNoSelection[] = "VeltraCDRip|You must select one Item to operate it!";
const char kOverwrite[] = "Overwrite?|The output file already exists.  Click OK to overwrite the "
                          "file, or Cancel to quit.";

class UrlCatcher : public QObject
{
    Q_OBJECT

public:
    std::vector<QUrl> urls;

public slots:
    void open(const QUrl& url) { urls.push_back(url); }
};

class MainWindowTest : public ::testing::Test
{
protected:
    void SetUp() override { plat::SetProgramFolderOverride(folder.path()); }
    void TearDown() override
    {
        window.reset();
        setenv("VELTRARIP32_IMAGES", "", 1);
        plat::SetProgramFolderOverride("");
    }

    // A disc of these track lengths (frames), the settings (WAV into `out`), the window shown.
    void Start(const std::vector<uint32_t>& trackLengths, const std::string& faults = "",
               const std::string& moreSettings = "")
    {
        discimage::DiscLayout layout;
        layout.audioLengths = trackLengths;
        layout.dataLength = dataLength;
        lengths = trackLengths;
        image = discimage::WriteDiscImage(layout, discs / "disc");
        if (!faults.empty()) testsupport::WriteFile(image.descriptorPath + ".faults", faults);
        testsupport::WriteFile(folder / "VeltraCDRipper.ini",
                               "[OutPut]\nPath=" + (path.empty() ? out.path() : path) +
                                   "\nEncode=" + encode + "\n" + moreSettings);
        setenv("VELTRARIP32_IMAGES", image.descriptorPath.c_str(), 1);
        window = std::make_unique<CVeltraCDRipDlg>();
        window->move(40, 30);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    QTreeWidget* List() const { return window->trackView(); }
    std::vector<bool> Checks() const
    {
        std::vector<bool> checks;
        for (int i = 0; i < List()->topLevelItemCount(); ++i)
            checks.push_back(List()->topLevelItem(i)->checkState(0) == Qt::Checked);
        return checks;
    }
    std::vector<std::string> Column(int c) const
    {
        std::vector<std::string> texts;
        for (int i = 0; i < List()->topLevelItemCount(); ++i)
            texts.push_back(List()->topLevelItem(i)->text(c).toStdString());
        return texts;
    }
    void Tick(int row, bool on)
    {
        List()->topLevelItem(row)->setCheckState(0, on ? Qt::Checked : Qt::Unchecked);
    }
    void Click(int id) { window->button(id)->click(); }

    // The PCM a faithful rip of track i gives, and the data part of a WAV file.
    std::vector<uint8_t> Track(size_t i) const
    {
        return discimage::PatternBytes(image.trackStarts[i], lengths[i]);
    }
    std::vector<uint8_t> WavData(const std::string& name) const
    {
        auto wav = ReadBytes(out / (name + ".wav"));
        return wav.size() < 44 ? std::vector<uint8_t>{}
                               : std::vector<uint8_t>(wav.begin() + 44, wav.end());
    }

    // What Start writes into the settings file and the disc it makes.
    std::string encode = "WAV";
    std::string path; // empty: `out`
    uint32_t dataLength = 0;

    TempDir folder, discs, out;
    discimage::WrittenImage image;
    std::vector<uint32_t> lengths;
    std::unique_ptr<CVeltraCDRipDlg> window;
};

} // namespace

TEST_F(MainWindowTest, StartUpListsTheDiscsTracksAllTicked)
{
    Start({75, 150, 30});
    EXPECT_EQ(window->windowTitle(), "Veltra CD Ripper");
    EXPECT_TRUE(window->windowFlags() & Qt::FramelessWindowHint);
    ASSERT_EQ(List()->topLevelItemCount(), 3);
    EXPECT_EQ(Checks(), (std::vector<bool>{true, true, true}));
    EXPECT_EQ(Column(0), (std::vector<std::string>{"selected", "selected", "selected"}));
    EXPECT_EQ(Column(1), (std::vector<std::string>{"Track 01", "Track 02", "Track 03"}));
    EXPECT_EQ(Column(2), (std::vector<std::string>{"00:01", "00:02", "00:00"}));
    EXPECT_EQ(Column(3), (std::vector<std::string>{"", "", ""}));
    const QStringList headers = {"Selected", "File Name", "Time", "Status"};
    for (int c = 0; c < 4; ++c)
        EXPECT_EQ(List()->headerItem()->text(c), headers[c]);
    EXPECT_EQ(window->settings().encoderType, 1);
    EXPECT_EQ(window->settings().outputFolder, out.path());
}

TEST_F(MainWindowTest, InvertSelectionClearsEveryMarkAndSelectAllSetsThem)
{
    Start({30, 30, 30});
    Tick(1, false);
    EXPECT_FALSE(window->tracks().row(1).checked); // a click on a box reaches the rows
    Click(kIdInvertSelect);
    EXPECT_EQ(Checks(), (std::vector<bool>{false, false, false})); // cleared, not toggled
    for (const TrackRow& row : window->tracks().rows())
        EXPECT_FALSE(row.checked);
    Click(kIdSelectAll);
    EXPECT_EQ(Checks(), (std::vector<bool>{true, true, true}));
    for (const TrackRow& row : window->tracks().rows())
        EXPECT_TRUE(row.checked);
}

TEST_F(MainWindowTest, RefreshListsTheDiscAgainWithNoRowTicked)
{
    Start({30, 45});
    Click(kIdRefresh);
    ASSERT_EQ(List()->topLevelItemCount(), 2);
    EXPECT_EQ(Checks(), (std::vector<bool>{false, false}));
    EXPECT_EQ(Column(1), (std::vector<std::string>{"Track 01", "Track 02"}));
}

TEST_F(MainWindowTest, ARefusedImageIsNamedWithItsLineAtStartUpAndOnRefresh)
{
    const std::string sheet = discs / "bad.cue";
    testsupport::WriteFile(sheet, "FILE \"d.bin\" BINARY\n  TRACK 01 AUDIO\n  TRACK 02 AUDIO\n");
    testsupport::WriteFile(folder / "VeltraCDRipper.ini", "[OutPut]\nEncode=WAV\n");
    setenv("VELTRARIP32_IMAGES", sheet.c_str(), 1);
    MessageBoxAnswerer answers;
    window = std::make_unique<CVeltraCDRipDlg>();
    window->show();
    const std::string expected = "VeltraCDRip|" + sheet + ", line 2: track 01 has no INDEX 01";
    ASSERT_TRUE(WaitUntil([&] { return answers.seen.size() == 1; }));
    EXPECT_EQ(answers.texts(), std::vector<std::string>{expected});
    EXPECT_TRUE(answers.seen[0].owned);
    EXPECT_EQ(List()->topLevelItemCount(), 0);
    Click(kIdRefresh);
    EXPECT_EQ(answers.texts(), (std::vector<std::string>{expected, expected}));
}

TEST_F(MainWindowTest, RefreshAloneSeesADiscChangeAndAnEmptyDrive)
{
    Start({30, 45});
    discimage::DiscLayout layout;
    layout.audioLengths = {75, 75, 75};
    discimage::WriteDiscImage(layout, discs / "disc"); // another disc in the same drive
    Click(kIdRefresh);
    EXPECT_EQ(Column(1), (std::vector<std::string>{"Track 01", "Track 02", "Track 03"}));
    EXPECT_EQ(Column(2), (std::vector<std::string>{"00:01", "00:01", "00:01"}));

    testsupport::WriteFile(image.descriptorPath + ".faults", "eject\n");
    Click(kIdRefresh);
    EXPECT_EQ(List()->topLevelItemCount(), 0);
    Click(kIdRefresh); // the disc is back
    EXPECT_EQ(List()->topLevelItemCount(), 3);
}

TEST_F(MainWindowTest, TheRipCorrectsTheReadOffsetOfTheSettingsFile)
{
    Start({40, 30}, "offset -48\n", "[Drive]\nReadOffset=-48\n");
    window->OnCommand(kIdRip);
    EXPECT_EQ(Column(3), (std::vector<std::string>{"complete", "complete"}));
    auto first = Track(0);
    std::fill_n(first.begin(), 48 * 4, uint8_t{0}); // before the disc's first sample
    EXPECT_EQ(WavData("Track 01"), first);
    EXPECT_EQ(WavData("Track 02"), Track(1));
}

TEST_F(MainWindowTest, SecureModeReadsFlakyFramesExactAndNamesUnsettledTracksInexact)
{
    // Track 1's frame 10 reads a little wrong each time, track 2's frame 50 wholly.
    Start({40, 30}, "flaky 10 20\nflaky 50 588\n", "[Drive]\nSecure=1\n");
    window->OnCommand(kIdRip);
    EXPECT_EQ(Column(3), (std::vector<std::string>{"complete", "inexact"}));
    EXPECT_EQ(WavData("Track 01"), Track(0));
    EXPECT_NE(WavData("Track 02"), Track(1));
}

TEST_F(MainWindowTest, VerifyReadsAgainInSecureModeOnlyTheTracksTheDatabaseDoesNotConfirm)
{
    TempDir served, cache;
    setenv("XDG_CACHE_HOME", cache.path().c_str(), 1);
    testsupport::LocalHttpServer server(served.path());
    // Track 2 (frames 40-139) reads a little wrong each time; track 3 (140-199) has a frame
    // wrong the same way every time.
    Start({40, 100, 60}, "flaky 60-61 20\nbad 150\n",
          "[Drive]\nVerify=1\n[Lookup]\nAccurateRipUrl=" + server.url() + "\n");
    const verify::DiscToc toc = verify::DiscTocFromRecord(window->drive().tocA).value();
    const verify::AccurateRipDiscId id = verify::AccurateRipId(toc).value();
    // The response: one block, the true audio's v1 checksums with confidences 5, 6 and 7.
    std::string dbar(1, '\3');
    auto le32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i)
            dbar += static_cast<char>(v >> (8 * i));
    };
    le32(id.id1);
    le32(id.id2);
    le32(id.freedb);
    for (size_t i = 0; i < 3; ++i) {
        verify::PcmChecksums sums(lengths[i] * uint64_t{588}, i == 0, i == 2);
        const auto pcm = Track(i);
        sums.Add(pcm.data(), pcm.size());
        dbar += static_cast<char>(5 + i);
        le32(sums.accurateRipV1());
        le32(0);
    }
    std::filesystem::create_directories(
        (std::filesystem::path(served.path()) / id.Path()).parent_path());
    testsupport::WriteFile(served / id.Path(), dbar);

    std::vector<QPointer<CRipDlg>> seen;
    Poller watch([&] {
        for (CRipDlg* d : VisibleWindows<CRipDlg>())
            if (std::find(seen.begin(), seen.end(), d) == seen.end()) seen.push_back(d);
        return false;
    });
    MessageBoxAnswerer answers;
    window->OnCommand(kIdRip);
    EXPECT_TRUE(answers.seen.empty()) << answers.texts().front();
    EXPECT_EQ(seen.size(), 5u); // three burst reads, two re-reads
    EXPECT_EQ(Column(3),
              (std::vector<std::string>{"accurate (confidence 5)", "accurate after re-read",
                                        "NOT accurate, secure: exact"}));
    EXPECT_EQ(WavData("Track 02"), Track(1));
    EXPECT_NE(WavData("Track 03"), Track(2));

    // No response to be had: one message, and the tracks are still ripped, each read securely.
    server.Stop();
    std::filesystem::remove_all(cache / "veltracdrip");
    for (const char* name : {"Track 01.wav", "Track 02.wav", "Track 03.wav"})
        std::filesystem::remove(out / name);
    window->OnCommand(kIdRip);
    ASSERT_EQ(answers.seen.size(), 1u);
    EXPECT_EQ(answers.seen[0].text.rfind("AccurateRip lookup: ", 0), 0u) << answers.seen[0].text;
    EXPECT_NE(answers.seen[0].text.find("the rip went on unverified"), std::string::npos);
    EXPECT_EQ(Column(3), std::vector<std::string>(3, "not in database, secure: exact"));
    EXPECT_EQ(WavData("Track 02"), Track(1));
}

TEST_F(MainWindowTest, RipWithNoRowTickedShowsTheMessageAndRipsNothing)
{
    Start({30, 30});
    Click(kIdInvertSelect);
    int dialogs = 0;
    Poller watch([&] {
        dialogs += static_cast<int>(VisibleWindows<CRipDlg>().size());
        return false;
    });
    MessageBoxAnswerer answers;
    Click(kIdRip);
    EXPECT_EQ(answers.texts(), std::vector<std::string>{kNoSelection});
    EXPECT_EQ(dialogs, 0);
    EXPECT_FALSE(testsupport::FileExists(out / "Track 01.wav"));
}

TEST_F(MainWindowTest, TickedRowsRunOneProgressDialogAfterAnotherAndEndComplete)
{
    Start({40, 20, 60});
    Tick(1, false);
    std::vector<std::string> shown;      // the track text of every dialog, once
    std::vector<QPointer<CRipDlg>> seen; // a deleted dialog's pointer turns null
    bool overlapped = false;
    Poller watch([&] {
        const auto visible = VisibleWindows<CRipDlg>();
        overlapped = overlapped || visible.size() > 1;
        for (CRipDlg* d : visible) {
            if (std::find(seen.begin(), seen.end(), d) != seen.end()) continue;
            seen.push_back(d);
            shown.push_back(d->trackText().toStdString());
            EXPECT_EQ(d->windowTitle(), "RIP TRACKS");
            EXPECT_TRUE(d->isModal());
        }
        return false;
    });
    MessageBoxAnswerer answers;
    window->OnCommand(kIdRip);
    EXPECT_EQ(shown, (std::vector<std::string>{"Track 01", "Track 03"}));
    EXPECT_FALSE(overlapped);
    EXPECT_TRUE(answers.seen.empty());
    EXPECT_EQ(Column(3), (std::vector<std::string>{"complete", "", "complete"}));
    EXPECT_EQ(WavData("Track 01"), Track(0));
    EXPECT_EQ(WavData("Track 03"), Track(2));
    EXPECT_FALSE(testsupport::FileExists(out / "Track 02.wav"));
    EXPECT_EQ(window->tracks().row(2).record.rowNumber, 3);
}

TEST_F(MainWindowTest, CancelDuringTheRipLeavesTheRowUnmarkedAndAShorterValidFile)
{
    Start({3000}, "delay * 2\n"); // a slow drive
    bool cancelled = false;
    int positionAtCancel = -1;
    Poller cancel([&] {
        for (CRipDlg* d : VisibleWindows<CRipDlg>()) {
            if (d->meter()->position() >= 5) {
                positionAtCancel = d->meter()->position();
                QTest::mouseClick(d->cancelButton(), Qt::LeftButton);
                cancelled = true;
                return true;
            }
        }
        return false;
    });
    MessageBoxAnswerer answers;
    window->OnCommand(kIdRip);
    ASSERT_TRUE(cancelled);
    EXPECT_LT(positionAtCancel, 100);
    EXPECT_EQ(Column(3), std::vector<std::string>{""});
    const auto wav = ReadBytes(out / "Track 01.wav");
    ASSERT_GT(wav.size(), 44u);
    EXPECT_LT(wav.size(), 44u + 3000u * 2352u);
    const uint32_t riff = wav[4] | (wav[5] << 8) | (wav[6] << 16) | (uint32_t(wav[7]) << 24);
    const uint32_t data = wav[40] | (wav[41] << 8) | (wav[42] << 16) | (uint32_t(wav[43]) << 24);
    EXPECT_EQ(riff, wav.size() - 8);
    EXPECT_EQ(data, wav.size() - 44);
    const auto expected = Track(0);
    EXPECT_TRUE(std::equal(wav.begin() + 44, wav.end(), expected.begin()));
}

TEST_F(MainWindowTest, DecliningTheOverwriteSkipsTheTrackAndKeepsItsFile)
{
    Start({20, 20});
    testsupport::WriteFile(out / "Track 01.wav", "keep me");
    MessageBoxAnswerer answers([](const MessageBoxAnswerer::Seen&) { return QMessageBox::Cancel; });
    window->OnCommand(kIdRip);
    ASSERT_EQ(answers.texts(), std::vector<std::string>{kOverwrite});
    EXPECT_EQ(answers.seen[0].icon, QMessageBox::Warning);
    EXPECT_FALSE(answers.seen[0].owned); // no owner window
    EXPECT_EQ(testsupport::ReadFile(out / "Track 01.wav"), "keep me");
    EXPECT_EQ(Column(3), (std::vector<std::string>{"", "complete"}));
    EXPECT_EQ(WavData("Track 02"), Track(1));
}

TEST_F(MainWindowTest, AcceptingTheOverwriteReplacesTheFile)
{
    Start({20});
    testsupport::WriteFile(out / "Track 01.wav", "old");
    MessageBoxAnswerer answers;
    window->OnCommand(kIdRip);
    EXPECT_EQ(answers.texts(), std::vector<std::string>{kOverwrite});
    EXPECT_EQ(Column(3), std::vector<std::string>{"complete"});
    EXPECT_EQ(WavData("Track 01"), Track(0));
}

TEST_F(MainWindowTest, MenusHaveTheirItemsBitmapsAndCommands)
{
    struct Expected {
        int button;
        std::vector<std::pair<std::string, int>> items; // "-" for a separator
    };
    const Expected menus[] = {
        {kIdFileMenu, {{"Refresh CD", 1009}, {"Rip Track", 1008}, {"-", 0}, {"Exit", 1002}}},
        {kIdEditMenu,
         {{"Select All", 1010},
          {"Invert Selection", 1011},
          {"-", 0},
          {"Look up disc information", 32772},
          {"Album...", 32773}}},
        {kIdOptionsMenu, {{"Options", 1012}}},
        {kIdHelpMenu, {{"Help", 1013}, {"-", 0}, {"About", 32771}}},
    };
    const QImage first(res::ResourcePath(134)), other(res::ResourcePath(135));
    ASSERT_FALSE(first.isNull());
    ASSERT_NE(first.convertToFormat(QImage::Format_ARGB32),
              other.convertToFormat(QImage::Format_ARGB32));
    for (const Expected& m : menus) {
        std::unique_ptr<QMenu> menu(BuildPopupMenu(m.button, nullptr));
        const auto actions = menu->actions();
        ASSERT_EQ(actions.size(), static_cast<qsizetype>(m.items.size())) << m.button;
        for (qsizetype i = 0; i < actions.size(); ++i) {
            const auto& [text, command] = m.items[static_cast<size_t>(i)];
            if (text == "-") {
                EXPECT_TRUE(actions[i]->isSeparator());
                continue;
            }
            EXPECT_EQ(actions[i]->text().toStdString(), text);
            EXPECT_EQ(actions[i]->data().toInt(), command);
            const QImage bitmap =
                actions[i]->icon().pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
            const bool firstBitmap = i == 0 && m.button != kIdEditMenu;
            EXPECT_EQ(bitmap, (firstBitmap ? first : other).convertToFormat(QImage::Format_ARGB32))
                << text;
        }
    }
    EXPECT_TRUE(MenuItems(kIdRip).empty());
}

TEST_F(MainWindowTest, AMenuOpensBelowItsButtonAndItsItemRunsTheCommand)
{
    Start({30, 30});
    QPoint at;
    Poller choose([&] {
        for (QMenu* menu : VisibleWindows<QMenu>()) {
            at = menu->pos();
            menu->setActiveAction(menu->actions().value(1)); // "Invert Selection"
            QTest::keyClick(menu, Qt::Key_Return);
            return true;
        }
        return false;
    });
    CSkinIconButton* edit = window->button(kIdEditMenu);
    edit->click();
    EXPECT_EQ(at, edit->mapToGlobal(QPoint(0, edit->height())));
    EXPECT_EQ(Checks(), (std::vector<bool>{false, false}));
    EXPECT_TRUE(VisibleWindows<QMenu>().empty());
}

TEST_F(MainWindowTest, ButtonsAndListSitWhereTheirDialogUnitsSay)
{
    Start({30});
    const QSize base = DialogBaseUnits(DialogFont("MS Sans Serif", 8));
    EXPECT_EQ(window->size(), MapDialogSize({329, 221}, base));
    EXPECT_EQ(List()->geometry(), MapDialogRect({7, 65, 315, 152}, base));
    EXPECT_EQ(window->closeButton()->geometry(), MapDialogRect({314, 1, 15, 13}, base));
    struct B {
        int id;
        QRect units;
        const char* caption;
        const char* tooltip;
    };
    const B buttons[] = {{1004, {1, 25, 47, 15}, "&File", "File"},
                         {1005, {49, 25, 47, 15}, "&Edit", "Edit"},
                         {1006, {97, 25, 47, 15}, "&Options", "Option"},
                         {1007, {145, 25, 47, 15}, "&Help", "Help"},
                         {1008, {1, 43, 32, 21}, "", "Rip"},
                         {1009, {36, 43, 32, 21}, "", "Reresh"},
                         {1010, {72, 43, 32, 21}, "", "Select All"},
                         {1011, {109, 43, 32, 21}, "", "Invert Select"},
                         {1012, {146, 43, 32, 21}, "", "Options"},
                         {1013, {183, 43, 32, 21}, "", "Help"}};
    for (const B& b : buttons) {
        CSkinIconButton* button = window->button(b.id);
        ASSERT_NE(button, nullptr) << b.id;
        EXPECT_EQ(button->geometry(), MapDialogRect(b.units, base)) << b.id;
        EXPECT_EQ(button->text().toStdString(), b.caption);
        EXPECT_EQ(button->toolTip().toStdString(), b.tooltip);
        EXPECT_TRUE(button->IsTooltipActive());
        EXPECT_TRUE(button->IsTransparent());
        const SkinButtonLook look = button->Look();
        EXPECT_EQ(look.activeIcon.size(), QSize(32, 32)) << b.id;
        EXPECT_EQ(look.drawBorder, b.id > 1007) << b.id; // menu buttons never show a frame
    }
    // The drawn buttons carry the window's background under them.
    window->grab();
    EXPECT_TRUE(window->button(kIdRip)->HasBackgroundCache());
}

TEST_F(MainWindowTest, CloseButtonExitAndKeysEndTheWindow)
{
    Start({30});
    QTest::mouseClick(window->closeButton(), Qt::LeftButton);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->result(), QDialog::Accepted);

    window->show();
    window->setResult(-1);
    List()->setFocus();
    QTest::keyClick(List(), Qt::Key_Escape);
    EXPECT_EQ(window->result(), QDialog::Rejected);

    window->show();
    window->activateWindow();
    List()->setFocus();
    QTest::keyClick(window.get(), Qt::Key_Return);
    EXPECT_EQ(window->result(), QDialog::Accepted);
}

TEST_F(MainWindowTest, DraggingTheBackgroundMovesTheWindow)
{
    Start({30});
    const QPoint before = window->pos();
    const QPointF local(300, 12); // the title strip
    const QPointF global = window->mapToGlobal(local);
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(window.get(), &press);
    QMouseEvent move(QEvent::MouseMove, local + QPointF(40, 25), global + QPointF(40, 25),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window.get(), &move);
    QMouseEvent release(QEvent::MouseButtonRelease, local + QPointF(40, 25),
                        global + QPointF(40, 25), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window.get(), &release);
    EXPECT_EQ(window->pos(), before + QPoint(40, 25));
}

TEST_F(MainWindowTest, HelpOpensTheHelpFileInTheProgramsFolder)
{
    Start({30});
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("file", &catcher, "open");
    Click(kIdHelp);
    QDesktopServices::unsetUrlHandler("file");
    ASSERT_EQ(catcher.urls.size(), 1u);
    EXPECT_EQ(catcher.urls[0].toLocalFile().toStdString(), folder / "veltracdripper.chm");
}

TEST_F(MainWindowTest, AboutShowsTheVersion)
{
    Start({30});
    QString title, text;
    Poller close([&] {
        for (CAboutDlg* about : VisibleWindows<CAboutDlg>()) {
            title = about->windowTitle();
            for (QLabel* label : about->findChildren<QLabel*>())
                if (!label->text().isEmpty()) text = label->text();
            for (QPushButton* b : about->findChildren<QPushButton*>())
                if (b->text() == "OK") b->click();
            return true;
        }
        return false;
    });
    window->OnCommand(kIdAbout);
    EXPECT_EQ(title, "About VeltraCDRipper");
    EXPECT_EQ(text, "VeltraCDRipper Version 2.0");
    EXPECT_TRUE(VisibleWindows<CAboutDlg>().empty());
}

TEST_F(MainWindowTest, AnEncoderThatCannotStartFailsTheTracksAndIsToldOncePerRip)
{
    const bool mp3 = xtEncoderAvail(XT_ENCODER_LAME2) || xtEncoderAvail(XT_ENCODER_BLADE);
    if (mp3 && std::getenv("VELTRA_NO_MP3_RUN")) FAIL() << "the copy still finds a back-end";
    if (mp3) {
        // Run this test again in a copy of the program's folder without the MP3 back-ends:
        // the encoder library looks for them beside itself.
        testsupport::ProgramFolder copy;
        for (const char* lib : {"liblame_enc.so", "libbladeenc.so"})
            std::remove((copy / lib).c_str());
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        const auto run = testsupport::Run(
            {std::filesystem::read_symlink("/proc/self/exe").string(),
             std::string("--gtest_filter=") + test->test_suite_name() + "." + test->name()},
            {{"LD_LIBRARY_PATH", copy.path()},
             {"QT_QPA_PLATFORM", "offscreen"},
             {"VELTRA_NO_MP3_RUN", "1"}});
        EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
        EXPECT_NE(run.out.find("[  PASSED  ] 1 test"), std::string::npos) << run.out;
        return;
    }
    encode = "MP3"; // type 3 at start-up
    Start({20, 20});
    MessageBoxAnswerer answers;
    window->OnCommand(kIdRip);
    EXPECT_EQ(answers.texts(),
              std::vector<std::string>{"VeltraCDRip|The MP3 encoder is not available on this "
                                       "machine: the tracks were not ripped."});
    EXPECT_EQ(Column(3), (std::vector<std::string>{"", ""}));
    EXPECT_TRUE(std::filesystem::is_empty(out.path())); // no empty files either
    window->OnCommand(kIdRip);                          // told again on the next rip, once
    EXPECT_EQ(answers.seen.size(), 2u);
}

TEST_F(MainWindowTest, TheDataTrackKeepsItsTickButIsPassedOverByTheRip)
{
    dataLength = 40;
    Start({30});
    ASSERT_EQ(Column(1), (std::vector<std::string>{"Track 01", "Data Track"}));
    EXPECT_EQ(Checks(), (std::vector<bool>{true, true}));
    MessageBoxAnswerer answers;
    int dialogs = 0;
    std::vector<QPointer<CRipDlg>> seen;
    Poller watch([&] {
        for (CRipDlg* d : VisibleWindows<CRipDlg>())
            if (std::find(seen.begin(), seen.end(), d) == seen.end()) {
                seen.push_back(d);
                ++dialogs;
            }
        return false;
    });
    window->OnCommand(kIdRip);
    EXPECT_EQ(dialogs, 1);
    EXPECT_TRUE(answers.seen.empty());
    EXPECT_EQ(Column(3), (std::vector<std::string>{"complete", "data track"}));
    EXPECT_EQ(Checks(), (std::vector<bool>{true, true}));
    EXPECT_EQ(WavData("Track 01"), Track(0));
    EXPECT_FALSE(testsupport::FileExists(out / "Data Track.wav"));
}

TEST_F(MainWindowTest, HelpOpensTheHtmlGuideWhenTheDesktopHasNothingForTheCompiledHelp)
{
    Start({30});
    std::filesystem::create_directories(folder / "help");
    testsupport::WriteFile(folder / "help/index.html", "<html></html>");
    TempDir bin;
    const std::string savedPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    // A stand-in xdg-mime that answers `answer` for the CHM alias only.
    auto withXdgMime = [&](const std::string& answer) {
        testsupport::WriteFile(bin / "xdg-mime",
                               "#!/bin/sh\n[ \"$3\" = application/x-chm ] && echo '" + answer +
                                   "'\nexit 0\n");
        chmod((bin / "xdg-mime").c_str(), 0755);
    };
    auto help = [&] {
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler("file", &catcher, "open");
        setenv("PATH", bin.path().c_str(), 1);
        Click(kIdHelp);
        setenv("PATH", savedPath.c_str(), 1);
        QDesktopServices::unsetUrlHandler("file");
        return catcher.urls.size() == 1 ? catcher.urls[0].toLocalFile().toStdString() : "";
    };
    EXPECT_EQ(help(), folder / "help/index.html"); // no xdg-mime at all
    withXdgMime("");
    EXPECT_EQ(help(), folder / "help/index.html"); // nothing registered
    withXdgMime("xchm.desktop");
    EXPECT_EQ(help(), folder / "veltracdripper.chm");
}

TEST_F(MainWindowTest, ATooLongPathIsToldOnceAtStartUpAndTheDefaultFolderUsed)
{
    path = "/" + std::string(150, 'p');
    MessageBoxAnswerer answers;
    Start({30});
    ASSERT_TRUE(WaitUntil([&] { return !answers.seen.empty(); }));
    QTest::qWait(50);
    ASSERT_EQ(answers.seen.size(), 1u);
    EXPECT_NE(answers.seen[0].text.find("longer than 127 characters"), std::string::npos);
    EXPECT_NE(answers.seen[0].text.find(folder.path()), std::string::npos);
    EXPECT_EQ(window->settings().outputFolder, folder.path());
}

TEST(WindowProgram, AnswersHelpAndVersionWithoutStartingQt)
{
    const std::string program = testsupport::BinDir() + "/VeltraCDRip";
    // No display: starting Qt would fail.
    const std::map<std::string, std::string> noDisplay = {
        {"QT_QPA_PLATFORM", "xcb"}, {"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}};
    const auto version = testsupport::Run({program, "--version"}, noDisplay);
    EXPECT_EQ(version.exitCode, 0) << version.err;
    EXPECT_EQ(version.out, "VeltraCDRip " VELTRA_PROJECT_VERSION "\n");
    const auto help = testsupport::Run({program, "--help"}, noDisplay);
    EXPECT_EQ(help.exitCode, 0) << help.err;
    EXPECT_EQ(help.out.rfind("Usage: VeltraCDRip", 0), 0u) << help.out;
    EXPECT_NE(help.out.find("--version"), std::string::npos);
}

#include "MainWindowTest.moc"
