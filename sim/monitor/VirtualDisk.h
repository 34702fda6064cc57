#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

// The disk attached to the simulated chip. Paths are names joined by
// backslashes from the root ("DOCS\NOTES.TXT"); like the chip's own disks,
// names ignore letter case and are kept in upper case.
class VirtualDisk {
  public:
    struct Entry {
        std::string name;  // within its directory
        bool directory = false;
        std::uint64_t size = 0;
    };

    static constexpr std::uint64_t defaultCapacity = 128ull * 1024 * 1024;

    // Places a file whatever the capacity (a test's own hand, not the
    // monitor's writes); missing directories on its path are made.
    void put(const std::string& path, std::vector<std::uint8_t> bytes);
    std::optional<std::vector<std::uint8_t>> get(const std::string& path) const;
    std::optional<std::uint64_t> sizeOf(const std::string& path) const;
    // Exactly count bytes from offset, or nothing when the file is shorter.
    std::optional<std::vector<std::uint8_t>> read(const std::string& path, std::uint64_t offset,
                                                  std::uint64_t count) const;
    // Makes an empty file (an existing one is emptied). False when its
    // directory does not exist or a directory has that name.
    bool createEmpty(const std::string& path);
    // False, with nothing written, when the file is missing or the bytes do
    // not fit in the free space.
    bool append(const std::string& path, const std::vector<std::uint8_t>& bytes);
    bool remove(const std::string& path);
    bool rename(const std::string& from, const std::string& to);
    // Every file's full path, in order.
    std::vector<std::string> names() const;

    bool isFile(const std::string& path) const;
    bool isDirectory(const std::string& path) const;  // "" is the root
    bool makeDirectory(const std::string& path);
    // Only an empty directory can be removed.
    bool removeDirectory(const std::string& path);
    std::vector<Entry> entries(const std::string& directory) const;

    void setPresent(bool present) { isPresent = present; }
    bool present() const { return isPresent; }
    void setCapacity(std::uint64_t bytes) { capacityBytes = bytes; }
    std::uint64_t capacity() const { return capacityBytes; }
    std::uint64_t usedBytes() const { return used; }
    std::uint64_t freeBytes() const { return used >= capacityBytes ? 0 : capacityBytes - used; }

    // A few files to work with: README.TXT, DATA.BIN (every byte value),
    // LOG.TXT (10,000 bytes), EDGE.BIN (3,341 bytes: its size bytes hold
    // CRs), EMPTY.TXT, DOCS\NOTES.TXT and BIG.BIN (4 MiB, for throughput).
    void seedSamples();

    // The path as the disk keys it: upper case, no leading backslash.
    static std::string canonical(const std::string& path);
    static std::string parentOf(const std::string& canonicalPath);
    static std::string leafOf(const std::string& canonicalPath);

  private:
    void makeParents(const std::string& canonicalPath);

    std::map<std::string, std::vector<std::uint8_t>> files;
    std::set<std::string> directories;
    bool isPresent = true;
    std::uint64_t capacityBytes = defaultCapacity;
    std::uint64_t used = 0;
};
