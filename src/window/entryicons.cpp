// SPDX-License-Identifier: GPL-3.0-or-later
#include "entryicons.h"

#include "catalogchoices.h"
#include "entryiconresolver.h"
#include "entrylistmodel.h"
#include "systemicons.h"

#include <QMetaObject>

#include <utility>

EntryIcons::EntryIcons(EntryListModel &model, SystemIcons &icons, const CatalogChoices &choices)
    : m_model(model)
    , m_icons(icons)
    , m_choices(choices)
    , m_resolver(std::make_unique<EntryIconResolver>(icons.iconKeyOfPath()))
{
    // A row's icon from its type is looked up when a view first shows the row.
    model.setIconOfRecord([this](qint32 kind, QByteArrayView path, QByteArrayView program) {
        return entryIconIndex(kind, path, program);
    });
    // A folder's rows, and rows that commands add, ask for the icons of their files once a
    // view shows them.
    model.setIconWanted([this](int row) { want(row); });
    QObject::connect(m_resolver.get(), &EntryIconResolver::answered, m_resolver.get(),
                     [this](const std::vector<EntryIconResolver::Answer> &answers) {
                         std::vector<std::pair<quint32, int>> found;
                         found.reserve(answers.size());
                         for (const EntryIconResolver::Answer &answer : answers)
                             if (!answer.key.isEmpty()) // not an existing file: its extension's icon stays
                                 found.emplace_back(answer.id, m_icons.iconIndexOfKey(answer.key));
                         m_model.setIconIndexes(found);
                     });
}

// The model and its views outlive the icons: they must not call back into them.
EntryIcons::~EntryIcons()
{
    m_model.setIconWanted({});
    m_model.setIconOfRecord({});
}

void EntryIcons::computeUrlIconIndex()
{
    m_urlIconIndex = m_icons.IconIndexOfExtension(QStringLiteral("htm"));
}

int EntryIcons::EntryIconIndex(const MFile &file)
{
    return entryIconIndex(file.Kind, file.Path, file.Program);
}

int EntryIcons::entryIconIndex(qint32 kind, QByteArrayView path, QByteArrayView program)
{
    if (!program.isEmpty())
        return extensionIconIndex(program);
    if (kind != MFile::FileKind)
        return m_urlIconIndex;
    return extensionIconIndex(path);
}

bool EntryIcons::resolving() const
{
    return m_resolver->busy() || !m_wanted.empty();
}

// What SystemIcons::IconIndexOfPath gives a path that names no existing file, looked up
// from the bytes without making a string: a folder of 100k entries has a handful of types.
int EntryIcons::extensionIconIndex(QByteArrayView path)
{
    const qsizetype dot = path.lastIndexOf('.');
    const qsizetype separator = std::max(path.lastIndexOf('/'), path.lastIndexOf('\\'));
    const qsizetype start = dot > separator ? dot + 1 : path.size();
    const QByteArray extension = QByteArray::fromRawData(path.data() + start, path.size() - start);
    if (const auto known = m_iconOfExtension.constFind(extension); known != m_iconOfExtension.cend())
        return *known;
    const QByteArray owned(extension.constData(), extension.size()); // the key outlives path
    const int index = m_icons.IconIndexOfExtension(m_choices.decode(owned));
    m_iconOfExtension.insert(owned, index);
    return index;
}

// Only the file an entry leads to has an icon of its own: its program's, or its path's.
void EntryIcons::want(int row)
{
    QByteArrayView file = m_model.textAt(row, ContentsRecords::ProgramField);
    if (file.isEmpty() && m_model.kindAt(row) == MFile::FileKind)
        file = m_model.textAt(row, ContentsRecords::PathField);
    if (file.isEmpty())
        return;
    m_wanted.push_back({m_model.idAt(row), m_choices.systemPath(file.toByteArray())});
    if (m_wanted.size() == 1) // the rows a paint shows go together, once it is done
        QMetaObject::invokeMethod(
            m_resolver.get(), [this] { askWanted(); }, Qt::QueuedConnection);
}

void EntryIcons::askWanted()
{
    if (!m_wanted.empty())
        m_resolver->resolve(std::exchange(m_wanted, {}));
}

void EntryIcons::resolveAgain()
{
    m_model.forgetIconsWanted();
}

void EntryIcons::cancelAll()
{
    m_resolver->cancelAll();
    m_wanted.clear();
}

EntryRow EntryIcons::rowWithIcon(MFile file)
{
    const int icon = EntryIconIndex(file);
    EntryRow row = makeEntryRow(std::move(file), m_choices.textEncoding());
    row.iconIndex = icon;
    return row;
}
