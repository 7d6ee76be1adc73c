/* The C interface as a C program sees it (C99, -pedantic, warnings as errors): known answers
 * from the test data (FIPS-197 and OpenSSL), the buffer rule of every output, a status and a
 * description for every misuse, files and streams with cancel and wrong keys.
 *
 * Usage: hostseal_c_interface_test DATA_FOLDER SCRATCH_FOLDER */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "hostseal/hostseal.h"

static int failures;

#define CHECK(condition)                                                      \
  do {                                                                        \
    if (!(condition)) {                                                       \
      fprintf(stderr, "%s:%d: failed: %s\n", __FILE__, __LINE__, #condition); \
      ++failures;                                                             \
    }                                                                         \
  } while (0)

/* The status of a call, and that the last error agrees: the status and a description after a
 * failure, 0 and "" after a success. */
#define EXPECT(call, want) expect_status((call), (want), #call, __LINE__)

static char last_text[4096];

static void expect_status(hostseal_status got, hostseal_status want, const char* call, int line) {
  size_t n = sizeof last_text;
  const hostseal_status error = hostseal_last_error();
  if (hostseal_last_error_text(last_text, &n) != HOSTSEAL_OK) last_text[0] = '\0';
  if (got != want || error != want || (want == HOSTSEAL_OK) != (last_text[0] == '\0')) {
    fprintf(stderr, "line %d: %s gave %d (last error %d \"%s\"), expected %d\n", line, call,
            (int)got, (int)error, last_text, (int)want);
    ++failures;
  }
}

static size_t unhex(const char* text, uint8_t* out) {
  size_t n = 0;
  unsigned value;
  if (strcmp(text, "-") == 0) return 0;
  for (; text[0] != '\0' && text[1] != '\0' && sscanf(text, "%2x", &value) == 1; text += 2) {
    out[n++] = (uint8_t)value;
  }
  return n;
}

static FILE* open_data(const char* folder, const char* name) {
  char path[1024];
  FILE* file;
  sprintf(path, "%.900s/%s", folder, name);
  file = fopen(path, "r");
  if (file == NULL) fprintf(stderr, "cannot read %s\n", path);
  CHECK(file != NULL);
  return file;
}

static char line[65536];
static char field[4][32768];
static uint8_t bytes[4][16384];
static uint8_t out[65536];

/* FIPS-197 and OpenSSL blocks: encryption, decryption, in place. */
static void test_blocks(hostseal_cipher* cipher, const char* data) {
  FILE* file = open_data(data, "aes_blocks.txt");
  int bits;
  while (file != NULL && fgets(line, sizeof line, file) != NULL) {
    if (line[0] == '#' || sscanf(line, "%d %s %s %s", &bits, field[0], field[1], field[2]) != 4)
      continue;
    unhex(field[0], bytes[0]);
    unhex(field[1], bytes[1]);
    unhex(field[2], bytes[2]);
    EXPECT(hostseal_cipher_set_key(cipher, bytes[0], (size_t)bits / 8, bits), 0);
    EXPECT(hostseal_cipher_encrypt_block(cipher, bytes[1], out), 0);
    CHECK(memcmp(out, bytes[2], 16) == 0);
    EXPECT(hostseal_cipher_decrypt_block(cipher, out, out), 0);
    CHECK(memcmp(out, bytes[1], 16) == 0);
  }
  if (file != NULL) fclose(file);
}

/* The byte-array format against OpenSSL's cipher of each framing, and back. */
static void test_arrays(hostseal_cipher* cipher, const char* data) {
  FILE* file = open_data(data, "array_framings.txt");
  int bits = 0, length, append;
  size_t n, whole, tail, expected;
  while (file != NULL && fgets(line, sizeof line, file) != NULL) {
    if (sscanf(line, "key %d %s", &bits, field[0]) == 2) {
      unhex(field[0], bytes[0]);
      EXPECT(hostseal_cipher_set_key(cipher, bytes[0], 32, bits), 0);
    } else if (sscanf(line, "plain %s", field[0]) == 1) {
      unhex(field[0], bytes[1]);
    } else if (sscanf(line, "whole %s", field[0]) == 1) {
      unhex(field[0], bytes[2]);
    } else if (sscanf(line, "%d %d %s %s", &length, &append, field[1], field[2]) == 4) {
      whole = (size_t)length / 16 * 16;
      tail = unhex(field[2], bytes[3] + whole);
      memcpy(bytes[3], bytes[2], whole);
      expected = whole + tail;
      n = 0;
      EXPECT(hostseal_cipher_encrypt(cipher, bytes[1], (size_t)length, append, NULL, &n),
             expected == 0 ? 0 : HOSTSEAL_SHORT_BUFFER);
      CHECK(n == expected);
      EXPECT(hostseal_cipher_encrypt(cipher, bytes[1], (size_t)length, append, out, &n), 0);
      CHECK(n == expected && memcmp(out, bytes[3], n) == 0);
      /* Back in place: the plain bytes, or without the length field the whole framing. */
      EXPECT(hostseal_cipher_decrypt(cipher, out, expected, append, out, &n), 0);
      CHECK(n == (append ? (size_t)length : expected));
      CHECK(memcmp(out, bytes[1], (size_t)length) == 0);
    }
  }
  if (file != NULL) fclose(file);
}

/* The hexadecimal text format and the code-page bytes, against OpenSSL and iconv. */
static void test_texts(const char* data) {
  FILE* file = open_data(data, "hex_texts.txt");
  int code_page;
  size_t n, m;
  char* hex;
  while (file != NULL && fgets(line, sizeof line, file) != NULL) {
    if (sscanf(line, "%d %s %s", &code_page, field[0], field[1]) != 3) continue;
    hex = strchr(strchr(strchr(line, ' ') + 1, ' ') + 1, ' ') + 1;
    hex[strcspn(hex, "\r\n")] = '\0';
    if (strcmp(hex, "-") == 0) hex[0] = '\0';
    field[2][unhex(field[0], (uint8_t*)field[2])] = '\0';
    m = unhex(field[1], bytes[1]);
    n = sizeof out;
    EXPECT(hostseal_encrypt_text(field[2], code_page, (char*)out, &n), 0);
    CHECK(n == strlen(hex) && strcmp((char*)out, hex) == 0);
    n = sizeof out;
    EXPECT(hostseal_ansi_bytes(field[2], code_page, out, &n), 0);
    CHECK(n == m && memcmp(out, bytes[1], m) == 0);
    /* Decrypting gives what the code page's bytes read as. */
    n = sizeof field[3];
    EXPECT(hostseal_ansi_text(bytes[1], m, code_page, field[3], &n), 0);
    n = sizeof out;
    EXPECT(hostseal_decrypt_text(hex, code_page, (char*)out, &n), 0);
    CHECK(strcmp((char*)out, field[3]) == 0);
  }
  if (file != NULL) fclose(file);
}

static size_t write_file(const char* path, const void* data, size_t size) {
  FILE* file = fopen(path, "wb");
  size_t written = 0;
  if (file != NULL) {
    written = fwrite(data, 1, size, file);
    fclose(file);
  }
  CHECK(written == size);
  return written;
}

static size_t read_file(const char* path, uint8_t* data, size_t capacity) {
  FILE* file = fopen(path, "rb");
  size_t got = 0;
  if (file != NULL) {
    got = fread(data, 1, capacity, file);
    fclose(file);
  }
  return got;
}

static int HOSTSEAL_CALL stop_at_once(void* context, uint64_t done, uint64_t total) {
  (void)done, (void)total;
  ++*(int*)context;
  return 1;
}

struct memory {
  uint8_t* data;
  size_t size, at;
};

static int32_t HOSTSEAL_CALL read_memory(void* context, uint8_t* buffer, size_t capacity,
                                         size_t* got) {
  struct memory* m = context;
  *got = m->size - m->at < capacity ? m->size - m->at : capacity;
  if (*got > 7) *got = 7; /* short reads, as a pipe gives */
  memcpy(buffer, m->data + m->at, *got);
  m->at += *got;
  return 0;
}

static int32_t HOSTSEAL_CALL write_memory(void* context, const uint8_t* data, size_t len) {
  struct memory* m = context;
  memcpy(m->data + m->size, data, len);
  m->size += len;
  return 0;
}

static int32_t HOSTSEAL_CALL read_fails(void* context, uint8_t* buffer, size_t capacity,
                                        size_t* got) {
  (void)context, (void)buffer, (void)capacity, (void)got;
  return 42;
}

/* Files and streams: the array format with the length field over the whole file; a cancel or
 * a wrong key leaves an existing target as it was. */
static void test_files(hostseal_cipher* cipher, const char* scratch) {
  char plain[1024], sealed[1024], target[1024], named[1024], big_file[1024], big_sealed[1024];
  const size_t big_size = 4000001; /* two chunks of the file format */
  uint8_t* big;
  static const char former[] = "the former content";
  struct memory source, sink;
  size_t n, m, i, size = 1000;
  int calls = 0;
  sprintf(plain, "%.900s/plain", scratch);
  sprintf(named, "%.900s/\xe4\xb8\xad \xc3\xa9", scratch);
  sprintf(sealed, "%.900s/sealed", scratch);
  sprintf(target, "%.900s/target", scratch);
  sprintf(big_file, "%.900s/big", scratch);
  sprintf(big_sealed, "%.900s/big sealed", scratch);
  for (i = 0; i < size; ++i) bytes[0][i] = (uint8_t)(i * 7);
  write_file(plain, bytes[0], size);
  EXPECT(hostseal_cipher_set_key_hex(cipher, "000102030405060708090a0b0c0d0e0f"), 0);
  EXPECT(hostseal_cipher_encrypt_file(cipher, plain, sealed, NULL, NULL), 0);
  n = sizeof bytes[1];
  EXPECT(hostseal_cipher_encrypt(cipher, bytes[0], size, 1, bytes[1], &n), 0);
  CHECK(read_file(sealed, bytes[2], sizeof bytes[2]) == n && memcmp(bytes[1], bytes[2], n) == 0);

  /* UTF-8 names (made and read by the library only: C's fopen takes the ANSI code page on
   * Windows), and a file that is its own target. */
  EXPECT(hostseal_cipher_encrypt_file(cipher, sealed, named, NULL, NULL), 0);
  EXPECT(hostseal_cipher_decrypt_file(cipher, named, named, NULL, NULL), 0);
  m = sizeof bytes[2];
  EXPECT(hostseal_file_bytes(named, bytes[2], &m), 0);
  CHECK(m == n && memcmp(bytes[1], bytes[2], n) == 0);

  /* The stream gives the same bytes and takes them back. */
  source.data = bytes[0], source.size = size, source.at = 0;
  sink.data = bytes[2], sink.size = 0;
  EXPECT(
      hostseal_cipher_encrypt_stream(cipher, read_memory, &source, write_memory, &sink, NULL, NULL),
      0);
  CHECK(sink.size == n && memcmp(bytes[1], bytes[2], n) == 0);
  source.data = bytes[2], source.size = sink.size, source.at = 0;
  sink.data = bytes[3], sink.size = 0;
  EXPECT(
      hostseal_cipher_decrypt_stream(cipher, read_memory, &source, write_memory, &sink, NULL, NULL),
      0);
  CHECK(sink.size == size && memcmp(bytes[3], bytes[0], size) == 0);
  EXPECT(hostseal_cipher_encrypt_stream(cipher, read_fails, NULL, write_memory, &sink, NULL, NULL),
         42);
  source.at = 0;
  EXPECT(hostseal_cipher_encrypt_stream(cipher, read_memory, &source, write_memory, &sink,
                                        stop_at_once, &calls),
         HOSTSEAL_CANCELLED);

  /* Back into an existing file; then a cancel, a wrong key and a cut cipher file leave it. */
  write_file(target, former, sizeof former);
  EXPECT(hostseal_cipher_decrypt_file(cipher, target, sealed, NULL, NULL), 0);
  CHECK(read_file(target, bytes[3], sizeof bytes[3]) == size &&
        memcmp(bytes[3], bytes[0], size) == 0);
  /* A stop at the report of the end comes when the target is in place: not a cancel. */
  calls = 0;
  EXPECT(hostseal_cipher_decrypt_file(cipher, target, sealed, stop_at_once, &calls), 0);
  CHECK(calls == 1 && read_file(target, bytes[3], sizeof bytes[3]) == size);
  /* A stop before it, after the first of two chunks, keeps the target. */
  big = calloc(big_size, 1);
  CHECK(big != NULL && write_file(big_file, big, big_size) == big_size);
  free(big);
  EXPECT(hostseal_cipher_encrypt_file(cipher, big_file, big_sealed, NULL, NULL), 0);
  write_file(target, former, sizeof former);
  calls = 0;
  EXPECT(hostseal_cipher_decrypt_file(cipher, target, big_sealed, stop_at_once, &calls),
         HOSTSEAL_CANCELLED);
  EXPECT(hostseal_cipher_encrypt_file(cipher, big_file, target, stop_at_once, &calls),
         HOSTSEAL_CANCELLED);
  CHECK(calls == 2);
  remove(big_file);
  remove(big_sealed);
  EXPECT(hostseal_cipher_set_key_hex(cipher, "F00102030405060708090A0B0C0D0E0F"), 0);
  EXPECT(hostseal_cipher_decrypt_file(cipher, target, sealed, NULL, NULL), HOSTSEAL_WRONG_KEY);
  CHECK(strstr(last_text, "Wrong key") != NULL);
  write_file(sealed, bytes[1], 20);
  EXPECT(hostseal_cipher_decrypt_file(cipher, target, sealed, NULL, NULL), HOSTSEAL_CIPHER_ERROR);
  CHECK(read_file(target, bytes[3], sizeof bytes[3]) == sizeof former &&
        memcmp(bytes[3], former, sizeof former) == 0);
  EXPECT(hostseal_cipher_decrypt_file(cipher, target, "", NULL, NULL), HOSTSEAL_BAD_FILE_NAME);
  sprintf(target, "%.900s/missing/x", scratch);
  EXPECT(hostseal_cipher_encrypt_file(cipher, target, sealed, NULL, NULL), HOSTSEAL_FILE_NOT_FOUND);

  n = sizeof out;
  EXPECT(hostseal_file_bytes(plain, out, &n), 0);
  CHECK(n == size && memcmp(out, bytes[0], size) == 0);
  write_file(plain, out, 32768);
  EXPECT(hostseal_file_bytes(plain, out, &n), HOSTSEAL_OVERFLOW);
}

/* Every output follows the buffer rule: a size query, then a buffer one byte short is left as
 * it was, then the exact size. */
typedef hostseal_status (*output_call)(void* out, size_t* out_len);
static hostseal_cipher* the_cipher;
static const char* the_plain_file;
static const uint8_t sample[40] = {1, 2, 3};

static hostseal_status call_version(void* o, size_t* n) {
  return hostseal_version(o, n);
}
static hostseal_status call_encrypt(void* o, size_t* n) {
  return hostseal_cipher_encrypt(the_cipher, sample, 17, 1, o, n);
}
static hostseal_status call_decrypt(void* o, size_t* n) {
  return hostseal_cipher_decrypt(the_cipher, sample, 32, 0, o, n);
}
static hostseal_status call_encrypt_text(void* o, size_t* n) {
  return hostseal_encrypt_text("\xe4\xb8\xad text", 936, o, n);
}
static hostseal_status call_decrypt_text(void* o, size_t* n) {
  return hostseal_decrypt_text("036BF029832F6CA4071950B4DFFFD589", 936, o, n);
}
static hostseal_status call_utf8_bytes(void* o, size_t* n) {
  return hostseal_utf8_bytes("\xc3\xa9", 1, o, n);
}
static hostseal_status call_ansi_bytes(void* o, size_t* n) {
  return hostseal_ansi_bytes("\xc3\xa9t\xc3\xa9", 1252, o, n);
}
static hostseal_status call_ansi_text(void* o, size_t* n) {
  return hostseal_ansi_text((const uint8_t*)"\xe9t\xe9", 3, 1252, o, n);
}
static hostseal_status call_file_bytes(void* o, size_t* n) {
  return hostseal_file_bytes(the_plain_file, o, n);
}
static hostseal_status call_processor_ids(void* o, size_t* n) {
  return hostseal_processor_ids(o, n);
}

static void test_buffer_rule(void) {
  static const struct {
    output_call call;
    int text; /* 1: the size needed counts the terminating zero */
  } outputs[] = {{call_version, 1},      {call_encrypt, 0},      {call_decrypt, 0},
                 {call_encrypt_text, 1}, {call_decrypt_text, 1}, {call_utf8_bytes, 0},
                 {call_ansi_bytes, 0},   {call_ansi_text, 1},    {call_file_bytes, 0},
                 {call_processor_ids, 1}};
  size_t i, j, needed, n;
  uint8_t buffer[256];
  for (i = 0; i < sizeof outputs / sizeof outputs[0]; ++i) {
    needed = 0;
    EXPECT(outputs[i].call(NULL, &needed), HOSTSEAL_SHORT_BUFFER);
    CHECK(needed > 0 && needed < sizeof buffer);
    memset(buffer, 0xA5, sizeof buffer);
    n = needed - 1;
    EXPECT(outputs[i].call(buffer, &n), HOSTSEAL_SHORT_BUFFER);
    CHECK(n == needed);
    for (j = 0; j < sizeof buffer; ++j) CHECK(buffer[j] == 0xA5);
    EXPECT(outputs[i].call(buffer, &n), 0);
    CHECK(n == needed - (size_t)outputs[i].text);
    if (outputs[i].text) CHECK(buffer[n] == 0 && strlen((char*)buffer) == n);
    CHECK(buffer[needed] == 0xA5);
  }
  /* No bytes need no buffer. */
  n = 0;
  EXPECT(hostseal_cipher_encrypt(the_cipher, NULL, 0, 0, NULL, &n), 0);
  EXPECT(hostseal_utf8_bytes("", 0, NULL, &n), 0);
  CHECK(n == 0);
  EXPECT(outputs[0].call(buffer, NULL), HOSTSEAL_INVALID_ARGUMENT);
  /* Reading the last error leaves it, even with too small a buffer. */
  n = 1;
  CHECK(hostseal_last_error_text((char*)buffer, &n) == HOSTSEAL_SHORT_BUFFER && n > 1);
  CHECK(hostseal_last_error() == HOSTSEAL_INVALID_ARGUMENT);
}

/* A status and a description for each misuse; nothing crashes, nothing is printed. */
static void test_misuse(hostseal_cipher* cipher) {
  static const char* const ill_formed[] = {"\xc0\xaf", "a\x80", "\xed\xa0\x80", "\xf4\x90\x80\x80",
                                           "\xe4\xb8"};
  static const int32_t unknown_pages[] = {1, 1200, 65000, -1};
  uint8_t key[32] = {0}, block[16] = {0}, before[16], after[16];
  size_t n = sizeof out, i;
  int known = 1;
  int32_t page = 0;
  hostseal_cipher* none = NULL;

  EXPECT(hostseal_cipher_new(NULL), HOSTSEAL_INVALID_ARGUMENT);
  EXPECT(hostseal_cipher_set_key(none, key, 16, 128), HOSTSEAL_INVALID_ARGUMENT);
  EXPECT(hostseal_cipher_set_key(cipher, NULL, 16, 128), HOSTSEAL_INVALID_ARGUMENT);
  EXPECT(hostseal_cipher_set_key_hex(none, "00"), HOSTSEAL_INVALID_ARGUMENT);
  EXPECT(hostseal_cipher_set_key_hex(cipher, NULL), HOSTSEAL_INVALID_ARGUMENT);
  EXPECT(hostseal_cipher_set_pass_phrase(none, "p", 0, 128), HOSTSEAL_INVALID_ARGUMENT);
  EXPECT(hostseal_cipher_set_pass_phrase(cipher, NULL, 0, 128), HOSTSEAL_INVALID_ARGUMENT);
  EXPECT(hostseal_cipher_set_built_in_key(none), HOSTSEAL_INVALID_ARGUMENT);
  EXPECT(hostseal_cipher_encrypt_block(none, block, block), HOSTSEAL_INVALID_ARGUMENT);
  EXPECT(hostseal_cipher_encrypt_block(cipher, NULL, block), HOSTSEAL_INVALID_ARGUMENT);
  EXPECT(hostseal_cipher_decrypt_block(cipher, block, NULL), HOSTSEAL_INVALID_ARGUMENT);
  EXPECT(hostseal_cipher_encrypt(none, block, 1, 1, out, &n), HOSTSEAL_INVALID_ARGUMENT);
  EXPECT(hostseal_cipher_encrypt(cipher, NULL, 1, 1, out, &n), HOSTSEAL_INVALID_ARGUMENT);
  EXPECT(hostseal_cipher_decrypt(cipher, NULL, 16, 1, out, &n), HOSTSEAL_INVALID_ARGUMENT);
  EXPECT(hostseal_cipher_decrypt(cipher, block, 16, 1, out, NULL), HOSTSEAL_INVALID_ARGUMENT);
  EXPECT(hostseal_cipher_encrypt(cipher, out + 8, 32, 1, out, &n), HOSTSEAL_INVALID_ARGUMENT);
  EXPECT(hostseal_cipher_encrypt_file(cipher, NULL, "b", NULL, NULL), HOSTSEAL_INVALID_ARGUMENT);
  EXPECT(hostseal_cipher_decrypt_file(cipher, "a", NULL, NULL, NULL), HOSTSEAL_INVALID_ARGUMENT);
  EXPECT(hostseal_cipher_encrypt_stream(cipher, NULL, NULL, write_memory, NULL, NULL, NULL),
         HOSTSEAL_INVALID_ARGUMENT);
  EXPECT(hostseal_cipher_decrypt_stream(none, read_fails, NULL, NULL, NULL, NULL, NULL),
         HOSTSEAL_INVALID_ARGUMENT);
  EXPECT(hostseal_encrypt_text(NULL, 0, (char*)out, &n), HOSTSEAL_INVALID_ARGUMENT);
  EXPECT(hostseal_decrypt_text(NULL, 0, (char*)out, &n), HOSTSEAL_INVALID_ARGUMENT);
  EXPECT(hostseal_code_page(NULL), HOSTSEAL_INVALID_ARGUMENT);
  EXPECT(hostseal_is_known_code_page(1252, NULL), HOSTSEAL_INVALID_ARGUMENT);
  EXPECT(hostseal_utf8_bytes(NULL, 0, out, &n), HOSTSEAL_INVALID_ARGUMENT);
  EXPECT(hostseal_ansi_bytes(NULL, 0, out, &n), HOSTSEAL_INVALID_ARGUMENT);
  EXPECT(hostseal_ansi_text(NULL, 1, 0, (char*)out, &n), HOSTSEAL_INVALID_ARGUMENT);
  EXPECT(hostseal_file_bytes(NULL, out, &n), HOSTSEAL_INVALID_ARGUMENT);
  EXPECT(hostseal_host_ip(NULL, (char*)out, &n), HOSTSEAL_INVALID_ARGUMENT);
  EXPECT(hostseal_mac_address(NULL, 0, (char*)out, &n), HOSTSEAL_INVALID_ARGUMENT);
  EXPECT(hostseal_processor_ids((char*)out, NULL), HOSTSEAL_INVALID_ARGUMENT);
  hostseal_cipher_free(NULL);

  /* Bad keys keep the key before; a description never repeats the digits. */
  EXPECT(hostseal_cipher_set_key(cipher, key, 32, 128), 0);
  EXPECT(hostseal_cipher_encrypt_block(cipher, block, before), 0);
  EXPECT(hostseal_cipher_set_key(cipher, key, 32, 127), HOSTSEAL_CIPHER_ERROR);
  EXPECT(hostseal_cipher_set_key(cipher, key, 15, 128), HOSTSEAL_CIPHER_ERROR);
  EXPECT(hostseal_cipher_set_key(cipher, key, 31, 256), HOSTSEAL_CIPHER_ERROR);
  EXPECT(hostseal_cipher_set_pass_phrase(cipher, "p", 0, 64), HOSTSEAL_CIPHER_ERROR);
  EXPECT(hostseal_cipher_set_key_hex(cipher, "7e57ab1e7e57ab1e7e57ab1e7e57ab1"),
         HOSTSEAL_CIPHER_ERROR);
  CHECK(strstr(last_text, "7e57") == NULL);
  EXPECT(hostseal_cipher_set_key_hex(cipher, "7e57ab1e7e57ab1e7e57ab1e7e57ab1g"),
         HOSTSEAL_CIPHER_ERROR);
  CHECK(strstr(last_text, "7e57") == NULL);
  EXPECT(hostseal_cipher_encrypt_block(cipher, block, after), 0);
  CHECK(memcmp(before, after, 16) == 0);

  /* Cipher texts that are not whole blocks: nothing written. */
  memset(out, 0xA5, 16);
  n = sizeof out;
  EXPECT(hostseal_cipher_decrypt(cipher, block, 15, 0, out, &n), HOSTSEAL_NOT_WHOLE_BLOCKS);
  CHECK(strstr(last_text, "multiple of block size") != NULL && out[0] == 0xA5);
  EXPECT(hostseal_cipher_decrypt(cipher, block, 0, 1, out, &n), HOSTSEAL_NOT_WHOLE_BLOCKS);
  EXPECT(hostseal_decrypt_text("00 11", 0, (char*)out, &n), HOSTSEAL_CIPHER_ERROR);
  CHECK(out[0] == 0xA5);
  EXPECT(hostseal_decrypt_text("zzz? qq!", 0, (char*)out, &n), 0);
  CHECK(n == 0 && out[0] == 0);

  /* Ill-formed UTF-8 and unknown code pages, wherever text or a code page goes in. */
  for (i = 0; i < sizeof ill_formed / sizeof ill_formed[0]; ++i) {
    const char* t = ill_formed[i];
    n = sizeof out;
    EXPECT(hostseal_cipher_set_key_hex(cipher, t), HOSTSEAL_INVALID_ARGUMENT);
    EXPECT(hostseal_cipher_set_pass_phrase(cipher, t, 0, 128), HOSTSEAL_INVALID_ARGUMENT);
    EXPECT(hostseal_cipher_encrypt_file(cipher, t, "b", NULL, NULL), HOSTSEAL_INVALID_ARGUMENT);
    EXPECT(hostseal_cipher_decrypt_file(cipher, "a", t, NULL, NULL), HOSTSEAL_INVALID_ARGUMENT);
    EXPECT(hostseal_encrypt_text(t, 0, (char*)out, &n), HOSTSEAL_INVALID_ARGUMENT);
    EXPECT(hostseal_decrypt_text(t, 0, (char*)out, &n), HOSTSEAL_INVALID_ARGUMENT);
    EXPECT(hostseal_utf8_bytes(t, 1, out, &n), HOSTSEAL_INVALID_ARGUMENT);
    EXPECT(hostseal_ansi_bytes(t, 0, out, &n), HOSTSEAL_INVALID_ARGUMENT);
    EXPECT(hostseal_file_bytes(t, out, &n), HOSTSEAL_INVALID_ARGUMENT);
    EXPECT(hostseal_host_ip(t, (char*)out, &n), HOSTSEAL_INVALID_ARGUMENT);
    EXPECT(hostseal_mac_address(t, 0, (char*)out, &n), HOSTSEAL_INVALID_ARGUMENT);
  }
  for (i = 0; i < sizeof unknown_pages / sizeof unknown_pages[0]; ++i) {
    const int32_t p = unknown_pages[i];
    n = sizeof out;
    EXPECT(hostseal_cipher_set_pass_phrase(cipher, "p", p, 128), HOSTSEAL_INVALID_ARGUMENT);
    EXPECT(hostseal_encrypt_text("t", p, (char*)out, &n), HOSTSEAL_INVALID_ARGUMENT);
    EXPECT(hostseal_decrypt_text("00", p, (char*)out, &n), HOSTSEAL_INVALID_ARGUMENT);
    EXPECT(hostseal_ansi_bytes("t", p, out, &n), HOSTSEAL_INVALID_ARGUMENT);
    EXPECT(hostseal_ansi_text(block, 1, p, (char*)out, &n), HOSTSEAL_INVALID_ARGUMENT);
    EXPECT(hostseal_set_code_page(p), HOSTSEAL_INVALID_ARGUMENT);
    EXPECT(hostseal_is_known_code_page(p, &known), 0);
    CHECK(known == 0);
  }
  EXPECT(hostseal_mac_address("01.2.3.4", 0, (char*)out, &n), HOSTSEAL_INVALID_ARGUMENT);
  EXPECT(hostseal_mac_address("1.2.3", 0, (char*)out, &n), HOSTSEAL_INVALID_ARGUMENT);
  EXPECT(hostseal_host_ip("", (char*)out, &n), HOSTSEAL_NOT_FOUND);

  /* The process's code page, and pass phrases through it. */
  EXPECT(hostseal_code_page(&page), 0);
  EXPECT(hostseal_set_code_page(1252), 0);
  EXPECT(hostseal_cipher_set_pass_phrase(cipher, "\xc3\xa9t\xc3\xa9", 0, 128), 0);
  EXPECT(hostseal_cipher_encrypt_block(cipher, block, before), 0);
  key[0] = 0xE9, key[1] = 't', key[2] = 0xE9;
  EXPECT(hostseal_cipher_set_key(cipher, key, 16, 128), 0);
  EXPECT(hostseal_cipher_encrypt_block(cipher, block, after), 0);
  CHECK(memcmp(before, after, 16) == 0);
  EXPECT(hostseal_set_code_page(page), 0);
}

int main(int argc, char** argv) {
  char plain[1024];
  if (argc != 3) {
    fprintf(stderr, "usage: %s DATA_FOLDER SCRATCH_FOLDER\n", argv[0]);
    return 2;
  }
  EXPECT(hostseal_cipher_new(&the_cipher), 0);
  sprintf(plain, "%.900s/plain", argv[2]);
  the_plain_file = plain;
  test_blocks(the_cipher, argv[1]);
  test_arrays(the_cipher, argv[1]);
  test_texts(argv[1]);
  test_files(the_cipher, argv[2]);
  write_file(plain, sample, sizeof sample);
  test_buffer_rule();
  test_misuse(the_cipher);
  hostseal_cipher_free(the_cipher);
  if (failures != 0) fprintf(stderr, "%d checks failed\n", failures);
  return failures == 0 ? 0 : 1;
}
