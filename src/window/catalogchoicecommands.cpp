// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogchoicecommands.h"

#include "catalogsession.h"
#include "contentsfile.h"
#include "entrylistmodel.h"
#include "interaction.h"
#include "maintree.h"
#include "pathmappingsdialog.h"
#include "textencodingdialog.h"

#include <QDir>

#include <algorithm>

namespace {

bool isAsciiLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// The texts the encoding dialog previews: every folder's name, then the names and
// descriptions of the shown folder's entries.
QList<QByteArray> previewTexts(const CatalogSession &session)
{
    QList<QByteArray> texts;
    for (const FolderRecord &folder : session.controls().tree->toRecords())
        texts.append(folder.Name);
    const EntryListModel &model = session.model();
    for (int row = 0; row < model.count(); ++row) {
        texts.append(model.rowAt(row).file.Path);
        if (!model.rowAt(row).file.Description.isEmpty())
            texts.append(model.rowAt(row).file.Description);
    }
    return texts;
}

} // namespace

TextRefusal textRefusal(const TextEncoding &encoding)
{
    return [encoding](const QString &text) {
        const EncodedText encoded = encoding.encode(text);
        return encoded.unencodable ? encoding.unencodableMessage(*encoded.unencodable) : QString();
    };
}

CatalogChoiceCommands::CatalogChoiceCommands(CatalogSession &session, QWidget *dialogParent)
    : m_session(session)
    , m_dialogParent(dialogParent)
{}

void CatalogChoiceCommands::textEncodingClick()
{
    const QList<QByteArray> texts = previewTexts(m_session);
    TextEncodingDialog dialog(
        offeredEncodingNames(), m_session.choices().textEncoding().name(),
        [&texts](const QString &name) {
            QStringList shown;
            const std::optional<TextEncoding> encoding = TextEncoding::named(name);
            for (const QByteArray &text : texts)
                if (encoding)
                    shown.append(encoding->decode(text));
            return shown;
        },
        m_dialogParent);
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (const std::optional<TextEncoding> chosen = TextEncoding::named(dialog.chosenName()))
        m_session.setTextEncoding(*chosen, true);
}

void CatalogChoiceCommands::pathMappingsClick()
{
    PathMappingsDialog::Rules rules;
    for (const PathMapping &mapping : m_session.choices().pathMappings())
        rules.append({mapping.storedPrefix, mapping.opensAs});
    PathMappingsDialog dialog(rules, m_dialogParent);
    if (dialog.exec() != QDialog::Accepted)
        return;
    QList<PathMapping> mappings;
    for (const auto &[stored, opensAs] : dialog.rules())
        mappings.append({stored, opensAs});
    m_session.setPathMappings(mappings);
}

void CatalogChoiceCommands::suggestPathMapping(const QString &homeDirectory)
{
    if (m_session.mappingSuggested() || !m_session.choices().pathMappings().isEmpty())
        return;
    const EntryListModel &model = m_session.model();
    QList<QString> paths;
    for (int row = 0; row < model.count(); ++row) {
        if (model.kindAt(row) != MFile::FileKind)
            continue;
        // Only a path that starts with a drive letter can be suggested a mapping; it is told
        // from its first two bytes, so a folder of a million entries decodes none of the others.
        const QByteArrayView path = model.textAt(row, ContentsRecords::PathField);
        if (path.size() >= 2 && isAsciiLetter(path[0]) && path[1] == ':')
            paths.append(m_session.choices().decode(path));
    }
    const std::optional<PathMapping> suggested = suggestedPathMapping(paths, homeDirectory);
    if (!suggested)
        return;
    const QString example = *std::find_if(paths.cbegin(), paths.cend(), [&](const QString &path) {
        return mappedPath(path, {*suggested}).has_value();
    });
    m_session.setMappingSuggested();
    if (m_session.interaction().askYesNo(
            QStringLiteral("This catalog holds paths written on Windows, such as \"%1\".\n\nOpen the paths "
                           "that begin with \"%2\" from \"%3\" on this computer? (Catalog > Path "
                           "mappings... changes this at any time.)")
                .arg(example, suggested->storedPrefix, QDir::toNativeSeparators(suggested->opensAs))))
        m_session.setPathMappings({*suggested});
}
