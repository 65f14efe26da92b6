#include "platform/sim/sim_filesystem.h"

#include <stdexcept>

namespace tolvarin::sim {
namespace {

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }

std::string UpperAscii(std::string text) {
  for (char& c : text) c = AsciiUpper(c);
  return text;
}

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Characters Windows refuses in a file or folder name.
bool IsInvalidNameChar(char c) {
  return (static_cast<unsigned char>(c) < 0x20) || c == '<' || c == '>' || c == '"' || c == '|' ||
         c == '?' || c == '*' || c == ':';
}

}  // namespace

SimFileSystem::SimFileSystem() { entries_["C:\\"] = Entry{"C:\\", true, false, {}}; }

std::optional<SimFileSystem::Resolved> SimFileSystem::Resolve(const std::string& raw) const {
  if (raw.empty()) return std::nullopt;
  std::string path = raw;
  for (char& c : path)
    if (c == '/') c = '\\';

  const std::string currentRoot = currentFolder_.substr(0, RootLength(currentFolder_));
  const std::string currentRest = currentFolder_.substr(currentRoot.size());
  std::string root;  // "C:\" or "\\server\share\"
  std::string rest;
  if (path.rfind("\\\\", 0) == 0) {
    const std::size_t server = path.find('\\', 2);
    if (server == std::string::npos || server == 2) return std::nullopt;
    std::size_t share = path.find('\\', server + 1);
    if (share == std::string::npos) share = path.size();
    if (share == server + 1) return std::nullopt;
    root = path.substr(0, share) + "\\";
    rest = share < path.size() ? path.substr(share + 1) : "";
  } else if (path.size() >= 2 && IsDriveLetter(path[0]) && path[1] == ':') {
    const std::string driveRoot = std::string(1, AsciiUpper(path[0])) + ":\\";
    if (path.size() >= 3 && path[2] == '\\') {
      root = driveRoot;
      rest = path.substr(3);
    } else if (UpperAscii(currentRoot) == driveRoot) {
      // "C:name" is relative to the current folder when that is on drive C.
      root = currentRoot;
      rest = currentRest + "\\" + path.substr(2);
    } else {
      root = driveRoot;
      rest = path.substr(2);
    }
  } else if (path[0] == '\\') {
    root = currentRoot;
    rest = path.substr(1);
  } else {
    root = currentRoot;
    rest = currentRest + "\\" + path;
  }

  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= rest.size()) {
    std::size_t end = rest.find('\\', start);
    if (end == std::string::npos) end = rest.size();
    const std::string part = rest.substr(start, end - start);
    start = end + 1;
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
      continue;
    }
    for (char c : part)
      if (IsInvalidNameChar(c)) return std::nullopt;
    parts.push_back(part);
  }
  Resolved out;
  out.trailingSeparator = path.back() == '\\' && !parts.empty();
  out.path = root;
  for (std::size_t i = 0; i < parts.size(); ++i) out.path += (i ? "\\" : "") + parts[i];
  out.key = UpperAscii(out.path);
  return out;
}

std::size_t SimFileSystem::RootLength(const std::string& resolved) {
  if (resolved.rfind("\\\\", 0) != 0) return 3;
  const std::size_t server = resolved.find('\\', 2);
  return resolved.find('\\', server + 1) + 1;
}

SimFileSystem::Resolved SimFileSystem::ResolveOrThrow(const std::string& path) const {
  auto resolved = Resolve(path);
  if (!resolved) throw std::invalid_argument("not a valid path: " + path);
  return *resolved;
}

std::string SimFileSystem::ParentKey(const std::string& key) {
  const std::size_t rootLength = RootLength(key);
  if (key.size() <= rootLength) return {};  // a root has no parent
  const std::size_t cut = key.rfind('\\');
  return key.substr(0, cut < rootLength ? rootLength : cut);
}

void SimFileSystem::MakeFolders(const Resolved& folder) {
  std::vector<std::string> missing;
  for (std::string key = folder.key, path = folder.path; !key.empty();) {
    auto it = entries_.find(key);
    if (it != entries_.end()) {
      if (!it->second.folder) throw std::invalid_argument("a file is in the way: " + it->second.path);
      break;
    }
    entries_[key] = Entry{path, true, false, {}};
    const std::string parent = ParentKey(key);
    path = path.substr(0, parent.size());
    key = parent;
  }
}

void SimFileSystem::AddFolder(const std::string& path) { MakeFolders(ResolveOrThrow(path)); }

void SimFileSystem::AddFile(const std::string& path, std::string bytes) {
  const Resolved file = ResolveOrThrow(path);
  if (file.trailingSeparator || file.key.size() <= RootLength(file.key)) throw std::invalid_argument("not a file path: " + path);
  const std::string parentKey = ParentKey(file.key);
  MakeFolders(Resolved{file.path.substr(0, parentKey.size()), parentKey, false});
  auto it = entries_.find(file.key);
  if (it != entries_.end() && it->second.folder) throw std::invalid_argument("a folder is in the way: " + path);
  entries_[file.key] = Entry{file.path, false, false, std::move(bytes)};
}

