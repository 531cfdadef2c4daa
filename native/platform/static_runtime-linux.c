/* What the Linux programs need with the C++ runtime linked into them.
 *
 * They run on every x86-64 distribution with glibc 2.17 or later although
 * they are built against a newer one: each symbol that the build machine's
 * glibc gives a newer version than 2.17 is renamed at link time (--wrap, see
 * cmake/PortableLinux.cmake) to the __wrap_ function here, which jumps to
 * the symbol's oldest version, binds to the older call it replaced, or
 * stands in for a function old glibc lacks.
 * On old systems the pthread and dl functions live in libpthread.so.0 and
 * libdl.so.2, which the programs therefore name as needed libraries.
 * The symbol-version test lists what the programs need and fails on anything
 * newer, so a symbol that a new compiler or library brings in is seen.
 *
 * The names here are the linker's (__wrap_, __init_array_start), the C
 * library's (_GNU_SOURCE, _init) and addresses the loader gives as numbers:
 * NOLINTBEGIN(bugprone-reserved-identifier,performance-no-int-to-ptr) */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <link.h>
#include <stddef.h>
#include <stdint.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#if !defined(__x86_64__)
#error "the glibc baseline is written for x86-64, whose oldest symbol version is GLIBC_2.2.5"
#endif

/* __wrap_NAME jumps to NAME@GLIBC_2.2.5: the same function under the version
 * it had before glibc 2.34 moved it into libc.so.6 (or before another change
 * that kept its interface). */
