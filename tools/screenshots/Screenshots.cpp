// veltra_screenshots OUTDIR: renders the main window (a disc listed, the mouse over a tool
// button; and again with its File menu open), the progress dialog at 50 per cent and the
// Options sheet to PNG files, on Qt's offscreen platform. Dialogs get a plain caption bar drawn
// here, since offscreen windows have no window manager to frame them.
#include "app/controls/SkinIconButton.h"
#include "app/res/ResourceIds.h"
#include "app/rip/RipDlg.h"
#include "app/shell/CommandIds.h"
#include "app/shell/MainMenus.h"
#include "app/shell/OptionsSheet.h"
#include "app/shell/VeltraCDRipApp.h"
#include "app/shell/VeltraCDRipDlg.h"
#include "discimage/DiscImage.h"
#include "platform/ModulePath.h"

#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace
{

// The progress dialog without a job: the meter is set by hand.
class StillRipDlg : public CRipDlg
{
public:
    using CRipDlg::CRipDlg;

protected:
    void StartJob() override {}
    void CancelJob() override {}
};

void Settle()
{
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
}

// The window's picture inside a simple frame with a caption bar.
QImage Framed(QWidget& window, const QString& title)
{
    const QPixmap content = window.grab();
    const int bar = 28, border = 1;
    const QSize size(content.width() + 2 * border, content.height() + bar + border);
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(QColor("#0c1016"));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient caption(0, 0, 0, bar);
    caption.setColorAt(0, QColor("#2b3646"));
    caption.setColorAt(1, QColor("#212a37"));
    p.fillRect(QRect(border, border, size.width() - 2 * border, bar - border), caption);
    p.drawPixmap(QPoint(16, 6), QPixmap(res::AppIconPath(16)));
    QFont font = window.font();
    font.setPointSize(9);
    font.setBold(true);
    p.setFont(font);
    p.setPen(QColor("#e9eef4"));
    p.drawText(QRect(40, 0, size.width() - 80, bar), Qt::AlignVCenter | Qt::AlignLeft, title);
    // the close box
    p.setPen(QPen(QColor("#a9b6c6"), 1.6, Qt::SolidLine, Qt::RoundCap));
    const QPointF c(size.width() - 18.5, bar / 2.0);
    p.drawLine(c + QPointF(-4.5, -4.5), c + QPointF(4.5, 4.5));
    p.drawLine(c + QPointF(-4.5, 4.5), c + QPointF(4.5, -4.5));
    p.drawPixmap(QPoint(border, bar), content);
    return image;
}

bool Save(const QImage& image, const QString& path)
{
    if (!image.save(path)) {
        std::fprintf(stderr, "veltra_screenshots: cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: veltra_screenshots OUTDIR\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(kAppTitle));
    ApplyVeltraLook(app);
    const QString out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(out);

    // A program folder of its own: settings, output, and a disc of five short tracks.
    QTemporaryDir folder;
    if (!folder.isValid()) return 1;
    const std::string dir = QFile::encodeName(folder.path()).toStdString();
    plat::SetProgramFolderOverride(dir);
    QFile ini(folder.filePath(QStringLiteral("VeltraCDRipper.ini")));
    if (!ini.open(QIODevice::WriteOnly)) return 1;
    ini.write(("[OutPut]\nPath=" + dir + "\nEncode=WAV\n").c_str());
    ini.close();
    discimage::DiscLayout layout;
    layout.audioLengths = discimage::ParseLengths("0:48,1:12,0:55,1:31,0:39");
    layout.audio = discimage::Audio::Tones;
    const auto image = discimage::WriteDiscImage(layout, dir + "/disc");
    setenv("VELTRARIP32_IMAGES", image.descriptorPath.c_str(), 1);

    bool ok = true;
    {
        CVeltraCDRipDlg window;
        window.move(0, 0);
        window.show();
        Settle();
        // Rip the first track, so that its row reads "complete", then tick every row again.
        QTreeWidget* list = window.trackView();
        for (int i = 1; i < list->topLevelItemCount(); ++i)
            list->topLevelItem(i)->setCheckState(0, Qt::Unchecked);
        window.OnCommand(kIdRip);
        window.OnCommand(kIdSelectAll);
        list->setCurrentItem(list->topLevelItem(2));
        list->clearSelection();
        // The mouse over the Rip button.
        CSkinIconButton* rip = window.button(kIdRip);
        const QPointF inside(rip->width() / 2.0, rip->height() / 2.0);
        QMouseEvent move(QEvent::MouseMove, inside, rip->mapToGlobal(inside), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(rip, &move);
        Settle();
        ok = Save(window.grab().toImage(), out + QStringLiteral("/main-window.png")) && ok;

        // The File menu open under its button, its second item under the mouse.
        rip->CancelHover();
        CSkinIconButton* file = window.button(kIdFileMenu);
        QMouseEvent over(QEvent::MouseMove, QPointF(20, 10), file->mapToGlobal(QPointF(20, 10)),
                         Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(file, &over);
        std::unique_ptr<QMenu> menu(BuildPopupMenu(kIdFileMenu, &window));
        menu->popup(file->mapToGlobal(QPoint(0, file->height())));
        Settle();
        menu->setActiveAction(menu->actions().value(1));
        Settle();
        QImage withMenu = window.grab().toImage();
        {
            QPainter p(&withMenu);
            p.drawPixmap(window.mapFromGlobal(menu->pos()), menu->grab());
        }
        menu->hide();
        file->CancelHover();
        ok = Save(withMenu, out + QStringLiteral("/main-window-menu.png")) && ok;

        TrackRecord record{};
        std::snprintf(record.name, sizeof record.name, "Track 03");
        StillRipDlg progress(record, RipSettings{}, &window);
        progress.show();
        Settle();
        progress.SetPosition(50);
        Settle();
        ok = Save(Framed(progress, progress.windowTitle()),
                  out + QStringLiteral("/rip-progress.png")) &&
             ok;
        progress.hide();

        // The sheet shows the folder of the settings file.
        if (ini.open(QIODevice::WriteOnly)) {
            ini.write("[OutPut]\nPath=/home/alex/Music/CD Rips\nEncode=MP3\n");
            ini.close();
        }
        COptionsSheet sheet(&window);
        sheet.show();
        Settle();
        ok = Save(Framed(sheet, sheet.windowTitle()), out + QStringLiteral("/options.png")) && ok;
        sheet.hide();
    }
    return ok ? 0 : 1;
}
