"""hostseal.Cipher: one key and the byte-array and file formats under it."""
import contextlib
import ctypes
import os
import threading
import weakref

from . import _library
from ._buffers import Output, input_bytes
from ._error import BAD_FILE_NAME, INVALID_ARGUMENT, SHORT_BUFFER, Error, check, encode_text
from ._file_run import run_file_operation

_lib = _library.lib


def _path_bytes(path, what):
    try:
        name = os.fsencode(os.fspath(path))
    except TypeError:
        raise Error(BAD_FILE_NAME,
                    f"{what} must be a str, bytes or os.PathLike, not {type(path).__name__}"
                    ) from None
    if b"\0" in name:
        raise Error(BAD_FILE_NAME, f"{what} holds a zero byte, which no path can carry")
    return name


class Cipher:
    """AES under one key, in hostseal's byte-array and file formats.

    Cipher(key) takes 16, 24 or 32 bytes (key_bits: use only the first key_bits / 8 of them);
    Cipher.from_hex, Cipher.from_pass_phrase and Cipher.built_in take the tool's other keys.
    close(), the end of a with block, or the garbage collector frees the key schedule, which
    the library wipes; a closed cipher raises Error. The library copies the key and wipes its
    copy; a key given as a bytearray is read in place, so the caller can wipe it too (bytes
    cannot be wiped). One cipher may be shared by threads: its calls take turns.
    """

    def __init__(self, key, key_bits=None):
        self._open()
        try:
            data, length = input_bytes(key, "the key")
            bits = _int32(8 * length if key_bits is None else key_bits, "key_bits")
            with self._using() as handle:
                check(_lib.hostseal_cipher_set_key(handle, data, length, bits))
        except BaseException:
            self.close()
            raise

    def _open(self):
        # Re-entered when a progress callable uses the cipher it reports for.
        self._lock = threading.RLock()
        self._busy = 0
        handle = ctypes.c_void_p()
        check(_lib.hostseal_cipher_new(ctypes.byref(handle)))
        self._handle = handle
        self._free = weakref.finalize(self, _lib.hostseal_cipher_free, handle)

    @classmethod
    def _keyed(cls, set_key):
        cipher = cls.__new__(cls)
        cipher._open()
        try:
            with cipher._using() as handle:
                check(set_key(handle))
        except BaseException:
            cipher.close()
            raise
        return cipher

    @classmethod
    def from_hex(cls, digits):
        """A 128-, 192- or 256-bit key from 32, 48 or 64 hexadecimal digits (keygen's files)."""
        text = encode_text(digits, "the key")
        return cls._keyed(lambda handle: _lib.hostseal_cipher_set_key_hex(handle, text))

    @classmethod
    def from_pass_phrase(cls, pass_phrase, key_bits=128, code_page=None):
        """The key of a pass phrase: its bytes in the code page (None: the process's), cut or
        filled with zero bytes, as the tool's --passphrase and --bits make it."""
        text = encode_text(pass_phrase, "the pass phrase")
        return cls._keyed(lambda handle: _lib.hostseal_cipher_set_pass_phrase(
            handle, text, _code_page(code_page), _int32(key_bits, "key_bits")))

    @classmethod
    def built_in(cls):
        """The built-in pass phrase's 128-bit key: that of encrypt_text and of the tool's file
        commands when no key is given."""
        return cls._keyed(_lib.hostseal_cipher_set_built_in_key)

    def close(self):
        """Frees the cipher and wipes its key schedule; later calls raise Error. Idempotent."""
        with self._lock:
            self._handle = None
            if self._busy == 0:
                self._free()
            # else the operation under way (whose progress callable closes it) frees it at its end

    def __enter__(self):
        return self

    def __exit__(self, *exception):
        self.close()

    @contextlib.contextmanager
    def _using(self):
        """The handle, for one thread at a time, kept alive until the call is over."""
        with self._lock:
            if self._handle is None:
                raise Error(INVALID_ARGUMENT, "the cipher is closed")
            self._busy += 1
            try:
                yield self._handle
            finally:
                self._busy -= 1
                if self._handle is None and self._busy == 0:
                    self._free()

    def encrypt(self, data, length_field=False):
        """The byte-array format of data: 16-byte blocks, the last one filled with zero bytes;
        with length_field the plain length mod 16 is the last byte (a plain text of whole blocks
        then gains a whole block)."""
        source, length = input_bytes(data)
        size = 16 * (length // 16 + 1) if length_field else -(-length // 16) * 16
        return self._transform(_lib.hostseal_cipher_encrypt, source, length, length_field, size)

    def decrypt(self, data, length_field=False):
        """The plain bytes of the byte-array format: without length_field every decrypted byte,
        zero padding included; with it, as many bytes as were encrypted. Error -1 when data is
        not whole 16-byte blocks, 1 when the length field is 16 or more (a wrong key)."""
        source, length = input_bytes(data)
        return self._transform(_lib.hostseal_cipher_decrypt, source, length, length_field,
                               None if length_field else length)

    def _transform(self, function, source, length, length_field, capacity):
        size = ctypes.c_size_t(0)
        flag = 1 if length_field else 0
        with self._using() as handle:
            if capacity is None:
                # The plain length is in the last block: the size query reads only that one.
                status = function(handle, source, length, flag, None, ctypes.byref(size))
                if status != SHORT_BUFFER:
                    check(status)
                capacity = size.value
            output = Output(capacity)
            size.value = capacity
            check(function(handle, source, length, flag, output.address, ctypes.byref(size)))
        return output.result(size.value)

    def encrypt_file(self, plain_path, cipher_path, progress=None):
        """Encrypts the file plain_path into the cipher file cipher_path (which may be the same
        file). The target takes its place only when complete; any failure leaves it as it was.
        progress(done, total), when given, is called on this thread as the bytes go; an
        exception it raises, or a KeyboardInterrupt meanwhile, stops the work, leaves the target
        as it was, and is raised here (at the last report, done == total, the target is already
        complete and in place)."""
        self._file(_lib.hostseal_cipher_encrypt_file, plain_path, cipher_path, progress)

    def decrypt_file(self, cipher_path, plain_path, progress=None):
        """Decrypts the cipher file cipher_path into plain_path, as encrypt_file writes it.
        Error 1 when the cipher file's size is refused (empty or not whole blocks), 2 when the
        key does not fit (an existing target keeps its content)."""
        self._file(_lib.hostseal_cipher_decrypt_file, plain_path, cipher_path, progress)

    def _file(self, function, plain_path, cipher_path, progress):
        plain = _path_bytes(plain_path, "the plain file's path")
        cipher = _path_bytes(cipher_path, "the cipher file's path")
        with self._using() as handle:
            status, error, stop = run_file_operation(
                lambda callback: function(handle, plain, cipher, callback, None), progress)
        if stop is not None:
            raise stop
        if error is not None:
            raise error


def _int32(value, what):
    if not isinstance(value, int) or not -2**31 <= value < 2**31:
        raise Error(INVALID_ARGUMENT, f"{what} must be an int")
    return value


def _code_page(code_page):
    return 0 if code_page is None else _int32(code_page, "code_page")
