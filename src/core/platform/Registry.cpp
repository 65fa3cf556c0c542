#include "core/platform/Registry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QList>
#include <QMutex>
#include <QSet>
#include <QtDebug>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

// File format
// -----------
// The store is a REGEDIT4-style text file in UTF-8:
//
//     REGEDIT4
//
//     [HKEY_LOCAL_MACHINE\Software\Corvane\Startup Settings]
//     "Name"="value"
//     @="the key's default value"
//
// In names and values a backslash is written "\\" and a quote "\""; as the
// format has no way to hold a line break, line feed and carriage return are
// written "\n" and "\r". Any other backslash is taken literally when read, so
// a hand-written path such as "C:\Data" survives.
//
// Lines this code does not understand (comments, values of other types such
// as dword: or hex:, with their continuation lines) are kept verbatim in their
// place, so a rewrite changes nothing but the value written.
//
// Keys exist implicitly above every key that has a section, as in the
// registry: with only "[...\Software\Corvane\Network]" in the file, the key
// "Software\Corvane" exists too, and a write to it adds its section.
//
// Locking: every reader takes a shared flock() on "<file>.lock" while it reads
// the file; a writer takes it exclusively, re-reads the file, changes it in
// memory, writes a temporary file in the same folder, syncs it and renames it
// over the original. A reader therefore sees either the old or the new file,
// never a part of one.

namespace corvane {

namespace {

const QLatin1String HeaderLine("REGEDIT4");

QString matchText(const QString& text) { return text.toCaseFolded(); }

struct Entry
{
    bool named = false;    // a value line: "Name"=... or @=...
    bool isString = false; // a string value; its text is in value
    QString name;          // value name as stored; empty for the default value
    QString value;
    QString raw; // the original line(s) of anything that is not a string value
};

struct Section
{
    QString header; // text between the brackets, as stored
    QString match;  // normalized and case-folded header, for lookups
    QList<Entry> entries;
    QHash<QString, qsizetype> byName; // case-folded value name -> index in entries

    Entry* find(const QString& valueName)
    {
        const auto it = byName.constFind(matchText(valueName));
        return it == byName.constEnd() ? nullptr : &entries[*it];
    }

