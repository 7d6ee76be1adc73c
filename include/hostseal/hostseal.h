/* hostseal.h: the C interface of hostseal.
 *
 * One header for C (C99 and later) and C++, over the whole library: the cipher (AES of FIPS-197
 * in the byte-array, hexadecimal-text and file formats), the code-page helpers, file bytes and
 * the host queries. It is what other languages call: Python through ctypes, C# through
 * P/Invoke, Delphi and VB through stdcall declarations.
 *
 * Conventions
 *  - Every function returns a status (hostseal_status): 0 for success, otherwise one of the
 *    numbers below. After a non-zero status, hostseal_last_error() and
 *    hostseal_last_error_text() tell the number and a description of what went wrong, for the
 *    calling thread, until its next call into the library. After a status of 0 the last error
 *    is 0 and its text is empty.
 *  - Text in and out is UTF-8, terminated by a zero byte. Text that is not well-formed UTF-8 is
 *    refused with HOSTSEAL_INVALID_ARGUMENT.
 *  - Outputs go into the caller's buffer: `out` with its capacity in `*out_len`. On success
 *    `*out_len` is the number of bytes written (for text, without the terminating zero, which
 *    is written too). When the capacity is too small, or `out` is NULL, nothing is written,
 *    `*out_len` is set to the capacity needed (text: with its terminating zero) and the status
 *    is HOSTSEAL_SHORT_BUFFER: calling first with out = NULL and *out_len = 0 queries the size.
 *    An output of no bytes at all needs no buffer: it succeeds with out = NULL (*out_len 0),
 *    so that a buffer allocated for the size queried (malloc(0) may give NULL) always does.
 *  - A NULL pointer where the function needs one gives HOSTSEAL_INVALID_ARGUMENT; no function
 *    crashes on one, and none lets a C++ exception out.
 *  - Handles are opaque; a hostseal_cipher wipes its key schedule when freed. One handle must
 *    not be used by two threads at once; different handles may.
 *  - On Windows every function uses the __stdcall convention and is exported under its plain
 *    name (no @N), on x86 as on x64, as the Windows API is.
 */
#ifndef HOSTSEAL_H
#define HOSTSEAL_H

#include <stddef.h>
#include <stdint.h>

#if defined(_WIN32)
#define HOSTSEAL_CALL __stdcall
#if defined(HOSTSEAL_BUILDING_C_INTERFACE)
#define HOSTSEAL_API __declspec(dllexport)
#else
#define HOSTSEAL_API __declspec(dllimport)
#endif
#else
#define HOSTSEAL_CALL
#define HOSTSEAL_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* The ABI number: the N of libhostseal.so.N. */
#define HOSTSEAL_ABI 0

typedef int32_t hostseal_status;

/* Statuses. The positive numbers are the library's error numbers, which callers of the cipher
 * class already know; the negative ones belong to this interface, except -1, which is
 * ArrayDecrypt's. Where a function gives a number its own meaning, its comment says so. */
enum {
  HOSTSEAL_OK = 0,
  /* The cipher's own errors: a key length other than 128, 192 or 256 bits, a key too short for
   * its length, digits that are not a key. Also hostseal_cipher_decrypt's length field of 16 or
   * more (wrong key) and hostseal_cipher_decrypt_file's refusal of a cipher file's size. */
  HOSTSEAL_CIPHER_ERROR = 1,
  /* hostseal_cipher_decrypt_file, hostseal_cipher_decrypt_stream: wrong key or key size (the
   * length field is 16 or more, or a padding byte is not zero). */
  HOSTSEAL_WRONG_KEY = 2,
  HOSTSEAL_INVALID_ARGUMENT = 5, /* a NULL pointer, ill-formed UTF-8, an unknown code page */
  HOSTSEAL_OVERFLOW = 6,         /* e.g. a file too long for hostseal_file_bytes */
  HOSTSEAL_OUT_OF_MEMORY = 7,
  HOSTSEAL_SUBSCRIPT_OUT_OF_RANGE = 9,
  /* Anything the library did not raise on purpose (a fault of its own); the description is
   * "Internal error". */
  HOSTSEAL_INTERNAL_ERROR = 51,
  HOSTSEAL_BAD_FILE_NAME = 52, /* an empty name, or one no path can carry */
  HOSTSEAL_FILE_NOT_FOUND = 53,
  HOSTSEAL_DEVICE_IO_ERROR = 57,
  HOSTSEAL_DISK_FULL = 61,
  HOSTSEAL_PERMISSION_DENIED = 70,
  HOSTSEAL_PATH_FILE_ACCESS_ERROR = 75, /* not a regular file, changed while read, ... */
  HOSTSEAL_PATH_NOT_FOUND = 76,
  /* hostseal_cipher_decrypt: the cipher text is not whole 16-byte blocks; nothing decrypted. */
  HOSTSEAL_NOT_WHOLE_BLOCKS = -1,
  HOSTSEAL_SHORT_BUFFER = -100, /* *out_len holds the capacity needed */
  HOSTSEAL_NOT_FOUND = -101,    /* a host name that does not resolve, an address with no MAC */
  HOSTSEAL_CANCELLED = -102     /* the progress callback asked to stop; the target is as before */
};

