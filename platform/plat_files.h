// plat_files.h: files, directories, processes and well-known paths (POSIX).
//
// Names may use "/" or "\" as separators; results use "/".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The largest file plat_read_file reads (settings, levels, line files and
// other data files are far smaller).
inline constexpr std::uint64_t kPlatMaxReadBytes = 256ull * 1024 * 1024;

// The one guarded way into an outside file: opened without blocking (a name
// planted on a pipe cannot stall the program), and only a plain file of at
// most the limit is taken (a device such as /dev/zero would never end).
enum class PlatFileCheck { kOk, kMissing, kNotPlain, kTooLarge, kUnreadable };
PlatFileCheck plat_check_file(const std::string& name, std::uint64_t limit = kPlatMaxReadBytes);
// Reads a whole file through that guard; bytes stay empty on any refusal.
PlatFileCheck plat_read_file_checked(const std::string& name, std::string* bytes,
                                     std::uint64_t limit = kPlatMaxReadBytes);
// True when plat_read_file_checked gives kOk.
bool plat_read_file(const std::string& name, std::string* bytes);
// Why a check refused, as words for a log entry ("not a plain file").
const char* plat_file_check_text(PlatFileCheck check);
// The name as the system takes it: every "\" turned into "/".
std::string plat_native_name(const std::string& name);

// Writes a whole file atomically (temporary file in the same directory, then
// rename), so a failure never leaves a truncated file behind. An existing
// file that this user may not write is left alone (false): renaming over it
// would replace what its owner made read-only. A symbolic link is followed
// only to a plain file owned by this user in a folder this user owns (and,
// for root, only from a folder root owns); the target is then replaced and
// the link stays. Any other link, or a dangling one, is never written.
// *why, when given, receives the reason of a false in words.
bool plat_write_file_atomic(const std::string& name, const std::string& bytes,
                            const char** why = nullptr);
// Removes what an interrupted plat_write_file_atomic of this program left in
// the directory: temporary files named after a file whose name starts with
// prefix, made by a process that no longer runs, plain and our own. Returns
// how many went.
int plat_remove_stale_temporaries(const std::string& dir, const std::string& prefix);
// True when the name passes plat_check_file.
bool plat_file_readable(const std::string& name);
bool plat_delete_file(const std::string& name);
bool plat_is_directory(const std::string& name);
// True when both names lead to the same existing file.
bool plat_same_file(const std::string& a, const std::string& b);
// Copies a plain source in 4096-byte chunks; the destination must be a plain
// file or missing (a link only as plat_write_file_atomic follows one), is created anew and deleted
// again when a chunk is read or written short. False when nothing was copied.
bool plat_copy_file(const std::string& source, const std::string& destination);

std::string plat_current_dir();
bool plat_set_current_dir(const std::string& dir);

struct PlatDirEntry {
    std::string name;
    bool is_directory = false;
};
// Every entry of the directory including "." and "..", in the order the
// system returns them.
std::vector<PlatDirEntry> plat_list_dir(const std::string& dir);

std::string plat_temp_dir();    // $TMPDIR or /tmp, with a trailing "/"
std::string plat_program_dir(); // directory of /proc/self/exe, trailing "/"
std::string plat_machine_id();  // /etc/machine-id, empty when missing
bool plat_debugger_attached();  // TracerPid in /proc/self/status
// Appends to a log file without following a planted symbolic link; the file
// is created owner-only.
bool plat_append_log(const std::string& name, const std::string& bytes);
// Runs a command line through /bin/sh -c; false when it cannot start.
bool plat_run(const std::string& command_line, bool wait, int* exit_code);
// Runs a command and captures its standard output (for dialog helpers).
bool plat_run_capture(const std::string& command_line, std::string* output, int* exit_code);
std::string plat_which(const std::string& program);