#define JUMP_TO_OLDEST(name)                                              \
  __asm__(".symver vantrel_oldest_" #name ", " #name "@GLIBC_2.2.5\n"  \
          ".globl __wrap_" #name "\n"                                  \
          ".type __wrap_" #name ", @function\n"                        \
          "__wrap_" #name ":\n"                                        \
          "  jmp vantrel_oldest_" #name "@PLT\n"                       \
          ".size __wrap_" #name ", .-__wrap_" #name "\n");

JUMP_TO_OLDEST(dlopen)
JUMP_TO_OLDEST(dlsym)
JUMP_TO_OLDEST(dlerror)
JUMP_TO_OLDEST(dlclose)
JUMP_TO_OLDEST(dladdr)
JUMP_TO_OLDEST(pthread_create)
JUMP_TO_OLDEST(pthread_join)
JUMP_TO_OLDEST(pthread_detach)
JUMP_TO_OLDEST(pthread_sigmask)
JUMP_TO_OLDEST(pthread_attr_setstacksize)
JUMP_TO_OLDEST(pthread_once)
JUMP_TO_OLDEST(pthread_key_create)
JUMP_TO_OLDEST(__pthread_key_create)
JUMP_TO_OLDEST(pthread_key_delete)
JUMP_TO_OLDEST(pthread_getspecific)
JUMP_TO_OLDEST(pthread_setspecific)
JUMP_TO_OLDEST(pthread_rwlock_rdlock)
JUMP_TO_OLDEST(pthread_rwlock_wrlock)
JUMP_TO_OLDEST(pthread_rwlock_unlock)
JUMP_TO_OLDEST(pthread_rwlock_init)
JUMP_TO_OLDEST(pthread_rwlock_destroy)
JUMP_TO_OLDEST(powf)

/* stat and its kin became functions of their own in glibc 2.33; before, the
 * headers turned them into calls of __xstat and its kin with a version
 * number of the structure (1 on x86-64). */
enum { statVersion = 1 };
extern int vantrel_xstat(int, const char*, struct stat*);
extern int vantrel_lxstat(int, const char*, struct stat*);
extern int vantrel_fxstat(int, int, struct stat*);
extern int vantrel_fxstatat(int, int, const char*, struct stat*, int);
__asm__(".symver vantrel_xstat, __xstat@GLIBC_2.2.5");
__asm__(".symver vantrel_lxstat, __lxstat@GLIBC_2.2.5");
__asm__(".symver vantrel_fxstat, __fxstat@GLIBC_2.2.5");
__asm__(".symver vantrel_fxstatat, __fxstatat@GLIBC_2.4");

int __wrap_stat(const char* path, struct stat* status) {
  return vantrel_xstat(statVersion, path, status);
}
int __wrap_lstat(const char* path, struct stat* status) {
  return vantrel_lxstat(statVersion, path, status);
}
int __wrap_fstat(int descriptor, struct stat* status) {
  return vantrel_fxstat(statVersion, descriptor, status);
}
int __wrap_fstatat(int folder, const char* path, struct stat* status, int flags) {
  return vantrel_fxstatat(statVersion, folder, path, status, flags);
}
/* On x86-64 the 64-bit names are the same calls. */
int __wrap_stat64(const char* path, struct stat* status) { return __wrap_stat(path, status); }
int __wrap_lstat64(const char* path, struct stat* status) { return __wrap_lstat(path, status); }
int __wrap_fstat64(int descriptor, struct stat* status) {
  return __wrap_fstat(descriptor, status);
}
int __wrap_fstatat64(int folder, const char* path, struct stat* status, int flags) {
  return __wrap_fstatat(folder, path, status, flags);
}

/* The C++ runtime skips atomic operations while this says the process has a
 * single thread (glibc 2.32 and later); 0 keeps them always, which is right
 * everywhere. */
char __wrap___libc_single_threaded = 0;

/* getrandom (2.25) is the system call itself (Linux 3.17 and later);
 * getentropy (2.25) and arc4random (2.36) serve std::random_device, which
 * is linked in but not used, and are written on it. */
ssize_t __wrap_getrandom(void* buffer, size_t length, unsigned int flags) {
  return syscall(SYS_getrandom, buffer, length, flags);
}

int __wrap_getentropy(void* buffer, size_t length) {
  if (length > 256) {
    errno = EIO;
    return -1;
  }
  unsigned char* at = (unsigned char*)buffer;
  while (length > 0) {
    long count = syscall(SYS_getrandom, at, length, 0);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return -1;
    at += count;
    length -= (size_t)count;
  }
  return 0;
}

uint32_t __wrap_arc4random(void) {
  uint32_t value = 0;
  while (__wrap_getentropy(&value, sizeof value) != 0) {
  }
  return value;
}

#ifdef DLFO_STRUCT_HAS_EH_DBASE
/* The C++ unwinder asks _dl_find_object (2.35) for the exception-frame
 * table of the object holding a code address; dl_iterate_phdr answers the
 * same on any glibc. The unwinder reads dlfo_eh_frame only. */
struct FoundObject {
  uintptr_t address;
  struct dl_find_object* result;
};

static int findObject(struct dl_phdr_info* info, size_t size, void* data) {
  (void)size;
  struct FoundObject* found = (struct FoundObject*)data;
  uintptr_t start = UINTPTR_MAX, end = 0;
  void* frames = NULL;
  int holds = 0;
  for (ElfW(Half) i = 0; i < info->dlpi_phnum; ++i) {
    const ElfW(Phdr)* header = &info->dlpi_phdr[i];
    uintptr_t from = info->dlpi_addr + header->p_vaddr, to = from + header->p_memsz;
    if (header->p_type == PT_GNU_EH_FRAME) frames = (void*)from;
    if (header->p_type != PT_LOAD) continue;
    holds |= found->address >= from && found->address < to;
    if (from < start) start = from;
    if (to > end) end = to;
  }
  if (!holds) return 0;
  found->result->dlfo_flags = 0;
  found->result->dlfo_map_start = (void*)start;
  found->result->dlfo_map_end = (void*)end;
  found->result->dlfo_link_map = NULL;
  found->result->dlfo_eh_frame = frames;
  return 1;
}

int __wrap__dl_find_object(void* address, struct dl_find_object* result) {
  struct FoundObject found = {(uintptr_t)address, result};
  return dl_iterate_phdr(findObject, &found) ? 0 : -1;
}
#endif

/* Start-up files of glibc 2.34 and later call __libc_start_main@GLIBC_2.34
 * with no initializer: that version runs the program's constructors itself.
 * The oldest version runs the initializer it is given, which does what the
 * older start-up files did: the pre-initializers, _init, the initializers. */
typedef int (*EntryFunction)(int, char**, char**);
typedef void (*Initializer)(int, char**, char**);
extern int vantrel_start_main(EntryFunction, int, char**, EntryFunction, void (*)(void),
                              void (*)(void), void*);
__asm__(".symver vantrel_start_main, __libc_start_main@GLIBC_2.2.5");

extern Initializer __preinit_array_start[] __attribute__((visibility("hidden")));
extern Initializer __preinit_array_end[] __attribute__((visibility("hidden")));
extern Initializer __init_array_start[] __attribute__((visibility("hidden")));
extern Initializer __init_array_end[] __attribute__((visibility("hidden")));
extern void _init(void);

static int runInitializers(int argc, char** argv, char** environment) {
  for (Initializer* at = __preinit_array_start; at != __preinit_array_end; ++at)
    (*at)(argc, argv, environment);
  _init();
  for (Initializer* at = __init_array_start; at != __init_array_end; ++at)
    (*at)(argc, argv, environment);
  return 0;
}

int __wrap___libc_start_main(EntryFunction entry, int argc, char** argv,
                             EntryFunction initializer, void (*finalizer)(void),
                             void (*loaderFinalizer)(void), void* stackEnd) {
  return vantrel_start_main(entry, argc, argv, initializer ? initializer : runInitializers,
                            finalizer, loaderFinalizer, stackEnd);
}

/* The C++ runtime's terminate handler names the type of an uncaught
 * exception through the demangler, a sixth of the launcher's code. Without
 * it the handler names the type as the compiler spells it (St9bad_alloc for
 * std::bad_alloc): the launcher catches its exceptions, and every page of
 * code counts in the app's memory. */
char* __wrap___cxa_demangle(const char* name, char* buffer, size_t* length, int* status) {
  (void)name;
  (void)buffer;
  (void)length;
  if (status) *status = -2;
  return NULL;
}
/* NOLINTEND(bugprone-reserved-identifier,performance-no-int-to-ptr) */
