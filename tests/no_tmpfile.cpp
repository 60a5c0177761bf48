// Preloaded into the program by its tests: a file system without unnamed temporary files
// (O_TMPFILE), as NFS and older overlay file systems are, so a temporary file has a name; every
// other open is the C library's. <fcntl.h> is left out: it declares open() itself.
#include <cerrno>
#include <cstdarg>
#include <dlfcn.h>
#include <sys/types.h>

#include <asm/fcntl.h>

namespace {

using Open = int (*)(const char*, int, ...);

int openUnlessUnnamed(const char* symbol, const char* path, int flags, va_list arguments) {
    if ((flags & O_TMPFILE) == O_TMPFILE) {
        errno = EOPNOTSUPP;
        return -1;
    }
    // The mode is there only where the flags ask for one, as the C library reads it.
    const mode_t mode = (flags & O_CREAT) != 0 ? mode_t(va_arg(arguments, unsigned)) : 0;
    return reinterpret_cast<Open>(::dlsym(RTLD_NEXT, symbol))(path, flags, mode);
}

} // namespace

extern "C" int open(const char* path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    const int fd = openUnlessUnnamed("open", path, flags, arguments);
    va_end(arguments);
    return fd;
}

extern "C" int open64(const char* path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    const int fd = openUnlessUnnamed("open64", path, flags, arguments);
    va_end(arguments);
    return fd;
}
