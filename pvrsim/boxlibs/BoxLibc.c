// BoxLibc.c - libc.so.0 for box TAPs under pvrsim: the calls whose box view
// pvrsim provides go to pvrsim's handlers (the same ones that host TAPs reach
// through link-time wrapping); the C library's other names are left to the
// host's C library, which the loader searches next.

// struct stat64 and O_TMPFILE, as pvrsim's handlers see them.
#define _GNU_SOURCE
#include <fcntl.h>
#include <stdarg.h>
#include <stdio.h>
#include <sys/shm.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <utime.h>

// pvrsim's handlers (libpvrsim, found in the program's global scope).
int __wrap_open(const char *path, int flags, ...);
int __wrap_lstat64(const char *path, struct stat64 *st);
int __wrap_utime(const char *path, const struct utimbuf *times);
int __wrap_mkdir(const char *path, mode_t mode);
int __wrap_rename(const char *from, const char *to);
FILE *__wrap_fopen(const char *path, const char *mode);
int __wrap_system(const char *commandLine);
int __wrap_shmget(key_t key, size_t size, int flags);
void *__wrap_shmat(int id, const void *address, int flags);
int __wrap_shmdt(const void *address);
int __wrap_shmctl(int id, int command, struct shmid_ds *status);
ssize_t __wrap_write(int fd, const void *data, size_t size);
int __wrap_close(int fd);

int open(const char *path, int flags, ...) {
  mode_t mode = 0;
  if ((flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE) {
    va_list args;
    va_start(args, flags);
    mode = va_arg(args, mode_t);
    va_end(args);
  }
  return __wrap_open(path, flags, mode);
}

int lstat64(const char *path, struct stat64 *st) { return __wrap_lstat64(path, st); }
int utime(const char *path, const struct utimbuf *times) { return __wrap_utime(path, times); }
int mkdir(const char *path, mode_t mode) { return __wrap_mkdir(path, mode); }
int rename(const char *from, const char *to) { return __wrap_rename(from, to); }
FILE *fopen(const char *path, const char *mode) { return __wrap_fopen(path, mode); }
int system(const char *commandLine) { return __wrap_system(commandLine); }
int shmget(key_t key, size_t size, int flags) { return __wrap_shmget(key, size, flags); }
void *shmat(int id, const void *address, int flags) { return __wrap_shmat(id, address, flags); }
int shmdt(const void *address) { return __wrap_shmdt(address); }
int shmctl(int id, int command, struct shmid_ds *status) { return __wrap_shmctl(id, command, status); }
ssize_t write(int fd, const void *data, size_t size) { return __wrap_write(fd, data, size); }
int close(int fd) { return __wrap_close(fd); }
