#include "standardstreams.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace zunova::console {

ClosedStreams reopenClosedStandardStreams() {
    bool closed[3] = {false, false, false};
    for (int fd = 0; fd < 3; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF)
            continue;
        closed[fd] = true;
        // open() takes the lowest free number, which is this one: the lower ones are open.
        const int opened = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
        if (opened != fd && opened >= 0)
            ::close(opened);
    }
    return {closed[0], closed[1]};
}

} // namespace zunova::console
