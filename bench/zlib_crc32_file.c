/* The yardstick for `velta-cli crc32` as a whole process: a plain C program that reads a file
   in 1 MiB pieces and hands them to zlib's crc32. */
#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>
#include <zlib.h>

int main(int argc, char** argv) {
  static unsigned char buffer[1 << 20];
  if (argc != 2) return 2;
  const int fd = open(argv[1], O_RDONLY);
  if (fd < 0) return 1;
  uLong crc = crc32(0L, Z_NULL, 0);
  ssize_t n;
  while ((n = read(fd, buffer, sizeof buffer)) > 0) crc = crc32(crc, buffer, (uInt)n);
  close(fd);
  if (n < 0) return 1;
  printf("%08lX\n", crc);
  return 0;
}
