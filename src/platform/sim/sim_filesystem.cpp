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
  halfwayReplaced_ = false;
  heldReplacement_.clear();
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

WriteFault SimFileSystem::FaultFor(const Resolved& file) const {
  const auto it = writeFaults_.find(ParentKey(file.key));
  return it == writeFaults_.end() ? WriteFault::None : it->second;
}

std::uint32_t SimFileSystem::Log(FileOperation::Kind kind, const std::string& path, const std::string& target,
                                 std::uint32_t error) {
  operations_.push_back({kind, path, target, error});
  return error;
}

std::uint32_t SimFileSystem::GetFileAttributesW(const std::string& path) {
  const Entry* entry = Find(path);
  if (!entry) return kInvalidFileAttributes;
  return entry->folder ? kFileAttributeDirectory : entry->attributes;
}

std::uint32_t SimFileSystem::SetFileAttributesW(const std::string& path, std::uint32_t attributes) {
  const auto resolved = Resolve(path);
  auto it = resolved ? entries_.find(resolved->key) : entries_.end();
  if (it == entries_.end()) return Log(FileOperation::Kind::SetAttributes, path, {}, kErrorFileNotFound);
  if (!it->second.folder) it->second.attributes = attributes & ~kFileAttributeDirectory;
  return Log(FileOperation::Kind::SetAttributes, it->second.path, {}, kErrorSuccess);
}

std::uint32_t SimFileSystem::CreateTempFileBeside(const std::string& besidePath, std::string& created) {
  const auto beside = Resolve(besidePath);
  if (!beside || beside->key.size() <= RootLength(beside->key)) return kErrorPathNotFound;
  const auto folder = entries_.find(ParentKey(beside->key));
  if (folder == entries_.end() || !folder->second.folder) return Log(FileOperation::Kind::CreateTemp, besidePath, {}, kErrorPathNotFound);
  std::string folderPath = folder->second.path;
  if (folderPath.back() != '\\') folderPath += "\\";
  const std::string temp = folderPath + "~tlv" + std::to_string(++tempCounter_) + ".tmp";
  const WriteFault fault = FaultFor(*beside);
  if (fault == WriteFault::CannotCreateTemp || fault == WriteFault::AccessDenied)
    return Log(FileOperation::Kind::CreateTemp, temp, {}, kErrorAccessDenied);
  entries_[UpperAscii(temp)] = Entry{temp, false, false, {}};
  created = temp;
  return Log(FileOperation::Kind::CreateTemp, temp, {}, kErrorSuccess);
}

std::uint32_t SimFileSystem::WriteExistingFile(const std::string& path, const std::string& bytes) {
  const auto file = Resolve(path);
  auto it = file ? entries_.find(file->key) : entries_.end();
  if (it == entries_.end() || it->second.folder) return Log(FileOperation::Kind::Write, path, {}, kErrorFileNotFound);
  const WriteFault fault = FaultFor(*file);
  if (fault == WriteFault::AccessDenied || it->second.unreadable || (it->second.attributes & kFileAttributeReadOnly))
    return Log(FileOperation::Kind::Write, it->second.path, {}, kErrorAccessDenied);
  if (fault == WriteFault::DiskFull) return Log(FileOperation::Kind::Write, it->second.path, {}, kErrorDiskFull);
  it->second.bytes = bytes;
  return Log(FileOperation::Kind::Write, it->second.path, {}, kErrorSuccess);
}

