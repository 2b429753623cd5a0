#include "skin/SkinResources.h"

#include "skin/SkinErrors.h"

#include <QResource>
#include <QtEndian>

#include <algorithm>
#include <vector>

namespace {

// The hash Qt's resource lookup searches children by (a binary search on it, then the name).
quint32 ResourceHash(const QString& name) {
    quint32 h = 0;
    for (QChar c : name) {
        h = (h << 4) + c.unicode();
        h ^= (h & 0xf0000000u) >> 23;
        h &= 0x0fffffffu;
    }
    return h;
}

void Put16(QByteArray& out, quint16 value) {
    char bytes[2];
    qToBigEndian(value, bytes);
    out.append(bytes, 2);
}

void Put32(QByteArray& out, quint32 value) {
    char bytes[4];
    qToBigEndian(value, bytes);
    out.append(bytes, 4);
}

} // namespace

QByteArray TSkinResourceFolder::Build(const std::map<QString, QByteArray>& files) {
    struct TEntry {
        QString Name;
        quint32 Hash;
        const QByteArray* Data;
    };
    std::vector<TEntry> entries;
    for (const auto& [name, data] : files) {
        entries.push_back({name, ResourceHash(name), &data});
    }
    std::stable_sort(entries.begin(), entries.end(), [](const TEntry& a, const TEntry& b) { return a.Hash < b.Hash; });

    // The pictures are copied once, straight into the finished data: for a theme they come to a quarter of a
    // megabyte, and the caller holds them too while this is built.
    qsizetype payloadSize = 0;
    for (const TEntry& entry : entries) {
        payloadSize += 4 + entry.Data->size();
    }
    QByteArray names;
    QByteArray tree;
    // Root folder: node 0, its children are nodes 1..n.
    Put32(tree, 0);
    Put16(tree, 0x02);
    Put32(tree, static_cast<quint32>(entries.size()));
    Put32(tree, 1);
    quint32 payloadOffset = 0;
    for (const TEntry& entry : entries) {
        Put32(tree, static_cast<quint32>(names.size()));
        Put16(names, static_cast<quint16>(entry.Name.size()));
        Put32(names, entry.Hash);
        for (QChar c : entry.Name) {
            Put16(names, c.unicode());
        }
        Put16(tree, 0); // a plain file
        Put16(tree, 0); // any territory
        Put16(tree, 1); // the C locale
        Put32(tree, payloadOffset);
        payloadOffset += 4 + static_cast<quint32>(entry.Data->size());
    }

    constexpr quint32 header = 20;
    QByteArray out;
    out.reserve(header + payloadSize + names.size() + tree.size());
    out.append("qres", 4);
    Put32(out, 1);
    Put32(out, header + static_cast<quint32>(payloadSize + names.size()));
    Put32(out, header);
    Put32(out, header + static_cast<quint32>(payloadSize));
    for (const TEntry& entry : entries) {
        Put32(out, static_cast<quint32>(entry.Data->size()));
        out.append(*entry.Data);
    }
    out.append(names);
    out.append(tree);
    return out;
}

TSkinResourceFolder::TSkinResourceFolder(const QString& root, const std::map<QString, QByteArray>& files)
    : FRoot(root), FData(Build(files)) {
    if (!QResource::registerResource(reinterpret_cast<const uchar*>(FData.constData()), FRoot)) {
        throw ESkinError("The theme's pictures could not be made available");
    }
}

TSkinResourceFolder::~TSkinResourceFolder() {
    QResource::unregisterResource(reinterpret_cast<const uchar*>(FData.constData()), FRoot);
}

QString TSkinResourceFolder::Path(const QString& name) const {
    return QLatin1Char(':') + FRoot + QLatin1Char('/') + name;
}
