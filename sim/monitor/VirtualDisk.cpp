#include "VirtualDisk.h"

#include <algorithm>
#include <cctype>

std::string VirtualDisk::canonical(const std::string& path) {
    const std::size_t first = path.find_first_not_of('\\');
    std::string key = first == std::string::npos ? std::string() : path.substr(first);
    std::transform(key.begin(), key.end(), key.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return key;
}

std::string VirtualDisk::parentOf(const std::string& canonicalPath) {
    const std::size_t slash = canonicalPath.rfind('\\');
    return slash == std::string::npos ? std::string() : canonicalPath.substr(0, slash);
}

std::string VirtualDisk::leafOf(const std::string& canonicalPath) {
    const std::size_t slash = canonicalPath.rfind('\\');
    return slash == std::string::npos ? canonicalPath : canonicalPath.substr(slash + 1);
}

void VirtualDisk::makeParents(const std::string& canonicalPath) {
    for (std::string parent = parentOf(canonicalPath); !parent.empty(); parent = parentOf(parent)) {
        directories.insert(parent);
    }
}

void VirtualDisk::put(const std::string& path, std::vector<std::uint8_t> bytes) {
    const std::string key = canonical(path);
    makeParents(key);
    remove(key);
    used += bytes.size();
    files[key] = std::move(bytes);
}

std::optional<std::vector<std::uint8_t>> VirtualDisk::get(const std::string& path) const {
    const auto file = files.find(canonical(path));
    if (file == files.end()) {
        return std::nullopt;
    }
    return file->second;
}

std::optional<std::uint64_t> VirtualDisk::sizeOf(const std::string& path) const {
    const auto file = files.find(canonical(path));
    if (file == files.end()) {
        return std::nullopt;
    }
    return file->second.size();
}

std::optional<std::vector<std::uint8_t>> VirtualDisk::read(const std::string& path,
                                                           std::uint64_t offset,
                                                           std::uint64_t count) const {
    const auto file = files.find(canonical(path));
    if (file == files.end() || offset > file->second.size() ||
        count > file->second.size() - offset) {
        return std::nullopt;
    }
    const auto first = file->second.begin() + static_cast<std::ptrdiff_t>(offset);
    return std::vector<std::uint8_t>(first, first + static_cast<std::ptrdiff_t>(count));
}

bool VirtualDisk::createEmpty(const std::string& path) {
    const std::string key = canonical(path);
    if (key.empty() || isDirectory(key) || !isDirectory(parentOf(key))) {
        return false;
    }
    remove(key);
    files[key];
    return true;
}

bool VirtualDisk::append(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    const auto file = files.find(canonical(path));
    if (file == files.end() || bytes.size() > freeBytes()) {
        return false;
    }
    file->second.insert(file->second.end(), bytes.begin(), bytes.end());
    used += bytes.size();
    return true;
}

bool VirtualDisk::remove(const std::string& path) {
    const auto file = files.find(canonical(path));
    if (file == files.end()) {
        return false;
    }
    used -= file->second.size();
    files.erase(file);
    return true;
}

bool VirtualDisk::rename(const std::string& from, const std::string& to) {
    const std::string source = canonical(from);
    const std::string target = canonical(to);
    const auto file = files.find(source);
    if (file == files.end() || target.empty() || isFile(target) || isDirectory(target) ||
        !isDirectory(parentOf(target))) {
        return false;
    }
    std::vector<std::uint8_t> bytes = std::move(file->second);
    files.erase(file);
    files[target] = std::move(bytes);
    return true;
}

std::vector<std::string> VirtualDisk::names() const {
    std::vector<std::string> all;
    for (const auto& [name, bytes] : files) {
        all.push_back(name);
    }
    return all;
}

bool VirtualDisk::isFile(const std::string& path) const {
    return files.count(canonical(path)) != 0;
}

bool VirtualDisk::isDirectory(const std::string& path) const {
    const std::string key = canonical(path);
    return key.empty() || directories.count(key) != 0;
}

bool VirtualDisk::makeDirectory(const std::string& path) {
    const std::string key = canonical(path);
    if (key.empty() || isFile(key) || isDirectory(key) || !isDirectory(parentOf(key))) {
        return false;
    }
    directories.insert(key);
    return true;
}

bool VirtualDisk::removeDirectory(const std::string& path) {
    const std::string key = canonical(path);
    if (key.empty() || directories.count(key) == 0 || !entries(key).empty()) {
        return false;
    }
    directories.erase(key);
    return true;
}

std::vector<VirtualDisk::Entry> VirtualDisk::entries(const std::string& directory) const {
    const std::string key = canonical(directory);
    std::vector<Entry> found;
    for (const std::string& name : directories) {
        if (parentOf(name) == key) {
            found.push_back({leafOf(name), true, 0});
        }
    }
    for (const auto& [name, bytes] : files) {
        if (parentOf(name) == key) {
            found.push_back({leafOf(name), false, bytes.size()});
        }
    }
    return found;
}
