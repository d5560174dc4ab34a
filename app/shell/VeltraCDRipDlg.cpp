#include "VeltraCDRipDlg.h"

#include "AboutDlg.h"
#include "AlbumDlg.h"
#include "ArLookupDlg.h"
#include "BitmapButton.h"
#include "BurstRip.h"
#include "CommandIds.h"
#include "CurrentSettings.h"
#include "LookupDlg.h"
#include "LookupSettingsFile.h"
#include "MainMenus.h"
#include "OptionsSheet.h"
#include "ReleaseChooserDlg.h"
#include "Settings.h"

#include "app/cd/Drive.h"
#include "app/controls/DialogUnits.h"
#include "app/controls/SkinIconButton.h"
#include "app/lookup/CdText.h"
#include "app/res/ResourceIds.h"
#include "app/rip/RipCommand.h"
#include "app/rip/RipDlg.h"
#include "app/tags/TagWriter.h"
#include "app/verify/DiscIds.h"
#include "app/verify/DiscToc.h"
#include "app/verify/ReadOffsetChoice.h"
#include "platform/DebugTrace.h"
#include "platform/ModulePath.h"

#include "Veltraenc.h"

#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QProcess>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>
#include <QWindow>

#include <algorithm>
#include <memory>
#include <string>

namespace
{

// The drive's read offset from the settings file, or from the drive's entry in the
// drive-offset table it names; corrected up to the disc's last audio frame.
ReadOffsetSetup WindowReadOffset(const CurrentSettings& current, const DriveState& drive)
{
    verify::ReadOffsetSources sources;
    sources.setting = current.readOffset;
    sources.settingTable = current.offsetTable;
    DriveIdentity(drive.handle, sources.vendor, sources.model);
    const verify::ReadOffsetChoice choice = verify::ChooseReadOffset(sources);
    for (const auto& warning : choice.warnings)
        plat::DebugTrace("%s", warning.c_str());
    ReadOffsetSetup setup;
    const auto toc = verify::DiscTocFromRecord(drive.tocA);
    if (choice.offset == 0 || !toc) return setup;
    setup.offset = choice.offset;
    setup.discEnd = toc->AudioLeadout();
    return setup;
}

// Dialog 102, in dialog units of "MS Sans Serif" 8.
constexpr QSize kWindowSize(329, 221);
constexpr QRect kCloseRect(314, 1, 15, 13);
constexpr QRect kLineRect(1, 41, 328, 1);
constexpr QRect kListRect(7, 65, 315, 152);

struct ButtonLayout {
    int id;
    QRect units;
    const char* caption;
    int icon;
    const char* tooltip;
};

// Menu buttons first, then the tool buttons: the order in which they are set up.
const ButtonLayout kButtons[] = {
    {kIdFileMenu, {1, 25, 47, 15}, "&File", res::IconMenuButton, "File"},
    {kIdEditMenu, {49, 25, 47, 15}, "&Edit", res::IconMenuButton, "Edit"},
    {kIdOptionsMenu, {97, 25, 47, 15}, "&Options", res::IconMenuButton, "Option"},
    {kIdHelpMenu, {145, 25, 47, 15}, "&Help", res::IconMenuButton, "Help"},
    {kIdRip, {1, 43, 32, 21}, "", res::IconRip, "Rip"},
    {kIdRefresh, {36, 43, 32, 21}, "", res::IconRefresh, "Reresh"},
    {kIdSelectAll, {72, 43, 32, 21}, "", res::IconSelectAll, "Select All"},
    {kIdInvertSelect, {109, 43, 32, 21}, "", res::IconInvertSelect, "Invert Select"},
    {kIdOptions, {146, 43, 32, 21}, "", res::IconOptions, "Options"},
    {kIdHelp, {183, 43, 32, 21}, "", res::IconHelp, "Help"},
};

bool IsMenuButton(int id)
{
    return id >= kIdFileMenu && id <= kIdHelpMenu;
}

constexpr const char kHelpFileName[] = "veltracdripper.chm";

std::string EncoderMissingText(int encoderType)
{
    const char* format = encoderType == XT_ENCODER_WAV    ? "WAV"
                         : encoderType == XT_ENCODER_VORB ? "Ogg Vorbis"
                                                          : "MP3";
    return std::string("The ") + format +
           " encoder is not available on this machine: the tracks were not ripped.";
}

// Whether the desktop has an application for the compiled help. No xdg-mime, or an empty
// answer, means none: the desktop's opener would start and then find nothing.
bool DesktopOpensChm()
{
    for (const char* type : {"application/vnd.ms-htmlhelp", "application/x-chm"}) {
        QProcess query;
        query.start(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"),
                                                 QString::fromLatin1(type)});
        if (!query.waitForStarted(5000)) return false;
        query.closeWriteChannel();
        if (!query.waitForFinished(10000)) {
            query.kill();
            query.waitForFinished();
            continue;
        }
        if (query.exitStatus() == QProcess::NormalExit && query.exitCode() == 0 &&
            !query.readAllStandardOutput().trimmed().isEmpty())
            return true;
    }
    return false;
}

