// SPDX-License-Identifier: GPL-3.0-or-later
// The about box: name, version, rights notice and four links opened through the shell.
#include "tabout.h"

#include "dialogparts.h"
#include "linklabel.h"
#include "shell.h"

#include <QBoxLayout>
#include <QFrame>
#include <QGridLayout>
#include <QIcon>
#include <QLabel>
#include <QTextEdit>
#include <QToolButton>

namespace {
// Addresses under the domain reserved for examples until the real ones exist.
const QString HomePage = QStringLiteral("https://www.example.com/");
const QString ProductPage = QStringLiteral("https://www.example.com/linkshelf/");
const QString SupportMail = QStringLiteral("support@example.com");
const QString AuthorMail = QStringLiteral("author@example.com");
const QString MailScheme = QStringLiteral("mailto:");

// The rights notice of the licence in the sources' headers: reserving all rights would
// take back what the licence grants.
const QString Notice = QStringLiteral("Linkshelf version " LINKSHELF_VERSION "\n"
                                      "Copyright \u00A9 2026 Quorvane.\n"
                                      "Free software under the GNU GPL, version 3 or later, "
                                      "without any warranty.");
} // namespace

TAbout::TAbout(Shell &shell, QWidget *parent)
    : QDialog(parent)
    , m_shell(shell)
{
    setObjectName(QStringLiteral("TAbout"));
    setWindowTitle(QStringLiteral("About Linkshelf"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 5);
    layout->setSpacing(6);
    layout->addLayout(createBannerRow());
    layout->addLayout(createLinkRows());
    layout->addStretch();
    layout->addLayout(createButtonRow());
    // The box keeps its design size unless the desktop's font needs more room.
    setFixedSize(QSize(469, 182).expandedTo(layout->totalMinimumSize()));
    centreOnScreen(this);
}

QStringList TAbout::linkTargets()
{
    return {HomePage, ProductPage, MailScheme + SupportMail, MailScheme + AuthorMail};
}

QLayout *TAbout::createBannerRow()
{
    auto *bevel = new QFrame(this);
    bevel->setObjectName(QStringLiteral("Bevel1"));
    bevel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    bevel->setFixedSize(258, 68);
    auto *image = new QLabel(bevel);
    image->setObjectName(QStringLiteral("Image1"));
    image->setGeometry(4, 4, 250, 60);
    image->setPixmap(QIcon(QStringLiteral(":/icons/banner.svg")).pixmap(QSize(250, 60), devicePixelRatioF()));

    auto *memo = new QTextEdit(this);
    memo->setObjectName(QStringLiteral("Memo1"));
    memo->setReadOnly(true);
    // A caret shows where the focus is, and Tab goes on to the links rather than into the text.
    memo->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    memo->setTabChangesFocus(true);
    memo->setAccessibleName(QStringLiteral("About Linkshelf"));
    memo->setPlainText(Notice);
    memo->selectAll();
    memo->setAlignment(Qt::AlignCenter);
    memo->setTextCursor(QTextCursor(memo->document()));
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    memo->setMinimumSize(193, 67);
    QPalette face = memo->palette();
    face.setColor(QPalette::Base, face.color(QPalette::Button));
    memo->setPalette(face);
    memo->setFocus(); // first in the tab order, so no link or button looks chosen

    auto *row = new QHBoxLayout;
    row->setSpacing(10);
    row->addWidget(bevel);
    row->addWidget(memo, 1);
    return row;
}

QLayout *TAbout::createLinkRows()
{
    struct Row
    {
        const char *labelName;
        QString caption;
        const char *linkName;
        QString address;
        void (TAbout::*handler)();
    };
    const Row rows[] = {
        {"Label1", QStringLiteral("Open Quorvane home page:"), "Label2", HomePage, &TAbout::Label2Click},
        {"Label3", QStringLiteral("Open Linkshelf home page:"), "Label4", ProductPage, &TAbout::Label4Click},
        {"Label5", QStringLiteral("Linkshelf support:"), "Label6", SupportMail, &TAbout::Label6Click},
        {"Label7", QStringLiteral("E-Mail to author:"), "Label8", AuthorMail, &TAbout::Label8Click},
    };
    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(0);
    int line = 0;
    for (const Row &row : rows) {
        auto *label = new QLabel(row.caption, this);
        label->setObjectName(QString::fromLatin1(row.labelName));
        auto *link = new LinkLabel(QString::fromLatin1(row.linkName), row.address, this);
        link->setAccessibleName(QString(row.caption).remove(u':') + u' ' + row.address);
        connect(link, &LinkLabel::clicked, this, row.handler);
        grid->addWidget(label, line, 0, Qt::AlignRight);
        grid->addWidget(link, line, 1, Qt::AlignLeft);
        ++line;
    }
    // The two columns meet in the middle of the box, the captions right-aligned against it.
    auto *centred = new QHBoxLayout;
    centred->addStretch(1);
    centred->addLayout(grid);
    centred->addStretch(1);
    return centred;
}

QLayout *TAbout::createButtonRow()
{
    QToolButton *ok = createGlyphButton(this, QStringLiteral("RxSpeedButton1"), QStringLiteral("ok"),
                                        QStringLiteral("  &OK"));
    ok->setMinimumSize(81, 25);
    connect(ok, &QToolButton::clicked, this, &QDialog::accept);
    auto *row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(ok);
    row->addStretch();
    return row;
}

// The shell's answer is not looked at: a link that cannot be opened shows nothing, and the
// box stays open beside the browser or mail program either way.
void TAbout::Label2Click()
{
    m_shell.open(HomePage.toUtf8());
}

void TAbout::Label4Click()
{
    m_shell.open(ProductPage.toUtf8());
}

void TAbout::Label6Click()
{
    m_shell.open((MailScheme + SupportMail).toUtf8());
}

void TAbout::Label8Click()
{
    m_shell.open((MailScheme + AuthorMail).toUtf8());
}
