/* LD_PRELOAD shim for the tests under Wine, never shipped.
 *
 * A pseudo-terminal has no modem lines: TIOCMGET, TIOCMSET, TIOCMBIS, TIOCMBIC and TIOCGICOUNT
 * fail there with ENOTTY, and Wine turns that into failures of EscapeCommFunction,
 * GetCommModemStatus and WaitCommEvent. On a pty, and only when the real call failed with
 * ENOTTY, this shim answers them as a cable with the device's lines up would: CTS, DSR and CD
 * set, RTS and DTR as last set through this descriptor (both up after open, as a UART's are),
 * and no line events counted. Every other call goes to the real ioctl.
 *
 * 32-bit glibc built with 64-bit time sends ioctl calls to __ioctl_time64, so that one is
 * wrapped too in the 32-bit build. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <linux/serial.h>
#include <stdarg.h>
#include <string.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

/* Linux gives pty slaves (/dev/pts/N) the majors 136 to 143. */
static int is_pty(int fd) {
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode)) return 0;
  unsigned m = major(st.st_rdev);
  return m >= 136 && m <= 143;
}

/* Per descriptor, which of RTS and DTR are down: zero, the state after open, is both up. */
enum { MAX_FDS = 4096, OUTPUTS = TIOCM_RTS | TIOCM_DTR };
static int cleared[MAX_FDS];

static int set_outputs(int fd, int bits) {
  if (fd < MAX_FDS) __atomic_store_n(&cleared[fd], OUTPUTS & ~bits, __ATOMIC_RELAXED);
  return 0;
}
static int get_outputs(int fd) {
  return fd < MAX_FDS ? OUTPUTS & ~__atomic_load_n(&cleared[fd], __ATOMIC_RELAXED) : OUTPUTS;
}

/* The answer for a request the pty refused, or -1 with errno ENOTTY when it is not ours. */
static int answer(int fd, unsigned long request, void *arg) {
  if (is_pty(fd)) switch (request) {
    case TIOCMGET:
      *(int *)arg = get_outputs(fd) | TIOCM_CTS | TIOCM_DSR | TIOCM_CD;
      return 0;
    case TIOCMSET: return set_outputs(fd, *(int *)arg);
    case TIOCMBIS: return set_outputs(fd, get_outputs(fd) | *(int *)arg);
    case TIOCMBIC: return set_outputs(fd, get_outputs(fd) & ~*(int *)arg);
    case TIOCGICOUNT:
      memset(arg, 0, sizeof(struct serial_icounter_struct));
      return 0;
  }
  errno = ENOTTY;
  return -1;
}

typedef int (*ioctl_fn)(int, unsigned long, ...);

static int wrap(const char *name, ioctl_fn *real, int fd, unsigned long request, void *arg) {
  if (!*real) *real = (ioctl_fn)dlsym(RTLD_NEXT, name);
  if (!*real) {
    errno = ENOSYS;
    return -1;
  }
  int saved = errno;
  int r = (*real)(fd, request, arg);
  if (r == -1 && errno == ENOTTY && arg) {
    if (answer(fd, request, arg) == 0) {
      errno = saved;
      return 0;
    }
    errno = ENOTTY;
  }
  return r;
}

int ioctl(int fd, unsigned long request, ...) {
  static ioctl_fn real;
  va_list ap;
  va_start(ap, request);
  void *arg = va_arg(ap, void *);
  va_end(ap);
  return wrap("ioctl", &real, fd, request, arg);
}

#if defined(__i386__)
int __ioctl_time64(int fd, unsigned long request, ...) {
  static ioctl_fn real;
  va_list ap;
  va_start(ap, request);
  void *arg = va_arg(ap, void *);
  va_end(ap);
  return wrap("__ioctl_time64", &real, fd, request, arg);
}
#endif