// The secure re-read of burst then verify replaces the burst rip's file without asking.
class CRereadDlg : public CRipDlg
{
public:
    using CRipDlg::CRipDlg;
    bool AskOverwrite(const char*, const char*) override { return true; }
};

} // namespace

// Runs each ticked track's progress dialog. The track's threads use the dialog until they have
// ended, which may be after the dialog has (a cancel): they are waited for before it goes.
class GuiRipFrontEnd : public RipFrontEnd
{
public:
    explicit GuiRipFrontEnd(CVeltraCDRipDlg& window) : window_(window) {}

    RipResult RunTrack(TrackRecord& record, RipJob& job) override
    {
        window_.ShowStatuses();
        RipSettings settings;
        settings.encoderType = window_.settings_.encoderType;
        settings.outputFolder = window_.settings_.outputFolder;
        settings.readOffset = WindowReadOffset(window_.settings_, window_.drive_);
        settings.secure = window_.settings_.secure;
        // Burst then verify: a plain read first, secure mode only for its re-reads.
        if (burst_) {
            settings.secure = burst_->rereading();
            settings.tap = burst_->Begin(record);
        }
        const RowName* named = window_.names_.Find(record.rowNumber);
        if (named) {
            settings.fileDir = named->folder;
            settings.fileName = named->name;
        }
        std::unique_ptr<CRipDlg> dialog =
            burst_ && burst_->rereading()
                ? std::make_unique<CRereadDlg>(record, settings, &window_, &job)
                : std::make_unique<CRipDlg>(record, settings, &window_, &job);
        const int code = dialog->exec();
        const RipReport report = FinishRipJob(job);
        dialog.reset();
        // Samples no two reads agreed on: the file holds the likeliest audio, not the exact.
        finishedStatus_ = report.suspiciousCount > 0 ? kInexactStatus : kCompleteStatus;
        if (burst_) {
            burst_->End(record, code == QDialog::Accepted, report.suspiciousCount > 0);
            finishedStatus_ = burst_->Status(record, finishedStatus_);
        }
        if (named && code == QDialog::Accepted && !job.outputFile.empty())
            Tag(job.outputFile, named->trackNumber);
        // Once per rip: every later track of the format fails the same way.
        if (report.encoderFailed && !toldNoEncoder_) {
            toldNoEncoder_ = true;
            ShowMessage(EncoderMissingText(settings.encoderType).c_str());
        }
        return CRipDlg::ResultOf(code);
    }

    const char* FinishedStatus() const override { return finishedStatus_.c_str(); }

    // Burst then verify through `burst`; null for a plain rip.
    void SetBurst(BurstRip* burst) { burst_ = burst; }

    void ShowMessage(const char* text) override
    {
        QMessageBox box(QMessageBox::Warning, QString::fromLatin1(kAppTitle),
                        QString::fromUtf8(text), QMessageBox::Ok, &window_);
        box.exec();
    }

private:
    // Once the file is closed; a failure is told once per rip.
    void Tag(const std::string& path, int trackNumber)
    {
        const TrackNames& names = window_.names_;
        std::string error;
        if (tags::WriteTags(path,
                            tags::TrackTagValues(*names.disc(), trackNumber, names.firstTrack()),
                            {}, error) != tags::TagResult::Failed ||
            toldNoTags_)
            return;
        toldNoTags_ = true;
        ShowMessage(("The tags could not be written: " + error).c_str());
    }

