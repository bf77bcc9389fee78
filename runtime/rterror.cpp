// rterror.cpp: the error record, the error log and the program's one way out.
//
// Every end of the program, normal or fatal, passes through rt_end: it runs
// the teardown that the subsystems above the runtime registered, writes the
// error record to the log when the debug flag is set, and exits with the
// error code as the process status. Static destructors that std::exit runs
// write back the settings store and the line-file cache.
#include "platform/plat_files.h"
#include "runtime/runtime.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

RtErrorRecord g_record;
int g_debug_flag = 0;
// Set by rt_fatal: the end routine then exits with the error code.
bool g_fatal = false;

// Registered teardown; plain arrays so that nothing here is torn down by the
// static destructors that run after rt_end calls std::exit.
constexpr int kMaxEndHooks = 32;
struct EndHook {
    RtEndStage stage;
    RtEndHook hook;
};
EndHook g_hooks[kMaxEndHooks];
int g_hook_count = 0;

enum class EndPhase { kRunning, kHooks, kExiting };
EndPhase g_phase = EndPhase::kRunning;

std::string log_path_std() {
    return plat_temp_dir() + "ErrorLog.txt";
}

void log_entry(std::string_view text) {
    std::string entry(text);
    entry += "\r\n";
    // A log that cannot be written is skipped silently: logging never fails.
    (void)plat_append_log(log_path_std(), entry);
}

void log_number(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%g", value);
    log_entry(text);
}

void run_hooks(RtEndStage stage) {
    for (int i = 0; i < g_hook_count; ++i) {
        if (g_hooks[i].stage == stage && g_hooks[i].hook != nullptr) {
            // Clear before calling so a hook that ends the program again does
            // not run twice.
            RtEndHook hook = g_hooks[i].hook;
            g_hooks[i].hook = nullptr;
            hook();
        }
    }
}

const char* error_meaning(int code) {
    switch (code) {
    case kRtFileError:
        return "file could not be opened or loaded";
    case kRtLimitError:
        return "limit exceeded or storage could not be obtained";
    case kRtNotDimensioned:
        return "array not dimensioned";
    case kRtIndexError:
        return "array index out of bounds";
    default:
        return "unknown error";
    }
}

int exit_status() {
    // Only a fatal error changes the status: a soft error that game code saw
    // and survived (a missing line file) must not make a later normal end
    // look like a failure.
    if (!g_fatal) return 0;
    const double code = g_record.error_code;
    // A code that is no valid status (NaN, negative, too large) still means failure.
    if (!(code >= 0 && code <= 255)) return 1;
    return static_cast<int>(code);
}

void write_debug_record() {
    log_entry("-End On Line");
    log_number(g_record.error_code);
    log_number(g_record.error_line - 1);
    log_number(g_record.current_line);
    log_number(g_record.current_position);
}

} // namespace

RtErrorRecord& rt_error_record() {
    return g_record;
}

double rt_set_error(double code) {
    g_record.error_code = code;
    g_record.error_line = g_record.current_line;
    return code;
}

void rt_set_position(double position, double line) {
    g_record.current_position = position;
    g_record.current_line = line;
}

void rt_end_statement() {
    g_fatal = false;
    rt_set_error(0);
    rt_end();
}

void rt_fatal(int code) {
    g_fatal = true;
    rt_set_error(code);
    rt_end();
}

void rt_end() {
    const int status = exit_status();
    if (g_phase == EndPhase::kExiting)
        std::_Exit(status); // reached from a static destructor: exit may not be called twice
    // A hook that ends the program again arrives here with the hooks already
    // run cleared, and carries on with the ones still pending.
    const bool first = g_phase == EndPhase::kRunning;
    g_phase = EndPhase::kHooks;
    run_hooks(kRtEndMedia);
    if (first && g_debug_flag != 0) write_debug_record();
    run_hooks(kRtEndDevices);
    run_hooks(kRtEndWindow);
    g_phase = EndPhase::kExiting;
    if (status != 0) {
        std::fprintf(stderr, "runtime error %d: %s\n", status, error_meaning(status));
        std::fflush(stderr);
    }
    std::exit(status);
}

void rt_set_debug_flag(int flag) {
    g_debug_flag = flag;
}
int rt_debug_flag() {
    return g_debug_flag;
}

void rt_add_end_hook(RtEndStage stage, RtEndHook hook) {
    if (g_hook_count >= kMaxEndHooks) {
        log_entry("runtime: too many end hooks, one ignored");
        return;
    }
    g_hooks[g_hook_count++] = EndHook{stage, hook};
}

void rt_log(const RtString& text) {
    log_entry(text.view());
}

RtString rt_log_path() {
    return RtString::from_std(log_path_std());
}

void rt_delete_log() {
    (void)plat_delete_file(log_path_std());
}
