// A preloaded library that makes one kind of write failure happen on cue, for the
// files whose path matches a pattern, so that a test can watch a save meet it the
// way a user meets a failing disk. Chosen once, at load, by the environment:
//
//   WRITE_FAULT_PATH    fnmatch(3) pattern for the whole path as the program names it
//                       ("*/out/*01.WAV*": the final name and its hidden ".01.WAV.XXXXXX")
//   WRITE_FAULT_KIND    write   write/pwrite/writev fail once WRITE_FAULT_AFTER bytes
//                               went to matching files (the write that crosses the
//                               mark is cut short there, as on a disk that fills up)
//                       fsync   fsync/fdatasync of a matching file fail
//                       rename  rename/renameat/renameat2 from or to a matching path fail
//                       close   closing a matching file opened for writing fails (after
//                               the descriptor is released, as Linux does)
//   WRITE_FAULT_ERRNO   EIO (default), ENOSPC, EXDEV, EDQUOT or EFBIG
//   WRITE_FAULT_AFTER   bytes for "write" (default 0)
//
// Files are known by the descriptors that open/openat/creat/fopen returned for a
// matching path (C++ file streams open with fopen and write to the descriptor; no
// save writes through stdio buffers, so fwrite is left alone); every other file, and every process without the variables, is left
// alone. The library carries no sanitizer of its own, so it loads into programs built
// with or without one (with AddressSanitizer, ASAN_OPTIONS=verify_asan_link_order=0).
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <pthread.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/types.h>
#include <sys/uio.h>
#include <unistd.h>

#define EXPORT __attribute__((visibility("default")))

enum FaultKind { kNoFault, kWriteFault, kSyncFault, kRenameFault, kCloseFault };
enum Watch { kUnwatched = 0, kWatchedForReading = 1, kWatchedForWriting = 2 };

// Descriptors above this are never watched; the programs under test stay far below.
#define kMaxWatched 4096

static enum FaultKind g_kind = kNoFault;
static int g_error = EIO;
static long long g_budget = 0;  // bytes the matching files may still take ("write")
static char g_pattern[4096];
static unsigned char g_watched[kMaxWatched];
static pthread_mutex_t g_lock = PTHREAD_MUTEX_INITIALIZER;

static int ErrorNamed(const char* name) {
  static const struct {
    const char* name;
    int value;
  } kErrors[] = {{"EIO", EIO}, {"ENOSPC", ENOSPC}, {"EXDEV", EXDEV}, {"EDQUOT", EDQUOT}, {"EFBIG", EFBIG}};
  for (size_t i = 0; name != NULL && i < sizeof kErrors / sizeof kErrors[0]; ++i) {
    if (strcmp(name, kErrors[i].name) == 0) return kErrors[i].value;
  }
  return EIO;
}

__attribute__((constructor)) static void ReadEnvironment(void) {
  const char* pattern = getenv("WRITE_FAULT_PATH");
  const char* kind = getenv("WRITE_FAULT_KIND");
  const char* after = getenv("WRITE_FAULT_AFTER");
  if (pattern == NULL || kind == NULL || strlen(pattern) >= sizeof g_pattern) return;
  strcpy(g_pattern, pattern);
  g_error = ErrorNamed(getenv("WRITE_FAULT_ERRNO"));
  g_budget = after != NULL ? atoll(after) : 0;
  if (strcmp(kind, "write") == 0) g_kind = kWriteFault;
  if (strcmp(kind, "fsync") == 0) g_kind = kSyncFault;
  if (strcmp(kind, "rename") == 0) g_kind = kRenameFault;
  if (strcmp(kind, "close") == 0) g_kind = kCloseFault;
}

