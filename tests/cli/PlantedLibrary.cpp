// Planted under the names of the program's libraries and of the imaging
// module: when the system loader or the module loader ever takes it, it
// leaves a mark in the folder the program was started from.
#include <fcntl.h>
#include <unistd.h>

__attribute__((constructor)) static void MarkLoaded() {
  const int fd = open("planted-library-was-loaded", O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
  if (fd >= 0) close(fd);
}
