#include "cli/archive_rename.h"

#include "cli/output.h"
#include "cli/stream.h"

#include <nlohmann/json.hpp>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>
#include <unordered_set>

namespace kavu::cli {
namespace {

namespace fs = std::filesystem;

constexpr const char* kFields[] = {"new", "old", "latin", "archive", "scale", "rest", "ext"};

std::string FieldValue(const std::string& field, const ScanFile& f) {
    const FileSheet& s = *f.Sheet;
    if (field == "new") return s.New;
    if (field == "old") return s.Old;
    if (field == "latin") return s.Latin;
    if (field == "archive") return s.Archive;
    if (field == "scale") return std::string(ScaleShort(s.Scale));
    if (field == "rest") return f.Name.Rest;
    return f.Extension;
}

// Blanks, dashes and underscores an empty field left at the ends of a name (before its
// extension) or doubled.
std::string Tidy(std::string name, const std::string& extension) {
    std::string stem = name, tail;
    if (!extension.empty() && stem.size() >= extension.size() &&
        stem.compare(stem.size() - extension.size(), extension.size(), extension) == 0) {
        tail = extension;
        stem.resize(stem.size() - extension.size());
    }
    std::string out;
    for (char c : stem)
        if (!(c == ' ' && (out.empty() || out.back() == ' '))) out += c;
    while (!out.empty() && (out.back() == ' ' || out.back() == '-' || out.back() == '_'))
        out.pop_back();
    return out + tail;
}

bool Exists(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

// The folder part of a path ("" for a bare name) and its last part, without fs::path's
// parsing, which a hundred thousand names would feel.
std::string_view Folder(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash);
}
std::string_view LastPart(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}
std::string Join(std::string_view folder, std::string_view name) {
    std::string path(folder);
    if (!path.empty() && path.back() != '/') path += '/';
    return path += name;
}

// A move that never replaces: the kernel checks and renames in one step.
int MoveNoReplace(const fs::path& from, const fs::path& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return errno;
    // A file system without the flag: a hard link fails on an existing name too.
    if (::link(from.c_str(), to.c_str()) != 0) return errno;
    if (::unlink(from.c_str()) != 0) return errno;
    return 0;
}

class UndoList {
  public:
    bool Open(const std::string& path, std::string& error) {
        // Never over another list; a device (a pipe, /dev/full) is written as it is.
        struct stat st;
        if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
            error = path + ": exists already";
            return false;
        }
        fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
        if (fd_ < 0) error = path + ": " + std::strerror(errno);
        path_ = path;
        return fd_ >= 0;
    }
    ~UndoList() {
        if (fd_ >= 0) ::close(fd_);
    }
    // Each entry reaches the file before the move it records is made.
    bool Add(const nlohmann::json& entry, std::string& error) {
        const std::string line =
            entry.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
        std::size_t done = 0;
        while (done < line.size()) {
            const ssize_t n = ::write(fd_, line.data() + done, line.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                error = path_ + ": " + std::strerror(n < 0 ? errno : ENOSPC);
                return false;
            }
            done += static_cast<std::size_t>(n);
        }
        return true;
    }

  private:
    int fd_ = -1;
    std::string path_;
};

std::string DefaultUndoList() {
    char stamp[32];
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    ::localtime_r(&now, &tm);
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &tm);
    return std::string("kavu-sheet-undo-") + stamp + "-" + std::to_string(::getpid()) + ".jsonl";
}

} // namespace

bool ReadTemplate(const std::string& text, RenameTemplate& pattern, std::string& error) {
    pattern.Parts.clear();
    std::string literal;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if ((c == '{' || c == '}') && i + 1 < text.size() && text[i + 1] == c) {
            literal += c;
            ++i;
            continue;
        }
        if (c == '}') {
            error = "a \"}\" with no \"{\" before it; write \"}}\" for the brace itself";
            return false;
        }
        if (c != '{') {
            literal += c;
            continue;
        }
        const std::size_t close = text.find('}', i);
        const std::string field =
            text.substr(i + 1, close == std::string::npos ? close : close - i - 1);
        bool known = false;
        for (const char* name : kFields)
            known = known || field == name;
        if (close == std::string::npos || !known) {
            error = "unknown field {" + field +
                    "}; the fields are {new}, {old}, {latin}, {archive}, {scale}, {rest}, {ext}";
            return false;
        }
        if (!literal.empty()) pattern.Parts.push_back({false, std::move(literal)});
        literal.clear();
        pattern.Parts.push_back({true, field});
        i = close;
    }
    if (!literal.empty()) pattern.Parts.push_back({false, literal});
    if (pattern.Parts.empty() || text.back() == '/') {
        error = "the template names no file";
        return false;
    }
    return true;
}

