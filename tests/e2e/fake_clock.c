// Stands in for the C library's time() in the end-to-end tests: the clock
// reads WRENPANE_FAKE_TIME (seconds since the epoch), and -1 makes it fail.
#include <errno.h>
#include <stdlib.h>
#include <time.h>

time_t time(time_t *out) {
    const char *fake = getenv("WRENPANE_FAKE_TIME");
    struct timespec now;
    time_t value;
    if (fake != NULL) {
        value = (time_t)strtoll(fake, NULL, 10);
    } else {
        clock_gettime(CLOCK_REALTIME, &now);
        value = now.tv_sec;
    }
    if (value == (time_t)-1)
        errno = EOVERFLOW;
    else if (out != NULL)
        *out = value;
    return value;
}