    CVeltraCDRipDlg& window_;
    bool toldNoEncoder_ = false;
    std::string finishedStatus_ = kCompleteStatus;
    bool toldNoTags_ = false;
    BurstRip* burst_ = nullptr;
};

CVeltraCDRipDlg::CVeltraCDRipDlg(QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowSystemMenuHint)
{
    OnInitDialog();
}

CVeltraCDRipDlg::~CVeltraCDRipDlg() = default;

void CVeltraCDRipDlg::OnInitDialog()
{
    // The system menu's About entry has no counterpart here: the Help menu's About does it.
    for (int pixels : res::kAppIconSizes)
        appIcon_.addFile(res::AppIconPath(pixels));
    setWindowIcon(appIcon_);
    setWindowTitle(QStringLiteral("Veltra CD Ripper"));

    setFont(DialogFont("MS Sans Serif", 8));
    const QSize base = DialogBaseUnits(font());
    setFixedSize(MapDialogSize(kWindowSize, base));

    background_ = QPixmap(res::ResourcePath(res::Background));
    close_ = new CBitmapButton(QPixmap(res::ResourcePath(res::CloseUp)),
                               QPixmap(res::ResourcePath(res::CloseDown)), this);
    close_->setObjectName(QString::number(kIdExit));
    close_->setToolTip(QStringLiteral("Exit"));
    close_->setGeometry(MapDialogRect(kCloseRect, base));
    connect(close_, &QAbstractButton::clicked, this, [this] { OnCommand(kIdExit); });

    CreateButtons(base);

    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setGeometry(MapDialogRect(kLineRect, base));

    list_ = new QTreeWidget(this);
    list_->setObjectName(QString::number(kIdTrackList));
    list_->setGeometry(MapDialogRect(kListRect, base));
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setAllColumnsShowFocus(true);
    list_->setAlternatingRowColors(true);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setColumnCount(4);
    list_->setHeaderLabels({QStringLiteral("Selected"), QStringLiteral("File Name"),
                            QStringLiteral("Time"), QStringLiteral("Status")});
    // Pixel widths made for a font with a horizontal base unit of 6: wider fonts widen them.
    const int widths[] = {70, 150, 100, 100};
    for (int c = 0; c < 4; ++c)
        list_->setColumnWidth(c, widths[c] * std::max(base.width(), 6) / 6);
    list_->header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    list_->header()->setStretchLastSection(false);
    list_->header()->setSectionsMovable(false);
    connect(list_, &QTreeWidget::itemChanged, this, &CVeltraCDRipDlg::OnItemChanged);
    // Only a looked-up name can be edited, and only in its own column.
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(list_, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item, int column) {
                if (column == 1 && (item->flags() & Qt::ItemIsEditable)) list_->editItem(item, 1);
            });

    LoadSettings(settings_, drive_);
    RefreshTrackList(drive_, tracks_);
    tracks_.CheckAll(true);
    FillTrackView();
    // Once the window is up, so the message has it for its owner; at start-up also when
    // another drive took the refused image's place.
    QTimer::singleShot(0, this, [this] {
        ReportImageRefusal(true);
        LookUpIfAsked();
    });
    if (settings_.pathTooLong) {
        // Told once the window is up, not before it shows.
        const QString text =
            QStringLiteral("The output folder in the settings file is longer than %1 characters, "
                           "so the default folder is used:\n%2")
                .arg(kMaxOutputFolder)
                .arg(QFile::decodeName(QByteArray::fromStdString(settings_.outputFolder)));
        QTimer::singleShot(0, this, [this, text] {
            QMessageBox box(QMessageBox::Information, QString::fromLatin1(kAppTitle), text,
                            QMessageBox::Ok, this);
            box.exec();
        });
    }
}