    void append(const Entry& entry)
    {
        if (entry.named)
            byName.insert(matchText(entry.name), entries.size());
        entries.append(entry);
    }
};

struct Document
{
    QStringList preamble; // lines before the first section, header line excepted
    QList<Section> sections;
};

// "\\Software\\\\Corvane\\" -> "Software\\Corvane"
QString normalizedKeyPath(const QString& keyPath)
{
    return keyPath.split(QLatin1Char('\\'), Qt::SkipEmptyParts).join(QLatin1Char('\\'));
}

// The full path of a key below the root as stored in a section header, or an
// empty text when the key path is empty or cannot be stored.
QString fullKeyPath(const QString& keyPath)
{
    const QString normalized = normalizedKeyPath(keyPath);
    if (normalized.isEmpty() || normalized.contains(QLatin1Char('\n'))
        || normalized.contains(QLatin1Char('\r')))
        return {};
    return QLatin1String(Registry::Root) + QLatin1Char('\\') + normalized;
}

QString escaped(const QString& text)
{
    QString result;
    result.reserve(text.size() + 2);
    for (const QChar ch : text) {
        switch (ch.unicode()) {
        case '\\': result += QLatin1String("\\\\"); break;
        case '"': result += QLatin1String("\\\""); break;
        case '\n': result += QLatin1String("\\n"); break;
        case '\r': result += QLatin1String("\\r"); break;
        default: result += ch; break;
        }
    }
    return result;
}

QString quoted(const QString& text) { return QLatin1Char('"') + escaped(text) + QLatin1Char('"'); }

// Reads a quoted text starting at line[pos] == '"'. Returns the position after
// the closing quote, or -1 when the text is not closed.
qsizetype readQuoted(const QString& line, qsizetype pos, QString& text)
{
    text.clear();
    for (qsizetype i = pos + 1; i < line.size(); ++i) {
        const QChar ch = line.at(i);
        if (ch == QLatin1Char('"'))
            return i + 1;
        if (ch == QLatin1Char('\\') && i + 1 < line.size()) {
            const QChar next = line.at(i + 1);
            switch (next.unicode()) {
            case '\\':
                text += QLatin1Char('\\');
                ++i;
                continue;
            case '"':
                text += QLatin1Char('"');
                ++i;
                continue;
            case 'n':
                text += QLatin1Char('\n');
                ++i;
                continue;
            case 'r':
                text += QLatin1Char('\r');
                ++i;
                continue;
            default: break;
            }
        }
        text += ch;
    }
    return -1;
}

qsizetype skipSpaces(const QString& line, qsizetype pos)
{
    while (pos < line.size() && (line.at(pos) == QLatin1Char(' ') || line.at(pos) == QLatin1Char('\t')))
        ++pos;
    return pos;
}

// Parses a value line. Returns false when the line is not a value line at all.
bool parseValueLine(const QString& line, Entry& entry)
{
    qsizetype pos = 0;
    QString name;
    if (line.startsWith(QLatin1Char('@'))) {
        pos = 1;
    } else if (line.startsWith(QLatin1Char('"'))) {
        pos = readQuoted(line, 0, name);
        if (pos < 0)
            return false;
    } else {
        return false;
    }
    pos = skipSpaces(line, pos);
    if (pos >= line.size() || line.at(pos) != QLatin1Char('='))
        return false;
    pos = skipSpaces(line, pos + 1);

    entry.named = true;
    entry.name = name;
    entry.raw = line;
    entry.isString = false;
    if (pos < line.size() && line.at(pos) == QLatin1Char('"')) {
        QString value;
        const qsizetype end = readQuoted(line, pos, value);
        if (end >= 0 && skipSpaces(line, end) == line.size()) {
            entry.isString = true;
            entry.value = value;
            entry.raw.clear();
        }
    }
    return true;
}

template <typename Doc>
auto findSection(Doc& doc, const QString& matchPath) -> decltype(&doc.sections.first())
{
    for (auto& section : doc.sections) {
        if (section.match == matchPath)
            return &section;
    }
    return nullptr;
}

// A key exists when it has a section or lies above a key that has one.
bool keyExistsIn(const Document& doc, const QString& matchPath)
{
    const QString below = matchPath + QLatin1Char('\\');
    for (const Section& section : doc.sections) {
        if (section.match == matchPath || section.match.startsWith(below))
            return true;
    }
    return false;
}

Document parse(const QByteArray& bytes)
{
    Document doc;
    QString text = QString::fromUtf8(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);

    Section* current = nullptr;
    Entry* continued = nullptr; // a raw value whose last line ended with '\'
    bool seenContent = false;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (QString line : lines) {
        // Every carriage return at the end goes: a line ending in a backslash and
        // two of them must read as continued now, as it will once written back.
        while (line.endsWith(QLatin1Char('\r')))
            line.chop(1);

        if (continued) {
            continued->raw += QLatin1Char('\n') + line;
            if (!line.endsWith(QLatin1Char('\\')))
                continued = nullptr;
            continue;
        }

        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty())
            continue;
        if (!seenContent) {
            seenContent = true;
            if (trimmed == HeaderLine || trimmed.startsWith(QLatin1String("Windows Registry Editor")))
                continue;
        }

        if (trimmed.startsWith(QLatin1Char('[')) && trimmed.endsWith(QLatin1Char(']'))) {
            const QString header = trimmed.mid(1, trimmed.size() - 2);
            const QString match = matchText(normalizedKeyPath(header));
            // A key written twice is one key, as when such a file is imported.
            current = findSection(doc, match);
            if (!current) {
                doc.sections.append(Section{header, match, {}, {}});
                current = &doc.sections.last();
            }
            continue;
        }

        if (!current) {
            doc.preamble.append(line);
            continue;
        }

        Entry entry;
        if (parseValueLine(trimmed, entry)) {
            if (!entry.isString)
                entry.raw = line;
            // A later line for the same name replaces the earlier one in place.
            if (Entry* existing = current->find(entry.name)) {
                entry.name = existing->name;
                *existing = entry;
                if (!entry.isString && entry.raw.endsWith(QLatin1Char('\\')))
                    continued = existing;
            } else {
                current->append(entry);
                if (!entry.isString && entry.raw.endsWith(QLatin1Char('\\')))
                    continued = &current->entries.last();
            }
        } else {
            entry.raw = line;
            current->append(entry);
        }
    }
    return doc;
}

QByteArray serialize(const Document& doc)
{
    QString text = HeaderLine + QLatin1String("\n\n");
    for (const QString& line : doc.preamble)
        text += line + QLatin1Char('\n');
    if (!doc.preamble.isEmpty())
        text += QLatin1Char('\n');
    for (const Section& section : doc.sections) {
        text += QLatin1Char('[') + section.header + QLatin1String("]\n");
        for (const Entry& entry : section.entries) {
            if (entry.named && entry.isString) {
                text += (entry.name.isEmpty() ? QStringLiteral("@") : quoted(entry.name)) + QLatin1Char('=')
                    + quoted(entry.value) + QLatin1Char('\n');
            } else {
                text += entry.raw + QLatin1Char('\n');
                // A value whose last line still asks for a continuation would
                // swallow the line after it, a value written later included.
                if (entry.raw.endsWith(QLatin1Char('\\')))
                    text += QLatin1Char('\n');
            }
        }
        text += QLatin1Char('\n');
    }
    return text.toUtf8();
}

// An flock() on the side file "<registry>.lock", held for the object's lifetime.
class FileLock
{
public:
    FileLock(const QString& registryPath, int operation)
    {
        const QByteArray path = QFile::encodeName(registryPath + QLatin1String(".lock"));
        m_fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (m_fd < 0) // a reader without write access to the folder still locks
            m_fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
        if (m_fd < 0)
            return;
        int rc;
        do {
            rc = ::flock(m_fd, operation);
        } while (rc != 0 && errno == EINTR);
        if (rc != 0) {
            ::close(m_fd);
            m_fd = -1;
        }
    }

