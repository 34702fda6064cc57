// The ROM image reader fed any file content: a file of up to the flash's
// size is loaded byte for byte with erased flash behind it, a larger one is
// refused as too large, and a file that cannot be opened as unreadable;
// whatever is refused leaves nothing of itself in the buffer.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstring>
#include <memory>
#include <vector>

#include "FuzzSupport.h"
#include "RomImage.h"

namespace {

// In memory where the system offers it: every input is written once.
QTemporaryDir& imageFolder() {
    const QString shared = QStringLiteral("/dev/shm");
    const QString base = QFileInfo(shared).isDir() ? shared : QDir::tempPath();
    static QTemporaryDir folder(base + QStringLiteral("/tarvik-fuzz-XXXXXX"));
    return folder;
}

const QString& imagePath() {
    QTemporaryDir& folder = imageFolder();
    static const QString path = folder.filePath(QStringLiteral("image.rom"));
    return path;
}

void writeImage(const std::uint8_t* data, std::size_t size) {
    QFile file(imagePath());
    FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    FUZZ_CHECK(file.write(reinterpret_cast<const char*>(data), qint64(size)) == qint64(size));
}

bool erasedFrom(const RomImage& image, std::size_t offset) {
    static const std::vector<std::uint8_t> erased(RomImage::Capacity, RomImage::ErasedByte);
    return std::memcmp(image.data() + offset, erased.data(), RomImage::Capacity - offset) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    writeImage(data, size);
    // Big: the image buffer is the whole flash.
    static const auto image = std::make_unique<RomImage>();
    const RomImage::LoadResult result = image->load(imagePath());
    if (size > RomImage::Capacity) {
        FUZZ_CHECK(result == RomImage::LoadResult::TooLarge);
        FUZZ_CHECK(image->size() == 0 && erasedFrom(*image, 0));
    } else {
        FUZZ_CHECK(result == RomImage::LoadResult::Loaded);
        FUZZ_CHECK(image->size() == size);
        FUZZ_CHECK(size == 0 || std::memcmp(data, image->data(), size) == 0);
        FUZZ_CHECK(erasedFrom(*image, size));
    }
    // The same buffer again, for a file that is not there.
    const QString missing = imagePath() + QStringLiteral(".missing");
    FUZZ_CHECK(image->load(missing) == RomImage::LoadResult::Unreadable);
    FUZZ_CHECK(image->size() == 0 && erasedFrom(*image, 0));
    return 0;
}
