#include "RomImage.h"

#include <QFile>

RomImage::LoadResult RomImage::load(const QString& path) {
    bytes.fill(ErasedByte);
    length = 0;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return LoadResult::Unreadable;
    }
    const qint64 got = file.read(reinterpret_cast<char*>(bytes.data()), Capacity);
    if (got < 0) {
        bytes.fill(ErasedByte);
        return LoadResult::Unreadable;
    }
    // The size is judged by what can be read, not by what the file system
    // says, so a file that grows while it is read is refused just the same.
    char beyond = 0;
    if (file.read(&beyond, 1) > 0) {
        bytes.fill(ErasedByte);
        return LoadResult::TooLarge;
    }
    length = static_cast<std::size_t>(got);
    return LoadResult::Loaded;
}
