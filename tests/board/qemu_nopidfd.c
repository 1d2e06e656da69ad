/* Preloaded into the armhf program under qemu-user (tools/cross-smoke.sh).
 * Qt's process launcher asks the kernel for process file descriptors when
 * waitid(P_PIDFD) is known to it; qemu-user passes that question to the
 * host's kernel, which says yes, but Debian 12's qemu-user then refuses
 * clone() with CLONE_PIDFD. Every QProcess start fails, so the wireless tools
 * never run and the remote service never binds. Answering ENOSYS to both
 * makes Qt take its plain fork path, as on a kernel without pidfd. The
 * variable is dropped at once so that the host programs the guest starts do
 * not try to load an ARM library. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <stdarg.h>
#include <stdlib.h>
#include <sys/syscall.h>

#define FP_CLONE_PIDFD 0x1000
#define FP_P_PIDFD 3
#ifndef SYS_clone3
#define SYS_clone3 435
#endif

__attribute__((constructor)) static void dropPreload(void)
{
    unsetenv("LD_PRELOAD");
}

long syscall(long number, ...)
{
    static long (*real)(long, ...);
    long a[6];
    va_list ap;
    va_start(ap, number);
    for (int i = 0; i < 6; ++i)
        a[i] = va_arg(ap, long);
    va_end(ap);
    if (number == SYS_clone3 || (number == SYS_clone && (a[0] & FP_CLONE_PIDFD)) ||
        (number == SYS_waitid && a[0] == FP_P_PIDFD)) {
        errno = ENOSYS;
        return -1;
    }
    if (!real)
        real = (long (*)(long, ...))dlsym(RTLD_NEXT, "syscall");
    return real(number, a[0], a[1], a[2], a[3], a[4], a[5]);
}
