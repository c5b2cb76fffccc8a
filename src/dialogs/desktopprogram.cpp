// SPDX-License-Identifier: GPL-3.0-or-later
// The program that a desktop entry starts.
#include "desktopprogram.h"

#include <QFile>
#include <QStandardPaths>
#include <QStringList>
#include <QTextStream>

namespace {

// The value of Exec= in the [Desktop Entry] group, with the string escapes of the format
// undone (\s, \n, \t, \r, \\); localised keys such as Exec[de]= are not the key.
QString execValue(const QString &desktopFilePath)
{
    QFile file(desktopFilePath);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    QTextStream in(&file);
    bool inEntryGroup = false;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.startsWith(QLatin1Char('[')))
            inEntryGroup = line == QLatin1String("[Desktop Entry]");
        else if (inEntryGroup && line.startsWith(QLatin1String("Exec"))) {
            const qsizetype equals = line.indexOf(QLatin1Char('='));
            if (equals > 0 && line.left(equals).trimmed() == QLatin1String("Exec"))
                return line.mid(equals + 1).trimmed();
        }
    }
    return QString();
}

QString undoStringEscapes(const QString &value)
{
    QString out;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c != QLatin1Char('\\') || i + 1 == value.size()) {
            out.append(c);
            continue;
        }
        const QChar next = value.at(++i);
        switch (next.unicode()) {
        case 's':
            out.append(QLatin1Char(' '));
            break;
        case 'n':
            out.append(QLatin1Char('\n'));
            break;
        case 't':
            out.append(QLatin1Char('\t'));
            break;
        case 'r':
            out.append(QLatin1Char('\r'));
            break;
        case '\\':
            out.append(QLatin1Char('\\'));
            break;
        default:
            out.append(c).append(next); // an escape the format does not know stays
        }
    }
    return out;
}

// Splits a command line by the Exec quoting rules: blanks separate words, double quotes
// group, and inside quotes a backslash takes the next character literally.
QStringList execWords(const QString &command)
{
    QStringList words;
    QString word;
    bool quoted = false, inWord = false;
    for (qsizetype i = 0; i < command.size(); ++i) {
        const QChar c = command.at(i);
        if (quoted && c == QLatin1Char('\\') && i + 1 < command.size()) {
            word.append(command.at(++i));
        } else if (c == QLatin1Char('"')) {
            quoted = !quoted;
            inWord = true;
        } else if (!quoted && (c == QLatin1Char(' ') || c == QLatin1Char('\t'))) {
            if (inWord)
                words.append(word);
            word.clear();
            inWord = false;
        } else {
            word.append(c);
            inWord = true;
        }
    }
    if (inWord)
        words.append(word);
    return words;
}

bool isFieldCode(const QString &word)
{
    return word.size() == 2 && word.at(0) == QLatin1Char('%');
}

} // namespace

bool isDesktopEntryFile(const QString &path)
{
    return path.endsWith(QLatin1String(".desktop"), Qt::CaseInsensitive);
}

QString firstWordOfExec(const QString &execValue)
{
    const QStringList words = execWords(undoStringEscapes(execValue));
    for (const QString &word : words) {
        if (!isFieldCode(word))
            return word;
    }
    return QString();
}

QString programOfDesktopEntry(const QString &desktopFilePath)
{
    const QString program = firstWordOfExec(execValue(desktopFilePath));
    if (program.isEmpty() || program.contains(QLatin1Char('/')))
        return program;
    // A bare name is what the desktop would find on PATH; when nothing is found there the
    // name is kept, which is still what the desktop would try to run.
    const QString found = QStandardPaths::findExecutable(program);
    return found.isEmpty() ? program : found;
}