std::string ExpandTemplate(const RenameTemplate& pattern, const ScanFile& file) {
    std::string path;
    for (const RenameTemplate::Part& part : pattern.Parts) {
        if (!part.Field) {
            path += part.Text;
            continue;
        }
        const std::string value = FieldValue(part.Text, file);
        if (value.find('/') != std::string::npos || value.find('\0') != std::string::npos)
            return {};
        path += value;
    }
    std::string out;
    std::size_t b = 0;
    if (!path.empty() && path[0] == '/') out = "/", b = 1;
    while (b <= path.size()) {
        std::size_t e = path.find('/', b);
        if (e == std::string::npos) e = path.size();
        const std::string name = Tidy(path.substr(b, e - b), file.Extension);
        if (name.empty() || name == file.Extension) return {};
        out += name;
        if (e < path.size()) out += '/';
        b = e + 1;
    }
    return out;
}

int Rename(const Archive& archive, const RenameTemplate& pattern, bool apply,
           const std::string& undoList, Output& out,
           const std::function<void(const std::string&)>& tell) {
    int status = kAllRead;
    struct Move {
        std::string From, To;
    };
    std::vector<std::vector<Move>> plan; // one group a scan: the scan, then its side files
    std::unordered_set<std::string> claimed;
    // Whether each target folder exists: in one that does not, no file does either, and the
    // disk need not be asked for each of a hundred thousand names.
    std::unordered_map<std::string, bool> folders;
    const auto taken = [&](const std::string& to) {
        const std::string folder(Folder(to));
        auto [at, added] = folders.try_emplace(folder, false);
        if (added) at->second = Exists(folder.empty() ? "." : folder);
        return (at->second && Exists(to)) || claimed.count(to) > 0;
    };
    for (const ScanFile& f : archive.Files) {
        if (f.Sheet == nullptr) {
            tell("kavu-sheet: " + f.Path + ": " +
                 (f.Problems.empty() ? std::string("no designation") : f.Problems[0]) + ": " +
                 (f.Details.empty() ? std::string() : f.Details[0]) + "; left alone\n");
            status = kSomeUnread;
            continue;
        }
        const std::string expanded = ExpandTemplate(pattern, f);
        if (expanded.empty()) {
            tell("kavu-sheet: " + f.Path +
                 ": the template gives no file name for it; "
                 "left alone\n");
            status = kSomeUnread;
            continue;
        }
        const std::string_view folder = Folder(f.Path);
        const std::string target = expanded[0] == '/' ? expanded : Join(folder, expanded);
        if (target == f.Path) continue;
        std::vector<Move> group{{f.Path, target}};
        const std::string_view oldName = LastPart(f.Path);
        const std::string_view newName = LastPart(target);
        for (const std::string& side : SideFilesOf(archive, f)) {
            // "n37-004.tfw" follows the stem, "n37-004.tif.aux.xml" the whole name.
            const bool whole = side.rfind(oldName, 0) == 0 && side.size() > oldName.size() &&
                               side[oldName.size()] == '.';
            const std::string ending = side.substr(whole ? oldName.size() : f.Stem.size());
            std::string newStem(newName);
            if (!whole && newName.size() >= f.Extension.size() && !f.Extension.empty() &&
                newName.compare(newName.size() - f.Extension.size(), f.Extension.size(),
                                f.Extension) == 0)
                newStem.resize(newName.size() - f.Extension.size());
            group.push_back({Join(folder, side), Join(Folder(target), newStem + ending)});
        }
        bool clash = false;
        for (const Move& m : group) {
            if (taken(m.To)) {
                tell("kavu-sheet: " + m.From + ": " + m.To + " exists already; left alone\n");
                clash = true;
                break;
            }
        }
        if (clash) {
            status = kSomeUnread;
            continue;
        }
        for (const Move& m : group)
            claimed.insert(m.To);
        plan.push_back(std::move(group));
    }

    std::string line;
    for (const auto& group : plan)
        for (const Move& m : group) {
            line = m.From;
            line += " -> ";
            line += m.To;
            line += '\n';
            out.Put(line);
        }
    if (!apply) return status;
    out.Flush();

    const std::string listPath = undoList.empty() ? DefaultUndoList() : undoList;
    UndoList list;
    std::string error;
    if (!list.Open(listPath, error)) {
        tell("kavu-sheet: cannot write the undo list: " + error + "; nothing was renamed\n");
        return kSomeUnread;
    }
    tell("kavu-sheet: undo list: " + listPath + "\n");
    for (const auto& group : plan) {
        for (const Move& m : group) {
            const fs::path from = fs::absolute(fs::path(m.From)).lexically_normal();
            const fs::path to = fs::absolute(fs::path(m.To)).lexically_normal();
            // Folders the template asks for are made first, and listed so that undo removes them.
            std::vector<fs::path> made;
            for (fs::path p = to.parent_path(); !p.empty() && !Exists(p.string());
                 p = p.parent_path()) {
                made.push_back(p);
                if (p == p.parent_path()) break;
            }
            for (auto it = made.rbegin(); it != made.rend(); ++it) {
                if (!list.Add({{"mkdir", it->string()}}, error)) {
                    tell("kavu-sheet: cannot write the undo list: " + error + "; stopped\n");
                    return kSomeUnread;
                }
                if (::mkdir(it->c_str(), 0777) != 0 && errno != EEXIST) {
                    tell("kavu-sheet: cannot make the folder " + it->string() + ": " +
                         std::strerror(errno) + "; stopped\n");
                    return kSomeUnread;
                }
            }
            if (!list.Add({{"from", from.string()}, {"to", to.string()}}, error)) {
                tell("kavu-sheet: cannot write the undo list: " + error + "; stopped\n");
                return kSomeUnread;
            }
            if (const int e = MoveNoReplace(from, to); e != 0) {
                tell("kavu-sheet: cannot rename " + m.From + " to " + m.To + ": " +
                     std::strerror(e) + "; stopped (the undo list holds what was done)\n");
                return kSomeUnread;
            }
        }
    }
    return status;
}