void CVeltraCDRipDlg::CreateButtons(const QSize& base)
{
    for (const ButtonLayout& button : kButtons) {
        auto* b = new CSkinIconButton(QString::fromLatin1(button.caption), this);
        b->setObjectName(QString::number(button.id));
        b->setGeometry(MapDialogRect(button.units, base));
        buttons_[button.id] = b;
        const int id = button.id;
        connect(b, &QAbstractButton::clicked, this, [this, id] { OnCommand(id); });
    }
    for (const ButtonLayout& button : kButtons)
        if (IsMenuButton(button.id)) buttons_[button.id]->SetDrawBorder(false, true);
    for (const ButtonLayout& button : kButtons) {
        CSkinIconButton* b = buttons_[button.id];
        b->SetButtonIcon(res::ResourcePath(button.icon));
        b->SetTooltipText(QString::fromLatin1(button.tooltip), true);
        b->SetTransparent(false);
    }
}

CSkinIconButton* CVeltraCDRipDlg::button(int id) const
{
    const auto it = buttons_.find(id);
    return it == buttons_.end() ? nullptr : it->second;
}

QString CVeltraCDRipDlg::HelpFilePath()
{
    return QFile::decodeName(QByteArray::fromStdString(plat::GetProgramFolder())) +
           QLatin1Char('/') + QLatin1String(kHelpFileName);
}

void CVeltraCDRipDlg::OnCommand(int id)
{
    switch (id) {
    case kIdExit:
        accept();
        break;
    case kIdFileMenu:
    case kIdEditMenu:
    case kIdOptionsMenu:
    case kIdHelpMenu:
        ShowMenu(id);
        break;
    case kIdRip:
        OnRip();
        break;
    case kIdRefresh:
        OnRefresh();
        break;
    case kIdSelectAll:
        CheckAll(true);
        break;
    case kIdInvertSelect:
        CheckAll(false); // clears every mark; it does not toggle them
        break;
    case kIdOptions:
        RunOptionsCommand(this, settings_);
        break;
    case kIdHelp:
        OnHelp();
        break;
    case kIdAbout:
    case kIdSystemAbout:
        OnAbout();
        break;
    case kIdLookUp:
        OnLookUp(false);
        break;
    case kIdAlbum:
        OnAlbum();
        break;
    default:
        break;
    }
}

void CVeltraCDRipDlg::ShowMenu(int menuButton)
{
    CSkinIconButton* b = button(menuButton);
    std::unique_ptr<QMenu> menu(BuildPopupMenu(menuButton, this));
    QAction* chosen = menu->exec(b->mapToGlobal(QPoint(0, b->height())));
    const int command = chosen ? chosen->data().toInt() : 0;
    menu.reset();
    if (command) OnCommand(command);
}

void CVeltraCDRipDlg::OnRip()
{
    GuiRipFrontEnd frontEnd(*this);
    bool ticked = false;
    for (size_t i = 0; i < tracks_.size(); ++i)
        ticked = ticked || tracks_.row(i).checked;
    if (settings_.verify && ticked)
        RipVerified(frontEnd);
    else
        RipCommand(tracks_, frontEnd, drive_.handle);
    ShowStatuses();
}

void CVeltraCDRipDlg::RipVerified(GuiRipFrontEnd& frontEnd)
{
    const auto toc = verify::DiscTocFromRecord(drive_.tocA);
    const auto disc = toc ? verify::AccurateRipId(*toc) : std::nullopt;
    std::optional<verify::DbarResponse> response;
    std::string unverified; // why nothing is checked against the database
    if (!disc) {
        unverified = "no audio track to look up";
    } else {
        const LookupFileSettings file = ReadLookupSettings();
        verify::ArLookupSettings settings;
        if (!file.accurateRipUrl.empty()) settings.baseUrl = file.accurateRipUrl;
        settings.timeoutSeconds = file.timeoutSeconds;
        CArLookupDlg lookingUp(*disc, settings, this);
        if (lookingUp.exec() != QDialog::Accepted) return; // cancelled: nothing is ripped
        if (lookingUp.result().found())
            response = lookingUp.result().response;
        else
            unverified = lookingUp.result().message;
    }
    BurstRip burst(toc, std::move(response));
    frontEnd.SetBurst(&burst);
    burst.Run(tracks_, frontEnd, drive_.handle);
    frontEnd.SetBurst(nullptr);
    ShowStatuses();
    // After the rip: a missing response must not hold up the reads.
    if (!unverified.empty())
        frontEnd.ShowMessage(
            ("AccurateRip lookup: " + unverified + "; the rip went on unverified.").c_str());
}

