// Linked into every program of the sanitizer build (QOR28_SANITIZE): the sanitizers read
// their settings from these functions at start-up, so a test run by CTest, by its own
// discovery, by hand, or a program a test starts (qor28-sql, qor28-screenshot) behaves
// alike without any environment. Settings given in ASAN_OPTIONS, LSAN_OPTIONS or
// UBSAN_OPTIONS still override these.

extern "C" {

// Stop at the first error with a stack trace, and look for leaks at exit.
const char* __asan_default_options() {
    return "detect_leaks=1:abort_on_error=1";
}

// The leaks of Qt and the font libraries themselves (never of our code) are listed, with
// the reason for each, in tests/sanitizer/lsan.supp.
const char* __lsan_default_options() {
    return "suppressions=" QOR28_LSAN_SUPPRESSIONS ":print_suppressions=0";
}

const char* __ubsan_default_options() {
    return "print_stacktrace=1:halt_on_error=1";
}
}
