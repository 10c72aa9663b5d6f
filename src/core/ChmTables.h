#pragma once

#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <QString>

// The tables inside a compiled help file that a viewer needs, read from their bytes: the
// title and first page, the context numbers of the topics, and the contents. They come
// from a file of outside origin: any bytes give a result, never a crash.
namespace ChmTables {

struct System {
    QString title;
    QString defaultTopic; // a page's path inside the file, without the leading "/"
    QString contentsFile; // the sitemap of the contents, e.g. "quillet.hhc"
};
// "#SYSTEM": a version, then records of a 16-bit code, a 16-bit length and the data.
System system(QByteArrayView data);

// "#IVB" (a length, then pairs of a context number and an offset into "#STRINGS") and
// "#STRINGS" (NUL-ended page paths): each context number's page, as written there.
QHash<quint32, QString> topics(QByteArrayView ivb, QByteArrayView strings);

// One entry of the contents: its title, its page (may be empty), its depth from 0.
struct Entry {
    QString name;
    QString local;
    int depth = 0;
    bool operator==(const Entry&) const = default;
};
// The entries of a contents sitemap, in order; nested lists give the depth.
QList<Entry> contents(const QString& sitemap);

// A page or sitemap as text: the charset its <meta> names (code page 932 for the Japanese
// names of it), else UTF-8 where the bytes are valid UTF-8, else code page 932.
QString decodeHtml(QByteArrayView bytes);

} // namespace ChmTables