void CVeltraCDRipDlg::OnRefresh()
{
    // A refresh lists the disc anew, every row unticked.
    RefreshTrackList(drive_, tracks_);
    names_.Clear();
    FillTrackView();
    ReportImageRefusal(false);
    LookUpIfAsked();
}

void CVeltraCDRipDlg::ReportImageRefusal(bool evenWithTracks)
{
    if (!tracks_.empty() && !evenWithTracks) return;
    const std::string refusal = ImageRefusal();
    if (refusal.empty()) return;
    QMessageBox box(QMessageBox::Warning, QString::fromLatin1(kAppTitle),
                    QString::fromStdString(refusal), QMessageBox::Ok, this);
    box.exec();
}

void CVeltraCDRipDlg::CheckAll(bool checked)
{
    tracks_.CheckAll(checked);
    const QSignalBlocker block(list_);
    for (int i = 0; i < list_->topLevelItemCount(); ++i)
        list_->topLevelItem(i)->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
    list_->viewport()->update();
}

void CVeltraCDRipDlg::OnHelp()
{
    // A missing help file fails silently. Where nothing opens the compiled help, the same
    // guide in HTML beside it is opened instead.
    const QString chm = HelpFilePath();
    const QString html = QFileInfo(chm).path() + QStringLiteral("/help/index.html");
    if (QFileInfo::exists(html) && !DesktopOpensChm()) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(html));
        return;
    }
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(chm))) return;
    if (QFileInfo::exists(html)) QDesktopServices::openUrl(QUrl::fromLocalFile(html));
}

void CVeltraCDRipDlg::OnAbout()
{
    CAboutDlg about(this);
    about.exec();
}

void CVeltraCDRipDlg::FillTrackView()
{
    const QSignalBlocker block(list_);
    list_->clear();
    for (size_t i = 0; i < tracks_.size(); ++i) {
        const TrackRow& row = tracks_.row(i);
        auto* item =
            new QTreeWidgetItem({QString::fromLatin1(row.selected),
                                 QFile::decodeName(QByteArray::fromStdString(row.name)),
                                 QString::fromLatin1(row.time), QString::fromLatin1(row.status)});
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, row.checked ? Qt::Checked : Qt::Unchecked);
        item->setData(0, Qt::UserRole, static_cast<int>(i));
        list_->addTopLevelItem(item);
    }
    if (names_.active()) ShowNames();
}

void CVeltraCDRipDlg::ShowStatuses()
{
    const QSignalBlocker block(list_);
    for (int i = 0; i < list_->topLevelItemCount() && static_cast<size_t>(i) < tracks_.size(); ++i)
        list_->topLevelItem(i)->setText(
            3, QString::fromLatin1(tracks_.row(static_cast<size_t>(i)).status));
}

void CVeltraCDRipDlg::OnItemChanged(QTreeWidgetItem* item, int column)
{
    const int i = item->data(0, Qt::UserRole).toInt();
    if (i < 0 || static_cast<size_t>(i) >= tracks_.size()) return;
    if (column == 1 && names_.Find(i + 1)) {
        names_.Edit(i + 1, item->text(1).trimmed().toStdString(), tracks_, settings_.outputFolder);
        ShowNames();
        return;
    }
    if (column != 0) return;
    tracks_.row(static_cast<size_t>(i)).checked = item->checkState(0) == Qt::Checked;
}

void CVeltraCDRipDlg::ShowNames()
{
    const QSignalBlocker block(list_);
    for (int i = 0; i < list_->topLevelItemCount() && static_cast<size_t>(i) < tracks_.size();
         ++i) {
        QTreeWidgetItem* item = list_->topLevelItem(i);
        const RowName* named = names_.Find(i + 1);
        item->setText(1, named ? QString::fromStdString(TrackNames::Shown(*named))
                               : QFile::decodeName(QByteArray::fromStdString(
                                     tracks_.row(static_cast<size_t>(i)).name)));
        item->setFlags(named ? item->flags() | Qt::ItemIsEditable
                             : item->flags() & ~Qt::ItemIsEditable);
    }
}