    ~FileLock()
    {
        if (m_fd >= 0)
            ::close(m_fd); // closing the only descriptor drops the lock
    }

    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    bool isLocked() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

// Reads and parses the file; a missing file is an empty document. False when
// the file exists but cannot be read.
// Says once per process and file that a store cannot be read: every key
// opened reads the file again, and the same line dozens of times helps nobody.
void warnUnreadable(const QString& path, const QString& reason)
{
    static QMutex lock;
    static QSet<QString> warned;
    const QMutexLocker locker(&lock);
    if (!warned.contains(path)) {
        warned.insert(path);
        qWarning("Registry: cannot read %s: %s", qPrintable(path), qPrintable(reason));
    }
}

// Reads the whole file; false with the reason when it exists but cannot be read.
bool readBytes(const QString& path, QByteArray& bytes, QString* reason)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *reason = file.errorString();
        return false;
    }
    bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        *reason = file.errorString();
        return false;
    }
    return true;
}

bool readDocument(const QString& path, Document& doc)
{
    QFile file(path);
    if (!file.exists()) {
        doc = {};
        return true;
    }
    QByteArray bytes;
    QString reason;
    if (!readBytes(path, bytes, &reason)) {
        warnUnreadable(path, reason);
        return false;
    }
    doc = parse(bytes);
    return true;
}

// Reads the file under a shared lock.
Document loadShared(const QString& path)
{
    Document doc;
    if (!QFileInfo::exists(path))
        return doc;
    const FileLock lock(path, LOCK_SH);
    readDocument(path, doc);
    return doc;
}

// Where the text goes: the file itself, or the file a symbolic link points at,
// so that the rename replaces the file and not the link.
QString targetPath(const QString& path)
{
    const QFileInfo info(path);
    if (info.isSymLink()) {
        const QString target = info.symLinkTarget();
        if (!target.isEmpty())
            return target;
    }
    return path;
}

bool writeAll(int fd, const QByteArray& data)
{
    const char* p = data.constData();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += n;
        left -= n;
    }
    return true;
}

// Temporary file in the same folder, synced, renamed over the original.
bool replaceFile(const QString& path, const QByteArray& data)
{
    const QString target = targetPath(path);
    const QFileInfo info(target);
    const QString folder = info.absolutePath();
    QByteArray tempName =
        QFile::encodeName(folder + QLatin1String("/.") + info.fileName() + QLatin1String(".XXXXXX"));
    const int fd = ::mkostemp(tempName.data(), O_CLOEXEC); // created with mode 0600
    if (fd < 0) {
        qWarning("Registry: cannot create a temporary file in %s", qPrintable(folder));
        return false;
    }
    bool ok = writeAll(fd, data) && ::fchmod(fd, 0600) == 0 && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok)
        ok = ::rename(tempName.constData(), QFile::encodeName(target).constData()) == 0;
    if (!ok) {
        qWarning("Registry: cannot write %s", qPrintable(target));
        ::unlink(tempName.constData());
        return false;
    }
    // Make the rename itself durable.
    const int dirFd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

} // namespace