void SimFileSystem::Remove(const std::string& path) {
  const Resolved target = ResolveOrThrow(path);
  const std::string prefix = target.key.back() == '\\' ? target.key : target.key + "\\";
  for (auto it = entries_.begin(); it != entries_.end();) {
    if (it->first == target.key || it->first.rfind(prefix, 0) == 0) it = entries_.erase(it);
    else ++it;
  }
}

void SimFileSystem::SetCurrentFolder(const std::string& path) {
  const Resolved folder = ResolveOrThrow(path);
  MakeFolders(folder);
  currentFolder_ = folder.path;
}

void SimFileSystem::SetUnreadable(const std::string& path, bool unreadable) {
  auto it = entries_.find(ResolveOrThrow(path).key);
  if (it == entries_.end()) throw std::invalid_argument("no such file: " + path);
  it->second.unreadable = unreadable;
}

void SimFileSystem::SetWriteFault(const std::string& folder, WriteFault fault) {
  writeFaults_[ResolveOrThrow(folder).key] = fault;
}

const SimFileSystem::Entry* SimFileSystem::Find(const std::string& path) const {
  const auto resolved = Resolve(path);
  if (!resolved) return nullptr;
  auto it = entries_.find(resolved->key);
  if (it == entries_.end()) return nullptr;
  if (resolved->trailingSeparator && !it->second.folder) return nullptr;
  return &it->second;
}

const SimFileSystem::Entry* SimFileSystem::ReadableFile(const std::string& path) const {
  const Entry* entry = Find(path);
  return entry && !entry->folder && !entry->unreadable ? entry : nullptr;
}

std::optional<std::string> SimFileSystem::FileBytes(const std::string& path) const {
  const Entry* entry = Find(path);
  if (!entry || entry->folder) return std::nullopt;
  return entry->bytes;
}

bool SimFileSystem::IsFile(const std::string& path) const {
  const Entry* entry = Find(path);
  return entry && !entry->folder;
}

bool SimFileSystem::IsFolder(const std::string& path) const {
  const Entry* entry = Find(path);
  return entry && entry->folder;
}

std::vector<std::string> SimFileSystem::FilesIn(const std::string& folder) const {
  const std::string key = ResolveOrThrow(folder).key;
  std::vector<std::string> files;
  for (const auto& [entryKey, entry] : entries_)
    if (!entry.folder && ParentKey(entryKey) == key) files.push_back(entry.path);
  return files;
}

bool SimFileSystem::CanOpenForReading(const std::string& path) { return ReadableFile(path) != nullptr; }

std::optional<std::string> SimFileSystem::ReadFileBytes(const std::string& path, std::uint64_t maxBytes) {
  const Entry* entry = ReadableFile(path);
  if (!entry) return std::nullopt;
  return entry->bytes.substr(0, std::size_t(std::min<std::uint64_t>(maxBytes, entry->bytes.size())));
}

bool SimFileSystem::ReplaceFileBytes(const std::string& path, const std::string& bytes) {
  const auto target = Resolve(path);
  if (!target || target->trailingSeparator || target->key.size() <= RootLength(target->key)) return false;
  const std::string folderKey = ParentKey(target->key);
  auto folder = entries_.find(folderKey);
  if (folder == entries_.end() || !folder->second.folder) return false;

  const auto faultIt = writeFaults_.find(folderKey);
  const WriteFault fault = faultIt == writeFaults_.end() ? WriteFault::None : faultIt->second;
  std::string folderPath = folder->second.path;
  if (folderPath.back() != '\\') folderPath += "\\";
  const std::string temp = folderPath + "~tlv" + std::to_string(++tempCounter_) + ".tmp";
  const std::string tempKey = UpperAscii(temp);

  if (fault == WriteFault::CannotCreateTemp) {
    operations_.push_back({FileOperation::Kind::CreateTemp, temp, {}, false});
    // An existing file is then overwritten where it is.
    const auto existing = entries_.find(target->key);
    if (existing == entries_.end() || existing->second.folder || existing->second.unreadable) return false;
    existing->second.bytes = bytes;
    operations_.push_back({FileOperation::Kind::WriteInPlace, existing->second.path, {}, true});
    return true;
  }
  operations_.push_back({FileOperation::Kind::CreateTemp, temp, {}, true});
  entries_[tempKey] = Entry{temp, false, false, {}};
  const auto discardTemp = [&] {
    entries_.erase(tempKey);
    operations_.push_back({FileOperation::Kind::DeleteTemp, temp, {}, true});
    return false;
  };
  if (fault == WriteFault::DiskFull) {
    operations_.push_back({FileOperation::Kind::WriteTemp, temp, {}, false});
    return discardTemp();
  }
  entries_[tempKey].bytes = bytes;
  operations_.push_back({FileOperation::Kind::WriteTemp, temp, {}, true});

  auto existing = entries_.find(target->key);
  if (fault == WriteFault::CannotRename || (existing != entries_.end() && existing->second.folder)) {
    operations_.push_back({FileOperation::Kind::Rename, temp, target->path, false});
    return discardTemp();
  }
  Entry replaced = std::move(entries_[tempKey]);
  entries_.erase(tempKey);
  replaced.path = target->path;
  entries_[target->key] = std::move(replaced);
  operations_.push_back({FileOperation::Kind::Rename, temp, target->path, true});
  return true;
}

}  // namespace tolvarin::sim