void CVeltraCDRipDlg::LookUpIfAsked()
{
    if (!tracks_.empty() && ReadLookupSettings().lookupOnRead) OnLookUp(true);
}

void CVeltraCDRipDlg::OnLookUp(bool onRead)
{
    auto tell = [this](const QString& text) {
        QMessageBox box(QMessageBox::Warning, QString::fromLatin1(kAppTitle), text, QMessageBox::Ok,
                        this);
        box.exec();
    };
    const auto toc = verify::DiscTocFromRecord(drive_.tocA);
    if (tracks_.empty() || !toc) {
        if (!onRead) tell(QStringLiteral("There is no disc to look up."));
        return;
    }
    const LookupFileSettings file = ReadLookupSettings();
    lookup::LookupSettings urls;
    urls.musicBrainzUrl = file.musicBrainzUrl;
    urls.gnudbUrl = file.gnudbUrl;
    urls.coverArtUrl = file.coverArtUrl;
    urls.timeoutSeconds = file.timeoutSeconds;
    // The disc's own texts and codes are read here: the drive belongs to this thread.
    const lookup::DiscQuery query = QueryOf(*toc);
    CLookupDlg lookingUp(query, urls, lookup::ReadCdText(drive_.handle, query), this);
    if (lookingUp.exec() != QDialog::Accepted) return; // cancelled: the list stays as it was
    const lookup::SourceResult& result = lookingUp.result();
    if (result.releases.empty()) {
        QString why;
        for (const std::string& line : result.messages)
            why += (why.isEmpty() ? "" : "; ") + QString::fromStdString(line);
        tell(QStringLiteral("No disc information was found") +
             (why.isEmpty() ? QStringLiteral(".") : QStringLiteral(": ") + why));
        return;
    }
    int chosen = 0;
    if (result.releases.size() > 1) {
        CReleaseChooserDlg chooser(result.releases, this);
        if (chooser.exec() != QDialog::Accepted) return;
        chosen = chooser.chosen();
    }
    lookup::DiscMetadata disc = result.releases[static_cast<size_t>(chosen)];
    lookup::ApplyDiscCodes(disc, lookup::ReadDiscCodes(drive_.handle, query), query.firstTrack);
    names_.Take(disc, tracks_, *toc, file.nameFormat, settings_.outputFolder);
    ShowNames();
}

void CVeltraCDRipDlg::OnAlbum()
{
    if (!names_.active()) {
        QMessageBox box(QMessageBox::Information, QString::fromLatin1(kAppTitle),
                        QStringLiteral("Look the disc up first: the album fields come from its "
                                       "disc information."),
                        QMessageBox::Ok, this);
        box.exec();
        return;
    }
    CAlbumDlg album(names_.album(), this);
    if (album.exec() != QDialog::Accepted) return;
    names_.SetAlbum(album.album(), tracks_, settings_.outputFolder);
    ShowNames();
}

void CVeltraCDRipDlg::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawPixmap(rect(), background_);
}

void CVeltraCDRipDlg::mousePressEvent(QMouseEvent* event)
{
    // A press on the background drags the window, as a caption would.
    if (event->button() == Qt::LeftButton) {
        if (windowHandle() && windowHandle()->startSystemMove()) {
            event->accept();
            return;
        }
        dragging_ = true;
        dragOffset_ = event->globalPosition().toPoint() - pos();
    }
    QDialog::mousePressEvent(event);
}

void CVeltraCDRipDlg::mouseMoveEvent(QMouseEvent* event)
{
    if (dragging_ && (event->buttons() & Qt::LeftButton))
        move(event->globalPosition().toPoint() - dragOffset_);
    QDialog::mouseMoveEvent(event);
}

void CVeltraCDRipDlg::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) dragging_ = false;
    QDialog::mouseReleaseEvent(event);
}

void CVeltraCDRipDlg::keyPressEvent(QKeyEvent* event)
{
    // Enter is the dialog's OK. A focused push button takes its own Enter before it gets here;
    // the first button must not turn into a default that the list's Enter would click.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