/* The number and the description (UTF-8) of the calling thread's last error; 0 and "" after a
 * success. The text goes into out as described above. Neither changes the last error, whatever
 * it returns. */
HOSTSEAL_API hostseal_status HOSTSEAL_CALL hostseal_last_error(void);
HOSTSEAL_API hostseal_status HOSTSEAL_CALL hostseal_last_error_text(char* out, size_t* out_len);

/* The library's version, "MAJOR.MINOR.PATCH", into out. */
HOSTSEAL_API hostseal_status HOSTSEAL_CALL hostseal_version(char* out, size_t* out_len);

/* ---- The cipher ---------------------------------------------------------------------------- */

typedef struct hostseal_cipher hostseal_cipher;

/* A new cipher without a key (every operation runs, under an all-zero schedule, until one is
 * set). Free it with hostseal_cipher_free, which wipes the key schedule; NULL is accepted. */
HOSTSEAL_API hostseal_status HOSTSEAL_CALL hostseal_cipher_new(hostseal_cipher** cipher);
HOSTSEAL_API void HOSTSEAL_CALL hostseal_cipher_free(hostseal_cipher* cipher);

/* Sets the key from bytes: key_bits is 128, 192 or 256 and the first key_bits / 8 bytes of key
 * are the key (key_len must be at least that). A failure keeps the key set before. */
HOSTSEAL_API hostseal_status HOSTSEAL_CALL hostseal_cipher_set_key(hostseal_cipher* cipher,
                                                                   const uint8_t* key,
                                                                   size_t key_len,
                                                                   int32_t key_bits);
/* Sets the key from 32, 48 or 64 hexadecimal digits (upper or lower case, nothing else): a
 * 128-, 192- or 256-bit key. A description never repeats any part of the digits. */
HOSTSEAL_API hostseal_status HOSTSEAL_CALL hostseal_cipher_set_key_hex(hostseal_cipher* cipher,
                                                                       const char* digits);
/* Sets the key from a pass phrase: its bytes in code page code_page (0: the process's code
 * page, see hostseal_code_page), cut or filled with zero bytes to 32, of which the first
 * key_bits / 8 are the key. */
HOSTSEAL_API hostseal_status HOSTSEAL_CALL hostseal_cipher_set_pass_phrase(
    hostseal_cipher* cipher, const char* pass_phrase, int32_t code_page, int32_t key_bits);
/* Sets the built-in pass phrase's 128-bit key, the one of hostseal_encrypt_text. */
HOSTSEAL_API hostseal_status HOSTSEAL_CALL hostseal_cipher_set_built_in_key(hostseal_cipher* cipher);

/* One 16-byte block, in and out of 16 bytes each (they may be the same). */
HOSTSEAL_API hostseal_status HOSTSEAL_CALL hostseal_cipher_encrypt_block(
    const hostseal_cipher* cipher, const uint8_t in[16], uint8_t out[16]);
HOSTSEAL_API hostseal_status HOSTSEAL_CALL hostseal_cipher_decrypt_block(
    const hostseal_cipher* cipher, const uint8_t in[16], uint8_t out[16]);

