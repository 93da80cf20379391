/* The floor for reading a demo: a plain C loop that reads each block's length field and
 * then its body with fread, as any reader of the format must, and does nothing else. Blocks
 * of up to 32 KiB are walked, as the newer engines' demos carry them.
 * A server's multi-view recording (starting with "MVD2") is walked the same way over its
 * 16-bit length fields. Prints the number of length fields read. */
#include <stdint.h>
#include <stdio.h>
#include <string.h>

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "Usage: blockwalk DEMO\n");
    return 2;
  }
  FILE* f = fopen(argv[1], "rb");
  if (f == NULL) {
    perror(argv[1]);
    return 1;
  }
  static unsigned char body[32768];
  unsigned char field[4];
  unsigned long blocks = 0;
  unsigned long checksum = 0;
  if (fread(field, 1, 4, f) == 4 && memcmp(field, "MVD2", 4) == 0) {
    while (fread(field, 1, 2, f) == 2) {
      size_t length = (size_t)field[0] | ((size_t)field[1] << 8);
      ++blocks;
      if (length == 0 || length > 32768) break;
      if (fread(body, 1, length, f) != length) break;
      checksum += body[0];
    }
    fclose(f);
    printf("%lu messages (%lu)\n", blocks, checksum);
    return 0;
  }
  rewind(f);
  while (fread(field, 1, 4, f) == 4) {
    int32_t length;
    memcpy(&length, field, 4);
    ++blocks;
    if (length < 0 || length > 32768) break;
    if (fread(body, 1, (size_t)length, f) != (size_t)length) break;
    if (length > 0) checksum += body[0];
  }
  fclose(f);
  printf("%lu blocks (%lu)\n", blocks, checksum);
  return 0;
}