int UndoRenames(const std::string& listPath, const std::function<void(const std::string&)>& tell) {
    std::ifstream in(listPath);
    if (!in) {
        tell("kavu-sheet: " + listPath + ": " + std::strerror(errno) + "\n");
        return kSomeUnread;
    }
    std::vector<nlohmann::json> entries;
    std::string line;
    for (std::size_t number = 1; std::getline(in, line); ++number) {
        auto entry = nlohmann::json::parse(line, nullptr, false);
        const bool move = entry.is_object() && entry.contains("from") && entry.contains("to") &&
                          entry["from"].is_string() && entry["to"].is_string();
        const bool folder =
            entry.is_object() && entry.contains("mkdir") && entry["mkdir"].is_string();
        if (!move && !folder) {
            // The last line may be cut short by a crash; anything else is not an undo list.
            if (in.peek() == EOF) break;
            tell("kavu-sheet: " + listPath + ":" + std::to_string(number) +
                 ": not an entry of an undo list; nothing was undone\n");
            return kSomeUnread;
        }
        entries.push_back(std::move(entry));
    }
    int status = kAllRead;
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        if (it->contains("mkdir")) {
            const std::string folder = (*it)["mkdir"].get<std::string>();
            ::rmdir(folder.c_str()); // only when empty: a folder holding other files stays
            continue;
        }
        const fs::path from = (*it)["from"].get<std::string>(), to = (*it)["to"].get<std::string>();
        if (!Exists(to.string())) continue; // never made, or undone already
        if (Exists(from.string())) {
            tell("kavu-sheet: " + from.string() + " exists again; " + to.string() +
                 " left where it is\n");
            status = kSomeUnread;
            continue;
        }
        std::error_code ec;
        fs::create_directories(from.parent_path(), ec);
        if (const int e = MoveNoReplace(to, from); e != 0) {
            tell("kavu-sheet: cannot rename " + to.string() + " back to " + from.string() + ": " +
                 std::strerror(e) + "\n");
            status = kSomeUnread;
        }
    }
    return status;
}

} // namespace kavu::cli