// The next definition after this library: the sanitizer's interceptor or the C library.
static void* Next(const char* name) { return dlsym(RTLD_NEXT, name); }
#define REAL(name)                             \
  static __typeof__(&name) real_##name = NULL; \
  if (real_##name == NULL) real_##name = (__typeof__(&name))Next(#name)

static int Matches(const char* path) { return g_kind != kNoFault && path != NULL && fnmatch(g_pattern, path, 0) == 0; }

static void Watch(int fd, const char* path, int writable) {
  if (fd < 0 || fd >= kMaxWatched) return;
  g_watched[fd] = Matches(path) ? (writable ? kWatchedForWriting : kWatchedForReading) : kUnwatched;
}

static int Watched(int fd) { return fd >= 0 && fd < kMaxWatched ? g_watched[fd] : kUnwatched; }

static int Fail(void) {
  errno = g_error;
  return -1;
}

static int WritableFlags(int flags) { return (flags & O_ACCMODE) != O_RDONLY; }

// How many of `count` bytes a write to `fd` may pass on: all when the file is not
// watched, else what is left of the budget (0: the write fails).
static size_t Allowed(int fd, size_t count) {
  if (g_kind != kWriteFault || Watched(fd) == kUnwatched) return count;
  pthread_mutex_lock(&g_lock);
  size_t allowed = (long long)count < g_budget ? count : (size_t)g_budget;
  g_budget -= (long long)allowed;
  pthread_mutex_unlock(&g_lock);
  return allowed;
}

// Gives back what a cut-short or failed write did not use.
static void Refund(int fd, size_t allowed, ssize_t written) {
  if (g_kind != kWriteFault || Watched(fd) == kUnwatched || written >= (ssize_t)allowed) return;
  pthread_mutex_lock(&g_lock);
  g_budget += (long long)allowed - (written > 0 ? written : 0);
  pthread_mutex_unlock(&g_lock);
}

static int ModeOf(va_list arguments, int flags) {
  return (flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE ? va_arg(arguments, int) : 0;
}

EXPORT int open(const char* path, int flags, ...) {
  REAL(open);
  va_list arguments;
  va_start(arguments, flags);
  int mode = ModeOf(arguments, flags);
  va_end(arguments);
  int fd = real_open(path, flags, mode);
  Watch(fd, path, WritableFlags(flags));
  return fd;
}

EXPORT int open64(const char* path, int flags, ...) {
  REAL(open64);
  va_list arguments;
  va_start(arguments, flags);
  int mode = ModeOf(arguments, flags);
  va_end(arguments);
  int fd = real_open64(path, flags, mode);
  Watch(fd, path, WritableFlags(flags));
  return fd;
}

EXPORT int openat(int folder, const char* path, int flags, ...) {
  REAL(openat);
  va_list arguments;
  va_start(arguments, flags);
  int mode = ModeOf(arguments, flags);
  va_end(arguments);
  int fd = real_openat(folder, path, flags, mode);
  Watch(fd, path, WritableFlags(flags));
  return fd;
}

EXPORT int openat64(int folder, const char* path, int flags, ...) {
  REAL(openat64);
  va_list arguments;
  va_start(arguments, flags);
  int mode = ModeOf(arguments, flags);
  va_end(arguments);
  int fd = real_openat64(folder, path, flags, mode);
  Watch(fd, path, WritableFlags(flags));
  return fd;
}

// The checked forms that _FORTIFY_SOURCE builds call.
EXPORT int __open_2(const char* path, int flags) { return open(path, flags); }
EXPORT int __open64_2(const char* path, int flags) { return open64(path, flags); }
EXPORT int __openat_2(int folder, const char* path, int flags) { return openat(folder, path, flags); }
EXPORT int __openat64_2(int folder, const char* path, int flags) { return openat64(folder, path, flags); }

EXPORT int creat(const char* path, mode_t mode) { return open(path, O_WRONLY | O_CREAT | O_TRUNC, mode); }
EXPORT int creat64(const char* path, mode_t mode) { return open64(path, O_WRONLY | O_CREAT | O_TRUNC, mode); }

static int WritableMode(const char* mode) { return mode != NULL && strpbrk(mode, "wa+") != NULL; }

// C++ file streams open through fopen and then write to the descriptor directly.
EXPORT FILE* fopen(const char* path, const char* mode) {
  REAL(fopen);
  FILE* stream = real_fopen(path, mode);
  if (stream != NULL) Watch(fileno(stream), path, WritableMode(mode));
  return stream;
}

EXPORT FILE* fopen64(const char* path, const char* mode) {
  REAL(fopen64);
  FILE* stream = real_fopen64(path, mode);
  if (stream != NULL) Watch(fileno(stream), path, WritableMode(mode));
  return stream;
}

EXPORT ssize_t write(int fd, const void* buffer, size_t count) {
  REAL(write);
  size_t allowed = Allowed(fd, count);
  if (allowed == 0 && count > 0) return Fail();
  ssize_t written = real_write(fd, buffer, allowed);
  Refund(fd, allowed, written);
  return written;
}

EXPORT ssize_t pwrite(int fd, const void* buffer, size_t count, off_t offset) {
  REAL(pwrite);
  size_t allowed = Allowed(fd, count);
  if (allowed == 0 && count > 0) return Fail();
  ssize_t written = real_pwrite(fd, buffer, allowed, offset);
  Refund(fd, allowed, written);
  return written;
}

EXPORT ssize_t pwrite64(int fd, const void* buffer, size_t count, off_t offset) {
  return pwrite(fd, buffer, count, offset);
}

EXPORT ssize_t writev(int fd, const struct iovec* pieces, int count) {
  REAL(writev);
  size_t total = 0;
  for (int i = 0; i < count; ++i) total += pieces[i].iov_len;
  size_t allowed = Allowed(fd, total);
  if (allowed == total) {
    ssize_t written = real_writev(fd, pieces, count);
    Refund(fd, allowed, written);
    return written;
  }
  if (allowed == 0) return Fail();
  // Cut short: the leading pieces, up to the mark.
  REAL(write);
  size_t done = 0;
  for (int i = 0; i < count && done < allowed; ++i) {
    size_t take = pieces[i].iov_len < allowed - done ? pieces[i].iov_len : allowed - done;
    ssize_t written = real_write(fd, pieces[i].iov_base, take);
    if (written < 0 && done == 0) {
      Refund(fd, allowed, -1);
      return -1;
    }
    if (written <= 0) break;
    done += (size_t)written;
    if ((size_t)written < take) break;
  }
  Refund(fd, allowed, (ssize_t)done);
  return (ssize_t)done;
}

EXPORT int fsync(int fd) {
  REAL(fsync);
  if (g_kind == kSyncFault && Watched(fd) != kUnwatched) return Fail();
  return real_fsync(fd);
}

EXPORT int fdatasync(int fd) {
  REAL(fdatasync);
  if (g_kind == kSyncFault && Watched(fd) != kUnwatched) return Fail();
  return real_fdatasync(fd);
}

EXPORT int close(int fd) {
  REAL(close);
  int watched = Watched(fd);
  if (watched != kUnwatched) g_watched[fd] = kUnwatched;
  int result = real_close(fd);
  if (result == 0 && g_kind == kCloseFault && watched == kWatchedForWriting) return Fail();
  return result;
}

EXPORT int fclose(FILE* stream) {
  REAL(fclose);
  int fd = stream != NULL ? fileno(stream) : -1;
  int watched = Watched(fd);
  if (watched != kUnwatched) g_watched[fd] = kUnwatched;
  int result = real_fclose(stream);
  if (result == 0 && g_kind == kCloseFault && watched == kWatchedForWriting) {
    errno = g_error;
    return EOF;
  }
  return result;
}

static int RenameFails(const char* from, const char* to) {
  return g_kind == kRenameFault && (Matches(from) || Matches(to));
}

EXPORT int rename(const char* from, const char* to) {
  REAL(rename);
  return RenameFails(from, to) ? Fail() : real_rename(from, to);
}

EXPORT int renameat(int fromFolder, const char* from, int toFolder, const char* to) {
  REAL(renameat);
  return RenameFails(from, to) ? Fail() : real_renameat(fromFolder, from, toFolder, to);
}

EXPORT int renameat2(int fromFolder, const char* from, int toFolder, const char* to, unsigned int flags) {
  REAL(renameat2);
  return RenameFails(from, to) ? Fail() : real_renameat2(fromFolder, from, toFolder, to, flags);
}
