// runtime.h: the runtime's contract for everything outside this folder.
//
// Strings and numbers (rtstring.h), arrays (rtarray.h), the settings store
// (ini_*), the line-file cache (lf_*), files, directories and platform
// information (rt_*), and the error record with the program's one way out
// (rt_end).
#pragma once

#include "runtime/rtarray.h"
#include "runtime/rtstring.h"

#include <cstdint>
#include <string>

// ---------------------------------------------------------------- errors and end

// Runtime error codes.
enum RtErrorCode : int {
    kRtOk = 0,         // normal end
    kRtFileError = 3,  // a file could not be opened or loaded
    kRtLimitError = 7, // a limit was exceeded or storage could not be obtained
    kRtNotDimensioned = 8,
    kRtIndexError = 9,
};

// The error record, global and shared by every subsystem.
struct RtErrorRecord {
    double error_code = 0;
    double error_line = 0;
    double current_line = 0;
    double current_position = 0;
};
RtErrorRecord& rt_error_record();

// error_code = code, error_line = current_line; returns code.
double rt_set_error(double code);
void rt_set_position(double position, double line);
// Normal end: rt_set_error(0), then rt_end.
[[noreturn]] void rt_end_statement();
// Records a fatal error and ends the program.
[[noreturn]] void rt_fatal(int code);
// The end routine: shuts down what the subsystems registered, writes the
// error log record when the debug flag is set, and exits the process: with
// the error code as its status after rt_fatal, otherwise 0 (a soft error such
// as a missing line file leaves the code in the record but a later end stays
// a normal one). Never returns.
[[noreturn]] void rt_end();

// The engine's debug flag (0 in this game): when set, rt_end logs the error record.
void rt_set_debug_flag(int flag);
int rt_debug_flag();

// Subsystems above the runtime (media, input, sound, window) hand their
// teardown to the end routine; stages run in ascending order.
enum RtEndStage : int {
    kRtEndMedia = 2,   // media playback stopped and closed
    kRtEndDevices = 4, // input devices, sound channels and the sound device
    kRtEndWindow = 7,  // the main window
};
using RtEndHook = void (*)();
void rt_add_end_hook(RtEndStage stage, RtEndHook hook);

// The error log "ErrorLog.txt" in the temporary directory: one entry per
// call, the text followed by "\r\n". Failures to write are skipped silently.
void rt_log(const RtString& text);
RtString rt_log_path();
void rt_delete_log();

// ---------------------------------------------------------------- settings store

// Global settings store (one INI file at a time). Missing sections or keys
// read as "NO_DATA".
void ini_open(const RtString& file_name);
RtString ini_get(const RtString& section, const RtString& key);
void ini_put(const RtString& section, const RtString& key, const RtString& value);

// ---------------------------------------------------------------- line files

// Line i (0..255) of a text file through a one-file cache. The status out
// value is 0, 3 (file missing: "NO_FILE") or 7 (line outside 0..255).
RtString lf_get_text(const RtString& file, double line, double* status = nullptr);
double lf_get_number(const RtString& file, double line, double* status = nullptr);
double lf_put_text(const RtString& file, double line, const RtString& text);
double lf_put_number(const RtString& file, double line, double value);
// Writes back pending changes of the cached file now.
void lf_flush();

// ---------------------------------------------------------------- files and platform

// The guarded way into an outside file for every reader: true when the name
// opens without blocking as a plain file of a sane size (no directory, pipe
// or device); *resolved, when given, receives it with "/" separators. A name
// that is there but refused is logged as "<who>: cannot read <name>: <why>"
// (unless who is null); a missing one is not.
// Files larger than limit bytes are refused too.
bool rt_check_data_file(const RtString& name, const char* who, RtString* resolved = nullptr,
                        std::uint64_t limit = 256ull << 20);
// Reads the whole file through the same guard and with the same log entry;
// a file larger than limit bytes is refused. *why, when given, receives the
// refusal in words ("not a plain file", "file too large", "no such file").
bool rt_read_data_file(const RtString& name, const char* who, std::string* bytes,
                       std::uint64_t limit = 256ull << 20, const char** why = nullptr);
// Media-file lookup: the name with "/" separators when it is a plain file
// (of any size; readers apply their own limits), silently.
bool rt_media_lookup(const RtString& name, RtString* resolved);
// 1 when the name is a plain file that could be read.
double rt_file_exists(const RtString& name);
void rt_copy_file(const RtString& source, const RtString& destination);
// Non-zero on success, 0 on failure.
double rt_delete_file(const RtString& name);
// Current directory with "/" separators and a trailing "/".
RtString rt_get_current_dir();
// 1 on success, 0 on failure.
double rt_set_current_dir(const RtString& dir);
// Directories first (always, with "." and ".."), then files matching the
// pattern; returns files + 65536 * directories.
double rt_file_list(const RtString& pattern, RtArray<RtString>& names);
double rt_wildcard_match(const RtString& pattern, const RtString& name);
RtString rt_file_dialog(double mode, const RtString& filter);
// Starts a program through the shell; 0 when it cannot be started, else 1.
// When waiting, *exit_code receives its exit status.
double rt_run_program(const RtString& command_line, double wait, double show,
                      double* exit_code = nullptr);
RtString rt_platform_info(const RtString& keyword);
void rt_debug_out(const RtString& text);
// The command line as the program received it.
RtString rt_command_line();
void rt_set_command_line(int argc, char** argv);
// Changes every "\" in the name to "/" in place.
void rt_slashes(RtString& name);
// The directory holding the program file, with a trailing "/".
RtString rt_program_dir();
// The temporary directory with a trailing "/".
RtString rt_temp_dir();
// `name` while its directory is writable, else $XDG_CONFIG_HOME/cropstack/<name> seeded from it.
RtString rt_settings_file(const RtString& name);