std::uint32_t SimFileSystem::ReplaceFileW(const std::string& replaced, const std::string& replacement,
                                          const std::string& backup) {
  const auto target = Resolve(replaced), source = Resolve(replacement);
  const auto spare = backup.empty() ? std::nullopt : Resolve(backup);
  const auto fail = [&](std::uint32_t error) { return Log(FileOperation::Kind::Replace, replacement, replaced, error); };
  if (!target || !source || (!backup.empty() && !spare)) return fail(kErrorInvalidData);
  auto old = entries_.find(target->key), fresh = entries_.find(source->key);
  if (old == entries_.end() || fresh == entries_.end() || old->second.folder || fresh->second.folder)
    return fail(kErrorFileNotFound);
  if (old->second.attributes & kFileAttributeReadOnly) return fail(kErrorAccessDenied);
  const WriteFault fault = FaultFor(*target);
  if (fault == WriteFault::CannotRename) return fail(kErrorSharingViolation);
  if (fault == WriteFault::ReplaceStopsBeforeMove) {
    // Without a backup name the replaced file has been removed already.
    if (!spare) entries_.erase(old);
    return fail(kErrorUnableToMoveReplacement);
  }
  // The replacement takes over the replaced file's attributes first.
  fresh->second.attributes = old->second.attributes;
  Entry previous = std::move(old->second);
  entries_.erase(old);
  if (spare) {
    previous.path = spare->path;
    entries_[spare->key] = std::move(previous);
  }
  if (fault == WriteFault::ReplaceStopsAfterBackup || fault == WriteFault::ReplaceStopsAfterBackupNewHeld ||
      fault == WriteFault::ReplaceStopsAfterBackupAllHeld) {
    halfwayReplaced_ = fault != WriteFault::ReplaceStopsAfterBackup;
    heldReplacement_ = fault == WriteFault::ReplaceStopsAfterBackupNewHeld ? source->key : std::string();
    return fail(kErrorUnableToMoveReplacement2);
  }
  fresh = entries_.find(source->key);
  Entry moved = std::move(fresh->second);
  entries_.erase(fresh);
  moved.path = target->path;
  entries_[target->key] = std::move(moved);
  return Log(FileOperation::Kind::Replace, replacement, target->path, kErrorSuccess);
}

std::uint32_t SimFileSystem::MoveFileExW(const std::string& from, const std::string& to) {
  const auto source = Resolve(from), target = Resolve(to);
  const auto answer = [&](std::uint32_t error) { return Log(FileOperation::Kind::Move, from, to, error); };
  if (!source || !target || target->trailingSeparator) return answer(kErrorInvalidData);
  auto it = entries_.find(source->key);
  if (it == entries_.end()) return answer(kErrorFileNotFound);
  const auto folder = entries_.find(ParentKey(target->key));
  if (folder == entries_.end() || !folder->second.folder) return answer(kErrorPathNotFound);
  if (entries_.count(target->key)) return answer(kErrorAlreadyExists);
  const WriteFault fault = FaultFor(*target);
  if (fault == WriteFault::CannotRename || fault == WriteFault::AccessDenied) return answer(kErrorSharingViolation);
  // After a halfway replacement the files may still be held by whoever stopped it.
  if (halfwayReplaced_ && (heldReplacement_.empty() || heldReplacement_ == source->key))
    return answer(kErrorSharingViolation);
  Entry moved = std::move(it->second);
  entries_.erase(it);
  moved.path = target->path;
  entries_[target->key] = std::move(moved);
  return answer(kErrorSuccess);
}

std::uint32_t SimFileSystem::DeleteFileW(const std::string& path) {
  const auto file = Resolve(path);
  auto it = file ? entries_.find(file->key) : entries_.end();
  if (it == entries_.end() || it->second.folder) return Log(FileOperation::Kind::Delete, path, {}, kErrorFileNotFound);
  if (it->second.attributes & kFileAttributeReadOnly) return Log(FileOperation::Kind::Delete, path, {}, kErrorAccessDenied);
  const std::string name = it->second.path;
  entries_.erase(it);
  return Log(FileOperation::Kind::Delete, name, {}, kErrorSuccess);
}

std::uint32_t SimFileSystem::CreateDirectoryW(const std::string& path) {
  const auto folder = Resolve(path);
  if (!folder) return Log(FileOperation::Kind::CreateFolder, path, {}, kErrorPathNotFound);
  if (entries_.count(folder->key)) return Log(FileOperation::Kind::CreateFolder, folder->path, {}, kErrorAlreadyExists);
  const auto parent = entries_.find(ParentKey(folder->key));
  if (parent == entries_.end() || !parent->second.folder)
    return Log(FileOperation::Kind::CreateFolder, folder->path, {}, kErrorPathNotFound);
  if (FaultFor(*folder) == WriteFault::CannotCreateTemp || FaultFor(*folder) == WriteFault::AccessDenied)
    return Log(FileOperation::Kind::CreateFolder, folder->path, {}, kErrorAccessDenied);
  entries_[folder->key] = Entry{folder->path, true, false, {}};
  return Log(FileOperation::Kind::CreateFolder, folder->path, {}, kErrorSuccess);
}

}  // namespace tolvarin::sim