/* The byte-array format: blocks of 16 bytes in electronic codebook mode, the last one filled
 * with zero bytes. With length_field non-zero the plain length mod 16 is the last byte, so that
 * a whole extra block follows a plain text of whole blocks; without it the cipher text is the
 * plain length rounded up to 16 (0 bytes for an empty plain text).
 * Encrypt: the capacity needed is known before: 16 * (len / 16 + 1) with the length field,
 * 16 * ceil(len / 16) without. in and out may be the same buffer (in place); any other overlap
 * is refused with HOSTSEAL_INVALID_ARGUMENT, as for the block functions.
 * Decrypt: status HOSTSEAL_NOT_WHOLE_BLOCKS (-1) when len is not a multiple of 16 (nothing is
 * written); HOSTSEAL_CIPHER_ERROR (1) when the length field read is 16 or more (wrong key; out
 * receives every decrypted byte, as without a length field). A capacity of len always
 * suffices. Without the length field every decrypted byte is given, padding included. */
HOSTSEAL_API hostseal_status HOSTSEAL_CALL hostseal_cipher_encrypt(const hostseal_cipher* cipher,
                                                                   const uint8_t* in, size_t len,
                                                                   int length_field,
                                                                   uint8_t* out,
                                                                   size_t* out_len);
HOSTSEAL_API hostseal_status HOSTSEAL_CALL hostseal_cipher_decrypt(const hostseal_cipher* cipher,
                                                                   const uint8_t* in, size_t len,
                                                                   int length_field,
                                                                   uint8_t* out,
                                                                   size_t* out_len);

/* Progress of a long operation: bytes done and in all (total 0 when not known up front, as for
 * a stream). Called on the caller's thread at most once per chunk. A non-zero return stops the
 * operation with HOSTSEAL_CANCELLED; a file's target then keeps its former content. A file's
 * last call, done == total, comes once the target is in place: a stop asked then is too late
 * and the status stays that of the finished operation. (A file of one chunk, 4,000,000 bytes,
 * has that call only.) */
typedef int(HOSTSEAL_CALL* hostseal_progress_fn)(void* context, uint64_t done, uint64_t total);

/* The file format: a cipher file is the byte-array format with the length field over the whole
 * plain file. Paths are UTF-8. The target is replaced only when complete (a failure leaves it
 * as it was) and may be the source itself. progress may be NULL.
 * Decrypt: status 1 when the cipher file's size is refused (empty, or not whole blocks),
 * HOSTSEAL_WRONG_KEY (2) for a length field of 16 or more or a padding byte that is not zero
 * (an existing target keeps its content; a new one receives every decrypted byte). */
HOSTSEAL_API hostseal_status HOSTSEAL_CALL hostseal_cipher_encrypt_file(
    const hostseal_cipher* cipher, const char* plain_path, const char* cipher_path,
    hostseal_progress_fn progress, void* context);
HOSTSEAL_API hostseal_status HOSTSEAL_CALL hostseal_cipher_decrypt_file(
    const hostseal_cipher* cipher, const char* plain_path, const char* cipher_path,
    hostseal_progress_fn progress, void* context);

/* Streams whose length is known only at their end: the same bytes as the file format, in
 * bounded memory. read gets up to capacity bytes into buffer and sets *got, 0 at the end of the
 * stream; write takes all len bytes. Either returns 0, or a non-zero number that stops the
 * operation and is its status (use a positive number of your own, or one above). Decrypt gives
 * 1 (not whole blocks, after writing the blocks before) and 2 (wrong key, after writing every
 * decrypted byte) as a file does; a stream cannot be taken back. */
typedef int32_t(HOSTSEAL_CALL* hostseal_read_fn)(void* context, uint8_t* buffer, size_t capacity,
                                                 size_t* got);
typedef int32_t(HOSTSEAL_CALL* hostseal_write_fn)(void* context, const uint8_t* data, size_t len);
HOSTSEAL_API hostseal_status HOSTSEAL_CALL hostseal_cipher_encrypt_stream(
    const hostseal_cipher* cipher, hostseal_read_fn read, void* read_context,
    hostseal_write_fn write, void* write_context, hostseal_progress_fn progress, void* context);
