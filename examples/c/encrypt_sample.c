/* A C99 program over hostseal's C interface (hostseal.h, libhostseal.so.0 or hostseal.dll):
 *
 *   hostseal-c-sample PLAIN CIPHER TEXT
 *
 * encrypts the file PLAIN into the cipher file CIPHER, under the key whose hexadecimal digits
 * are in the environment variable HOSTSEAL_KEY, or without it under the built-in pass
 * phrase's 128-bit key, as `hostseal encrypt-file PLAIN CIPHER` does; then prints TEXT (UTF-8)
 * encrypted as hexadecimal text, as `hostseal encrypt TEXT` does. A failure is printed on
 * standard error with its status and description, and the exit status is 1. */
#include <hostseal/hostseal.h>

#include <stdio.h>
#include <stdlib.h>

#if defined(_WIN32)
#include <windows.h>

#include <shellapi.h> /* after windows.h, which it needs */

/* Windows gives main its arguments in the ANSI code page, where a name or text outside it is
 * lost; the library takes UTF-8. The arguments are read again from the wide command line. */
static char** utf8_arguments(int* argc) {
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), argc);
  char** args = wide != NULL ? calloc((size_t)*argc + 1, sizeof *args) : NULL;
  int ok = args != NULL;
  for (int i = 0; ok && i < *argc; ++i) {
    int size = WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, NULL, 0, NULL, NULL);
    args[i] = size > 0 ? malloc((size_t)size) : NULL;
    ok = args[i] != NULL &&
         WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, args[i], size, NULL, NULL) == size;
  }
  LocalFree(wide);
  if (!ok && args != NULL) {
    for (int i = 0; i < *argc; ++i) {
      free(args[i]);
    }
    free(args);
    args = NULL;
  }
  return args;
}
#endif

/* Prints what the library said about the failure of `what`. */
static int failed(const char* what, hostseal_status status) {
  char text[512];
  size_t len = sizeof text;
  if (hostseal_last_error_text(text, &len) != HOSTSEAL_OK) {
    text[0] = '\0'; /* longer than the buffer: the status alone is printed */
  }
  fprintf(stderr, "hostseal-c-sample: %s: status %ld: %s\n", what, (long)status, text);
  return 1;
}

static int encrypt_file(const char* plain, const char* cipher_file) {
  hostseal_cipher* cipher = NULL;
  hostseal_status status = hostseal_cipher_new(&cipher);
  if (status != HOSTSEAL_OK) {
    return failed("hostseal_cipher_new", status);
  }
  const char* key = getenv("HOSTSEAL_KEY");
  const char* what =
      key != NULL ? "hostseal_cipher_set_key_hex" : "hostseal_cipher_set_built_in_key";
  status = key != NULL ? hostseal_cipher_set_key_hex(cipher, key)
                       : hostseal_cipher_set_built_in_key(cipher);
  if (status == HOSTSEAL_OK) {
    what = "hostseal_cipher_encrypt_file";
    status = hostseal_cipher_encrypt_file(cipher, plain, cipher_file, NULL, NULL);
  }
  hostseal_cipher_free(cipher); /* wipes the key schedule */
  return status == HOSTSEAL_OK ? 0 : failed(what, status);
}

static int print_encrypted_text(const char* text) {
  /* The size first (out = NULL), then the text into a buffer of that size. */
  size_t len = 0;
  hostseal_status status = hostseal_encrypt_text(text, 0, NULL, &len);
  if (status != HOSTSEAL_SHORT_BUFFER) {
    return failed("hostseal_encrypt_text", status);
  }
  char* hex = malloc(len);
  if (hex == NULL) {
    fputs("hostseal-c-sample: out of memory\n", stderr);
    return 1;
  }
  status = hostseal_encrypt_text(text, 0, hex, &len);
  if (status == HOSTSEAL_OK) {
    puts(hex);
  }
  free(hex);
  return status == HOSTSEAL_OK ? 0 : failed("hostseal_encrypt_text", status);
}

int main(int argc, char** argv) {
#if defined(_WIN32)
  argv = utf8_arguments(&argc);
  if (argv == NULL) {
    fputs("hostseal-c-sample: cannot read the command line\n", stderr);
    return 1;
  }
#endif
  if (argc != 4) {
    fputs("usage: hostseal-c-sample PLAIN CIPHER TEXT\n", stderr);
    return 2;
  }
  if (encrypt_file(argv[1], argv[2]) != 0) {
    return 1;
  }
  return print_encrypted_text(argv[3]) != 0 || fflush(stdout) != 0 ? 1 : 0;
}