QString Registry::defaultFilePath()
{
    const QString fromEnvironment = qEnvironmentVariable("CORVANE_REGISTRY");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    QString configHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (configHome.isEmpty() || QDir::isRelativePath(configHome))
        configHome = QDir::homePath() + QLatin1String("/.config");
    return configHome + QLatin1String("/Corvane/registry.reg");
}

Registry::Registry(const QString& filePath)
    : m_filePath(filePath)
{
}

QString Registry::readFault() const
{
    if (!QFileInfo::exists(m_filePath))
        return {};
    QByteArray bytes;
    QString reason;
    if (QFileInfo(m_filePath).isDir())
        return QStringLiteral("it is a folder");
    return readBytes(m_filePath, bytes, &reason) ? QString() : reason;
}

bool Registry::keyExists(const QString& keyPath) const
{
    const QString full = fullKeyPath(keyPath);
    if (full.isEmpty())
        return false;
    return keyExistsIn(loadShared(m_filePath), matchText(full));
}

QString Registry::readString(const QString& keyPath, const QString& valueName) const
{
    return RegistryKey(*this, keyPath).readString(valueName);
}

bool Registry::writeString(const QString& keyPath, const QString& valueName, const QString& text)
{
    const QString full = fullKeyPath(keyPath);
    // Without a file there is no key; a key created meanwhile by another
    // process arrives by a rename that this write simply came before.
    if (full.isEmpty() || !QFileInfo::exists(m_filePath))
        return false;

    const FileLock lock(m_filePath, LOCK_EX);
    if (!lock.isLocked())
        return false;
    Document doc;
    if (!readDocument(m_filePath, doc))
        return false;
    const QString match = matchText(full);
    if (!keyExistsIn(doc, match))
        return false;

    Section* section = findSection(doc, match);
    if (!section) {
        doc.sections.append(Section{full, match, {}, {}});
        section = &doc.sections.last();
    }
    if (Entry* entry = section->find(valueName)) {
        if (entry->isString && entry->value == text)
            return true;
        entry->isString = true;
        entry->value = text;
        entry->raw.clear();
    } else {
        Entry added;
        added.named = true;
        added.isString = true;
        added.name = valueName;
        added.value = text;
        section->append(added);
    }
    return replaceFile(m_filePath, serialize(doc));
}

bool Registry::createKey(const QString& keyPath)
{
    const QString full = fullKeyPath(keyPath);
    if (full.isEmpty())
        return false;
    const QString folder = QFileInfo(m_filePath).absolutePath();
    if (!QDir().mkpath(folder))
        return false;

    const FileLock lock(m_filePath, LOCK_EX);
    if (!lock.isLocked())
        return false;
    Document doc;
    if (!readDocument(m_filePath, doc))
        return false;
    const QString match = matchText(full);
    if (keyExistsIn(doc, match))
        return true;
    doc.sections.append(Section{full, match, {}, {}});
    return replaceFile(m_filePath, serialize(doc));
}

QStringList Registry::valueNames(const QString& keyPath) const
{
    QStringList names;
    const QString full = fullKeyPath(keyPath);
    if (full.isEmpty())
        return names;
    const Document doc = loadShared(m_filePath);
    if (const Section* section = findSection(doc, matchText(full))) {
        for (const Entry& entry : section->entries) {
            if (entry.named)
                names.append(entry.name);
        }
    }
    return names;
}

RegistryKey::RegistryKey(const Registry& registry, const QString& keyPath)
{
    const QString full = fullKeyPath(keyPath);
    if (full.isEmpty())
        return;
    const Document doc = loadShared(registry.filePath());
    const QString match = matchText(full);
    m_open = keyExistsIn(doc, match);
    if (const Section* section = findSection(doc, match)) {
        for (const Entry& entry : section->entries) {
            if (entry.named && entry.isString)
                m_values.insert(matchText(entry.name), entry.value);
        }
    }
}

QString RegistryKey::readString(const QString& valueName) const
{
    return m_values.value(matchText(valueName));
}

} // namespace corvane
