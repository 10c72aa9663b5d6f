#pragma once

#include "ChmTables.h"

#include <QByteArray>
#include <QHash>
#include <QString>

#include <optional>

struct chmFile;

// A compiled help file opened for reading its pages and tables.
class ChmFile final {
public:
    ChmFile() = default;
    ~ChmFile();
    ChmFile(const ChmFile&) = delete;
    ChmFile& operator=(const ChmFile&) = delete;

    // False, with the reason in words a user reads, when it is no help file that can be read.
    bool open(const QString& path, QString* reason);
    bool isOpen() const { return m_file != nullptr; }

    // The object at `path` inside the file ("/index.html"), or nothing where there is none or
    // it is larger than any page.
    std::optional<QByteArray> read(const QString& path) const;

    const ChmTables::System& system() const { return m_system; }
    // The page of a context number, as a path inside the file, or empty.
    QString topic(quint32 id) const;
    QList<ChmTables::Entry> contents() const;

private:
    chmFile* m_file = nullptr;
    ChmTables::System m_system;
    QHash<quint32, QString> m_topics;
};