HOSTSEAL_API hostseal_status HOSTSEAL_CALL hostseal_cipher_decrypt_stream(
    const hostseal_cipher* cipher, hostseal_read_fn read, void* read_context,
    hostseal_write_fn write, void* write_context, hostseal_progress_fn progress, void* context);

/* ---- Text under the built-in pass phrase ----------------------------------------------------- */

/* The hexadecimal text format: the text's bytes in code page code_page (0: the process's),
 * encrypted with the built-in pass phrase's 128-bit key without a length field, written as two
 * upper-case digits per byte and two spaces between groups of 16 bytes. */
HOSTSEAL_API hostseal_status HOSTSEAL_CALL hostseal_encrypt_text(const char* text,
                                                                 int32_t code_page, char* out,
                                                                 size_t* out_len);
/* The text back: digits are read in pairs, upper or lower case, anything else skipped; the zero
 * bytes of the padding end the text. A cipher text that is not whole blocks gives status 1
 * (its description is the message the window shows); no digits give "". */
HOSTSEAL_API hostseal_status HOSTSEAL_CALL hostseal_decrypt_text(const char* hex,
                                                                 int32_t code_page, char* out,
                                                                 size_t* out_len);

/* ---- Code pages and file bytes --------------------------------------------------------------- */

/* The process's code page, a Windows code-page number (936, 1252, 65001, ...), and setting it
 * for the whole process (an unknown number gives HOSTSEAL_INVALID_ARGUMENT). */
HOSTSEAL_API hostseal_status HOSTSEAL_CALL hostseal_code_page(int32_t* code_page);
HOSTSEAL_API hostseal_status HOSTSEAL_CALL hostseal_set_code_page(int32_t code_page);
/* Whether the conversions know a code page: *known is 1 or 0. */
HOSTSEAL_API hostseal_status HOSTSEAL_CALL hostseal_is_known_code_page(int32_t code_page,
                                                                       int* known);

/* The text's UTF-8 bytes, with the byte-order mark EF BB BF first when with_bom is non-zero. */
HOSTSEAL_API hostseal_status HOSTSEAL_CALL hostseal_utf8_bytes(const char* text, int with_bom,
                                                               uint8_t* out, size_t* out_len);
/* The text's bytes in code page code_page (0: the process's), as Windows' WideCharToMultiByte
 * gives them: a character the code page cannot hold becomes its best-fit character or "?". */
HOSTSEAL_API hostseal_status HOSTSEAL_CALL hostseal_ansi_bytes(const char* text,
                                                               int32_t code_page, uint8_t* out,
                                                               size_t* out_len);
/* Bytes of code page code_page (0: the process's) as text, as MultiByteToWideChar reads them. */
HOSTSEAL_API hostseal_status HOSTSEAL_CALL hostseal_ansi_text(const uint8_t* bytes, size_t len,
                                                              int32_t code_page, char* out,
                                                              size_t* out_len);
/* A whole file of at most 32,767 bytes (a longer one gives HOSTSEAL_OVERFLOW). */
HOSTSEAL_API hostseal_status HOSTSEAL_CALL hostseal_file_bytes(const char* path, uint8_t* out,
                                                               size_t* out_len);

/* ---- Host identity ------------------------------------------------------------------------- */

/* The first IPv4 address the system resolver gives for a host name, dotted ("10.0.0.5");
 * HOSTSEAL_NOT_FOUND when it gives none. */
HOSTSEAL_API hostseal_status HOSTSEAL_CALL hostseal_host_ip(const char* name, char* out,
                                                            size_t* out_len);
/* The hardware address behind an IPv4 address ("00-C-29-A-B-1"), waiting at most wait_ms
 * milliseconds for a neighbour that is not known yet (a negative number: the default, 1 s);
 * HOSTSEAL_NOT_FOUND when there is none, HOSTSEAL_INVALID_ARGUMENT for text that is not four
 * decimal fields of 0 to 255. */
HOSTSEAL_API hostseal_status HOSTSEAL_CALL hostseal_mac_address(const char* ipv4, int32_t wait_ms,
                                                                char* out, size_t* out_len);
/* The processor identifiers, one per physical package, joined by single spaces. */
HOSTSEAL_API hostseal_status HOSTSEAL_CALL hostseal_processor_ids(char* out, size_t* out_len);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* HOSTSEAL_H */
