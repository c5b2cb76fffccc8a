// SPDX-License-Identifier: GPL-3.0-or-later
#include "linkshelfapplication.h"

#include <QMessageBox>
#include <QProxyStyle>

#include <exception>

namespace {
// Tooltips show at once: the toolbar's glyphs are explained by their hints.
class ImmediateToolTipStyle final : public QProxyStyle
{
public:
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        if (hint == QStyle::SH_ToolTip_WakeUpDelay)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};
} // namespace

LinkshelfApplication::LinkshelfApplication(int &argc, char **argv)
    : QApplication(argc, argv)
    , m_reporter(&LinkshelfApplication::showException)
{
    setApplicationName(QStringLiteral("Linkshelf"));
    setOrganizationName(QStringLiteral("Quorvane"));
    setApplicationVersion(QStringLiteral(LINKSHELF_VERSION));
    setDesktopFileName(QStringLiteral("com.quorvane.Linkshelf"));
    setStyle(new ImmediateToolTipStyle);
}

bool LinkshelfApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &e) {
        m_reporter(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        m_reporter(QStringLiteral("An unknown error occurred."));
    }
    return false;
}

void LinkshelfApplication::setExceptionReporter(std::function<void(const QString &)> reporter)
{
    m_reporter = std::move(reporter);
}

void LinkshelfApplication::showException(const QString &message)
{
    QMessageBox box(QMessageBox::Critical, applicationTitle(), message, QMessageBox::Ok);
    box.exec();
}
