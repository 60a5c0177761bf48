// Preloaded into the program by its tests: an iconv that cannot convert Shift_JIS (CP932), as on
// a system built without the converter, and converts everything else as the C library does.
#include <cerrno>
#include <cstring>
#include <dlfcn.h>
#include <iconv.h>

extern "C" iconv_t iconv_open(const char* to, const char* from) {
    if (std::strcmp(to, "CP932") == 0 || std::strcmp(from, "CP932") == 0) {
        errno = EINVAL;
        return iconv_t(-1);
    }
    using Open = iconv_t (*)(const char*, const char*);
    static const auto real = reinterpret_cast<Open>(::dlsym(RTLD_NEXT, "iconv_open"));
    return real(to, from);
}
