#include "BoardStore.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>

#include "VirtualDisk.h"

namespace {

QString diskFolder(const QString& folder) {
    return folder + QStringLiteral("/disk");
}

QString flashFile(const QString& folder) {
    return folder + QStringLiteral("/flash.bin");
}

// The disk's path of a file under disk/: its folders joined by backslashes.
std::string diskPath(const QDir& root, const QString& file) {
    return root.relativeFilePath(file).replace(QLatin1Char('/'), QLatin1Char('\\')).toStdString();
}

bool writeWhole(const QString& path, const char* bytes, qint64 size) {
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes, size) == size && file.commit();
}

}  // namespace

BoardStore::BoardStore(QString folder) : folder(std::move(folder)) {}

bool BoardStore::load(VirtualDisk& disk, Flash& flash) const {
    QFile flashBytes(flashFile(folder));
    const QDir root(diskFolder(folder));
    if (!root.exists() || !flashBytes.open(QIODevice::ReadOnly) ||
        flashBytes.size() != static_cast<qint64>(flash.size())) {
        return false;
    }
    flashBytes.read(reinterpret_cast<char*>(flash.data()), static_cast<qint64>(flash.size()));
    disk = VirtualDisk();
    QDirIterator entries(root.path(), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                         QDirIterator::Subdirectories);
    while (entries.hasNext()) {
        const QString path = entries.next();
        const QFileInfo info = entries.fileInfo();
        if (info.isDir()) {
            disk.makeDirectory(diskPath(root, path));
            continue;
        }
        QFile file(path);
        if (file.open(QIODevice::ReadOnly)) {
            const QByteArray bytes = file.readAll();
            disk.put(diskPath(root, path), std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
        }
    }
    return true;
}

bool BoardStore::save(const VirtualDisk& disk, const Flash& flash) const {
    QDir root(diskFolder(folder));
    if (root.exists() && !root.removeRecursively()) {
        return false;
    }
    if (!QDir().mkpath(root.path())) {
        return false;
    }
    bool saved = true;
    // Folders first, so that an empty one is kept too.
    std::vector<std::string> folders{""};
    for (std::size_t i = 0; i < folders.size(); ++i) {
        for (const VirtualDisk::Entry& entry : disk.entries(folders[i])) {
            const std::string path =
                folders[i].empty() ? entry.name : folders[i] + '\\' + entry.name;
            const QString local =
                root.filePath(QString::fromStdString(path).replace(QLatin1Char('\\'), '/'));
            if (entry.directory) {
                saved = QDir().mkpath(local) && saved;
                folders.push_back(path);
            } else {
                const std::vector<std::uint8_t> bytes =
                    disk.get(path).value_or(std::vector<std::uint8_t>{});
                saved = writeWhole(local, reinterpret_cast<const char*>(bytes.data()),
                                   static_cast<qint64>(bytes.size())) &&
                        saved;
            }
        }
    }
    return writeWhole(flashFile(folder), reinterpret_cast<const char*>(flash.data()),
                      static_cast<qint64>(flash.size())) &&
           saved;
}

QString BoardStore::standardFolder() {
    const QString chosen = qEnvironmentVariable("TARVIK_SIM_DIR");
    if (!chosen.isEmpty()) {
        return chosen;
    }
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/tarvik-control/simulated-board");
}
