// SPDX-License-Identifier: GPL-3.0-or-later
// The "Text encoding" dialog: the encoding a catalog's texts are read in, chosen while a
// preview shows folder names and descriptions as that encoding reads them.
#pragma once

#include <QDialog>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class QComboBox;
class QListWidget;

class TextEncodingDialog final : public QDialog
{
    Q_OBJECT
public:
    // The catalog's texts as the named encoding reads them.
    using Preview = std::function<QStringList(const QString &encodingName)>;

    TextEncodingDialog(const QList<QString> &names, const QString &current, Preview preview,
                       QWidget *parent = nullptr);
    Q_DISABLE_COPY_MOVE(TextEncodingDialog)

    QString chosenName() const;

private:
    void showPreview();

    Preview m_preview;
    QComboBox *m_names = nullptr;
    QListWidget *m_sample = nullptr;
};
