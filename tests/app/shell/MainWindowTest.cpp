// The main window on generated disc images: start-up, the track list's commands, the rip
// command with its progress dialogs, the menus, help, About, moving and closing the window.
#include "GuiTestSupport.h"

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

#include "platform/ModulePath.h"
#include "support/TestDisc.h"
#include "support/WavFile.h"

#include <QDesktopServices>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <QUrl>

#include <gtest/gtest.h>

#include <memory>

using guitest::MessageBoxAnswerer;
using guitest::Poller;
using guitest::VisibleWindows;
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
    void SetUp() override
    {
        plat::SetProgramFolderOverride(folder.path());
        g_settings = CurrentSettings{};
    }
    void TearDown() override
    {
        window.reset();
        testsupport::UseDiscImages("");
        plat::SetProgramFolderOverride("");
    }

    // A disc of these track lengths (frames), the settings (WAV into `out`), the window shown.
    void Start(const std::vector<uint32_t>& trackLengths, const std::string& faults = "")
    {
        disc = testsupport::WriteTestDisc(discs, trackLengths, faults);
        testsupport::WriteFile(folder / "VeltraCDRipper.ini",
                               "[OutPut]\nPath=" + out.path() + "\nEncode=WAV\n");
        testsupport::UseDiscImages(disc.image.descriptorPath);
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
    std::vector<uint8_t> Track(size_t i) const { return disc.Pattern(i); }
    std::vector<uint8_t> WavData(const std::string& name) const
    {
        return testsupport::ReadWav(out / (name + ".wav")).data;
    }

    TempDir folder, discs, out;
    testsupport::TestDisc disc;
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
    EXPECT_EQ(g_settings.encoderType, 1);
    EXPECT_EQ(g_settings.outputFolder, out.path());
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
    const auto wav = testsupport::ReadWav(out / "Track 01.wav");
    ASSERT_GT(wav.fileSize, 44u);
    EXPECT_LT(wav.fileSize, 44u + 3000u * 2352u);
    EXPECT_EQ(wav.riffSize, wav.fileSize - 8);
    EXPECT_EQ(wav.dataSize, wav.fileSize - 44);
    const auto expected = Track(0);
    EXPECT_TRUE(std::equal(wav.data.begin(), wav.data.end(), expected.begin()));
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
        {kIdEditMenu, {{"Select All", 1010}, {"Invert Selection", 1011}}},
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

#include "MainWindowTest.moc"
