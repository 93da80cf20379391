/* The floor for reading a demo: a plain C loop that reads each block's length field and
 * then its body with fread, as any reader of the format must, and does nothing else.
 * Prints the number of length fields read. */
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
  unsigned char body[1400];
  unsigned char field[4];
  unsigned long blocks = 0;
  unsigned long checksum = 0;
  while (fread(field, 1, 4, f) == 4) {
    int32_t length;
    memcpy(&length, field, 4);
    ++blocks;
    if (length < 0 || length > 1400) break;
    if (fread(body, 1, (size_t)length, f) != (size_t)length) break;
    if (length > 0) checksum += body[0];
  }
  fclose(f);
  printf("%lu blocks (%lu)\n", blocks, checksum);
  return 0;
}
