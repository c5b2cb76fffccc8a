// SPDX-License-Identifier: GPL-3.0-or-later
#include "textencodingdialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

namespace {
constexpr QSize InitialSize(520, 380); // room for the list of code pages and a sample
} // namespace

TextEncodingDialog::TextEncodingDialog(const QList<QString> &names, const QString &current, Preview preview,
                                       QWidget *parent)
    : QDialog(parent)
    , m_preview(std::move(preview))
{
    setObjectName(QStringLiteral("TextEncodingDialog"));
    setWindowTitle(QStringLiteral("Text encoding"));
    auto *intro =
        new QLabel(QStringLiteral("The encoding this catalog's names and descriptions are read in. A "
                                  "catalog from Windows uses the code page of its language; choose "
                                  "the one under which the texts below read right. The files are not "
                                  "changed: only texts you edit are written in it."),
                   this);
    intro->setWordWrap(true);
    m_names = new QComboBox(this);
    m_names->setObjectName(QStringLiteral("EncodingNames"));
    m_names->addItems(names);
    if (!names.contains(current))
        m_names->addItem(current);
    m_names->setCurrentText(current);
    m_sample = new QListWidget(this);
    m_sample->setObjectName(QStringLiteral("EncodingPreview"));
    m_sample->setAccessibleName(QStringLiteral("The catalog's names as this encoding reads them"));
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_names, &QComboBox::currentTextChanged, this, &TextEncodingDialog::showPreview);

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("&Encoding:"), m_names);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addLayout(form);
    layout->addWidget(m_sample);
    layout->addWidget(buttons);
    resize(InitialSize);
    showPreview();
}

QString TextEncodingDialog::chosenName() const
{
    return m_names->currentText();
}

void TextEncodingDialog::showPreview()
{
    m_sample->clear();
    if (m_preview)
        m_sample->addItems(m_preview(chosenName()));
}
