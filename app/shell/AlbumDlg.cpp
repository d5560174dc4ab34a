#include "AlbumDlg.h"

#include "app/controls/DialogUnits.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

namespace
{

QLineEdit* Edit(const std::string& text, QWidget* parent)
{
    auto* edit = new QLineEdit(QString::fromStdString(text), parent);
    edit->setMinimumWidth(240);
    return edit;
}

std::string Text(const QLineEdit* edit)
{
    // A line break would end the tag's value in some readers and has no place in a name.
    return edit->text().simplified().toStdString();
}

} // namespace

CAlbumDlg::CAlbumDlg(const AlbumFields& album, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setWindowTitle(QStringLiteral("Album"));
    setFont(DialogFont("MS Sans Serif", 8));
    artist_ = Edit(album.artist, this);
    title_ = Edit(album.title, this);
    year_ = Edit(album.year, this);
    genre_ = Edit(album.genre, this);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Album &artist:"), artist_);
    form->addRow(QStringLiteral("Album &title:"), title_);
    form->addRow(QStringLiteral("&Year:"), year_);
    form->addRow(QStringLiteral("&Genre:"), genre_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

AlbumFields CAlbumDlg::album() const
{
    return {Text(artist_), Text(title_), Text(year_), Text(genre_)};
}
