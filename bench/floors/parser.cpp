// Floor for the one-by-one scan: a straightforward parser of comma / CR LF separated integers
// through a 64 KiB buffer. Prints the code in column COLUMN of the first record whose first
// field is KEY, reading no further, as the scan does.
// Usage: parser FILE KEY COLUMN
#include <cstdio>
#include <cstdlib>

#include <fcntl.h>
#include <unistd.h>

int main(int argc, char* argv[]) {
    if (argc != 4)
        return 2;
    const long key = std::atol(argv[2]);
    const int column = std::atoi(argv[3]);
    const int fd = ::open(argv[1], O_RDONLY);
    if (fd < 0)
        return 2;
    static char buffer[64 * 1024];
    long value = 0;
    long fields[11];
    int field = 0;
    bool negative = false;
    bool inNumber = false;
    for (ssize_t got; (got = ::read(fd, buffer, sizeof buffer)) > 0;) {
        for (ssize_t i = 0; i < got; ++i) {
            const char c = buffer[i];
            if (c >= '0' && c <= '9') {
                value = value * 10 + (c - '0');
                inNumber = true;
            } else if (c == '-') {
                negative = true;
            } else if (c == ',' || c == '\n') {
                if (!inNumber && c == '\n')
                    continue; // a blank line
                fields[field++] = negative ? -value : value;
                value = 0;
                negative = inNumber = false;
                if (field == 11) {
                    field = 0;
                    if (fields[0] == key) {
                        std::printf("%ld\n", fields[column + 1]);
                        ::close(fd);
                        return 0;
                    }
                }
            }
        }
    }
    ::close(fd);
    std::printf("none\n");
    return 0;
}
