// plat_files.cpp: files, directories, processes and well-known paths on POSIX.
//
// Every name handed in may use "\" as a separator; it is turned into "/"
// before the system sees it.
#include "platform/plat_files.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string native(const std::string& name) {
    std::string out = name;
    for (char& c : out)
        if (c == '\\') c = '/';
    return out;
}

bool write_all(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool read_all(int fd, std::string* bytes, std::size_t limit = SIZE_MAX) {
    char chunk[65536];
    for (;;) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) return true;
        if (bytes->size() + static_cast<std::size_t>(n) > limit) return false;
        bytes->append(chunk, static_cast<std::size_t>(n));
    }
}

// A fresh file beside the target that no one else can have opened: created
// exclusively under a name made of our process id and a counter.
int create_temporary_beside(const std::string& target, std::string* temp_name) {
    static unsigned counter = 0;
    const std::size_t slash = target.rfind('/');
    const std::string dir = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    // Cut long names so the temporary name stays within the file-name limit.
    const std::string base =
        (slash == std::string::npos ? target : target.substr(slash + 1)).substr(0, 100);
    for (int attempt = 0; attempt < 100; ++attempt) {
        *temp_name = dir + "." + base + "." + std::to_string(::getpid()) + "." +
                     std::to_string(counter++) + ".tmp";
        const int fd = ::open(temp_name->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

// Non-blocking, so that a name planted on a pipe cannot stall the open; the
// descriptor is handed back only for a plain file within the limit.
PlatFileCheck open_guarded(const std::string& name, std::uint64_t limit, int* fd_out) {
    *fd_out = -1;
    const int fd = ::open(native(name).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return errno == ENOENT || errno == ENOTDIR ? PlatFileCheck::kMissing
               : errno == ENXIO                    ? PlatFileCheck::kNotPlain
                                                   : PlatFileCheck::kUnreadable;
    struct stat info {};
    PlatFileCheck check = PlatFileCheck::kOk;
    if (::fstat(fd, &info) != 0)
        check = PlatFileCheck::kUnreadable;
    else if (!S_ISREG(info.st_mode))
        check = PlatFileCheck::kNotPlain;
    else if (static_cast<std::uint64_t>(info.st_size) > limit)
        check = PlatFileCheck::kTooLarge;
    if (check != PlatFileCheck::kOk) {
        ::close(fd);
        return check;
    }
    // Plain files never block; reads go on without the flag all the same.
    (void)::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    *fd_out = fd;
    return check;
}

// The directory part of a name ("." for a bare name, "/" for the root).
std::string parent_of(const std::string& name) {
    const std::size_t slash = name.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? std::string("/") : name.substr(0, slash);
}

bool owned_by_us(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && info.st_uid == ::geteuid();
}

// Where a write to the name goes. A name that is no symbolic link is written
// as it is. A link is followed only to a plain file of our own in a folder of
// our own (players keep their settings in a folder of dotfiles), so that a
// link planted by someone else, or one left dangling, never makes the game
// overwrite or create a file elsewhere; ownership is asked rather than
// access, which root always has, and root follows no link that sits in a
// folder it does not own.
bool write_target(const std::string& name, std::string* target, const char** why) {
    *target = native(name);
    struct stat link {};
    if (::lstat(target->c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) return true;
    if (::geteuid() == 0 && !owned_by_us(parent_of(*target))) {
        *why = "a link in a folder of another user";
        return false;
    }
    char* real = ::realpath(target->c_str(), nullptr);
    if (real == nullptr) {
        *why = "a link to nothing";
        return false;
    }
    const std::string resolved = real;
    std::free(real);
    struct stat info {};
    if (::stat(resolved.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        *why = "a link to something that is not a plain file";
        return false;
    }
    if (info.st_uid != ::geteuid()) {
        *why = "a link to a file of another user";
        return false;
    }
    if (!owned_by_us(parent_of(resolved))) {
        *why = "a link into a folder of another user";
        return false;
    }
    *target = resolved;
    return true;
}

std::string read_small_file(const char* name) {
    std::string bytes;
    const int fd = ::open(name, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return bytes;
    (void)read_all(fd, &bytes);
    ::close(fd);
    return bytes;
}

} // namespace

std::string plat_native_name(const std::string& name) {
    return native(name);
}

const char* plat_file_check_text(PlatFileCheck check) {
    switch (check) {
    case PlatFileCheck::kOk:
        return "ok";
    case PlatFileCheck::kMissing:
        return "no such file";
    case PlatFileCheck::kNotPlain:
        return "not a plain file";
    case PlatFileCheck::kTooLarge:
        return "file too large";
    default:
        return "cannot be read";
    }
}

PlatFileCheck plat_check_file(const std::string& name, std::uint64_t limit) {
    int fd = -1;
    const PlatFileCheck check = open_guarded(name, limit, &fd);
    if (fd >= 0) ::close(fd);
    return check;
}

PlatFileCheck plat_read_file_checked(const std::string& name, std::string* bytes,
                                     std::uint64_t limit) {
    bytes->clear();
    int fd = -1;
    PlatFileCheck check = open_guarded(name, limit, &fd);
    if (check != PlatFileCheck::kOk) return check;
    // The size was checked on open; a file that grows meanwhile is cut off
    // at the limit all the same.
    if (!read_all(fd, bytes, static_cast<std::size_t>(limit))) {
        bytes->clear();
        check = PlatFileCheck::kUnreadable;
    }
    ::close(fd);
    return check;
}

bool plat_read_file(const std::string& name, std::string* bytes) {
    return plat_read_file_checked(name, bytes) == PlatFileCheck::kOk;
}

bool plat_write_file_atomic(const std::string& name, const std::string& bytes, const char** why) {
    std::string target;
    const char* refusal = nullptr;
    if (!write_target(name, &target, &refusal)) {
        if (why != nullptr) *why = refusal;
        return false;
    }
    if (why != nullptr) *why = "the write failed";
    // The directory may take a new entry while the file itself is read-only
    // to us; the rename would replace it all the same.
    if (::faccessat(AT_FDCWD, target.c_str(), F_OK, AT_EACCESS) == 0 &&
        ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) {
        if (why != nullptr) *why = "the file is read-only";
        return false;
    }
    std::string temp;
    const int fd = create_temporary_beside(target, &temp);
    if (fd < 0) return false;
    // The replacement keeps the permissions of the file it replaces.
    struct stat old {};
    if (::stat(target.c_str(), &old) == 0) (void)::fchmod(fd, old.st_mode & 07777);
    bool ok = write_all(fd, bytes.data(), bytes.size()) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (ok && ::rename(temp.c_str(), target.c_str()) == 0) return true;
    ::unlink(temp.c_str());
    return false;
}

namespace {

// The process id in a temporary name ".<base>.<pid>.<counter>.tmp", or 0.
long temporary_owner(const std::string& name, const std::string& prefix) {
    const std::string suffix = ".tmp";
    if (name.size() < 1 + prefix.size() + suffix.size() || name[0] != '.' ||
        name.compare(1, prefix.size(), prefix) != 0 ||
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
        return 0;
    const std::string middle = name.substr(0, name.size() - suffix.size());
    const std::size_t counter_dot = middle.rfind('.');
    if (counter_dot == std::string::npos || counter_dot == 0) return 0;
    const std::size_t pid_dot = middle.rfind('.', counter_dot - 1);
    if (pid_dot == std::string::npos || pid_dot == 0) return 0;
    const std::string counter = middle.substr(counter_dot + 1);
    const std::string pid = middle.substr(pid_dot + 1, counter_dot - pid_dot - 1);
    auto digits = [](const std::string& t) {
        return !t.empty() && t.size() < 10 &&
               t.find_first_not_of("0123456789") == std::string::npos;
    };
    return digits(counter) && digits(pid) ? std::atol(pid.c_str()) : 0;
}

} // namespace

int plat_remove_stale_temporaries(const std::string& dir, const std::string& prefix) {
    const std::string base = native(dir.empty() ? std::string(".") : dir);
    DIR* handle = ::opendir(base.c_str());
    if (handle == nullptr) return 0;
    int removed = 0;
    while (const dirent* entry = ::readdir(handle)) {
        const long pid = temporary_owner(entry->d_name, prefix);
        // A running process (another copy of the game) may be writing it now.
        if (pid <= 0 || pid == ::getpid() || ::kill(static_cast<pid_t>(pid), 0) == 0 ||
            errno != ESRCH)
            continue;
        struct stat info {};
        if (::fstatat(::dirfd(handle), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISREG(info.st_mode) || info.st_uid != ::geteuid())
            continue;
        if (::unlinkat(::dirfd(handle), entry->d_name, 0) == 0) ++removed;
    }
    ::closedir(handle);
    return removed;
}

bool plat_file_readable(const std::string& name) {
    return plat_check_file(name) == PlatFileCheck::kOk;
}

bool plat_delete_file(const std::string& name) {
    return ::unlink(native(name).c_str()) == 0;
}

bool plat_is_directory(const std::string& name) {
    struct stat info {};
    return ::stat(native(name).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool plat_same_file(const std::string& a, const std::string& b) {
    struct stat first {};
    struct stat second {};
    return ::stat(native(a).c_str(), &first) == 0 && ::stat(native(b).c_str(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

bool plat_copy_file(const std::string& source, const std::string& destination) {
    int in = -1;
    if (open_guarded(source, UINT64_MAX, &in) != PlatFileCheck::kOk) return false;
    struct stat info {};
    if (::fstat(in, &info) != 0) {
        ::close(in);
        return false;
    }
    // Not blocking on a pipe planted as the destination either, and nothing
    // but a plain file is written into (or deleted again).
    std::string target;
    const char* refusal = nullptr;
    if (!write_target(destination, &target, &refusal)) {
        ::close(in);
        return false;
    }
    const int out =
        ::open(target.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0666);
    struct stat out_info {};
    if (out < 0 || ::fstat(out, &out_info) != 0 || !S_ISREG(out_info.st_mode) ||
        ::ftruncate(out, 0) != 0) {
        if (out >= 0) ::close(out);
        ::close(in);
        return false;
    }
    // The size is taken once; a file that shrinks meanwhile gives a short read.
    off_t left = info.st_size;
    bool ok = true;
    char chunk[4096];
    while (ok && left > 0) {
        const std::size_t want = left < 4096 ? static_cast<std::size_t>(left) : sizeof chunk;
        const ssize_t got = ::read(in, chunk, want);
        ok = got == static_cast<ssize_t>(want) && write_all(out, chunk, want);
        left -= static_cast<off_t>(want);
    }
    ::close(in);
    ok = ::close(out) == 0 && ok;
    if (!ok) ::unlink(target.c_str());
    return ok;
}

std::string plat_current_dir() {
    std::string buffer(4096, '\0');
    if (::getcwd(buffer.data(), buffer.size()) == nullptr) return std::string();
    buffer.resize(std::strlen(buffer.c_str()));
    return buffer;
}

bool plat_set_current_dir(const std::string& dir) {
    return ::chdir(native(dir).c_str()) == 0;
}

std::vector<PlatDirEntry> plat_list_dir(const std::string& dir) {
    std::vector<PlatDirEntry> entries;
    const std::string path = dir.empty() ? std::string(".") : native(dir);
    DIR* handle = ::opendir(path.c_str());
    if (handle == nullptr) return entries;
    while (const dirent* entry = ::readdir(handle)) {
        PlatDirEntry item;
        item.name = entry->d_name;
        if (entry->d_type == DT_DIR) {
            item.is_directory = true;
        } else if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) {
            // A link to a directory lists as a directory, as the link's target would.
            struct stat info {};
            item.is_directory =
                ::fstatat(::dirfd(handle), entry->d_name, &info, 0) == 0 && S_ISDIR(info.st_mode);
        }
        entries.push_back(std::move(item));
    }
    ::closedir(handle);
    return entries;
}

std::string plat_temp_dir() {
    const char* env = std::getenv("TMPDIR");
    std::string dir = env != nullptr && env[0] != '\0' ? native(env) : std::string("/tmp");
    if (dir.back() != '/') dir += '/';
    return dir;
}

std::string plat_program_dir() {
    char buffer[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) return "./";
    const std::string exe(buffer, static_cast<std::size_t>(n));
    const std::size_t slash = exe.rfind('/');
    return slash == std::string::npos ? std::string("./") : exe.substr(0, slash + 1);
}

std::string plat_machine_id() {
    std::string id = read_small_file("/etc/machine-id");
    while (!id.empty() && (id.back() == '\n' || id.back() == '\r' || id.back() == ' '))
        id.pop_back();
    return id;
}

bool plat_debugger_attached() {
    const std::string status = read_small_file("/proc/self/status");
    const std::size_t at = status.find("TracerPid:");
    if (at == std::string::npos) return false;
    return std::atoi(status.c_str() + at + std::strlen("TracerPid:")) != 0;
}

bool plat_append_log(const std::string& name, const std::string& bytes) {
    // No link following, owner-only on creation, and no blocking on a planted
    // FIFO; a file someone else owns is not ours to write into.
    const int fd =
        ::open(native(name).c_str(),
               O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    struct stat info {};
    bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::geteuid();
    ok = ok && write_all(fd, bytes.data(), bytes.size());
    ::close(fd);
    return ok;
}
