// SPDX-License-Identifier: GPL-3.0-or-later
// The about box: name, version, rights notice and four links opened through the shell.
#pragma once

#include <QDialog>

class QLayout;
class Shell;

class TAbout final : public QDialog
{
    Q_OBJECT
public:
    explicit TAbout(Shell &shell, QWidget *parent = nullptr);
    Q_DISABLE_COPY_MOVE(TAbout)

    // The four targets, in label order: two web addresses and two "mailto:" links.
    static QStringList linkTargets();

private:
    QLayout *createBannerRow();
    QLayout *createLinkRows();
    QLayout *createButtonRow();

    void Label2Click();
    void Label4Click();
    void Label6Click();
    void Label8Click();

    Shell &m_shell;
};
